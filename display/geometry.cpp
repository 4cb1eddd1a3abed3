#include "display/geometry.h"

#include "countdown/engine.h"
#include "settings/record.h"

namespace display {

View view;

int scaledAt(int pixels, uint32_t toDpi) {
    int64_t product = static_cast<int64_t>(pixels) * toDpi;
    int64_t half = kBaseDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi));
}

static int clampInto(int v, int size) { return v < 0 ? 0 : (v >= size ? size - 1 : v); }

// The areas the paint draws decide the click too, so the two never disagree
// on a border row. A point outside the display (the control strip, or the
// (0, 0) the keys post) counts as the nearest point inside it.
uint32_t slotAt(int x, int y) {
    uint32_t count = settings::timerCount();
    if (count == 0) return countdown::state.shownTimer;
    x = clampInto(x, view.width);
    y = clampInto(y - view.top, view.height);
    for (uint32_t slot = 0; slot <= count; ++slot) {
        Rect r = slotArea(count, slot, view.width, view.height);
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return slot;
    }
    return 0;   // an empty display
}

Rect slotArea(uint32_t countIndex, uint32_t slot, int w, int h) {
    int halfW = static_cast<int>(static_cast<uint32_t>(w) >> 1);
    int halfH = static_cast<int>(static_cast<uint32_t>(h) >> 1);
    int third = w / 3;
    switch (countIndex) {
    case 0:
        return {0, 0, w, h};
    case 1:
        return slot == 0 ? Rect{0, 0, halfW, h} : Rect{halfW, 0, w, h};
    case 2:
        if (slot == 0) return {0, 0, third, h};
        if (slot == 1) return {third, 0, 2 * third, h};
        return {2 * third, 0, w, h};
    default:
        return {slot % 2 == 0 ? 0 : halfW, slot < 2 ? 0 : halfH,
                slot % 2 == 0 ? halfW : w, slot < 2 ? halfH : h};
    }
}

uint32_t markId(uint32_t countIndex, uint32_t slot) {
    return countIndex == 0 ? kNoMark : slot;
}

uint32_t fontHeight(uint32_t mode, uint32_t fontHeightSetting, uint32_t textWidth,
                    uint32_t countIndex, uint32_t w, uint32_t h) {
    uint32_t height;
    if (mode == 2) {
        height = static_cast<uint32_t>((static_cast<uint64_t>(fontHeightSetting) * view.dpi + kBaseDpi / 2) / kBaseDpi);
    } else {
        if (mode == 1 && textWidth == 1) textWidth = 2;
        uint32_t base = h < static_cast<uint32_t>(scaled(100)) ? h + h / 2 : ((w > h ? w : h) * fontHeightSetting) / 64;
        height = textWidth != 0 ? base / textWidth : base;
    }
    if (countIndex != 0) height >>= 2;
    return height;
}

bool inverted(uint32_t flashOnFinish, uint32_t runState) {
    return flashOnFinish != 0 && countdown::invertedWhenFlashing(runState);
}

}  // namespace display
