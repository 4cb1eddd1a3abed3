#include "dialogs/msgbox.h"

namespace dialogs {

uint32_t messageStyle = kStyleOk;
const char* messageLines[4];
uint32_t messageAutoCloseSeconds;
uint32_t messageTopmost = 1;
std::atomic<uint32_t> messageResult;

void resetMessageRequest() {
    messageStyle = kStyleOk;
    for (auto& line : messageLines) line = nullptr;
    messageAutoCloseSeconds = 0;
    messageTopmost = 1;
}

}  // namespace dialogs
