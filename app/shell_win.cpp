#include "countdown/shell.h"

#include "app/window_win.h"
#include "display/geometry.h"

namespace shell {

using app::mainWindow;

void invalidate(bool erase) {
    if (!mainWindow) return;
    if (erase) {
        InvalidateRect(mainWindow, nullptr, TRUE);
        return;
    }
    // Only the display changes on a tick. Invalidating the whole client area
    // would repaint the buttons too (the window does not clip its children),
    // and each button erases its parent behind it: visible flicker.
    RECT area{0, display::view.top, display::view.width,
              display::view.top + display::view.height};
    InvalidateRect(mainWindow, &area, FALSE);
}

void tellTime(uint32_t slot) { app::tellAccess(EVENT_OBJECT_VALUECHANGE, slot); }
void tellAlarm(uint32_t slot) { app::tellAccess(EVENT_SYSTEM_ALERT, slot); }

void refreshStartStopCaption() {
    if (mainWindow) app::refreshStartStopCaption();
}

void applyControlVisibility() {
    if (mainWindow) app::applyControlVisibility();
}

void rebuildSystemMenu() {
    if (mainWindow) app::rebuildSystemMenu();
}

void keepOnTop(uint32_t flag) {
    if (mainWindow) app::applyOnTop(flag);
}

}  // namespace shell
