#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/firstrun.h"
#include "app/state.h"
#include "countdown/engine.h"
#include "platform/platform.h"
#include "settings/record.h"
#include "settings/store.h"
#include "tests/native/fake_files.h"
#include "tests/native/fake_platform.h"

using settings::LoadAction;
using settings::record;

static uint32_t dwordAt(const std::vector<unsigned char>& bytes, size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | uint32_t(bytes[offset + 3]) << 24;
}

class Store : public ::testing::Test {
protected:
    std::string folder;
    void SetUp() override {
        fake::reset();
        fake::resetFiles();
        std::memset(&record, 0, sizeof record);
        char pattern[] = "/tmp/tivstoreXXXXXX";
        folder = mkdtemp(pattern);
        folder += "/";
        useFolder();
    }
    // A reset is a fresh process's state: no data folder yet.
    void useFolder() {
        std::snprintf(settings::store.dataFolder, sizeof settings::store.dataFolder, "%s", folder.c_str());
    }
    void TearDown() override {
        std::remove((folder + "dTiv.dat").c_str());
        std::remove((folder + "dTiv.tmp").c_str());
        std::remove(folder.c_str());
    }
    std::vector<unsigned char> fileBytes() {
        std::vector<unsigned char> bytes;
        if (FILE* f = std::fopen((folder + "dTiv.dat").c_str(), "rb")) {
            int c;
            while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
            std::fclose(f);
        }
        return bytes;
    }
    void writeFile(const std::vector<unsigned char>& bytes) {
        FILE* f = std::fopen((folder + "dTiv.dat").c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    // A file image holding the current record behind the given header.
    std::vector<unsigned char> image(const char* header) {
        std::vector<unsigned char> bytes(header, header + 8);
        const auto* raw = reinterpret_cast<const unsigned char*>(&record);
        bytes.insert(bytes.end(), raw, raw + sizeof record);
        return bytes;
    }
};

TEST_F(Store, DefaultsAtTheirOffsets) {
    settings::fullDefaults();
    const auto* raw = reinterpret_cast<const unsigned char*>(&record);
    std::vector<unsigned char> bytes(raw, raw + sizeof record);
    struct { size_t offset; uint32_t value; } dwords[] = {
        {0, 1}, {16, 0}, {636, 5}, {644, 1}, {1248, 1}, {1252, 1}, {1264, 1}, {1268, 1}, {1276, 1},
        {1328, 65}, {2020, 2}, {2032, 30}, {2032 + 44, 2}, {2080 + 36, 2}, {2080 + 44, 3}, {2128, 5},
        {2132, 55}, {2136, 0}, {2140, 300000}, {2152, 300000}, {2156, 0x04FFFFFF}, {2160, 0x04FFFF00},
        {2164, 0x04FF00FF}, {2168, 0x0400FFFF}, {2188, 6}, {2192, 1}, {2228, 1}, {7096, 1},
        {7112, 1500}, {9528, 60}, {9544, 1}, {9556, 1},
    };
    for (const auto& d : dwords) EXPECT_EQ(dwordAt(bytes, d.offset), d.value) << "offset " << d.offset;
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[4632]), "这个Tiv 已完成");
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[4632 + 1800]), "这个Tiv 已完成");
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[7128 + 600]), "Times New Roman");
    // The literal must be GBK: 这 is D5 E2.
    EXPECT_EQ(bytes[4632], 0xD5);
    EXPECT_EQ(bytes[4633], 0xE2);
}

// The simple-mode reset gives these fields their full defaults and touches
// nothing else: not slot 0's length, not the other slots, not the menus.
TEST_F(Store, SimpleModeSetsTheGeneralOptionsAndSlotZerosLooks) {
    using settings::Record;
    settings::fullDefaults();
    const Record defaults = record;
    auto text = [&](size_t offset) {
        return std::strlen(reinterpret_cast<const char*>(&defaults) + offset) + 1;   // up to its NUL
    };
    const struct { const char* name; size_t offset, size; } set[] = {
        {"rememberTime", offsetof(Record, rememberTime), 4},
        {"topmost", offsetof(Record, topmost), 4},
        {"minimizeToTray", offsetof(Record, minimizeToTray), 4},
        {"hideButtons", offsetof(Record, hideButtons), 4},
        {"rememberPosition", offsetof(Record, rememberPosition), 4},
        {"quickPickOnClick", offsetof(Record, quickPickOnClick), 4},
        {"quickPickAutoStart", offsetof(Record, quickPickAutoStart), 4},
        {"autoReset", offsetof(Record, autoReset), 4},
        {"minimizeOnStart", offsetof(Record, minimizeOnStart), 4},
        {"showFinishWindow", offsetof(Record, showFinishWindow), 4},
        {"finishWindowTopmost", offsetof(Record, finishWindowTopmost), 4},
        {"mute", offsetof(Record, mute), 4},
        {"showSeconds", offsetof(Record, showSeconds), 4},
        {"transparent", offsetof(Record, transparent), 4},
        {"dayDisplay", offsetof(Record, dayDisplay), 4},
        {"timerCountIndex", offsetof(Record, timerCountIndex), 4},
        {"textColour[0]", offsetof(Record, textColour), 4},
        {"backColour[0]", offsetof(Record, backColour), 4},
        {"finishText[0]", offsetof(Record, finishText), text(offsetof(Record, finishText))},
        {"warnings[0]", offsetof(Record, warnings), 4},
        {"autoRestart[0]", offsetof(Record, autoRestart), 4},
        {"repeatSound[0]", offsetof(Record, repeatSound), 4},
        {"soundType[0]", offsetof(Record, soundType), 4},
        {"flashOnFinish[0]", offsetof(Record, flashOnFinish), 4},
        {"repeatIntervalMs[0]", offsetof(Record, repeatIntervalMs), 4},
        {"fontName[0]", offsetof(Record, fontName), text(offsetof(Record, fontName))},
        {"fontHeight[0]", offsetof(Record, fontHeight), 4},
        {"textSizeMode[0]", offsetof(Record, textSizeMode), 4},
    };
    // Two fillings, so that no default is taken for a byte left alone.
    for (int fill : {0xAB, 0x00}) {
        std::memset(&record, fill, sizeof record);
        settings::simpleModeRecord();
        const auto* got = reinterpret_cast<const unsigned char*>(&record);
        const auto* full = reinterpret_cast<const unsigned char*>(&defaults);
        std::vector<bool> inSet(sizeof record, false);
        for (const auto& field : set) {
            for (size_t i = field.offset; i < field.offset + field.size; ++i) inSet[i] = true;
            EXPECT_EQ(std::memcmp(got + field.offset, full + field.offset, field.size), 0)
                << field.name << ", filled with " << fill;
        }
        size_t touched = 0, first = sizeof record;
        for (size_t i = 0; i < sizeof record; ++i) {
            if (inSet[i] || got[i] == fill) continue;
            ++touched;
            if (first == sizeof record) first = i;
        }
        EXPECT_EQ(touched, 0u) << "bytes changed beyond those fields, the first at offset " << first
                               << ", filled with " << fill;
    }
}

TEST_F(Store, FullDefaultsLeaveDaysAndPlacement) {
    record.days = 7;
    record.windowPlacement[0] = 44;
    record.randomState = 12345;
    std::strcpy(record.soundPath[2], "C:\\ding.wav");
    settings::fullDefaults();
    EXPECT_EQ(record.days, 7u);
    EXPECT_EQ(record.windowPlacement[0], 44u);
    EXPECT_EQ(record.randomState, 12345u);
    EXPECT_STREQ(record.soundPath[2], "C:\\ding.wav");
}

TEST_F(Store, SaveThenLoadRoundTrip) {
    settings::fullDefaults();
    record.timerCountIndex = 2;
    record.textColour[3] = 0xAB123456;  // the top byte is kept as stored
    record.gap9564 = 0xDEADBEEF;
    fake::fields = {{1005, 2}, {1001, 3}, {1002, 75}, {1003, 4}};
    fake::placement[0] = 44;
    fake::placement[7] = 123;
    ASSERT_TRUE(app::saveSettings());
    auto bytes = fileBytes();
    ASSERT_EQ(bytes.size(), 10008u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "TIVY1400");
    EXPECT_EQ(dwordAt(bytes, 8 + 1280 + 28), 123u);  // placement captured while normal
    EXPECT_EQ(dwordAt(bytes, 8 + 632), 4u);          // 75 minutes: 4 hours 15 minutes
    EXPECT_EQ(dwordAt(bytes, 8 + 636), 15u);
    EXPECT_EQ(dwordAt(bytes, 8 + 2024), 2u);
    EXPECT_EQ(fake::fields[1001], 4u);               // and shown again

    settings::Record saved = record;
    std::memset(&record, 0, sizeof record);
    EXPECT_EQ(settings::load(), LoadAction::UseImage);
    EXPECT_EQ(std::memcmp(&record, &saved, sizeof record), 0);
    EXPECT_TRUE(fake::boxes.empty());
}

TEST_F(Store, PlacementKeptWhileMinimised) {
    settings::fullDefaults();
    record.windowPlacement[7] = 50;
    fake::placement[7] = 999;
    platform::windowState = platform::kWindowMinimised;
    ASSERT_TRUE(settings::save());
    EXPECT_EQ(dwordAt(fileBytes(), 8 + 1280 + 28), 50u);
}

TEST_F(Store, OverriddenFinishTextNeverReachesTheFile) {
    settings::fullDefaults();
    settings::store.finishTextOverridden = true;
    std::strcpy(settings::store.savedFinishText, "before");
    std::strcpy(record.finishText[0], "from the command line");
    ASSERT_TRUE(settings::save());
    EXPECT_STREQ(reinterpret_cast<const char*>(&fileBytes()[8 + 4632]), "before");
    EXPECT_STREQ(record.finishText[0], "from the command line");
}

// No settings file: the load gives full defaults and says it is the first
// run, and start-up asks whether to use simple mode. Only 确定 is a yes: a
// question whose box could not open counts as 取消.
TEST_F(Store, FirstRunQuestions) {
    struct Row {
        const char* name;
        uint32_t answer;
        uint32_t level;
        bool simple;   // the simple-mode reset ran and no hint followed
    } rows[] = {
        {"确定: simple mode", 1, 0, true},
        {"取消: full interface, then the hint", 2, 6, false},
        {"box never opened: as 取消", 0, 6, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fake::reset();
        fake::resetFiles();
        useFolder();
        std::memset(&record, 0, sizeof record);
        EXPECT_EQ(settings::load(), LoadAction::FirstRun);
        EXPECT_TRUE(fake::boxes.empty()) << "the load itself asks nothing";
        EXPECT_EQ(record.minutes, 5u) << "full defaults";
        EXPECT_EQ(record.durationMs[0], 300000u);
        record.timerCountIndex = 2;   // what only the simple-mode reset puts back
        record.topmost = 1;
        fake::answerBox = [&](const fake::Box& box) { return box.style == 1 ? row.answer : 1u; };
        app::askFirstRunQuestions();
        ASSERT_EQ(fake::boxes.size(), row.simple ? 1u : 2u);
        const fake::Box& ask = fake::boxes[0];
        EXPECT_EQ(ask.style, 1u);
        EXPECT_EQ(ask.lines[0], "感谢你试用Tiv.");
        EXPECT_EQ(ask.lines[1], "");
        EXPECT_EQ(ask.lines[2], "   你想要将 Tiv 设置为简易模式吗?");
        EXPECT_EQ(ask.lines[3], "");
        EXPECT_EQ(ask.autoCloseSeconds, 0u);
        EXPECT_EQ(ask.topmost, 1u);
        EXPECT_FALSE(ask.ownedByMainWindow) << "no main window yet";
        EXPECT_EQ(record.interfaceLevel, row.level);
        EXPECT_EQ(record.timerCountIndex, row.simple ? 0u : 2u);
        EXPECT_EQ(record.topmost, row.simple ? 0u : 1u);
        if (row.simple) continue;
        const fake::Box& hint = fake::boxes[1];
        EXPECT_EQ(hint.style, 0u);
        EXPECT_EQ(hint.lines[0], "设置高级选项或查看帮助文件");
        EXPECT_EQ(hint.lines[1], "在主窗口右键点击或按下键盘上的'M'键");
        EXPECT_EQ(hint.lines[2] + hint.lines[3], "");
        EXPECT_EQ(hint.autoCloseSeconds, 0u);
        EXPECT_EQ(hint.topmost, 1u);
        EXPECT_FALSE(hint.ownedByMainWindow);
    }
}

TEST_F(Store, HeadersAndVersions) {
    settings::fullDefaults();
    record.timerCountIndex = 3;
    record.minutes = 42;
    record.days = 9;

    writeFile(image("TIVY2400"));  // wrong magic: defaults, no prompt
    EXPECT_EQ(settings::load(), LoadAction::Defaults);
    EXPECT_EQ(record.timerCountIndex, 0u);
    EXPECT_TRUE(fake::boxes.empty());

    record.timerCountIndex = 3;
    record.minutes = 42;
    writeFile(image("TIVY1350"));  // newer layout: image as read
    std::memset(&record, 0, sizeof record);
    EXPECT_EQ(settings::load(), LoadAction::UseImage);
    EXPECT_EQ(record.timerCountIndex, 3u);
    EXPECT_EQ(record.minutes, 42u);

    writeFile(image("TIVY1250"));  // too old: full defaults over the image
    EXPECT_EQ(settings::load(), LoadAction::Defaults);
    EXPECT_EQ(record.timerCountIndex, 0u);
    EXPECT_EQ(record.minutes, 5u);
    EXPECT_EQ(record.days, 9u);

    for (size_t n : {0, 3, 7}) {  // shorter than the header: bad magic
        record.timerCountIndex = 2;
        auto bytes = image("TIVY1400");
        bytes.resize(n);
        writeFile(bytes);
        EXPECT_EQ(settings::load(), LoadAction::Defaults) << n << " bytes";
        EXPECT_EQ(record.timerCountIndex, 0u) << n << " bytes";
    }
    EXPECT_TRUE(fake::boxes.empty());
}

TEST_F(Store, ShortFileKeepsWhatWasThere) {
    settings::fullDefaults();
    record.alpha = 200;
    auto bytes = image("TIVY1400");
    bytes.resize(8 + 1000);  // ends before alpha at 1328
    std::memset(&record, 0, sizeof record);
    record.alpha = 77;
    writeFile(bytes);
    EXPECT_EQ(settings::load(), LoadAction::UseImage);
    EXPECT_EQ(record.alpha, 77u);
    EXPECT_EQ(record.minutes, 5u);
}

TEST_F(Store, Version300Migration) {
    std::memset(&record, 0, sizeof record);
    record.legacyAutoRestart = 2;
    record.legacyRepeatSound = 1;
    record.currentSoundType = 1;
    record.legacyFlash = 0;
    record.legacyRepeatIntervalMs = 900;
    record.legacyFontHeight = 33;
    record.legacyTextColour = 0x123456;
    record.legacyBackColour = 0x654321;
    record.legacyTextSizeMode = 2;
    record.legacyWarnings = 1;
    std::strcpy(record.legacySoundPath, "C:\\old.wav");
    std::strcpy(record.legacyFinishText, "old text");
    std::strcpy(record.legacyFontName, "Arial");
    std::memset(record.legacyFontName + 10, 'z', 500);  // bytes after the NUL are not copied
    record.days = 1;
    record.hours = 25;
    record.minutes = 61;
    record.seconds = 5;
    record.timerCountIndex = 2;
    writeFile(image("TIVY1300"));
    std::memset(&record, 0, sizeof record);
    EXPECT_EQ(settings::load(), LoadAction::Migrate300);
    EXPECT_EQ(record.autoRestart[0], 2u);
    EXPECT_EQ(record.repeatSound[0], 1u);
    EXPECT_EQ(record.soundType[0], 1u);
    EXPECT_EQ(record.flashOnFinish[0], 0u);
    EXPECT_EQ(record.repeatIntervalMs[0], 900u);
    EXPECT_EQ(record.fontHeight[0], 33u);
    EXPECT_EQ(record.textColour[0], 0x123456u);
    EXPECT_EQ(record.backColour[0], 0x654321u);
    EXPECT_EQ(record.textSizeMode[0], 2u);
    EXPECT_EQ(record.warnings[0], 1u);
    EXPECT_STREQ(record.soundPath[0], "C:\\old.wav");
    EXPECT_STREQ(record.finishText[0], "old text");
    EXPECT_STREQ(record.fontName[0], "Arial");
    // 1 day 25 h 61 min 5 s = 2 days 2:01:05
    EXPECT_EQ(record.days, 2u);
    EXPECT_EQ(record.hours, 2u);
    EXPECT_EQ(record.minutes, 1u);
    EXPECT_EQ(record.durationMs[0], ((2u * 24 + 2) * 60 + 1) * 60000u + 5000u);
    // Slots 1-3 and the timer count get the slot defaults.
    EXPECT_EQ(record.timerCountIndex, 0u);
    EXPECT_EQ(record.durationMs[1], 300000u);
    EXPECT_EQ(record.textColour[1], 0x04FFFF00u);
    EXPECT_STREQ(record.finishText[1], "这个Tiv 已完成");
    EXPECT_EQ(record.legacyRepeatIntervalMs, 900u);  // legacy fields stay as read
}

TEST_F(Store, LegacyTextWithoutNulIsCut) {
    std::memset(&record, 0, sizeof record);
    std::memset(record.legacyFinishText, 'q', sizeof record.legacyFinishText);
    record.quickPickOnClick = 0x71717171;  // the field after it holds no NUL either
    writeFile(image("TIVY1300"));
    settings::load();
    EXPECT_EQ(std::strlen(record.finishText[0]), 599u);
}

TEST_F(Store, FailedSaveLeavesTheOldFile) {
    settings::fullDefaults();
    ASSERT_TRUE(settings::save());
    auto before = fileBytes();
    record.alpha = 12;

    fake::failWriteAfter = 5000;  // a disk that fills half-way
    EXPECT_FALSE(settings::save());
    EXPECT_EQ(fileBytes(), before);
    fake::resetFiles();

    fake::failReplace = true;
    EXPECT_FALSE(settings::save());
    EXPECT_EQ(fileBytes(), before);
    fake::resetFiles();

    fake::failCreate = true;
    EXPECT_FALSE(settings::save());
    EXPECT_EQ(fileBytes(), before);
    fake::resetFiles();

    FILE* leftover = std::fopen((folder + "dTiv.tmp").c_str(), "rb");
    EXPECT_EQ(leftover, nullptr) << "temporary file left behind";
    if (leftover) std::fclose(leftover);

    ASSERT_TRUE(settings::save());
    EXPECT_EQ(dwordAt(fileBytes(), 8 + 1328), 12u);
}

// Another program (a backup tool, a virus scanner) holds the settings file
// open without sharing at start-up: Tiv waits about a second for it; if it
// stays held, Tiv runs on full defaults without the first run's questions
// and its saves leave that file alone. Only a missing file is a first run;
// the load never asks anything itself.
TEST_F(Store, HeldFileIsWaitedForAndNeverOverwritten) {
    struct Row {
        const char* name;
        bool exists;
        size_t heldReads;
        bool loads;        // the file's record is used
        LoadAction action;
        bool saves;        // a save writes the file
    } rows[] = {
        {"held for the first three tries", true, 3, true, LoadAction::UseImage, true},
        {"held for good", true, SIZE_MAX, false, LoadAction::Defaults, false},
        {"not held", true, 0, true, LoadAction::UseImage, true},
        {"missing", false, 0, false, LoadAction::FirstRun, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fake::reset();
        fake::resetFiles();
        useFolder();
        std::remove((folder + "dTiv.dat").c_str());
        std::vector<unsigned char> stored;
        if (row.exists) {
            settings::fullDefaults();
            record.minutes = 7;
            record.timerCountIndex = 2;
            stored = image("TIVY1400");
            writeFile(stored);
        }
        uint32_t waitedMs = 0;
        fake::onSleep = [&](uint32_t ms) { waitedMs += ms; };
        std::memset(&record, 0, sizeof record);
        fake::heldReads = row.heldReads;
        EXPECT_EQ(settings::load(), row.action);
        EXPECT_TRUE(fake::boxes.empty());
        EXPECT_EQ(record.minutes, row.loads ? 7u : 5u);
        EXPECT_EQ(record.timerCountIndex, row.loads ? 2u : 0u);
        EXPECT_EQ(record.interfaceLevel, 6u);
        if (row.heldReads == SIZE_MAX) {
            EXPECT_GE(waitedMs, 900u) << "gave up too soon";
            EXPECT_LE(waitedMs, 1500u) << "waited too long";
        } else if (row.heldReads == 0) {
            EXPECT_EQ(waitedMs, 0u);
        }

        fake::heldReads = 0;   // let go: the saves of this run must still leave it
        record.alpha = 12;
        EXPECT_EQ(settings::save(), row.saves);
        EXPECT_EQ(settings::save(), row.saves);
        if (row.saves) {
            EXPECT_EQ(dwordAt(fileBytes(), 8 + 1328), 12u);
        } else {
            EXPECT_EQ(fileBytes(), stored) << "a save replaced the held file";
        }
    }
}
