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

// Whether a flashing slot paints its colours swapped for this run-state code:
// the alarm phase alternates 1, 3, 5, 6, 11, 13 (swapped) with 2, 4, 12, 14.
inline bool flashInverted(uint32_t code) {
    return code >= 1 && code <= 16 && code != 2 && code != 4 && code != 10 && code != 12 &&
           code != 14;
}

}  // namespace countdown
