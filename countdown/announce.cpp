#include "countdown/announce.h"

#include "countdown/engine.h"
#include "countdown/shell.h"
#include "settings/record.h"

namespace countdown {

constexpr uint32_t kLastSecondsTold = 10;

static bool worthReading(uint32_t remainingMs, bool showSeconds) {
    uint32_t s = remainingMs / 1000;
    // The last second shows 0, told once, when the count ends.
    if (s <= kLastSecondsTold) return s != 0;
    // Under a minute the seconds show whatever the setting; without them the
    // text changes only once a minute.
    bool secondsShown = showSeconds || s < 60;
    return !secondsShown || s % 60 == 0;
}

static bool shown(uint32_t slot) { return slot == settings::slotIndex(state.shownTimer); }

void textTicked(uint32_t slot, uint32_t remainingMs) {
    if (shown(slot) && worthReading(remainingMs, settings::record.showSeconds != 0)) shell::tellTime(slot);
}

void overtimeTicked(uint32_t slot, uint32_t seconds) {
    if (shown(slot) && seconds % 60 == 0) shell::tellTime(slot);
}

void countEnded(uint32_t slot) {
    if (shown(slot)) shell::tellTime(slot);
}

}  // namespace countdown
