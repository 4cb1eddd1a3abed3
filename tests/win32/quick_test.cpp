// The "快速设置" page in a sheet of the test's own, and the quick picker opened
// by clicks on the real main window in this process.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/window_win.h"
#include "countdown/engine.h"
#include "dialogs/options_win.h"
#include "driver.h"
#include "inproc.h"
#include "resources/resource.h"
#include "settings/record.h"

namespace {

using settings::record;

using driver::className;

int valueId(int row) { return IDC_QUICK_VALUE1 + 2 * row; }
int unitId(int row) { return IDC_QUICK_UNIT1 + 2 * row; }
int spinId(int row) { return IDC_QUICK_SPIN1 + row; }

// ---------------------------------------------------------------- the page

HWND openSheet(HWND owner) {
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.hInstance = app::instance;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_QUICKSETTINGS);
    page.pfnDlgProc = dialogs::quickSettingsPageProc;
    HPROPSHEETPAGE pages[1] = {CreatePropertySheetPageA(&page)};
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = app::instance;
    header.pszCaption = "选项";
    header.nPages = 1;
    header.phpage = pages;
    return reinterpret_cast<HWND>(PropertySheetA(&header));
}

class QuickPage : public ::testing::Test {
protected:
    HWND main = nullptr, sheet = nullptr, page = nullptr;
    void open(const std::function<void()>& edit = nullptr) {
        main = inproc::open(edit);
        ASSERT_NE(main, nullptr);
        sheet = openSheet(main);
        ASSERT_NE(sheet, nullptr);
        page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        ASSERT_NE(page, nullptr);
        inproc::pump(100);
    }
    void closeSheet() {
        if (sheet) DestroyWindow(sheet);
        sheet = page = nullptr;
        inproc::pump(50);
    }
    void TearDown() override {
        closeSheet();
        inproc::close();
    }
};

std::string comboItems(HWND list) {
    std::string items;
    int n = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[32] = "";
        SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items += std::string(i ? "," : "") + text;
    }
    return items;
}

// The switches, how many controls of each kind are enabled, and rows 1 and 12.
std::string describePage(HWND page) {
    auto on = [&](int id) { return std::to_string(IsWindowEnabled(GetDlgItem(page, id)) ? 1 : 0); };
    int edits = 0, units = 0, spins = 0;
    for (int row = 0; row < 12; ++row) {
        edits += IsWindowEnabled(GetDlgItem(page, valueId(row))) ? 1 : 0;
        units += IsWindowEnabled(GetDlgItem(page, unitId(row))) ? 1 : 0;
        spins += IsWindowEnabled(GetDlgItem(page, spinId(row))) ? 1 : 0;
    }
    std::string d = "1001=" + std::to_string(IsDlgButtonChecked(page, IDC_QUICK_ONCLICK)) +
                    " 1002=" + std::to_string(IsDlgButtonChecked(page, IDC_QUICK_AUTOSTART)) + " | enabled 1002=" +
                    on(IDC_QUICK_AUTOSTART) + " edits=" + std::to_string(edits) + " units=" + std::to_string(units) +
                    " spins=" + std::to_string(spins);
    for (int row : {0, 11}) {
        LRESULT range = SendDlgItemMessageA(page, spinId(row), UDM_GETRANGE, 0, 0);
        d += " | " + std::to_string(row + 1) + ": '" + driver::itemText(page, valueId(row)) + "' sel " +
             std::to_string(SendDlgItemMessageA(page, unitId(row), CB_GETCURSEL, 0, 0)) + " [" +
             comboItems(GetDlgItem(page, unitId(row))) + "] range " + std::to_string(HIWORD(range)) + "-" +
             std::to_string(LOWORD(range));
    }
    return d;
}

const char kUnits[] = "秒,分钟,小时,天";

// Which controls the page has and the tip of each; where they are and how
// they look, the pictures of Looks keep.
TEST_F(QuickPage, ControlsAndTheirTips) {
    open();
    std::vector<inproc::Control> controls = {
        {IDC_QUICK_ONCLICK, "Button", "激活左键快速设置窗口"},
        {IDC_QUICK_AUTOSTART, "Button", "从快速设置窗口选择一个时间后开始倒计时"},
    };
    for (int row = 0; row < 12; ++row) {
        controls.push_back({-1, "Static", ""});
        controls.push_back({valueId(row), "Edit", "快速设置数值"});
        controls.push_back({spinId(row), "msctls_updown32", ""});
        controls.push_back({unitId(row), "ComboBox", "快速设置时间周期"});
    }
    EXPECT_EQ(inproc::lines(inproc::controlsOf(page)), inproc::lines(controls));
    for (int row = 0; row < 12; ++row)
        EXPECT_EQ(reinterpret_cast<HWND>(SendDlgItemMessageA(page, spinId(row), UDM_GETBUDDY, 0, 0)),
                  GetDlgItem(page, valueId(row))) << "the spin of row " << row + 1;
}

TEST_F(QuickPage, FillsFromTheRecord) {
    struct Row {
        const char* name;
        std::function<void()> edit;
        bool refill;   // changed after opening, shown at PSN_SETACTIVE
        std::string want;
    } rows[] = {
        {"defaults", nullptr, false,
         "1001=1 1002=1 | enabled 1002=1 edits=12 units=12 spins=12 | 1: '30' sel 0 [" + std::string(kUnits) +
             "] range 0-32767 | 12: '2' sel 3 [" + kUnits + "] range 0-32767"},
        {"picker off: rows greyed, spins not", [] {
             record.quickPickOnClick = 0;
             record.quickPickAutoStart = 0;
         }, false,
         "1001=0 1002=0 | enabled 1002=0 edits=0 units=0 spins=12 | 1: '30' sel 0 [" + std::string(kUnits) +
             "] range 0-32767 | 12: '2' sel 3 [" + kUnits + "] range 0-32767"},
        {"unsigned amounts, units out of range", [] {
             record.quickValue[0] = 4000000000u;
             record.quickUnit[0] = 0xFFFFFFFFu;
             record.quickValue[11] = 0;
             record.quickUnit[11] = 7;
         }, false,
         "1001=1 1002=1 | enabled 1002=1 edits=12 units=12 spins=12 | 1: '4000000000' sel -1 [" +
             std::string(kUnits) + "] range 0-32767 | 12: '0' sel -1 [" + kUnits + "] range 0-32767"},
        {"filled again on activation", [] {
             record.quickPickOnClick = 0;
             record.quickValue[0] = 77;
             record.quickUnit[0] = 2;
         }, true,
         "1001=0 1002=1 | enabled 1002=0 edits=0 units=0 spins=12 | 1: '77' sel 2 [" + std::string(kUnits) +
             "] range 0-32767 | 12: '2' sel 3 [" + kUnits + "] range 0-32767"},
    };
    for (const Row& row : rows) {
        open(row.refill ? nullptr : row.edit);
        if (row.refill) {
            row.edit();
            NMHDR header{sheet, 0, static_cast<UINT>(PSN_SETACTIVE)};
            SetWindowLongPtrA(page, DWLP_MSGRESULT, -1);
            EXPECT_EQ(SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), 0) << row.name;
            EXPECT_EQ(GetWindowLongPtrA(page, DWLP_MSGRESULT), 0) << row.name << ": activation refused";
        }
        std::string got = describePage(page);
        EXPECT_EQ(got, row.want) << row.name << "\n got: " << driver::hex(got);
        TearDown();
    }
}

TEST_F(QuickPage, SwitchActsAtOnce) {
    struct Row { uint32_t before, after; const char* enabled; } rows[] = {
        {1, 0, "enabled 1002=0 edits=0 units=0 spins=12"},
        {0, 1, "enabled 1002=1 edits=12 units=12 spins=12"},
    };
    for (const Row& row : rows) {
        open([&] { record.quickPickOnClick = row.before; });
        SendDlgItemMessageA(page, IDC_QUICK_ONCLICK, BM_CLICK, 0, 0);
        inproc::pump(50);
        EXPECT_EQ(record.quickPickOnClick, row.after) << "from " << row.before;
        std::string got = describePage(page);
        EXPECT_NE(got.find(row.enabled), std::string::npos) << "from " << row.before << "\n got: " << got;
        TearDown();
    }
}

TEST_F(QuickPage, StoresOnLeaving) {
    struct Row {
        const char* name;
        int button;                  // PSBTN_OK leaves the page, PSBTN_CANCEL drops it
        const char *first, *last;    // texts typed into rows 1 and 12
        int firstUnit;               // selected in row 1's list
        bool clickSwitches;          // both check boxes clicked
        uint32_t onClick, autoStart, value1, value12, unit1;
    } rows[] = {
        {"typed amounts kept", PSBTN_OK, "45", "999", 2, false, 1, 1, 45, 999, 2},
        {"no number is 0, no unit is -1", PSBTN_OK, "abc", "", -1, false, 1, 1, 0, 0, 0xFFFFFFFFu},
        {"greyed rows still stored", PSBTN_OK, "40000", "7", 3, true, 0, 0, 40000, 7, 3},
        {"cancel keeps only the switch", PSBTN_CANCEL, "45", "999", 2, true, 0, 1, 30, 2, 0},
    };
    for (const Row& row : rows) {
        open();
        SetDlgItemTextA(page, valueId(0), row.first);
        SetDlgItemTextA(page, valueId(11), row.last);
        SendDlgItemMessageA(page, unitId(0), CB_SETCURSEL, static_cast<WPARAM>(row.firstUnit), 0);
        if (row.clickSwitches) {
            SendDlgItemMessageA(page, IDC_QUICK_AUTOSTART, BM_CLICK, 0, 0);
            SendDlgItemMessageA(page, IDC_QUICK_ONCLICK, BM_CLICK, 0, 0);
        }
        SendMessageA(sheet, PSM_PRESSBUTTON, row.button, 0);
        inproc::pump(100);
        std::string got = std::to_string(record.quickPickOnClick) + " " + std::to_string(record.quickPickAutoStart) +
                          " " + std::to_string(record.quickValue[0]) + " " + std::to_string(record.quickValue[11]) +
                          " " + std::to_string(record.quickUnit[0]);
        std::string want = std::to_string(row.onClick) + " " + std::to_string(row.autoStart) + " " +
                           std::to_string(row.value1) + " " + std::to_string(row.value12) + " " +
                           std::to_string(row.unit1);
        EXPECT_EQ(got, want) << row.name << " (on-click, auto start, amount 1, amount 12, unit 1)";
        TearDown();
    }
}

// The page's 26 tools (ControlsAndTheirTips reads them) go with it.
TEST_F(QuickPage, TooltipsComeAndGo) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    LRESULT before = SendMessageA(app::tooltip, TTM_GETTOOLCOUNT, 0, 0);
    sheet = openSheet(main);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(SendMessageA(app::tooltip, TTM_GETTOOLCOUNT, 0, 0), before + 26);
    closeSheet();
    EXPECT_EQ(SendMessageA(app::tooltip, TTM_GETTOOLCOUNT, 0, 0), before) << "the closed page left its tools";
}

// ---------------------------------------------------------------- the picker

struct Seen {
    bool open = false;
    HWND owner = nullptr;
    RECT frame{};
    LONG style = 0, exStyle = 0;
    std::string captions, controls;
};

Seen seen;
std::function<void(HWND)> pickerAction;
bool visited;

BOOL CALLBACK findPicker(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && className(window) == "#32770" && GetDlgItem(window, IDC_QUICK_PICK1)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND openPicker() {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findPicker, reinterpret_cast<LPARAM>(&box));
    return box;
}

// Runs inside the picker's modal loop: records what it shows, then acts.
void CALLBACK visitPicker(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    visited = true;
    HWND box = openPicker();
    if (!box) return;
    seen.open = true;
    seen.owner = GetWindow(box, GW_OWNER);
    GetWindowRect(box, &seen.frame);
    seen.style = GetWindowLongA(box, GWL_STYLE);
    seen.exStyle = GetWindowLongA(box, GWL_EXSTYLE);
    for (int k = 0; k < 12; ++k)
        seen.captions += std::string(k ? " " : "") + driver::text(GetDlgItem(box, IDC_QUICK_PICK1 + k));
    seen.controls = inproc::lines(inproc::controlsOf(box));
    if (pickerAction) pickerAction(box);
}

// A box left open would hold the test in its modal loop.
void CALLBACK closeLeftover(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND box = openPicker()) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
}

void click(HWND box, int id) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

// Triggers a left click (or the key), lets the picker open, acts on it.
void runPicker(const std::function<void()>& trigger, const std::function<void(HWND)>& action) {
    seen = Seen{};
    visited = false;
    pickerAction = action;
    UINT_PTR visit = SetTimer(nullptr, 0, 400, visitPicker);
    UINT_PTR rescue = SetTimer(nullptr, 0, 4000, closeLeftover);
    trigger();
    inproc::pumpUntil([] { return visited; }, 5000);
    inproc::pump(300);   // the posted reset and start
    KillTimer(nullptr, visit);
    KillTimer(nullptr, rescue);
    pickerAction = nullptr;
}

void leftClickAt(HWND main, int x, int y) { PostMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

class QuickPicker : public ::testing::Test {
protected:
    HWND main = nullptr;
    void TearDown() override { inproc::close(); }
};

TEST_F(QuickPicker, ButtonsShowThePresets) {
    // Twelve presets and 取消; where they are, the picture of Looks keeps.
    std::vector<inproc::Control> controls;
    for (int k = 0; k < 12; ++k) controls.push_back({IDC_QUICK_PICK1 + k, "Button", ""});
    controls.push_back({IDCANCEL, "Button", ""});
    struct Row { const char* name; std::function<void()> edit; const char* captions; } rows[] = {
        {"defaults", [] {}, "30s 60s 90s 5m 10m 15m 30m 60m 90m 6h 12d 2d"},
        {"odd presets", [] {
             record.quickValue[0] = 1000;
             record.quickUnit[1] = 0xFFFFFFFFu;
             record.quickUnit[2] = 7;
             record.quickValue[3] = 0;
             record.quickValue[11] = 0xFFFFFFFFu;
         }, "1000s 60d 90d 0m 10m 15m 30m 60m 90m 6h 12d -1d"},
    };
    for (const Row& row : rows) {
        main = inproc::open(row.edit);
        ASSERT_NE(main, nullptr);
        runPicker([&] { leftClickAt(main, 50, 80); }, [](HWND box) { click(box, IDCANCEL); });
        ASSERT_TRUE(seen.open) << row.name;
        EXPECT_EQ(seen.captions, row.captions) << row.name;
        EXPECT_EQ(seen.controls, inproc::lines(controls)) << row.name;
        EXPECT_EQ(seen.owner, main) << row.name;
        EXPECT_EQ(seen.style & (WS_POPUP | WS_CAPTION | DS_MODALFRAME), WS_POPUP | DS_MODALFRAME) << row.name;
        inproc::close();
    }
}

TEST_F(QuickPicker, OpensUpAndLeftOfThePointerOnTop) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    struct Row { const char* name; POINT cursor; bool alignRight, alignBottom, alignLeft, alignTop; } rows[] = {
        {"mid screen", {400, 300}, false, false, false, false},
        {"near the top-left corner", {work.left + 20, work.top + 30}, false, false, true, true},
        {"near the bottom-right corner", {work.right - 10, work.bottom - 5}, true, true, false, false},
    };
    for (const Row& row : rows) {
        // Wine may still be moving the pointer from the last box's closing.
        inproc::pump(300);
        SetCursorPos(row.cursor.x, row.cursor.y);
        inproc::pump(300);
        POINT at{};
        GetCursorPos(&at);
        ASSERT_EQ(std::to_string(at.x) + "," + std::to_string(at.y),
                  std::to_string(row.cursor.x) + "," + std::to_string(row.cursor.y))
            << row.name << ": pointer not placed";
        runPicker([&] { leftClickAt(main, 50, 80); }, [](HWND box) { click(box, IDCANCEL); });
        ASSERT_TRUE(seen.open) << row.name;
        LONG width = seen.frame.right - seen.frame.left, height = seen.frame.bottom - seen.frame.top;
        LONG x = row.alignLeft ? work.left : row.alignRight ? work.right - width : row.cursor.x - 50;
        LONG y = row.alignTop ? work.top : row.alignBottom ? work.bottom - height : row.cursor.y - 50;
        EXPECT_EQ(std::to_string(seen.frame.left) + "," + std::to_string(seen.frame.top),
                  std::to_string(x) + "," + std::to_string(y)) << row.name << ", pointer at " << row.cursor.x << ","
                                                               << row.cursor.y;
        EXPECT_TRUE(seen.exStyle & WS_EX_TOPMOST) << row.name;
    }
}

TEST_F(QuickPicker, PickLoadsTheShownTimer) {
    const uint32_t counting = countdown::kCounting;
    struct Row {
        const char* name;
        std::function<void()> edit;
        bool startFirst;
        int button;   // 0: Escape
        const char* fields;
        bool counts;
        uint32_t lengthMs;
    } rows[] = {
        {"90m loads and starts", [] {}, false, IDC_QUICK_PICK9, "0 1 30 0", true, 5400000},
        {"auto start off", [] { record.quickPickAutoStart = 0; }, false, IDC_QUICK_PICK4, "0 0 5 0", false, 300000},
        {"counting: restarted, not started again", [] {}, true, IDC_QUICK_PICK4, "0 0 5 0", true, 300000},
        {"1000 seconds give 5", [] { record.quickValue[0] = 1000; }, false, IDC_QUICK_PICK1, "0 0 0 5", true, 5000},
        {"0 hours give 5", [] { record.quickValue[9] = 0; }, false, IDC_QUICK_PICK10, "0 5 0 0", true, 18000000},
        {"12 days", [] {}, false, IDC_QUICK_PICK11, "12 0 0 0", true, 12u * 86400000u},
        {"cancel", [] {}, false, IDCANCEL, "0 0 7 0", false, 420000},
        {"Escape", [] {}, false, 0, "0 0 7 0", false, 420000},
    };
    for (const Row& row : rows) {
        main = inproc::open([&] {
            record.timerCountIndex = 3;
            record.minutes = 7;
            record.durationMs[0] = 420000;
            row.edit();
        });
        ASSERT_NE(main, nullptr);
        if (row.startFirst) {
            driver::command(main, IDC_STARTSTOP);
            ASSERT_TRUE(inproc::pumpUntil([] { return countdown::state.slots[0].runState >= counting; }, 2000)) << row.name;
        }
        countdown::state.shownTimer = 3;
        int button = row.button;
        // (0, 0) is the top-left timer: the click selects it first.
        runPicker([&] { leftClickAt(main, 0, 0); }, [button](HWND box) {
            if (button) click(box, button);
            else PostMessageA(GetDlgItem(box, IDC_QUICK_PICK1), WM_KEYDOWN, VK_ESCAPE, 0);
        });
        ASSERT_TRUE(seen.open) << row.name;
        std::string fields = std::to_string(driver::itemNumber(main, IDC_DAYS)) + " " +
                             std::to_string(driver::itemNumber(main, IDC_HOURS)) + " " +
                             std::to_string(driver::itemNumber(main, IDC_MINUTES)) + " " +
                             std::to_string(driver::itemNumber(main, IDC_SECONDS));
        EXPECT_EQ(fields, row.fields) << row.name;
        EXPECT_EQ(countdown::state.shownTimer, 0u) << row.name;
        EXPECT_EQ(countdown::isCounting(countdown::state.slots[0].runState), row.counts)
            << row.name << ": run state " << countdown::state.slots[0].runState;
        EXPECT_EQ(countdown::state.slots[0].runLengthMs, row.lengthMs) << row.name;
        inproc::close();
    }
}

TEST_F(QuickPicker, OpensOnlyWhenAllowed) {
    struct Row {
        const char* name;
        uint32_t onClick, customTime, runState;
        bool byKey;
        bool opens;
        uint32_t runStateAfter;
    } rows[] = {
        {"click", 1, 0, 0, false, true, 0},
        {"key Q", 1, 0, 0, true, true, 0},
        {"picker switched off", 0, 0, 0, false, false, 0},
        {"custom time on", 1, 1, 0, false, false, 0},
        {"alarm showing: acknowledged", 1, 0, 1, false, false, 0},
    };
    for (const Row& row : rows) {
        main = inproc::open([&] { record.quickPickOnClick = row.onClick; });
        ASSERT_NE(main, nullptr);
        countdown::state.customTimeOn = row.customTime;
        countdown::state.slots[0].runState = row.runState;
        runPicker([&] {
            if (row.byKey) driver::key(main, 'Q');
            else leftClickAt(main, 40, 90);
        }, [](HWND box) { click(box, IDCANCEL); });
        EXPECT_EQ(seen.open, row.opens) << row.name;
        EXPECT_EQ(countdown::state.slots[0].runState, row.runStateAfter) << row.name;
        inproc::close();
    }
}

}  // namespace
