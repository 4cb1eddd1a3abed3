// Completion and the alarm sequence: sound, repeat and flashing, finish window.
#pragma once
#include <atomic>
#include <cstdint>

namespace countdown {

// Slot that owns the repeat timer (main window timer 2), or kNoSlot.
extern std::atomic<uint32_t> repeatSlot;
// An alarm sequence is between its sound and its end.
extern std::atomic<uint32_t> alarmBusy;

void startAlarmSequence(uint32_t slot);   // one detached worker per completion
void alarmSequence(uint32_t slot);        // the worker's body
void updateRepeatTimer(uint32_t slot);    // slot or kNoSlot
void repeatStep(uint32_t slot);

}  // namespace countdown
