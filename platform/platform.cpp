// The seam's values, shared by the program and the native tests.
#include "platform/messagebox.h"
#include "platform/platform.h"

namespace platform {

uint32_t windowState;

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

}  // namespace platform
