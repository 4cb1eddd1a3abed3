#include "countdown/engine.h"

#include <cstring>

#include "base/text.h"
#include "countdown/alarm.h"
#include "countdown/announce.h"
#include "countdown/shell.h"
#include "platform/platform.h"
#include "platform/audio.h"
#include "resources/resource.h"
#include "settings/extras.h"
#include "settings/record.h"
#include "sound/sound.h"

namespace countdown {

State state;

Slot& shownSlot() { return state.slots[settings::slotIndex(state.shownTimer)]; }

static settings::Record& rec() { return settings::record; }
static bool showText(uint32_t slot, uint32_t width, const char* before);

static uint32_t lastTickedSlot() { return settings::timerCount(); }

bool anyNotIdle() {
    for (const Slot& slot : state.slots)
        if (slot.runState != kIdle) return true;
    return false;
}

bool anyCounting() {
    for (const Slot& slot : state.slots)
        if (isCounting(slot.runState)) return true;
    return false;
}

bool anyOvertime() {
    for (const Slot& slot : state.slots)
        if (slot.overtime) return true;
    return false;
}

// What the title, the tray's tip and the taskbar follow: a count, or time past an end.
static bool showsTime(const Slot& slot) { return isCounting(slot.runState) || slot.overtime != 0; }

void onWindowTimer(uint32_t id) {
    switch (id) {
    case TIMER_TICK:
        for (uint32_t s = 0; s <= lastTickedSlot(); ++s) tickSlot(s);
        break;
    case TIMER_REPEAT:
        if (!sound::state.soundChooserOpen) repeatStep(repeatSlot);
        break;
    case TIMER_STARTUP:
        platform::killWindowTimer(TIMER_STARTUP);
        loadFromFields(kAllSlots);
        shell::invalidate(false);
        if (isCounting(state.slots[0].runState)) {
            state.slots[0].runState = kIdle;
            platform::postCommand(IDC_STARTSTOP);
        }
        break;
    default:
        break;
    }
    reportProgress();
}

// The alarm phases of a restarted count belong to the repeat step, so only
// counting and the warning are advanced here.
static uint32_t warningStep(uint32_t code, uint32_t remaining) {
    if (remaining < kWarningLeadMs && code == kCounting) return kWarningStart;
    if (isWarning(code)) {
        if (beeps(code)) platform::beep();
        return code + 1;
    }
    return code;
}

static void complete(uint32_t slot, uint32_t& code) {
    settings::Record& r = rec();
    if (sound::state.mediaLoaded != 0) sound::stopMedia();
    code = (r.repeatSound[slot] || r.flashOnFinish[slot]) ? kAlarmStart : kIdle;
    if (r.autoRestart[slot] == 1 && state.slots[slot].runLengthMs > kMinRestartMs) {
        if (settings::timerCount() == 0) loadFromFields(slot);
        else reloadSlot(slot);
        flipClock(slot);
        code += kCounting;
    } else {
        text::formatDecimal(0, state.slots[slot].text);
        // A timer that restarts at its end never counts on, even when too short to restart.
        if (settings::extras.overtime[slot] == 1 && r.autoRestart[slot] != 1) {
            Slot& s = state.slots[slot];
            s.overtime = 1;
            s.overtimeMark = s.clockMark + s.runLengthMs;
            s.overtimeSeconds = s.overtimeMs = 0;
        }
    }
    // The text often reads 0 already; repaint anyway so the first flash shows now.
    state.displayDirty = 1;
    state.slots[slot].runState = code;
    countEnded(slot);
    startAlarmSequence(slot);
}

static void tickOvertime(uint32_t slot) {
    Slot& s = state.slots[slot];
    uint32_t now = platform::tickCount();
    s.overtimeMs += now - s.overtimeMark;
    s.overtimeMark = now;
    s.overtimeSeconds += s.overtimeMs / 1000;
    s.overtimeMs %= 1000;
    char before[kTextBytes];
    text::copyBounded(before, s.text, sizeof before);
    if (showText(slot, formatOvertime(s.overtimeSeconds, s.overtimeMs, s.text), before))
        overtimeTicked(slot, s.overtimeSeconds);
}

void tickSlot(uint32_t slot) {
    uint32_t code = state.slots[slot].runState;
    uint32_t elapsed = platform::tickCount() - state.slots[slot].clockMark;
    if (!isCounting(code)) {
        if (!state.slots[slot].overtime) return;
        tickOvertime(slot);
    } else if (elapsed > state.slots[slot].runLengthMs) {
        // complete() has stored the code before the alarm began; storing it
        // again could undo what the alarm has done since.
        complete(slot, code);
    } else {
        uint32_t remaining = state.slots[slot].runLengthMs - elapsed;
        if (setSlotText(slot, remaining)) textTicked(slot, remaining);
        if (rec().warnings[slot]) code = warningStep(code, remaining);
        shell::rebuildSystemMenu();
        state.slots[slot].runState = code;
    }
    if (state.displayDirty) shell::invalidate(false);
    updateTickTimer();
}

uint32_t normaliseFields() {
    settings::Record& r = rec();
    uint32_t total = settings::normaliseTime(r);
    platform::writeTimeField(IDC_DAYS, r.days);
    platform::writeTimeField(IDC_HOURS, r.hours);
    platform::writeTimeField(IDC_MINUTES, r.minutes);
    platform::writeTimeField(IDC_SECONDS, r.seconds);
    return total;
}

void loadFromFields(uint32_t target) {
    settings::Record& r = rec();
    if (target == kAllSlots) {
        for (uint32_t s = 0; s < 4; ++s) reloadSlot(s);
        return;
    }
    if (state.customTimeOn) {
        r.minutes = sound::randomPick(r.customMaxMinutes) + r.customBaseMinutes;
        r.days = r.hours = r.seconds = 0;
    } else {
        r.seconds = platform::readTimeField(IDC_SECONDS);
        r.minutes = platform::readTimeField(IDC_MINUTES);
        r.hours = platform::readTimeField(IDC_HOURS);
        r.days = platform::readTimeField(IDC_DAYS);
    }
    uint32_t total = normaliseFields();
    if (target >= 4) return;
    r.durationMs[target] = total;
    state.slots[target].runLengthMs = total;
    setSlotText(target, total);
    state.slots[target].clockMark = 0;
}

void reloadSlot(uint32_t slot) {
    // A file may hold any length; only one that can end is counted.
    uint32_t length = rec().durationMs[slot];
    if (length > settings::kMaxTotalMs) length = settings::kMaxTotalMs;
    state.slots[slot].runLengthMs = length;
    setSlotText(slot, length);
    state.slots[slot].clockMark = 0;
}

void flipClock(uint32_t slot) {
    state.slots[slot].clockMark = platform::tickCount() - state.slots[slot].clockMark;
}

void updateTickTimer() {
    bool counting = anyCounting() || anyOvertime();
    if (!counting && state.tickTimerOn) {
        platform::killWindowTimer(TIMER_TICK);
        state.tickTimerOn = 0;
    } else if (counting && !state.tickTimerOn) {
        platform::setWindowTimer(TIMER_TICK, kTickMs);
        state.tickTimerOn = 1;
    }
    shell::refreshStartStopCaption();
}

static void appendNumber(char* text, uint32_t value) {
    char digits[12];
    text::formatDecimal(static_cast<int32_t>(value), digits);
    text::append(text, digits);
}

// Whole seconds as the display writes them; returns the width.
static uint32_t formatSeconds(uint32_t s, bool overTwoDays, char* text) {
    settings::Record& r = rec();
    text[0] = '\0';
    uint32_t width = 0;
    if (r.dayDisplay == 2 || (r.dayDisplay == 1 && overTwoDays)) {
        uint32_t d = s / 86400;
        if (d != 0) {
            if (d > 9) ++width;
            appendNumber(text, d);
            ++width;
        }
        s -= d * 86400;
    }
    uint32_t h = s / 3600;
    if (h != 0 || width != 0) {
        if (width != 0) text::append(text, h < 10 ? ":0" : ":");
        if (h > 9) ++width;
        appendNumber(text, h);
        ++width;
    }
    s -= h * 3600;
    uint32_t m = s / 60;
    if (m != 0 || width != 0) {
        if (width != 0) text::append(text, ":");
        if (m < 10) text::append(text, "0");
        appendNumber(text, m);
        ++width;
    }
    s -= m * 60;
    if (r.showSeconds || width == 0) {
        if (width != 0) text::append(text, s < 10 ? ":0" : ":");
        appendNumber(text, s);
        ++width;
    }
    return width;
}

uint32_t formatRemaining(uint32_t ms, char* text) {
    char previous[kTextBytes];
    text::copyBounded(previous, text, sizeof previous);
    uint32_t width = formatSeconds(ms / 1000, ms > 172800000u, text);
    if (std::strcmp(previous, text) != 0) state.displayDirty = 1;
    return width;
}

uint32_t formatOvertime(uint32_t seconds, uint32_t ms, char* text) {
    char previous[kTextBytes];
    text::copyBounded(previous, text, sizeof previous);
    uint32_t width = 1;
    if (seconds == 0) {
        text::formatDecimal(0, text);
    } else {
        text[0] = '-';
        width = formatSeconds(seconds, seconds > 172800u || (seconds == 172800u && ms != 0), text + 1);
    }
    if (std::strcmp(previous, text) != 0) state.displayDirty = 1;
    return width;
}

// Stores the slot's new text and width; the minimised window's title follows
// the slot it shows. True when the text changed.
static bool showText(uint32_t slot, uint32_t width, const char* before) {
    state.slots[slot].textWidth = width;
    if (platform::windowState == platform::kWindowMinimised && titleSlot() == slot)
        platform::setTitle(state.slots[slot].text);
    return std::strcmp(before, state.slots[slot].text) != 0;
}

bool setSlotText(uint32_t slot, uint32_t ms) {
    char before[kTextBytes];
    text::copyBounded(before, state.slots[slot].text, sizeof before);
    return showText(slot, formatRemaining(ms, state.slots[slot].text), before);
}

uint32_t titleSlot() {
    uint32_t shown = settings::slotIndex(state.shownTimer);
    if (showsTime(state.slots[shown])) return shown;
    for (uint32_t s = 0; s <= settings::timerCount(); ++s)
        if (showsTime(state.slots[s])) return s;
    return kNoSlot;
}

static void acknowledge(uint32_t slot) {
    settings::Record& r = rec();
    // Time past the end is acknowledged like the alarm, which may have ended already.
    if (isAlarm(state.slots[slot].runState)) updateRepeatTimer(kNoSlot);
    bool wasOvertime = state.slots[slot].overtime != 0;
    state.slots[slot].overtime = 0;
    state.slots[slot].runState = kIdle;
    if (wasOvertime) updateTickTimer();
    shell::refreshStartStopCaption();
    if ((r.showFinishWindow || r.autoRestart[slot] != 0) && sound::state.mediaLoaded != 0)
        platform::closeMediaWindow();
    shell::applyControlVisibility();
    loadFromFields(slot);
    shell::invalidate(false);
}

static void start(uint32_t slot) {
    state.slots[slot].runState = kCounting;
    if (sound::state.mediaLoaded != 0) platform::closeMediaWindow();
    shell::applyControlVisibility();
    if (rec().autoReset) {
        loadFromFields(slot);
        shell::invalidate(false);
    }
    flipClock(slot);
    shell::refreshStartStopCaption();
    updateTickTimer();
    if (rec().minimizeOnStart) platform::minimizeWindow();
}

static void pause(uint32_t slot) {
    flipClock(slot);
    state.slots[slot].runState = kIdle;
    updateTickTimer();
    shell::applyControlVisibility();
    if (sound::state.mediaLoaded != 0) sound::stopMedia();
    shell::refreshStartStopCaption();
}

void startStop() {
    uint32_t slot = settings::slotIndex(state.shownTimer);
    uint32_t code = state.slots[slot].runState;
    if (isAlarm(code) || state.slots[slot].overtime) acknowledge(slot);
    else if (code == kIdle) start(slot);
    else pause(slot);
    shell::rebuildSystemMenu();
    reportProgress();
}

void resetShown() {
    uint32_t slot = settings::slotIndex(state.shownTimer);
    bool wasOvertime = state.slots[slot].overtime != 0;
    state.slots[slot].overtime = 0;
    loadFromFields(slot);
    if (isCounting(state.slots[slot].runState)) state.slots[slot].clockMark = platform::tickCount();
    if (wasOvertime) updateTickTimer();
    shell::invalidate(false);
    reportProgress();
}

static void afterBulkChange() {
    updateTickTimer();
    if (repeatSlot != kNoSlot) updateRepeatTimer(kNoSlot);
    shell::refreshStartStopCaption();
    shell::applyControlVisibility();
    reportProgress();
}

void startAll() {
    for (uint32_t s = 0; s <= settings::timerCount(); ++s) {
        // Time past an end waits to be acknowledged, as an alarm does.
        if (state.slots[s].runState == kIdle && !state.slots[s].overtime) {
            flipClock(s);
            state.slots[s].runState = kCounting;
        }
    }
    afterBulkChange();
}

void stopAll() {
    for (uint32_t s = 0; s < 4; ++s) {
        if (state.slots[s].runState != kIdle) {
            state.slots[s].runState = kIdle;
            flipClock(s);
        }
        // Stopped past its end, a timer waits at its full length.
        if (state.slots[s].overtime) {
            state.slots[s].overtime = 0;
            reloadSlot(s);
        }
    }
    afterBulkChange();
}

}  // namespace countdown
