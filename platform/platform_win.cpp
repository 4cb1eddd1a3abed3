// The platform seam over Win32.
#include "platform/platform.h"

#include "platform/window_win.h"

#include <cstdlib>

namespace platform {

HINSTANCE instance;
HWND mainWindow;
DWORD mainThreadId;
HWND tooltip;

namespace {

struct ThreadStart { void (*body)(uint32_t); uint32_t arg; };

DWORD WINAPI threadMain(LPVOID p) {
    ThreadStart start = *static_cast<ThreadStart*>(p);
    std::free(p);
    start.body(start.arg);
    return 0;
}

}  // namespace

UINT systemDpi() {
    // A process keeps the screen's scale it started with; asking costs a
    // screen DC (a fifth of a millisecond under Wine).
    static UINT screenDpi;
    if (!screenDpi) {
        HDC screen = GetDC(nullptr);
        int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
        if (screen) ReleaseDC(nullptr, screen);
        screenDpi = dpi > 0 ? static_cast<UINT>(dpi) : 96;
    }
    return screenDpi;
}

UINT windowDpi(HWND window) {
    // Windows 10 1607 and later; older systems start all the same. Looked up
    // once, by the main thread, which alone asks.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static DpiForWindow forWindow;
    static bool lookedUp;
    if (!lookedUp) {
        forWindow = reinterpret_cast<DpiForWindow>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("USER32.dll"), "GetDpiForWindow")));
        lookedUp = true;
    }
    UINT dpi = forWindow && window ? forWindow(window) : 0;
    return dpi ? dpi : systemDpi();
}

bool readable(const void* at, size_t size) {
    MEMORY_BASIC_INFORMATION region;
    if (!at || !VirtualQuery(at, &region, sizeof region) || region.State != MEM_COMMIT) return false;
    const DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (!(region.Protect & kReadable) || (region.Protect & PAGE_GUARD)) return false;
    uintptr_t start = reinterpret_cast<uintptr_t>(at);
    uintptr_t end = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    return start + size >= start && start + size <= end;
}

uint32_t tickCount() { return GetTickCount(); }
void sleepMs(uint32_t ms) { Sleep(ms); }

uint32_t readTimeField(uint32_t id) {
    if (!mainWindow) return 0;
    return GetDlgItemInt(mainWindow, static_cast<int>(id), nullptr, FALSE);
}

void writeTimeField(uint32_t id, uint32_t value) {
    if (mainWindow) SetDlgItemInt(mainWindow, static_cast<int>(id), value, FALSE);
}

void setWindowTimer(uint32_t id, uint32_t ms) {
    if (mainWindow) SetTimer(mainWindow, id, ms, nullptr);
}

void killWindowTimer(uint32_t id) {
    if (mainWindow) KillTimer(mainWindow, id);
}

void setTitle(const char* text) {
    if (mainWindow) SetWindowTextA(mainWindow, text);
}

void postCommand(uint32_t id) {
    if (mainWindow) PostMessageA(mainWindow, WM_COMMAND, id, 0);
}

void minimizeWindow() {
    if (mainWindow) ShowWindow(mainWindow, SW_MINIMIZE);
}

void beep() { MessageBeep(0); }

void keepAwake(bool on) { SetThreadExecutionState(on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS); }

void capturePlacement(uint32_t placement[11]) {
    if (!mainWindow) return;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    static_assert(sizeof wp == 11 * sizeof(uint32_t), "WINDOWPLACEMENT is eleven dwords");
    if (GetWindowPlacement(mainWindow, &wp)) CopyMemory(placement, &wp, sizeof wp);
}

bool startThread(void (*body)(uint32_t), uint32_t arg) {
    // malloc, not new: nothing else in the program needs the C++ allocator and what it drags in.
    auto* start = static_cast<ThreadStart*>(std::malloc(sizeof(ThreadStart)));
    if (!start) return false;
    *start = ThreadStart{body, arg};
    HANDLE thread = CreateThread(nullptr, 0, threadMain, start, 0, nullptr);
    if (!thread) {
        std::free(start);
        return false;
    }
    CloseHandle(thread);
    return true;
}

void runAlarmStep(uint32_t step, uint32_t slot) {
    if (mainWindow) SendMessageA(mainWindow, kMsgAlarmStep, step, slot);
}

}  // namespace platform
