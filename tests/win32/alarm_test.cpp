// The alarm sequence on the real program: the finish window, flashing,
// restart at completion and two alarms in a row.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "alarm_support.h"
#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "driver.h"
#include "inproc.h"
#include "resources/resource.h"
#include "settings/record.h"

using alarms::kBlack;
using alarms::kWhite;

namespace {

const char kFinishGbk[] = "\xD5\xE2\xB8\xF6" "Tiv \xD2\xD1\xCD\xEA\xB3\xC9";  // 这个Tiv 已完成

// One run-state code of a slot as it was seen, with the display's colour
// read well inside it.
struct Phase {
    uint32_t code;
    DWORD at;
    COLORREF colour;
};

std::vector<uint32_t> codesOf(const std::vector<Phase>& phases) {
    std::vector<uint32_t> codes;
    for (const Phase& p : phases) codes.push_back(p.code);
    return codes;
}

std::string coloursOf(const std::vector<Phase>& phases) {
    std::string out;
    for (const Phase& p : phases) out += p.colour == kWhite ? 'W' : p.colour == kBlack ? 'B' : '?';
    return out;
}

}  // namespace

// Out of process: the box as a user meets it, timed from the start command.
TEST(FinishWindow, ShowsThreeSecondsAfterTheStartOnTopOfOtherWindows) {
    std::string folder = driver::countFolder(3);
    driver::Tiv tiv;
    ASSERT_TRUE(driver::start(tiv, folder));
    HWND main = driver::waitMain(tiv);
    ASSERT_NE(main, nullptr);
    Sleep(500);  // the start-up timer loads the slots 50 ms after creation; a start before it would be undone
    DWORD pid = tiv.process.dwProcessId;
    ASSERT_TRUE(alarms::finishBoxes(pid).empty());

    DWORD started = GetTickCount();
    driver::command(main, IDC_STARTSTOP);
    HWND box = nullptr;
    while (!box && GetTickCount() - started < 10000) {
        auto boxes = alarms::finishBoxes(pid);
        if (!boxes.empty()) box = boxes.front();
        else Sleep(2);
    }
    DWORD shownAfter = GetTickCount() - started;
    ASSERT_NE(box, nullptr) << "no finish window within 10 s";
    EXPECT_GE(shownAfter, 3000u);
    EXPECT_LE(shownAfter, 3600u);

    EXPECT_EQ(driver::itemText(box, IDC_MSG_LINE2), kFinishGbk) << driver::hex(driver::itemText(box, IDC_MSG_LINE2));
    for (int line : {IDC_MSG_LINE1, IDC_MSG_LINE3, IDC_MSG_LINE4}) EXPECT_EQ(driver::itemText(box, line), "");
    EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, IDCANCEL)));
    EXPECT_FALSE(IsWindowEnabled(main)) << "the finish window is modal to the main window";
    EXPECT_EQ(driver::itemText(main, IDC_STARTSTOP), "停止");
    EXPECT_EQ(alarms::finishBoxes(pid).size(), 1u);

    ASSERT_TRUE(driver::answerBox(box, IDOK));
    EXPECT_TRUE(driver::waitFor([&] { return driver::itemText(main, IDC_STARTSTOP) == "开始"; }, 3000));
    EXPECT_TRUE(IsWindowEnabled(main));
    Sleep(2000);
    EXPECT_TRUE(alarms::finishBoxes(pid).empty()) << "a second window after 确定";
    EXPECT_EQ(driver::itemNumber(main, IDC_SECONDS), 3u);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(driver::waitExit(tiv));
    driver::removeFolder(folder);
}

class AlarmSequence : public ::testing::Test {
protected:
    HWND main = nullptr;

    void TearDown() override {
        alarms::endAlarms(main);
        inproc::close();
    }

    // Pumps until `until` holds, noting each run-state code of `slot` as it
    // changes and the display's colour 300 ms into it.
    std::vector<Phase> watchPhases(uint32_t slot, const std::function<bool()>& until, DWORD timeoutMs) {
        std::vector<Phase> phases;
        DWORD start = GetTickCount();
        while (!until() && GetTickCount() - start < timeoutMs) {
            uint32_t code = countdown::state.slots[slot].runState;
            DWORD now = GetTickCount();
            if (phases.empty() || phases.back().code != code) phases.push_back({code, now, CLR_INVALID});
            Phase& last = phases.back();
            if (last.colour == CLR_INVALID && now - last.at >= 300) {
                COLORREF colour = alarms::displayColour(main);
                if (countdown::state.slots[slot].runState == code) last.colour = colour;
            }
            inproc::pump(10);
        }
        return phases;
    }
};

TEST_F(AlarmSequence, FlashesUntilOkThenTheSlotIsIdleAtItsFullLength) {
    ASSERT_TRUE(alarms::watchSoundCalls());
    main = alarms::openWithCount(3000);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(alarms::displayColour(main), kBlack);
    alarms::clearSoundCalls();

    driver::command(main, IDC_STARTSTOP);
    HWND box = alarms::pumpForBox(6000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::itemText(box, IDC_MSG_LINE2), kFinishGbk);
    EXPECT_STREQ(countdown::state.slots[0].text, "0");
    EXPECT_EQ(alarms::soundCalls().beeps, 1) << "the system sound, once";
    EXPECT_EQ(alarms::soundCalls().waves, 0);

    auto phases = watchPhases(0, [] { return false; }, 5000);
    ASSERT_GE(phases.size(), 4u);
    phases.resize(4);
    EXPECT_EQ(codesOf(phases), (std::vector<uint32_t>{1, 2, 3, 2}));
    EXPECT_EQ(coloursOf(phases), "WBWB") << "swapped, normal, swapped, normal";
    for (size_t i = 2; i < phases.size(); ++i) {
        EXPECT_GE(phases[i].at - phases[i - 1].at, 1300u);
        EXPECT_LE(phases[i].at - phases[i - 1].at, 1800u);
    }
    EXPECT_TRUE(IsWindow(box)) << "the window stays until 确定";
    EXPECT_EQ(alarms::soundCalls().beeps, 1) << "no repeated sound by default";

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(inproc::pumpUntil([&] { return !IsWindow(box) && countdown::state.slots[0].runState == countdown::kIdle; }, 3000));
    EXPECT_STREQ(countdown::state.slots[0].text, "3");
    EXPECT_EQ(countdown::state.slots[0].runLengthMs, 3000u);
    EXPECT_EQ(countdown::state.slots[0].clockMark, 0u) << "the next start counts the full length";
    EXPECT_TRUE(inproc::pumpUntil([] { return countdown::repeatSlot == countdown::kNoSlot; }, 2500))
        << "the flashing goes on after 确定";
    inproc::pump(300);
    EXPECT_EQ(alarms::displayColour(main), kBlack);
    EXPECT_EQ(countdown::alarmBusy, 0u);
    EXPECT_EQ(countdown::state.tickTimerOn, 0u);
    EXPECT_EQ(driver::itemText(main, IDC_STARTSTOP), "开始");
}

TEST_F(AlarmSequence, RestartAtEndClosesTheWindowItselfAndCountsAgain) {
    main = alarms::openWithCount(8000, [](settings::Record& r) { r.autoRestart[0] = 1; });
    ASSERT_NE(main, nullptr);
    driver::command(main, IDC_STARTSTOP);
    HWND box = alarms::pumpForBox(12000);
    ASSERT_NE(box, nullptr);
    DWORD shown = GetTickCount();
    EXPECT_EQ(countdown::state.slots[0].runState, 11u) << "counting again while its alarm runs";
    EXPECT_EQ(countdown::state.slots[0].runLengthMs, 8000u);
    EXPECT_EQ(countdown::state.tickTimerOn, 1u);

    DWORD closed = 0;
    auto phases = watchPhases(
        0,
        [&] {
            if (!closed && !IsWindow(box)) closed = GetTickCount();
            return closed && countdown::state.slots[0].runState == countdown::kCounting && countdown::repeatSlot == countdown::kNoSlot;
        },
        8000);
    ASSERT_NE(closed, 0u) << "the window did not close itself";
    EXPECT_GE(closed - shown, 2800u);
    EXPECT_LE(closed - shown, 3700u);
    EXPECT_EQ(codesOf(phases), (std::vector<uint32_t>{11, 12, 13, 14})) << "four flash steps, then 10";
    EXPECT_EQ(coloursOf(phases), "WBWB");
    EXPECT_EQ(countdown::state.slots[0].runState, countdown::kCounting);
    EXPECT_EQ(countdown::repeatSlot, countdown::kNoSlot);

    // Still counting down from the restart, in normal colours, and no window.
    std::string before = countdown::state.slots[0].text;
    inproc::pump(1100);
    EXPECT_NE(before, countdown::state.slots[0].text);
    EXPECT_EQ(countdown::state.slots[0].runState, countdown::kCounting);
    EXPECT_EQ(alarms::displayColour(main), kBlack);
    EXPECT_TRUE(alarms::finishBoxes().empty());
}

// A 3-second count that restarts at its end and flashes, as by default: each
// completion lands while the slot's own repeat phase is still armed, and some
// while the last window (it closes itself after 3 s) is open. Every completion
// gets a window of its own, and the process gathers no threads.
TEST_F(AlarmSequence, RestartAtEndShowsAWindowForEveryCompletion) {
    // Flashing stays on, as by default: each completion restarts the slot's own repeat phase.
    main = alarms::openWithCount(3000, [](settings::Record& r) { r.autoRestart[0] = 1; });
    ASSERT_NE(main, nullptr);
    DWORD pid = GetCurrentProcessId();
    uint32_t threadsBefore = alarms::threadsOf(pid);
    ASSERT_GT(threadsBefore, 0u) << "no thread snapshot";
    uint32_t threadsMost = threadsBefore;
    std::string threadsSeen;

    int completions = 0, windows = 0, landedWhileOpen = 0;
    size_t mostAtOnce = 0;
    bool counting = true;
    HWND last = nullptr;
    SendMessageA(main, WM_COMMAND, IDC_STARTSTOP, 0);
    uint32_t mark = countdown::state.slots[0].clockMark;
    auto watch = [&] {
        auto boxes = alarms::finishBoxes();
        mostAtOnce = std::max(mostAtOnce, boxes.size());
        for (HWND box : boxes)
            if (box != last) {
                last = box;
                ++windows;
            }
        if (counting && countdown::state.slots[0].clockMark != mark) {
            mark = countdown::state.slots[0].clockMark;
            ++completions;
            if (!boxes.empty()) ++landedWhileOpen;
        }
    };
    DWORD started = GetTickCount(), sampled = started;
    // Before the mend every completion after the second was lost: seven show it.
    while (GetTickCount() - started < 24000) {
        watch();
        if (GetTickCount() - sampled >= 2000) {
            sampled = GetTickCount();
            uint32_t n = alarms::threadsOf(pid);
            threadsSeen += " " + std::to_string(n);
            threadsMost = std::max(threadsMost, n);
        }
        inproc::pump(5);
    }
    watch();            // a completion in the loop's last pump
    counting = false;   // the pause below moves the mark too
    SendMessageA(main, WM_COMMAND, IDC_STARTSTOP, 0);
    ASSERT_EQ(countdown::state.slots[0].runState, countdown::kIdle);
    // A completion kept behind the last window still shows its own.
    inproc::pumpUntil(
        [&] {
            watch();
            return countdown::state.sequenceState[0] == countdown::kSequenceNone && alarms::finishBoxes().empty();
        },
        12000);
    EXPECT_GE(completions, 6) << "a 3 s count ends every 3 to 3.5 s";
    EXPECT_EQ(windows, completions);
    EXPECT_EQ(mostAtOnce, 1u);
    EXPECT_LE(threadsMost, threadsBefore + 2) << "threads every 2 s:" << threadsSeen;
    std::printf("%d completions (%d while a window was open), %d windows; threads %u before, every 2 s:%s\n",
                completions, landedWhileOpen, windows, threadsBefore, threadsSeen.c_str());
}

TEST_F(AlarmSequence, WithoutTheFinishWindowOneSoundAndIdleAtOnce) {
    ASSERT_TRUE(alarms::watchSoundCalls());
    main = alarms::openWithCount(2000, [](settings::Record& r) { r.showFinishWindow = 0; });
    ASSERT_NE(main, nullptr);
    alarms::clearSoundCalls();
    driver::command(main, IDC_STARTSTOP);
    ASSERT_TRUE(inproc::pumpUntil([] { return alarms::soundCalls().beeps > 0; }, 5000)) << "no alarm sound";
    EXPECT_TRUE(inproc::pumpUntil([] { return countdown::state.slots[0].runState == countdown::kIdle; }, 500));
    EXPECT_STREQ(countdown::state.slots[0].text, "2");

    size_t boxesSeen = 0;
    std::string colours;
    for (int step = 0; step < 10; ++step) {
        inproc::pump(250);
        boxesSeen += alarms::finishBoxes().size();
        colours += alarms::displayColour(main) == kBlack ? 'B' : 'W';
    }
    EXPECT_EQ(boxesSeen, 0u);
    EXPECT_EQ(colours, std::string(10, 'B')) << "no flashing";
    EXPECT_EQ(alarms::soundCalls().beeps, 1);
    EXPECT_EQ(countdown::repeatSlot, countdown::kNoSlot);
    EXPECT_EQ(countdown::state.slots[0].runState, countdown::kIdle);
}

TEST_F(AlarmSequence, TwoTimersEndingTogetherShowTheirWindowsOneAfterTheOther) {
    main = alarms::openWithCount(2000, [](settings::Record& r) {
        r.timerCountIndex = 1;
        settings::copyField(r.finishText[0], "first");
        settings::copyField(r.finishText[1], "second");
    });
    ASSERT_NE(main, nullptr);
    size_t most = 0;
    auto count = [&] { most = std::max(most, alarms::finishBoxes().size()); };

    driver::command(main, CMD_STARTALL);
    HWND first = alarms::pumpForBox(6000, nullptr, count);
    ASSERT_NE(first, nullptr);
    std::string firstText = driver::itemText(first, IDC_MSG_LINE2);
    // A tick that falls exactly on the length ends the first slot one tick later.
    EXPECT_TRUE(inproc::pumpUntil(
        [&] {
            count();
            return countdown::isAlarm(countdown::state.slots[0].runState) && countdown::isAlarm(countdown::state.slots[1].runState);
        },
        700))
        << countdown::state.slots[0].runState << " " << countdown::state.slots[1].runState << ": both must have ended";
    DWORD until = GetTickCount() + 2500;
    inproc::pumpUntil([&] { count(); return GetTickCount() > until; }, 3000);
    EXPECT_EQ(most, 1u) << "two windows at once";
    ASSERT_TRUE(IsWindow(first));

    PostMessageA(first, WM_COMMAND, IDOK, 0);
    HWND second = alarms::pumpForBox(6000, first, count);
    ASSERT_NE(second, nullptr) << "the second alarm never showed";
    EXPECT_FALSE(IsWindow(first));
    std::string secondText = driver::itemText(second, IDC_MSG_LINE2);
    std::vector<std::string> texts{firstText, secondText};
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"first", "second"}));
    inproc::pump(500);
    count();
    EXPECT_EQ(most, 1u) << "two windows at once";

    PostMessageA(second, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(inproc::pumpUntil(
        [] { return countdown::state.slots[0].runState == countdown::kIdle && countdown::state.slots[1].runState == countdown::kIdle && !countdown::alarmBusy; },
        3000));
    EXPECT_STREQ(countdown::state.slots[0].text, "2");
    EXPECT_STREQ(countdown::state.slots[1].text, "2");
}
