#include "app/state.h"

#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "countdown/shell.h"
#include "display/geometry.h"
#include "platform/platform.h"
#include "settings/extras.h"
#include "settings/record.h"
#include "settings/store.h"
#include "settings/words.h"
#include "sound/sound.h"

namespace app {

State state;

void resetRunState() {
    countdown::resetRunState();
    display::view = {};
    sound::state = {};
    settings::store = {};
    settings::extras = settings::extrasInFile = {};
    words::resetWords();
    platform::windowState = platform::kWindowNormal;
    state = {};
}

bool layeredFor(uint32_t platform, uint32_t major, uint32_t minor) {
    const uint32_t kNt = 2;
    if (platform != kNt) return false;
    return (major == 5 && minor <= 2) || major == 6;
}

void simpleModeReset() {
    settings::simpleModeRecord();
    countdown::state.shownTimer = 0;
    shell::keepOnTop(settings::record.topmost);
    shell::invalidate(true);
    countdown::reportProgress();
}

bool saveSettings() {
    // With a random length on, this draws a new one into the fields.
    countdown::loadFromFields(countdown::kNoSlot);
    return settings::save();
}

}  // namespace app
