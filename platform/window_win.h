// Win32 side of the seam: the main window it acts on.
#pragma once
#include <windows.h>

namespace platform {

extern HWND mainWindow;      // null until the main window exists
extern DWORD mainThreadId;   // the thread that owns the main window

// wParam: the step, lParam: the slot (platform::runAlarmStep). Any program
// can post it; the step runs only when the slot's alarm thread asked for it.
constexpr UINT kMsgAlarmStep = WM_APP + 1;

// Dots per inch of the screen as a whole, and of the monitor a window is on.
// Systems without per-monitor scaling give the screen's for every window.
UINT systemDpi();
UINT windowDpi(HWND window);

// Whether [at, at + size) is committed memory of this process that can be
// read: a pointer that arrived in a message is checked before it is used.
bool readable(const void* at, size_t size);

}  // namespace platform
