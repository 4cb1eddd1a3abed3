#include "countdown/progress.h"

#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "countdown/shell.h"
#include "platform/platform.h"
#include "settings/record.h"

namespace countdown {

Progress progressOf(const Slot& slot, bool alarmPending, uint32_t now) {
    uint32_t code = slot.runState;
    // A count that ran out with neither flashing nor a repeated sound is idle
    // at once, its clock still at the start: until its finish window closes
    // it shows as an alarm too.
    bool ranOut = isAlarm(code) || (code == kIdle && alarmPending && slot.clockMark != 0);
    // A total of 0 is never handed on: a count of no length counts as 1 ms.
    uint32_t total = slot.runLengthMs != 0 ? slot.runLengthMs : 1;
    uint32_t done = isCounting(code) ? now - slot.clockMark : ranOut ? total : slot.clockMark;
    if (done > total) done = total;
    // Past its end and counting on, it stays an alarm until acknowledged.
    if (slot.overtime) return {kProgressError, total, total};
    if (isAlarmPhase(code) || ranOut) return {kProgressError, done, total};
    if (isCounting(code)) return {kProgressNormal, done, total};
    if (done == 0) return {kProgressNone, 0, 0};
    return {kProgressPaused, done, total};
}

static void keepAwake(bool counting) {
    if (counting == state.keepingAwake) return;
    state.keepingAwake = counting;
    platform::keepAwake(counting);
}

void reportProgress() {
    keepAwake(anyCounting());
    uint32_t slot = titleSlot();
    if (slot == kNoSlot) slot = settings::slotIndex(state.shownTimer);
    bool pending = state.sequenceState[slot] != kSequenceNone;
    Progress now = progressOf(state.slots[slot], pending, platform::tickCount());
    Progress& shown = state.progressShown;
    if (now.state == shown.state && now.done == shown.done && now.total == shown.total) return;
    shown = now;
    shell::showProgress(now.state, now.done, now.total);
}

void stopKeepingAwake() { keepAwake(false); }

}  // namespace countdown
