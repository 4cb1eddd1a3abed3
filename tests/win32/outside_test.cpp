// What other programs can do to a running Tiv: post it any private message,
// watch its threads. Tiv.exe runs in its own process, driven from this one.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "alarm_support.h"
#include "driver.h"
#include "resources/resource.h"

using namespace driver;

namespace {

const char kFinishGbk[] = "\xD5\xE2\xB8\xF6" "Tiv \xD2\xD1\xCD\xEA\xB3\xC9";  // 这个Tiv 已完成

}  // namespace

// Private messages carry no code address: whatever another program posts,
// Tiv counts on, answers, finishes its count and saves a whole file.
TEST(OutsideMessages, ForgedPrivateMessagesDoNothing) {
    std::string folder = preparedFolder([](std::vector<unsigned char>& f) { putDword(f, 8 + 2140, 6000); });
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder, "/s=6 /m=0 /h=0 g"));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(waitFor([&] { return itemText(main, 1000) == "\xCD\xA3\xD6\xB9"; }, 5000)) << "not counting";  // 停止
    DWORD startedAt = GetTickCount();

    const WPARAM values[] = {0, 1, 0x41414141, 0xFFFFFFFF};
    std::vector<UINT> messages;
    for (UINT m = WM_APP; m <= WM_APP + 16; ++m) messages.push_back(m);
    for (UINT m = WM_USER; m <= WM_USER + 64; ++m) messages.push_back(m);
    for (UINT m : messages)
        for (WPARAM w : values)
            for (WPARAM l : values) PostMessageA(main, m, w, static_cast<LPARAM>(l));
    // The alarm step message with every step and slot it could name.
    for (WPARAM step = 0; step < 5; ++step)
        for (LPARAM slot = 0; slot < 5; ++slot) PostMessageA(main, WM_APP + 1, step, slot);
    EXPECT_TRUE(answers(main)) << "Tiv stopped answering";
    DWORD lostFor = GetTickCount() - startedAt;
    EXPECT_LT(lostFor, 5000u);

    // The count goes on to its end: the finish window comes.
    HWND box = waitBox(tiv, 15000);
    ASSERT_NE(box, nullptr) << "the count never finished";
    EXPECT_GE(GetTickCount() - startedAt, 4000u) << "finished too early";
    EXPECT_EQ(itemText(box, 851), kFinishGbk);
    ASSERT_TRUE(answerBox(box, 1));
    EXPECT_TRUE(answers(main));

    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitExit(tiv));
    auto file = readFile(folder + "dTiv.dat");
    ASSERT_EQ(file.size(), 10008u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 8), "TIVY1400");
    EXPECT_EQ(dwordAt(file, 8 + 2140), 6000u);
    removeFolder(folder);
}

BOOL CALLBACK collectChildDialogs(HWND child, LPARAM found) {
    if (className(child) == "#32770") reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
    return TRUE;
}

// The system sends WM_DPICHANGED and WM_NOTIFY only on the window's own thread,
// with a pointer in lParam. Copies another program posts or sends, with junk
// for that pointer, break nothing: posted ones and impossible scales change
// nothing, the options sheet's pages go on, and a running count ends with its
// finish window.
TEST(OutsideMessages, ForgedScaleChangesAndNotificationsChangeNothing) {
    std::string folder = preparedFolder([](std::vector<unsigned char>& f) { putDword(f, 8 + 2140, 8000); });
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder, "/s=8 /m=0 /h=0 g"));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(waitFor([&] { return itemText(main, 1000) == "\xCD\xA3\xD6\xB9"; }, 5000)) << "not counting";
    DWORD startedAt = GetTickCount();
    RECT button = placeOf(GetDlgItem(main, 1000));
    ASSERT_EQ(rectText(button), "3,3 60x25");

    RECT mine{0, 0, 400, 300};   // a plausible rectangle, but at an address of this process
    const LPARAM pointers[] = {0, 0x10, 0x7FFE0000, static_cast<LPARAM>(-1), reinterpret_cast<LPARAM>(&mine)};
    const WPARAM dpis[] = {MAKEWPARAM(144, 144), MAKEWPARAM(192, 192), MAKEWPARAM(0xFFFF, 0xFFFF), 0};
    auto forge = [&](HWND target, UINT message, WPARAM w) {
        for (LPARAM l : pointers) {
            PostMessageA(target, message, w, l);
            DWORD_PTR result;
            SendMessageTimeoutA(target, message, w, l, SMTO_ABORTIFHUNG, 2000, &result);
        }
    };

    // The options sheet open, each of its pages made.
    command(main, IDC_OPTIONS);
    HWND sheet = nullptr;
    ASSERT_TRUE(waitFor([&] {
        for (HWND w : windowsOf(tiv, "#32770", nullptr))
            if (FindWindowExA(w, nullptr, "SysTabControl32", nullptr)) sheet = w;
        return sheet != nullptr;
    }, 10000)) << "no options sheet";
    // Every send has a timeout: a Tiv that a forged message stopped must fail the test, not hang it.
    DWORD_PTR ignored;
    for (int page = 2; page >= 0; --page)
        SendMessageTimeoutA(sheet, PSM_SETCURSEL, page, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    std::vector<HWND> pages;
    EnumChildWindows(sheet, collectChildDialogs, reinterpret_cast<LPARAM>(&pages));
    EXPECT_EQ(pages.size(), 3u);
    for (HWND page : pages) forge(page, WM_NOTIFY, 0);
    // The sheet itself is the system's: only what reaches it through Tiv's own queue.
    for (LPARAM l : pointers) PostMessageA(sheet, WM_NOTIFY, 0, l);
    EXPECT_TRUE(answers(main)) << "Tiv stopped answering after forged notifications";
    SendMessageTimeoutA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(sheet); }, 5000)) << "the options sheet did not close";

    // Posted copies are dropped whatever they hold; sent ones naming a dpi
    // Windows never uses are ignored.
    const UINT kDpiChanged = 0x02E0;
    for (WPARAM w : dpis)
        for (LPARAM l : pointers) PostMessageA(main, kDpiChanged, w, l);
    for (WPARAM w : {MAKEWPARAM(0xFFFF, 0xFFFF), WPARAM(0), MAKEWPARAM(95, 95), MAKEWPARAM(481, 481),
                     MAKEWPARAM(144, 96)})
        for (LPARAM l : pointers) {
            DWORD_PTR result;
            SendMessageTimeoutA(main, kDpiChanged, w, l, SMTO_ABORTIFHUNG, 2000, &result);
        }
    EXPECT_TRUE(answers(main)) << "Tiv stopped answering after forged scale changes";
    EXPECT_EQ(rectText(placeOf(GetDlgItem(main, 1000))), "3,3 60x25") << "a forged scale was taken";
    // A dpi Windows uses with a rectangle that is not Tiv's: the window is
    // rescaled where it stands, and back.
    SIZE before = windowSize(main);
    for (UINT dpi : {144u, 96u}) {
        DWORD_PTR result;
        SendMessageTimeoutA(main, kDpiChanged, MAKEWPARAM(dpi, dpi), 0x10, SMTO_ABORTIFHUNG, 2000, &result);
        SIZE button = windowSize(GetDlgItem(main, 1000)), now = windowSize(main);
        EXPECT_EQ(button.cx * 100 + button.cy, dpi == 144 ? 9038 : 6025) << "button 1000 at " << dpi;
        EXPECT_NEAR(now.cx, MulDiv(before.cx, dpi, 96), 1) << dpi;
        EXPECT_NEAR(now.cy, MulDiv(before.cy, dpi, 96), 1) << dpi;
    }
    EXPECT_LT(GetTickCount() - startedAt, 7000u) << "forging took too long to prove the count went on";

    HWND box = waitBox(tiv, 15000);
    ASSERT_NE(box, nullptr) << "the count never finished";
    EXPECT_GE(GetTickCount() - startedAt, 6000u) << "finished too early";
    EXPECT_EQ(itemText(box, 851), kFinishGbk);
    ASSERT_TRUE(answerBox(box, 1));
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitExit(tiv));
    removeFolder(folder);
}

// A 3-second count that restarts at its end, flashing: completions come
// faster than alarms can end, and the process must not gather threads.
TEST(OutsideMessages, ThreadCountStaysFlatWithRestartAtEnd) {
    std::string folder = preparedFolder([](std::vector<unsigned char>& f) {
        putDword(f, 8 + 2140, 3000);   // slot 0's length
        putDword(f, 8 + 7048, 1);      // restart at completion
        putDword(f, 8 + 7096, 1);      // flash
    });
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder, "/s=3 /m=0 /h=0 g"));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    DWORD pid = tiv.process.dwProcessId;
    // From the first finish window on, each completion (every 3 s) lands while one is open.
    ASSERT_NE(waitWindow(tiv, "#32770", "Tiv 1.4", 10000), nullptr) << "no finish window";
    uint32_t first = alarms::threadsOf(pid);
    ASSERT_GT(first, 0u) << "no thread snapshot of Tiv";
    std::string seen = std::to_string(first);
    uint32_t most = first;
    for (int i = 0; i < 10; ++i) {
        Sleep(2000);
        uint32_t n = alarms::threadsOf(pid);
        seen += " " + std::to_string(n);
        if (n > most) most = n;
    }
    EXPECT_LE(most, first + 1) << "threads over 20 s: " << seen;
    EXPECT_TRUE(answers(main));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitExit(tiv));
    std::printf("threads every 2 s: %s\n", seen.c_str());
    removeFolder(folder);
}

// Tiv.exe maps the DLLs of the alarm sound, the random pick and the tray only when it first
// needs them; each then loads and works in the shipped program.
TEST(DelayedDlls, LoadOnFirstUseAndWork) {
    std::string sounds = newTempFolder("tivsnd");
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) alarms::writeWave(sounds + name, 80);
    std::string folder = preparedFolder([&](std::vector<unsigned char>& f) {
        putDword(f, 8 + 24, 1);        // minimize to the tray
        putDword(f, 8 + 2140, 1000);   // slot 0's length
        putDword(f, 8 + 7080, 2);      // slot 0's sound: a random file of a folder
        std::string path = sounds.substr(0, sounds.size() - 1);
        putText(f, 8 + 2232, path);
    });
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    DWORD pid = tiv.process.dwProcessId;
    Sleep(500);
    std::vector<std::string> atStart = modulesOf(pid);
    ASSERT_TRUE(loaded(atStart, "user32.dll")) << "no module list of Tiv";
    for (const char* later : {"winmm.dll", "shell32.dll", "comdlg32.dll", "msvfw32.dll"})
        EXPECT_FALSE(loaded(atStart, later)) << later << " mapped at start-up";

    command(main, IDC_STARTSTOP);
    HWND box = waitWindow(tiv, "#32770", "Tiv 1.4", 10000);
    ASSERT_NE(box, nullptr) << "no finish window";
    EXPECT_EQ(itemText(box, IDC_MSG_LINE2), kFinishGbk);
    EXPECT_TRUE(loaded(modulesOf(pid), "winmm.dll")) << "the alarm played no wave";
    ASSERT_TRUE(answerBox(box, IDOK));

    PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(main); }, 5000)) << "not hidden in the tray";
    EXPECT_TRUE(waitFor([&] { return loaded(modulesOf(pid), "shell32.dll"); }, 5000)) << "no tray icon added";
    EXPECT_TRUE(answers(main));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitExit(tiv));
    removeFolder(folder);
    removeFolder(sounds);
}
