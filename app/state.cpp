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

uint32_t timerCount() {
    uint32_t index = settings::record.timerCountIndex;
    return index < 4 ? index : 3;
}

}  // namespace app
