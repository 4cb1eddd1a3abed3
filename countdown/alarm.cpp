#include "countdown/alarm.h"

#include "countdown/engine.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/text.h"
#include "sound/sound.h"

namespace countdown {

std::atomic<uint32_t> repeatSlot{kNoSlot};
std::atomic<uint32_t> alarmBusy{0};

constexpr uint32_t kWaitPollMs = 500;
constexpr uint32_t kAutoCloseSeconds = 3;
constexpr uint32_t kRestartOff = 0;
constexpr uint32_t kRestartAtEnd = 1;
constexpr uint32_t kRestartOnClick = 2;
constexpr uint32_t kLastPlainPhase = 6;

// The box reads its lines by reference; one box at a time, so one buffer.
static char finishLine[settings::kTextSize];

static settings::Record& rec() { return settings::record; }

void startAlarmSequence(uint32_t slot) { platform::startThread(alarmSequence, slot); }

// Testing repeatSlot first and then taking alarmBusy in one exchange: two
// sequences can never both get through, and a sequence never holds the flag
// while it still waits.
static void waitForTurn() {
    for (;;) {
        if (repeatSlot == kNoSlot && alarmBusy.exchange(1) == 0) return;
        platform::sleepMs(kWaitPollMs);
    }
}

static void showFinishWindow(uint32_t slot) {
    settings::Record& r = rec();
    platform::acquireMessageBox();
    text::copyBounded(finishLine, r.finishText[slot], sizeof finishLine);
    platform::messageLines[1] = finishLine;
    if (r.autoRestart[slot] == kRestartAtEnd) platform::messageAutoCloseSeconds = kAutoCloseSeconds;
    if (!r.finishWindowTopmost) platform::messageTopmost = 0;
    platform::showMessageBox(true);
    if (sound::mediaLoaded != 0) sound::stopMedia();
}

// The same source a restart uses: with one timer the time fields, otherwise
// the slot's own remembered length, so one slot never takes another's.
static void reloadForNextCount(uint32_t slot) {
    if (settings::timerCount() == 0) loadFromFields(slot);
    else reloadSlot(slot);
}

static void reloadIdle(uint32_t slot) {
    reloadForNextCount(slot);
    platform::applyControlVisibility();
    platform::invalidate(false);
}

static void endSequence(uint32_t slot) {
    switch (rec().autoRestart[slot]) {
    case kRestartOnClick:
        reloadForNextCount(slot);
        flipClock(slot);
        runState[slot] = kCounting;
        updateTickTimer();
        break;
    case kRestartOff:
        runState[slot] = kIdle;
        updateTickTimer();
        reloadIdle(slot);
        break;
    default:
        // Too short to restart at completion: its clock still holds the old
        // start, so without a reload the next Start would complete at once.
        // Its repeat phase keeps running to its own end.
        if (runLengthMs[slot] <= kMinRestartMs && !isCounting(runState[slot])) reloadIdle(slot);
        break;
    }
}

void alarmSequence(uint32_t slot) {
    slot = settings::slotIndex(slot);
    waitForTurn();
    sound::prepareSound(slot);
    sound::playSound();
    updateRepeatTimer(slot);
    if (rec().showFinishWindow) showFinishWindow(slot);
    platform::invalidate(true);
    endSequence(slot);
    alarmBusy = 0;
}

void updateRepeatTimer(uint32_t slot) {
    bool none = slot >= 4;
    uint32_t code = none ? kIdle : runState[slot].load();
    bool ended = code == kIdle || code == kCounting;
    if (none || (ended && repeatSlot != kNoSlot)) {
        platform::killWindowTimer(TIMER_REPEAT);
        repeatSlot = kNoSlot;
    } else if (repeatSlot == kNoSlot && !ended) {
        platform::setWindowTimer(TIMER_REPEAT, rec().repeatIntervalMs[slot]);
        repeatSlot = slot;
    }
}

static uint32_t endOfPhase(uint32_t code) { return code < kCounting ? kIdle : kCounting; }

static uint32_t nextPhase(uint32_t code, uint32_t autoRestart) {
    if (code < kLastPlainPhase || code == 11 || code == 12 || code == 13) {
        ++code;
        // Without restart at completion the phase swings between 2 and 3.
        if (autoRestart != kRestartAtEnd && (code == 4 || code == 14)) code -= 2;
        return code;
    }
    return endOfPhase(code);
}

void repeatStep(uint32_t slot) {
    if (slot >= 4) {
        updateRepeatTimer(kNoSlot);
        return;
    }
    settings::Record& r = rec();
    uint32_t code = runState[slot];
    if (code == kIdle || code == kCounting || code >= kWarningStart) {
        updateRepeatTimer(slot);
        return;
    }
    bool flash = r.flashOnFinish[slot] != 0;
    bool repeat = r.repeatSound[slot] != 0;
    if (flash) platform::invalidate(false);
    if (repeat) sound::playSound();
    code = (flash || repeat) ? nextPhase(code, r.autoRestart[slot]) : endOfPhase(code);
    runState[slot] = code;
    updateRepeatTimer(slot);
}

}  // namespace countdown
