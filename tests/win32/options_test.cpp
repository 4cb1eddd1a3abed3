// The options sheet and its "选项" page on the real main window, opened in
// this process. The sheet is modal: a second thread drives it the way a user
// would, while this thread runs the sheet.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/state.h"
#include "app/window_win.h"
#include "countdown/engine.h"
#include "dialogs/options_win.h"
#include "driver.h"
#include "inproc.h"
#include "resources/resource.h"
#include "settings/record.h"

namespace {

struct Found { DWORD thread; bool box; HWND window; };

BOOL CALLBACK findDialog(HWND window, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    if (GetWindowThreadProcessId(window, nullptr) != f->thread || !IsWindowVisible(window)) return TRUE;
    bool isBox = GetDlgItem(window, 850) != nullptr;   // the message box's first line
    bool isSheet = FindWindowExA(window, nullptr, "SysTabControl32", nullptr) != nullptr;
    if ((f->box && isBox) || (!f->box && isSheet)) {
        f->window = window;
        return FALSE;
    }
    return TRUE;
}

// The sheet (or the program's message box) of the main thread.
HWND waitDialog(DWORD thread, bool box, DWORD timeoutMs = 5000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        Found f{thread, box, nullptr};
        EnumWindows(findDialog, reinterpret_cast<LPARAM>(&f));
        if (f.window) return f.window;
        Sleep(50);
    }
    return nullptr;
}

// The sheet's own loop looks at its end only when a message is posted to
// it, as real clicks are; a button pressed from another thread needs one.
void press(HWND sheet, int button) {
    SendMessageA(sheet, PSM_PRESSBUTTON, button, 0);
    PostMessageA(sheet, WM_NULL, 0, 0);
}

HWND currentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// Runs command 1006 on this thread, as the button does, while `drive` works
// from another thread what it opens; `drive` must close it.
void withOptions(const std::function<void()>& drive) {
    std::thread driver(drive);
    SendMessageA(app::mainWindow, WM_COMMAND, 1006, 0);
    driver.join();
    inproc::pump(50);
}

// The same when the sheet opens at once: `drive` gets it.
void withSheet(const std::function<void(HWND sheet)>& drive) {
    DWORD self = GetCurrentThreadId();
    withOptions([&] { drive(waitDialog(self, false)); });
}

void answerBox(DWORD thread, int button) {
    HWND box = waitDialog(thread, true);
    ASSERT_NE(box, nullptr) << "no question came";
    SendMessageA(box, WM_COMMAND, button, 0);
}

class OptionsSheet : public ::testing::Test {
protected:
    HWND main = nullptr;
    DWORD mainThread = GetCurrentThreadId();
    void TearDown() override { inproc::close(); }
    std::vector<unsigned char> savedFile() { return driver::readFile(inproc::dataFolder() + "dTiv.dat"); }
};

// A page's edits are kept when the page is left, whatever closes the sheet
// afterwards; Cancel without leaving drops them. The file is written at
// every close.
TEST_F(OptionsSheet, EditsKeptByLeavingThePage) {
    struct Row {
        const char* how;
        bool leave;
        int button;
        uint32_t topmost, alpha;
    } rows[] = {
        {"left, then cancelled", true, PSBTN_CANCEL, 0, 130},
        {"cancelled without leaving", false, PSBTN_CANCEL, 1, 255},
        {"OK", false, PSBTN_OK, 0, 130},
    };
    for (const auto& row : rows) {
        // An alpha that its percentage gives back exactly: Wine's sheet also
        // commits a page right after showing it.
        main = inproc::open([] {
            settings::record.topmost = 1;
            settings::record.alpha = 255;
        });
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
        bool leftWhileOpen = false;
        withSheet([&](HWND sheet) {
            ASSERT_NE(sheet, nullptr);
            EXPECT_EQ(SendMessageA(sheet, PSM_INDEXTOHWND, 0, 0), SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0))
                << "the sheet opens on its first page";
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, 0x3021))) << "no Apply button";
            SendMessageA(sheet, PSM_SETCURSEL, 2, 0);
            HWND page = currentPage(sheet);
            CheckDlgButton(page, 1009, BST_UNCHECKED);
            SetDlgItemTextA(page, 1013, "50");
            if (row.leave) {
                SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
                leftWhileOpen = !(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
            }
            press(sheet, row.button);
        });
        EXPECT_EQ(settings::record.topmost, row.topmost) << row.how;
        EXPECT_EQ(settings::record.alpha, row.alpha) << row.how;
        if (row.leave) {
            EXPECT_TRUE(leftWhileOpen) << "on top released as soon as the page was left";
        }
        auto file = savedFile();
        ASSERT_EQ(file.size(), 10008u) << row.how;
        EXPECT_EQ(driver::dwordAt(file, 8 + 16), row.topmost) << row.how;
        EXPECT_FALSE(app::state.optionsOpen);
        inproc::close();
    }
}

// "重置" asks first; simple mode asks first and takes effect at the close.
TEST_F(OptionsSheet, ResetAndSimpleModeAskFirst) {
    main = inproc::open([] {
        settings::record.mute = 1;
        settings::record.days = 3;
        settings::record.timerCountIndex = 2;
    });
    ASSERT_NE(main, nullptr);
    withSheet([&](HWND sheet) {
        ASSERT_NE(sheet, nullptr);
        SendMessageA(sheet, PSM_SETCURSEL, 2, 0);
        HWND page = currentPage(sheet);
        PostMessageA(page, WM_COMMAND, 10, 0);   // 重置
        answerBox(mainThread, IDCANCEL);
        Sleep(200);
        EXPECT_EQ(settings::record.mute, 1u) << "取消 changes nothing";
        PostMessageA(page, WM_COMMAND, 10, 0);
        answerBox(mainThread, IDOK);
        EXPECT_TRUE(driver::waitFor([] { return settings::record.mute == 0; }, 3000)) << "确定 restores the defaults";
        EXPECT_EQ(settings::record.days, 3u) << "the days stay";
        EXPECT_EQ(driver::itemText(main, 1002), "5") << "the time fields are written";
        PostMessageA(page, WM_COMMAND, 1002, 0);  // 简易模式
        answerBox(mainThread, IDOK);
        EXPECT_TRUE(driver::waitFor([] { return settings::record.interfaceLevel == 0; }, 3000));
        EXPECT_EQ(settings::record.timerCountIndex, 0u);
        settings::record.timerCountIndex = 2;   // the reset comes only at the close
        // A second 1006 while the sheet is open opens nothing more: it
        // returns at once instead of running a second sheet.
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutA(main, WM_COMMAND, 1006, 0, SMTO_NORMAL, 3000, &result))
            << "a second sheet opened";
        press(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(settings::record.interfaceLevel, 0u);
    EXPECT_EQ(settings::record.timerCountIndex, 0u) << "the simple-mode reset ran at the close";
    EXPECT_EQ(driver::dwordAt(savedFile(), 8 + 2136), 0u);

    // In simple mode the sheet asks before it opens; 取消 opens nothing and
    // 确定 leaves simple mode for good, even when the sheet is cancelled.
    for (int button : {IDCANCEL, IDOK}) {
        HWND opened = nullptr;
        withOptions([&] {
            answerBox(mainThread, button);
            opened = waitDialog(mainThread, false, button == IDOK ? 5000 : 500);
            if (opened) press(opened, PSBTN_CANCEL);
        });
        EXPECT_EQ(opened != nullptr, button == IDOK) << button;
        EXPECT_EQ(settings::record.interfaceLevel, button == IDOK ? 6u : 0u) << button;
        EXPECT_FALSE(app::state.optionsOpen);
    }
}

// Which controls the "选项" page has and the tip of each; where they are and
// how they look, the pictures of Looks keep.
TEST_F(OptionsSheet, OptionsPageControlsAndTheirTips) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    HWND page = CreateDialogParamA(app::instance, MAKEINTRESOURCEA(IDD_OPTIONS), main, dialogs::optionsPageProc, 0);
    ASSERT_NE(page, nullptr);
    const std::vector<inproc::Control> controls = {
        {-1, "Button", ""},
        {IDC_OPT_MENU_TIMERS, "Button", "激活菜单选项以更改窗口数目"},
        {IDC_OPT_MENU_DAYS, "Button", "激活菜单选项以更改天数显示的方法"},
        {IDC_OPT_MENU_TOPMOST, "Button", "激活菜单选项以更改最上窗口状况"},
        {IDC_OPT_MENU_TRANSPARENT, "Button", "激活菜单选项以更改透明度规定"},
        {IDC_OPT_MENU_HIDEBUTTONS, "Button", "激活菜单选项以更改当计时器执行时隐藏其他按钮"},
        {IDC_OPT_MENU_SECONDS, "Button", "激活菜单选项以更改秒数显示方式"},
        {IDC_OPT_MENU_CUSTOM, "Button", "激活菜单选项以允许更改自定义倒计时时间"},
        {IDC_OPT_MENU_MUTE, "Button", "激活菜单选项以更改为无声"},
        {IDC_OPT_MENU_TEXT, "Button", "激活菜单选项以允许快速警报文本变化"},
        {IDC_OPT_MENU_SOUND, "Button", "激活菜单选项以允许快速警报声音的改变"},
        {-1, "Button", ""},
        {-1, "Static", ""},
        {IDC_OPT_CUSTOM_BASE, "Edit", "用分钟自定义最小时间"},
        {IDC_OPT_CUSTOM_BASE_SPIN, "msctls_updown32", ""},
        {-1, "Static", ""},
        {IDC_OPT_CUSTOM_MAX, "Edit", "用分钟自定义最大时间范围"},
        {IDC_OPT_CUSTOM_MAX_SPIN, "msctls_updown32", ""},
        {-1, "Button", ""},
        {IDC_OPT_PERCENT, "Edit", "Tiv 透明度百分比"},
        {IDC_OPT_PERCENT_SPIN, "msctls_updown32", ""},
        {-1, "Static", ""},
        {-1, "Button", ""},
        {IDC_OPT_SHOWWINDOW, "Button", "当计时结束时显示一个窗口"},
        {IDC_OPT_MINIMIZEONSTART, "Button", "当计数开始时最小化窗口"},
        {IDC_OPT_REMEMBERPOSITION, "Button", "保留窗口位置"},
        {IDC_OPT_FINISHTOPMOST, "Button", "使Tiv警报窗口置于大部分窗口之上"},
        {IDC_OPT_TOPMOST, "Button", "使Tiv倒计时窗口在大部分窗口之上"},
        {IDC_OPT_AUTORESET, "Button", "只要出现一个警告通知就在时间窗口重置时间安排"},
        {IDC_OPT_MINIMIZETOTRAY, "Button", "最小化到系统托盘的任务栏"},
        {IDC_OPT_REMEMBERTIME, "Button", "保留倒计时时间"},
        {IDC_OPT_HIDEBUTTONS, "Button", "隐藏主窗口中的控制按钮"},
        {IDC_OPT_HELP, "Button", "显示帮助文件"},
        {IDC_OPT_RESET, "Button", "重置Tiv设置为程序安装默认设置"},
        {IDC_OPT_WORDS, "Button", "打开 'dWords.txt' 快速设置文件    Tiv 必须重新启动才能使更改生效"},
        {IDC_OPT_SIMPLE, "Button", "转变为简易模式. 这个选项将隐藏大多数设置."},
    };
    EXPECT_EQ(inproc::lines(inproc::controlsOf(page)), inproc::lines(controls));
    // The percentage shows the record's alpha; its spin goes to 100.
    EXPECT_EQ(driver::itemText(page, IDC_OPT_PERCENT), "75");
    int low = -1, high = -1;
    SendDlgItemMessageA(page, IDC_OPT_PERCENT_SPIN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                        reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(high, 100);
    LRESULT tools = SendMessageA(app::tooltip, TTM_GETTOOLCOUNT, 0, 0);
    DestroyWindow(page);
    EXPECT_EQ(tools - SendMessageA(app::tooltip, TTM_GETTOOLCOUNT, 0, 0), 26) << "tools removed with the page";
}

}  // namespace
