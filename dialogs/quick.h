// The quick picker's rules that need no window.
#pragma once
#include <cstddef>
#include <cstdint>

#include "settings/record.h"

namespace dialogs {

constexpr uint32_t kQuickEntries = 12;

// A picker button's caption: the amount in signed decimal and the unit's
// letter, "s", "m", "h", or "d" for any other code (so 30s, 5m, 6h, 2d).
void quickCaption(uint32_t value, uint32_t unit, char* out, size_t size);

// Loads entry `entry` (0..11) into the record's time fields: all zero but
// the one its unit names. Returns whether the shown timer, in `shownRunState`
// before the reset, must then be started.
bool applyQuickPick(settings::Record& r, uint32_t entry, uint32_t shownRunState);

}  // namespace dialogs
