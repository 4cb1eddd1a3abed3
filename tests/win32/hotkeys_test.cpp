// Global hotkeys of the real Tiv.exe, pressed as keyboard input while
// another program's window is in front, and the page that sets them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alarm_support.h"
#include "driver.h"
#include "resources/resource.h"

using namespace driver;

namespace {

const char kStopGbk[] = "\xCD\xA3\xD6\xB9";                               // 停止
const char kTakenGbk[] = "\xD2\xD1\xB1\xBB\xC6\xE4\xCB\xFB\xB3\xCC\xD0\xF2\xCA\xB9\xD3\xC3";   // 已被其他程序使用

// The keys go down in order and come up in reverse, as a hand presses them.
bool press(const std::vector<WORD>& keys) {
    std::vector<INPUT> events;
    for (size_t i = 0; i < keys.size() * 2; ++i) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = keys[i < keys.size() ? i : keys.size() * 2 - 1 - i];
        in.ki.dwFlags = i < keys.size() ? 0 : KEYEVENTF_KEYUP;
        events.push_back(in);
    }
    return SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT)) == events.size();
}

// A window of this process in front of everything, as another program's would be.
struct Cover {
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "cover", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 1024,
                                  768, nullptr, nullptr, nullptr, nullptr);
    Cover() {
        SetForegroundWindow(window);
        pump();
    }
    ~Cover() { DestroyWindow(window); }
    static void pump() {
        MSG msg;
        for (DWORD until = GetTickCount() + 200; GetTickCount() < until; Sleep(10))
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
};

std::string folderWith(uint32_t seconds, const std::string& ini, const std::string& sound = "") {
    std::string folder = preparedFolder([&](std::vector<unsigned char>& f) {
        putDword(f, 8 + 632, 0);
        putDword(f, 8 + 636, 0);
        putDword(f, 8 + 640, seconds);
        putDword(f, 8 + 2140, seconds * 1000);
        if (!sound.empty()) {
            putText(f, 8 + 2232, sound);   // soundPath[0]
            putDword(f, 8 + 7080, 1);      // soundType[0]: a file
        }
    });
    writeFile(folder + "dTiv.ini", std::vector<unsigned char>(ini.begin(), ini.end()));
    return folder;
}

HWND optionsSheet(const Tiv& tiv) {
    HWND sheet = nullptr;
    waitFor(
        [&] {
            for (HWND w : windowsOf(tiv, "#32770", nullptr))
                if (FindWindowExA(w, nullptr, "SysTabControl32", nullptr)) sheet = w;
            return sheet != nullptr;
        },
        10000);
    return sheet;
}

}  // namespace

// Tiv minimised behind another program's window: Ctrl+Alt+S starts the
// count, Ctrl+Alt+M stops the MIDI alarm of the finished count, Ctrl+Alt+T
// brings the window back; a WM_HOTKEY another program posts with an id of
// none of the six does nothing.
TEST(Hotkeys, WorkFromAnywhereWhileTivIsMinimisedBehindAnother) {
    std::string media = newTempFolder("tivhotmidi");
    alarms::writeMidi(media + "tune.mid");
    std::string folder = folderWith(2,
                                    "[Hotkeys]\r\nStartStop=Ctrl+Alt+S\r\nStopSound=ctrl+alt+m\r\n"
                                    "ShowHide=Ctrl+Alt+T\r\n",
                                    media + "tune.mid");
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(waitFor([&] { return IsIconic(main) != 0; }, 5000));
    PostMessageA(main, WM_HOTKEY, 99, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'S'));
    PostMessageA(main, WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'S'));
    {
        Cover cover;
        ASSERT_TRUE(answers(main));
        EXPECT_NE(itemText(main, IDC_STARTSTOP), kStopGbk) << "a forged WM_HOTKEY started the count";

        ASSERT_TRUE(press({VK_CONTROL, VK_MENU, 'S'}));
        EXPECT_TRUE(waitFor([&] { return itemText(main, IDC_STARTSTOP) == kStopGbk; }, 5000)) << "not counting";
        EXPECT_TRUE(IsIconic(main)) << "the hotkey brought the window up";

        HWND box = waitBox(tiv, 10000);
        ASSERT_NE(box, nullptr) << "the count did not finish";
        // The media window is a hidden child of the main window.
        auto media = [&] { return FindWindowExA(main, nullptr, "MCIWndClass", nullptr); };
        bool playing = waitFor([&] { return media() != nullptr; }, 5000);
        EXPECT_TRUE(playing) << "no media window for the MIDI alarm";
        ASSERT_TRUE(press({VK_CONTROL, VK_MENU, 'M'}));
        EXPECT_TRUE(waitFor([&] { return media() == nullptr; }, 5000))
            << "the sound still plays";

        SetForegroundWindow(cover.window);
        Cover::pump();
        ASSERT_TRUE(IsIconic(main)) << "brought up by the finish window, not by the hotkey";
        ASSERT_TRUE(press({VK_CONTROL, VK_MENU, 'T'}));
        EXPECT_TRUE(waitFor([&] { return !IsIconic(main) && IsWindowVisible(main); }, 5000)) << "still minimised";
        ASSERT_TRUE(answerBox(box, 1));
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitExit(tiv));
    removeFolder(folder);
    removeFolder(media);
}

// Ctrl+Alt+R held by this program: the page marks that row "已被其他程序使用"
// while Ctrl+Alt+S still starts the count, and the file keeps both choices.
// What the page changes is written when the sheet closes, and only then.
TEST(Hotkeys, ACombinationHeldElsewhereIsMarkedAndTheOthersWork) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'R')) << GetLastError();
    const std::string ini = "[Hotkeys]\r\nStartStop=Ctrl+Alt+S\r\nReset=Ctrl+Alt+R\r\n";
    std::string folder = folderWith(30, ini);
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    {
        Cover cover;
        ASSERT_TRUE(answers(main));
        ASSERT_TRUE(press({VK_CONTROL, VK_MENU, 'S'}));
        EXPECT_TRUE(waitFor([&] { return itemText(main, IDC_STARTSTOP) == kStopGbk; }, 5000)) << "not counting";
    }
    command(main, IDC_OPTIONS);
    HWND sheet = optionsSheet(tiv);
    ASSERT_NE(sheet, nullptr);
    SendMessageA(sheet, PSM_SETCURSEL, 3, 0);
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(GetDlgItem(page, IDC_MORE_HOTKEY), nullptr) << "not the 更多 page";
    const char* expected[] = {"", kTakenGbk, "", "", "", ""};
    for (int a = 0; a < 6; ++a) EXPECT_EQ(itemText(page, IDC_MORE_STATUS + a), expected[a]) << "row " << a;
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_MORE_HOTKEY + 1, HKM_GETHOTKEY, 0, 0), MAKEWORD('R', HOTKEYF_CONTROL | HOTKEYF_ALT));
    // Only the timers in use have a box.
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_MORE_OVERTIME)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_MORE_OVERTIME + 1)));
    EXPECT_EQ(readFile(folder + "dTiv.ini"), std::vector<unsigned char>(ini.begin(), ini.end()));

    SendDlgItemMessageA(page, IDC_MORE_HOTKEY + 3, HKM_SETHOTKEY, MAKEWORD(VK_F5, HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    SendDlgItemMessageA(page, IDC_MORE_OVERTIME, BM_CLICK, 0, 0);
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    PostMessageA(sheet, WM_NULL, 0, 0);
    const std::string written =
        "[Hotkeys]\r\nStartStop=Ctrl+Alt+S\r\nReset=Ctrl+Alt+R\r\nStartAll=\r\nStopAll=Ctrl+Shift+F5\r\n"
        "StopSound=\r\nShowHide=\r\n[Overtime]\r\nTimer1=1\r\nTimer2=0\r\nTimer3=0\r\nTimer4=0\r\n";
    EXPECT_TRUE(waitFor([&] { return readFile(folder + "dTiv.ini") == std::vector<unsigned char>(written.begin(), written.end()); }, 5000))
        << hex(std::string(readFile(folder + "dTiv.ini").begin(), readFile(folder + "dTiv.ini").end()));
    {
        // Registered again as the sheet closed: Ctrl+Alt+S stops the count.
        Cover cover;
        ASSERT_TRUE(press({VK_CONTROL, VK_MENU, 'S'}));
        EXPECT_TRUE(waitFor([&] { return itemText(main, IDC_STARTSTOP) != kStopGbk; }, 5000)) << "still counting";
    }
    UnregisterHotKey(nullptr, 7);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitExit(tiv));
    removeFolder(folder);
}
