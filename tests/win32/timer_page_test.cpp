// The Timer page (template 1028) in a property sheet of its own, opened over
// the real main window in this process and driven as the user would.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/window_win.h"
#include "countdown/engine.h"
#include "dialogs/options_win.h"
#include "driver.h"
#include "inproc.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/store.h"
#include "sound/sound.h"

using settings::record;

namespace {

// ---- Reading the page

using driver::className;

std::string listItems(HWND list) {
    std::string items;
    LRESULT n = SendMessageA(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        char item[128] = "";
        SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        items += (i ? "|" : "") + std::string(item);
    }
    return items;
}

// What the page shows, in the order of the fill.
std::string shown(HWND page) {
    auto sel = [&](int id) { return std::to_string(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0)); };
    auto box = [&](int id) { return std::to_string(IsDlgButtonChecked(page, id)); };
    return "slot " + sel(IDC_TP_SLOT) + ", interval " + driver::itemText(page, IDC_TP_INTERVAL) + ", finish " +
           driver::itemText(page, IDC_TP_FINISHTEXT) + ", font " + driver::itemText(page, IDC_TP_FONTNAME) +
           ", path " + driver::itemText(page, IDC_TP_SOUNDPATH) + ", size " + sel(IDC_TP_TEXTSIZE) + ", flash " +
           box(IDC_TP_FLASH) + ", restart " + sel(IDC_TP_AUTORESTART) + ", sound " + sel(IDC_TP_SOUNDTYPE) +
           ", repeat " + box(IDC_TP_REPEAT) + ", warn " + box(IDC_TP_WARNINGS);
}

std::string enabled(HWND page) {
    auto on = [&](int id) { return IsWindowEnabled(GetDlgItem(page, id)) ? "1" : "0"; };
    return std::string("path ") + on(IDC_TP_SOUNDPATH) + ", choose " + on(IDC_TP_SOUNDCHOOSE) + ", interval " +
           on(IDC_TP_INTERVAL) + ", spin " + on(IDC_TP_INTERVAL_SPIN) + ", finish " + on(IDC_TP_FINISHTEXT);
}

// What the record holds for one slot, in the same words.
std::string stored(uint32_t s) {
    auto n = [](uint32_t v) { return std::to_string(v); };
    return "slot " + n(s) + ", interval " + n(record.repeatIntervalMs[s]) + ", finish " + record.finishText[s] +
           ", font " + record.fontName[s] + ", path " + record.soundPath[s] + ", size " + n(record.textSizeMode[s]) +
           ", flash " + n(record.flashOnFinish[s]) + ", restart " + n(record.autoRestart[s]) + ", sound " +
           n(record.soundType[s]) + ", repeat " + n(record.repeatSound[s]) + ", warn " + n(record.warnings[s]);
}

void setSlot(uint32_t s, uint32_t base, const char* text) {
    record.repeatIntervalMs[s] = 1000 + base;
    std::snprintf(record.finishText[s], settings::kTextSize, "%s finish", text);
    std::snprintf(record.fontName[s], settings::kTextSize, "%s font", text);
    std::snprintf(record.soundPath[s], settings::kTextSize, "C:\\%s.wav", text);
    record.textSizeMode[s] = base % 3;
    record.flashOnFinish[s] = base % 2;
    record.autoRestart[s] = (base + 1) % 3;
    record.soundType[s] = (base + 2) % 3;
    record.repeatSound[s] = (base + 1) % 2;
    record.warnings[s] = base % 2;
    record.textColour[s] = RGB(10 * base, 200, 30);
    record.backColour[s] = RGB(40, 10 * base, 220);
}

void distinctSlots() {
    const char* names[] = {"one", "two", "three", "four"};
    for (uint32_t s = 0; s < settings::kSlots; ++s) setSlot(s, s, names[s]);
}

// ---- Driving it

void choose(HWND page, int id, int index) {
    HWND list = GetDlgItem(page, id);
    SendMessageA(list, CB_SETCURSEL, index, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }

LRESULT notify(HWND page, UINT code) {
    NMHDR header{GetParent(page), 0, code};
    SetWindowLongPtrA(page, DWLP_MSGRESULT, 77);
    SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    return GetWindowLongPtrA(page, DWLP_MSGRESULT);
}

// A pixel of a swatch, given where it lies with the design font (base
// units 6 x 12); the page scales it to the font it has.
COLORREF swatchPixel(HWND page, int y) {
    RedrawWindow(page, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    inproc::pump(100);
    RECT base{0, 0, 4, 8};
    MapDialogRect(page, &base);
    return inproc::pixel(page, MulDiv(200, base.right, 6), MulDiv(y, base.bottom, 12));
}

std::string hexColour(COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof text, "%06lX", static_cast<unsigned long>(c));
    return text;
}

class TimerPage : public ::testing::Test {
protected:
    HWND sheet = nullptr;
    HWND page = nullptr;

    // The page alone in a modeless sheet owned by the main window.
    bool openPage(const std::function<void()>& edit = nullptr, uint32_t shown = 0) {
        if (!inproc::open(edit)) return false;
        countdown::state.shownTimer = shown;
        PROPSHEETPAGEA p{};
        p.dwSize = sizeof p;
        p.hInstance = app::instance;
        p.pszTemplate = MAKEINTRESOURCEA(IDD_TIMERPAGE);
        p.pfnDlgProc = dialogs::timerPageProc;
        HPROPSHEETPAGE handle = CreatePropertySheetPageA(&p);
        PROPSHEETHEADERA header{};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
        header.hwndParent = app::mainWindow;
        header.pszCaption = "选项";
        header.nPages = 1;
        header.phpage = &handle;
        sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
        if (!sheet) return false;
        SetWindowPos(sheet, HWND_TOPMOST, 300, 60, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        inproc::pump(200);
        page = PropSheet_GetCurrentPageHwnd(sheet);
        return page != nullptr;
    }
    void press(int button) {
        PropSheet_PressButton(sheet, button);
        inproc::pump(100);
    }
    void closeSheet() {
        if (sheet) DestroyWindow(sheet);
        sheet = page = nullptr;
    }
    void TearDown() override {
        closeSheet();
        inproc::close();
    }
};

// Saves the sheet as a bitmap where TIV_TIMER_PAGE_SHOT names one, to be looked at.
void saveShot(HWND window) {
    const char* path = std::getenv("TIV_TIMER_PAGE_SHOT");
    if (!path) return;
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);   // no tooltip
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    inproc::pump(500);
    inproc::savePicture(window, path);
}

// ---- Tests

// Which controls the page has and the tip of each; where they are and how
// they look, the pictures of Looks keep.
TEST_F(TimerPage, ControlsAndTheirTips) {
    ASSERT_TRUE(openPage());
    const std::vector<inproc::Control> controls = {
        {IDC_TP_SLOT, "ComboBox", "选择你想更改的查看方式"},
        {-1, "Button", ""},
        {-1, "Static", ""},
        {IDC_TP_FONTNAME, "Static", ""},
        {IDC_TP_FONTCHOOSE, "Button", "选择倒计时显示字体(大小设为一定比例,除非'文本大小'方式已设置为'使用字体大小')"},
        {-1, "Static", ""},
        {IDC_TP_TEXTCHOOSE, "Button", "选择倒计时显示的文本颜色"},
        {-1, "Static", ""},
        {IDC_TP_BACKCHOOSE, "Button", "选择倒计时显示的背景颜色"},
        {-1, "Static", ""},
        {IDC_TP_TEXTSIZE, "ComboBox", "文本大小比例方式"},
        {-1, "Button", ""},
        {IDC_TP_SOUNDTYPE, "ComboBox", "Select what Tiv will use to notify you of the count down completing"},
        {IDC_TP_SOUNDCHOOSE, "Button", "更改警报通知的音频文件"},
        {IDC_TP_SOUNDPATH, "Edit", "作为警告通知的被播放音频文件"},
        {IDC_TP_REPEAT, "Button", "重复全部警报声音"},
        {IDC_TP_INTERVAL, "Edit", "重复声音提醒间隔为多少毫秒(这也是闪光时间间隔)"},
        {IDC_TP_INTERVAL_SPIN, "msctls_updown32", ""},
        {-1, "Static", ""},
        {IDC_TP_TEST, "Button", "测试警告通知声音"},
        {IDC_TP_WARNINGS, "Button", "计时结束前安排三次警告声音"},
        {-1, "Static", ""},
        {IDC_TP_FINISHTEXT, "Edit", "当计时结束时显示文本"},
        {-1, "Static", ""},
        {IDC_TP_AUTORESTART, "ComboBox", "自动警报通知循环选项"},
        {IDC_TP_FLASH, "Button", "当倒计时结束时闪烁倒计时屏幕"},
    };
    EXPECT_EQ(inproc::lines(inproc::controlsOf(page)), inproc::lines(controls));

    // What the page puts in its lists, and the range of the interval's spin.
    const struct { int id; const char* items; } lists[] = {
        {IDC_TP_SLOT, "一|二|三|四"},
        {IDC_TP_TEXTSIZE, "自动比例|无大字体秒数|使用字体大小"},
        {IDC_TP_SOUNDTYPE, "系统声音|音频文件|文件夹内任意文件"},
        {IDC_TP_AUTORESTART, "关|在计时结束|当点击按钮时"},
    };
    for (const auto& list : lists)
        EXPECT_EQ(listItems(GetDlgItem(page, list.id)), list.items) << list.id << " " << driver::hex(list.items);
    HWND spin = GetDlgItem(page, IDC_TP_INTERVAL_SPIN);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(spin, UDM_GETBUDDY, 0, 0)), GetDlgItem(page, IDC_TP_INTERVAL));
    int low = -1, high = -1;
    SendMessageA(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(std::to_string(low) + ".." + std::to_string(high), "0..32767");
    saveShot(sheet);

    // The page's tools go with it, so no later window inherits them with a reused handle.
    LRESULT tools = SendMessageA(app::tooltip, TTM_GETTOOLCOUNT, 0, 0);
    closeSheet();
    EXPECT_EQ(tools - SendMessageA(app::tooltip, TTM_GETTOOLCOUNT, 0, 0), 15) << "tools removed with the page";
}

// Opening shows the shown timer's slot; PSN_SETACTIVE shows the record afresh.
TEST_F(TimerPage, FillsFromTheShownTimersSlot) {
    struct Row {
        uint32_t shownTimer, countIndex, pageSlotBefore;
    } rows[] = {{0, 0, 3}, {1, 3, 0}, {2, 2, 2}, {3, 0, 1}};   // slot 3 beyond the count in use
    for (const auto& row : rows) {
        std::string where = "shown timer " + std::to_string(row.shownTimer);
        ASSERT_TRUE(openPage([&] {
            distinctSlots();
            record.timerCountIndex = row.countIndex;
            record.timerPageSlot = row.pageSlotBefore;
        }, row.shownTimer)) << where;
        uint32_t s = row.shownTimer;
        EXPECT_EQ(record.timerPageSlot, s) << where;
        EXPECT_EQ(shown(page), stored(s)) << where;
        EXPECT_EQ(hexColour(swatchPixel(page, 82)), hexColour(record.textColour[s])) << where << ", upper swatch";
        EXPECT_EQ(hexColour(swatchPixel(page, 109)), hexColour(record.backColour[s])) << where << ", lower swatch";

        setSlot(s, 7, "again");
        EXPECT_EQ(notify(page, PSN_SETACTIVE), 0) << where;
        EXPECT_EQ(shown(page), stored(s)) << where << ", after PSN_SETACTIVE";
        closeSheet();
        inproc::close();
    }
}

// Choosing another slot stores the edits into the old one and shows the new one.
TEST_F(TimerPage, SlotChangeStoresAndShows) {
    struct Row {
        uint32_t from, to;
        const char* interval;
        uint32_t storedInterval;
    } rows[] = {{0, 2, "50", 100}, {3, 1, "2500", 2500}, {1, 0, "abc", 100}};
    for (const auto& row : rows) {
        std::string where = std::to_string(row.from) + " to " + std::to_string(row.to);
        ASSERT_TRUE(openPage(distinctSlots, row.from)) << where;
        SetDlgItemTextA(page, IDC_TP_INTERVAL, row.interval);
        SetDlgItemTextA(page, IDC_TP_FINISHTEXT, "edited text");
        SetDlgItemTextA(page, IDC_TP_SOUNDPATH, "D:\\edited.mid");
        CheckDlgButton(page, IDC_TP_FLASH, BST_CHECKED);
        CheckDlgButton(page, IDC_TP_WARNINGS, BST_UNCHECKED);
        SendDlgItemMessageA(page, IDC_TP_AUTORESTART, CB_SETCURSEL, 2, 0);
        std::string before = stored(row.from);
        choose(page, IDC_TP_SLOT, static_cast<int>(row.to));

        EXPECT_EQ(record.timerPageSlot, row.to) << where;
        EXPECT_EQ(record.repeatIntervalMs[row.from], row.storedInterval) << where;
        EXPECT_STREQ(record.finishText[row.from], "edited text") << where;
        EXPECT_STREQ(record.soundPath[row.from], "D:\\edited.mid") << where;
        EXPECT_EQ(record.flashOnFinish[row.from], 1u) << where;
        EXPECT_EQ(record.warnings[row.from], 0u) << where;
        EXPECT_EQ(record.autoRestart[row.from], 2u) << where;
        EXPECT_NE(stored(row.from), before) << where;
        EXPECT_EQ(shown(page), stored(row.to)) << where;
        EXPECT_EQ(hexColour(swatchPixel(page, 82)), hexColour(record.textColour[row.to])) << where;
        EXPECT_EQ(hexColour(swatchPixel(page, 109)), hexColour(record.backColour[row.to])) << where;
        closeSheet();
        inproc::close();
    }
}

TEST_F(TimerPage, EnableRule) {
    struct Row {
        const char* name;
        uint32_t slot, soundType, repeat;
        bool overridden;
        std::function<void(HWND)> act;
        const char* enables;
    } rows[] = {
        {"system sound, no repeat", 0, 0, 0, false, nullptr,
         "path 0, choose 0, interval 0, spin 1, finish 1"},
        {"file, repeat", 1, 1, 1, false, nullptr, "path 1, choose 1, interval 1, spin 1, finish 1"},
        {"folder", 2, 2, 0, false, nullptr, "path 1, choose 1, interval 0, spin 1, finish 1"},
        {"choosing 音频文件", 0, 0, 0, false, [](HWND p) { choose(p, IDC_TP_SOUNDTYPE, 1); },
         "path 1, choose 1, interval 0, spin 1, finish 1"},
        {"choosing 系统声音", 3, 2, 1, false, [](HWND p) { choose(p, IDC_TP_SOUNDTYPE, 0); },
         "path 0, choose 0, interval 1, spin 1, finish 1"},
        {"clearing the repeat", 1, 1, 1, false, [](HWND p) { click(p, IDC_TP_REPEAT); },
         "path 1, choose 1, interval 0, spin 1, finish 1"},
        {"setting the repeat", 2, 0, 0, false, [](HWND p) { click(p, IDC_TP_REPEAT); },
         "path 0, choose 0, interval 1, spin 1, finish 1"},
        {"finish text from the command line", 0, 1, 1, true, nullptr,
         "path 1, choose 1, interval 1, spin 1, finish 0"},
        {"command line, another slot", 3, 0, 0, true, nullptr, "path 0, choose 0, interval 0, spin 1, finish 0"},
        {"command line, after a slot change", 0, 0, 0, true, [](HWND p) { choose(p, IDC_TP_SLOT, 2); },
         "path 1, choose 1, interval 1, spin 1, finish 0"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(openPage([&] {
            settings::store.finishTextOverridden = row.overridden;
            record.soundType[2] = 1;   // for the slot change
            record.repeatSound[2] = 1;
            record.soundType[row.slot] = row.soundType;
            record.repeatSound[row.slot] = row.repeat;
        }, row.slot)) << row.name;
        if (row.act) row.act(page);
        EXPECT_EQ(enabled(page), row.enables) << row.name;
        closeSheet();
        inproc::close();
    }
}

// Leaving the page (here by the sheet's OK button, which leaves it first)
// stores every control; the interval is at least 100.
TEST_F(TimerPage, ReadBackOnLeaving) {
    struct Row {
        const char* interval;
        const char* finish;
        const char* path;
        int size, restart, sound;
        UINT flash, warn, repeat;
        const char* expected;
    } rows[] = {
        {"50", "Tea", "C:\\a.wav", 2, 1, 1, 1, 1, 1,
         "slot 1, interval 100, finish Tea, font Times New Roman, path C:\\a.wav, size 2, flash 1, restart 1, "
         "sound 1, repeat 1, warn 1"},
        {"abc", "", "", 0, 0, 0, 0, 0, 0,
         "slot 1, interval 100, finish , font Times New Roman, path , size 0, flash 0, restart 0, sound 0, "
         "repeat 0, warn 0"},
        {"2500", "时间到", "C:\\声音", 1, 2, 2, 0, 1, 0,
         "slot 1, interval 2500, finish 时间到, font Times New Roman, path C:\\声音, size 1, flash 0, restart 2, "
         "sound 2, repeat 0, warn 1"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(openPage(nullptr, 1)) << row.interval;
        SetDlgItemTextA(page, IDC_TP_INTERVAL, row.interval);
        SetDlgItemTextA(page, IDC_TP_FINISHTEXT, row.finish);
        SetDlgItemTextA(page, IDC_TP_SOUNDPATH, row.path);
        SendDlgItemMessageA(page, IDC_TP_TEXTSIZE, CB_SETCURSEL, row.size, 0);
        SendDlgItemMessageA(page, IDC_TP_AUTORESTART, CB_SETCURSEL, row.restart, 0);
        SendDlgItemMessageA(page, IDC_TP_SOUNDTYPE, CB_SETCURSEL, row.sound, 0);
        CheckDlgButton(page, IDC_TP_FLASH, row.flash);
        CheckDlgButton(page, IDC_TP_WARNINGS, row.warn);
        CheckDlgButton(page, IDC_TP_REPEAT, row.repeat);
        std::string other = stored(0);
        press(PSBTN_OK);
        EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr) << row.interval << ": the sheet closed";
        EXPECT_EQ(stored(1), row.expected) << row.interval;
        EXPECT_EQ(stored(0), other) << row.interval << ": slot 0 untouched";
        closeSheet();
        inproc::close();
    }
}

// Some controls store at once: the sheet's Cancel undoes none of them, and
// stores nothing that waits for the page to be left.
TEST_F(TimerPage, ImmediateStoresOutliveCancel) {
    struct Row {
        const char* name;
        std::function<void(HWND)> act;
        std::function<uint32_t()> field;
        uint32_t before, after;
    } rows[] = {
        {"text size", [](HWND p) { choose(p, IDC_TP_TEXTSIZE, 2); }, [] { return record.textSizeMode[2]; }, 1, 2},
        {"sound type", [](HWND p) { choose(p, IDC_TP_SOUNDTYPE, 2); }, [] { return record.soundType[2]; }, 0, 2},
        {"repeat", [](HWND p) { click(p, IDC_TP_REPEAT); }, [] { return record.repeatSound[2]; }, 0, 1},
        {"flash waits", [](HWND p) { click(p, IDC_TP_FLASH); }, [] { return record.flashOnFinish[2]; }, 0, 0},
        {"warnings wait", [](HWND p) { click(p, IDC_TP_WARNINGS); }, [] { return record.warnings[2]; }, 0, 0},
        {"interval waits", [](HWND p) { SetDlgItemTextA(p, IDC_TP_INTERVAL, "3000"); },
         [] { return record.repeatIntervalMs[2]; }, 1500, 1500},
        {"restart waits", [](HWND p) { choose(p, IDC_TP_AUTORESTART, 2); }, [] { return record.autoRestart[2]; }, 0, 0},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(openPage([] {
            record.textSizeMode[2] = 1;
            record.soundType[2] = 0;
            record.repeatSound[2] = 0;
            record.flashOnFinish[2] = 0;
            record.warnings[2] = 0;
            record.autoRestart[2] = 0;
        }, 2)) << row.name;
        EXPECT_EQ(row.field(), row.before) << row.name << ", before";
        row.act(page);
        EXPECT_EQ(row.field(), row.after) << row.name << ", at once";
        press(PSBTN_CANCEL);
        EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr) << row.name << ": the sheet closed";
        EXPECT_EQ(row.field(), row.after) << row.name << ", after Cancel";
        closeSheet();
        inproc::close();
    }
}

// "测试" plays the path edit's text with the slot's type, a folder giving one
// of its files.
TEST_F(TimerPage, TestButtonPlaysThePathEdit) {
    std::string folder = driver::newTempFolder("tiptest");
    std::vector<std::string> files;
    for (int i = 0; i < 30; ++i) {
        files.push_back(folder + "s" + std::to_string(i) + ".wav");
        driver::writeFile(files.back(), {'R', 'I', 'F', 'F'});
    }
    std::string bare = folder.substr(0, folder.size() - 1);
    struct Row {
        uint32_t type;
        std::string path;
        std::function<bool(const std::string&)> played;
    } rows[] = {
        {0, "C:\\x.wav", [](const std::string& p) { return p == "C:\\x.wav"; }},
        {1, files[3], [&](const std::string& p) { return p == files[3]; }},
        {2, bare, [&](const std::string& p) {
             return p.rfind(folder, 0) == 0 && GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES &&
                    !(GetFileAttributesA(p.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
         }},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(openPage([&] {
            record.mute = 1;   // the routine is what is tested, not the speaker
            record.soundType[1] = row.type;
            std::strcpy(record.soundPath[1], "C:\\stored.wav");
        }, 1)) << row.path;
        // Focus leaving the slot list stores the page: have it leave before the edit.
        SetFocus(GetDlgItem(page, IDC_TP_TEST));
        SetDlgItemTextA(page, IDC_TP_SOUNDPATH, row.path.c_str());
        click(page, IDC_TP_TEST);
        std::string played = sound::state.currentSoundPath;
        EXPECT_TRUE(row.played(played)) << "type " << row.type << ", path " << row.path << ": played " << played;
        EXPECT_EQ(record.currentSoundType, row.type) << "type " << row.type;
        EXPECT_STREQ(record.soundPath[1], "C:\\stored.wav") << "type " << row.type << ": not stored by a test";
        closeSheet();
        inproc::close();
    }
    for (const auto& f : files) DeleteFileA(f.c_str());
    RemoveDirectoryA(folder.c_str());
}

// ---- The common dialogs, driven from a thread timer inside their own modal loop.

struct Chooser {
    HWND sheet = nullptr;
    std::function<void(HWND)> act;
    int ticks = 0;
    HWND dialog = nullptr;
    uint32_t soundChooserOpen = 0;
    std::string title, detail;
    std::function<std::string(HWND)> look;
} chooser;

BOOL CALLBACK findChooser(HWND window, LPARAM) {
    if (IsWindowVisible(window) && className(window) == "#32770" && GetWindow(window, GW_OWNER) == chooser.sheet) {
        chooser.dialog = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK driveChooser(HWND, UINT, UINT_PTR, DWORD) {
    chooser.dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findChooser, 0);
    if (!chooser.dialog) return;
    // The file chooser takes a moment to take commands.
    if (++chooser.ticks == 1) {
        chooser.title = driver::text(chooser.dialog);
        chooser.soundChooserOpen = sound::state.soundChooserOpen;
        if (chooser.look) chooser.detail = chooser.look(chooser.dialog);
    }
    if (chooser.ticks >= 3) chooser.act(chooser.dialog);
}

void cancel(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

std::string folderShown(HWND dialog) {
    char folder[MAX_PATH] = "";
    SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
    return folder;
}

BOOL CALLBACK findTree(HWND w, LPARAM found) {
    char cls[32];
    if (!GetClassNameA(w, cls, sizeof cls) || lstrcmpiA(cls, WC_TREEVIEWA) != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

HWND treeOf(HWND dialog) {
    HWND tree = nullptr;
    EnumChildWindows(dialog, findTree, reinterpret_cast<LPARAM>(&tree));
    return tree;
}

// The folder of a tree item. The chooser keeps each item's absolute item id
// list third in the record its lParam points to (the chooser runs in this
// process): paths, unlike the items' localised names, can be compared.
std::string itemPath(HWND tree, HTREEITEM at) {
    TVITEMA item{};
    item.mask = TVIF_PARAM;
    item.hItem = at;
    if (!at || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) || !item.lParam) return "";
    auto* data = reinterpret_cast<LPCITEMIDLIST*>(item.lParam);
    char path[MAX_PATH] = "";
    if (!data[2] || !SHGetPathFromIDListA(data[2], path)) return "";
    char full[MAX_PATH] = "";
    std::string folder = GetLongPathNameA(path, full, sizeof full) ? full : path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();   // a drive's "C:\"
    return folder;
}

std::string treeSelection(HWND dialog) {
    HWND tree = treeOf(dialog);
    return tree ? itemPath(tree, TreeView_GetSelection(tree)) : "";
}

// Walks the tree from its root to `path`, expanding each folder on the way,
// and selects it as a click does: Wine's chooser does not always keep a
// selection asked for by path. Items without a folder of their own (the
// computer) are looked into near the root.
bool selectInTree(HWND tree, HTREEITEM parent, const std::string& path, int depth) {
    for (HTREEITEM at = TreeView_GetChild(tree, parent); at; at = TreeView_GetNextSibling(tree, at)) {
        std::string here = itemPath(tree, at);
        if (lstrcmpiA(here.c_str(), path.c_str()) == 0) {
            TreeView_SelectItem(tree, at);
            return true;
        }
        bool above = !here.empty() && here.size() < path.size() && path[here.size()] == '\\' &&
                     CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, here.c_str(), -1, path.c_str(),
                                    static_cast<int>(here.size())) == CSTR_EQUAL;
        if (!above && !(here.empty() && depth < 2)) continue;
        TreeView_Expand(tree, at, TVE_EXPAND);
        if (selectInTree(tree, at, path, depth + 1)) return true;
    }
    return false;
}

void selectFolder(HWND dialog, const std::string& path) {
    HWND tree = treeOf(dialog);
    HTREEITEM root = tree ? TreeView_GetRoot(tree) : nullptr;
    if (!root) return;
    TreeView_Expand(tree, root, TVE_EXPAND);
    selectInTree(tree, root, path, 0);
}

std::string documentsFolder() {
    char folder[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PERSONAL, FALSE);
    return folder;
}

TEST_F(TimerPage, ChoosersOpenAndStoreOnlyWhatIsConfirmed) {
    std::string folder = driver::newTempFolder("tipchoose");
    std::string bare = folder.substr(0, folder.size() - 1);
    std::string wave = folder + "bell.wav";
    driver::writeFile(wave, {'R', 'I', 'F', 'F'});
    std::string other = driver::newTempFolder("tipother");
    std::string otherBare = other.substr(0, other.size() - 1);
    char longForm[MAX_PATH] = "";
    std::string otherLong = GetLongPathNameA(otherBare.c_str(), longForm, sizeof longForm) ? longForm : otherBare;
    int steadyTicks = 0;
    auto confirmColour = [](HWND d) {
        SetDlgItemInt(d, 706, 10, FALSE);   // red, green, blue
        SetDlgItemInt(d, 707, 20, FALSE);
        SetDlgItemInt(d, 708, 30, FALSE);
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    };
    struct Row {
        const char* name;
        int button;
        uint32_t soundType;
        std::string pathBefore;
        std::function<void(HWND)> act;
        std::function<std::string(HWND)> look;   // what the open chooser shows
        std::string title, detail;
        uint32_t chooserFlag;
        std::function<std::string()> result;   // what the page or record holds afterwards
        std::string expected;
    } rows[] = {
        {"font, cancelled", IDC_TP_FONTCHOOSE, 0, "", cancel, nullptr, "字体", "", 0,
         [this] { return std::string(record.fontName[0]) + " " + std::to_string(record.fontHeight[0]) + " " +
                         driver::itemText(page, IDC_TP_FONTNAME); },
         "Times New Roman 60 Times New Roman"},
        {"font, 36 points", IDC_TP_FONTCHOOSE, 0, "",
         [](HWND d) {
             SetDlgItemTextA(d, 1138, "36");   // the size box
             PostMessageA(d, WM_COMMAND, IDOK, 0);
         },
         nullptr, "字体", "", 0,
         [this] { return std::string(record.fontName[0]) + " " + std::to_string(record.fontHeight[0]) + " " +
                         driver::itemText(page, IDC_TP_FONTNAME); },
         "Times New Roman 47 Times New Roman"},
        {"text colour, cancelled", IDC_TP_TEXTCHOOSE, 0, "", cancel, nullptr, "颜色", "", 0,
         [this] { return hexColour(record.textColour[0]) + " " + hexColour(swatchPixel(page, 82)); },
         "4FFFFFF FFFFFF"},
        {"text colour, chosen", IDC_TP_TEXTCHOOSE, 0, "", confirmColour, nullptr, "颜色", "", 0,
         [this] { return hexColour(record.textColour[0]) + " " + hexColour(swatchPixel(page, 82)); },
         "1E140A 1E140A"},
        {"background colour, chosen", IDC_TP_BACKCHOOSE, 0, "", confirmColour, nullptr, "颜色", "", 0,
         [this] { return hexColour(record.backColour[0]) + " " + hexColour(swatchPixel(page, 109)); },
         "1E140A 1E140A"},
        {"audio file, cancelled, from no file", IDC_TP_SOUNDCHOOSE, 1, "C:\\nothing.wav", cancel,
         [](HWND d) { return folderShown(d) + " | " + listItems(GetDlgItem(d, 1136)); },   // the file types
         "Tiv 1.4", "", 1, [this] { return driver::itemText(page, IDC_TP_SOUNDPATH); }, "C:\\nothing.wav"},
        {"audio file, chosen", IDC_TP_SOUNDCHOOSE, 1, wave,
         [&](HWND d) {
             SetDlgItemTextA(d, 1148, wave.c_str());   // the file name box
             SetDlgItemTextA(d, 1152, wave.c_str());
             PostMessageA(d, WM_COMMAND, IDOK, 0);
         },
         [](HWND d) { return folderShown(d); }, "Tiv 1.4", bare, 1,
         [this] { return driver::itemText(page, IDC_TP_SOUNDPATH); }, wave},
        {"folder, cancelled", IDC_TP_SOUNDCHOOSE, 2, bare, cancel, nullptr, "", "", 1,
         [this] { return driver::itemText(page, IDC_TP_SOUNDPATH); }, bare},
        {"folder, chosen", IDC_TP_SOUNDCHOOSE, 2, bare,
         [&](HWND d) {
             // The chooser selects the start folder once its tree is filled, which under Wine may
             // come after the first tries and even after the tree showed the choice once: confirm
             // only when the tree has shown the choice on two ticks in a row (or give up).
             steadyTicks = lstrcmpiA(treeSelection(d).c_str(), otherLong.c_str()) == 0 ? steadyTicks + 1 : 0;
             if (steadyTicks >= 2 || chooser.ticks >= 25) PostMessageA(d, WM_COMMAND, IDOK, 0);
             else selectFolder(d, otherLong);
         },
         nullptr, "", "", 1, [this] { return driver::itemText(page, IDC_TP_SOUNDPATH); }, otherBare},
    };
    // The documents folder is where the file chooser starts without a file.
    rows[5].detail = documentsFolder() + " | 音频文件|All Files";
    for (auto& row : rows) {
        ASSERT_TRUE(openPage([&] {
            record.soundType[0] = row.soundType;
            std::strcpy(record.soundPath[0], row.pathBefore.c_str());
        })) << row.name;
        chooser = Chooser{};
        chooser.sheet = sheet;
        chooser.act = row.act;
        chooser.look = row.look;
        UINT_PTR timer = SetTimer(nullptr, 0, 400, driveChooser);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(row.button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, row.button)));
        KillTimer(nullptr, timer);
        EXPECT_GE(chooser.ticks, 3) << row.name << ": the chooser opened and was driven";
        if (!row.title.empty()) {
            EXPECT_NE(chooser.title.find(row.title), std::string::npos) << row.name << ": title " << chooser.title;
        }
        EXPECT_EQ(chooser.detail, row.detail) << row.name;
        EXPECT_EQ(chooser.soundChooserOpen, row.chooserFlag) << row.name << ": soundChooserOpen while open";
        EXPECT_EQ(sound::state.soundChooserOpen, 0u) << row.name << ": soundChooserOpen after";
        EXPECT_EQ(row.result(), row.expected) << row.name;
        closeSheet();
        inproc::close();
    }
    DeleteFileA(wave.c_str());
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(other.c_str());
}

}  // namespace
