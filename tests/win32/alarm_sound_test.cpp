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
#include "resources/resource.h"
#include "settings/record.h"
#include "sound/sound.h"

namespace sound {
extern HWND mediaWindow;  // sound/sound_win.cpp
}

namespace {

std::string className(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

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
    EXPECT_EQ(sound::mediaWindow, nullptr) << "a WAV file needs no media window";
    EXPECT_EQ(sound::mediaLoaded, 0u);
    EXPECT_TRUE(inproc::pumpUntil([] { return alarms::soundCalls().waves == 2; }, 2500))
        << "the sound is not repeated at the repeat tick";
}

TEST_F(AlarmSound, MidiFilePlaysThroughTheMediaWindow) {
    std::string midi = file("tune.mid");
    alarms::writeMidi(midi);
    ASSERT_NO_FATAL_FAILURE(openWithSound(sound::kTypeFile, midi, 1));
    HWND box = alarmNow();
    ASSERT_NE(box, nullptr);
    HWND media = sound::mediaWindow;
    ASSERT_TRUE(IsWindow(media));
    EXPECT_EQ(className(media), "MCIWndClass");
    EXPECT_EQ(GetParent(media), main);
    EXPECT_FALSE(IsWindowVisible(media)) << "the media window shows over the main window";
    EXPECT_EQ(sound::mediaLoaded, alarms::kMidiLengthMs) << "the loaded end position";
    EXPECT_EQ(alarms::soundCalls().waves, 0);
    EXPECT_EQ(alarms::soundCalls().beeps, 0);

    // A repeat opens a new window, so the sound starts from its beginning.
    ASSERT_TRUE(inproc::pumpUntil([&] { return sound::mediaWindow != media; }, 2500)) << "no repeat";
    EXPECT_FALSE(IsWindow(media)) << "the previous media window was left open";
    HWND repeated = sound::mediaWindow;
    EXPECT_TRUE(IsWindow(repeated));

    // Closing the finish window stops a media sound.
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(inproc::pumpUntil([&] { return !IsWindow(repeated) && sound::mediaLoaded == 0; }, 3000));
}

TEST_F(AlarmSound, Mp3FileGoesToTheMediaWindow) {
    // Without GStreamer's 32-bit plugins Wine cannot decode it (the end stays 0);
    // what matters here is the route, not the decoder.
    std::string mp3 = file("alarm.mp3");
    alarms::writeMp3(mp3);
    ASSERT_NO_FATAL_FAILURE(openWithSound(sound::kTypeFile, mp3));
    ASSERT_NE(alarmNow(), nullptr);
    HWND media = sound::mediaWindow;
    ASSERT_TRUE(IsWindow(media));
    EXPECT_EQ(className(media), "MCIWndClass");
    EXPECT_EQ(GetParent(media), main);
    EXPECT_EQ(alarms::soundCalls().waves, 0);
}

TEST_F(AlarmSound, FolderPlaysOneOfItsFiles) {
    // Each try may land on "." or ".."; with 100 files three misses in a row
    // are too rare to matter.
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
    EXPECT_STREQ(sound::currentSoundPath, calls.wavePath.c_str());
}
