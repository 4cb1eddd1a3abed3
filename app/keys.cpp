#include "app/keys.h"

#include "countdown/engine.h"
#include "resources/resource.h"
#include "settings/record.h"

namespace app {

KeyBinding keyBinding(uint32_t virtualKey) {
    switch (virtualKey) {
    case 0x70: return {KeyAction::Command, IDC_SHOWHELP};        // F1
    case 'S':
    case 0x1B: return {KeyAction::Command, IDC_STARTSTOP};   // S, Esc
    case 'R': return {KeyAction::Command, IDC_RESET};
    case 'O': return {KeyAction::Command, IDC_OPTIONS};
    case 'M': return {KeyAction::RightClick, 0};
    case 'Q': return {KeyAction::LeftClick, 0};
    case 0x25: return {settings::timerCount() > 0 ? KeyAction::PreviousTimer : KeyAction::PassOn, 0};
    case 0x27: return {settings::timerCount() > 0 ? KeyAction::NextTimer : KeyAction::PassOn, 0};
    default: return {KeyAction::PassOn, 0};
    }
}

uint32_t previousTimer() {
    uint32_t shown = countdown::state.shownTimer;
    return shown == 0 || shown > settings::timerCount() ? settings::timerCount() : shown - 1;
}

uint32_t nextTimer() {
    uint32_t shown = countdown::state.shownTimer + 1;
    return shown > settings::timerCount() ? 0 : shown;
}

}  // namespace app
