// Drawing the time display through a kept back buffer.
#pragma once
#include <windows.h>

#include "countdown/engine.h"
#include "display/geometry.h"
#include "settings/record.h"

namespace display {

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

// The slot areas those looks were drawn in. Under other areas (another timer
// count, another size) a slot's old pixels may lie under its neighbour, so
// nothing the buffer holds can be trusted.
struct Layout {
    uint32_t count;
    int width, height;
};

// The paint's own values beside the view, the main thread's.
struct Canvas {
    HBITMAP backBuffer;
    SlotLook drawn[4];
    bool drawnValid[4];
    Layout drawnLayout;
};
extern Canvas canvas;

void paintMain(HWND window);
// The layout drops the buffer so the next paint makes one of the new size.
void dropBackBuffer();

}  // namespace display
