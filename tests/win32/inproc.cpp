#include "inproc.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "app/state.h"
#include "app/window_win.h"
#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "dialogs/msgbox.h"
#include "display/paint_win.h"
#include "settings/record.h"
#include "settings/text.h"
#include "sound/sound.h"

namespace inproc {

namespace {

std::string folder;

void resetState() {
    countdown::resetAll();
    countdown::repeatSlot = countdown::kNoSlot;
    countdown::alarmBusy = 0;
    sound::mediaLoaded = 0;
    app::shownTimer = 0;
    app::windowState = 0;
    app::customTimeOn = 0;
    app::finishTextOverridden = false;
    app::aboutOpen = false;
    dialogs::resetMessageRequest();
}

}  // namespace

HWND open(const std::function<void()>& edit) {
    resetState();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static unsigned counter;
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%stivin_%lu_%u\\", temp, GetCurrentProcessId(), ++counter);
    CreateDirectoryA(name, nullptr);
    folder = name;
    text::copyBounded(app::dataFolder, name, sizeof app::dataFolder);
    text::copyBounded(app::programFolder, name, sizeof app::programFolder);

    std::memset(&settings::record, 0, sizeof settings::record);
    settings::fullDefaults();
    if (edit) edit();
    app::instance = GetModuleHandleA(nullptr);
    app::mainThreadId = GetCurrentThreadId();
    InitCommonControls();
    if (!app::openMainWindow()) return nullptr;
    pump(100);  // the start-up timer loads every slot
    return app::mainWindow;
}

void close() {
    if (app::mainWindow) {
        SendMessageA(app::mainWindow, WM_CLOSE, 0, 0);
        // WM_CLOSE posts the quit message; this loop is ours, so take it out.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        HWND window = app::mainWindow;
        app::mainWindow = nullptr;
        DestroyWindow(window);
        pump(50);
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
    display::dropBackBuffer(0, 0);
    resetState();
    DeleteFileA((folder + "dTiv.dat").c_str());
    RemoveDirectoryA(folder.c_str());
}

static void dispatchOne(MSG& msg) {
    if (app::mainWindow && app::preTranslate(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void pump(DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            dispatchOne(msg);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        pump(20);
    }
    return true;
}

std::string dataFolder() { return folder; }

COLORREF pixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

}  // namespace inproc
