#include <windows.h>
#include <shellapi.h>

#include "app/state.h"
#include "app/window_win.h"
#include "countdown/engine.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/text.h"

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

void tray(DWORD operation, const char* tip) {
    NOTIFYICONDATAA data{};
    data.cbSize = 488;
    data.hWnd = mainWindow;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = MSG_TRAY;
    data.hIcon = smallIcon;
    text::copyBounded(data.szTip, tip, 128);
    Shell_NotifyIconA(operation, &data);
}

void rebuildSystemMenu() {
    GetSystemMenu(mainWindow, TRUE);
    HMENU menu = GetSystemMenu(mainWindow, FALSE);
    if (!menu) return;
    bool running = countdown::isCounting(countdown::runState[settings::slotIndex(countdown::shownTimer)]);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, SYS_STARTSTOP, running ? "停止" : "开始");
    AppendMenuA(menu, MF_STRING, SYS_RESET, "重置");
    AppendMenuA(menu, MF_STRING, SYS_SIMPLE, "简易");
}

void trayCallback(WPARAM iconId, LPARAM mouseMessage) {
    if (iconId != 0) return;
    uint32_t slot = countdown::titleSlot();
    tray(NIM_MODIFY, slot == countdown::kNoSlot ? kVersionTip : countdown::slotText[slot]);
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
