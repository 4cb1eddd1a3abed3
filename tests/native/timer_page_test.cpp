#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/timer_page.h"
#include "settings/record.h"
#include "sound/sound.h"
#include "tests/native/fake_platform.h"
#include "tests/native/fake_sound.h"

using settings::record;

namespace {

class TimerPage : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_F(TimerPage, FontHeightKeepsTheComplementOfACharacterHeight) {
    struct Row {
        int32_t lfHeight;
        uint32_t stored;
    } rows[] = {
        {-48, 47},   // 36 points at 96 dots per inch
        {-16, 15}, {-1, 0}, {INT32_MIN, 2147483647u},
        {0, 0}, {60, 60},   // already cell heights
    };
    for (const auto& row : rows) {
        uint32_t got = dialogs::storedFontHeight(row.lfHeight);
        EXPECT_EQ(got, row.stored) << "lfHeight " << row.lfHeight << ": got " << got << ", expected " << row.stored;
    }
}

TEST_F(TimerPage, IntervalTextIsANumberOfAtLeast100) {
    struct Row {
        const char* text;
        uint32_t ms;
    } rows[] = {
        {"1500", 1500}, {"100", 100}, {"99", 100}, {"50", 100}, {"0", 100}, {"", 100},
        {"abc", 100}, {"12abc", 100}, {"-5", 100}, {"1 5", 100}, {"  250\t", 250},
        {"4294967295", 4294967295u}, {"4294967296", 100}, {"99999999999999999999", 100},
    };
    for (const auto& row : rows) {
        uint32_t got = dialogs::intervalFromText(row.text);
        EXPECT_EQ(got, row.ms) << "\"" << row.text << "\": got " << got << ", expected " << row.ms;
    }
}

TEST_F(TimerPage, ReadBackStoresTheControlsIntoItsSlotOnly) {
    std::string longText(700, 'x');
    struct Row {
        const char* name;
        uint32_t slot;
        dialogs::TimerPageReading in;
        uint32_t textSizeMode, autoRestart, soundType, flash, warnings, repeat, interval;
        std::string finishText, soundPath;
    } rows[] = {
        {"all set", 2, {2, 1, 2, true, true, true, "Tea", "C:\\snd", "250"}, 2, 1, 2, 1, 1, 1, 250, "Tea", "C:\\snd"},
        {"all clear", 0, {0, 0, 0, false, false, false, "", "", "50"}, 0, 0, 0, 0, 0, 0, 100, "", ""},
        {"lists without a selection", 1, {-1, -1, -1, false, false, true, "a", "b", "abc"},
         7, 8, 9, 0, 0, 1, 100, "a", "b"},
        {"long texts cut at 599 bytes", 3, {1, 2, 1, true, false, false, longText.c_str(), longText.c_str(), "32767"},
         1, 2, 1, 1, 0, 0, 32767, std::string(599, 'x'), std::string(599, 'x')},
        {"a slot beyond the four is the last", 9, {1, 1, 1, true, true, true, "z", "y", "300"},
         1, 1, 1, 1, 1, 1, 300, "z", "y"},
    };
    for (const auto& row : rows) {
        fake::reset();
        uint32_t slot = settings::slotIndex(row.slot);
        record.textSizeMode[slot] = 7;
        record.autoRestart[slot] = 8;
        record.soundType[slot] = 9;
        settings::Record before = record;
        dialogs::readBackTimerPage(record, row.slot, row.in);
        std::vector<uint32_t> got = {record.textSizeMode[slot], record.autoRestart[slot], record.soundType[slot],
                                     record.flashOnFinish[slot], record.warnings[slot], record.repeatSound[slot],
                                     record.repeatIntervalMs[slot]};
        std::vector<uint32_t> expected = {row.textSizeMode, row.autoRestart, row.soundType, row.flash,
                                          row.warnings, row.repeat, row.interval};
        EXPECT_EQ(got, expected) << row.name;
        EXPECT_EQ(std::string(record.finishText[slot]), row.finishText) << row.name;
        EXPECT_EQ(std::string(record.soundPath[slot]), row.soundPath) << row.name;
        for (uint32_t other = 0; other < settings::kSlots; ++other) {
            if (other == slot) continue;
            EXPECT_STREQ(record.finishText[other], before.finishText[other]) << row.name << ", slot " << other;
            EXPECT_EQ(record.repeatIntervalMs[other], before.repeatIntervalMs[other]) << row.name << ", slot " << other;
            EXPECT_EQ(record.soundType[other], before.soundType[other]) << row.name << ", slot " << other;
        }
    }
}

TEST_F(TimerPage, EnableRule) {
    struct Row {
        uint32_t soundType, repeat;
        bool overridden;
        bool path, interval, finishText;
    } rows[] = {
        {0, 0, false, false, false, true}, {1, 0, false, true, false, true}, {2, 1, false, true, true, true},
        {0, 1, true, false, true, false}, {5, 1, true, true, true, false},
    };
    for (const auto& row : rows) {
        for (uint32_t slot = 0; slot < settings::kSlots; ++slot) {
            fake::reset();
            record.soundType[slot] = row.soundType;
            record.repeatSound[slot] = row.repeat;
            auto got = dialogs::timerPageEnables(record, slot, row.overridden);
            std::string where = "slot " + std::to_string(slot) + ", type " + std::to_string(row.soundType) +
                                ", repeat " + std::to_string(row.repeat) + (row.overridden ? ", overridden" : "");
            EXPECT_EQ(got.soundPath, row.path) << where;
            EXPECT_EQ(got.interval, row.interval) << where;
            EXPECT_EQ(got.finishText, row.finishText) << where;
        }
    }
}

// The test plays the path edit's text, not the stored path, with the slot's type.
TEST_F(TimerPage, TestSoundPlaysThePathAsAnAlarmWould) {
    struct Row {
        const char* name;
        uint32_t type;
        const char* path;
        uint32_t mute;
        std::vector<std::string> calls;
    } rows[] = {
        {"system sound", 0, "C:\\snd\\bell.wav", 0, {"beep"}},
        {"wave file", 1, "C:\\snd\\bell.wav", 0, {"wave C:\\snd\\bell.wav"}},
        {"other file", 1, "C:\\snd\\bell.mp3", 0, {"media C:\\snd\\bell.mp3"}},
        {"folder", 2, "C:\\snd", 0, {"media C:\\snd\\only.mp3"}},
        {"muted file", 1, "C:\\snd\\bell.wav", 1, {}},
        {"muted folder", 2, "C:\\snd", 1, {}},
    };
    for (const auto& row : rows) {
        fake::reset();
        fake::folders["C:\\snd/*.*"] = {"only.mp3"};
        fake::openable = {"C:\\snd\\only.mp3"};
        record.mute = row.mute;
        record.soundType[1] = row.type;
        std::strcpy(record.soundPath[1], "C:\\stored.wav");
        dialogs::testTimerSound(1, row.path);
        std::string calls;
        for (const auto& c : fake::calls) calls += c + "; ";
        EXPECT_EQ(fake::calls, row.calls) << row.name << ": got " << calls;
        EXPECT_EQ(record.currentSoundType, row.type) << row.name;
    }
}

}  // namespace
