// The context menu and the window modes on the real main window, opened in
// this process: another process cannot read a menu's items under Wine.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/state.h"
#include "app/window_win.h"
#include "countdown/engine.h"
#include "dialogs/menu_win.h"
#include "driver.h"
#include "inproc.h"
#include "platform/platform.h"
#include "settings/record.h"
#include "settings/words.h"
#include "sound/sound.h"

namespace {

// One line per item: "id caption", a trailing " v" when checked, "---" for a
// separator, and a submenu as "[caption: item, item]".
std::vector<std::string> describe(HMENU menu) {
    std::vector<std::string> items;
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        char text[256] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        if (HMENU sub = GetSubMenu(menu, i)) {
            std::string line = std::string("[") + text + ":";
            for (const auto& item : describe(sub)) line += " " + item + ",";
            items.push_back(line + "]");
        } else if ((state & MF_SEPARATOR) && !*text) {
            items.push_back("---");
        } else {
            std::string line = std::to_string(GetMenuItemID(menu, i)) + " " + text;
            if (state & MF_CHECKED) line += " v";
            items.push_back(line);
        }
    }
    return items;
}

std::vector<std::string> builtMenu() {
    HMENU menu = dialogs::buildContextMenu();
    auto items = describe(menu);
    DestroyMenu(menu);
    return items;
}

std::string joined(const std::vector<std::string>& items) {
    std::string all;
    for (const auto& item : items) all += item + " | ";
    return all;
}

void loadWords(const std::string& file) {
    words::resetWords();
    words::parseWords(reinterpret_cast<const unsigned char*>(file.data()), file.size());
}

const char kTimers[] = "[时间显示: 2030 单个 v, 2031 两个, 2032 三个, 2033 四个,]";
const char kDays[] = "[天数显示: 2020 不显示, 2021 大天数, 2022 总是 v,]";

class ContextMenu : public ::testing::Test {
protected:
    HWND main = nullptr;
    void TearDown() override { inproc::close(); }
};

TEST_F(ContextMenu, ItemsFollowModeAndState) {
    struct Row {
        const char* name;
        std::function<void()> set;
        std::vector<std::string> items;
    } rows[] = {
        {"simple mode", [] { settings::record.interfaceLevel = 0; },
         {"1007 帮助", "1008 关于", "2008 最上面", "2011 透明", "1006 选项"}},
        {"full mode", [] {},
         {"1007 帮助", "1008 关于", "2008 最上面", "2011 透明", "2009 无声", "2005 隐藏按钮", "2013 不显示秒数",
          "2014 自定义", kTimers, kDays, "1006 选项"}},
        {"two timers, on top, no seconds", [] {
             settings::record.timerCountIndex = 1;
             settings::record.topmost = 1;
             settings::record.showSeconds = 0;
         },
         {"1007 帮助", "1008 关于", "2008 最上面 v", "2011 透明", "2009 无声", "2005 隐藏按钮", "2013 不显示秒数 v",
          "2014 自定义", "[时间显示: 2030 单个, 2031 两个 v, 2032 三个, 2033 四个,]", kDays, "1006 选项", "---",
          "2015 全部开始", "2016 全部停止", "1000 开始", "1004 重置", "2012 退出"}},
        {"hidden buttons, fewer menu items", [] {
             settings::record.hideButtons = 1;
             settings::record.menuTimers = settings::record.menuDays = settings::record.menuMute = 0;
             settings::record.menuTransparent = 0;
         },
         {"1007 帮助", "1008 关于", "2008 最上面", "2005 隐藏按钮 v", "2013 不显示秒数", "2014 自定义", "1006 选项",
          "---", "1000 开始", "1004 重置", "2012 退出"}},
        {"in the tray, counting, a media sound loaded", [] {
             platform::windowState = platform::kWindowTray;
             countdown::state.slots[0].runState = countdown::kCounting;
             sound::state.mediaLoaded = 4000;
             settings::record.menuTimers = settings::record.menuDays = 0;
         },
         {"1007 帮助", "1008 关于", "2008 最上面", "2011 透明", "2009 无声", "2005 隐藏按钮", "2013 不显示秒数",
          "2014 自定义", "2010 结束声音", "1006 选项", "---", "1000 停止", "1004 重置", "2012 退出"}},
        {"words entries, & shown as written", [] {
             loadWords("*sounds\r\nBell & co\r\nC:\\bell.wav\r\n*text\r\nTea is ready\r\n");
             settings::record.menuTimers = settings::record.menuDays = 0;
         },
         {"1007 帮助", "1008 关于", "2008 最上面", "2011 透明", "2009 无声", "2005 隐藏按钮", "2013 不显示秒数",
          "2014 自定义", "[声音: 2301 Bell && co,]", "[文本: 2101 Tea is ready,]", "1006 选项"}},
        {"words entries hidden by their flags", [] {
             loadWords("*sounds\r\nBell\r\nC:\\bell.wav\r\n*text\r\nTea is ready\r\n");
             settings::record.menuSound = settings::record.menuText = 0;
             settings::record.interfaceLevel = 0;
         },
         {"1007 帮助", "1008 关于", "2008 最上面", "2011 透明", "1006 选项"}},
    };
    for (const auto& row : rows) {
        main = inproc::open([&] { settings::record.dayDisplay = 2; });
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(app::state.layeredSupported) << "Wine reports a system with layered windows";
        row.set();
        auto got = builtMenu();
        EXPECT_EQ(row.items, got) << row.name << "\n got: " << joined(got);
        inproc::close();
        main = nullptr;
    }
}

// The menu's commands act on the shown timer; only the first 99 sounds act.
TEST_F(ContextMenu, ChoicesActOnTheShownTimer) {
    main = inproc::open([] { settings::record.timerCountIndex = 3; });
    ASSERT_NE(main, nullptr);
    driver::command(main, 2032);   // "三个"
    inproc::pump(50);
    EXPECT_EQ(settings::record.timerCountIndex, 2u);
    EXPECT_EQ(countdown::state.shownTimer, 2u);

    std::string file = "-r150\r\n*sounds\r\n";
    for (int i = 0; i < 120; ++i)
        file += "sound " + std::to_string(i) + "\r\nC:\\s" + std::to_string(i) + ".wav\r\n";
    file += "*text\r\nTea is ready\r\n";
    loadWords(file);
    HMENU menu = dialogs::buildContextMenu();
    bool listed = false;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (HMENU sub = GetSubMenu(menu, i)) listed |= GetMenuItemCount(sub) == 120;
    DestroyMenu(menu);
    EXPECT_TRUE(listed) << "all 120 sounds are listed";

    struct { UINT id; uint32_t type; const char* path; } rows[] = {
        {2301, 1, "C:\\s0.wav"}, {2399, 1, "C:\\s98.wav"}, {2400, 0, ""}, {2420, 0, ""},
    };
    for (const auto& row : rows) {
        settings::record.soundType[2] = 0;
        settings::record.soundPath[2][0] = '\0';
        driver::command(main, row.id);
        inproc::pump(50);
        EXPECT_EQ(settings::record.soundType[2], row.type) << row.id;
        EXPECT_STREQ(settings::record.soundPath[2], row.path) << row.id;
    }
    driver::command(main, 2101);
    inproc::pump(50);
    EXPECT_STREQ(settings::record.finishText[2], "Tea is ready");
}

// Right-click (here as the key M posts it, at (0, 0)) selects the top-left
// timer and opens the menu, which a click elsewhere would close.
TEST_F(ContextMenu, RightClickSelectsAndOpens) {
    main = inproc::open([] { settings::record.timerCountIndex = 3; });
    ASSERT_NE(main, nullptr);
    countdown::state.shownTimer = 3;
    inproc::closeMenuAfter(300);
    PostMessageA(main, WM_RBUTTONUP, 0, 0);
    inproc::pump(800);
    EXPECT_TRUE(inproc::menuWasOpen());
    EXPECT_EQ(countdown::state.shownTimer, 0u);
}

class WindowModes : public ::testing::Test {
protected:
    HWND main = nullptr;
    void TearDown() override { inproc::close(); }
    LONG exStyle() const { return GetWindowLongA(main, GWL_EXSTYLE); }
};

TEST_F(WindowModes, OnTopAndTransparency) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    driver::command(main, 2008);
    inproc::pump(50);
    EXPECT_TRUE(exStyle() & WS_EX_TOPMOST);
    driver::command(main, 2008);
    inproc::pump(50);
    EXPECT_FALSE(exStyle() & WS_EX_TOPMOST);

    // The system adds WS_EX_WINDOWEDGE to any window with a sizing frame.
    const LONG kFrame = WS_EX_WINDOWEDGE;
    SetWindowLongA(main, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    driver::command(main, 2011);
    inproc::pump(50);
    EXPECT_EQ(exStyle() & ~kFrame, WS_EX_LAYERED) << "exactly the layered style";
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(main, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 65);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    EXPECT_EQ(settings::record.transparent, 1u);
    driver::command(main, 2011);
    inproc::pump(50);
    EXPECT_EQ(exStyle() & ~kFrame, 0) << "opaque clears every extended style";
    EXPECT_EQ(settings::record.transparent, 0u);
}

TEST_F(WindowModes, TrayIconHidesAndRestores) {
    main = inproc::open([] { settings::record.minimizeToTray = 1; });
    ASSERT_NE(main, nullptr);
    ShowWindow(main, SW_MINIMIZE);
    inproc::pump(100);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(platform::windowState, platform::kWindowTray);
    EXPECT_TRUE(app::tray(NIM_MODIFY, "Tiv 1.4")) << "the icon exists";

    // Explorer restarted and forgot the icon: it comes back.
    ASSERT_TRUE(app::tray(NIM_DELETE, "Tiv 1.4"));
    SendMessageA(main, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(app::tray(NIM_MODIFY, "Tiv 1.4")) << "the icon is back";

    SendMessageA(main, 1029, 0, WM_LBUTTONDBLCLK);
    inproc::pump(100);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(platform::windowState, platform::kWindowNormal);
    EXPECT_FALSE(app::tray(NIM_MODIFY, "Tiv 1.4")) << "the icon is gone";

    std::string tip(200, 'x');
    NOTIFYICONDATAA record = app::trayRecord(tip.c_str());
    EXPECT_EQ(std::string(record.szTip), std::string(127, 'x'));
    EXPECT_EQ(record.uCallbackMessage, 1029u);
    EXPECT_EQ(record.uID, 0u);
#ifndef _WIN64
    EXPECT_EQ(record.cbSize, 488u);
#endif
}

// The system menu says "停止" while the shown timer runs, and is not made
// anew on every tick.
TEST_F(WindowModes, SystemMenuChangesOnlyWithItsText) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    auto item = [&] {
        char text[32] = "";
        GetMenuStringA(GetSystemMenu(main, FALSE), 1, text, sizeof text, MF_BYCOMMAND);
        return std::string(text);
    };
    app::rebuildSystemMenu();   // as start-up does
    EXPECT_EQ(item(), "开始");
    driver::command(main, 1000);
    inproc::pump(50);
    EXPECT_EQ(item(), "停止");
    HMENU before = GetSystemMenu(main, FALSE);
    inproc::pump(1200);   // two ticks
    EXPECT_EQ(GetSystemMenu(main, FALSE), before) << "rebuilt while nothing changed";

    SendMessageA(main, WM_ENTERMENULOOP, TRUE, 0);   // the menu is open
    driver::command(main, 1000);
    inproc::pump(50);
    EXPECT_EQ(item(), "停止") << "not rebuilt under an open menu";
    SendMessageA(main, WM_EXITMENULOOP, TRUE, 0);
    EXPECT_EQ(item(), "开始");
    for (UINT id : {3u, 1009u}) EXPECT_GT(GetMenuStringA(GetSystemMenu(main, FALSE), id, nullptr, 0, MF_BYCOMMAND), 0);
}

}  // namespace
