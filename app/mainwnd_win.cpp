#include <windows.h>
#include <commctrl.h>

#include <iterator>

#include "app/layout.h"
#include "app/state.h"
#include "app/window_win.h"
#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "countdown/shell.h"
#include "dialogs/menu_win.h"
#include "dialogs/options_win.h"
#include "display/geometry.h"
#include "display/paint_win.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/store.h"
#include "settings/words.h"

namespace app {


namespace {

struct ControlSpec {
    int id;
    const char* className;
    const char* caption;
    int x, y, w, h;
    int spinMax;   // up-down range, 0 for other controls
};

const ControlSpec kControls[] = {
    {IDC_STARTSTOP, "Button", "开始", 3, 3, 60, 25, 0},
    {IDC_RESET, "Button", "重置", 64, 3, 60, 25, 0},
    {IDC_SIMPLE, "Button", "简易", 130, 3, 60, 25, 0},
    {IDC_OPTIONS, "Button", "选项", 192, 3, 60, 25, 0},
    {IDC_SHOWHELP, "Button", "帮助", 254, 3, 60, 25, 0},
    {IDC_ABOUT, "Button", "关于", 316, 3, 60, 25, 0},
    {IDC_DAYS, "Edit", "", 3, 30, 40, 22, 0},
    {IDC_DAYS_SPIN, UPDOWN_CLASSA, nullptr, 2, 30, 35, 22, 50},
    {IDC_HOURS, "Edit", "", 3, 30, 40, 22, 0},
    {IDC_HOURS_SPIN, UPDOWN_CLASSA, nullptr, 2, 30, 35, 22, 99},
    {IDC_MINUTES, "Edit", "", 44, 30, 40, 22, 0},
    {IDC_MINUTES_SPIN, UPDOWN_CLASSA, nullptr, 2, 30, 35, 22, 99},
    {IDC_SECONDS, "Edit", "", 86, 30, 40, 22, 0},
    {IDC_SECONDS_SPIN, UPDOWN_CLASSA, nullptr, 2, 30, 35, 22, 99},
};

const platform::Tip kTips[] = {
    {IDC_STARTSTOP, "开始/停止 计数.除非'自动重置'在这里没有重置时间"},
    {IDC_RESET, "在时间窗口重置时间"},
    {IDC_SIMPLE, "重置窗口大小为默认设置"},
    {IDC_OPTIONS, "显示'选项'窗口"},
    {IDC_SHOWHELP, "显示帮助文件"},
    {IDC_ABOUT, "关于Tiv: 版本和文件夹"},
    {IDC_DAYS, "倒计天数"},
    {IDC_HOURS, "倒计小时数"},
    {IDC_MINUTES, "倒计分钟数"},
    {IDC_SECONDS, "倒计秒数"},
};

// Days, hours, minutes, seconds: the order of the layout's field pairs.
const int kFieldIds[4][2] = {
    {IDC_DAYS, IDC_DAYS_SPIN},
    {IDC_HOURS, IDC_HOURS_SPIN},
    {IDC_MINUTES, IDC_MINUTES_SPIN},
    {IDC_SECONDS, IDC_SECONDS_SPIN},
};

// DEFAULT_GUI_FONT is made for the screen's dpi; a window on a monitor of
// another scale gets the same font at its own.
HFONT controlFont;
bool controlFontOwned;

void makeControlFont() {
    HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HFONT font = stock;
    UINT screenDpi = platform::systemDpi();
    if (display::view.dpi != screenDpi) {
        LOGFONTA face{};
        GetObjectA(stock, sizeof face, &face);
        face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(display::view.dpi), static_cast<int>(screenDpi));
        face.lfWidth = 0;
        if (HFONT made = CreateFontIndirectA(&face)) font = made;
    }
    if (controlFontOwned) DeleteObject(controlFont);
    controlFont = font;
    controlFontOwned = font != stock;
}

Place placeOf(const ControlSpec& c) { return scaledPlace({c.x, c.y, c.w, c.h}); }

void createControls(HWND window) {
    tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    makeControlFont();
    for (const ControlSpec& c : kControls) {
        bool edit = c.className[0] == 'E';
        bool spin = c.spinMax != 0;
        DWORD style = WS_CHILD | WS_VISIBLE;
        if (spin) style |= UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_HOTTRACK;
        else if (edit) style |= WS_TABSTOP | ES_NUMBER;
        else style |= WS_BORDER | WS_TABSTOP | BS_PUSHBUTTON;
        Place at = placeOf(c);
        HWND control = CreateWindowExA(edit ? WS_EX_CLIENTEDGE : 0, c.className, c.caption, style, at.x, at.y,
                                       at.w, at.h, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                       instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont), FALSE);
        if (spin) SendMessageA(control, UDM_SETRANGE, 0, MAKELPARAM(c.spinMax, 0));
    }
    platform::addTooltips(window, kTips, std::size(kTips));
}

// After a change of dpi: the buttons' places and every control's font. The
// fields are placed by the layout that follows.
void rescaleControls() {
    makeControlFont();
    for (const ControlSpec& c : kControls) {
        HWND control = GetDlgItem(mainWindow, c.id);
        if (!control) continue;
        if (c.className[0] == 'B') {
            Place at = placeOf(c);
            MoveWindow(control, at.x, at.y, at.w, at.h, FALSE);
        }
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont), FALSE);
    }
}

// While a saved placement is applied, a move onto a monitor of another scale
// keeps the saved size: it was the window's size on that monitor.
bool placing;

void restorePlacement(HWND window) {
    if (!settings::record.rememberPosition) return;
    WINDOWPLACEMENT wp;
    CopyMemory(&wp, settings::record.windowPlacement, sizeof wp);
    // A first run holds zeros, and a placement from a monitor that is gone
    // would open the window out of reach: both keep the system's position.
    RECT r = wp.rcNormalPosition;
    if (wp.length != sizeof wp || r.right <= r.left || r.bottom <= r.top) return;
    if (!MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return;
    wp.length = sizeof wp;
    placing = true;
    SetWindowPlacement(window, &wp);
    placing = false;
}

UINT taskbarCreatedMessage;
UINT taskbarButtonMessage;
// Whether the Start/Stop button was last given "停止"; it is made showing "开始".
bool startStopSaysStop;

void onCreate(HWND window) {
    mainWindow = window;
    taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    taskbarButtonMessage = RegisterWindowMessageA("TaskbarButtonCreated");
    forgetSystemMenu();
    // The window was made at the screen's scale; its monitor may have another.
    UINT made = display::view.dpi;
    display::view.dpi = platform::windowDpi(window);
    if (display::view.dpi != made) {
        SetWindowPos(window, nullptr, 0, 0, defaultWidth(), defaultHeight(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    createControls(window);
    nameTimeFields();
    startStopSaysStop = false;
    writeTimeFields();
    words::loadWordsFile();
    restorePlacement(window);
    SetTimer(window, TIMER_STARTUP, countdown::kStartupMs, nullptr);
}

void onSize(HWND window, WPARAM type) {
    SetWindowTextA(window, kTitle);
    if (type == SIZE_MINIMIZED) {
        if (settings::record.minimizeToTray) {
            ShowWindow(window, SW_HIDE);
            tray(NIM_ADD, kVersionTip);
            platform::windowState = platform::kWindowTray;
        } else {
            platform::windowState = platform::kWindowMinimised;
        }
    } else {
        platform::windowState = platform::kWindowNormal;
    }
    layOutWindow();
}

// The rectangle the system suggests for a new scale, when it points at a
// plausible window in this process; else the window rescaled where it stands.
RECT newScaleRect(HWND window, UINT dpi, LPARAM lParam) {
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    if (platform::readable(suggested, sizeof(RECT))) {
        RECT r = *suggested;
        if (plausibleWindow({r.left, r.top, r.right, r.bottom})) return r;
    }
    RECT now{};
    GetWindowRect(window, &now);
    Box r = rescaledWindow({now.left, now.top, now.right, now.bottom}, display::view.dpi, dpi);
    return {r.left, r.top, r.right, r.bottom};
}

// Moved to a monitor of another scale, or that monitor's scale changed.
void onDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    // Posted copies never get here (see main_win.cpp); a sent one may still
    // come from any program.
    UINT dpi = LOWORD(wParam);
    if (HIWORD(wParam) != dpi || !plausibleDpi(dpi) || dpi == display::view.dpi) return;
    RECT to = newScaleRect(window, dpi, lParam);
    display::view.dpi = dpi;
    rescaleControls();
    scaleIcon();
    if (!placing && !IsIconic(window))
        SetWindowPos(window, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    layOutWindow();
    // The controls too: new fonts were set without drawing, and a move to a
    // size the window already has redraws nothing by itself.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void leftClick(LPARAM point) {
    selectByClick(static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point)));
    const countdown::Slot& shown = countdown::shownSlot();
    if (countdown::isAlarm(shown.runState) || shown.overtime)
        PostMessageA(mainWindow, WM_COMMAND, IDC_STARTSTOP, 0);
    else if (settings::record.quickPickOnClick && !countdown::state.customTimeOn)
        dialogs::showQuickPicker();
}

LRESULT onSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case SYS_STARTSTOP: PostMessageA(window, WM_COMMAND, IDC_STARTSTOP, 0); return 0;
    case SYS_RESET: PostMessageA(window, WM_COMMAND, IDC_RESET, 0); return 0;
    case SYS_SIMPLE: PostMessageA(window, WM_COMMAND, IDC_SIMPLE, 0); return 0;
    default: return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
    }
}

}  // namespace

void selectByClick(int x, int y) {
    uint32_t slot = display::slotAt(x, y);
    if (slot == countdown::state.shownTimer) return;
    countdown::state.shownTimer = slot;
    countdown::state.displayDirty = 1;
    shell::invalidate(false);
    refreshStartStopCaption();
    countdown::reportProgress();
}

void writeTimeFields() {
    const settings::Record& r = settings::record;
    SetDlgItemInt(mainWindow, IDC_DAYS, r.days, FALSE);
    SetDlgItemInt(mainWindow, IDC_HOURS, r.hours, FALSE);
    SetDlgItemInt(mainWindow, IDC_MINUTES, r.minutes, FALSE);
    SetDlgItemInt(mainWindow, IDC_SECONDS, r.seconds, FALSE);
}

void refreshStartStopCaption() {
    bool idle = countdown::shownSlot().runState == countdown::kIdle;
    // Called on every tick: an unchanged caption would still repaint the
    // button, and even asking the button costs a trip to the window server.
    if (idle != startStopSaysStop) return;
    SetDlgItemTextA(mainWindow, IDC_STARTSTOP, idle ? "开始" : "停止");
    startStopSaysStop = !idle;
}

void layOutWindow() {
    RECT client;
    GetClientRect(mainWindow, &client);
    FieldLayout fields = layOut(client.right, client.bottom - client.top);
    for (int pair = 0; pair < 4; ++pair) {
        HWND edit = GetDlgItem(mainWindow, kFieldIds[pair][0]);
        HWND spin = GetDlgItem(mainWindow, kFieldIds[pair][1]);
        if (pair == 0) {
            int show = fields.pairs[0].shown ? SW_SHOW : SW_HIDE;
            bool narrow = display::view.width <= display::scaled(kDaysThreshold);
            if (narrow || fields.pairs[0].shown) {
                ShowWindow(edit, show);
                ShowWindow(spin, show);
            }
            if (narrow) continue;
        }
        const Place& e = fields.pairs[pair].edit;
        const Place& s = fields.pairs[pair].spin;
        MoveWindow(edit, e.x, e.y, e.w, e.h, TRUE);
        MoveWindow(spin, s.x, s.y, s.w, s.h, TRUE);
    }
    display::dropBackBuffer();
}

void applyControlVisibility() {
    int show = controlsVisible() ? SW_SHOW : SW_HIDE;
    for (int id = 1000; id <= 1010; ++id)
        if (HWND c = GetDlgItem(mainWindow, id)) ShowWindow(c, show);
    for (int id = 1100; id <= 1105; ++id)
        if (HWND c = GetDlgItem(mainWindow, id)) ShowWindow(c, show);
    layOutWindow();
    InvalidateRect(mainWindow, nullptr, TRUE);
}

void shutdown() {
    unregisterHotkeys();
    saveSettings();
    tray(NIM_DELETE, kVersionTip);
    PostQuitMessage(0);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: onCreate(window); return 0;
    case WM_CLOSE:
    case WM_DESTROY: shutdown(); return 0;
    case WM_QUERYENDSESSION: shutdown(); return TRUE;
    case WM_SIZE: onSize(window, wParam); return 0;
    case WM_PAINT: display::paintMain(window); return 0;
    case WM_GETOBJECT: return answerObjectRequest(window, wParam, lParam);
    case WM_COMMAND: dispatchCommand(wParam); return 0;
    case WM_HOTKEY: onHotkey(wParam); return 0;
    case WM_SYSCOMMAND: return onSysCommand(window, wParam, lParam);
    case WM_TIMER: countdown::onWindowTimer(static_cast<uint32_t>(wParam)); return 0;
    case WM_LBUTTONUP: leftClick(lParam); return 0;
    case WM_RBUTTONUP: dialogs::showContextMenu(lParam); return 0;
    case MSG_TRAY: trayCallback(wParam, lParam); return 0;
    case platform::kMsgAlarmStep:
        countdown::alarmStep(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
        return 0;
    case kMsgDpiChanged: onDpiChanged(window, wParam, lParam); return 0;
    case WM_ENTERMENULOOP: menuLoop(true); return 0;
    case WM_EXITMENULOOP: menuLoop(false); return 0;
    default:
        // Not a constant: registered at run time.
        if (message == taskbarCreatedMessage && message != 0) taskbarCreated();
        if (message == taskbarButtonMessage && message != 0) taskbarButtonCreated();
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace app
