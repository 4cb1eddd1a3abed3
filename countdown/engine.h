// The countdown engine: four timer slots measured on the system tick count.
#pragma once
#include <cstdint>

#include "countdown/phases.h"
#include "countdown/progress.h"

namespace countdown {

constexpr uint32_t kAllSlots = 98;
constexpr uint32_t kNoSlot = 99;
constexpr uint32_t kTextBytes = 64;

constexpr uint32_t kWarningLeadMs = 4600;
constexpr uint32_t kTickMs = 500;
constexpr uint32_t kStartupMs = 50;
constexpr uint32_t kMinRestartMs = 2000;

// One timer. runState: see countdown/phases.h.
// clockMark: the tick the count started at, less the time already counted;
// while stopped, the time counted so far.
struct Slot {
    uint32_t runState;
    uint32_t runLengthMs;
    uint32_t clockMark;
    char text[kTextBytes];   // as drawn
    uint32_t textWidth;      // digit groups in text, for the font height
    // The count ended and, its timer set so, counts on past zero until the
    // alarm is acknowledged or the timer reset: whole seconds and the rest
    // since the end, summed tick by tick so weeks of it never wrap.
    uint32_t overtime;
    uint32_t overtimeMark;       // the tick the sum was last brought up to
    uint32_t overtimeSeconds;
    uint32_t overtimeMs;         // below 1000
};

// The engine's run-time values, the main thread's only; `= {}` is a fresh process's.
struct State {
    Slot slots[4];
    uint32_t displayDirty;   // some slot's text changed since the last paint
    uint32_t tickTimerOn;
    // The slot the main window's buttons, fields and slot commands act on (0..3).
    uint32_t shownTimer;
    // Lengths are drawn at random instead of read from the time fields.
    uint32_t customTimeOn;
    uint32_t sequenceState[4];   // kSequence..., countdown/alarm.h
    bool windowShown[4];         // the running sequence opened its finish window
    Progress progressShown;      // what the taskbar button was last handed
    bool keepingAwake;           // the system was asked to stay awake
};
extern State state;

// The shown timer's slot; a stored index past the last slot means the last.
Slot& shownSlot();

void onWindowTimer(uint32_t id);
void tickSlot(uint32_t slot);
void loadFromFields(uint32_t target);   // slot, kAllSlots or kNoSlot
void reloadSlot(uint32_t slot);
uint32_t normaliseFields();
void flipClock(uint32_t slot);
void updateTickTimer();
uint32_t formatRemaining(uint32_t ms, char* text);
// Time past the end: "0" in its first second, then "-1", "-59", "-01:00", ...
uint32_t formatOvertime(uint32_t seconds, uint32_t ms, char* text);
bool setSlotText(uint32_t slot, uint32_t ms);   // true: the text changed
uint32_t titleSlot();
void startStop();
void resetShown();
void startAll();
void stopAll();
bool anyNotIdle();   // some slot counts or is in an alarm phase
bool anyCounting();  // some slot counts (runState 10 or more)
bool anyOvertime();  // some slot counts on past its end

}  // namespace countdown
