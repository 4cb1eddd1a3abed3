// The main window's taskbar button shows a timer's progress (Windows 7 and
// later), through the shell's ITaskbarList3.
#include <windows.h>
#include <shobjidl.h>

#include "app/state.h"
#include "app/window_win.h"
#include "countdown/engine.h"
#include "countdown/progress.h"
#include "countdown/shell.h"
#include "platform/platform.h"

namespace app {

namespace {

static_assert(countdown::kProgressNone == TBPF_NOPROGRESS && countdown::kProgressNormal == TBPF_NORMAL &&
                  countdown::kProgressError == TBPF_ERROR && countdown::kProgressPaused == TBPF_PAUSED,
              "progress states are the system's");

// Spelled out: shobjidl.h only declares it, and Tiv links no GUID library.
const CLSID kTaskbarList = {0x56fdf344, 0xfd6d, 0x11d0, {0x95, 0x8a, 0x00, 0x60, 0x97, 0xc9, 0xa0, 0x90}};

void openTaskbar() {
    // Until it works: a system without it is not asked again.
    state.taskbarFailed = true;
    startCom();
    ITaskbarList3* list = nullptr;
    if (FAILED(CoCreateInstance(kTaskbarList, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskbarList3),
                                reinterpret_cast<void**>(&list))) || !list)
        return;
    if (FAILED(list->HrInit())) {
        list->Release();
        return;
    }
    state.taskbar = list;
    state.taskbarFailed = false;
}

void dropTaskbar() {
    if (state.taskbar) state.taskbar->Release();
    state.taskbar = nullptr;
}

}  // namespace

void taskbarButtonCreated() {
    if (!state.taskbar && !state.taskbarFailed) openTaskbar();
    // A new button shows no progress, whatever the old one showed.
    countdown::state.progressShown = {};
    countdown::reportProgress();
}

void releaseTaskbar() { dropTaskbar(); }

}  // namespace app

namespace shell {

void showProgress(uint32_t state, uint32_t done, uint32_t total) {
    ITaskbarList3* list = app::state.taskbar;
    // Hidden in the tray the window has no button; showing it again makes a
    // new one, which announces itself.
    if (!list || !app::mainWindow || platform::windowState == platform::kWindowTray) return;
    HRESULT result = list->SetProgressState(app::mainWindow, static_cast<TBPFLAG>(state));
    if (SUCCEEDED(result) && state != countdown::kProgressNone)
        result = list->SetProgressValue(app::mainWindow, done, total);
    if (FAILED(result)) {
        app::dropTaskbar();
        app::state.taskbarFailed = true;
    }
}

}  // namespace shell
