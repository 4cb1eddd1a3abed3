// The platform seam over Win32. Anything that touches the main window runs
// on the main window's thread: a call from the alarm worker is sent there
// and waits, so the worker's steps keep their order.
#include "platform/platform.h"

#include "platform/window_win.h"

namespace platform {

HWND mainWindow;
DWORD mainThreadId;

namespace {

bool onMain() { return mainWindow == nullptr || GetCurrentThreadId() == mainThreadId; }

struct TimerRequest { uint32_t id, ms; };
struct FieldRequest { uint32_t id, value; };

void writeFieldOnMain(uintptr_t p) {
    auto* r = reinterpret_cast<FieldRequest*>(p);
    if (mainWindow) SetDlgItemInt(mainWindow, static_cast<int>(r->id), r->value, FALSE);
}

void setTimerOnMain(uintptr_t p) {
    auto* r = reinterpret_cast<TimerRequest*>(p);
    if (mainWindow) SetTimer(mainWindow, r->id, r->ms, nullptr);
}

void killTimerOnMain(uintptr_t id) {
    if (mainWindow) KillTimer(mainWindow, id);
}

void setTitleOnMain(uintptr_t p) {
    if (mainWindow) SetWindowTextA(mainWindow, reinterpret_cast<const char*>(p));
}

void minimizeOnMain(uintptr_t) {
    if (mainWindow) ShowWindow(mainWindow, SW_MINIMIZE);
}

struct ThreadStart { void (*body)(uint32_t); uint32_t arg; };

DWORD WINAPI threadMain(LPVOID p) {
    ThreadStart start = *static_cast<ThreadStart*>(p);
    delete static_cast<ThreadStart*>(p);
    start.body(start.arg);
    return 0;
}

}  // namespace

uint32_t tickCount() { return GetTickCount(); }
void sleepMs(uint32_t ms) { Sleep(ms); }

uint32_t readTimeField(uint32_t id) {
    if (!mainWindow) return 0;
    return GetDlgItemInt(mainWindow, static_cast<int>(id), nullptr, FALSE);
}

void writeTimeField(uint32_t id, uint32_t value) {
    FieldRequest request{id, value};
    onMainThread(writeFieldOnMain, reinterpret_cast<uintptr_t>(&request));
}

void setWindowTimer(uint32_t id, uint32_t ms) {
    TimerRequest request{id, ms};
    onMainThread(setTimerOnMain, reinterpret_cast<uintptr_t>(&request));
}

void killWindowTimer(uint32_t id) { onMainThread(killTimerOnMain, id); }

void setTitle(const char* text) { onMainThread(setTitleOnMain, reinterpret_cast<uintptr_t>(text)); }

void postCommand(uint32_t id) {
    if (mainWindow) PostMessageA(mainWindow, WM_COMMAND, id, 0);
}

void minimizeWindow() { onMainThread(minimizeOnMain, 0); }

void beep() { MessageBeep(0); }

void* mainWindowHandle() { return mainWindow; }

void capturePlacement(uint32_t placement[11]) {
    if (!mainWindow) return;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    static_assert(sizeof wp == 11 * sizeof(uint32_t), "WINDOWPLACEMENT is eleven dwords");
    if (GetWindowPlacement(mainWindow, &wp)) CopyMemory(placement, &wp, sizeof wp);
}

bool startThread(void (*body)(uint32_t), uint32_t arg) {
    auto* start = new ThreadStart{body, arg};
    HANDLE thread = CreateThread(nullptr, 0, threadMain, start, 0, nullptr);
    if (!thread) {
        delete start;
        return false;
    }
    CloseHandle(thread);
    return true;
}

void onMainThread(void (*fn)(uintptr_t), uintptr_t arg) {
    if (onMain()) {
        fn(arg);
        return;
    }
    // The function pointer and its argument travel together on this stack,
    // which outlives the synchronous send.
    struct Call { void (*fn)(uintptr_t); uintptr_t arg; } call{fn, arg};
    auto step = [](LPARAM p) {
        auto* c = reinterpret_cast<Call*>(p);
        c->fn(c->arg);
    };
    SendMessageA(mainWindow, kMsgRunOnMain, reinterpret_cast<WPARAM>(+step),
                 reinterpret_cast<LPARAM>(&call));
}

}  // namespace platform
