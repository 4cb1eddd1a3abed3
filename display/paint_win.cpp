#include "display/paint_win.h"

#include <cstring>

#include "base/text.h"
#include "countdown/engine.h"
#include "settings/record.h"

namespace display {

Canvas canvas;

static void forgetDrawn() {
    for (bool& valid : canvas.drawnValid) valid = false;
}

void dropBackBuffer() {
    if (canvas.backBuffer) DeleteObject(canvas.backBuffer);
    canvas.backBuffer = nullptr;
}

static HFONT makeFont(uint32_t height, const char* face) {
    return CreateFontA(static_cast<int>(height), 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                       0, face);
}

static void drawSlot(HDC dc, const Rect& slotRect, uint32_t mark, uint32_t slot) {
    const settings::Record& r = settings::record;
    SlotLook look{};  // zeroed whole, padding too, so looks compare bytewise
    look.area = slotRect;
    look.text = drawColour(r.textColour[slot]);
    look.back = drawColour(r.backColour[slot]);
    if (inverted(r.flashOnFinish[slot], countdown::state.slots[slot].runState)) {
        look.text = drawColour(r.backColour[slot]);
        look.back = drawColour(r.textColour[slot]);
    }
    look.height = fontHeight(r.textSizeMode[slot], r.fontHeight[slot], countdown::state.slots[slot].textWidth,
                             settings::timerCount(), view.width, view.height);
    int minArea = scaled(kMarkMinArea);
    look.marked = mark == countdown::state.shownTimer && view.width > minArea && view.height > minArea;
    settings::copyField(look.face, r.fontName[slot]);
    text::copyBounded(look.shown, countdown::state.slots[slot].text, sizeof look.shown);
    if (canvas.drawnValid[slot] && std::memcmp(&canvas.drawn[slot], &look, sizeof look) == 0) return;

    RECT area{slotRect.left, slotRect.top, slotRect.right, slotRect.bottom};
    HBRUSH brush = CreateSolidBrush(look.back);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    SetBkColor(dc, look.back);
    SetTextColor(dc, look.text);

    HFONT font = makeFont(look.height, look.face);
    HGDIOBJ previous = SelectObject(dc, font);
    DrawTextA(dc, look.shown, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    if (look.marked) {
        // A change of dpi lays the window out again, which brings a new buffer: no look is kept.
        int size = scaled(kMarkSize);
        RECT corner{area.left, area.top, area.left + size, area.top + size};
        HFONT small = makeFont(static_cast<uint32_t>(size), look.face);
        SelectObject(dc, small);
        DeleteObject(font);
        font = small;
        DrawTextA(dc, "*", 1, &corner, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    SelectObject(dc, previous);
    DeleteObject(font);
    canvas.drawn[slot] = look;
    canvas.drawnValid[slot] = true;
}

void paintMain(HWND window) {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(window, &ps);
    HDC memory = CreateCompatibleDC(screen);
    if (!canvas.backBuffer && view.width > 0 && view.height > 0) {
        canvas.backBuffer = CreateCompatibleBitmap(screen, view.width, view.height);
        forgetDrawn();   // a new buffer holds no slot yet
    }
    if (canvas.backBuffer) {
        HGDIOBJ previous = SelectObject(memory, canvas.backBuffer);
        uint32_t count = settings::timerCount();
        Layout layout{count, view.width, view.height};
        if (layout.count != canvas.drawnLayout.count || layout.width != canvas.drawnLayout.width ||
            layout.height != canvas.drawnLayout.height) {
            forgetDrawn();
            canvas.drawnLayout = layout;
        }
        for (uint32_t slot = 0; slot <= count; ++slot)
            drawSlot(memory, slotArea(count, slot, view.width, view.height), markId(count, slot), slot);
        BitBlt(screen, 0, view.top, view.width, view.height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    DeleteDC(memory);
    countdown::state.displayDirty = 0;
    EndPaint(window, &ps);
}

}  // namespace display
