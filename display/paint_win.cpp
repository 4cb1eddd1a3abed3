#include "display/paint_win.h"

#include <cstring>

#include "countdown/engine.h"
#include "settings/record.h"
#include "settings/text.h"

namespace display {

HBITMAP backBuffer;
Rect slotRect;

namespace {

// Everything a slot's pixels depend on. A slot whose look is what the back
// buffer already holds is not drawn again: most repaints change one slot's
// last digit, or nothing at all when the window is only uncovered.
struct SlotLook {
    Rect area;
    uint32_t height;
    COLORREF text, back;
    bool marked;
    char face[settings::kTextSize];
    char shown[countdown::kTextBytes];
};

SlotLook drawn[4];
bool drawnValid[4];

// The slot areas those looks were drawn in. Under other areas (another timer
// count, another size) a slot's old pixels may lie under its neighbour, so
// nothing the buffer holds can be trusted.
struct Layout {
    uint32_t count;
    int width, height;
};
Layout drawnLayout;

void forgetDrawn() {
    for (bool& valid : drawnValid) valid = false;
}

}  // namespace

void dropBackBuffer(int width, int height) {
    if (backBuffer) DeleteObject(backBuffer);
    backBuffer = nullptr;
    slotRect = {0, 0, width, height};
}

static HFONT makeFont(uint32_t height, const char* face) {
    return CreateFontA(static_cast<int>(height), 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                       0, face);
}

static void drawSlot(HDC dc, uint32_t mark, uint32_t slot) {
    const settings::Record& r = settings::record;
    SlotLook look{};  // zeroed whole, padding too, so looks compare bytewise
    look.area = slotRect;
    look.text = drawColour(r.textColour[slot]);
    look.back = drawColour(r.backColour[slot]);
    if (inverted(r.flashOnFinish[slot], countdown::runState[slot])) {
        look.text = drawColour(r.backColour[slot]);
        look.back = drawColour(r.textColour[slot]);
    }
    look.height = fontHeight(r.textSizeMode[slot], r.fontHeight[slot], countdown::textWidth[slot],
                             settings::timerCount(), displayWidth, displayHeight);
    int minArea = scaled(kMarkMinArea);
    look.marked = mark == countdown::shownTimer && displayWidth > minArea && displayHeight > minArea;
    settings::copyField(look.face, r.fontName[slot]);
    text::copyBounded(look.shown, countdown::slotText[slot], sizeof look.shown);
    if (drawnValid[slot] && std::memcmp(&drawn[slot], &look, sizeof look) == 0) return;

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
    drawn[slot] = look;
    drawnValid[slot] = true;
}

void paintMain(HWND window) {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(window, &ps);
    HDC memory = CreateCompatibleDC(screen);
    if (!backBuffer && displayWidth > 0 && displayHeight > 0) {
        backBuffer = CreateCompatibleBitmap(screen, displayWidth, displayHeight);
        forgetDrawn();   // a new buffer holds no slot yet
    }
    if (backBuffer) {
        HGDIOBJ previous = SelectObject(memory, backBuffer);
        uint32_t count = settings::timerCount();
        Layout layout{count, displayWidth, displayHeight};
        if (layout.count != drawnLayout.count || layout.width != drawnLayout.width ||
            layout.height != drawnLayout.height) {
            forgetDrawn();
            drawnLayout = layout;
        }
        for (uint32_t slot = 0; slot <= count; ++slot) {
            slotRect = slotArea(count, slot, displayWidth, displayHeight);
            drawSlot(memory, markId(count, slot), slot);
        }
        slotRect = {0, 0, displayWidth, displayHeight};
        BitBlt(screen, 0, displayTop, displayWidth, displayHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    DeleteDC(memory);
    countdown::displayDirty = 0;
    EndPaint(window, &ps);
}

}  // namespace display
