#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "display/geometry.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/store.h"
#include "sound/sound.h"
#include "tests/native/fake_platform.h"
#include "tests/native/fake_sound.h"

using settings::record;

namespace {

constexpr uint32_t kNo = countdown::kNoSlot;

// One repeat tick as the display sees it: the code and whether it paints swapped.
struct Step {
    uint32_t code;
    bool inverted;
    bool operator==(const Step& o) const { return code == o.code && inverted == o.inverted; }
};
void PrintTo(const Step& step, std::ostream* os) { *os << step.code << (step.inverted ? "i" : "n"); }

class Alarm : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
    void TearDown() override { sound::state.soundChooserOpen = 0; }

    // Both the time fields and the remembered length say `seconds`.
    static void setLength(uint32_t slot, uint32_t seconds) {
        record.durationMs[slot] = seconds * 1000;
        fake::fields[IDC_DAYS] = 0;
        fake::fields[IDC_HOURS] = 0;
        fake::fields[IDC_MINUTES] = seconds / 60;
        fake::fields[IDC_SECONDS] = seconds % 60;
        countdown::reloadSlot(slot);
    }
    // Starts the slot and runs the clock to the tick that completes it.
    static void runToZero(uint32_t slot, uint32_t seconds) {
        setLength(slot, seconds);
        countdown::state.shownTimer = slot;
        countdown::startStop();
        fake::advance(seconds * 1000 + countdown::kTickMs);
        ASSERT_EQ(std::vector<uint32_t>{slot}, fake::threads);
    }
    static void runAlarms() {
        while (!fake::threads.empty()) {
            uint32_t slot = fake::threads.front();
            fake::threads.erase(fake::threads.begin());
            countdown::alarmSequence(slot);
        }
    }
    // The colours the display paints: swapped only for a flashing slot.
    static bool inverted(uint32_t slot) {
        return display::inverted(record.flashOnFinish[slot], countdown::state.slots[slot].runState);
    }
    static void repeatTicks(uint32_t slot, int n, std::vector<Step>& trace) {
        for (int i = 0; i < n; ++i) {
            fake::advance(record.repeatIntervalMs[slot]);
            trace.push_back({countdown::state.slots[slot].runState, inverted(slot)});
        }
    }
    static size_t indexOf(const std::string& call, size_t from = 0) {
        auto it = std::find(fake::calls.begin() + from, fake::calls.end(), call);
        return it - fake::calls.begin();
    }
};

TEST_F(Alarm, PhaseWithoutRestartSwingsUntilTheWindowCloses) {
    for (uint32_t mode : {0u, 2u}) {
        fake::reset();
        record.autoRestart[0] = mode;
        record.repeatSound[0] = 1;
        std::vector<Step> trace;
        fake::answerBox = [&](const fake::Box&) {
            trace.push_back({countdown::state.slots[0].runState, inverted(0)});
            repeatTicks(0, 5, trace);
            return 1u;
        };
        runToZero(0, 10);
        runAlarms();
        std::vector<Step> expected = {{1, true}, {2, false}, {3, true}, {2, false}, {3, true}, {2, false}};
        EXPECT_EQ(expected, trace) << "auto-restart " << mode;
        EXPECT_EQ(6, fake::count("beep")) << "auto-restart " << mode;
    }
}

TEST_F(Alarm, PhaseOfAShortCountWithRestartAtEndRunsToSix) {
    record.autoRestart[0] = 1;
    record.repeatSound[0] = 1;
    std::vector<Step> trace;
    fake::answerBox = [&](const fake::Box& box) {
        EXPECT_EQ(3u, box.autoCloseSeconds);
        trace.push_back({countdown::state.slots[0].runState, inverted(0)});
        repeatTicks(0, 2, trace);   // the box closes itself after 3 s
        return 1u;
    };
    runToZero(0, 2);
    runAlarms();
    repeatTicks(0, 5, trace);
    std::vector<Step> expected = {{1, true},  {2, false}, {3, true}, {4, false},
                                  {5, true},  {6, true},  {0, false}, {0, false}};
    EXPECT_EQ(expected, trace);
    EXPECT_EQ(7, fake::count("beep"));   // the first sound and six repeats
    EXPECT_EQ(kNo, countdown::repeatSlot.load());
    EXPECT_EQ(0u, fake::timers.count(TIMER_REPEAT));
}

TEST_F(Alarm, RestartAtCompletionRepeatsFourTimesWhileCounting) {
    record.autoRestart[0] = 1;
    record.repeatSound[0] = 1;
    std::vector<Step> trace;
    fake::answerBox = [&](const fake::Box& box) {
        EXPECT_EQ(3u, box.autoCloseSeconds);
        trace.push_back({countdown::state.slots[0].runState, inverted(0)});
        repeatTicks(0, 2, trace);
        return 1u;
    };
    runToZero(0, 10);
    EXPECT_EQ(11u, countdown::state.slots[0].runState);
    runAlarms();
    repeatTicks(0, 3, trace);
    std::vector<Step> expected = {{11, true}, {12, false}, {13, true}, {14, false}, {10, false}, {10, false}};
    EXPECT_EQ(expected, trace);
    EXPECT_EQ(5, fake::count("beep"));
    EXPECT_EQ(10000u, countdown::state.slots[0].runLengthMs);
    EXPECT_EQ(1u, fake::timers.count(TIMER_TICK));
    // The restarted count still ends on time.
    fake::advance(10000 - 3 * 1500 - 2 * 1500 + countdown::kTickMs);
    EXPECT_EQ(std::vector<uint32_t>{0}, fake::threads);
}

TEST_F(Alarm, DefaultAlarm) {
    fake::fields[IDC_MINUTES] = 5;
    setLength(0, 300);
    countdown::state.shownTimer = 0;
    countdown::startStop();
    fake::advance(300000 + 500);
    std::vector<Step> trace;
    fake::answerBox = [&](const fake::Box&) {
        repeatTicks(0, 3, trace);
        return 1u;
    };
    runAlarms();
    ASSERT_EQ(1u, fake::boxes.size());
    const fake::Box& box = fake::boxes[0];
    EXPECT_EQ(settings::kDefaultFinishText, box.lines[1]);
    EXPECT_EQ("", box.lines[0] + box.lines[2] + box.lines[3]);
    EXPECT_EQ(0u, box.style);
    EXPECT_EQ(0u, box.autoCloseSeconds);
    EXPECT_EQ(1u, box.topmost);
    EXPECT_TRUE(box.ownedByMainWindow);
    EXPECT_EQ(1, fake::count("beep"));
    EXPECT_EQ(1, fake::count("setTimer 2 1500"));
    std::vector<Step> flashing = {{2, false}, {3, true}, {2, false}};
    EXPECT_EQ(flashing, trace);
    // Back to idle at its full length.
    EXPECT_EQ(0u, countdown::state.slots[0].runState);
    EXPECT_STREQ("05:00", countdown::state.slots[0].text);
    EXPECT_EQ(300000u, countdown::state.slots[0].runLengthMs);
    EXPECT_EQ(0u, countdown::state.slots[0].clockMark);
    EXPECT_EQ(0u, countdown::alarmBusy.load());
    size_t erased = indexOf("invalidate erase");
    ASSERT_LT(erased, fake::calls.size());
    EXPECT_LT(indexOf("visibility", erased), fake::calls.size());
    fake::advance(1500);
    EXPECT_EQ(kNo, countdown::repeatSlot.load());
    EXPECT_EQ(0u, fake::timers.count(TIMER_REPEAT));
    EXPECT_EQ(1, fake::count("beep"));
}

TEST_F(Alarm, FinishWindowOptions) {
    record.finishWindowTopmost = 0;
    std::strcpy(record.finishText[0], "tea");
    runToZero(0, 10);
    runAlarms();
    ASSERT_EQ(1u, fake::boxes.size());
    EXPECT_EQ(0u, fake::boxes[0].topmost);
    EXPECT_EQ("tea", fake::boxes[0].lines[1]);
    EXPECT_LT(indexOf("beep"), indexOf("setTimer 2 1500"));
    EXPECT_LT(indexOf("setTimer 2 1500"), indexOf("box"));
    EXPECT_LT(indexOf("box"), fake::calls.size());

    // Each alarm builds its own finish window: one whose request step never
    // reaches the main thread (the window gone at exit) shows the defaults,
    // not what the alarm before it built.
    fake::beforeStep = [](uint32_t step, uint32_t slot) {
        // Lost on the way: the main thread finds no such step asked for.
        if (step == countdown::kStepRequest) countdown::alarmStep(countdown::kStepBegin, slot);
    };
    runToZero(0, 10);
    runAlarms();
    ASSERT_EQ(2u, fake::boxes.size());
    const fake::Box& box = fake::boxes[1];
    EXPECT_EQ("", box.lines[0] + box.lines[1] + box.lines[2] + box.lines[3]);
    EXPECT_EQ(0u, box.style);
    EXPECT_EQ(0u, box.autoCloseSeconds);
    EXPECT_EQ(1u, box.topmost);
    EXPECT_TRUE(box.ownedByMainWindow);
    EXPECT_EQ(0u, countdown::alarmBusy.load()) << "the sequence still ended";
    EXPECT_EQ(0u, countdown::state.slots[0].runState);
}

TEST_F(Alarm, RestartOnClick) {
    record.repeatSound[0] = 1;
    fake::answerBox = [](const fake::Box&) {
        fake::advance(4000);
        return 1u;
    };
    record.autoRestart[0] = 2;
    runToZero(0, 10);
    EXPECT_EQ(1u, countdown::state.slots[0].runState);
    runAlarms();
    uint32_t closedAt = fake::now;
    EXPECT_EQ(10u, countdown::state.slots[0].runState);
    EXPECT_EQ(closedAt, countdown::state.slots[0].clockMark);
    EXPECT_EQ(1u, fake::timers.count(TIMER_TICK));
    int beeps = fake::count("beep");
    EXPECT_EQ(3, beeps);   // first sound, two repeats while the window was open
    fake::advance(1500);
    EXPECT_EQ(beeps, fake::count("beep"));
    EXPECT_EQ(kNo, countdown::repeatSlot.load());
}

TEST_F(Alarm, FinishWindowOffByAutoRestartMode) {
    struct Row {
        uint32_t mode;
        uint32_t seconds;
        uint32_t codeAfterSequence;
        int beepsAtEnd;
        uint32_t finalCode;
    } rows[] = {
        {0, 10, 0, 1, 0},    // a single sound, idle at once
        {1, 10, 11, 5, 10},  // restarted: four repeats
        {1, 2, 1, 7, 0},     // too short to restart: six repeats
        {2, 10, 10, 1, 10},  // restarted right after the first sound
    };
    for (const auto& row : rows) {
        fake::reset();
        record.showFinishWindow = 0;
        record.repeatSound[0] = 1;
        record.autoRestart[0] = row.mode;
        runToZero(0, row.seconds);
        runAlarms();
        EXPECT_TRUE(fake::boxes.empty());
        EXPECT_EQ(0, fake::count("box"));
        EXPECT_EQ(row.codeAfterSequence, countdown::state.slots[0].runState) << "mode " << row.mode;
        EXPECT_EQ(1, fake::count("beep")) << "mode " << row.mode;
        fake::advance(6 * 1500);
        EXPECT_EQ(row.beepsAtEnd, fake::count("beep")) << "mode " << row.mode;
        EXPECT_EQ(row.finalCode, countdown::state.slots[0].runState) << "mode " << row.mode;
        EXPECT_EQ(kNo, countdown::repeatSlot.load()) << "mode " << row.mode;
    }
}

TEST_F(Alarm, ShortRestartAtEndCountsItsFullLengthNextTime) {
    record.showFinishWindow = 0;
    record.autoRestart[0] = 1;
    runToZero(0, 2);
    runAlarms();
    EXPECT_EQ(0u, countdown::state.slots[0].clockMark);
    EXPECT_EQ(2000u, countdown::state.slots[0].runLengthMs);
    fake::advance(6 * 1500);
    ASSERT_EQ(0u, countdown::state.slots[0].runState);
    countdown::startStop();
    fake::advance(1500);
    EXPECT_EQ(10u, countdown::state.slots[0].runState);
    EXPECT_TRUE(fake::threads.empty());
    fake::advance(1000);
    EXPECT_EQ(std::vector<uint32_t>{0}, fake::threads);
}

TEST_F(Alarm, OneTimersAlarmKeepsAnotherSlotsLength) {
    record.timerCountIndex = 1;
    record.durationMs[1] = 20000;
    runToZero(0, 10);
    fake::fields[IDC_MINUTES] = 7;   // entered for slot 1 meanwhile
    fake::fields[IDC_SECONDS] = 0;
    runAlarms();
    EXPECT_EQ(0u, countdown::state.slots[0].runState);
    EXPECT_EQ(10000u, record.durationMs[0]);
    EXPECT_EQ(10000u, countdown::state.slots[0].runLengthMs);
    EXPECT_EQ(20000u, record.durationMs[1]);
    EXPECT_EQ(7u, fake::fields[IDC_MINUTES]);
}

TEST_F(Alarm, TwoSlotsEndingTogetherQueue) {
    record.timerCountIndex = 1;
    for (uint32_t s : {0u, 1u}) {
        setLength(s, 10);
        record.soundType[s] = sound::kTypeFile;
    }
    std::strcpy(record.soundPath[0], "C:\\a.wav");
    std::strcpy(record.soundPath[1], "C:\\b.wav");
    std::strcpy(record.finishText[1], "second");
    countdown::startAll();
    fake::advance(10500);
    ASSERT_EQ((std::vector<uint32_t>{0, 1}), fake::threads);

    std::promise<void> firstOpen, release;
    auto released = release.get_future().share();
    fake::answerBox = [&](const fake::Box& box) {
        if (box.lines[1] != "second") {
            firstOpen.set_value();
            released.wait();
        }
        return 1u;
    };
    auto first = std::async(std::launch::async, [] { countdown::alarmSequence(0); });
    firstOpen.get_future().wait();

    std::vector<uint32_t> slot0WhileWaiting;
    bool releasedFirst = false;
    fake::onSleep = [&](uint32_t ms) {
        if (fake::sleeps == 4) {
            EXPECT_EQ(1u, fake::boxes.size());
            EXPECT_EQ(0, fake::count("wave C:\\b.wav"));
            release.set_value();
            releasedFirst = true;
            first.wait();
        }
        fake::advance(ms);
        slot0WhileWaiting.push_back(countdown::state.slots[0].runState);
    };
    countdown::alarmSequence(1);
    if (!releasedFirst) release.set_value();
    first.get();
    ASSERT_TRUE(releasedFirst) << "the second sequence never waited";

    // Slot 0 flashed while its window was open, then its repeat timer stopped.
    EXPECT_EQ(2u, slot0WhileWaiting[2]);
    EXPECT_EQ(0u, slot0WhileWaiting.back());
    ASSERT_EQ(2u, fake::boxes.size());
    EXPECT_EQ("second", fake::boxes[1].lines[1]);
    size_t firstEnded = indexOf("killTimer 2", indexOf("wave C:\\a.wav"));
    EXPECT_LT(firstEnded, indexOf("wave C:\\b.wav"));
    EXPECT_LT(indexOf("wave C:\\b.wav"), fake::calls.size());
    EXPECT_EQ(1u, countdown::repeatSlot.load());
    EXPECT_EQ(0u, countdown::alarmBusy.load());
}

TEST_F(Alarm, WaitsWhileAnotherSequenceIsBusy) {
    countdown::alarmBusy = 1;
    fake::onSleep = [](uint32_t ms) {
        EXPECT_EQ(500u, ms);
        if (fake::sleeps == 3) countdown::alarmBusy = 0;
    };
    runToZero(0, 10);
    runAlarms();
    EXPECT_EQ(3u, fake::sleeps);
    EXPECT_EQ(1, fake::count("beep"));
    EXPECT_EQ(0u, countdown::alarmBusy.load());
}

TEST_F(Alarm, AcknowledgeByClickWhileRepeating) {
    record.showFinishWindow = 0;
    record.autoRestart[0] = 1;
    record.repeatSound[0] = 1;
    record.soundType[0] = sound::kTypeFile;
    std::strcpy(record.soundPath[0], "C:\\alarm.mp3");
    runToZero(0, 2);
    runAlarms();
    fake::advance(1500);
    ASSERT_EQ(2u, countdown::state.slots[0].runState);
    ASSERT_EQ(fake::mediaEnd, sound::state.mediaLoaded);
    int plays = fake::count("media C:\\alarm.mp3");
    fake::calls.clear();

    countdown::startStop();   // the click posts command 1000
    EXPECT_EQ(0u, countdown::state.slots[0].runState);
    EXPECT_EQ(kNo, countdown::repeatSlot.load());
    EXPECT_EQ(1, fake::count("killTimer 2"));
    EXPECT_EQ(1, fake::count("closeMedia"));
    EXPECT_EQ(fake::mediaEnd, sound::state.mediaLoaded);   // acknowledge leaves it set
    EXPECT_EQ(2000u, countdown::state.slots[0].runLengthMs);
    fake::advance(6 * 1500);
    EXPECT_EQ(0, fake::count("media C:\\alarm.mp3"));
    EXPECT_EQ(2, plays);
    EXPECT_EQ(0u, countdown::state.slots[0].runState);
}

TEST_F(Alarm, StopAllDuringAnAlarm) {
    record.repeatSound[0] = 1;
    fake::answerBox = [](const fake::Box&) {
        fake::advance(1500);
        countdown::stopAll();
        EXPECT_EQ(0u, countdown::state.slots[0].runState);
        EXPECT_EQ(kNo, countdown::repeatSlot.load());
        fake::advance(3000);
        return 1u;
    };
    runToZero(0, 10);
    runAlarms();
    EXPECT_EQ(2, fake::count("beep"));   // nothing repeats after the stop
    EXPECT_EQ(0u, countdown::state.slots[0].runState);
    EXPECT_EQ(10000u, countdown::state.slots[0].runLengthMs);
    EXPECT_EQ(0u, countdown::state.slots[0].clockMark);
    EXPECT_EQ(0u, fake::timers.count(TIMER_REPEAT));
}

TEST_F(Alarm, RepeatsWaitWhileTheSoundChooserIsOpen) {
    record.showFinishWindow = 0;
    record.autoRestart[0] = 1;
    runToZero(0, 2);
    runAlarms();
    sound::state.soundChooserOpen = 1;
    fake::advance(3 * 1500);
    EXPECT_EQ(1u, countdown::state.slots[0].runState);
    sound::state.soundChooserOpen = 0;
    fake::advance(1500);
    EXPECT_EQ(2u, countdown::state.slots[0].runState);
}

TEST_F(Alarm, MediaSoundStops) {
    // Completion of another count closes a media sound and forgets it.
    setLength(0, 10);
    countdown::startStop();
    sound::state.mediaLoaded = 4000;
    fake::advance(10500);
    ASSERT_EQ(std::vector<uint32_t>{0}, fake::threads);
    EXPECT_EQ(1, fake::count("closeMedia"));
    EXPECT_EQ(0u, sound::state.mediaLoaded);

    // The end of the finish window stops a media sound, not a WAV sound.
    struct Row {
        const char* path;
        int closes;
    } rows[] = {{"C:\\alarm.mp3", 1}, {"C:\\alarm.wav", 0}};
    for (const auto& row : rows) {
        fake::reset();
        record.soundType[0] = sound::kTypeFile;
        std::strcpy(record.soundPath[0], row.path);
        runToZero(0, 10);
        runAlarms();
        EXPECT_EQ(row.closes, fake::count("closeMedia")) << row.path;
        EXPECT_EQ(0u, sound::state.mediaLoaded) << row.path;
    }

    // Start closes but keeps the flag; Stop closes and clears it.
    fake::reset();
    setLength(0, 10);
    sound::state.mediaLoaded = 4000;
    countdown::startStop();
    EXPECT_EQ(1, fake::count("closeMedia"));
    EXPECT_EQ(4000u, sound::state.mediaLoaded);
    countdown::startStop();
    EXPECT_EQ(2, fake::count("closeMedia"));
    EXPECT_EQ(0u, sound::state.mediaLoaded);
}

TEST_F(Alarm, UpdateRepeatTimer) {
    struct Row {
        uint32_t slot, code, ownerBefore;
        const char* call;   // "" when the timers are left alone
        uint32_t ownerAfter;
        uint32_t intervalMs = 700;
    } rows[] = {
        {kNo, 0, 2, "killTimer 2", kNo},
        {kNo, 0, kNo, "killTimer 2", kNo},
        {1, 1, kNo, "setTimer 2 700", 1},
        {1, 11, kNo, "setTimer 2 700", 1},
        {1, 1, kNo, "setTimer 2 100", 1, 10},   // a file's tiny interval is raised
        {1, 1, kNo, "setTimer 2 100", 1, 0},
        {1, 0, 3, "killTimer 2", kNo},   // disarmed whoever owns it
        {1, 10, 3, "killTimer 2", kNo},
        {1, 3, 3, "", 3},                // an armed timer keeps its owner
        {1, 0, kNo, "", kNo},
        {1, 10, kNo, "", kNo},
    };
    for (const auto& row : rows) {
        fake::reset();
        record.repeatIntervalMs[1] = row.intervalMs;
        if (row.slot < 4) countdown::state.slots[row.slot].runState = row.code;
        countdown::repeatSlot = row.ownerBefore;
        countdown::updateRepeatTimer(row.slot);
        std::vector<std::string> expected;
        if (*row.call) expected.push_back(row.call);
        EXPECT_EQ(expected, fake::calls) << "slot " << row.slot << " code " << row.code;
        EXPECT_EQ(row.ownerAfter, countdown::repeatSlot.load()) << "slot " << row.slot << " code " << row.code;
    }
}

TEST_F(Alarm, RepeatStepOutsideThePlainPhases) {
    struct Row {
        uint32_t code, flash, repeat, autoRestart, next;
        bool armedAfter;
    } rows[] = {
        {3, 0, 0, 0, 0, false},    // both switched off during the alarm
        {12, 0, 0, 1, 10, false},
        {7, 1, 0, 0, 0, false},    // 7-9 end the phase
        {13, 1, 0, 0, 12, true},   // 14 swings back without restart at end
        {14, 1, 0, 1, 10, false},
        {17, 1, 1, 1, 17, true},   // warning codes: nothing, timer kept
    };
    for (const auto& row : rows) {
        fake::reset();
        record.flashOnFinish[0] = row.flash;
        record.repeatSound[0] = row.repeat;
        record.autoRestart[0] = row.autoRestart;
        countdown::state.slots[0].runState = row.code;
        countdown::updateRepeatTimer(0);
        fake::calls.clear();
        fake::advance(1500);
        EXPECT_EQ(row.next, countdown::state.slots[0].runState) << "code " << row.code;
        EXPECT_EQ(row.armedAfter, countdown::repeatSlot == 0) << "code " << row.code;
        bool painted = row.flash && row.code < 17;
        EXPECT_EQ(painted ? 1 : 0, fake::count("invalidate")) << "code " << row.code;
        EXPECT_EQ(0, fake::count("beep")) << "code " << row.code;
    }
}

// Whatever the main thread does between the alarm thread's steps, the repeat
// timer is armed exactly while repeatSlot names its owner, the tick timer
// exactly while a slot counts, and the slot's next alarm still gets its turn.
TEST_F(Alarm, MainThreadWorkBetweenStepsLosesNothing) {
    using Work = void (*)();
    struct { const char* name; Work work; } works[] = {
        {"acknowledge", [] { countdown::startStop(); }},
        {"stop slot 1", [] {
             countdown::state.shownTimer = 1;
             countdown::startStop();
             countdown::state.shownTimer = 0;
         }},
        {"repeat tick", [] { countdown::onWindowTimer(TIMER_REPEAT); }},
        {"tick", [] { countdown::onWindowTimer(TIMER_TICK); }},
    };
    for (uint32_t mode : {0u, 1u, 2u}) {
        for (uint32_t step : {countdown::kStepBegin, countdown::kStepRequest, countdown::kStepEnd}) {
            for (const auto& w : works) {
                fake::reset();
                std::string where = std::string(w.name) + " before step " + std::to_string(step) +
                                    ", auto-restart " + std::to_string(mode);
                record.timerCountIndex = 1;
                record.autoRestart[0] = mode;
                record.repeatSound[0] = 1;
                setLength(1, 60);
                countdown::state.shownTimer = 1;
                countdown::startStop();      // slot 1 counts on
                bool done = false;
                fake::beforeStep = [&](uint32_t s, uint32_t) {
                    if (s != step || done) return;
                    done = true;
                    w.work();
                };
                runToZero(0, 10);
                runAlarms();
                ASSERT_TRUE(done) << where;
                for (int i = 0; i < 8; ++i) {
                    fake::advance(750);
                    bool repeatArmed = fake::timers.count(TIMER_REPEAT) == 1;
                    ASSERT_EQ(repeatArmed, countdown::repeatSlot != kNo) << where;
                    bool counting = countdown::isCounting(countdown::state.slots[0].runState) || countdown::isCounting(countdown::state.slots[1].runState);
                    ASSERT_EQ(counting, fake::timers.count(TIMER_TICK) == 1) << where;
                    ASSERT_EQ(counting, countdown::state.tickTimerOn != 0) << where;
                }
                // The next completion of the slot still sounds and shows its window.
                fake::beforeStep = nullptr;
                if (countdown::state.slots[0].runState != countdown::kIdle) countdown::startStop();
                fake::threads.clear();
                size_t boxes = fake::boxes.size();
                if (countdown::isCounting(countdown::state.slots[0].runState)) countdown::startStop();
                runToZero(0, 10);
                runAlarms();
                EXPECT_EQ(boxes + 1, fake::boxes.size()) << where;
                EXPECT_EQ(0u, countdown::alarmBusy.load()) << where;
            }
        }
    }
}

// A 3-second count that restarts at completion, without flashing: each
// completion that lands while the slot's own window is open is kept and gets
// its sound and window after it; more merge into that one, so at most one
// waits and threads stay bounded.
TEST_F(Alarm, CompletionsWhileItsWindowIsOpenPlayAfterIt) {
    struct Row {
        int completionsWhileOpen;
        uint32_t flash;   // the slot's own repeat phase is still armed when its window closes
        size_t boxes;
    } rows[] = {{0, 0, 1}, {1, 0, 2}, {3, 0, 2}, {0, 1, 1}, {1, 1, 2}, {3, 1, 2}};
    for (const auto& row : rows) {
        fake::reset();
        record.autoRestart[0] = 1;
        record.flashOnFinish[0] = row.flash;
        size_t mostWaiting = 0;
        fake::answerBox = [&](const fake::Box&) {
            if (fake::boxes.size() > 1) return 1u;
            for (int i = 0; i < row.completionsWhileOpen; ++i) {
                fake::advance(3000 + countdown::kTickMs);
                mostWaiting = std::max(mostWaiting, fake::threads.size());
            }
            return 1u;
        };
        runToZero(0, 3);
        runAlarms();
        std::string where = std::to_string(row.completionsWhileOpen) + " completions while open, flash " +
                            std::to_string(row.flash);
        EXPECT_EQ(row.boxes, fake::boxes.size()) << where;
        EXPECT_EQ(static_cast<int>(row.boxes), fake::count("beep")) << where << ": one sound per window";
        EXPECT_LE(mostWaiting, 1u) << where;
        EXPECT_EQ(countdown::kSequenceNone, countdown::state.sequenceState[0]) << where;
        EXPECT_EQ(0u, countdown::alarmBusy.load()) << where;
        EXPECT_GE(countdown::state.slots[0].runState, countdown::kCounting) << where << ": counting again (flashing adds a phase)";
    }
}

// A 3-second count that restarts at completion and flashes: each completion
// starts the flash phase again before it ends, so the repeat timer never
// stops. Its own repeat phase does not hold a slot's next alarm back: every
// completion gets its window, with one alarm thread at a time.
TEST_F(Alarm, EveryCompletionOfAFlashingRestartGetsItsWindow) {
    record.autoRestart[0] = 1;
    record.flashOnFinish[0] = 1;
    runToZero(0, 3);
    runAlarms();
    ASSERT_EQ(1u, fake::boxes.size());
    for (size_t completion = 1; completion < 20; ++completion) {
        fake::advance(3000 + countdown::kTickMs);
        ASSERT_LE(fake::threads.size(), 1u) << "completion " << completion;
        ASSERT_EQ(0u, countdown::repeatSlot.load()) << "the display keeps flashing";
        runAlarms();
        ASSERT_EQ(completion + 1, fake::boxes.size()) << "completion " << completion;
    }
}

}  // namespace
