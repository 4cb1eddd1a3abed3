// Win32 side of the platform: the main window it acts on, the module, the
// tooltip control every window shares.
#pragma once
#include <windows.h>

#include <cstddef>

namespace platform {

extern HINSTANCE instance;
extern HWND mainWindow;      // null until the main window exists
extern DWORD mainThreadId;   // the thread that owns the main window
extern HWND tooltip;         // made with the main window's controls
extern HWND mediaWindow;     // the hidden window playing a non-WAV sound, or null

// A control's tooltip text; each window keeps its tips in one table of these.
struct Tip {
    int id;
    const char* text;
};
// A tool in the one tooltip control for each control of the table.
void addTooltips(HWND window, const Tip* tips, size_t count);
// The tooltip control outlives every dialog: a closed page's tools must go,
// or a later window given the same control handle would show their tips.
void removeTooltips(HWND window, const Tip* tips, size_t count);

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
