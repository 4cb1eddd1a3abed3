// The options sheet and its "选项" page.
#include "dialogs/options_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <iterator>

#include "app/state.h"
#include "base/text.h"
#include "countdown/engine.h"
#include "countdown/shell.h"
#include "dialogs/options.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "platform/window_win.h"
#include "resources/resource.h"
#include "settings/extras.h"
#include "settings/record.h"
#include "settings/store.h"

namespace dialogs {

namespace {

using Flag = uint32_t settings::Record::*;

// The page's check boxes in the order they are stored; `topmost` is applied
// to the main window as soon as it is stored.
struct Box { int id; Flag flag; };
const Box kBoxes[] = {
    {IDC_OPT_MINIMIZEONSTART, &settings::Record::minimizeOnStart},
    {IDC_OPT_HIDEBUTTONS, &settings::Record::hideButtons},
    {IDC_OPT_REMEMBERPOSITION, &settings::Record::rememberPosition},
    {IDC_OPT_TOPMOST, &settings::Record::topmost},
    {IDC_OPT_REMEMBERTIME, &settings::Record::rememberTime},
    {IDC_OPT_AUTORESET, &settings::Record::autoReset},
    {IDC_OPT_MINIMIZETOTRAY, &settings::Record::minimizeToTray},
    {IDC_OPT_SHOWWINDOW, &settings::Record::showFinishWindow},
    {IDC_OPT_FINISHTOPMOST, &settings::Record::finishWindowTopmost},
    {IDC_OPT_MENU_TIMERS, &settings::Record::menuTimers},
    {IDC_OPT_MENU_DAYS, &settings::Record::menuDays},
    {IDC_OPT_MENU_TOPMOST, &settings::Record::menuTopmost},
    {IDC_OPT_MENU_TRANSPARENT, &settings::Record::menuTransparent},
    {IDC_OPT_MENU_HIDEBUTTONS, &settings::Record::menuHideButtons},
    {IDC_OPT_MENU_SECONDS, &settings::Record::menuSeconds},
    {IDC_OPT_MENU_MUTE, &settings::Record::menuMute},
    {IDC_OPT_MENU_CUSTOM, &settings::Record::menuCustom},
    {IDC_OPT_MENU_TEXT, &settings::Record::menuText},
    {IDC_OPT_MENU_SOUND, &settings::Record::menuSound},
};

// The check boxes' tips in the same order, then the other controls'.
const platform::Tip kTips[] = {
    {IDC_OPT_MINIMIZEONSTART, "当计数开始时最小化窗口"},
    {IDC_OPT_HIDEBUTTONS, "隐藏主窗口中的控制按钮"},
    {IDC_OPT_REMEMBERPOSITION, "保留窗口位置"},
    {IDC_OPT_TOPMOST, "使Tiv倒计时窗口在大部分窗口之上"},
    {IDC_OPT_REMEMBERTIME, "保留倒计时时间"},
    {IDC_OPT_AUTORESET, "只要出现一个警告通知就在时间窗口重置时间安排"},
    {IDC_OPT_MINIMIZETOTRAY, "最小化到系统托盘的任务栏"},
    {IDC_OPT_SHOWWINDOW, "当计时结束时显示一个窗口"},
    {IDC_OPT_FINISHTOPMOST, "使Tiv警报窗口置于大部分窗口之上"},
    {IDC_OPT_MENU_TIMERS, "激活菜单选项以更改窗口数目"},
    {IDC_OPT_MENU_DAYS, "激活菜单选项以更改天数显示的方法"},
    {IDC_OPT_MENU_TOPMOST, "激活菜单选项以更改最上窗口状况"},
    {IDC_OPT_MENU_TRANSPARENT, "激活菜单选项以更改透明度规定"},
    {IDC_OPT_MENU_HIDEBUTTONS, "激活菜单选项以更改当计时器执行时隐藏其他按钮"},
    {IDC_OPT_MENU_SECONDS, "激活菜单选项以更改秒数显示方式"},
    {IDC_OPT_MENU_MUTE, "激活菜单选项以更改为无声"},
    {IDC_OPT_MENU_CUSTOM, "激活菜单选项以允许更改自定义倒计时时间"},
    {IDC_OPT_MENU_TEXT, "激活菜单选项以允许快速警报文本变化"},
    {IDC_OPT_MENU_SOUND, "激活菜单选项以允许快速警报声音的改变"},
    {IDC_OPT_CUSTOM_BASE, "用分钟自定义最小时间"},
    {IDC_OPT_CUSTOM_MAX, "用分钟自定义最大时间范围"},
    {IDC_OPT_PERCENT, "Tiv 透明度百分比"},
    {IDC_OPT_HELP, "显示帮助文件"},
    {IDC_OPT_RESET, "重置Tiv设置为程序安装默认设置"},
    {IDC_OPT_WORDS, "打开 'dWords.txt' 快速设置文件    Tiv 必须重新启动才能使更改生效"},
    {IDC_OPT_SIMPLE, "转变为简易模式. 这个选项将隐藏大多数设置."},
};

const char kAsk[] = "你真的确认你想这么做吗?";

// The program's own box, owned by the main window; true for "确定".
bool confirmed(const char* line1, const char* line2, int askLine) {
    platform::MessageRequest request;
    request.style = platform::kStyleOkCancel;
    request.lines[0] = line1;
    request.lines[1] = line2;
    request.lines[askLine] = kAsk;
    return platform::showMessageBox(request) == platform::kResultOk;
}

uint32_t number(HWND page, int id) { return GetDlgItemInt(page, id, nullptr, FALSE); }

void fill(HWND page) {
    const settings::Record& r = settings::record;
    for (const Box& b : kBoxes) CheckDlgButton(page, b.id, r.*b.flag ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(page, IDC_OPT_PERCENT, percentFromAlpha(r.alpha), FALSE);
    SetDlgItemInt(page, IDC_OPT_CUSTOM_BASE, r.customBaseMinutes, FALSE);
    SetDlgItemInt(page, IDC_OPT_CUSTOM_MAX, r.customMaxMinutes, FALSE);
}

void store(HWND page) {
    settings::Record& r = settings::record;
    r.alpha = alphaFromPercent(number(page, IDC_OPT_PERCENT));
    for (const Box& b : kBoxes) {
        r.*b.flag = IsDlgButtonChecked(page, b.id) == BST_CHECKED ? 1 : 0;
        if (b.flag == &settings::Record::topmost) shell::keepOnTop(r.topmost);
    }
    r.customBaseMinutes = number(page, IDC_OPT_CUSTOM_BASE);
    r.customMaxMinutes = storedCustomMax(number(page, IDC_OPT_CUSTOM_MAX));
}

void init(HWND page) {
    const struct { int id; int high; } kRanges[] = {
        {IDC_OPT_CUSTOM_BASE_SPIN, 255}, {IDC_OPT_CUSTOM_MAX_SPIN, 255}, {IDC_OPT_PERCENT_SPIN, 100}};
    for (const auto& range : kRanges) SendDlgItemMessageA(page, range.id, UDM_SETRANGE32, 0, range.high);
    platform::addTooltips(page, kTips, std::size(kTips));
    fill(page);
}

void openFile(const char* folder, const char* name) {
    char path[settings::kFolderSize];
    text::joinPath(path, sizeof path, folder, name);
    ShellExecuteA(platform::mainWindow, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

void resetAll(HWND page) {
    if (!confirmed("这将重置所有的设置为默认设置", nullptr, 2)) return;
    settings::fullDefaults();
    app::writeTimeFields();
    fill(page);
    InvalidateRect(platform::mainWindow, nullptr, FALSE);
}

void askSimpleMode() {
    if (confirmed("在简易模式中大部分设置是无法实现的(想要改变这个设置可打开选项窗口)", "这个设置可打开选项窗口)", 3))
        settings::record.interfaceLevel = 0;
}

INT_PTR onNotify(HWND page, const NMHDR* note) {
    switch (note->code) {
    case PSN_SETACTIVE:
        fill(page);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
        return TRUE;
    case PSN_KILLACTIVE:
        store(page);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
        return TRUE;
    default:
        return TRUE;
    }
}

void onCommand(HWND page, int id) {
    switch (id) {
    case IDC_OPT_HELP: openFile(settings::store.programFolder, "ReadMe.htm"); break;
    case IDC_OPT_RESET: resetAll(page); break;
    case IDC_OPT_WORDS: openFile(settings::store.dataFolder, "dWords.txt"); break;
    case IDC_OPT_SIMPLE: askSimpleMode(); break;
    default: break;
    }
}

HPROPSHEETPAGE makePage(int templateId, DLGPROC proc) {
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.hInstance = platform::instance;
    page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pfnDlgProc = proc;
    return CreatePropertySheetPageA(&page);
}

}  // namespace

bool notifiedHere(LPARAM lParam) { return platform::readable(reinterpret_cast<const void*>(lParam), sizeof(NMHDR)); }

INT_PTR CALLBACK optionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: init(page); return TRUE;
    case WM_NOTIFY: return notifiedHere(lParam) ? onNotify(page, reinterpret_cast<const NMHDR*>(lParam)) : FALSE;
    case WM_COMMAND: onCommand(page, LOWORD(wParam)); return TRUE;
    case WM_DESTROY: platform::removeTooltips(page, kTips, std::size(kTips)); return FALSE;
    default: return FALSE;
    }
}

void openOptionsSheet() {
    app::state.optionsOpen = true;
    settings::Record& r = settings::record;
    if (r.interfaceLevel == 0) {
        if (!confirmed("这将取消简易模式.", nullptr, 2)) {
            app::state.optionsOpen = false;
            return;
        }
        r.interfaceLevel = 6;
    }
    HPROPSHEETPAGE pages[] = {makePage(IDD_TIMERPAGE, timerPageProc),
                              makePage(IDD_QUICKSETTINGS, quickSettingsPageProc),
                              makePage(IDD_OPTIONS, optionsPageProc), makePage(IDD_MORE, morePageProc)};
    PROPSHEETHEADERA sheet{};
    sheet.dwSize = sizeof sheet;
    sheet.dwFlags = PSH_NOAPPLYNOW;
    sheet.hwndParent = platform::mainWindow;
    sheet.hInstance = platform::instance;
    sheet.pszCaption = "Tiv 1.4";
    sheet.nPages = 4;
    sheet.nStartPage = 0;
    sheet.phpage = pages;
    PropertySheetA(&sheet);
    app::state.optionsOpen = false;
    if (r.interfaceLevel == 0) app::simpleModeReset();
    app::saveSettings();
    // "更多" lets go of the hotkeys while it is shown; a Cancel there leaves them so.
    app::registerHotkeys();
    settings::saveExtrasIfChanged();
    if (!countdown::anyNotIdle()) InvalidateRect(platform::mainWindow, nullptr, FALSE);
}

}  // namespace dialogs
