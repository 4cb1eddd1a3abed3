// What the platform-free code asks of the main window. The application shell
// implements it (app/shell_win.cpp), doing nothing while there is no window;
// the native tests record it instead. Main thread only.
#pragma once
#include <cstdint>

namespace shell {

void invalidate(bool erase);        // false: the time display only
// Assistive technology: the slot's timer is worth reading now; its alarm began.
void tellTime(uint32_t slot);
void tellAlarm(uint32_t slot);
void refreshStartStopCaption();
void applyControlVisibility();
void rebuildSystemMenu();
void keepOnTop(uint32_t flag);      // apply on-top from `topmost`
// The taskbar button's progress (countdown/progress.h); app/taskbar_win.cpp.
void showProgress(uint32_t state, uint32_t done, uint32_t total);

}  // namespace shell
