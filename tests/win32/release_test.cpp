// One run of the program a user unpacks, through every DLL it loads on first use: tools/package
// runs this on the Tiv.exe inside the zip (TIV_EXE), the suite on the one it builds.
#include <windows.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "alarm_support.h"
#include "driver.h"
#include "resources/resource.h"
#include "sound/sound.h"

using namespace driver;

namespace {

// A dialog of Tiv's whose owner is `owner`; null after the timeout.
HWND waitOwned(const Tiv& tiv, HWND owner, DWORD timeoutMs) {
    HWND found = nullptr;
    waitFor(
        [&] {
            for (HWND w : windowsOf(tiv, "#32770", nullptr))
                if (GetWindow(w, GW_OWNER) == owner) found = w;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

}  // namespace

TEST(Release, EveryLateDllLoadsAndWorksAndTivEndsCleanly) {
    std::string sounds = newTempFolder("tivrel");
    alarms::writeWave(sounds + "bell.wav", 80);
    alarms::writeMidi(sounds + "tune.mid");
    std::string picks = sounds + "pick";
    ASSERT_TRUE(CreateDirectoryA(picks.c_str(), nullptr));
    alarms::writeWave(picks + "\\only.wav", 80);
    // Three timers of a second: a WAV file, a MIDI file and a random file of a folder.
    std::string folder = preparedFolder([&](std::vector<unsigned char>& f) {
        putDword(f, 8 + 24, 1);     // minimise to the tray
        putDword(f, 8 + 2136, 2);   // three timers
        const std::string paths[] = {sounds + "bell.wav", sounds + "tune.mid", picks};
        for (uint32_t slot = 0; slot < 3; ++slot) {
            putDword(f, 8 + 2140 + 4 * slot, 1000);
            putDword(f, 8 + 7080 + 4 * slot, slot == 2 ? sound::kTypeFolder : sound::kTypeFile);
            putText(f, 8 + 2232 + 600 * slot, paths[slot]);
        }
    });
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr) << "no main window";
    DWORD pid = tiv.process.dwProcessId;

    // The tray, on and off.
    PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(main); }, 5000)) << "not hidden in the tray";
    EXPECT_TRUE(waitFor([&] { return loaded(modulesOf(pid), "shell32.dll"); }, 5000)) << "no tray icon added";
    PostMessageA(main, MSG_TRAY, 0, WM_LBUTTONDBLCLK);   // a double click on the icon
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(main); }, 5000)) << "not back from the tray";

    // Help opens ReadMe.htm through the shell; Tiv goes on.
    command(main, IDC_SHOWHELP);
    EXPECT_TRUE(answers(main)) << "Tiv did not answer after the help";

    // Every alarm: each shows its finish window, one after another.
    command(main, CMD_STARTALL);
    for (int alarm = 0; alarm < 3; ++alarm) {
        HWND box = waitBox(tiv, 15000);
        ASSERT_NE(box, nullptr) << "no finish window for alarm " << alarm;
        ASSERT_TRUE(answerBox(box, IDOK)) << "alarm " << alarm;
    }
    EXPECT_TRUE(loaded(modulesOf(pid), "winmm.dll")) << "the WAV alarm played nothing";
    EXPECT_TRUE(loaded(modulesOf(pid), "msvfw32.dll")) << "the MIDI alarm opened no media window";
    EXPECT_TRUE(loaded(modulesOf(pid), "advapi32.dll")) << "the folder's pick asked no random source";

    // The options sheet's sound chooser, opened and cancelled.
    command(main, IDC_OPTIONS);
    HWND sheet = waitWindow(tiv, "#32770", nullptr, 10000);
    ASSERT_NE(sheet, nullptr) << "no options sheet";
    SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(page, nullptr);
    PostMessageA(GetDlgItem(page, IDC_TP_SOUNDCHOOSE), BM_CLICK, 0, 0);
    HWND chooser = waitOwned(tiv, sheet, 15000);
    ASSERT_NE(chooser, nullptr) << "the sound chooser did not open";
    EXPECT_TRUE(loaded(modulesOf(pid), "comdlg32.dll"));
    // The file chooser takes commands only once it has settled.
    EXPECT_TRUE(waitFor(
        [&] {
            PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
            Sleep(200);
            return !IsWindow(chooser);
        },
        15000))
        << "the sound chooser did not close on 取消";
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    PostMessageA(sheet, WM_NULL, 0, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(sheet); }, 5000)) << "the sheet did not close";

    // A clean end: exit code 0, no crash, the whole settings file written.
    DeleteFileA((folder + "dTiv.dat").c_str());
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitExit(tiv)) << "Tiv did not end";
    DWORD code = 1;
    GetExitCodeProcess(tiv.process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    std::vector<unsigned char> saved = readFile(folder + "dTiv.dat");
    ASSERT_EQ(saved.size(), 10008u);
    EXPECT_EQ(std::string(saved.begin(), saved.begin() + 8), "TIVY1400");
    EXPECT_EQ(dwordAt(saved, 8 + 2136), 2u);
    removeFolder(folder);
    DeleteFileA((picks + "\\only.wav").c_str());
    RemoveDirectoryA(picks.c_str());
    removeFolder(sounds);
}
