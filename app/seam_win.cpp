// The seam's main-window work, which only the application shell knows how to
// do. A call from the alarm worker runs on the main thread.
#include "app/window_win.h"
#include "display/geometry.h"
#include "platform/platform.h"

namespace {

void invalidateOnMain(uintptr_t erase) {
    if (!app::mainWindow) return;
    if (erase) {
        InvalidateRect(app::mainWindow, nullptr, TRUE);
        return;
    }
    // Only the display changes on a tick. Invalidating the whole client area
    // would repaint the buttons too (the window does not clip its children),
    // and each button erases its parent behind it: visible flicker.
    RECT area{0, display::displayTop, display::displayWidth,
              display::displayTop + display::displayHeight};
    InvalidateRect(app::mainWindow, &area, FALSE);
}

void captionOnMain(uintptr_t) {
    if (app::mainWindow) app::refreshStartStopCaption();
}

void visibilityOnMain(uintptr_t) {
    if (app::mainWindow) app::applyControlVisibility();
}

void systemMenuOnMain(uintptr_t) {
    if (app::mainWindow) app::rebuildSystemMenu();
}

void onTopOnMain(uintptr_t flag) {
    if (app::mainWindow) app::applyOnTop(static_cast<uint32_t>(flag));
}

}  // namespace

namespace platform {

void invalidate(bool erase) {
    if (mainWindow) invalidateOnMain(erase);
}

void refreshStartStopCaption() { onMainThread(captionOnMain, 0); }
void applyControlVisibility() { onMainThread(visibilityOnMain, 0); }
void rebuildSystemMenu() { onMainThread(systemMenuOnMain, 0); }
void keepOnTop(uint32_t flag) { onMainThread(onTopOnMain, flag); }

}  // namespace platform
