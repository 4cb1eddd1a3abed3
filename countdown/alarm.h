// Completion and the alarm sequence: sound, repeat and flashing, finish window.
//
// The alarm thread only waits for its turn and shows the finish window; every
// other step runs on the main thread, which it asks by a message that carries
// a step number and a slot, nothing else.
#pragma once
#include <atomic>
#include <cstdint>

namespace countdown {

// Slot that owns the repeat timer (main window timer 2), or kNoSlot. Written
// by the main thread, read by the alarm threads.
extern std::atomic<uint32_t> repeatSlot;
// An alarm sequence is between its sound and its end. Written by the main
// thread, read by the alarm threads.
extern std::atomic<uint32_t> alarmBusy;

// A slot's sequence waits for its turn or runs. A completion while it runs is
// kept, and its sequence started when the running one ends, so each slot has
// one alarm thread at most; further completions merge into the one kept or
// waiting. Kept in state.sequenceState, by the main thread only.
constexpr uint32_t kSequenceNone = 0;
constexpr uint32_t kSequenceWaiting = 1;
constexpr uint32_t kSequenceRunning = 2;
constexpr uint32_t kSequenceRunningOneKept = 3;

// The steps the alarm thread asks of the main thread.
constexpr uint32_t kStepBegin = 1;     // take the turn, sound, repeat timer
constexpr uint32_t kStepRequest = 2;   // build the finish window's request
constexpr uint32_t kStepEnd = 3;       // reload or restart, release the turn

// Begin's answers.
constexpr uint32_t kNotYet = 0;
constexpr uint32_t kBegunWithWindow = 1;
constexpr uint32_t kBegunQuietly = 2;

void startAlarmSequence(uint32_t slot);   // on completion, main thread
void alarmSequence(uint32_t slot);        // the alarm thread's body
// Main thread: carries out a step the slot's alarm thread has asked for.
// Anything else (a message another program posted) does nothing.
void alarmStep(uint32_t step, uint32_t slot);
void updateRepeatTimer(uint32_t slot);    // slot or kNoSlot
void repeatStep(uint32_t slot);

// The engine and the alarm back to a fresh process's state (tests).
void resetRunState();

}  // namespace countdown
