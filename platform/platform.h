// The operating system's services to the platform-free logic: the bottom
// layer, beside settings/. The program implements it over Win32
// (platform/*_win.cpp); the native tests link a recording fake instead.
// Everything here but sleepMs and runAlarmStep is called on the main window's
// thread only; the message box has its own header (platform/messagebox.h).
#pragma once
#include <cstdint>

namespace platform {

// The main window's state: 0 normal, 5 minimised to the task bar, 10 hidden
// with a tray icon.
constexpr uint32_t kWindowNormal = 0;
constexpr uint32_t kWindowMinimised = 5;
constexpr uint32_t kWindowTray = 10;
extern uint32_t windowState;   // main thread only

uint32_t tickCount();                           // GetTickCount
void sleepMs(uint32_t ms);

// Main window time fields by control id (1005, 1001, 1002, 1003).
uint32_t readTimeField(uint32_t id);            // non-numbers read as 0
void writeTimeField(uint32_t id, uint32_t value);

void setWindowTimer(uint32_t id, uint32_t ms);  // main window timers 1, 2, 3
void killWindowTimer(uint32_t id);
void setTitle(const char* text);
void postCommand(uint32_t id);                  // WM_COMMAND to the main window
void minimizeWindow();
void beep();                                    // MessageBeep(0)
// Asks that the system not sleep (the display still may), or lets it again.
void keepAwake(bool on);
// Copies the main window's placement (WINDOWPLACEMENT layout, 11 dwords);
// nothing when there is no window.
void capturePlacement(uint32_t placement[11]);

// Starts body(arg) on a detached thread; false when none could be made.
bool startThread(void (*body)(uint32_t), uint32_t arg);

// From the alarm thread: has the main thread carry out one step of the slot's
// alarm sequence (countdown::alarmStep) and returns when it has. The request
// is two numbers; no code address or pointer crosses a window message.
void runAlarmStep(uint32_t step, uint32_t slot);

}  // namespace platform
