// The floor Tiv is measured against: the least a countdown window must do. One window, a
// 500 ms timer, one double-buffered repaint a second of a five-minute count.
#pragma once
#include <windows.h>

namespace floorbench {

constexpr char kClassName[] = "TivFloor";
HWND openFloor(HINSTANCE instance);

}  // namespace floorbench
