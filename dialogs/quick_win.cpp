// The "快速设置" page of the options sheet and the quick picker it edits.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>

#include "app/state.h"
#include "countdown/engine.h"
#include "dialogs/options_win.h"
#include "dialogs/quick.h"
#include "display/geometry.h"
#include "platform/window_win.h"
#include "resources/resource.h"
#include "settings/record.h"

namespace dialogs {

namespace {

using settings::record;

constexpr int kRows = static_cast<int>(kQuickEntries);
constexpr int kSpinMax = 32767;
constexpr int kPickerOffset = 50;   // pixels at 96 dpi up and left of the pointer
const char* const kUnitNames[4] = {"秒", "分钟", "小时", "天"};

constexpr int valueId(int row) { return IDC_QUICK_VALUE1 + 2 * row; }
constexpr int unitId(int row) { return IDC_QUICK_UNIT1 + 2 * row; }
int spinId(int row) { return IDC_QUICK_SPIN1 + row; }

using Tips = std::array<platform::Tip, 2 + 2 * kRows>;

// The two switches, then each row's amount and unit.
constexpr Tips pageTips() {
    Tips tips{};
    tips[0] = {IDC_QUICK_ONCLICK, "激活左键快速设置窗口"};
    tips[1] = {IDC_QUICK_AUTOSTART, "从快速设置窗口选择一个时间后开始倒计时"};
    for (int row = 0; row < kRows; ++row) {
        tips[2 + 2 * row] = {valueId(row), "快速设置数值"};
        tips[3 + 2 * row] = {unitId(row), "快速设置时间周期"};
    }
    return tips;
}

constexpr Tips kTips = pageTips();

void applyEnableRule(HWND page) {
    BOOL on = record.quickPickOnClick != 0;
    EnableWindow(GetDlgItem(page, IDC_QUICK_AUTOSTART), on);
    for (int id = IDC_QUICK_VALUE1; id <= IDC_QUICK_UNIT12; ++id) EnableWindow(GetDlgItem(page, id), on);
}

void fillPage(HWND page) {
    CheckDlgButton(page, IDC_QUICK_ONCLICK, record.quickPickOnClick ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_QUICK_AUTOSTART, record.quickPickAutoStart ? BST_CHECKED : BST_UNCHECKED);
    for (int row = 0; row < kRows; ++row) {
        SendDlgItemMessageA(page, spinId(row), UDM_SETRANGE, 0, MAKELPARAM(kSpinMax, 0));
        SetDlgItemInt(page, valueId(row), record.quickValue[row], FALSE);
        HWND list = GetDlgItem(page, unitId(row));
        SendMessageA(list, CB_RESETCONTENT, 0, 0);
        for (int u = 0; u < 4; ++u)
            SendMessageA(list, CB_INSERTSTRING, u, reinterpret_cast<LPARAM>(kUnitNames[u]));
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(static_cast<int32_t>(record.quickUnit[row])), 0);
    }
    applyEnableRule(page);
}

void storePage(HWND page) {
    record.quickPickAutoStart = IsDlgButtonChecked(page, IDC_QUICK_AUTOSTART) == BST_CHECKED;
    for (int row = 0; row < kRows; ++row) {
        record.quickValue[row] = GetDlgItemInt(page, valueId(row), nullptr, FALSE);
        // No selection gives CB_ERR, stored as -1: picked as days.
        LRESULT unit = SendDlgItemMessageA(page, unitId(row), CB_GETCURSEL, 0, 0);
        record.quickUnit[row] = static_cast<uint32_t>(unit);
    }
}

INT_PTR onNotify(HWND page, const NMHDR* header) {
    switch (header->code) {
    case PSN_SETACTIVE: fillPage(page); break;
    case PSN_KILLACTIVE: storePage(page); break;
    default: return TRUE;
    }
    SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
    return TRUE;
}

// 50 pixels up and left of the pointer, kept on the pointer's monitor so
// that a click near a screen edge still shows every button.
void placeNearCursor(HWND box) {
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT frame{};
    GetWindowRect(box, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    int offset = display::scaled(kPickerOffset);
    int x = std::max<int>(work.left, std::min<int>(cursor.x - offset, work.right - (frame.right - frame.left)));
    int y = std::max<int>(work.top, std::min<int>(cursor.y - offset, work.bottom - (frame.bottom - frame.top)));
    SetWindowPos(box, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void labelButtons(HWND box) {
    for (int k = 0; k < kRows; ++k) {
        char caption[16];
        quickCaption(record.quickValue[k], record.quickUnit[k], caption, sizeof caption);
        SetDlgItemTextA(box, IDC_QUICK_PICK1 + k, caption);
    }
}

INT_PTR CALLBACK pickerProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        placeNearCursor(box);
        labelButtons(box);
        return TRUE;
    case WM_COMMAND: {
        // Only the twelve entries: a stray id must not index past them.
        int id = LOWORD(wParam);
        if (id == IDCANCEL || (id >= IDC_QUICK_PICK1 && id <= IDC_QUICK_PICK12)) EndDialog(box, id);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK quickSettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        platform::addTooltips(page, kTips.data(), kTips.size());
        fillPage(page);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDC_QUICK_ONCLICK) return FALSE;
        record.quickPickOnClick = IsDlgButtonChecked(page, IDC_QUICK_ONCLICK) == BST_CHECKED;
        applyEnableRule(page);
        return TRUE;
    case WM_NOTIFY:
        return notifiedHere(lParam) ? onNotify(page, reinterpret_cast<const NMHDR*>(lParam)) : FALSE;
    case WM_DESTROY:
        platform::removeTooltips(page, kTips.data(), kTips.size());
        return FALSE;
    default:
        return FALSE;
    }
}

void showQuickPicker() {
    INT_PTR picked = DialogBoxParamA(platform::instance, MAKEINTRESOURCEA(IDD_QUICKPICK), platform::mainWindow, pickerProc, 0);
    if (picked < IDC_QUICK_PICK1 || picked > IDC_QUICK_PICK12) return;
    // Read before the posted reset runs: a counting timer restarts from the
    // new length and must not be started again.
    uint32_t shown = countdown::shownSlot().runState;
    bool start = applyQuickPick(record, static_cast<uint32_t>(picked - IDC_QUICK_PICK1), shown);
    app::writeTimeFields();
    PostMessageA(platform::mainWindow, WM_COMMAND, IDC_RESET, 0);
    if (start) PostMessageA(platform::mainWindow, WM_COMMAND, IDC_STARTSTOP, 0);
}

}  // namespace dialogs
