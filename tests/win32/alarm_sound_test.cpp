// The alarm sound on the real program: WAV files through PlaySoundA, other
// files through the hidden media window, a random file of a folder.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "alarm_support.h"
#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "driver.h"
#include "inproc.h"
#include "platform/window_win.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "sound/sound.h"

namespace {

using driver::className;

}  // namespace

class AlarmSound : public ::testing::Test {
protected:
    HWND main = nullptr;
    std::vector<std::string> files;
    std::string subfolder;

    void SetUp() override { ASSERT_TRUE(alarms::watchSoundCalls()); }

    void TearDown() override {
        alarms::endAlarms(main);
        for (const std::string& f : files) DeleteFileA(f.c_str());
        if (!subfolder.empty()) RemoveDirectoryA(subfolder.c_str());
        inproc::close();
    }

    // Opens the window with a one-second count whose slot 0 plays `path`.
    void openWithSound(uint32_t type, const std::string& path, uint32_t repeat = 0) {
        main = alarms::openWithCount(1000);
        ASSERT_NE(main, nullptr);
        chooseSound(type, path, repeat);
    }

    void chooseSound(uint32_t type, const std::string& path, uint32_t repeat) {
        settings::Record& r = settings::record;
        r.soundType[0] = type;
        settings::copyField(r.soundPath[0], path.c_str());
        r.repeatSound[0] = repeat;
        alarms::clearSoundCalls();
    }

    HWND alarmNow() {
        driver::command(main, IDC_STARTSTOP);
        return alarms::pumpForBox(5000);
    }

    std::string file(const std::string& name) {
        files.push_back(inproc::dataFolder() + name);
        return files.back();
    }
};

TEST_F(AlarmSound, WaveFilePlaysThroughPlaySoundAndRepeats) {
    std::string wave = file("ALARM.WAV");
    alarms::writeWave(wave);
    ASSERT_NO_FATAL_FAILURE(openWithSound(sound::kTypeFile, wave, 1));
    HWND box = alarmNow();
    ASSERT_NE(box, nullptr);
    alarms::SoundCalls calls = alarms::soundCalls();
    EXPECT_EQ(calls.waves, 1);
    EXPECT_EQ(calls.wavePath, wave);
    EXPECT_EQ(calls.waveFlags, static_cast<DWORD>(SND_FILENAME | SND_ASYNC));
    EXPECT_EQ(calls.beeps, 0);
    EXPECT_EQ(platform::mediaWindow, nullptr) << "a WAV file needs no media window";
    EXPECT_EQ(sound::state.mediaLoaded, 0u);
    EXPECT_TRUE(inproc::pumpUntil([] { return alarms::soundCalls().waves == 2; }, 2500))
        << "the sound is not repeated at the repeat tick";
}

TEST_F(AlarmSound, MidiFilePlaysThroughTheMediaWindow) {
    std::string midi = file("tune.mid");
    alarms::writeMidi(midi);
    ASSERT_NO_FATAL_FAILURE(openWithSound(sound::kTypeFile, midi, 1));
    HWND box = alarmNow();
    ASSERT_NE(box, nullptr);
    HWND media = platform::mediaWindow;
    ASSERT_TRUE(IsWindow(media));
    EXPECT_EQ(className(media), "MCIWndClass");
    EXPECT_EQ(GetParent(media), main);
    EXPECT_FALSE(IsWindowVisible(media)) << "the media window shows over the main window";
    EXPECT_EQ(sound::state.mediaLoaded, alarms::kMidiLengthMs) << "the loaded end position";
    EXPECT_EQ(alarms::soundCalls().waves, 0);
    EXPECT_EQ(alarms::soundCalls().beeps, 0);

    // A repeat opens a new window, so the sound starts from its beginning.
    ASSERT_TRUE(inproc::pumpUntil([&] { return platform::mediaWindow != media; }, 2500)) << "no repeat";
    EXPECT_FALSE(IsWindow(media)) << "the previous media window was left open";
    HWND repeated = platform::mediaWindow;
    EXPECT_TRUE(IsWindow(repeated));

    // Closing the finish window stops a media sound.
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(inproc::pumpUntil([&] { return !IsWindow(repeated) && sound::state.mediaLoaded == 0; }, 3000));
}

TEST_F(AlarmSound, Mp3FileGoesToTheMediaWindow) {
    // Without GStreamer's 32-bit plugins Wine cannot decode it (the end stays 0);
    // what matters here is the route, not the decoder.
    std::string mp3 = file("alarm.mp3");
    alarms::writeMp3(mp3);
    ASSERT_NO_FATAL_FAILURE(openWithSound(sound::kTypeFile, mp3));
    ASSERT_NE(alarmNow(), nullptr);
    HWND media = platform::mediaWindow;
    ASSERT_TRUE(IsWindow(media));
    EXPECT_EQ(className(media), "MCIWndClass");
    EXPECT_EQ(GetParent(media), main);
    EXPECT_EQ(alarms::soundCalls().waves, 0);
}

TEST_F(AlarmSound, FolderPlaysOneOfItsFiles) {
    main = alarms::openWithCount(1000);
    ASSERT_NE(main, nullptr);
    subfolder = inproc::dataFolder() + "sounds";
    ASSERT_TRUE(CreateDirectoryA(subfolder.c_str(), nullptr));
    for (int i = 0; i < 100; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "sounds\\s%02d.wav", i);
        alarms::writeWave(file(name), 80);
    }
    settings::Record& r = settings::record;
    r.soundType[0] = sound::kTypeFolder;
    settings::copyField(r.soundPath[0], subfolder.c_str());
    alarms::clearSoundCalls();
    ASSERT_NE(alarmNow(), nullptr);
    alarms::SoundCalls calls = alarms::soundCalls();
    ASSERT_EQ(calls.waves, 1);
    std::string prefix = subfolder + "\\s";
    EXPECT_EQ(calls.wavePath.compare(0, prefix.size(), prefix), 0) << calls.wavePath;
    EXPECT_EQ(calls.wavePath.size(), prefix.size() + 6) << calls.wavePath;
    EXPECT_NE(GetFileAttributesA(calls.wavePath.c_str()), INVALID_FILE_ATTRIBUTES) << calls.wavePath;
    EXPECT_STREQ(sound::state.currentSoundPath, calls.wavePath.c_str());
}

// A folder of one file among sub-folders (one of them named like a sound):
// every pick is that file, never a folder, "." or "..".
TEST_F(AlarmSound, FolderPicksOnlyItsFiles) {
    main = alarms::openWithCount(1000);
    ASSERT_NE(main, nullptr);
    std::string folder = inproc::dataFolder() + "one";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    struct Cleanup {
        std::string folder;
        ~Cleanup() { alarms::removeTree(folder); }
    } cleanup{folder};
    for (const char* sub : {"\\sub", "\\b.wav", "\\sub\\deeper"})
        ASSERT_TRUE(CreateDirectoryA((folder + sub).c_str(), nullptr)) << sub;
    std::string only = folder + "\\only.wav";
    alarms::writeWave(only, 80);
    alarms::writeWave(folder + "\\sub\\inner.wav", 80);

    settings::Record& r = settings::record;
    r.soundType[0] = sound::kTypeFolder;
    settings::copyField(r.soundPath[0], folder.c_str());
    int misses = 0;
    std::string firstMiss;
    for (int pick = 0; pick < 200; ++pick) {
        sound::prepareSound(0);
        if (only != sound::state.currentSoundPath || r.currentSoundType != sound::kTypeFolder) {
            if (misses++ == 0) firstMiss = std::string(sound::state.currentSoundPath) + ", type " + std::to_string(r.currentSoundType);
        }
    }
    EXPECT_EQ(misses, 0) << "picks that were not " << only << "; the first: " << firstMiss;
}

// A folder with no file to play, or none at all, sounds the system's default
// sound at the alarm and at every repeat, as a missing WAV file does.
TEST_F(AlarmSound, FolderWithoutAFileBeeps) {
    struct Case {
        const char* name;
        bool make;
        const char* subfolder;   // inside it, or null
    } cases[] = {
        {"empty folder", true, nullptr},
        {"only a sub-folder", true, "\\inner"},
        {"missing folder", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        main = alarms::openWithCount(1000);
        ASSERT_NE(main, nullptr);
        std::string folder = inproc::dataFolder() + "quiet";
        struct Cleanup {
            std::string folder;
            ~Cleanup() { alarms::removeTree(folder); }
        } cleanup{folder};
        if (c.make) {
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        }
        if (c.subfolder) {
            ASSERT_TRUE(CreateDirectoryA((folder + c.subfolder).c_str(), nullptr));
        }
        chooseSound(sound::kTypeFolder, folder, 1);
        settings::record.repeatIntervalMs[0] = 300;
        HWND box = alarmNow();
        ASSERT_NE(box, nullptr) << "no finish window";
        alarms::SoundCalls calls = alarms::soundCalls();
        EXPECT_EQ(calls.beeps, 1) << "the first sound";
        EXPECT_EQ(calls.waves, 0);
        EXPECT_EQ(platform::mediaWindow, nullptr) << "the folder went to the media window";
        EXPECT_TRUE(inproc::pumpUntil([] { return alarms::soundCalls().beeps >= 3; }, 2500))
            << "the repeats do not beep: " << alarms::soundCalls().beeps;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        alarms::endAlarms(main);
        inproc::close();
        main = nullptr;
    }
}

namespace {

BOOL CALLBACK collectVisible(HWND window, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
    return TRUE;
}

// Visible top-level windows of this process other than these: an error box
// that a failed sound might raise would be one.
std::vector<std::string> windowsBesides(HWND main, HWND box) {
    std::vector<HWND> visible;
    EnumWindows(collectVisible, reinterpret_cast<LPARAM>(&visible));
    std::vector<std::string> others;
    for (HWND w : visible)
        if (w != main && w != box) others.push_back(className(w) + " \"" + driver::text(w) + "\"");
    return others;
}

void writeWave(const std::string& path) { alarms::writeWave(path); }

}  // namespace

// The slot's sound is deleted after it was chosen and before the count ends:
// the alarm still shows its window, repeats and ends, with no error shown.
TEST_F(AlarmSound, SoundDeletedBeforeTheEndStillCompletesTheAlarm) {
    using Writer = void (*)(const std::string&);
    struct Case {
        const char* name;
        uint32_t type;
        const char* file;   // in the data folder; a folder type's one file
        Writer write;
        int waves;          // PlaySoundA calls at the first sound
        int beeps;          // MessageBeep calls at the first sound
    } cases[] = {
        // PlaySoundA without SND_NODEFAULT: the platform plays its default sound instead.
        {"wave file", sound::kTypeFile, "gone.wav", writeWave, 1, 0},
        // The media window loads nothing and, without its error box, plays nothing.
        {"midi file", sound::kTypeFile, "gone.mid", alarms::writeMidi, 0, 0},
        // No file can be picked: the system's default sound.
        {"folder's only file", sound::kTypeFolder, "gone\\only.wav", writeWave, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        main = alarms::openWithCount(1000);
        ASSERT_NE(main, nullptr);
        std::string path = file(c.file);
        std::string folder = path.substr(0, path.find_last_of('\\'));
        bool inSubfolder = c.type == sound::kTypeFolder;
        if (inSubfolder) {
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
            subfolder = folder;
        }
        c.write(path);
        chooseSound(c.type, inSubfolder ? folder : path, 1);
        settings::record.repeatIntervalMs[0] = 300;

        driver::command(main, IDC_STARTSTOP);
        inproc::pump(100);
        ASSERT_GE(countdown::state.slots[0].runState, 10u) << "not counting";
        ASSERT_TRUE(DeleteFileA(path.c_str()));
        HWND box = alarms::pumpForBox(5000);
        ASSERT_NE(box, nullptr) << "no finish window";
        alarms::SoundCalls calls = alarms::soundCalls();
        EXPECT_EQ(calls.waves, c.waves);
        EXPECT_EQ(calls.wavePath, c.waves ? path : std::string());
        EXPECT_EQ(calls.beeps, c.beeps);
        EXPECT_EQ(sound::state.mediaLoaded, 0u) << "a media sound was loaded from nothing";
        EXPECT_EQ(std::string(sound::state.currentSoundPath), inSubfolder ? folder : path);

        // About three repeats of the missing sound; the sequence goes on.
        inproc::pump(1000);
        EXPECT_TRUE(IsWindowVisible(box)) << "the finish window went away by itself";
        EXPECT_EQ(countdown::repeatSlot.load(), 0u) << "the repeat timer stopped";
        if (c.waves) {
            EXPECT_GE(alarms::soundCalls().waves, 3) << "the sound was not repeated";
        } else {
            EXPECT_EQ(alarms::soundCalls().waves, 0);
        }
        if (c.beeps) {
            EXPECT_GE(alarms::soundCalls().beeps, 3) << "the system sound was not repeated";
        }
        EXPECT_EQ(windowsBesides(main, box), std::vector<std::string>{});

        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(inproc::pumpUntil(
            [] {
                return countdown::state.slots[0].runState == 0 && countdown::alarmBusy == 0 &&
                       countdown::repeatSlot == countdown::kNoSlot;
            },
            3000))
            << "the alarm did not end: run state " << countdown::state.slots[0].runState;
        alarms::endAlarms(main);
        if (inSubfolder) RemoveDirectoryA(folder.c_str());
        subfolder.clear();
        inproc::close();
        main = nullptr;
    }
}

// A random pick in a folder of 20000 files: the list holds the first 10000
// names and the pick lists the folder once (about 0.2 s here).
TEST_F(AlarmSound, FolderOfTwentyThousandFilesPicksOneInBoundedTime) {
    main = alarms::openWithCount(1000);
    ASSERT_NE(main, nullptr);
    std::string many = inproc::dataFolder() + "many";
    ASSERT_TRUE(CreateDirectoryA(many.c_str(), nullptr));
    DWORD started = GetTickCount();
    alarms::makeEmptyFiles(many, 20000);
    DWORD madeIn = GetTickCount() - started;
    struct Cleanup {
        std::string folder;
        ~Cleanup() { alarms::removeTree(folder); }
    } cleanup{many};
    WIN32_FIND_DATAA last;
    HANDLE probe = FindFirstFileA((many + "\\f19999.wav").c_str(), &last);
    ASSERT_NE(probe, INVALID_HANDLE_VALUE) << "the files were not made";
    FindClose(probe);
    std::printf("20000 files made in %lu ms\n", madeIn);

    settings::Record& r = settings::record;
    r.soundType[0] = sound::kTypeFolder;
    settings::copyField(r.soundPath[0], many.c_str());
    std::string prefix = many + "\\f";
    for (int pick = 0; pick < 3; ++pick) {
        started = GetTickCount();
        sound::prepareSound(0);
        DWORD took = GetTickCount() - started;
        std::string chosen = sound::state.currentSoundPath;
        EXPECT_LT(took, 2000u) << "pick " << pick;
        EXPECT_EQ(chosen.compare(0, prefix.size(), prefix), 0) << chosen;
        EXPECT_EQ(chosen.size(), prefix.size() + 9) << chosen;
        EXPECT_NE(GetFileAttributesA(chosen.c_str()), INVALID_FILE_ATTRIBUTES) << chosen;
        std::printf("pick %d: %s in %lu ms\n", pick, chosen.c_str() + many.size() + 1, took);
    }

    // The whole alarm with that folder.
    alarms::clearSoundCalls();
    ASSERT_NE(alarmNow(), nullptr) << "no finish window";
    std::string played = alarms::soundCalls().wavePath;
    EXPECT_EQ(played.compare(0, prefix.size(), prefix), 0) << played;
}
