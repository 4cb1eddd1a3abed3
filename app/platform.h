// The seam between the platform-free logic and the window system. The
// program implements these over Win32 (app/platform_win.cpp); the native
// tests link a recording fake instead.
#pragma once
#include <cstdint>

namespace platform {

uint32_t tickCount();                           // GetTickCount
void sleepMs(uint32_t ms);

// Main window time fields by control id (1005, 1001, 1002, 1003).
uint32_t readTimeField(uint32_t id);            // non-numbers read as 0
void writeTimeField(uint32_t id, uint32_t value);

void setWindowTimer(uint32_t id, uint32_t ms);  // main window timers 1, 2, 3
void killWindowTimer(uint32_t id);
void invalidate(bool erase);                    // whole client area
void setTitle(const char* text);
void postCommand(uint32_t id);                  // WM_COMMAND to the main window
void minimizeWindow();
void beep();                                    // MessageBeep(0)

// Main-window work that the worker thread hands to the main thread.
void refreshStartStopCaption();
void applyControlVisibility();
void rebuildSystemMenu();
void keepOnTop(uint32_t flag);                  // apply on-top from `topmost`
// Copies the main window's placement (WINDOWPLACEMENT layout, 11 dwords);
// nothing when there is no window.
void capturePlacement(uint32_t placement[11]);

bool startAlarmThread(uint32_t slot);           // detached worker

// The hidden media window that plays non-WAV sounds.
void closeMediaWindow();                        // WM_CLOSE, if one exists

// The main window's HWND, for the media window's parent (sound/sound_win.cpp).
void* mainWindowHandle();

// Runs fn(arg) on the main window's thread and returns when it has run; on
// the main thread itself it simply calls it.
void onMainThread(void (*fn)(uint32_t), uint32_t arg);

// The message box: acquire waits until no box is open and holds the request
// (dialogs/msgbox.h) for the caller; show opens the box with it, returns the
// result and releases it. A waiting main thread keeps its messages flowing.
void acquireMessageBox();
uint32_t showMessageBox(bool ownedByMainWindow);

}  // namespace platform
