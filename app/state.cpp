#include "app/state.h"

#include "settings/record.h"

namespace app {

char programFolder[kFolderSize];
char dataFolder[kFolderSize];
bool layeredSupported;
bool finishTextOverridden;
char savedFinishText[kFolderSize];

std::atomic<uint32_t> shownTimer;
std::atomic<uint32_t> windowState;
std::atomic<uint32_t> customTimeOn;
bool aboutOpen;
bool optionsOpen;

bool layeredFor(uint32_t platform, uint32_t major, uint32_t minor) {
    const uint32_t kNt = 2;
    if (platform != kNt) return false;
    return (major == 5 && minor <= 2) || major == 6;
}

uint32_t timerCount() {
    uint32_t index = settings::record.timerCountIndex;
    return index < 4 ? index : 3;
}

}  // namespace app
