// Start-up, the first run's questions, the command line and the settings
// file, on the real program.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "driver.h"

using namespace driver;

namespace {

const char kFinishGbk[] = "\xD5\xE2\xB8\xF6" "Tiv \xD2\xD1\xCD\xEA\xB3\xC9";  // 这个Tiv 已完成

bool hasMainWindow(const Tiv& tiv) { return !windowsOf(tiv, "DovOdiz", nullptr).empty(); }

void closeAndWait(Tiv& tiv, HWND main) {
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitExit(tiv)) << "Tiv did not end after WM_CLOSE";
}

// The main window, once it shows; a first-run question that shows instead
// fails the test, is answered and the main window then waited for.
HWND mainWithoutQuestions(Tiv& tiv) {
    HWND main = nullptr, box = nullptr;
    waitFor([&] {
        auto boxes = windowsOf(tiv, "#32770", "Tiv 1.4");
        auto mains = windowsOf(tiv, "DovOdiz", nullptr);
        box = boxes.empty() ? nullptr : boxes[0];
        main = mains.empty() ? nullptr : mains[0];
        return box || main;
    }, 15000);
    if (!box) return main;
    ADD_FAILURE() << "the first run's question \"" << itemText(box, 850) << "\" showed";
    answerBox(box, 2);
    if (HWND hint = waitBox(tiv, 5000)) answerBox(hint, 1);
    return waitMain(tiv);
}

}  // namespace

TEST(FirstRun, CancelShowsTheHintAndSavesDefaults) {
    std::string folder = freshFolder();
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder));
    HWND box = waitBox(tiv);
    ASSERT_NE(box, nullptr) << "no question box";
    EXPECT_FALSE(hasMainWindow(tiv)) << "the main window must wait for the answer";
    EXPECT_EQ(itemText(box, 850), "感谢你试用Tiv.") << hex(itemText(box, 850));
    EXPECT_EQ(itemText(box, 851), "");
    EXPECT_EQ(itemText(box, 852), "   你想要将 Tiv 设置为简易模式吗?") << hex(itemText(box, 852));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, 1)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, 2))) << "取消 must show for a question";
    EXPECT_EQ(itemText(box, 2), "取消");
    EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST);

    ASSERT_TRUE(answerBox(box, 2));
    HWND hint = waitBox(tiv);
    ASSERT_NE(hint, nullptr) << "no hint box after 取消";
    EXPECT_EQ(itemText(hint, 850), "设置高级选项或查看帮助文件");
    EXPECT_EQ(itemText(hint, 851), "在主窗口右键点击或按下键盘上的'M'键");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(hint, 2)));
    ASSERT_TRUE(answerBox(hint, 1));

    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(text(main), "Tiv");
    SIZE size = windowSize(main);
    EXPECT_EQ(size.cx, 135);
    EXPECT_EQ(size.cy, 120);
    closeAndWait(tiv, main);

    auto file = readFile(folder + "dTiv.dat");
    ASSERT_EQ(file.size(), 10008u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 8), "TIVY1400");
    struct { size_t offset; uint32_t value; } dwords[] = {
        {0, 1}, {636, 5}, {644, 1}, {1248, 1}, {1264, 1}, {1328, 65}, {2020, 2},
        {2136, 0}, {2140, 300000}, {2156, 0x04FFFFFF}, {2168, 0x0400FFFF}, {2188, 6}, {7112, 1500}, {9528, 60},
    };
    for (const auto& d : dwords) EXPECT_EQ(dwordAt(file, 8 + d.offset), d.value) << "offset " << d.offset;
    std::string finish(reinterpret_cast<const char*>(&file[8 + 4632]));
    EXPECT_EQ(finish, kFinishGbk) << hex(finish);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[8 + 7128])), "Times New Roman");
    EXPECT_NE(dwordAt(file, 8 + 1280), 0u) << "the window placement was not saved";
    removeFolder(folder);
}

TEST(FirstRun, OkChoosesSimpleMode) {
    std::string folder = freshFolder();
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder));
    HWND box = waitBox(tiv);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(answerBox(box, 1));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(windowsOf(tiv, "#32770", "Tiv 1.4").empty()) << "no hint after 确定";
    closeAndWait(tiv, main);
    auto file = readFile(folder + "dTiv.dat");
    ASSERT_EQ(file.size(), 10008u);
    EXPECT_EQ(dwordAt(file, 8 + 2188), 0u);  // interfaceLevel
    EXPECT_EQ(dwordAt(file, 8 + 16), 0u);    // topmost
    removeFolder(folder);
}

TEST(DataFolder, DefSetSendsTheSettingsToApplicationData) {
    char appData[MAX_PATH] = "";
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE));
    std::string target = std::string(appData) + "\\Velket\\Tiv\\";
    DeleteFileA((target + "dTiv.dat").c_str());

    std::string folder = preparedFolder();
    DeleteFileA((folder + "dTiv.dat").c_str());
    writeFile(folder + "DefSet.txt", {'x'});
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder));
    HWND box = waitBox(tiv);  // nothing in application data yet: a first run
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(answerBox(box, 1));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    closeAndWait(tiv, main);
    EXPECT_EQ(readFile(target + "dTiv.dat").size(), 10008u) << target;
    EXPECT_TRUE(readFile(folder + "dTiv.dat").empty()) << "nothing is written beside the program";
    DeleteFileA((target + "dTiv.dat").c_str());
    removeFolder(folder);
}

// A renamed copy ("Tiv (1).exe", as a browser names a second download) keeps
// its settings beside itself, whatever the current folder holds.
TEST(DataFolder, RenamedProgramKeepsItsSettingsBesideItself) {
    struct Case {
        const char* name;
        bool tivInCurrentFolder;
    } cases[] = {
        {"another Tiv.exe in the current folder", true},
        {"no Tiv.exe to be found", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string folder = preparedFolder([](std::vector<unsigned char>& f) { putDword(f, 8 + 636, 7); });
        ASSERT_TRUE(MoveFileA((folder + "Tiv.exe").c_str(), (folder + "Tiv (1).exe").c_str()));
        std::string elsewhere = newTempFolder("tivcwd");
        if (c.tivInCurrentFolder) {
            ASSERT_TRUE(CopyFileA((folder + "Tiv (1).exe").c_str(), (elsewhere + "Tiv.exe").c_str(), FALSE));
        }
        Launch launch;
        launch.program = "Tiv (1).exe";
        launch.currentFolder = elsewhere;
        Tiv tiv;
        ASSERT_TRUE(start(tiv, folder, "", launch));
        HWND main = mainWithoutQuestions(tiv);
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(itemNumber(main, 1002), 7u) << "the minutes of the settings beside the program";
        closeAndWait(tiv, main);
        auto file = readFile(folder + "dTiv.dat");
        ASSERT_EQ(file.size(), 10008u);
        EXPECT_EQ(dwordAt(file, 8 + 636), 7u);
        EXPECT_TRUE(readFile(elsewhere + "dTiv.dat").empty()) << "settings were written in the current folder";
        removeFolder(elsewhere);
        removeFolder(folder);
    }
}

TEST(SettingsFile, BadMagicStartsWithoutQuestions) {
    std::string folder = preparedFolder([](std::vector<unsigned char>& f) { f[4] = '2'; });
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(windowsOf(tiv, "#32770", "Tiv 1.4").empty());
    closeAndWait(tiv, main);
    auto file = readFile(folder + "dTiv.dat");
    EXPECT_EQ(std::string(file.begin(), file.begin() + 8), "TIVY1400");
    removeFolder(folder);
}

// Another program holds the settings file open without sharing as Tiv
// starts. Held for a moment, it is read once let go; held longer than Tiv
// waits, Tiv starts on defaults without the first run's questions and leaves
// the file as it was, even when it is let go while Tiv runs.
TEST(SettingsFile, HeldAtStartIsWaitedForOrLeftAlone) {
    struct Case {
        const char* name;
        DWORD holdMs;         // after the start; INFINITE: until Tiv has ended
        bool loads;
    } cases[] = {
        {"held 300 ms, for the load", 300, true},
        {"held for good", INFINITE, false},
        {"held 3 s, let go while Tiv runs", 3000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string folder = preparedFolder([](std::vector<unsigned char>& f) { putDword(f, 8 + 636, 7); });
        std::string path = folder + "dTiv.dat";
        const std::vector<unsigned char> before = readFile(path);
        ASSERT_EQ(dwordAt(before, 8 + 1272), 0u);   // mute
        HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        auto letGo = [&] {
            if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
            held = INVALID_HANDLE_VALUE;
        };
        {
            Tiv tiv;
            ASSERT_TRUE(start(tiv, folder));
            if (c.holdMs != INFINITE) {
                Sleep(c.holdMs);
                letGo();
            }
            HWND main = mainWithoutQuestions(tiv);
            ASSERT_NE(main, nullptr);
            EXPECT_EQ(itemNumber(main, 1002), c.loads ? 7u : 5u) << "the minutes field";
            command(main, 2009);   // 无声: what a save would write
            closeAndWait(tiv, main);
        }
        letGo();
        std::vector<unsigned char> after = readFile(path);
        if (c.loads) {
            ASSERT_EQ(after.size(), 10008u);
            EXPECT_EQ(dwordAt(after, 8 + 1272), 1u) << "the save did not write";
            EXPECT_EQ(dwordAt(after, 8 + 636), 7u);
        } else {
            EXPECT_EQ(after, before) << "the held file was replaced";
        }
        removeFolder(folder);
    }
}

// The file is the record's bytes whichever build wrote it: what one run
// saves, the next run loads and saves again unchanged, texts, colours' top
// bytes and unused gaps included.
TEST(SettingsFile, ProgramWrittenFileLoadsBackToTheSameBytes) {
    std::string folder = preparedFolder([](std::vector<unsigned char>& f) {
        putDword(f, 8 + 2136, 3);                      // four timers
        putDword(f, 8 + 2156 + 4 * 2, 0xAB123456);     // a text colour's top byte
        putDword(f, 8 + 9564, 0xDEADBEEF);             // an unused gap
        const char text[] = "\xB2\xE8\xBA\xC3\xC1\xCB";  // 茶好了
        std::copy(text, text + sizeof text, f.begin() + 8 + 4632 + 600 * 3);
    });
    std::vector<unsigned char> saved[2];
    for (auto& file : saved) {
        Tiv tiv;
        ASSERT_TRUE(start(tiv, folder));
        HWND main = waitMain(tiv);
        ASSERT_NE(main, nullptr);
        closeAndWait(tiv, main);
        file = readFile(folder + "dTiv.dat");
        ASSERT_EQ(file.size(), 10008u);
    }
    EXPECT_EQ(std::string(saved[0].begin(), saved[0].begin() + 8), "TIVY1400");
    EXPECT_EQ(dwordAt(saved[0], 8 + 2136), 3u);
    EXPECT_EQ(dwordAt(saved[0], 8 + 2156 + 4 * 2), 0xAB123456u);
    EXPECT_EQ(dwordAt(saved[0], 8 + 9564), 0xDEADBEEFu);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&saved[0][8 + 4632 + 600 * 3])), "\xB2\xE8\xBA\xC3\xC1\xCB");
    for (size_t i = 0; i < saved[0].size(); ++i)
        ASSERT_EQ(saved[0][i], saved[1][i]) << "byte " << i << " (record offset " << i - 8 << ") changed";
    removeFolder(folder);
}

// Logging off and the exit command end the program like closing it does.
TEST(SettingsFile, EndSessionAndExitSaveAndEnd) {
    for (bool endSession : {true, false}) {
        SCOPED_TRACE(endSession ? "WM_QUERYENDSESSION" : "command 2012");
        std::string folder = preparedFolder([](std::vector<unsigned char>& f) { putDword(f, 8 + 1328, 99); });
        Tiv tiv;
        ASSERT_TRUE(start(tiv, folder, "/m=7"));
        HWND main = waitMain(tiv);
        ASSERT_NE(main, nullptr);
        DeleteFileA((folder + "dTiv.dat").c_str());
        if (endSession) {
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, &answer);
            EXPECT_EQ(answer, 1u) << "logging off must be allowed to go on";
        } else {
            command(main, 2012);
        }
        ASSERT_TRUE(waitExit(tiv));
        auto file = readFile(folder + "dTiv.dat");
        ASSERT_EQ(file.size(), 10008u);
        EXPECT_EQ(dwordAt(file, 8 + 1328), 99u);
        EXPECT_EQ(dwordAt(file, 8 + 636), 7u);  // the time fields are saved as shown
        removeFolder(folder);
    }
}

TEST(CommandLine, OptionsFillTheTimeFields) {
    std::string folder = preparedFolder([](std::vector<unsigned char>& f) { putDword(f, 8 + 2024, 3); });
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder, "/m=90 /S=10 /s=4"));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(waitFor([&] { return itemNumber(main, 1002) == 90; }, 5000)) << itemText(main, 1002);
    EXPECT_EQ(itemNumber(main, 1001), 0u);
    EXPECT_EQ(itemNumber(main, 1003), 4u);
    EXPECT_EQ(itemText(main, 1005), "3");
    EXPECT_EQ(itemText(main, 1000), "开始");
    closeAndWait(tiv, main);
    removeFolder(folder);
}

TEST(CommandLine, StartFlagAndFinishTextThatIsNotSaved) {
    std::string folder = preparedFolder();
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder, "\"/a=Tea is ready\" -G"));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(waitFor([&] { return itemText(main, 1000) == "停止"; }, 5000)) << "the start flag did not start slot 0";
    closeAndWait(tiv, main);
    auto file = readFile(folder + "dTiv.dat");
    ASSERT_EQ(file.size(), 10008u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[8 + 4632])), kFinishGbk);
    removeFolder(folder);
}

TEST(Placement, RestoredAndKeptOnScreen) {
    std::string folder = preparedFolder();
    {
        Tiv tiv;
        ASSERT_TRUE(start(tiv, folder));
        HWND main = waitMain(tiv);
        ASSERT_NE(main, nullptr);
        SetWindowPos(main, nullptr, 200, 150, 300, 220, SWP_NOZORDER);
        waitFor([&] { return windowSize(main).cx == 300; }, 3000);
        closeAndWait(tiv, main);
    }
    {
        Tiv tiv;
        ASSERT_TRUE(start(tiv, folder));
        HWND main = waitMain(tiv);
        ASSERT_NE(main, nullptr);
        RECT r{};
        GetWindowRect(main, &r);
        EXPECT_EQ(r.left, 200);
        EXPECT_EQ(r.top, 150);
        EXPECT_EQ(r.right - r.left, 300);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, 1005))) << "300 pixels show the days field";
        closeAndWait(tiv, main);
    }
    // A placement on a monitor that is gone opens where the system puts a new window.
    auto file = readFile(folder + "dTiv.dat");
    for (size_t i : {7, 8, 9, 10}) putDword(file, 8 + 1280 + 4 * i, 20000 + static_cast<uint32_t>(i % 2) * 300);
    writeFile(folder + "dTiv.dat", file);
    {
        Tiv tiv;
        ASSERT_TRUE(start(tiv, folder));
        HWND main = waitMain(tiv);
        ASSERT_NE(main, nullptr);
        RECT r{};
        GetWindowRect(main, &r);
        EXPECT_LT(r.left, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_LT(r.top, GetSystemMetrics(SM_CYSCREEN));
        EXPECT_EQ(r.right - r.left, 135);
        closeAndWait(tiv, main);
    }
    removeFolder(folder);
}

// A shortcut set to "minimised" (or start /min) does not decide the first
// state: the window opens shown normally.
TEST(Placement, OpensNormalWhateverTheStarterAsks) {
    struct Case {
        const char* name;
        int show;
    } cases[] = {
        {"SW_SHOWMINNOACTIVE", SW_SHOWMINNOACTIVE},
        {"SW_SHOWMINIMIZED", SW_SHOWMINIMIZED},
        {"SW_SHOWMAXIMIZED", SW_SHOWMAXIMIZED},
        {"SW_HIDE", SW_HIDE},
    };
    std::string folder = preparedFolder();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Launch launch;
        launch.show = c.show;
        Tiv tiv;
        ASSERT_TRUE(start(tiv, folder, "", launch));
        HWND main = nullptr;
        ASSERT_TRUE(waitFor([&] {
            auto found = windowsOf(tiv, "DovOdiz", nullptr, true);
            main = found.empty() ? nullptr : found[0];
            return main != nullptr;
        }, 15000)) << "no main window";
        auto normal = [&] { return IsWindowVisible(main) && !IsIconic(main) && !IsZoomed(main); };
        waitFor(normal, 3000);
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(main, &placement);
        EXPECT_TRUE(IsWindowVisible(main));
        EXPECT_FALSE(IsIconic(main));
        EXPECT_FALSE(IsZoomed(main));
        EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
        closeAndWait(tiv, main);
    }
    removeFolder(folder);
}
