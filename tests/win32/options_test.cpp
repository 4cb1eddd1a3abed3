// The options sheet and its "选项" page on the real main window, opened in
// this process. The sheet is modal: a second thread drives it the way a user
// would, while this thread runs the sheet.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "app/state.h"
#include "app/window_win.h"
#include "countdown/engine.h"
#include "dialogs/options_win.h"
#include "driver.h"
#include "inproc.h"
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

// Template 1007 as the page shows it: every control's class, caption and
// place in dialog units.
TEST_F(OptionsSheet, OptionsPageControls) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    HWND page = CreateDialogParamA(app::instance, MAKEINTRESOURCEA(1007), main, dialogs::optionsPageProc, 0);
    ASSERT_NE(page, nullptr);
    struct { int id; const char* cls; const char* caption; int x, y, w, h; } rows[] = {
        {1400, "Button", "多重定时器", 8, 13, 63, 10}, {1401, "Button", "天", 8, 25, 29, 10},
        {1402, "Button", "总在最上", 8, 37, 44, 10}, {1403, "Button", "鼠标穿透", 8, 49, 54, 10},
        {1404, "Button", "隐藏按钮", 90, 13, 57, 10}, {1405, "Button", "秒", 90, 25, 44, 10},
        {1407, "Button", "自定义", 90, 37, 43, 10}, {1406, "Button", "无声", 172, 13, 32, 10},
        {1408, "Button", "文本", 172, 25, 30, 10}, {1409, "Button", "声音", 172, 37, 37, 10},
        {1000, "Edit", nullptr, 40, 84, 41, 14}, {1042, "Edit", nullptr, 40, 102, 41, 14},
        {1013, "Edit", nullptr, 23, 151, 40, 14},
        {1022, "Button", "显示窗口", 102, 79, 80, 10}, {1003, "Button", "自动最小化", 102, 91, 59, 10},
        {1007, "Button", "记住位置", 102, 103, 77, 10}, {1024, "Button", "警告器置上", 102, 115, 64, 10},
        {1009, "Button", "定时器置上", 102, 127, 59, 10}, {1011, "Button", "自动重置", 102, 139, 71, 10},
        {1020, "Button", "最小化到任务栏", 102, 151, 71, 10}, {1010, "Button", "记住时间", 102, 163, 71, 10},
        {1006, "Button", "隐藏按钮", 102, 175, 71, 10}, {9, "Button", "帮助", 3, 215, 50, 14},
        {10, "Button", "重置", 57, 215, 50, 14}, {11, "Button", "打开dWords.txt编辑", 110, 215, 75, 14},
        {1002, "Button", "简易模式", 187, 215, 62, 14},
    };
    for (const auto& row : rows) {
        HWND control = GetDlgItem(page, row.id);
        ASSERT_NE(control, nullptr) << row.id;
        char cls[32] = "";
        GetClassNameA(control, cls, sizeof cls);
        EXPECT_STREQ(cls, row.cls) << row.id;
        if (row.caption) {
            EXPECT_EQ(driver::text(control), row.caption) << row.id;
        }
        RECT want{row.x, row.y, row.x + row.w, row.y + row.h};
        MapDialogRect(page, &want);
        RECT got{};
        GetWindowRect(control, &got);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&got), 2);
        // An up-down takes the right end of its edit's place.
        if (HWND spin = GetWindow(control, GW_HWNDNEXT); spin && !std::strcmp(row.cls, "Edit")) {
            RECT s{};
            GetWindowRect(spin, &s);
            MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&s), 2);
            got.right = s.right;
        }
        bool same = want.left == got.left && want.top == got.top && want.bottom == got.bottom &&
                    std::abs(want.right - got.right) <= 2;   // an up-down rounds its edit's end
        EXPECT_TRUE(same) << row.id << ": at " << got.left << "," << got.top << " " << got.right - got.left << "x"
                          << got.bottom - got.top << ", want " << want.right - want.left;
    }
    // The three up-downs sit on their edits and show the record's values.
    EXPECT_EQ(driver::itemText(page, 1013), "75");
    for (int spin : {1001, 1004, 1005}) {
        char cls[32] = "";
        GetClassNameA(GetDlgItem(page, spin), cls, sizeof cls);
        EXPECT_STREQ(cls, "msctls_updown32") << spin;
    }
    int low = -1, high = -1;
    SendDlgItemMessageA(page, 1005, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(high, 100);
    DestroyWindow(page);
}

}  // namespace
