#include "dialogs/menu_win.h"

#include "app/state.h"
#include "countdown/engine.h"
#include "platform/platform.h"
#include "platform/window_win.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/words.h"
#include "sound/sound.h"

namespace dialogs {

namespace {

// Words-file texts are shown as written: "&" would otherwise underline the
// next character.
void appendLiteral(HMENU menu, UINT id, const char* caption) {
    char shown[2 * words::kTextBytes];
    size_t n = 0;
    for (const char* p = caption; *p && n + 2 < sizeof shown; ++p) {
        if (*p == '&') shown[n++] = '&';
        shown[n++] = *p;
    }
    shown[n] = '\0';
    AppendMenuA(menu, MF_STRING, id, shown);
}

void appendChecked(HMENU menu, UINT id, const char* caption, bool checked) {
    AppendMenuA(menu, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), id, caption);
}

HMENU choiceMenu(UINT firstId, const char* const* captions, uint32_t count, uint32_t chosen) {
    HMENU menu = CreatePopupMenu();
    for (uint32_t i = 0; i < count; ++i) appendChecked(menu, firstId + i, captions[i], i == chosen);
    return menu;
}

void appendSubmenu(HMENU parent, HMENU child, const char* caption) {
    AppendMenuA(parent, MF_POPUP, reinterpret_cast<UINT_PTR>(child), caption);
}

void appendWordLists(HMENU menu) {
    const settings::Record& r = settings::record;
    if (words::soundEntryCount > 0 && r.menuSound) {
        HMENU sounds = CreatePopupMenu();
        for (uint32_t i = 0; i < words::soundEntryCount; ++i)
            appendLiteral(sounds, CMD_SOUND_FIRST + i, words::soundEntries[i].name);
        appendSubmenu(menu, sounds, "声音");
    }
    if (words::textEntryCount > 0 && r.menuText) {
        HMENU texts = CreatePopupMenu();
        for (uint32_t i = 0; i < words::textEntryCount; ++i)
            appendLiteral(texts, CMD_TEXT_FIRST + i, words::textEntries[i].text);
        appendSubmenu(menu, texts, "文本");
    }
}

void appendControlBlock(HMENU menu) {
    const settings::Record& r = settings::record;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    if (r.timerCountIndex != 0) {
        AppendMenuA(menu, MF_STRING, CMD_STARTALL, "全部开始");
        AppendMenuA(menu, MF_STRING, CMD_STOPALL, "全部停止");
    }
    bool counting = countdown::isCounting(countdown::shownSlot().runState);
    AppendMenuA(menu, MF_STRING, IDC_STARTSTOP, counting ? "停止" : "开始");
    AppendMenuA(menu, MF_STRING, IDC_RESET, "重置");
    AppendMenuA(menu, MF_STRING, CMD_EXIT, "退出");
}

}  // namespace

HMENU buildContextMenu() {
    const settings::Record& r = settings::record;
    bool full = r.interfaceLevel > 5;
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    AppendMenuA(menu, MF_STRING, IDC_SHOWHELP, "帮助");
    AppendMenuA(menu, MF_STRING, IDC_ABOUT, "关于");
    if (r.menuTopmost) appendChecked(menu, CMD_TOPMOST, "最上面", r.topmost == 1);
    if (app::state.layeredSupported && r.menuTransparent) appendChecked(menu, CMD_TRANSPARENT, "透明", r.transparent == 1);
    if (full) {
        if (r.menuMute) appendChecked(menu, CMD_MUTE, "无声", r.mute == 1);
        if (r.menuHideButtons) appendChecked(menu, CMD_HIDEBUTTONS, "隐藏按钮", r.hideButtons == 1);
        if (r.menuSeconds) appendChecked(menu, CMD_NOSECONDS, "不显示秒数", r.showSeconds == 0);
        if (r.menuCustom) appendChecked(menu, CMD_CUSTOMTIME, "自定义", countdown::state.customTimeOn == 1);
        static const char* const kTimers[] = {"单个", "两个", "三个", "四个"};
        static const char* const kDays[] = {"不显示", "大天数", "总是"};
        if (r.menuTimers) appendSubmenu(menu, choiceMenu(CMD_TIMERS_1, kTimers, 4, r.timerCountIndex), "时间显示");
        if (r.menuDays) appendSubmenu(menu, choiceMenu(CMD_DAYS_NONE, kDays, 3, r.dayDisplay), "天数显示");
    }
    // A media sound that has played to its end is closed, not offered.
    sound::closeFinishedMedia();
    if (sound::state.mediaLoaded != 0) AppendMenuA(menu, MF_STRING, CMD_ENDSOUND, "结束声音");
    if (full) appendWordLists(menu);
    AppendMenuA(menu, MF_STRING, IDC_OPTIONS, "选项");
    bool controlBlock = platform::windowState == platform::kWindowTray || r.hideButtons != 0 || r.timerCountIndex != 0;
    if (controlBlock) appendControlBlock(menu);
    return menu;
}

void showContextMenu(LPARAM clickPoint) {
    app::selectByClick(static_cast<short>(LOWORD(clickPoint)), static_cast<short>(HIWORD(clickPoint)));
    HMENU menu = buildContextMenu();
    if (!menu) return;
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere.
    SetForegroundWindow(platform::mainWindow);
    TrackPopupMenuEx(menu, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, at.x, at.y, platform::mainWindow, nullptr);
    DestroyMenu(menu);   // and the submenus attached to it
}

}  // namespace dialogs
