#include "countdown/engine.h"

#include <cstring>

#include "countdown/alarm.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/text.h"
#include "sound/sound.h"

namespace countdown {

std::atomic<uint32_t> runState[4];
std::atomic<uint32_t> runLengthMs[4];
std::atomic<uint32_t> clockMark[4];
char slotText[4][kTextBytes];
std::atomic<uint32_t> textWidth[4];
std::atomic<uint32_t> displayDirty;
std::atomic<uint32_t> tickTimerOn;
std::atomic<uint32_t> shownTimer;
std::atomic<uint32_t> customTimeOn;

static settings::Record& rec() { return settings::record; }

static uint32_t lastTickedSlot() { return settings::timerCount(); }

bool anyNotIdle() {
    for (auto& code : runState)
        if (code != kIdle) return true;
    return false;
}

static bool anyCounting() {
    for (auto& code : runState)
        if (isCounting(code)) return true;
    return false;
}

void resetAll() {
    for (uint32_t s = 0; s < 4; ++s) {
        runState[s] = 0;
        runLengthMs[s] = 0;
        clockMark[s] = 0;
        slotText[s][0] = '\0';
        textWidth[s] = 0;
    }
    displayDirty = 0;
    tickTimerOn = 0;
}

void onWindowTimer(uint32_t id) {
    switch (id) {
    case TIMER_TICK:
        for (uint32_t s = 0; s <= lastTickedSlot(); ++s) tickSlot(s);
        break;
    case TIMER_REPEAT:
        if (!sound::soundChooserOpen) repeatStep(repeatSlot);
        break;
    case TIMER_STARTUP:
        platform::killWindowTimer(TIMER_STARTUP);
        loadFromFields(kAllSlots);
        platform::invalidate(false);
        if (isCounting(runState[0])) {
            runState[0] = kIdle;
            platform::postCommand(IDC_STARTSTOP);
        }
        break;
    default:
        break;
    }
}

// Codes 11-16 belong to the alarm's repeat step, so only the warning
// phase proper (10 and 17 up) is advanced here.
static uint32_t warningStep(uint32_t code, uint32_t remaining) {
    if (remaining < kWarningLeadMs && code == kCounting) return kWarningStart;
    if (code >= kWarningStart) {
        if (code == 17 || code == 19 || code == 21) platform::beep();
        return code + 1;
    }
    return code;
}

static void complete(uint32_t slot, uint32_t& code) {
    settings::Record& r = rec();
    if (sound::mediaLoaded != 0) sound::stopMedia();
    code = (r.repeatSound[slot] || r.flashOnFinish[slot]) ? 1 : 0;
    if (r.autoRestart[slot] == 1 && runLengthMs[slot] > kMinRestartMs) {
        if (settings::timerCount() == 0) loadFromFields(slot);
        else reloadSlot(slot);
        flipClock(slot);
        code += kCounting;
    } else {
        text::formatDecimal(0, slotText[slot]);
    }
    // The text often reads 0 already; repaint anyway so the first flash shows now.
    displayDirty = 1;
    runState[slot] = code;
    startAlarmSequence(slot);
}

void tickSlot(uint32_t slot) {
    uint32_t code = runState[slot];
    if (!isCounting(code)) return;
    uint32_t elapsed = platform::tickCount() - clockMark[slot];
    if (elapsed > runLengthMs[slot]) {
        // complete() has stored the code before the alarm began; storing it
        // again could undo what the alarm has done since.
        complete(slot, code);
    } else {
        uint32_t remaining = runLengthMs[slot] - elapsed;
        setSlotText(slot, remaining);
        if (rec().warnings[slot]) code = warningStep(code, remaining);
        platform::rebuildSystemMenu();
        runState[slot] = code;
    }
    if (displayDirty) platform::invalidate(false);
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
    if (customTimeOn) {
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
    runLengthMs[target] = total;
    setSlotText(target, total);
    clockMark[target] = 0;
}

void reloadSlot(uint32_t slot) {
    // A file may hold any length; only one that can end is counted.
    uint32_t length = rec().durationMs[slot];
    if (length > settings::kMaxTotalMs) length = settings::kMaxTotalMs;
    runLengthMs[slot] = length;
    setSlotText(slot, length);
    clockMark[slot] = 0;
}

void flipClock(uint32_t slot) {
    clockMark[slot] = platform::tickCount() - clockMark[slot];
}

void updateTickTimer() {
    bool counting = anyCounting();
    if (!counting && tickTimerOn) {
        platform::killWindowTimer(TIMER_TICK);
        tickTimerOn = 0;
    } else if (counting && !tickTimerOn) {
        platform::setWindowTimer(TIMER_TICK, kTickMs);
        tickTimerOn = 1;
    }
    platform::refreshStartStopCaption();
}

static void appendNumber(char* text, uint32_t value) {
    char digits[12];
    text::formatDecimal(static_cast<int32_t>(value), digits);
    text::append(text, digits);
}

uint32_t formatRemaining(uint32_t ms, char* text) {
    settings::Record& r = rec();
    char previous[kTextBytes];
    text::copyBounded(previous, text, sizeof previous);
    text[0] = '\0';
    uint32_t width = 0;
    uint32_t s = ms / 1000;
    if (r.dayDisplay == 2 || (r.dayDisplay == 1 && ms > 172800000u)) {
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
    if (std::strcmp(previous, text) != 0) displayDirty = 1;
    return width;
}

void setSlotText(uint32_t slot, uint32_t ms) {
    textWidth[slot] = formatRemaining(ms, slotText[slot]);
    if (platform::windowState == platform::kWindowMinimised && titleSlot() == slot)
        platform::setTitle(slotText[slot]);
}

uint32_t titleSlot() {
    uint32_t shown = settings::slotIndex(shownTimer);
    if (isCounting(runState[shown])) return shown;
    for (uint32_t s = 0; s <= settings::timerCount(); ++s)
        if (isCounting(runState[s])) return s;
    return kNoSlot;
}

static void acknowledge(uint32_t slot) {
    settings::Record& r = rec();
    runState[slot] = kIdle;
    updateRepeatTimer(kNoSlot);
    platform::refreshStartStopCaption();
    if ((r.showFinishWindow || r.autoRestart[slot] != 0) && sound::mediaLoaded != 0)
        platform::closeMediaWindow();
    platform::applyControlVisibility();
    loadFromFields(slot);
    platform::invalidate(false);
}

static void start(uint32_t slot) {
    runState[slot] = kCounting;
    if (sound::mediaLoaded != 0) platform::closeMediaWindow();
    platform::applyControlVisibility();
    if (rec().autoReset) {
        loadFromFields(slot);
        platform::invalidate(false);
    }
    flipClock(slot);
    platform::refreshStartStopCaption();
    updateTickTimer();
    if (rec().minimizeOnStart) platform::minimizeWindow();
}

static void pause(uint32_t slot) {
    flipClock(slot);
    runState[slot] = kIdle;
    updateTickTimer();
    platform::applyControlVisibility();
    if (sound::mediaLoaded != 0) sound::stopMedia();
    platform::refreshStartStopCaption();
}

void startStop() {
    uint32_t slot = settings::slotIndex(shownTimer);
    uint32_t code = runState[slot];
    if (isAlarm(code)) acknowledge(slot);
    else if (code == kIdle) start(slot);
    else pause(slot);
    platform::rebuildSystemMenu();
}

void resetShown() {
    uint32_t slot = settings::slotIndex(shownTimer);
    loadFromFields(slot);
    if (isCounting(runState[slot])) clockMark[slot] = platform::tickCount();
    platform::invalidate(false);
}

static void afterBulkChange() {
    updateTickTimer();
    if (repeatSlot != kNoSlot) updateRepeatTimer(kNoSlot);
    platform::refreshStartStopCaption();
    platform::applyControlVisibility();
}

void startAll() {
    for (uint32_t s = 0; s <= settings::timerCount(); ++s) {
        if (runState[s] == kIdle) {
            flipClock(s);
            runState[s] = kCounting;
        }
    }
    afterBulkChange();
}

void stopAll() {
    for (uint32_t s = 0; s < 4; ++s) {
        if (runState[s] != kIdle) {
            runState[s] = kIdle;
            flipClock(s);
        }
    }
    afterBulkChange();
}

}  // namespace countdown
