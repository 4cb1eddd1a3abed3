#include <windows.h>
#include <shellapi.h>

#include "app/layout.h"
#include "app/state.h"
#include "app/window_win.h"
#include "base/text.h"
#include "countdown/engine.h"
#include "dialogs/about.h"
#include "dialogs/options_win.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/store.h"
#include "settings/words.h"
#include "sound/sound.h"

namespace app {

namespace {

uint32_t toggled(uint32_t flag) { return flag == 0 ? 1 : 0; }

bool allSlotsBusy() {
    for (const countdown::Slot& slot : countdown::state.slots)
        if (slot.runState == countdown::kIdle) return false;
    return true;
}

void openHelp() {
    char path[settings::kFolderSize];
    // A byte short of the buffer, as it always was: a 589-byte program folder
    // opens here as the folder, where the options page's 帮助 still opens the file.
    text::joinPath(path, sizeof path - 1, settings::store.programFolder, "ReadMe.htm");
    ShellExecuteA(mainWindow, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

void toggleTransparency() {
    settings::Record& r = settings::record;
    if (r.transparent == 0) {
        makeLayered(r.alpha);
        r.transparent = 1;
    } else {
        makeOpaque();
        r.transparent = 0;
    }
}

void toggleCustomTime() {
    countdown::state.customTimeOn = toggled(countdown::state.customTimeOn);
    BOOL enable = countdown::state.customTimeOn ? FALSE : TRUE;
    static const int kFields[] = {IDC_HOURS, IDC_MINUTES, IDC_SECONDS, IDC_DAYS};
    for (int id : kFields) EnableWindow(GetDlgItem(mainWindow, id), enable);
}

// Words-file entries: texts 2101-2299, sounds 2301-2399; a longer list is
// shown whole but only these ids act.
bool chooseWordsEntry(uint32_t id) {
    uint32_t slot = settings::slotIndex(countdown::state.shownTimer);
    settings::Record& r = settings::record;
    if (id >= CMD_TEXT_FIRST && id <= CMD_TEXT_LAST) {
        uint32_t k = id - CMD_TEXT_FIRST;
        if (k < words::textEntryCount) text::copyBounded(r.finishText[slot], words::textEntries[k].text, settings::kTextSize);
        return true;
    }
    if (id >= CMD_SOUND_FIRST && id <= CMD_SOUND_LAST) {
        uint32_t k = id - CMD_SOUND_FIRST;
        if (k < words::soundEntryCount) {
            text::copyBounded(r.soundPath[slot], words::soundEntries[k].path, settings::kTextSize);
            r.soundType[slot] = sound::kTypeFile;
        }
        return true;
    }
    return false;
}

void openOptions() {
    if (state.optionsOpen) return;
    dialogs::openOptionsSheet();
    // The sheet may have changed hideButtons.
    if (countdown::anyNotIdle()) applyControlVisibility();
}

void setTimerCount(uint32_t index) {
    settings::record.timerCountIndex = index;
    countdown::state.shownTimer = index;
    InvalidateRect(mainWindow, nullptr, TRUE);
    refreshStartStopCaption();
    countdown::reportProgress();
}

}  // namespace

void restoreDefaultSize() {
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    SetWindowPos(mainWindow, nullptr, 0, 0, defaultWidth(), defaultHeight(), SWP_NOMOVE | SWP_NOZORDER);
}

void dispatchCommand(WPARAM wParam) {
    settings::Record& r = settings::record;
    uint32_t id = LOWORD(wParam);
    switch (id) {
    case IDC_STARTSTOP: countdown::startStop(); break;
    case IDC_RESET: countdown::resetShown(); break;
    case IDC_SHOWHELP: openHelp(); break;
    case IDC_ABOUT: if (!state.aboutOpen) dialogs::showAbout(); break;
    case IDC_SIMPLE: restoreDefaultSize(); break;
    case IDC_OPTIONS: openOptions(); break;
    case CMD_HIDEBUTTONS:
        r.hideButtons = toggled(r.hideButtons);
        if (countdown::anyNotIdle()) applyControlVisibility();
        break;
    case CMD_TOPMOST:
        r.topmost = toggled(r.topmost);
        applyOnTop(r.topmost);
        break;
    case CMD_MUTE: r.mute = toggled(r.mute); break;
    case CMD_ENDSOUND: sound::stopMedia(); break;
    case CMD_TRANSPARENT: toggleTransparency(); break;
    case CMD_EXIT: DestroyWindow(mainWindow); break;
    case CMD_NOSECONDS: r.showSeconds = toggled(r.showSeconds); break;
    case CMD_CUSTOMTIME: toggleCustomTime(); break;
    case CMD_STARTALL: countdown::startAll(); break;
    case CMD_STOPALL: countdown::stopAll(); break;
    case CMD_DAYS_NONE:
    case CMD_DAYS_LARGE:
    case CMD_DAYS_ALWAYS:
        r.dayDisplay = id - CMD_DAYS_NONE;
        if (!allSlotsBusy()) InvalidateRect(mainWindow, nullptr, FALSE);
        break;
    case CMD_TIMERS_1:
    case CMD_TIMERS_2:
    case CMD_TIMERS_3:
    case CMD_TIMERS_4: setTimerCount(id - CMD_TIMERS_1); break;
    default: chooseWordsEntry(id); break;
    }
}

}  // namespace app
