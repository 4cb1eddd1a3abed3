#include "display/paint_win.h"

#include "countdown/engine.h"
#include "settings/record.h"
#include "settings/text.h"

namespace display {

HBITMAP backBuffer;
Rect slotRect;

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
    bool flip = inverted(r.flashOnFinish[slot], countdown::runState[slot]);
    COLORREF text = drawColour(r.textColour[slot]);
    COLORREF back = drawColour(r.backColour[slot]);
    if (flip) {
        COLORREF t = text;
        text = back;
        back = t;
    }
    RECT area{slotRect.left, slotRect.top, slotRect.right, slotRect.bottom};
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    SetBkColor(dc, back);
    SetTextColor(dc, text);

    char face[settings::kTextSize];
    settings::copyField(face, r.fontName[slot]);
    uint32_t height = fontHeight(r.textSizeMode[slot], r.fontHeight[slot], countdown::textWidth[slot],
                                 settings::timerCount(), displayWidth, displayHeight);
    HFONT font = makeFont(height, face);
    HGDIOBJ previous = SelectObject(dc, font);
    char shown[countdown::kTextBytes];
    text::copyBounded(shown, countdown::slotText[slot], sizeof shown);
    DrawTextA(dc, shown, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    if (mark == countdown::shownTimer && displayWidth > kMarkMinArea && displayHeight > kMarkMinArea) {
        RECT corner{area.left, area.top, area.left + kMarkSize, area.top + kMarkSize};
        HFONT small = makeFont(kMarkSize, face);
        SelectObject(dc, small);
        DeleteObject(font);
        font = small;
        DrawTextA(dc, "*", 1, &corner, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    SelectObject(dc, previous);
    DeleteObject(font);
}

void paintMain(HWND window) {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(window, &ps);
    HDC memory = CreateCompatibleDC(screen);
    if (!backBuffer && displayWidth > 0 && displayHeight > 0)
        backBuffer = CreateCompatibleBitmap(screen, displayWidth, displayHeight);
    if (backBuffer) {
        HGDIOBJ previous = SelectObject(memory, backBuffer);
        uint32_t count = settings::timerCount();
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
