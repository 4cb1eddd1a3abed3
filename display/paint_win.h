// Drawing the time display through a kept back buffer.
#pragma once
#include <windows.h>

#include "display/geometry.h"

namespace display {

extern HBITMAP backBuffer;
extern Rect slotRect;

void paintMain(HWND window);
// The layout drops the buffer so the next paint makes one of the new size.
void dropBackBuffer(int width, int height);

}  // namespace display
