#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "settings/record.h"
#include "sound/sound.h"
#include "tests/native/fake_platform.h"
#include "tests/native/fake_sound.h"

using settings::record;

namespace {

class Sound : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }

    static void setWorking(uint32_t type, const char* path) {
        record.currentSoundType = type;
        std::strcpy(sound::state.currentSoundPath, path);
    }
    static std::string lastCall() { return fake::calls.empty() ? "" : fake::calls.back(); }
};

TEST_F(Sound, WaveFilesGoToTheWavePlayerAndTheRestToTheMediaWindow) {
    struct Row {
        const char* path;
        bool wave;
    } rows[] = {
        {"C:\\snd\\ALARM.WAV", true},
        {"C:\\snd\\ring.WaV", true},
        {"C:\\snd\\alarm.mp3", false},
        {"a.mid", false},
        {"x.w", false},
        {"C:\\snd\\alarm", false},
        {"C:\\a.wav\\alarm", false},
        {"C:\\snd\\alarm.wave", false},
    };
    for (const auto& row : rows) {
        fake::reset();
        setWorking(sound::kTypeFile, row.path);
        sound::playSound();
        std::string expected = std::string(row.wave ? "wave " : "media ") + row.path;
        EXPECT_EQ(expected, lastCall()) << "path " << row.path;
        EXPECT_EQ(row.wave ? 0u : fake::mediaEnd, sound::state.mediaLoaded) << "path " << row.path;
    }
}

TEST_F(Sound, SystemSoundAndUnknownTypes) {
    setWorking(sound::kTypeSystem, "C:\\snd\\alarm.mp3");
    sound::playSound();
    EXPECT_EQ("beep", lastCall());
    setWorking(7, "C:\\snd\\alarm.mp3");   // any other type counts as a file
    sound::playSound();
    EXPECT_EQ("media C:\\snd\\alarm.mp3", lastCall());
}

TEST_F(Sound, MuteSilencesEveryType) {
    record.mute = 1;
    for (uint32_t type : {sound::kTypeSystem, sound::kTypeFile, sound::kTypeFolder}) {
        for (const char* path : {"C:\\snd\\alarm.wav", "C:\\snd\\alarm.mp3"}) {
            setWorking(type, path);
            sound::playSound();
        }
    }
    EXPECT_TRUE(fake::calls.empty()) << "first call: " << fake::calls.front();
    EXPECT_EQ(0u, sound::state.mediaLoaded);
}

TEST_F(Sound, PrepareCopiesTheSlotsSoundAndPicksForAFolder) {
    record.soundType[2] = sound::kTypeFile;
    std::strcpy(record.soundPath[2], "C:\\snd\\bell.wav");
    sound::prepareSound(2);
    EXPECT_STREQ("C:\\snd\\bell.wav", sound::state.currentSoundPath);
    EXPECT_EQ(sound::kTypeFile, record.currentSoundType);
    EXPECT_EQ(0, fake::listings);

    record.soundType[3] = sound::kTypeFolder;
    std::strcpy(record.soundPath[3], "C:\\snd");
    fake::folders["C:\\snd/*.*"] = {"only.mp3"};
    fake::openable = {"C:\\snd\\only.mp3"};
    sound::prepareSound(3);
    EXPECT_STREQ("C:\\snd\\only.mp3", sound::state.currentSoundPath);
    EXPECT_EQ(sound::kTypeFolder, record.currentSoundType);
    sound::playSound();
    EXPECT_EQ("media C:\\snd\\only.mp3", lastCall());
    EXPECT_EQ(0, std::memcmp(record.currentSoundPath, sound::state.currentSoundPath, sizeof record.currentSoundPath));
}

TEST_F(Sound, FolderPickChoosesAmongItsFilesOnly) {
    struct Row {
        const char* name;
        std::vector<std::string> names;
        std::set<std::string> folders;   // besides "." and ".."
        std::set<std::string> files;
    } rows[] = {
        {"one file among sub-folders", {".", "..", "sub", "only.wav", "more"}, {"sub", "more"}, {"only.wav"}},
        {"two files", {".", "..", "a.wav", "b.mp3"}, {}, {"a.wav", "b.mp3"}},
        {"files before the dots", {"x.mid", "..", ".", "y.wav", "z"}, {"z"}, {"x.mid", "y.wav"}},
    };
    for (const auto& row : rows) {
        fake::reset();
        fake::folders["C:\\snd/*.*"] = row.names;
        fake::subfolders.insert(row.folders.begin(), row.folders.end());
        for (const auto& f : row.files) fake::openable.insert("C:\\snd\\" + f);
        std::set<std::string> chosen;
        for (int pick = 0; pick < 200; ++pick) {
            char folder[sound::kPathBytes] = "C:\\snd";
            ASSERT_EQ(row.files.size(), sound::pickRandomFile(folder, sound::kFolderPattern))
                << row.name << ", pick " << pick;
            std::string path = folder;
            ASSERT_EQ(0u, path.rfind("C:\\snd\\", 0)) << row.name << ": " << path;
            ASSERT_EQ(1u, row.files.count(path.substr(7))) << row.name << ": " << path;
            chosen.insert(path.substr(7));
        }
        EXPECT_EQ(row.files, chosen) << row.name << ": some file was never picked";
        EXPECT_EQ(200, fake::listings) << row.name;
        EXPECT_EQ(200u, fake::openTries.size()) << row.name;
        EXPECT_EQ(200, fake::listsFreed) << row.name;
    }
}

TEST_F(Sound, FolderWithNothingToPlaySoundsTheSystemSound) {
    struct Row {
        const char* name;
        std::vector<std::string> names;   // empty: the folder is missing
        std::set<std::string> folders;
        bool listFails;
        int opens;                        // files tried
    } rows[] = {
        {"only sub-folders", {".", "..", "a", "b"}, {"a", "b"}, false, 0},
        {"empty folder", {".", ".."}, {}, false, 0},
        {"missing folder", {}, {}, false, 0},
        {"its one file cannot be opened", {".", "..", "locked.wav"}, {}, false, 1},
        {"no memory for the list", {".", "..", "a.wav"}, {}, true, 0},
    };
    for (const auto& row : rows) {
        fake::reset();
        if (!row.names.empty()) fake::folders["C:\\snd/*.*"] = row.names;
        fake::subfolders.insert(row.folders.begin(), row.folders.end());
        fake::openable = {"C:\\snd\\a.wav"};
        fake::listAllocFails = row.listFails;
        record.soundType[1] = sound::kTypeFolder;
        std::strcpy(record.soundPath[1], "C:\\snd");
        sound::prepareSound(1);
        sound::playSound();
        sound::playSound();   // a repeat
        EXPECT_EQ((std::vector<std::string>{"beep", "beep"}), fake::calls) << row.name << ": " << lastCall();
        EXPECT_STREQ("C:\\snd", sound::state.currentSoundPath) << row.name;
        EXPECT_EQ(row.listFails ? 0 : 1, fake::listings) << row.name;
        EXPECT_EQ(static_cast<size_t>(row.opens), fake::openTries.size()) << row.name;
        EXPECT_EQ(fake::listsAllocated, fake::listsFreed) << row.name;
        EXPECT_EQ(0u, sound::state.mediaLoaded) << row.name;
    }
}

TEST_F(Sound, FolderPickWithoutItsListChoosesNothing) {
    fake::listAllocFails = true;
    fake::folders["C:\\snd/*.*"] = {"a.wav"};
    fake::openable = {"C:\\snd\\a.wav"};
    char folder[sound::kPathBytes] = "C:\\snd";
    EXPECT_EQ(0u, sound::pickRandomFile(folder, sound::kFolderPattern));
    EXPECT_STREQ("C:\\snd", folder);
    EXPECT_EQ(0, fake::listings);
    EXPECT_EQ(0, fake::listsFreed);
}

TEST_F(Sound, FolderPickReadsAtMostTenThousandNames) {
    std::vector<std::string> names;
    for (int i = 0; i < 10005; ++i) names.push_back("f" + std::to_string(i));
    fake::folders["D:\\big/*.*"] = names;
    fake::openable = {"D:\\big\\f9999", "D:\\big\\f2"};
    struct Row {
        uint32_t bytes;
        const char* chosen;
    } rows[] = {{9999, "D:\\big\\f9999"}, {10002, "D:\\big\\f2"}};
    for (const auto& row : rows) {
        fake::cryptBytes = {row.bytes};
        char folder[sound::kPathBytes] = "D:\\big";
        EXPECT_EQ(10000u, sound::pickRandomFile(folder, sound::kFolderPattern));
        EXPECT_STREQ(row.chosen, folder);
    }
}

TEST_F(Sound, FolderPickRefusesAJoinedPathOver599Bytes) {
    const std::string name = "abcdefghij.wav";   // 14 bytes
    for (size_t folderLength : {584u, 585u}) {
        fake::reset();
        std::string folderText(folderLength, 'd');
        fake::folders[folderText + "/*.*"] = {name};
        std::string joined = folderText + "\\" + name;
        fake::openable = {joined};
        char folder[sound::kPathBytes];
        std::strcpy(folder, folderText.c_str());
        uint32_t found = sound::pickRandomFile(folder, sound::kFolderPattern);
        if (joined.size() <= 599) {
            EXPECT_EQ(1u, found);
            EXPECT_EQ(joined, folder);
        } else {
            EXPECT_EQ(0u, found) << "folder length " << folderLength;
            EXPECT_EQ(folderText, folder);
            EXPECT_TRUE(fake::openTries.empty());
        }
    }
}

TEST_F(Sound, RandomPickOfZeroOrOneLeavesTheStateAlone) {
    for (bool crypt : {true, false}) {
        fake::cryptAvailable = crypt;
        fake::cryptBytes = {77};
        record.randomState = 12345;
        EXPECT_EQ(1u, sound::randomPick(0));
        EXPECT_EQ(1u, sound::randomPick(1));
        EXPECT_EQ(12345u, record.randomState);
        EXPECT_EQ(1u, fake::cryptBytes.size());
    }
}

TEST_F(Sound, CryptographicPickKeepsItsResult) {
    fake::cryptBytes = {17, 0xFFFFFFFFu};
    EXPECT_EQ(3u, sound::randomPick(5));
    EXPECT_EQ(3u, record.randomState);
    EXPECT_EQ(0xFFFFFFFFu % 10000 + 1, sound::randomPick(10000));
    EXPECT_EQ(0xFFFFFFFFu % 10000 + 1, record.randomState);
}

TEST_F(Sound, FallbackGenerator) {
    fake::cryptAvailable = false;
    struct Row {
        uint32_t state, tick, n, result, stateAfter;
    } rows[] = {
        {300, 1000, 10, 10, 12464},     // v 30 comes down to 10
        {0, 100, 3, 1, 10000},          // v 7 comes down to 1
        {0, 0, 7, 7, 0},                // v 0 becomes n
        {5, 256, 2, 2, 12},             // v 0 becomes n
        {0, 255, 70000, 62691, 65025},  // the product wraps at 2^32
    };
    for (const auto& row : rows) {
        record.randomState = row.state;
        fake::now = row.tick;
        EXPECT_EQ(row.result, sound::randomPick(row.n)) << "state " << row.state << " n " << row.n;
        EXPECT_EQ(row.stateAfter, record.randomState) << "state " << row.state << " n " << row.n;
    }
}

TEST_F(Sound, FallbackStaysInRangeForEveryN) {
    fake::cryptAvailable = false;
    record.randomState = 0;
    for (uint32_t n = 1; n <= 10000; ++n) {
        fake::now = n * 7919u;
        uint32_t r = sound::randomPick(n);
        ASSERT_GE(r, 1u) << "n " << n << " state " << record.randomState;
        ASSERT_LE(r, n) << "n " << n << " state " << record.randomState;
    }
}

TEST_F(Sound, EndingAMediaSound) {
    sound::state.mediaLoaded = 4000;
    sound::stopMedia();
    EXPECT_EQ(1, fake::count("closeMedia"));
    EXPECT_EQ(0u, sound::state.mediaLoaded);

    struct Row {
        uint32_t loaded, position;
        bool closes;
    } rows[] = {{4000, 4000, true}, {4000, 1200, false}, {0, 0, false}};
    for (const auto& row : rows) {
        fake::reset();
        sound::state.mediaLoaded = row.loaded;
        fake::mediaPosition = row.position;
        sound::closeFinishedMedia();
        EXPECT_EQ(row.closes ? 1 : 0, fake::count("closeMedia")) << "position " << row.position;
        EXPECT_EQ(row.closes ? 0 : row.loaded, sound::state.mediaLoaded);
    }
}

}  // namespace
