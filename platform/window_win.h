// Win32 side of the seam: the main window it acts on.
#pragma once
#include <windows.h>

namespace platform {

extern HWND mainWindow;      // null until the main window exists
extern DWORD mainThreadId;   // the thread that owns the main window

// wParam: function, lParam: its argument; run on the main window's thread.
constexpr UINT kMsgRunOnMain = WM_APP + 1;

}  // namespace platform
