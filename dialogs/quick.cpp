#include "dialogs/quick.h"

#include "base/text.h"

namespace dialogs {

void quickCaption(uint32_t value, uint32_t unit, char* out, size_t size) {
    static const char kLetters[] = "smhd";
    char letter = unit < 3 ? kLetters[unit] : 'd';
    if (size == 0) return;
    char caption[16];
    text::formatDecimal(static_cast<int32_t>(value), caption);
    char suffix[2] = {letter, '\0'};
    text::append(caption, suffix);
    text::copyBounded(out, caption, static_cast<uint32_t>(size));
}

bool applyQuickPick(settings::Record& r, uint32_t entry, uint32_t shownRunState) {
    if (entry >= kQuickEntries) return false;
    uint32_t amount = r.quickValue[entry];
    // An empty or absurd preset still gives a usable count.
    if (amount == 0 || amount > 999) amount = 5;
    r.days = r.hours = r.minutes = r.seconds = 0;
    switch (r.quickUnit[entry]) {
    case 0: r.seconds = amount; break;
    case 1: r.minutes = amount; break;
    case 2: r.hours = amount; break;
    default: r.days = amount; break;
    }
    return r.quickPickAutoStart != 0 && shownRunState == 0;
}

}  // namespace dialogs
