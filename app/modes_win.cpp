#include <windows.h>
#include <shellapi.h>

#include "app/state.h"
#include "app/window_win.h"
#include "base/text.h"
#include "countdown/engine.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/record.h"

namespace app {

void applyOnTop(uint32_t flag) {
    if (!mainWindow) return;
    SetWindowPos(mainWindow, flag == 1 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void makeLayered(uint32_t alpha) {
    SetWindowLongA(mainWindow, GWL_EXSTYLE, WS_EX_LAYERED);
    using SetLayered = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    auto set = reinterpret_cast<SetLayered>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("USER32.dll"), "SetLayeredWindowAttributes")));
    if (set) set(mainWindow, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void makeOpaque() { SetWindowLongA(mainWindow, GWL_EXSTYLE, 0); }

namespace {

// What the system menu shows now: 0 not built, else 1 + whether it says "停止".
uint32_t systemMenuShows;
bool menuLoopActive;

}  // namespace

NOTIFYICONDATAA trayRecord(const char* tip) {
    NOTIFYICONDATAA data{};
    // The size up to guidItem: 488 bytes in the 32-bit program.
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = mainWindow;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = MSG_TRAY;
    data.hIcon = smallIcon;
    text::copyBounded(data.szTip, tip, sizeof data.szTip);
    return data;
}
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V2_SIZE == 488, "tray record size");
#endif

bool tray(DWORD operation, const char* tip) {
    NOTIFYICONDATAA data = trayRecord(tip);
    return Shell_NotifyIconA(operation, &data) != FALSE;
}

// GetSystemMenu(TRUE) destroys the menu and makes a new one: done only when
// the text changes, and never under an open menu.
void rebuildSystemMenu() {
    bool running = countdown::isCounting(countdown::shownSlot().runState);
    uint32_t shows = running ? 2 : 1;
    if (shows == systemMenuShows || menuLoopActive) return;
    GetSystemMenu(mainWindow, TRUE);
    HMENU menu = GetSystemMenu(mainWindow, FALSE);
    if (!menu) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, SYS_STARTSTOP, running ? "停止" : "开始");
    AppendMenuA(menu, MF_STRING, SYS_RESET, "重置");
    AppendMenuA(menu, MF_STRING, SYS_SIMPLE, "简易");
    systemMenuShows = shows;
}

void scaleIcon() {
    HICON icon = loadSmallIcon();
    if (!icon) return;
    HICON old = smallIcon;
    smallIcon = icon;
    SendMessageA(mainWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    if (platform::windowState == platform::kWindowTray) {
        NOTIFYICONDATAA data = trayRecord("");
        data.uFlags = NIF_ICON;   // the tip stays what it says now
        Shell_NotifyIconA(NIM_MODIFY, &data);
    }
    // The class keeps the icon it was registered with.
    if (old && old != classIcon) DestroyIcon(old);
}

void menuLoop(bool entering) {
    menuLoopActive = entering;
    if (!entering) rebuildSystemMenu();   // what changed while it was open
}

void forgetSystemMenu() { systemMenuShows = 0; }

void taskbarCreated() {
    // Explorer restarted and lost its icons: without ours the hidden window
    // could not be brought back.
    if (platform::windowState == platform::kWindowTray) tray(NIM_ADD, kVersionTip);
}

void trayCallback(WPARAM iconId, LPARAM mouseMessage) {
    if (iconId != 0) return;
    uint32_t slot = countdown::titleSlot();
    tray(NIM_MODIFY, slot == countdown::kNoSlot ? kVersionTip : countdown::state.slots[slot].text);
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        platform::windowState = platform::kWindowNormal;
        tray(NIM_DELETE, kVersionTip);
        ShowWindow(mainWindow, SW_RESTORE);
        SetForegroundWindow(mainWindow);
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        PostMessageA(mainWindow, WM_RBUTTONUP, 0, 0);
    }
}

}  // namespace app
