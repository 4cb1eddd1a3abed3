// A slot's runState: where its count or its alarm stands.
//
//   0        idle
//   1..6     an alarm after a count that ended. It starts at 1 and moves one
//            phase each repeat interval; until acknowledged it swings between
//            2 and 3, or, when the count restarts at its end, runs 1..6 once.
//   10       counting
//   11..14   the same alarm while the count, restarted at completion, counts
//            again: 10 + the phase
//   17 up    counting, in the warning of the last seconds: one phase a tick
//
// Only this file knows the numbers: a stored or posted code is compared
// through these names, and the alarm's rhythm can be changed here alone.
#pragma once
#include <cstdint>

namespace countdown {

constexpr uint32_t kIdle = 0;
constexpr uint32_t kAlarmStart = 1;
constexpr uint32_t kCounting = 10;
constexpr uint32_t kWarningStart = 17;

constexpr uint32_t kLastAlarmPhase = 6;
constexpr uint32_t kLastAlarmPhaseCounting = 14;
constexpr uint32_t kSwingBack = 2;         // the swing's phases 2, 3, (4 =) 2, ...
constexpr uint32_t kWarningBeeps = 3;      // on every other tick from the first

// The phase within the alarm, counting again or not.
constexpr uint32_t phaseOf(uint32_t code) { return code < kCounting ? code : code - kCounting; }

constexpr bool isCounting(uint32_t code) { return code >= kCounting; }
// An alarm waiting to be acknowledged, with nothing counting.
constexpr bool isAlarm(uint32_t code) { return code >= kAlarmStart && code < kCounting; }
// An alarm's repeating and flashing runs, counting again or not.
constexpr bool isAlarmPhase(uint32_t code) { return code != kIdle && code != kCounting && code < kWarningStart; }
constexpr bool isWarning(uint32_t code) { return code >= kWarningStart; }
constexpr bool beeps(uint32_t code) {
    return isWarning(code) && code < kWarningStart + 2 * kWarningBeeps && (code - kWarningStart) % 2 == 0;
}
// Where a flashing slot shows its colours swapped: every alarm phase but 2 and 4.
constexpr bool invertedWhenFlashing(uint32_t code) {
    return isAlarmPhase(code) && phaseOf(code) != 2 && phaseOf(code) != 4;
}

// Where an alarm phase's run ends: idle, or counting for a restarted count.
constexpr uint32_t endOfAlarm(uint32_t code) { return code < kCounting ? kIdle : kCounting; }
// The phase after a repeat interval, for an alarm phase.
constexpr uint32_t nextAlarmPhase(uint32_t code, bool restartsAtEnd) {
    if (code >= (code < kCounting ? kLastAlarmPhase : kLastAlarmPhaseCounting)) return endOfAlarm(code);
    ++code;
    if (!restartsAtEnd && phaseOf(code) == 2 + kSwingBack) code -= kSwingBack;
    return code;
}

}  // namespace countdown
