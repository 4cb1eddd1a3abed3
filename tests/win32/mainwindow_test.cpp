// The main window opened in this process: state read directly, keys and
// commands going through the program's own message loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/layout.h"
#include "app/state.h"
#include "app/window_win.h"
#include "countdown/engine.h"
#include "countdown/shell.h"
#include "display/geometry.h"
#include "display/paint_win.h"
#include "driver.h"
#include "inproc.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/record.h"

namespace {

const int kFieldControls[] = {1005, 1105, 1001, 1101, 1002, 1102, 1003, 1103};
const int kButtons[] = {1000, 1004, 1009, 1006, 1007, 1008};

std::string caption(HWND main) { return driver::itemText(main, 1000); }

void pressKey(HWND target, UINT virtualKey) {
    driver::key(target, virtualKey);
    inproc::pump(50);
}

void sendCommand(HWND main, int id) {
    driver::command(main, id);
    inproc::pump(50);
}

// Sizes the window so that its client area is exactly w x h.
void setClientSize(HWND main, int w, int h) {
    SIZE outer = driver::windowSize(main), inner = driver::clientSize(main);
    SetWindowPos(main, nullptr, 0, 0, w + outer.cx - inner.cx, h + outer.cy - inner.cy, SWP_NOMOVE | SWP_NOZORDER);
    inproc::pump(50);
}

RECT childRect(HWND main, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(main, id), &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool visible(HWND main, int id) { return IsWindowVisible(GetDlgItem(main, id)) != FALSE; }

std::string systemMenuItem(HWND main, UINT id) {
    char text[64] = "";
    GetMenuStringA(GetSystemMenu(main, FALSE), id, text, sizeof text, MF_BYCOMMAND);
    return text;
}

bool looksLikeFourMinutesAnd(const char* text) {
    return std::strlen(text) == 5 && std::strncmp(text, "04:", 3) == 0;
}

// The display area of the main window in client coordinates.
RECT displayArea() {
    return {0, display::view.top, display::view.width, display::view.top + display::view.height};
}

RECT slotArea(uint32_t slot) {
    display::Rect r = display::slotArea(settings::timerCount(), slot, display::view.width, display::view.height);
    return {r.left, r.top + display::view.top, r.right, r.bottom + display::view.top};
}

COLORREF drawn(uint32_t stored) { return stored & 0xFFFFFF; }

int notColour(const inproc::Shot& shot, const RECT& r, COLORREF c) {
    return (r.right - r.left) * (r.bottom - r.top) - shot.count(r, c);
}

}  // namespace

class MainWindow : public ::testing::Test {
protected:
    HWND main = nullptr;
    void TearDown() override { inproc::close(); }
};

TEST_F(MainWindow, OpensAtDefaultSizeWithTheDaysPairHidden) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    SIZE size = driver::windowSize(main);
    EXPECT_EQ(size.cx, 135);
    EXPECT_EQ(size.cy, 120);
    EXPECT_EQ(driver::text(main), "Tiv");
    EXPECT_FALSE(visible(main, 1005));
    EXPECT_FALSE(visible(main, 1105));
    for (int id : {1001, 1101, 1002, 1102, 1003, 1103}) EXPECT_TRUE(visible(main, id)) << id;
    const char* captions[] = {"开始", "重置", "简易", "选项", "帮助", "关于"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(driver::itemText(main, kButtons[i]), captions[i]) << kButtons[i];
    EXPECT_EQ(driver::itemNumber(main, 1001), 0u);
    EXPECT_EQ(driver::itemNumber(main, 1002), 5u);
    EXPECT_EQ(driver::itemNumber(main, 1003), 0u);
    EXPECT_STREQ(countdown::state.slots[0].text, "05:00");
    EXPECT_EQ(display::view.top, 60);
    EXPECT_EQ(display::view.width, driver::clientSize(main).cx);
    EXPECT_EQ(display::view.height, driver::clientSize(main).cy - 60);
}

// Which controls the window has and the tip of each.
TEST_F(MainWindow, ControlsAndTheirTips) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    const std::vector<inproc::Control> controls = {
        {IDC_STARTSTOP, "Button", "开始/停止 计数.除非'自动重置'在这里没有重置时间"},
        {IDC_RESET, "Button", "在时间窗口重置时间"},
        {IDC_SIMPLE, "Button", "重置窗口大小为默认设置"},
        {IDC_OPTIONS, "Button", "显示'选项'窗口"},
        {IDC_SHOWHELP, "Button", "显示帮助文件"},
        {IDC_ABOUT, "Button", "关于Tiv: 版本和文件夹"},
        {IDC_DAYS, "Edit", "倒计天数"},
        {IDC_DAYS_SPIN, "msctls_updown32", ""},
        {IDC_HOURS, "Edit", "倒计小时数"},
        {IDC_HOURS_SPIN, "msctls_updown32", ""},
        {IDC_MINUTES, "Edit", "倒计分钟数"},
        {IDC_MINUTES_SPIN, "msctls_updown32", ""},
        {IDC_SECONDS, "Edit", "倒计秒数"},
        {IDC_SECONDS_SPIN, "msctls_updown32", ""},
    };
    EXPECT_EQ(inproc::lines(inproc::controlsOf(main)), inproc::lines(controls));
}

// Whatever state the window is in when the message loop starts (on Windows
// the first ShowWindow takes the starter's STARTUPINFO show command), the
// loop shows it normally before its first message.
TEST_F(MainWindow, MessageLoopFirstShowsTheWindowNormally) {
    struct Case {
        const char* name;
        int show;
    } cases[] = {
        {"minimised without activation", SW_SHOWMINNOACTIVE},
        {"maximised", SW_SHOWMAXIMIZED},
        {"hidden", SW_HIDE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        main = inproc::open();
        ASSERT_NE(main, nullptr);
        ShowWindow(main, c.show);
        inproc::pump(50);
        PostQuitMessage(0);
        EXPECT_EQ(app::runMessageLoop(), 0);
        EXPECT_TRUE(IsWindowVisible(main));
        EXPECT_FALSE(IsIconic(main));
        EXPECT_FALSE(IsZoomed(main));
        EXPECT_EQ(platform::windowState, platform::kWindowNormal);
        inproc::close();
    }
}

TEST_F(MainWindow, DaysPairShowsFromAClientWidthOf211) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);

    setClientSize(main, 211, 150);
    ASSERT_EQ(driver::clientSize(main).cx, 211);
    EXPECT_TRUE(visible(main, 1005));
    EXPECT_TRUE(visible(main, 1105));
    // 211 / 4 = 52, less 15: edits 37 wide, each pair 37 - 2 + 16 = 51 apart.
    RECT days = childRect(main, 1005), hours = childRect(main, 1001), seconds = childRect(main, 1003);
    EXPECT_EQ(days.left, 3);
    EXPECT_EQ(days.right - days.left, 37);
    EXPECT_EQ(hours.left, 54);
    EXPECT_EQ(seconds.left, 156);
    EXPECT_EQ(childRect(main, 1105).left, 38);
    EXPECT_EQ(days.top, 30);

    setClientSize(main, 210, 150);
    ASSERT_EQ(driver::clientSize(main).cx, 210);
    EXPECT_FALSE(visible(main, 1005));
    EXPECT_FALSE(visible(main, 1105));
    // 210 / 3 = 70, less 15; the hours take the days' place.
    hours = childRect(main, 1001);
    EXPECT_EQ(hours.left, 3);
    EXPECT_EQ(hours.right - hours.left, 55);
    EXPECT_EQ(childRect(main, 1002).left, 3 + 55 - 2 + 16);
    EXPECT_EQ(display::view.width, 210);
    EXPECT_EQ(display::view.height, 90);
}

TEST_F(MainWindow, SStartsAndEscStopsFromAnyFocusedControl) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    HWND minutes = GetDlgItem(main, 1002);

    pressKey(main, 'S');
    ASSERT_TRUE(inproc::pumpUntil([] { return countdown::state.slots[0].runState == 10; }, 2000)) << "S did not start";
    EXPECT_EQ(caption(main), "停止");
    EXPECT_EQ(systemMenuItem(main, 1), "停止");
    EXPECT_TRUE(inproc::pumpUntil([] { return std::strcmp(countdown::state.slots[0].text, "04:59") == 0; }, 3000))
        << "the count did not move: " << countdown::state.slots[0].text;

    SetFocus(minutes);
    pressKey(minutes, VK_ESCAPE);
    EXPECT_EQ(countdown::state.slots[0].runState, 0u) << "Esc did not stop";
    EXPECT_EQ(caption(main), "开始");
    EXPECT_EQ(systemMenuItem(main, 1), "开始");
    EXPECT_EQ(driver::itemNumber(main, 1002), 5u) << "the key reached the field";
    std::string paused = countdown::state.slots[0].text;
    inproc::pump(1200);
    EXPECT_EQ(countdown::state.slots[0].text, paused) << "a stopped timer kept counting";
    EXPECT_EQ(countdown::state.tickTimerOn, 0u);

    pressKey(minutes, VK_ESCAPE);
    EXPECT_EQ(countdown::state.slots[0].runState, 10u) << "Esc starts a stopped timer too";
    EXPECT_EQ(caption(main), "停止");
}

TEST_F(MainWindow, MinimisedTitleCountsDown) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    pressKey(main, 'S');
    ASSERT_EQ(countdown::state.slots[0].runState, 10u);

    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(inproc::pumpUntil([&] { return driver::text(main) != "Tiv"; }, 3000)) << "the title stayed Tiv";
    EXPECT_EQ(platform::windowState, 5u);
    std::string first = driver::text(main);
    EXPECT_TRUE(looksLikeFourMinutesAnd(first.c_str())) << first;
    EXPECT_EQ(first, countdown::state.slots[0].text);
    EXPECT_TRUE(inproc::pumpUntil([&] { return driver::text(main) != first; }, 2500))
        << "the title did not follow the count";

    ShowWindow(main, SW_RESTORE);
    inproc::pump(50);
    EXPECT_EQ(platform::windowState, 0u);
    EXPECT_EQ(driver::text(main), "Tiv");
    inproc::pump(1100);
    EXPECT_EQ(driver::text(main), "Tiv") << "ticks wrote the title of a restored window";
}

TEST_F(MainWindow, TypedTimesNormaliseOnReset) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    SetDlgItemTextA(main, 1002, "100");
    pressKey(main, 'R');
    EXPECT_EQ(driver::itemText(main, 1001), "1");
    EXPECT_EQ(driver::itemText(main, 1002), "40");
    EXPECT_EQ(driver::itemText(main, 1003), "0");
    EXPECT_STREQ(countdown::state.slots[0].text, "1:40:00");
    EXPECT_EQ(settings::record.durationMs[0], 6000000u);

    SetDlgItemTextA(main, 1005, "60");
    SetDlgItemTextA(main, 1001, "0");
    SetDlgItemTextA(main, 1002, "0");
    SetDlgItemTextA(main, 1003, "75");
    sendCommand(main, 1004);
    EXPECT_EQ(driver::itemText(main, 1005), "49");   // days stop at 49, the rest is kept
    EXPECT_EQ(driver::itemText(main, 1002), "1");
    EXPECT_EQ(driver::itemText(main, 1003), "15");
    EXPECT_STREQ(countdown::state.slots[0].text, "49:00:01:15");

    SetDlgItemTextA(main, 1001, "23");
    sendCommand(main, 1004);
    // The longest count the tick clock measures to its end.
    EXPECT_EQ(driver::itemText(main, 1005), "49");
    EXPECT_EQ(driver::itemText(main, 1001), "17");
    EXPECT_EQ(driver::itemText(main, 1002), "2");
    EXPECT_EQ(driver::itemText(main, 1003), "46");
    EXPECT_STREQ(countdown::state.slots[0].text, "49:17:02:46");
}

TEST_F(MainWindow, ArrowsChangeTheShownTimerOnlyWithSeveralTimers) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    pressKey(main, VK_RIGHT);
    EXPECT_EQ(countdown::state.shownTimer, 0u);

    sendCommand(main, 2031);
    ASSERT_EQ(countdown::state.shownTimer, 1u) << "两个 shows the second timer";
    pressKey(main, 'S');
    EXPECT_EQ(countdown::state.slots[1].runState, 10u);
    EXPECT_EQ(countdown::state.slots[0].runState, 0u);
    EXPECT_EQ(caption(main), "停止");

    pressKey(main, VK_LEFT);
    EXPECT_EQ(countdown::state.shownTimer, 0u);
    EXPECT_EQ(caption(main), "开始");
    pressKey(GetDlgItem(main, 1002), VK_LEFT);
    EXPECT_EQ(countdown::state.shownTimer, 1u) << "Left from the first wraps to the last";
    EXPECT_EQ(caption(main), "停止");
    pressKey(main, VK_RIGHT);
    EXPECT_EQ(countdown::state.shownTimer, 0u) << "Right from the last wraps to the first";

    sendCommand(main, 2032);
    ASSERT_EQ(countdown::state.shownTimer, 2u);
    pressKey(main, VK_RIGHT);
    EXPECT_EQ(countdown::state.shownTimer, 0u);
    pressKey(main, VK_LEFT);
    EXPECT_EQ(countdown::state.shownTimer, 2u);
    EXPECT_EQ(countdown::state.slots[1].runState, 10u) << "the second timer stopped";
}

TEST_F(MainWindow, HideButtonsHidesEveryControlOnlyWhileATimerRuns) {
    const uint32_t back = 0x00A06020;
    main = inproc::open([&] { settings::record.backColour[0] = back; });
    ASSERT_NE(main, nullptr);
    inproc::putOnTop(main, 200, 150, 340, 260);
    SIZE client = driver::clientSize(main);
    ASSERT_GT(client.cx, 210) << "the days pair must be in play";

    sendCommand(main, 2005);
    EXPECT_EQ(settings::record.hideButtons, 1u);
    for (int id : kButtons) EXPECT_TRUE(visible(main, id)) << id << " hid with no timer running";
    for (int id : kFieldControls) EXPECT_TRUE(visible(main, id)) << id;
    EXPECT_EQ(display::view.top, 60);

    pressKey(main, 'S');
    ASSERT_EQ(countdown::state.slots[0].runState, 10u);
    for (int id : kButtons) EXPECT_FALSE(visible(main, id)) << id;
    for (int id : kFieldControls) EXPECT_FALSE(visible(main, id)) << id;
    EXPECT_EQ(display::view.top, 0);
    EXPECT_EQ(display::view.height, client.cy);
    inproc::pump(300);
    RECT strip{0, 0, client.cx, 60};
    inproc::Shot shot = inproc::shoot(main, strip);
    // The text is centred far below; the strip must be all background now.
    EXPECT_EQ(shot.count(strip, drawn(back)), client.cx * 60) << "the display does not reach the top";

    pressKey(main, VK_ESCAPE);
    for (int id : kButtons) EXPECT_TRUE(visible(main, id)) << id << " stayed hidden after the stop";
    for (int id : kFieldControls) EXPECT_TRUE(visible(main, id)) << id;
    EXPECT_EQ(display::view.top, 60);

    pressKey(main, 'S');
    EXPECT_FALSE(visible(main, 1000));
    sendCommand(main, 2005);
    EXPECT_EQ(settings::record.hideButtons, 0u);
    EXPECT_TRUE(visible(main, 1000)) << "turning it off while running must show the controls at once";
    EXPECT_EQ(display::view.top, 60);
}

TEST_F(MainWindow, SimpleRestoresTheDefaultSizeAtTheRestoredPlace) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 50, 40, 400, 300, SWP_NOZORDER);
    inproc::pump(50);
    ShowWindow(main, SW_MAXIMIZE);
    inproc::pump(100);
    ASSERT_TRUE(IsZoomed(main));

    sendCommand(main, 1009);
    inproc::pump(100);
    EXPECT_FALSE(IsZoomed(main));
    SIZE size = driver::windowSize(main);
    EXPECT_EQ(size.cx, 135);
    EXPECT_EQ(size.cy, 120);
    RECT r{};
    GetWindowRect(main, &r);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 40);

    // The system menu's item does the same.
    SetWindowPos(main, nullptr, 0, 0, 300, 250, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageA(main, WM_SYSCOMMAND, 1009, 0);
    inproc::pump(100);
    size = driver::windowSize(main);
    EXPECT_EQ(size.cx, 135);
    EXPECT_EQ(size.cy, 120);
}

namespace {

struct AboutWatch {
    DWORD pid = GetCurrentProcessId();
    std::set<HWND> seen;
    size_t mostAtOnce = 0;
    HWND owner = nullptr;
};

BOOL CALLBACK collectAbout(HWND window, LPARAM lp) {
    auto* found = reinterpret_cast<std::set<HWND>*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && driver::text(window) == "关于Tiv")
        found->insert(window);
    return TRUE;
}

// The About box is modal: the test's thread is inside it, so this one watches
// and closes it after it has had time to see the second request.
DWORD WINAPI watchAbout(LPVOID p) {
    auto* watch = static_cast<AboutWatch*>(p);
    DWORD start = GetTickCount(), firstSeen = 0;
    while (GetTickCount() - start < 10000) {
        std::set<HWND> now;
        EnumWindows(collectAbout, reinterpret_cast<LPARAM>(&now));
        watch->seen.insert(now.begin(), now.end());
        if (now.size() > watch->mostAtOnce) watch->mostAtOnce = now.size();
        if (!now.empty() && !watch->owner) watch->owner = GetWindow(*now.begin(), GW_OWNER);
        if (!now.empty() && !firstSeen) firstSeen = GetTickCount();
        if (firstSeen && now.empty()) return 0;
        if (firstSeen && GetTickCount() - firstSeen > 800)
            for (HWND box : now) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        Sleep(20);
    }
    return 1;
}

}  // namespace

TEST_F(MainWindow, AboutBoxOpensOnceWhenAskedTwice) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    AboutWatch watch;
    HANDLE thread = CreateThread(nullptr, 0, watchAbout, &watch, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    driver::command(main, 1008);
    driver::command(main, 1008);
    bool ended = inproc::pumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 15000);
    if (!ended) WaitForSingleObject(thread, 5000);
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    ASSERT_TRUE(ended);
    EXPECT_EQ(code, 0u) << "the About box did not close";
    EXPECT_EQ(watch.seen.size(), 1u) << "About boxes opened";
    EXPECT_EQ(watch.mostAtOnce, 1u);
    EXPECT_EQ(watch.owner, main);
    EXPECT_FALSE(app::state.aboutOpen);
}

namespace {

WNDPROC originalProc;
int erases, paints;

LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Counts every erase, also those a repainted button asks of its parent.
    if (message == WM_ERASEBKGND) ++erases;
    if (message == WM_PAINT) ++paints;
    return CallWindowProcA(originalProc, window, message, wParam, lParam);
}

}  // namespace

TEST_F(MainWindow, TicksRepaintWithoutErasing) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    inproc::putOnTop(main, 300, 200, 135, 120);
    originalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingProc)));
    pressKey(main, 'S');
    inproc::pump(300);  // the start itself may erase: the controls' visibility is applied
    erases = paints = 0;
    inproc::pump(5000);
    SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc));
    EXPECT_EQ(countdown::state.slots[0].runState, 10u);
    EXPECT_GE(paints, 4) << "the seconds did not repaint";
    EXPECT_EQ(erases, 0) << "ticks erased the background " << erases << " times in 5 s";
}

TEST_F(MainWindow, DisplayDrawsTheSlotColours) {
    const uint32_t text = 0x0400CCFF, back = 0x00402010;   // top byte carries no colour
    main = inproc::open([&] {
        settings::record.textColour[0] = text;
        settings::record.backColour[0] = back;
    });
    ASSERT_NE(main, nullptr);
    inproc::putOnTop(main, 100, 100, 320, 260);
    RECT area = displayArea();
    ASSERT_GT(display::view.height, 100);
    inproc::Shot shot = inproc::shoot(main, area);
    EXPECT_EQ(shot.at(2, area.top + 2), drawn(back));
    EXPECT_EQ(shot.at(area.right - 3, area.bottom - 3), drawn(back));
    EXPECT_GT(shot.count(area, drawn(text)), 300) << "the text colour is missing";
    RECT corner{0, area.top, 20, area.top + 20};
    EXPECT_EQ(notColour(shot, corner, drawn(back)), 0) << "one timer has no asterisk";
    EXPECT_EQ(shot.count(area, RGB(0xFF, 0xFF, 0xFF)), 0) << "the default white was drawn";
}

TEST_F(MainWindow, AsteriskMarksOnlyTheShownTimer) {
    const uint32_t backs[4] = {0x00400000, 0x00004000, 0x00000040, 0x00404000};
    main = inproc::open([&] {
        settings::record.timerCountIndex = 3;
        for (int s = 0; s < 4; ++s) settings::record.backColour[s] = backs[s];
    });
    ASSERT_NE(main, nullptr);
    inproc::putOnTop(main, 100, 80, 420, 380);
    ASSERT_GT(display::view.width, 200);
    ASSERT_GT(display::view.height, 200);

    auto check = [&](uint32_t shown) {
        SCOPED_TRACE("shown timer " + std::to_string(shown));
        ASSERT_EQ(countdown::state.shownTimer, shown);
        inproc::Shot shot = inproc::shoot(main, displayArea());
        for (uint32_t s = 0; s < 4; ++s) {
            SCOPED_TRACE("slot " + std::to_string(s));
            RECT area = slotArea(s);
            COLORREF back = drawn(backs[s]), text = drawn(settings::record.textColour[s]);
            EXPECT_EQ(shot.at(area.right - 2, area.bottom - 2), back);
            EXPECT_GT(shot.count(area, text), 50) << "no text in the slot's colour";
            RECT corner{area.left, area.top, area.left + 20, area.top + 20};
            int marked = notColour(shot, corner, back);
            if (s == shown) {
                EXPECT_GT(marked, 3) << "no asterisk";
                EXPECT_GT(shot.count(corner, text), 0) << "the asterisk is not in the text colour";
            } else {
                EXPECT_EQ(marked, 0) << "an asterisk on a timer that is not shown";
            }
        }
    };
    check(0);
    pressKey(main, VK_RIGHT);
    inproc::pump(100);
    check(1);
    pressKey(main, VK_LEFT);
    pressKey(main, VK_LEFT);
    inproc::pump(100);
    check(3);
}

TEST_F(MainWindow, RepaintsShowEveryChangeAsAFreshPaintDoes) {
    main = inproc::open([] {
        settings::record.timerCountIndex = 3;
        settings::record.flashOnFinish[3] = 1;
    });
    ASSERT_NE(main, nullptr);
    inproc::putOnTop(main, 100, 80, 420, 380);
    settings::Record& r = settings::record;
    struct Change {
        const char* what;
        std::function<void()> apply;
    };
    const Change changes[] = {
        {"a slot's last digit", [] { countdown::state.slots[0].text[std::strlen(countdown::state.slots[0].text) - 1] = '7'; }},
        {"a background colour", [&] { r.backColour[2] = 0x00206040; }},
        {"a text colour", [&] { r.textColour[1] = 0x000080FF; }},
        {"a flash phase", [] { countdown::state.slots[3].runState = 1; }},
        {"a fixed font height", [&] {
             r.textSizeMode[1] = 2;
             r.fontHeight[1] = 30;
         }},
        {"a font face", [&] { settings::copyField(r.fontName[2], "Liberation Mono"); }},
        {"the shown timer", [] { countdown::state.shownTimer = 2; }},
        {"nothing", [] {}},
    };
    auto repaint = [&] {
        shell::invalidate(false);
        inproc::pump(100);
        return inproc::shoot(main, displayArea()).pixels;
    };
    std::vector<COLORREF> before = repaint();
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        c.apply();
        std::vector<COLORREF> shown = repaint();
        display::dropBackBuffer();
        std::vector<COLORREF> fresh = repaint();
        EXPECT_TRUE(shown == fresh) << "the repaint differs from a paint from scratch";
        if (std::strcmp(c.what, "nothing") != 0) {
            EXPECT_FALSE(shown == before) << "the change was not drawn";
        }
        before = fresh;
    }
    countdown::state.slots[3].runState = 0;
}

// A change of the timer count moves every slot's area: what the back buffer
// held for the old areas must not be taken for the new ones. After each of
// these sequences, every step painted, the display equals a paint from scratch.
TEST_F(MainWindow, TimerCountChangesRepaintAsAFreshPaintDoes) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    inproc::putOnTop(main, 100, 80, 420, 380);
    auto timers = [](int n) {
        return std::function<void()>([n] { sendCommand(app::mainWindow, CMD_TIMERS_1 + n - 1); });
    };
    auto reset = [] {   // the Options page's 重置
        settings::fullDefaults();
        app::writeTimeFields();
        shell::invalidate(false);
    };
    struct Sequence {
        const char* name;
        std::vector<std::function<void()>> steps;
    } sequences[] = {
        {"2, 1, 2", {timers(2), timers(1), timers(2)}},
        {"3, 2, 3", {timers(3), timers(2), timers(3)}},
        {"4, 1, 4", {timers(4), timers(1), timers(4)}},
        {"2, the Options page's reset, 2", {timers(2), reset, timers(2)}},
        {"3, simple-mode reset, 3", {timers(3), [] { app::simpleModeReset(); }, timers(3)}},
    };
    auto repaint = [&] {
        shell::invalidate(false);
        inproc::pump(100);
        return inproc::shoot(main, displayArea()).pixels;
    };
    for (const Sequence& q : sequences) {
        SCOPED_TRACE(q.name);
        settings::record.timerCountIndex = 0;
        display::dropBackBuffer();
        repaint();
        std::vector<COLORREF> shown;
        for (const auto& apply : q.steps) {
            apply();
            shown = repaint();
        }
        display::dropBackBuffer();
        std::vector<COLORREF> fresh = repaint();
        ASSERT_EQ(shown.size(), fresh.size());
        size_t differ = 0;
        for (size_t i = 0; i < shown.size(); ++i) differ += shown[i] != fresh[i];
        EXPECT_EQ(differ, 0u) << "pixels that differ from a paint from scratch, of " << shown.size();
    }
}
