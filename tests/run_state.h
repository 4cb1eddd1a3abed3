// Shared by the native and the Windows tests: the program's run-time values
// as a new process has them.
#pragma once
#include "app/state.h"
#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "display/geometry.h"
#include "platform/platform.h"
#include "settings/store.h"
#include "settings/words.h"
#include "sound/sound.h"

inline void resetRunState() {
    countdown::resetAll();
    countdown::repeatSlot = countdown::kNoSlot;
    countdown::alarmBusy = 0;
    for (auto& state : countdown::sequenceState) state = countdown::kSequenceNone;
    countdown::shownTimer = 0;
    countdown::customTimeOn = 0;
    sound::mediaLoaded = 0;
    sound::soundChooserOpen = 0;
    platform::windowState = 0;
    settings::finishTextOverridden = false;
    app::aboutOpen = false;
    words::resetWords();
    display::dpi = display::kBaseDpi;
}
