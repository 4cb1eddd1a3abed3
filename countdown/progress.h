// What the main window's taskbar button shows of the timers, and whether the
// system must stay awake for them.
#pragma once
#include <cstdint>

namespace countdown {

struct Slot;

// The button's states, numbered as the system numbers them.
constexpr uint32_t kProgressNone = 0;
constexpr uint32_t kProgressNormal = 2;
constexpr uint32_t kProgressError = 4;
constexpr uint32_t kProgressPaused = 8;

struct Progress {
    uint32_t state;
    uint32_t done;    // ms of the count behind it
    uint32_t total;   // the count's length in ms; both 0 with no progress
};

// A slot's progress at tick `now`. `alarmPending`: its alarm sequence waits
// or runs (state.sequenceState).
Progress progressOf(const Slot& slot, bool alarmPending, uint32_t now);

// Hands the button the progress of the counting slot the title shows, else of
// the shown timer, and keeps the system awake while any slot counts; each only
// when it changed. Main thread.
void reportProgress();
// At exit: the system may sleep again.
void stopKeepingAwake();

}  // namespace countdown
