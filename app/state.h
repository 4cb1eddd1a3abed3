// Run-time values of the application shell.
#pragma once
#include <cstdint>

#include "settings/extras.h"

struct ITaskbarList3;   // the system's, app/taskbar_win.cpp

namespace app {

// The application shell's run-time values, the main thread's only; `= {}`
// is a fresh process's.
struct State {
    // Assistive technology's first request came; its DLLs are there.
    bool accessTried, accessReady;
    bool layeredSupported;
    bool aboutOpen;
    bool optionsOpen;
    // The taskbar button's progress: set once the button exists; null
    // without it and for good once a call failed (taskbarFailed).
    ITaskbarList3* taskbar;
    bool taskbarFailed;
    bool comStarted;   // the main thread's CoInitialize succeeded: undone at exit
    // Each global hotkey is registered, or the last registration found it
    // held by another program.
    bool hotkeyRegistered[settings::kHotkeyCount];
    bool hotkeyTaken[settings::kHotkeyCount];
};
extern State state;

// Every layer's run-time values back to a fresh process's (tests).
void resetRunState();

// Whether a system version (GetVersionExA's platform, major, minor) can show
// layered windows: NT 5.0 to 5.2 and 6.x only.
bool layeredFor(uint32_t platform, uint32_t major, uint32_t minor);

// The simple-mode reset: record, shown timer, and the window when it exists.
void simpleModeReset();
// Reads the time fields into the record, then writes the settings file.
bool saveSettings();

// The global hotkeys of settings::extras, registered on the main window
// (app/hotkeys_win.cpp); registering again first drops what was held.
void registerHotkeys();
void unregisterHotkeys();
// Whether a combination can be had now: not held by another program, nor by
// this one (the options page asks with Tiv's own let go).
bool hotkeyFree(settings::Hotkey hotkey);

// Main-window work the dialogs ask for (app/mainwnd_win.cpp).
void writeTimeFields();
// With several timers, the one under a client point becomes the shown one.
void selectByClick(int x, int y);

}  // namespace app
