#include <gtest/gtest.h>

#include <string>

#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/store.h"
#include "tests/native/fake_platform.h"

using namespace countdown;
using settings::record;

class Engine : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
    // Types a length into the time fields and resets the shown timer with it.
    void load(uint32_t days, uint32_t hours, uint32_t minutes, uint32_t seconds) {
        fake::fields = {{IDC_DAYS, days}, {IDC_HOURS, hours}, {IDC_MINUTES, minutes}, {IDC_SECONDS, seconds}};
        resetShown();
    }
    std::string text(uint32_t slot = 0) { return countdown::state.slots[slot].text; }
};

TEST_F(Engine, FormattingTable) {
    struct { uint32_t ms, dayDisplay, showSeconds; const char* text; uint32_t width; } rows[] = {
        {300000, 2, 1, "05:00", 2},        {605000, 2, 1, "10:05", 2},
        {59999, 2, 1, "59", 1},            {1500, 2, 1, "1", 1},
        {999, 2, 1, "0", 1},               {3600000, 2, 1, "1:00:00", 3},
        {36000000, 2, 1, "10:00:00", 4},   {300000, 2, 0, "05", 1},
        {3930000, 2, 0, "1:05", 2},        {3599999, 2, 0, "59", 1},
        {90061000, 2, 1, "1:01:01:01", 4}, {86400000, 1, 1, "24:00:00", 4},
        {172800001, 1, 1, "2:00:00:00", 4},{259200000, 0, 1, "72:00:00", 4},
        {1036800000, 2, 1, "12:00:00:00", 5}, {172800000, 1, 1, "48:00:00", 4},
    };
    char buffer[kTextBytes] = "";
    for (const auto& row : rows) {
        record.dayDisplay = row.dayDisplay;
        record.showSeconds = row.showSeconds;
        EXPECT_EQ(formatRemaining(row.ms, buffer), row.width) << row.ms;
        EXPECT_STREQ(buffer, row.text) << row.ms << " ms, days " << row.dayDisplay << ", seconds " << row.showSeconds;
    }
}

TEST_F(Engine, FormattingMarksTheDisplayOnlyOnChange) {
    char buffer[kTextBytes] = "";
    countdown::state.displayDirty = 0;
    formatRemaining(299500, buffer);
    EXPECT_EQ(countdown::state.displayDirty, 1u);
    countdown::state.displayDirty = 0;
    formatRemaining(299000, buffer);  // still 04:59
    EXPECT_EQ(countdown::state.displayDirty, 0u);
}

TEST_F(Engine, NormalisingCarriesAndClamps) {
    // The longest count the clock measures to its end: 49 d 17:02:46.
    constexpr uint32_t kLongest = ((49u * 24 + 17) * 60 + 2) * 60 * 1000 + 46000;
    struct { uint32_t in[4], out[4]; uint32_t ms; const char* text; } rows[] = {
        {{0, 0, 100, 0}, {0, 1, 40, 0}, 6000000, "1:40:00"},
        {{0, 99, 99, 99}, {4, 4, 40, 39}, ((4u * 24 + 4) * 60 + 40) * 60000 + 39000, "4:04:40:39"},
        {{60, 0, 0, 0}, {49, 0, 0, 0}, 49u * 86400000, "49:00:00:00"},
        {{49, 5, 0, 0}, {49, 5, 0, 0}, 49u * 86400000 + 5 * 3600000, "49:05:00:00"},
        {{49, 0, 0, 1}, {49, 0, 0, 1}, 49u * 86400000 + 1000, "49:00:00:01"},
        {{49, 17, 2, 46}, {49, 17, 2, 46}, kLongest, "49:17:02:46"},
        {{49, 17, 2, 47}, {49, 17, 2, 46}, kLongest, "49:17:02:46"},
        {{49, 23, 59, 59}, {49, 17, 2, 46}, kLongest, "49:17:02:46"},
        {{60, 23, 0, 0}, {49, 17, 2, 46}, kLongest, "49:17:02:46"},
        {{0, 0, 0, 0xFFFFFFFFu}, {49, 6, 28, 15}, ((49u * 24 + 6) * 60 + 28) * 60000 + 15000, "49:06:28:15"},
    };
    for (const auto& row : rows) {
        load(row.in[0], row.in[1], row.in[2], row.in[3]);
        std::string where = std::to_string(row.in[0]) + " d " + std::to_string(row.in[1]) + " h " +
                            std::to_string(row.in[2]) + " m " + std::to_string(row.in[3]) + " s";
        uint32_t shown[4] = {fake::fields[IDC_DAYS], fake::fields[IDC_HOURS], fake::fields[IDC_MINUTES],
                             fake::fields[IDC_SECONDS]};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(shown[i], row.out[i]) << where << ", field " << i;
        EXPECT_EQ(record.durationMs[0], row.ms) << where;
        EXPECT_EQ(countdown::state.slots[0].runLengthMs, row.ms) << where;
        EXPECT_EQ(text(), row.text) << where;
    }
    EXPECT_EQ(kLongest, settings::kMaxTotalMs);
}

// The longest count ends, whether typed or read from a file, and wherever
// the clock stands: elapsed time is counted modulo 2^32.
TEST_F(Engine, TheLongestCountEnds) {
    struct { const char* source; uint32_t stored, clockAtStart, length; } rows[] = {
        {"49 days 23:59:59 typed", 0, 1000000, settings::kMaxTotalMs},
        {"49 days 05:00:00 typed", 0, 4294967295u - 100000, 49u * 86400000 + 5 * 3600000},
        {"0xFFFFFFFF from the file", 0xFFFFFFFFu, 1000000, settings::kMaxTotalMs},
        {"4294967000 from the file", 4294967000u, 4294967295u - 100000, settings::kMaxTotalMs},
        {"the longest from the file", settings::kMaxTotalMs, 4294967295u - 100000, settings::kMaxTotalMs},
        {"one over it from the file", settings::kMaxTotalMs + 1, 1000000, settings::kMaxTotalMs},
        {"49 days 05:00:00 from the file", 49u * 86400000 + 5 * 3600000, 1000000, 49u * 86400000 + 5 * 3600000},
    };
    for (const auto& row : rows) {
        fake::reset();
        fake::now = row.clockAtStart;
        if (row.stored) {
            record.durationMs[0] = row.stored;
            reloadSlot(0);
        } else if (row.length == settings::kMaxTotalMs) {
            load(49, 23, 59, 59);
        } else {
            load(49, 5, 0, 0);
        }
        ASSERT_EQ(countdown::state.slots[0].runLengthMs, row.length) << row.source;
        startStop();
        // Days pass in three jumps, a tick after each (the fake's timers see a
        // jump as overdue only below 2^31 ms).
        for (int jump = 0; jump < 3; ++jump) {
            fake::now += (row.length - 2500) / 3;
            fake::advance(500);
        }
        EXPECT_EQ(countdown::state.slots[0].runState, kCounting) << row.source;
        EXPECT_EQ(text(), "1") << row.source;
        fake::advance(2000);
        EXPECT_EQ(countdown::state.slots[0].runState, 1u) << row.source << ": the count must end";
        EXPECT_EQ(fake::threads.size(), 1u) << row.source;
    }
}

TEST_F(Engine, StartPauseResumeReset) {
    load(0, 0, 1, 30);
    EXPECT_EQ(text(), "01:30");
    startStop();
    EXPECT_EQ(countdown::state.slots[0].runState, kCounting);
    EXPECT_EQ(fake::timers.count(TIMER_TICK), 1u);
    EXPECT_EQ(fake::timers[TIMER_TICK], 500u);
    fake::advance(1000);
    EXPECT_EQ(text(), "01:29");
    fake::advance(9000);
    EXPECT_EQ(text(), "01:20");

    startStop();  // pause
    EXPECT_EQ(countdown::state.slots[0].runState, kIdle);
    EXPECT_EQ(fake::timers.count(TIMER_TICK), 0u);
    fake::advance(60000);
    EXPECT_EQ(text(), "01:20");

    startStop();  // resume from the paused time
    fake::advance(1000);
    EXPECT_EQ(text(), "01:19");

    resetShown();  // reset while counting: the full length from now
    EXPECT_EQ(countdown::state.slots[0].runState, kCounting);
    EXPECT_EQ(text(), "01:30");
    fake::advance(1000);
    EXPECT_EQ(text(), "01:29");
    EXPECT_GT(fake::count("sysmenu"), 0);
}

TEST_F(Engine, AutoResetStartsFromTheFields) {
    record.autoReset = 1;
    load(0, 0, 1, 0);
    startStop();
    fake::advance(20000);
    startStop();
    startStop();
    EXPECT_EQ(text(), "01:00");
}

TEST_F(Engine, StartAllAndStopAll) {
    record.timerCountIndex = 2;
    load(0, 0, 1, 0);
    countdown::state.shownTimer = 1;
    load(0, 0, 2, 0);
    countdown::state.shownTimer = 2;
    load(0, 0, 3, 0);
    countdown::state.slots[3].runState = kCounting;  // beyond the timer count: start all leaves it, stop all stops it
    startAll();
    for (uint32_t s = 0; s < 3; ++s) EXPECT_EQ(countdown::state.slots[s].runState, kCounting) << s;
    fake::advance(1000);
    EXPECT_EQ(text(0), "59");
    EXPECT_EQ(text(1), "01:59");
    EXPECT_EQ(text(2), "02:59");
    stopAll();
    for (uint32_t s = 0; s < 4; ++s) EXPECT_EQ(countdown::state.slots[s].runState, kIdle) << s;
    EXPECT_EQ(fake::timers.count(TIMER_TICK), 0u);
    EXPECT_EQ(record.durationMs[1], 120000u);  // each slot remembers its own length
}

TEST_F(Engine, WarningsBeepThreeTimesEvenWhenMuted) {
    record.warnings[0] = 1;
    record.mute = 1;
    record.flashOnFinish[0] = 0;
    load(0, 0, 0, 10);
    startStop();
    std::vector<uint32_t> beepsAt;
    for (int tick = 0; tick < 22; ++tick) {
        int before = fake::count("beep");
        fake::advance(500);
        if (fake::count("beep") > before) beepsAt.push_back(tick);
    }
    ASSERT_EQ(beepsAt.size(), 3u);
    EXPECT_EQ(beepsAt[1] - beepsAt[0], 2u);  // two ticks: one second apart
    EXPECT_EQ(beepsAt[2] - beepsAt[1], 2u);
}

TEST_F(Engine, ShortCountEntersTheWarningPhaseOnItsFirstTick) {
    record.warnings[0] = 1;
    load(0, 0, 0, 3);
    startStop();
    fake::advance(500);
    EXPECT_EQ(countdown::state.slots[0].runState, kWarningStart);
    EXPECT_EQ(fake::count("beep"), 0);
}

TEST_F(Engine, CompletionWithoutRestart) {
    load(0, 0, 0, 5);
    startStop();
    fake::advance(5000);
    EXPECT_EQ(countdown::state.slots[0].runState, kCounting);  // elapsed must exceed the length
    EXPECT_EQ(text(), "0");
    fake::advance(500);
    EXPECT_EQ(countdown::state.slots[0].runState, 1u);  // flashing by default
    EXPECT_EQ(text(), "0");
    EXPECT_EQ(fake::threads, std::vector<uint32_t>{0});
    EXPECT_EQ(fake::timers.count(TIMER_TICK), 0u);

    fake::reset();
    record.flashOnFinish[0] = 0;
    load(0, 0, 0, 1);
    startStop();
    fake::advance(1500);
    EXPECT_EQ(countdown::state.slots[0].runState, kIdle);
    EXPECT_EQ(fake::threads.size(), 1u);
}

TEST_F(Engine, CompletionRestartsOnlyCountsOverTwoSeconds) {
    record.autoRestart[0] = 1;
    load(0, 0, 0, 10);
    startStop();
    fake::advance(10500);
    EXPECT_EQ(countdown::state.slots[0].runState, 11u);
    EXPECT_EQ(text(), "10");
    fake::advance(1000);
    EXPECT_EQ(text(), "9");

    fake::reset();
    record.autoRestart[0] = 1;
    load(0, 0, 0, 2);  // exactly 2000 ms
    startStop();
    fake::advance(2500);
    EXPECT_EQ(countdown::state.slots[0].runState, 1u);
    EXPECT_EQ(text(), "0");
}

TEST_F(Engine, CountAcrossTheClockWrapEndsOnTime) {
    fake::now = 4294967295u - 2000;
    load(0, 0, 0, 5);
    startStop();
    fake::advance(4000);
    EXPECT_EQ(countdown::state.slots[0].runState, kCounting);
    EXPECT_EQ(text(), "1");
    fake::advance(1500);
    EXPECT_EQ(countdown::state.slots[0].runState, 1u);
}

TEST_F(Engine, ClockJumpCompletesOnTheNextTick) {
    load(0, 1, 0, 0);
    startStop();
    fake::now += 5u * 3600000u;  // the machine slept; no timer messages came
    fake::advance(500);
    EXPECT_EQ(countdown::state.slots[0].runState, 1u);
    EXPECT_EQ(fake::threads.size(), 1u);
}

TEST_F(Engine, AcknowledgeReloadsFromTheFields) {
    load(0, 0, 0, 1);
    startStop();
    fake::advance(1500);
    ASSERT_EQ(countdown::state.slots[0].runState, 1u);
    startStop();  // a click on an alarm
    EXPECT_EQ(countdown::state.slots[0].runState, kIdle);
    EXPECT_EQ(text(), "1");
    EXPECT_GT(fake::count("visibility"), 0);
}

TEST_F(Engine, HigherSlotsBeyondTheCountAreNotTicked) {
    record.timerCountIndex = 1;
    countdown::state.shownTimer = 1;
    load(0, 0, 0, 5);
    startStop();
    record.timerCountIndex = 0;
    fake::advance(10000);
    EXPECT_EQ(countdown::state.slots[1].runState, kCounting);  // still counting for the tick timer
    EXPECT_EQ(text(1), "5");
    EXPECT_EQ(fake::timers.count(TIMER_TICK), 1u);
    record.timerCountIndex = 1;
    fake::advance(500);
    EXPECT_EQ(countdown::state.slots[1].runState, 1u);  // the time that passed meanwhile counts
}

TEST_F(Engine, MinimisedTitleFollowsTheCountingSlot) {
    platform::windowState = platform::kWindowMinimised;
    record.timerCountIndex = 1;
    countdown::state.shownTimer = 1;
    load(0, 0, 2, 0);
    startStop();
    countdown::state.shownTimer = 0;  // not counting: the lowest counting slot is shown
    fake::advance(1000);
    EXPECT_EQ(fake::title, "01:59");
    EXPECT_EQ(titleSlot(), 1u);
    stopAll();
    EXPECT_EQ(titleSlot(), kNoSlot);
}

TEST_F(Engine, StartupTimerLoadsEverySlotAndHonoursTheStartFlag) {
    record.durationMs[2] = 90000;
    countdown::state.slots[0].runState = kCounting;  // the command line's start flag
    platform::setWindowTimer(TIMER_STARTUP, kStartupMs);
    fake::advance(50);
    EXPECT_EQ(text(2), "01:30");
    EXPECT_EQ(countdown::state.slots[0].runState, kIdle);
    EXPECT_EQ(fake::count("post 1000"), 1);
    EXPECT_EQ(fake::timers.count(TIMER_STARTUP), 0u);
}
