// The platform seam over Win32. Anything that touches the main window runs
// on the main window's thread: a call from the alarm worker is sent there
// and waits, so the worker's steps keep their order.
#include <windows.h>

#include "app/layout.h"
#include "app/platform.h"
#include "app/window_win.h"
#include "countdown/alarm.h"
#include "resources/resource.h"

namespace {

bool onMain() { return app::mainWindow == nullptr || GetCurrentThreadId() == app::mainThreadId; }

using Step = void (*)(LPARAM);

// Returns true when the step was carried out on the main thread instead.
bool sentToMain(Step step, LPARAM arg) {
    if (onMain()) return false;
    SendMessageA(app::mainWindow, app::kMsgRunOnMain, reinterpret_cast<WPARAM>(step), arg);
    return true;
}

struct TimerRequest { uint32_t id, ms; };
struct FieldRequest { uint32_t id, value; };

}  // namespace

namespace platform {

uint32_t tickCount() { return GetTickCount(); }
void sleepMs(uint32_t ms) { Sleep(ms); }

uint32_t readTimeField(uint32_t id) {
    if (!app::mainWindow) return 0;
    return GetDlgItemInt(app::mainWindow, static_cast<int>(id), nullptr, FALSE);
}

void writeTimeField(uint32_t id, uint32_t value) {
    FieldRequest request{id, value};
    auto step = [](LPARAM p) {
        auto* r = reinterpret_cast<FieldRequest*>(p);
        if (app::mainWindow) SetDlgItemInt(app::mainWindow, static_cast<int>(r->id), r->value, FALSE);
    };
    if (!sentToMain(step, reinterpret_cast<LPARAM>(&request))) step(reinterpret_cast<LPARAM>(&request));
}

void setWindowTimer(uint32_t id, uint32_t ms) {
    TimerRequest request{id, ms};
    auto step = [](LPARAM p) {
        auto* r = reinterpret_cast<TimerRequest*>(p);
        if (app::mainWindow) SetTimer(app::mainWindow, r->id, r->ms, nullptr);
    };
    if (!sentToMain(step, reinterpret_cast<LPARAM>(&request))) step(reinterpret_cast<LPARAM>(&request));
}

void killWindowTimer(uint32_t id) {
    auto step = [](LPARAM p) {
        if (app::mainWindow) KillTimer(app::mainWindow, static_cast<UINT_PTR>(p));
    };
    if (!sentToMain(step, static_cast<LPARAM>(id))) step(static_cast<LPARAM>(id));
}

void invalidate(bool erase) {
    if (!app::mainWindow) return;
    if (erase) {
        InvalidateRect(app::mainWindow, nullptr, TRUE);
        return;
    }
    // Only the display changes on a tick. Invalidating the whole client area
    // would repaint the buttons too (the window does not clip its children),
    // and each button erases its parent behind it: visible flicker.
    RECT display{0, app::displayTop, app::displayWidth, app::displayTop + app::displayHeight};
    InvalidateRect(app::mainWindow, &display, FALSE);
}

void setTitle(const char* text) {
    auto step = [](LPARAM p) {
        if (app::mainWindow) SetWindowTextA(app::mainWindow, reinterpret_cast<const char*>(p));
    };
    if (!sentToMain(step, reinterpret_cast<LPARAM>(text))) step(reinterpret_cast<LPARAM>(text));
}

void postCommand(uint32_t id) {
    if (app::mainWindow) PostMessageA(app::mainWindow, WM_COMMAND, id, 0);
}

void minimizeWindow() {
    auto step = [](LPARAM) { ShowWindow(app::mainWindow, SW_MINIMIZE); };
    if (app::mainWindow && !sentToMain(step, 0)) step(0);
}

void beep() { MessageBeep(0); }

void refreshStartStopCaption() {
    auto step = [](LPARAM) { app::refreshStartStopCaption(); };
    if (app::mainWindow && !sentToMain(step, 0)) step(0);
}

void applyControlVisibility() {
    auto step = [](LPARAM) { app::applyControlVisibility(); };
    if (app::mainWindow && !sentToMain(step, 0)) step(0);
}

void rebuildSystemMenu() {
    auto step = [](LPARAM) { app::rebuildSystemMenu(); };
    if (app::mainWindow && !sentToMain(step, 0)) step(0);
}

void keepOnTop(uint32_t flag) {
    auto step = [](LPARAM p) { app::applyOnTop(static_cast<uint32_t>(p)); };
    if (app::mainWindow && !sentToMain(step, static_cast<LPARAM>(flag))) step(static_cast<LPARAM>(flag));
}

void* mainWindowHandle() { return app::mainWindow; }

void capturePlacement(uint32_t placement[11]) {
    if (!app::mainWindow) return;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (GetWindowPlacement(app::mainWindow, &wp)) CopyMemory(placement, &wp, sizeof wp);
}

static DWORD WINAPI alarmThread(LPVOID slot) {
    countdown::alarmSequence(static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(slot)));
    return 0;
}

bool startAlarmThread(uint32_t slot) {
    HANDLE thread = CreateThread(nullptr, 0, alarmThread, reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(slot)), 0, nullptr);
    if (!thread) return false;
    CloseHandle(thread);
    return true;
}

void onMainThread(void (*fn)(uint32_t), uint32_t arg) {
    if (onMain()) {
        fn(arg);
        return;
    }
    // The function pointer and its argument travel together on this stack,
    // which outlives the synchronous send.
    struct Call { void (*fn)(uint32_t); uint32_t arg; } call{fn, arg};
    auto step = [](LPARAM p) {
        auto* c = reinterpret_cast<Call*>(p);
        c->fn(c->arg);
    };
    SendMessageA(app::mainWindow, app::kMsgRunOnMain, reinterpret_cast<WPARAM>(+step),
                 reinterpret_cast<LPARAM>(&call));
}

}  // namespace platform
