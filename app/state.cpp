#include "app/state.h"

#include "countdown/engine.h"
#include "platform/platform.h"
#include "settings/record.h"
#include "settings/store.h"

namespace app {

bool layeredSupported;
bool aboutOpen;
bool optionsOpen;

bool layeredFor(uint32_t platform, uint32_t major, uint32_t minor) {
    const uint32_t kNt = 2;
    if (platform != kNt) return false;
    return (major == 5 && minor <= 2) || major == 6;
}

void simpleModeReset() {
    settings::simpleModeRecord();
    countdown::shownTimer = 0;
    platform::keepOnTop(settings::record.topmost);
    platform::invalidate(true);
}

bool saveSettings() {
    // With a random length on, this draws a new one into the fields.
    countdown::loadFromFields(countdown::kNoSlot);
    return settings::save();
}

}  // namespace app
