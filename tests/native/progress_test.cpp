#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "countdown/progress.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "tests/native/fake_platform.h"

using settings::record;

namespace {

struct Step {
    const char* name;
    std::function<void()> act;
};

// The time fields say `seconds`, and the shown timer is reset to them.
void load(uint32_t seconds) {
    fake::fields = {{IDC_DAYS, 0}, {IDC_HOURS, 0}, {IDC_MINUTES, seconds / 60}, {IDC_SECONDS, seconds % 60}};
    countdown::resetShown();
}

void startStopSlot(uint32_t slot) {
    countdown::state.shownTimer = slot;
    countdown::startStop();
}

// Runs the alarm threads started so far. Each finish window stays open
// through three flashes and is closed with 确定.
void runAlarms() {
    fake::answerBox = [](const fake::Box&) {
        for (int i = 0; i < 3; ++i) fake::advance(record.repeatIntervalMs[0]);
        return 1u;
    };
    while (!fake::threads.empty()) {
        uint32_t slot = fake::threads.front();
        fake::threads.erase(fake::threads.begin());
        countdown::alarmSequence(slot);
    }
}

// Slot 0 counts 6 s with the default alarm (flashing, a finish window).
std::vector<Step> journey() {
    return {
        {"6 s typed in", [] { load(6); }},
        {"started", [] { startStopSlot(0); }},
        {"counted 1 s", [] { fake::advance(1000); }},
        {"stopped part way", [] { startStopSlot(0); }},
        {"left stopped 5 s", [] { fake::advance(5000); }},
        {"started again", [] { startStopSlot(0); }},
        {"counted to 0", [] { fake::advance(5000); }},
        {"ran out", [] { fake::advance(countdown::kTickMs); }},
        {"flashed until 确定", runAlarms},
        {"started after the alarm", [] { startStopSlot(0); }},
        {"counted 1 s", [] { fake::advance(1000); }},
        {"reset while counting", countdown::resetShown},
        {"counted 1 s", [] { fake::advance(1000); }},
        {"stopped part way", [] { startStopSlot(0); }},
        {"reset", countdown::resetShown},
    };
}

// Each tick's value from `from` to `to` ms of a 6 s count, as the button gets them.
std::vector<std::string> ticks(const char* state, uint32_t from, uint32_t to) {
    std::vector<std::string> out;
    for (uint32_t ms = from; ms <= to; ms += countdown::kTickMs)
        out.push_back(std::string(state) + " " + std::to_string(ms) + "/6000");
    return out;
}

class Progress : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

std::string text(const countdown::Progress& p) {
    return std::to_string(p.state) + " " + std::to_string(p.done) + "/" + std::to_string(p.total);
}

}  // namespace

// One slot's state and value, wherever its count or alarm stands.
TEST_F(Progress, OfOneSlot) {
    constexpr uint32_t kNow = 1000000;
    struct Row {
        const char* where;
        uint32_t runState, length, clockMark;
        bool alarmPending;
        countdown::Progress expected;
    } rows[] = {
        {"idle at its full length", 0, 6000, 0, false, {countdown::kProgressNone, 0, 0}},
        {"counting, 1.5 s in", 10, 6000, kNow - 1500, false, {countdown::kProgressNormal, 1500, 6000}},
        {"in the warning", 19, 6000, kNow - 5000, false, {countdown::kProgressNormal, 5000, 6000}},
        {"past its end before the tick", 10, 6000, kNow - 6400, false, {countdown::kProgressNormal, 6000, 6000}},
        {"stopped part way", 0, 6000, 2500, false, {countdown::kProgressPaused, 2500, 6000}},
        {"stopped past its end", 0, 6000, 6300, false, {countdown::kProgressPaused, 6000, 6000}},
        {"alarm, first phase", 1, 6000, kNow - 6500, true, {countdown::kProgressError, 6000, 6000}},
        {"alarm swinging, its window closed", 3, 6000, kNow - 9000, false, {countdown::kProgressError, 6000, 6000}},
        {"restarted count in its alarm", 12, 6000, kNow - 1000, true, {countdown::kProgressError, 1000, 6000}},
        {"ran out quietly, window open", 0, 6000, kNow - 6500, true, {countdown::kProgressError, 6000, 6000}},
        {"acknowledged, window still open", 0, 6000, 0, true, {countdown::kProgressNone, 0, 0}},
        {"no length, just started", 10, 0, kNow, false, {countdown::kProgressNormal, 0, 1}},
        {"no length, a tick later", 10, 0, kNow - 500, false, {countdown::kProgressNormal, 1, 1}},
    };
    for (const Row& row : rows) {
        countdown::Slot slot{};
        slot.runState = row.runState;
        slot.runLengthMs = row.length;
        slot.clockMark = row.clockMark;
        EXPECT_EQ(text(row.expected), text(countdown::progressOf(slot, row.alarmPending, kNow))) << row.where;
    }
}

// The button follows the count: normal while it counts, paused where it was
// stopped, error through the alarm until 确定, nothing at its full length; a
// value that did not change is not handed on again.
TEST_F(Progress, TheButtonFollowsACountThroughItsAlarm) {
    const std::vector<std::vector<std::string>> expected = {
        {},
        {"normal 0/6000"},
        ticks("normal", 500, 1000),
        {"paused 1000/6000"},
        {},
        {"normal 1000/6000"},
        ticks("normal", 1500, 6000),
        {"error 6000/6000"},
        {"none"},
        {"normal 0/6000"},
        ticks("normal", 500, 1000),
        {"normal 0/6000"},
        ticks("normal", 500, 1000),
        {"paused 1000/6000"},
        {"none"},
    };
    std::vector<Step> steps = journey();
    ASSERT_EQ(expected.size(), steps.size());
    for (size_t i = 0; i < steps.size(); ++i) {
        fake::progress.clear();
        steps[i].act();
        EXPECT_EQ(expected[i], fake::progress) << "step " << i << ": " << steps[i].name;
    }
    EXPECT_EQ(0u, countdown::state.slots[0].runState);
}

// The system is kept awake from the first count's start until no slot
// counts, and let go at exit; each request only on a change.
TEST_F(Progress, TheSystemStaysAwakeWhileAnySlotCounts) {
    const std::vector<std::vector<bool>> expected = {
        {}, {true}, {}, {false}, {}, {true}, {}, {false}, {}, {true}, {}, {}, {}, {false}, {},
    };
    std::vector<Step> steps = journey();
    ASSERT_EQ(expected.size(), steps.size());
    struct Row {
        const char* name;
        std::function<void()> act;
        std::vector<bool> awake;
    };
    const Row overlap[] = {
        {"two timers, slot 1 given 4 s", [] { record.timerCountIndex = 1; countdown::state.shownTimer = 1; load(4); },
         {}},
        {"slot 0 started", [] { startStopSlot(0); }, {true}},
        {"slot 1 started", [] { startStopSlot(1); }, {}},
        {"both counted 1 s", [] { fake::advance(1000); }, {}},
        {"slot 0 stopped while slot 1 counts", [] { startStopSlot(0); }, {}},
        {"slot 1 ran out", [] { fake::advance(3500); }, {false}},
        {"all started", countdown::startAll, {true}},
        {"exit", countdown::stopKeepingAwake, {false}},
        {"exit again", countdown::stopKeepingAwake, {}},
    };
    for (const Row& row : overlap) steps.push_back({row.name, row.act});
    std::vector<std::vector<bool>> all = expected;
    for (const Row& row : overlap) all.push_back(row.awake);
    for (size_t i = 0; i < steps.size(); ++i) {
        fake::awake.clear();
        steps[i].act();
        EXPECT_EQ(all[i], fake::awake) << "step " << i << ": " << steps[i].name;
    }
    EXPECT_EQ(1u, countdown::state.slots[1].runState) << "slot 1's alarm";
}
