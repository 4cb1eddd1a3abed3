// The options sheet's first page (template 1028): one timer slot's looks and
// alarm, with the program's font, colour and sound choosers.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstdint>
#include <iterator>

#include "base/files.h"
#include "countdown/engine.h"
#include "countdown/shell.h"
#include "dialogs/options_win.h"
#include "dialogs/timer_page.h"
#include "display/geometry.h"
#include "platform/platform.h"
#include "platform/window_win.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/store.h"
#include "sound/sound.h"

namespace dialogs {

namespace {

using settings::kTextSize;
using settings::record;

// The swatches beside "文本颜色" and "背景颜色", in client pixels for the
// page's design font (宋体 9 pt at 96 dpi, dialog base units 6 x 12).
constexpr RECT kTextSwatch{100, 72, 300, 92};
constexpr RECT kBackSwatch{100, 99, 300, 119};
constexpr RECT kBothSwatches{100, 72, 300, 119};
constexpr int kDesignBaseX = 6;
constexpr int kDesignBaseY = 12;

constexpr char kAudioFilter[] = "音频文件\0*.mid;*.wav;*.mp3;*.rmi;*.aif;*.au;*.snd\0All Files\0*.*\0";
constexpr char kFolderTitle[] = "Choose Directory:";

const platform::Tip kTips[] = {
    {IDC_TP_SLOT, "选择你想更改的查看方式"},
    {IDC_TP_FONTCHOOSE, "选择倒计时显示字体(大小设为一定比例,除非'文本大小'方式已设置为'使用字体大小')"},
    {IDC_TP_TEXTCHOOSE, "选择倒计时显示的文本颜色"},
    {IDC_TP_BACKCHOOSE, "选择倒计时显示的背景颜色"},
    {IDC_TP_TEXTSIZE, "文本大小比例方式"},
    {IDC_TP_SOUNDTYPE, "Select what Tiv will use to notify you of the count down completing"},
    {IDC_TP_SOUNDCHOOSE, "更改警报通知的音频文件"},
    {IDC_TP_SOUNDPATH, "作为警告通知的被播放音频文件"},
    {IDC_TP_REPEAT, "重复全部警报声音"},
    {IDC_TP_INTERVAL, "重复声音提醒间隔为多少毫秒(这也是闪光时间间隔)"},
    {IDC_TP_TEST, "测试警告通知声音"},
    {IDC_TP_WARNINGS, "计时结束前安排三次警告声音"},
    {IDC_TP_FINISHTEXT, "当计时结束时显示文本"},
    {IDC_TP_AUTORESTART, "自动警报通知循环选项"},
    {IDC_TP_FLASH, "当倒计时结束时闪烁倒计时屏幕"},
};

const char* const kRestartItems[] = {"关", "在计时结束", "当点击按钮时"};
const char* const kTextSizeItems[] = {"自动比例", "无大字体秒数", "使用字体大小"};
const char* const kSoundItems[] = {"系统声音", "音频文件", "文件夹内任意文件"};
const char* const kSlotItems[] = {"一", "二", "三", "四"};

uint32_t pageSlot() { return settings::slotIndex(record.timerPageSlot); }

template <size_t N>
void fillList(HWND page, int id, const char* const (&items)[N]) {
    for (size_t i = 0; i < N; ++i)
        SendDlgItemMessageA(page, id, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(items[i]));
}

int32_t selection(HWND page, int id) {
    return static_cast<int32_t>(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
}

void select(HWND page, int id, uint32_t index) { SendDlgItemMessageA(page, id, CB_SETCURSEL, index, 0); }

void check(HWND page, int id, uint32_t on) { CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }

bool checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

// Record texts need not end inside their field.
void showField(HWND page, int id, const char* field) {
    char text[kTextSize];
    settings::copyField(text, field);
    SetDlgItemTextA(page, id, text);
}

void applyEnableRule(HWND page) {
    TimerPageEnables on = timerPageEnables(record, pageSlot(), settings::store.finishTextOverridden);
    EnableWindow(GetDlgItem(page, IDC_TP_SOUNDPATH), on.soundPath);
    EnableWindow(GetDlgItem(page, IDC_TP_SOUNDCHOOSE), on.soundPath);
    EnableWindow(GetDlgItem(page, IDC_TP_INTERVAL), on.interval);
    EnableWindow(GetDlgItem(page, IDC_TP_FINISHTEXT), on.finishText);
}

void fill(HWND page) {
    uint32_t s = pageSlot();
    SetDlgItemInt(page, IDC_TP_INTERVAL, record.repeatIntervalMs[s], FALSE);
    showField(page, IDC_TP_FINISHTEXT, record.finishText[s]);
    showField(page, IDC_TP_FONTNAME, record.fontName[s]);
    showField(page, IDC_TP_SOUNDPATH, record.soundPath[s]);
    select(page, IDC_TP_TEXTSIZE, record.textSizeMode[s]);
    check(page, IDC_TP_FLASH, record.flashOnFinish[s]);
    select(page, IDC_TP_AUTORESTART, record.autoRestart[s]);
    select(page, IDC_TP_SOUNDTYPE, record.soundType[s]);
    check(page, IDC_TP_REPEAT, record.repeatSound[s]);
    check(page, IDC_TP_WARNINGS, record.warnings[s]);
    applyEnableRule(page);
}

void readBack(HWND page) {
    char finishText[kTextSize], soundPath[kTextSize], interval[32];
    GetDlgItemTextA(page, IDC_TP_FINISHTEXT, finishText, sizeof finishText);
    GetDlgItemTextA(page, IDC_TP_SOUNDPATH, soundPath, sizeof soundPath);
    GetDlgItemTextA(page, IDC_TP_INTERVAL, interval, sizeof interval);
    TimerPageReading in{selection(page, IDC_TP_TEXTSIZE), selection(page, IDC_TP_AUTORESTART),
                        selection(page, IDC_TP_SOUNDTYPE), checked(page, IDC_TP_FLASH),
                        checked(page, IDC_TP_WARNINGS),   checked(page, IDC_TP_REPEAT),
                        finishText,                       soundPath,
                        interval};
    readBackTimerPage(record, pageSlot(), in);
}

// Another font or dpi moves the rows; the swatches move with them. With the
// design font this is the rectangle unchanged.
RECT swatchArea(HWND page, const RECT& design) {
    RECT base{0, 0, 4, 8};
    MapDialogRect(page, &base);
    return {MulDiv(design.left, base.right, kDesignBaseX), MulDiv(design.top, base.bottom, kDesignBaseY),
            MulDiv(design.right, base.right, kDesignBaseX), MulDiv(design.bottom, base.bottom, kDesignBaseY)};
}

// The swatches lie partly under controls, which must be drawn over them again.
void repaintSwatches(HWND page) {
    RECT both = swatchArea(page, kBothSwatches);
    RedrawWindow(page, &both, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void paintSwatches(HWND page) {
    uint32_t s = pageSlot();
    RECT upper = swatchArea(page, kTextSwatch), lower = swatchArea(page, kBackSwatch);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(page, &ps);
    HBRUSH text = CreateSolidBrush(display::drawColour(record.textColour[s]));
    HBRUSH back = CreateSolidBrush(display::drawColour(record.backColour[s]));
    FillRect(dc, &upper, text);
    FillRect(dc, &lower, back);
    DeleteObject(text);
    DeleteObject(back);
    EndPaint(page, &ps);
}

// ---- The choosers: each writes its result back only when the user confirms.

bool chooseFont(HWND owner, char* face, uint32_t& height) {
    LOGFONTA font{};
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    font.lfHeight = static_cast<LONG>(height);
    CHOOSEFONTA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.lpLogFont = &font;
    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFontA(&choose)) return false;
    settings::copyField(face, font.lfFaceName);
    height = storedFontHeight(font.lfHeight);
    return true;
}

bool chooseColour(HWND owner, uint32_t& colour) {
    static_assert(sizeof(COLORREF) == sizeof record.customColours[0], "custom colours are COLORREFs");
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.rgbResult = display::drawColour(colour);
    choose.lpCustColors = reinterpret_cast<COLORREF*>(record.customColours);
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&choose)) return false;
    colour = choose.rgbResult;
    return true;
}

// path: kTextSize bytes.
bool chooseAudioFile(HWND owner, char* path) {
    char file[kTextSize];
    char documents[MAX_PATH] = "";
    lstrcpynA(file, path, sizeof file);
    // A path naming no file starts the chooser in the documents folder.
    if (!files::canOpen(file, files::Sharing::ReadWrite)) {
        SHGetSpecialFolderPathA(owner, documents, CSIDL_PERSONAL, FALSE);
        file[0] = '\0';
    }
    OPENFILENAMEA open{};
    open.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    open.hwndOwner = owner;
    open.lpstrFilter = kAudioFilter;
    open.nFilterIndex = 1;
    open.lpstrFile = file;
    open.nMaxFile = sizeof file;
    open.lpstrInitialDir = documents[0] ? documents : nullptr;
    open.lpstrTitle = TIV_NAME_VERSION;
    open.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&open)) return false;
    lstrcpynA(path, file, kTextSize);
    return true;
}

// Opens the folder chooser at the folder the path edit names.
int CALLBACK folderChooserStarted(HWND chooser, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start) SendMessageA(chooser, BFFM_SETSELECTIONA, TRUE, start);
    return 0;
}

// path: kTextSize bytes.
bool chooseFolder(HWND owner, char* path) {
    char displayName[MAX_PATH];
    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = kFolderTitle;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX;
    browse.lpfn = folderChooserStarted;
    browse.lParam = path[0] ? reinterpret_cast<LPARAM>(path) : 0;
    LPITEMIDLIST folder = SHBrowseForFolderA(&browse);
    if (!folder) return false;
    char chosen[MAX_PATH];
    bool named = SHGetPathFromIDListA(folder, chosen) != FALSE;
    CoTaskMemFree(folder);
    if (named) lstrcpynA(path, chosen, kTextSize);
    return named;
}

// ---- Commands

void changeSlot(HWND page) {
    readBack(page);
    int32_t chosen = selection(page, IDC_TP_SLOT);
    if (chosen != kNoSelection) record.timerPageSlot = static_cast<uint32_t>(chosen);
    fill(page);
    repaintSwatches(page);
}

// Only the face and the swatches are refreshed, so edits not yet read back stay.
void onFontChosen(HWND page) {
    showField(page, IDC_TP_FONTNAME, record.fontName[pageSlot()]);
    shell::invalidate(false);
}

void chooseSlotColour(HWND page, uint32_t& colour) {
    if (!chooseColour(page, colour)) return;
    shell::invalidate(false);
    repaintSwatches(page);
}

void storeSelection(HWND page, int id, uint32_t& field) {
    int32_t chosen = selection(page, id);
    if (chosen != kNoSelection) field = static_cast<uint32_t>(chosen);
}

void chooseSound(HWND page) {
    // The alarm's repeat steps wait while the chooser is open.
    sound::state.soundChooserOpen = 1;
    char path[kTextSize];
    GetDlgItemTextA(page, IDC_TP_SOUNDPATH, path, sizeof path);
    bool file = selection(page, IDC_TP_SOUNDTYPE) == static_cast<int32_t>(sound::kTypeFile);
    if (file ? chooseAudioFile(page, path) : chooseFolder(page, path)) SetDlgItemTextA(page, IDC_TP_SOUNDPATH, path);
    sound::state.soundChooserOpen = 0;
}

void testSound(HWND page) {
    char path[kTextSize];
    GetDlgItemTextA(page, IDC_TP_SOUNDPATH, path, sizeof path);
    testTimerSound(pageSlot(), path);
}

// The notification code is not looked at: whatever a list or box reports,
// the record takes its present state.
bool onCommand(HWND page, int id) {
    uint32_t s = pageSlot();
    switch (id) {
    case IDC_TP_SLOT: changeSlot(page); return true;
    case IDC_TP_FONTCHOOSE:
        if (chooseFont(page, record.fontName[s], record.fontHeight[s])) onFontChosen(page);
        return true;
    case IDC_TP_TEXTCHOOSE: chooseSlotColour(page, record.textColour[s]); return true;
    case IDC_TP_BACKCHOOSE: chooseSlotColour(page, record.backColour[s]); return true;
    case IDC_TP_TEXTSIZE:
        storeSelection(page, IDC_TP_TEXTSIZE, record.textSizeMode[s]);
        shell::invalidate(false);
        return true;
    case IDC_TP_SOUNDTYPE:
        storeSelection(page, IDC_TP_SOUNDTYPE, record.soundType[s]);
        applyEnableRule(page);
        return true;
    case IDC_TP_REPEAT:
        record.repeatSound[s] = checked(page, IDC_TP_REPEAT);
        applyEnableRule(page);
        return true;
    case IDC_TP_SOUNDCHOOSE: chooseSound(page); return true;
    case IDC_TP_TEST: testSound(page); return true;
    default: return false;
    }
}

void onInit(HWND page) {
    fillList(page, IDC_TP_AUTORESTART, kRestartItems);
    fillList(page, IDC_TP_TEXTSIZE, kTextSizeItems);
    fillList(page, IDC_TP_SOUNDTYPE, kSoundItems);
    fillList(page, IDC_TP_SLOT, kSlotItems);
    SendDlgItemMessageA(page, IDC_TP_INTERVAL_SPIN, UDM_SETRANGE32, 0, 32767);
    SendDlgItemMessageA(page, IDC_TP_SOUNDPATH, EM_SETLIMITTEXT, kTextSize - 1, 0);
    SendDlgItemMessageA(page, IDC_TP_FINISHTEXT, EM_SETLIMITTEXT, kTextSize - 1, 0);
    platform::addTooltips(page, kTips, std::size(kTips));
    record.timerPageSlot = settings::slotIndex(countdown::state.shownTimer);
    select(page, IDC_TP_SLOT, record.timerPageSlot);
    fill(page);
}

void onNotify(HWND page, const NMHDR& header) {
    if (header.code == static_cast<UINT>(PSN_SETACTIVE)) fill(page);
    else if (header.code == static_cast<UINT>(PSN_KILLACTIVE)) readBack(page);
    // 0 lets the page be left, and lets the spin and tooltips go their own way.
    SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
}

}  // namespace

INT_PTR CALLBACK timerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: onInit(page); return TRUE;
    case WM_COMMAND: return onCommand(page, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_PAINT: paintSwatches(page); return TRUE;
    case WM_NOTIFY:
        if (!notifiedHere(lParam)) return FALSE;
        onNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
        return TRUE;
    case WM_DESTROY: platform::removeTooltips(page, kTips, std::size(kTips)); return FALSE;
    default: return FALSE;
    }
}

}  // namespace dialogs
