#include "countdown/alarm.h"

#include "base/text.h"
#include "countdown/engine.h"
#include "countdown/shell.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "sound/sound.h"

namespace countdown {

std::atomic<uint32_t> repeatSlot{kNoSlot};
std::atomic<uint32_t> alarmBusy{0};

constexpr uint32_t kWaitPollMs = 500;
constexpr uint32_t kAutoCloseSeconds = 3;
constexpr uint32_t kRestartOff = 0;
constexpr uint32_t kRestartAtEnd = 1;
constexpr uint32_t kRestartOnClick = 2;
constexpr uint32_t kMinRepeatMs = 100;

// The step each slot's thread has asked for and the main thread's answer. A
// step runs only when asked for, so a forged message finds nothing to do.
// Each slot's alarm thread and the main thread share them.
static std::atomic<uint32_t> askedStep[4];
static std::atomic<uint32_t> stepAnswer[4];

// Each slot's finish window: built by the main thread in kStepRequest, read
// by the slot's alarm thread once that step has returned. The box reads its
// line by reference.
static char finishLine[4][settings::kTextSize];
static platform::MessageRequest finishRequest[4];
// kStepRequest's answer: the request is built.
constexpr uint32_t kRequestBuilt = 1;

static settings::Record& rec() { return settings::record; }

static void startThreadFor(uint32_t slot) {
    state.sequenceState[slot] = kSequenceWaiting;
    if (!platform::startThread(alarmSequence, slot)) state.sequenceState[slot] = kSequenceNone;
}

void startAlarmSequence(uint32_t slot) {
    // Only the main thread changes the state, so no two completions race.
    // A sequence already waiting will play this completion's alarm; a second
    // one would only wait behind it, and threads must stay bounded.
    switch (state.sequenceState[slot]) {
    case kSequenceNone:
        startThreadFor(slot);
        break;
    case kSequenceRunning:
        state.sequenceState[slot] = kSequenceRunningOneKept;
        break;
    default:
        break;
    }
}

// Alarm thread: one step on the main thread, and its answer.
static uint32_t ask(uint32_t step, uint32_t slot) {
    stepAnswer[slot] = 0;
    askedStep[slot] = step;
    platform::runAlarmStep(step, slot);
    askedStep[slot] = 0;
    return stepAnswer[slot];
}

// No other sequence runs, and no other slot repeats. The slot's own repeat phase does not
// hold it back: a count restarted at its end completes again while it still flashes, and that
// completion's alarm would otherwise wait for good.
static bool turnIsFree(uint32_t slot) {
    uint32_t repeating = repeatSlot;
    return alarmBusy == 0 && (repeating == kNoSlot || repeating == slot);
}

void alarmSequence(uint32_t slot) {
    slot = settings::slotIndex(slot);
    uint32_t begun;
    for (;;) {
        // Only a hint: the main thread decides again when it takes the turn.
        if (turnIsFree(slot) && (begun = ask(kStepBegin, slot)) != kNotYet) break;
        platform::sleepMs(kWaitPollMs);
    }
    if (begun == kBegunWithWindow) {
        // Should the step not reach the main thread, the box shows the
        // defaults rather than what an earlier alarm left.
        platform::MessageRequest request;
        if (ask(kStepRequest, slot) == kRequestBuilt) request = finishRequest[slot];
        platform::showMessageBox(request);
    }
    ask(kStepEnd, slot);
}

static uint32_t begin(uint32_t slot) {
    if (!turnIsFree(slot)) return kNotYet;
    alarmBusy = 1;
    state.sequenceState[slot] = kSequenceRunning;
    sound::prepareSound(slot);
    sound::playSound();
    shell::tellAlarm(slot);
    updateRepeatTimer(slot);
    state.windowShown[slot] = rec().showFinishWindow != 0;
    return state.windowShown[slot] ? kBegunWithWindow : kBegunQuietly;
}

static uint32_t buildRequest(uint32_t slot) {
    settings::Record& r = rec();
    text::copyBounded(finishLine[slot], r.finishText[slot], sizeof finishLine[slot]);
    platform::MessageRequest& request = finishRequest[slot];
    request = platform::MessageRequest{};
    request.lines[1] = finishLine[slot];
    if (r.autoRestart[slot] == kRestartAtEnd) request.autoCloseSeconds = kAutoCloseSeconds;
    request.topmost = r.finishWindowTopmost != 0;
    return kRequestBuilt;
}

// The same source a restart uses: with one timer the time fields, otherwise
// the slot's own remembered length, so one slot never takes another's.
static void reloadForNextCount(uint32_t slot) {
    if (settings::timerCount() == 0) loadFromFields(slot);
    else reloadSlot(slot);
}

static void reloadIdle(uint32_t slot) {
    reloadForNextCount(slot);
    shell::applyControlVisibility();
    shell::invalidate(false);
}

static void endSequence(uint32_t slot) {
    if (state.windowShown[slot] && sound::state.mediaLoaded != 0) sound::stopMedia();
    // The window's 确定 acknowledges time past the end as well; without the
    // window that time counts on until Start or a reset.
    if (state.windowShown[slot]) state.slots[slot].overtime = 0;
    shell::invalidate(true);
    switch (rec().autoRestart[slot]) {
    case kRestartOnClick:
        state.slots[slot].overtime = 0;
        reloadForNextCount(slot);
        flipClock(slot);
        state.slots[slot].runState = kCounting;
        updateTickTimer();
        break;
    case kRestartOff:
        state.slots[slot].runState = kIdle;
        updateTickTimer();
        if (!state.slots[slot].overtime) reloadIdle(slot);
        break;
    default:
        // Too short to restart at completion: its clock still holds the old
        // start, so without a reload the next Start would complete at once.
        // Its repeat phase keeps running to its own end.
        if (state.slots[slot].runLengthMs <= kMinRestartMs && !isCounting(state.slots[slot].runState)) reloadIdle(slot);
        break;
    }
    alarmBusy = 0;
    if (state.sequenceState[slot] == kSequenceRunningOneKept) startThreadFor(slot);
    else state.sequenceState[slot] = kSequenceNone;
}

void alarmStep(uint32_t step, uint32_t slot) {
    if (slot >= 4 || step == 0 || askedStep[slot].exchange(0) != step) return;
    switch (step) {
    case kStepBegin:
        stepAnswer[slot] = begin(slot);
        break;
    case kStepRequest:
        stepAnswer[slot] = buildRequest(slot);
        break;
    case kStepEnd:
        endSequence(slot);
        break;
    default:
        break;
    }
    reportProgress();
}

void updateRepeatTimer(uint32_t slot) {
    bool none = slot >= 4;
    uint32_t code = none ? kIdle : state.slots[slot].runState;
    bool ended = code == kIdle || code == kCounting;
    if (none || (ended && repeatSlot != kNoSlot)) {
        platform::killWindowTimer(TIMER_REPEAT);
        repeatSlot = kNoSlot;
    } else if (repeatSlot == kNoSlot && !ended) {
        // A stored interval below 100 ms would flash the display as fast as
        // it can paint.
        uint32_t interval = rec().repeatIntervalMs[slot];
        platform::setWindowTimer(TIMER_REPEAT, interval < kMinRepeatMs ? kMinRepeatMs : interval);
        repeatSlot = slot;
    }
}

void repeatStep(uint32_t slot) {
    if (slot >= 4) {
        updateRepeatTimer(kNoSlot);
        return;
    }
    settings::Record& r = rec();
    uint32_t code = state.slots[slot].runState;
    if (!isAlarmPhase(code)) {
        updateRepeatTimer(slot);
        return;
    }
    bool flash = r.flashOnFinish[slot] != 0;
    bool repeat = r.repeatSound[slot] != 0;
    if (flash) shell::invalidate(false);
    if (repeat) sound::playSound();
    code = (flash || repeat) ? nextAlarmPhase(code, r.autoRestart[slot] == kRestartAtEnd) : endOfAlarm(code);
    state.slots[slot].runState = code;
    updateRepeatTimer(slot);
}

void resetRunState() {
    state = {};
    repeatSlot = kNoSlot;
    alarmBusy = 0;
    for (uint32_t s = 0; s < 4; ++s) askedStep[s] = stepAnswer[s] = 0;
}

}  // namespace countdown
