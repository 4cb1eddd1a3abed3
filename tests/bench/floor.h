// The floor Tiv is measured against: the least a countdown window must do. One window, a
// 500 ms timer, one double-buffered repaint a second of a five-minute count. Built with
// TIV_FLOOR_CONTROLS=1 (tiv_floor_ui.exe) it also shows what Tiv's first frame shows besides the time (six buttons with Chinese
// captions, four fields with up-down controls, a tooltip), so the cost of that UI itself can be
// told apart from Tiv's own.
#pragma once
#include <windows.h>

namespace floorbench {

constexpr char kClassName[] = "TivFloor";
HWND openFloor(HINSTANCE instance);

}  // namespace floorbench
