// Win32 side of the application shell, shared by its *_win.cpp files.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>

#include "platform/window_win.h"

namespace app {

// The platform holds the main window's handle, the module and the tooltip
// control; the shell uses them as its own.
using platform::instance;
using platform::mainThreadId;
using platform::mainWindow;
using platform::tooltip;

extern const char kClassName[];
extern const char kTitle[];                  // "Tiv"
extern const char kVersionTip[];             // "Tiv 1.4"

extern HICON smallIcon;   // at the window's scale: its caption's and the tray's
extern HICON classIcon;   // the one the window class was registered with

// Not declared for the system versions the program builds for.
constexpr UINT kMsgDpiChanged = 0x02E0;   // WM_DPICHANGED

// Start-up pieces.
bool startUp(HINSTANCE module, const char* commandLine);
bool openMainWindow();   // class, window, transparency, show, on-top
void prepareFolders();
bool decideLayered();
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int runMessageLoop();
// COM on the main thread, started at its first need (the taskbar button, a
// screen reader) and ended after the message loop.
void startCom();
void endCom();
// The loop's own handling of a message (shortcut keys, Tab between
// controls); false when it still needs dispatching.
bool preTranslate(MSG& msg);

// Main window (mainwnd_win.cpp).
void refreshStartStopCaption();
void applyControlVisibility();
void layOutWindow();
void shutdown();

// Assistive technology (access_win.cpp).
LRESULT answerObjectRequest(HWND window, WPARAM wParam, LPARAM lParam);   // WM_GETOBJECT
void nameTimeFields();
void tellAccess(DWORD event, uint32_t slot);   // an event about the slot's timer

// Global hotkeys (hotkeys_win.cpp): WM_HOTKEY.
void onHotkey(WPARAM id);

// Commands (commands_win.cpp).
void dispatchCommand(WPARAM wParam);
void restoreDefaultSize();

// Window modes (modes_win.cpp).
void applyOnTop(uint32_t flag);
void makeLayered(uint32_t alpha);
void makeOpaque();
NOTIFYICONDATAA trayRecord(const char* tip);
bool tray(DWORD operation, const char* tip);
HICON loadSmallIcon();   // resource 500 at 16 pixels scaled to the window's dpi
void scaleIcon();        // the small icon again, at the window's new scale
void rebuildSystemMenu();
void menuLoop(bool entering);   // WM_ENTERMENULOOP, WM_EXITMENULOOP
void forgetSystemMenu();        // a new window: its system menu is the default
void taskbarCreated();
void trayCallback(WPARAM iconId, LPARAM mouseMessage);

// The taskbar button's progress (taskbar_win.cpp).
void taskbarButtonCreated();   // the registered "TaskbarButtonCreated"
void releaseTaskbar();         // at exit

}  // namespace app
