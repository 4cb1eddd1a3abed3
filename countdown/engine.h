// The countdown engine: four timer slots measured on the system tick count.
#pragma once
#include <atomic>
#include <cstdint>

namespace countdown {

constexpr uint32_t kAllSlots = 98;
constexpr uint32_t kNoSlot = 99;
constexpr uint32_t kTextBytes = 64;

// runState codes: 0 idle, 1..9 alarm phase, 10 and above counting.
constexpr uint32_t kIdle = 0;
constexpr uint32_t kCounting = 10;
constexpr uint32_t kWarningStart = 17;
constexpr uint32_t kWarningLeadMs = 4600;
constexpr uint32_t kTickMs = 500;
constexpr uint32_t kStartupMs = 50;
constexpr uint32_t kMinRestartMs = 2000;

extern std::atomic<uint32_t> runState[4];
extern std::atomic<uint32_t> runLengthMs[4];
extern std::atomic<uint32_t> clockMark[4];
extern char slotText[4][kTextBytes];
extern std::atomic<uint32_t> textWidth[4];
extern std::atomic<uint32_t> displayDirty;
extern std::atomic<uint32_t> tickTimerOn;

// The slot the main window's buttons, fields and slot commands act on (0..3).
extern std::atomic<uint32_t> shownTimer;
// Lengths are drawn at random instead of read from the time fields.
extern std::atomic<uint32_t> customTimeOn;

inline bool isCounting(uint32_t code) { return code >= kCounting; }
inline bool isAlarm(uint32_t code) { return code >= 1 && code <= 9; }

void onWindowTimer(uint32_t id);
void tickSlot(uint32_t slot);
void loadFromFields(uint32_t target);   // slot, kAllSlots or kNoSlot
void reloadSlot(uint32_t slot);
uint32_t normaliseFields();
void flipClock(uint32_t slot);
void updateTickTimer();
uint32_t formatRemaining(uint32_t ms, char* text);
void setSlotText(uint32_t slot, uint32_t ms);
uint32_t titleSlot();
void startStop();
void resetShown();
void startAll();
void stopAll();
bool anyNotIdle();   // some slot counts or is in an alarm phase
void resetAll();     // back to the state of a fresh process (tests)

}  // namespace countdown
