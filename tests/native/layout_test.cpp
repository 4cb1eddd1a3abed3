#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/keys.h"
#include "app/layout.h"
#include "app/state.h"
#include "countdown/engine.h"
#include "dialogs/about.h"
#include "display/geometry.h"
#include "settings/record.h"
#include "tests/native/fake_platform.h"

using settings::record;

class Layout : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_F(Layout, EditWidth) {
    struct { int width, want; } cases[] = {{300, 60}, {400, 80}, {1000, 80}, {200, 51}, {90, 25}, {211, 37}, {210, 55}};
    for (const auto& c : cases) EXPECT_EQ(app::editWidth(c.width), c.want) << c.width;
}

TEST_F(Layout, DaysPairFromTwoHundredElevenPixels) {
    app::FieldLayout narrow = app::layOut(210, 100);
    EXPECT_FALSE(narrow.pairs[0].shown);
    EXPECT_EQ(narrow.pairs[1].edit.x, 3);  // hours start at the left edge
    EXPECT_EQ(narrow.pairs[2].edit.x, 3 + 55 - 2 + 16);

    app::FieldLayout wide = app::layOut(211, 100);
    EXPECT_TRUE(wide.pairs[0].shown);
    EXPECT_EQ(wide.pairs[0].edit.x, 3);
    EXPECT_EQ(wide.pairs[0].spin.x, 3 + 37 - 2);
    EXPECT_EQ(wide.pairs[0].spin.w, 15);
    EXPECT_EQ(wide.pairs[1].edit.x, 3 + 37 - 2 + 16);
    EXPECT_EQ(display::view.top, 60);
    EXPECT_EQ(display::view.height, 40);
}

TEST_F(Layout, HiddenControlsGiveTheWholeClientArea) {
    record.hideButtons = 1;
    app::layOut(300, 200);
    EXPECT_EQ(display::view.top, 60);  // all idle: controls stay
    countdown::state.slots[2].runState = countdown::kCounting;
    app::FieldLayout l = app::layOut(300, 200);
    EXPECT_EQ(display::view.top, 0);
    EXPECT_EQ(display::view.height, 200);
    EXPECT_FALSE(l.pairs[0].shown);
}

TEST_F(Layout, HitTestMatchesTheSlotAreas) {
    app::layOut(300, 260);  // display 300 x 200 below the strip
    struct { uint32_t countIndex; int x, y; uint32_t want; } cases[] = {
        {1, 149, 100, 0}, {1, 150, 100, 1},
        {2, 99, 100, 0}, {2, 100, 100, 1}, {2, 199, 100, 1}, {2, 200, 100, 2},
        {3, 10, 60 + 100 - 10, 0}, {3, 10, 60 + 100 + 10, 2}, {3, 290, 60 + 100 + 10, 3},
        {3, 10, 60 + 99, 0}, {3, 10, 60 + 100, 2},  // the middle row is the bottom slot's, as painted
        {3, 0, 0, 0},  // Q and M post (0, 0): the top-left timer
        {3, 160, 5, 1},  // a click in the control strip selects in the top row
    };
    for (const auto& c : cases) {
        record.timerCountIndex = c.countIndex;
        EXPECT_EQ(display::slotAt(c.x, c.y), c.want) << c.countIndex << " " << c.x << "," << c.y;
        display::Rect r = display::slotArea(c.countIndex, c.want, display::view.width, display::view.height);
        int y = c.y - display::view.top;
        if (y >= 0) {
            EXPECT_TRUE(c.x >= r.left && c.x < r.right && y >= r.top && y < r.bottom)
                << "point outside the area it selects";
        }
    }
    record.timerCountIndex = 0;
    countdown::state.shownTimer = 2;  // one timer: a click changes nothing
    EXPECT_EQ(display::slotAt(10, 100), 2u);
}

TEST_F(Layout, SlotAreasTileTheDisplay) {
    using display::Rect;
    auto same = [](Rect a, Rect b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    EXPECT_TRUE(same(display::slotArea(0, 0, 301, 201), Rect{0, 0, 301, 201}));
    EXPECT_TRUE(same(display::slotArea(1, 1, 301, 201), Rect{150, 0, 301, 201}));
    EXPECT_TRUE(same(display::slotArea(2, 2, 301, 201), Rect{200, 0, 301, 201}));
    EXPECT_TRUE(same(display::slotArea(3, 3, 301, 201), Rect{150, 100, 301, 201}));
    EXPECT_TRUE(same(display::slotArea(3, 2, 301, 201), Rect{0, 100, 150, 201}));
    EXPECT_EQ(display::markId(0, 0), display::kNoMark);
    EXPECT_EQ(display::markId(3, 2), 2u);
}

TEST_F(Layout, FontHeightTable) {
    struct { uint32_t w, h, mode, setting, width, timers, want; } rows[] = {
        {300, 200, 1, 60, 2, 1, 140}, {300, 200, 1, 60, 1, 1, 140}, {300, 200, 0, 60, 1, 1, 281},
        {300, 200, 1, 60, 2, 4, 35},  {640, 400, 1, 60, 3, 1, 200}, {127, 80, 1, 60, 2, 1, 60},
        {127, 26, 1, 60, 2, 1, 19},   {300, 200, 2, 60, 2, 1, 60},  {300, 200, 2, 60, 2, 2, 15},
        {300, 200, 0, 60, 0, 1, 281},
    };
    for (const auto& r : rows)
        EXPECT_EQ(display::fontHeight(r.mode, r.setting, r.width, r.timers - 1, r.w, r.h), r.want)
            << r.w << "x" << r.h << " mode " << r.mode << " width " << r.width << " timers " << r.timers;
}

// Every length of the strip and the display grows with the window's dpi, as
// MulDiv rounds it; at 96 the lengths are the ones above.
TEST_F(Layout, LengthsScaleWithTheWindowsDpi) {
    struct Row {
        uint32_t dpi;
        int clientWidth, clientHeight;
        int top, editWidth, hoursX, secondsSpinX, fieldY, fieldH, spinW;
        bool daysShown;
        uint32_t fixedHeight;   // "使用字体大小" at 60
    } rows[] = {
        {96, 300, 200, 60, 60, 77, 283, 30, 22, 15, true, 60},
        {120, 375, 250, 75, 74, 95, 348, 38, 28, 19, true, 75},
        {144, 450, 300, 90, 89, 115, 421, 45, 33, 23, true, 90},
        {192, 600, 400, 120, 120, 154, 566, 60, 44, 30, true, 120},
        {144, 315, 300, 90, 82, 5, 290, 45, 33, 23, false, 90},   // the days pair from 316 on
    };
    for (const Row& r : rows) {
        display::view.dpi = r.dpi;
        app::FieldLayout l = app::layOut(r.clientWidth, r.clientHeight);
        EXPECT_EQ(display::view.top, r.top) << r.dpi;
        EXPECT_EQ(l.pairs[0].shown, r.daysShown) << r.dpi;
        EXPECT_EQ(l.pairs[1].edit.w, r.editWidth) << r.dpi;
        EXPECT_EQ(l.pairs[1].edit.x, r.hoursX) << r.dpi;
        EXPECT_EQ(l.pairs[3].spin.x, r.secondsSpinX) << r.dpi;
        EXPECT_EQ(l.pairs[3].edit.y, r.fieldY) << r.dpi;
        EXPECT_EQ(l.pairs[3].edit.h, r.fieldH) << r.dpi;
        EXPECT_EQ(l.pairs[3].spin.w, r.spinW) << r.dpi;
        EXPECT_EQ(display::fontHeight(2, 60, 2, 0, 300, 200), r.fixedHeight) << r.dpi;
        // Under 100 pixels at 96 dpi, the text's height follows the display's alone.
        uint32_t low = static_cast<uint32_t>(display::scaled(100)) - 1;
        EXPECT_EQ(display::fontHeight(1, 60, 2, 0, 300, low), (low + low / 2) / 2) << r.dpi;
        EXPECT_EQ(app::defaultWidth(), display::scaled(135)) << r.dpi;
    }
    struct { int pixels; uint32_t dpi; int want; } rounding[] = {
        {25, 144, 38}, {60, 144, 90}, {25, 120, 31}, {3, 120, 4}, {1, 144, 2}, {-12, 144, -18}, {-13, 144, -20},
        {135, 192, 270}, {50, 96, 50},
    };
    for (const auto& c : rounding) EXPECT_EQ(display::scaledAt(c.pixels, c.dpi), c.want) << c.pixels << "@" << c.dpi;
}

TEST_F(Layout, FlashColoursByCode) {
    for (uint32_t code : {1u, 3u, 5u, 6u, 7u, 11u, 13u, 15u, 16u})
        EXPECT_TRUE(display::inverted(1, code)) << code;
    for (uint32_t code : {0u, 2u, 4u, 10u, 12u, 14u, 17u, 30u})
        EXPECT_FALSE(display::inverted(1, code)) << code;
    EXPECT_FALSE(display::inverted(0, 1));
    EXPECT_EQ(display::drawColour(0x04FFFF00), 0x00FFFF00u);
}

TEST_F(Layout, KeysAndArrows) {
    EXPECT_EQ(app::keyBinding('S').command, 1000u);
    EXPECT_EQ(app::keyBinding(0x1B).command, 1000u);
    EXPECT_EQ(app::keyBinding('R').command, 1004u);
    EXPECT_EQ(app::keyBinding('O').command, 1006u);
    EXPECT_EQ(app::keyBinding(0x70).command, 1007u);
    EXPECT_EQ(app::keyBinding('M').action, app::KeyAction::RightClick);
    EXPECT_EQ(app::keyBinding('Q').action, app::KeyAction::LeftClick);
    EXPECT_EQ(app::keyBinding('5').action, app::KeyAction::PassOn);
    EXPECT_EQ(app::keyBinding(0x25).action, app::KeyAction::PassOn);  // one timer: the caret moves
    record.timerCountIndex = 2;
    EXPECT_EQ(app::keyBinding(0x25).action, app::KeyAction::PreviousTimer);
    countdown::state.shownTimer = 0;
    EXPECT_EQ(app::previousTimer(), 2u);
    countdown::state.shownTimer = 2;
    EXPECT_EQ(app::nextTimer(), 0u);
    countdown::state.shownTimer = 1;
    EXPECT_EQ(app::nextTimer(), 2u);
}

TEST(About, WindowsNames) {
    EXPECT_STREQ(dialogs::windowsName(2, 6, 1, 7601), "Windows 7");
    EXPECT_STREQ(dialogs::windowsName(2, 5, 1, 2600), "Windows XP");
    EXPECT_STREQ(dialogs::windowsName(1, 4, 10, 2222), "Windows 98");
    EXPECT_STREQ(dialogs::windowsName(2, 10, 0, 19045), "Windows 10");
    EXPECT_STREQ(dialogs::windowsName(2, 10, 0, 22631), "Windows 11");
    EXPECT_EQ(dialogs::windowsName(1, 6, 1, 7601), nullptr);  // the platform decides as much as the number
    EXPECT_EQ(dialogs::windowsName(2, 11, 0, 30000), nullptr);
}

TEST(Startup, LayeredWindowsOnlyOnNtFiveToSix) {
    struct { uint32_t platform, major, minor; bool want; } cases[] = {
        {2, 5, 0, true}, {2, 5, 2, true}, {2, 5, 3, false}, {2, 6, 1, true}, {2, 6, 3, true},
        {2, 4, 0, false}, {2, 10, 0, false}, {1, 4, 10, false}, {1, 6, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(app::layeredFor(c.platform, c.major, c.minor), c.want)
            << c.platform << " " << c.major << "." << c.minor;
}

// What a change of scale takes: the system's suggestion only when both it and
// the dpi are ones Windows could send, else the current rectangle rescaled.
TEST(DpiChange, TakesOnlyWhatWindowsCouldSend) {
    const app::Box current{100, 50, 235, 170};   // 135 x 120
    struct Row {
        const char* name;
        uint32_t dpi;
        app::Box suggested;
        bool dpiOk, windowOk;
        app::Box rescaled;   // current, from 96 to dpi
    } rows[] = {
        {"150 %", 144, {100, 50, 303, 230}, true, true, {100, 50, 303, 230}},
        {"500 %", 480, {-200, -100, 475, 500}, true, true, {100, 50, 775, 650}},
        {"below 100 %", 95, {100, 50, 235, 170}, false, true, current},
        {"above 500 %", 481, {100, 50, 235, 170}, false, true, current},
        {"a dpi of 0", 0, {0, 0, 0, 0}, false, false, current},
        {"empty rectangle", 120, {100, 50, 100, 170}, true, false, {100, 50, 269, 200}},
        {"upside down", 120, {100, 170, 235, 50}, true, false, {100, 50, 269, 200}},
        {"beyond 16 bits", 120, {0, 0, 40000, 300}, true, false, {100, 50, 269, 200}},
        {"junk words", 192, {INT32_MIN, 16, INT32_MAX, 0x7fffffff}, true, false, {100, 50, 370, 290}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(app::plausibleDpi(r.dpi), r.dpiOk) << r.name;
        EXPECT_EQ(app::plausibleWindow(r.suggested), r.windowOk) << r.name;
        app::Box got = app::rescaledWindow(current, 96, r.dpi);
        EXPECT_EQ((std::vector<int>{got.left, got.top, got.right, got.bottom}),
                  (std::vector<int>{r.rescaled.left, r.rescaled.top, r.rescaled.right, r.rescaled.bottom}))
            << r.name;
    }
}
