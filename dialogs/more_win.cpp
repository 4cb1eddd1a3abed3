// The options sheet's "更多" page: the global hotkeys and, per timer,
// counting on past zero. Its values live in dTiv.ini, not in the record.
#include <windows.h>
#include <commctrl.h>

#include <iterator>

#include "app/state.h"
#include "dialogs/options_win.h"
#include "platform/window_win.h"
#include "resources/resource.h"
#include "settings/extras.h"
#include "settings/record.h"

namespace dialogs {

namespace {

using settings::kHotkeyCount;

const char kTaken[] = "已被其他程序使用";
const char kOvertimeTip[] = "计时结束后继续计时并显示超出的时间, 直到确认警报或重置";

const platform::Tip kTips[] = {
    {IDC_MORE_HOTKEY + 0, "在任何程序中按下这个组合键: 开始或停止所示计时器, 或确认它的警报"},
    {IDC_MORE_HOTKEY + 1, "在任何程序中按下这个组合键: 重置所示计时器"},
    {IDC_MORE_HOTKEY + 2, "在任何程序中按下这个组合键: 开始全部计时器"},
    {IDC_MORE_HOTKEY + 3, "在任何程序中按下这个组合键: 停止全部计时器"},
    {IDC_MORE_HOTKEY + 4, "在任何程序中按下这个组合键: 结束警报声音"},
    {IDC_MORE_HOTKEY + 5, "在任何程序中按下这个组合键: 显示或隐藏Tiv窗口"},
    {IDC_MORE_OVERTIME + 0, kOvertimeTip},
    {IDC_MORE_OVERTIME + 1, kOvertimeTip},
    {IDC_MORE_OVERTIME + 2, kOvertimeTip},
    {IDC_MORE_OVERTIME + 3, kOvertimeTip},
};

// Rows whose combination another program holds: from the last registration,
// then from asking again whenever a row changes. One sheet open at a time.
bool taken[kHotkeyCount];

int hotkeyId(uint32_t action) { return IDC_MORE_HOTKEY + static_cast<int>(action); }

uint32_t controlValue(HWND page, uint32_t action) {
    return static_cast<uint32_t>(SendDlgItemMessageA(page, hotkeyId(action), HKM_GETHOTKEY, 0, 0)) & 0xFFFF;
}

void setControl(HWND page, uint32_t action, settings::Hotkey hotkey) {
    SendDlgItemMessageA(page, hotkeyId(action), HKM_SETHOTKEY, settings::toHotkeyControl(hotkey), 0);
}

void showStatus(HWND page, uint32_t action) {
    SetDlgItemTextA(page, IDC_MORE_STATUS + static_cast<int>(action), taken[action] ? kTaken : "");
}

void fill(HWND page) {
    for (uint32_t a = 0; a < kHotkeyCount; ++a) {
        setControl(page, a, settings::extras.hotkeys[a]);
        showStatus(page, a);
    }
    for (uint32_t s = 0; s < 4; ++s) {
        HWND box = GetDlgItem(page, IDC_MORE_OVERTIME + static_cast<int>(s));
        CheckDlgButton(page, IDC_MORE_OVERTIME + static_cast<int>(s), settings::extras.overtime[s] == 1 ? BST_CHECKED : BST_UNCHECKED);
        ShowWindow(box, s <= settings::timerCount() ? SW_SHOW : SW_HIDE);
    }
}

void store(HWND page) {
    for (uint32_t a = 0; a < kHotkeyCount; ++a) {
        uint32_t value = controlValue(page, a);
        // The control has no Win key: a combination with it that the user
        // did not touch stays as the file gave it.
        if (value != settings::toHotkeyControl(settings::extras.hotkeys[a]))
            settings::extras.hotkeys[a] = settings::fromHotkeyControl(value);
    }
    for (uint32_t s = 0; s < 4; ++s)
        settings::extras.overtime[s] = IsDlgButtonChecked(page, IDC_MORE_OVERTIME + static_cast<int>(s)) == BST_CHECKED ? 1 : 0;
}

// A row changed: a key without a name in the file is refused, a combination
// another row has moves here, and whether it can be had is asked at once.
void rowChanged(HWND page, uint32_t action) {
    uint32_t value = controlValue(page, action);
    settings::Hotkey hotkey = settings::fromHotkeyControl(value);
    if (!settings::isOn(hotkey)) {
        if (value != 0) setControl(page, action, {});
        taken[action] = false;
        showStatus(page, action);
        return;
    }
    for (uint32_t other = 0; other < kHotkeyCount; ++other) {
        if (other == action || !(settings::fromHotkeyControl(controlValue(page, other)) == hotkey)) continue;
        setControl(page, other, {});
        taken[other] = false;
        showStatus(page, other);
    }
    taken[action] = !app::hotkeyFree(hotkey);
    showStatus(page, action);
}

void init(HWND page) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    for (uint32_t a = 0; a < kHotkeyCount; ++a) {
        // A key alone would be taken from every program: it gets Ctrl+Alt.
        SendDlgItemMessageA(page, hotkeyId(a), HKM_SETRULES, HKCOMB_NONE, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
        taken[a] = app::state.hotkeyTaken[a];
    }
    platform::addTooltips(page, kTips, std::size(kTips));
    fill(page);
}

INT_PTR onNotify(HWND page, const NMHDR* note) {
    switch (note->code) {
    case PSN_SETACTIVE:
        // Tiv's own hotkeys would swallow the keys typed into the controls.
        app::unregisterHotkeys();
        fill(page);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
        return TRUE;
    case PSN_KILLACTIVE:
        store(page);
        app::registerHotkeys();
        SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
        return TRUE;
    default:
        return TRUE;
    }
}

void onCommand(HWND page, WPARAM wParam) {
    int id = LOWORD(wParam);
    if (HIWORD(wParam) == EN_CHANGE && id >= IDC_MORE_HOTKEY && id < IDC_MORE_HOTKEY + static_cast<int>(kHotkeyCount))
        rowChanged(page, static_cast<uint32_t>(id - IDC_MORE_HOTKEY));
}

}  // namespace

INT_PTR CALLBACK morePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: init(page); return TRUE;
    case WM_NOTIFY: return notifiedHere(lParam) ? onNotify(page, reinterpret_cast<const NMHDR*>(lParam)) : FALSE;
    case WM_COMMAND: onCommand(page, wParam); return TRUE;
    case WM_DESTROY: platform::removeTooltips(page, kTips, std::size(kTips)); return FALSE;
    default: return FALSE;
    }
}

}  // namespace dialogs
