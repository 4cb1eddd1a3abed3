// Shared by the native and the Windows tests: the program's run-time values
// as a new process has them.
#pragma once
#include "app/state.h"
#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "dialogs/msgbox.h"
#include "sound/sound.h"

inline void resetRunState() {
    countdown::resetAll();
    countdown::repeatSlot = countdown::kNoSlot;
    countdown::alarmBusy = 0;
    sound::mediaLoaded = 0;
    app::shownTimer = 0;
    app::windowState = 0;
    app::customTimeOn = 0;
    app::finishTextOverridden = false;
    app::aboutOpen = false;
    dialogs::resetMessageRequest();
    dialogs::messageResult = 0;
}
