#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "display/access.h"
#include "display/geometry.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "tests/native/fake_platform.h"

using settings::record;

namespace {

struct Child {
    std::string name, value;
    bool selected;
    display::Rect area;
};

std::string describe(const Child& c) {
    return c.name + " = " + c.value + (c.selected ? " selected" : "") + " at " + std::to_string(c.area.left) +
           "," + std::to_string(c.area.top) + " " + std::to_string(c.area.right) + "," +
           std::to_string(c.area.bottom);
}

// What one tick or step told assistive technology: when, what, and the text drawn then.
struct Told {
    uint32_t atMs;
    std::string call, text;
    bool operator==(const Told& o) const { return atMs == o.atMs && call == o.call && text == o.text; }
};
void PrintTo(const Told& t, std::ostream* os) { *os << t.atMs << " ms " << t.call << " \"" << t.text << "\""; }

}  // namespace

// Each timer shown is one child: its name, the text drawn for it, whether it
// is the shown one, and its area in the client area below the control strip.
TEST(Access, TimerChildrenAsDrawn) {
    const char* texts[4] = {"05:00", "1:00:00", "9", "12:00:00:00"};
    struct Row {
        const char* what;
        uint32_t countIndex, shownTimer;
        int top, width, height;
        std::vector<Child> children;
    } rows[] = {
        {"one timer", 0, 0, 60, 135, 61, {{"计时器 1", "05:00", true, {0, 60, 135, 121}}}},
        {"two timers, the second shown", 1, 1, 60, 135, 61,
         {{"计时器 1", "05:00", false, {0, 60, 67, 121}}, {"计时器 2", "1:00:00", true, {67, 60, 135, 121}}}},
        {"three timers, the first shown", 2, 0, 60, 300, 100,
         {{"计时器 1", "05:00", true, {0, 60, 100, 160}},
          {"计时器 2", "1:00:00", false, {100, 60, 200, 160}},
          {"计时器 3", "9", false, {200, 60, 300, 160}}}},
        {"four timers, the third shown, no control strip", 3, 2, 0, 301, 201,
         {{"计时器 1", "05:00", false, {0, 0, 150, 100}},
          {"计时器 2", "1:00:00", false, {150, 0, 301, 100}},
          {"计时器 3", "9", true, {0, 100, 150, 201}},
          {"计时器 4", "12:00:00:00", false, {150, 100, 301, 201}}}},
    };
    for (const Row& row : rows) {
        fake::reset();
        for (uint32_t s = 0; s < 4; ++s)
            text::copyBounded(countdown::state.slots[s].text, texts[s], countdown::kTextBytes);
        record.timerCountIndex = row.countIndex;
        countdown::state.shownTimer = row.shownTimer;
        display::view.top = row.top;
        display::view.width = row.width;
        display::view.height = row.height;
        ASSERT_EQ(display::timerChildren(), row.children.size()) << row.what;
        for (uint32_t n = 0; n < row.children.size(); ++n) {
            display::TimerChild got = display::timerChild(n);
            Child seen{got.name, got.value, got.selected, got.area};
            EXPECT_EQ(describe(seen), describe(row.children[n])) << row.what << ", child " << n;
        }
    }
}

// A 70-second count tells the shown timer's time at the whole minute, each of
// the last ten seconds and the end, nothing else, and tells the alarm when it
// begins; a timer that is not the shown one tells only its alarm.
TEST(Access, CountTellsItsTimeOnlyWhenWorthReading) {
    const std::vector<Told> lastTen = {
        {59500, "tellTime 0", "10"}, {60500, "tellTime 0", "9"}, {61500, "tellTime 0", "8"},
        {62500, "tellTime 0", "7"},  {63500, "tellTime 0", "6"}, {64500, "tellTime 0", "5"},
        {65500, "tellTime 0", "4"},  {66500, "tellTime 0", "3"}, {67500, "tellTime 0", "2"},
        {68500, "tellTime 0", "1"},  {70500, "tellTime 0", "0"}, {70500, "tellAlarm 0", "0"},
    };
    struct Row {
        const char* what;
        uint32_t showSeconds, countIndex, shownTimer, counting;
        std::vector<Told> told;
    } rows[] = {
        {"seconds shown", 1, 0, 0, 0, {}},
        {"seconds hidden: the minute's text changes at 59 s", 0, 0, 0, 0, lastTen},
        {"two timers, the other one shown", 1, 1, 1, 0, {{70500, "tellAlarm 0", "0"}}},
    };
    rows[0].told = lastTen;
    rows[0].told.insert(rows[0].told.begin(), {9500, "tellTime 0", "01:00"});
    for (const Row& row : rows) {
        fake::reset();
        record.showSeconds = row.showSeconds;
        record.timerCountIndex = row.countIndex;
        record.durationMs[row.counting] = 70000;
        countdown::reloadSlot(row.counting);
        countdown::state.shownTimer = row.counting;
        countdown::startStop();
        countdown::state.shownTimer = row.shownTimer;
        std::vector<Told> told;
        size_t seen = 0;
        auto collect = [&](uint32_t atMs) {
            for (; seen < fake::calls.size(); ++seen)
                if (fake::calls[seen].rfind("tell", 0) == 0)
                    told.push_back({atMs, fake::calls[seen], countdown::state.slots[row.counting].text});
        };
        collect(0);
        for (uint32_t ms = 500; ms <= 75000 && fake::threads.empty(); ms += 500) {
            fake::advance(500);
            collect(ms);
        }
        ASSERT_EQ(fake::threads, std::vector<uint32_t>{row.counting}) << row.what << ": the count never ended";
        // The finish window is open while the alarm sounds: what was told by then.
        fake::answerBox = [&](const fake::Box&) {
            collect(70500);
            return 1u;
        };
        countdown::alarmSequence(row.counting);
        collect(99999);
        EXPECT_EQ(told, row.told) << row.what;
    }
}
