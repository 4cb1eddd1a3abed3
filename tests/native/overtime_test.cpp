#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/extras.h"
#include "settings/record.h"
#include "tests/native/fake_platform.h"

using settings::record;

namespace {

// From the next second on: a minus and the count's own format for that length.
TEST(Overtime, TextFromZeroTo49DaysAndBeyond) {
    fake::reset();
    constexpr uint32_t kDay = 86400;
    struct { uint32_t seconds, ms, dayDisplay, showSeconds; const char* text; } rows[] = {
        {0, 0, 2, 1, "0"},          {0, 999, 2, 1, "0"},           {1, 0, 2, 1, "-1"},
        {2, 500, 2, 1, "-2"},       {59, 999, 2, 1, "-59"},        {60, 0, 2, 1, "-01:00"},
        {605, 0, 2, 1, "-10:05"},   {3605, 0, 2, 1, "-1:00:05"},   {36000, 0, 2, 1, "-10:00:00"},
        {59, 0, 2, 0, "-59"},       {65, 0, 2, 0, "-01"},          {3605, 0, 2, 0, "-1:00"},
        {kDay + 3661, 0, 2, 1, "-1:01:01:01"},                    {kDay + 3661, 0, 2, 0, "-1:01:01"},
        {2 * kDay, 0, 1, 1, "-48:00:00"},                         {2 * kDay, 1, 1, 1, "-2:00:00:00"},
        {3 * kDay, 0, 0, 1, "-72:00:00"},                         {49 * kDay, 0, 2, 1, "-49:00:00:00"},
        {49 * kDay + 61200 + 166, 0, 2, 1, "-49:17:02:46"},       {60 * kDay, 0, 2, 1, "-60:00:00:00"},
        {60 * kDay, 0, 0, 0, "-1440:00"},                         {400 * kDay, 0, 2, 1, "-400:00:00:00"},
    };
    char text[countdown::kTextBytes] = "";
    for (const auto& row : rows) {
        record.dayDisplay = row.dayDisplay;
        record.showSeconds = row.showSeconds;
        countdown::formatOvertime(row.seconds, row.ms, text);
        EXPECT_STREQ(text, row.text) << row.seconds << " s " << row.ms << " ms, days " << row.dayDisplay
                                     << ", seconds " << row.showSeconds;
    }
}

// A count of timer 1 with overtime on, run past its end; then how it ends.
TEST(Overtime, CountsUpUntilAcknowledgedOrReset) {
    enum class End { Ok, Start, Reset, StopAll };
    struct {
        const char* name;
        uint32_t seconds, overtime, autoRestart, showFinishWindow;
        End end;
        const char* twoSecondsPast;   // 2.5 s after the end
        uint32_t overtimeAfterEnd;
    } rows[] = {
        {"finish window, 确定", 3, 1, 0, 1, End::Ok, "-2", 0},
        {"finish window, Start before 确定", 3, 1, 0, 1, End::Start, "-2", 0},
        {"restart on 确定", 3, 1, 2, 1, End::Ok, "-2", 0},
        {"no finish window, Start", 3, 1, 0, 0, End::Start, "-2", 0},
        {"no finish window, reset", 3, 1, 0, 0, End::Reset, "-2", 0},
        {"no finish window, stop all", 3, 1, 0, 0, End::StopAll, "-2", 0},
        {"restart at its end: no overtime", 3, 1, 1, 1, End::Ok, "1", 0},
        {"restart at its end, too short to restart: no overtime", 2, 1, 1, 0, End::Ok, "2", 0},
        {"overtime off: 0 while the window is open", 3, 0, 0, 1, End::Ok, "0", 0},
    };
    for (const auto& row : rows) {
        fake::reset();
        settings::extras.overtime[0] = row.overtime;
        record.autoRestart[0] = row.autoRestart;
        record.showFinishWindow = row.showFinishWindow;
        fake::fields = {{IDC_DAYS, 0}, {IDC_HOURS, 0}, {IDC_MINUTES, 0}, {IDC_SECONDS, row.seconds}};
        countdown::resetShown();
        countdown::startStop();
        fake::advance(row.seconds * 1000 + 500);   // the tick that sees the end
        ASSERT_EQ(fake::threads, std::vector<uint32_t>{0}) << row.name;
        fake::threads.clear();
        std::string seen;
        int toldAtEnd = fake::count("tellTime 0"), toldSince = 0;
        auto watch = [&] {
            fake::advance(2000);
            seen = countdown::state.slots[0].text;
            toldSince = fake::count("tellTime 0") - toldAtEnd;
        };
        fake::answerBox = [&](const fake::Box&) {
            watch();
            if (row.end == End::Start) countdown::startStop();
            return 1u;
        };
        countdown::alarmSequence(0);
        if (!row.showFinishWindow) {
            watch();
            if (row.end == End::Start) countdown::startStop();
            if (row.end == End::Reset) countdown::resetShown();
            if (row.end == End::StopAll) countdown::stopAll();
        }
        EXPECT_EQ(seen, row.twoSecondsPast) << row.name;
        if (seen[0] == '-') {
            EXPECT_EQ(toldSince, 0) << row.name << ": a screen reader is told at whole minutes only";
        }
        fake::advance(1000);
        const countdown::Slot& slot = countdown::state.slots[0];
        EXPECT_EQ(slot.overtime, row.overtimeAfterEnd) << row.name;
        if (row.autoRestart != 0) continue;
        EXPECT_STREQ(slot.text, "3") << row.name << ": idle at its full length";
        EXPECT_EQ(slot.runState, countdown::kIdle) << row.name;
        EXPECT_EQ(fake::timers.count(TIMER_TICK), 0u) << row.name << ": nothing counts";
        EXPECT_EQ(fake::progress.back(), "none") << row.name;
    }
}

// Weeks past the end: summed tick by tick, the 32-bit clock's wrap is never seen.
TEST(Overtime, SixtyDaysPastTheEndNeitherOverflowsNorWraps) {
    fake::reset();
    settings::extras.overtime[0] = 1;
    record.showFinishWindow = 0;
    record.durationMs[0] = 49u * 86400000;
    countdown::reloadSlot(0);
    countdown::startStop();
    fake::now += 49u * 86400000 + 500;
    countdown::tickSlot(0);
    countdown::alarmSequence(0);
    ASSERT_EQ(countdown::state.slots[0].overtime, 1u);
    EXPECT_EQ(fake::progress.back().substr(0, 5), "error") << "the taskbar button stays an alarm";
    std::vector<std::string> told;
    int readerTold = fake::count("tellTime 0");
    platform::windowState = platform::kWindowMinimised;
    for (uint32_t hour = 1; hour <= 60 * 24; ++hour) {
        fake::now += 3600000;
        countdown::tickSlot(0);
        if (hour % (10 * 24) == 0) told.push_back(countdown::state.slots[0].text);
    }
    std::vector<std::string> expected = {"-10:00:00:00", "-20:00:00:00", "-30:00:00:00",
                                         "-40:00:00:00", "-50:00:00:00", "-60:00:00:00"};
    EXPECT_EQ(told, expected);
    EXPECT_EQ(fake::count("tellTime 0") - readerTold, 60 * 24) << "a screen reader hears each whole minute";
    EXPECT_EQ(fake::title, "-60:00:00:00") << "the minimised window's title";
    EXPECT_EQ(countdown::titleSlot(), 0u) << "the tray's tip";
}

}  // namespace
