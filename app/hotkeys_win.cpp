// Global hotkeys: the commands Tiv already has, from any program.
#include "app/state.h"
#include "app/window_win.h"
#include "countdown/engine.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/extras.h"

namespace app {

namespace {

// Not declared for the system versions the program builds for.
constexpr UINT kModNoRepeat = 0x4000;
// Hotkey ids 1..6 name the actions in file order.
constexpr int kFirstId = 1;
// Only for the options page's question whether a combination is free.
constexpr int kProbeId = 0x7F00;

const UINT kCommands[settings::kHotkeyCount] = {IDC_STARTSTOP, IDC_RESET, CMD_STARTALL, CMD_STOPALL, CMD_ENDSOUND, 0};

bool registerOn(HWND window, int id, settings::Hotkey hotkey) {
    UINT modifiers = hotkey.modifiers & settings::kModAll;
    if (RegisterHotKey(window, id, modifiers | kModNoRepeat, hotkey.key)) return true;
    // Systems before Windows 7 know no MOD_NOREPEAT and refuse it as such.
    return GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED && RegisterHotKey(window, id, modifiers, hotkey.key);
}

bool inFront() {
    HWND front = GetForegroundWindow();
    return front && (front == mainWindow || GetWindow(front, GW_OWNER) == mainWindow) && !IsIconic(mainWindow) &&
           IsWindowVisible(mainWindow);
}

// Minimised the usual way, so minimizeToTray takes it to the tray; else back
// in front, with whatever dialog it has open.
void showOrHide() {
    if (inFront()) {
        ShowWindow(mainWindow, SW_MINIMIZE);
        return;
    }
    if (platform::windowState == platform::kWindowTray) {
        trayCallback(0, WM_LBUTTONDBLCLK);
        return;
    }
    ShowWindow(mainWindow, IsIconic(mainWindow) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(GetLastActivePopup(mainWindow));
}

}  // namespace

void registerHotkeys() {
    unregisterHotkeys();
    for (uint32_t a = 0; a < settings::kHotkeyCount; ++a) {
        settings::Hotkey hotkey = settings::extras.hotkeys[a];
        if (!settings::isOn(hotkey)) continue;
        if (registerOn(mainWindow, kFirstId + static_cast<int>(a), hotkey)) state.hotkeyRegistered[a] = true;
        else state.hotkeyTaken[a] = true;
    }
}

void unregisterHotkeys() {
    for (uint32_t a = 0; a < settings::kHotkeyCount; ++a) {
        if (state.hotkeyRegistered[a]) UnregisterHotKey(mainWindow, kFirstId + static_cast<int>(a));
        state.hotkeyRegistered[a] = false;
        state.hotkeyTaken[a] = false;
    }
}

bool hotkeyFree(settings::Hotkey hotkey) {
    if (!settings::isOn(hotkey) || !registerOn(mainWindow, kProbeId, hotkey)) return false;
    UnregisterHotKey(mainWindow, kProbeId);
    return true;
}

void onHotkey(WPARAM id) {
    // Any program may post WM_HOTKEY: only an id that is registered acts.
    if (id < kFirstId || id >= kFirstId + settings::kHotkeyCount) return;
    uint32_t action = static_cast<uint32_t>(id - kFirstId);
    if (!state.hotkeyRegistered[action]) return;
    if (action == settings::kHotkeyShowHide) showOrHide();
    else dispatchCommand(kCommands[action]);
}

}  // namespace app
