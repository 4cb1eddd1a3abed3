// The program's message box (platform/messagebox_win.cpp): a prompt is a request
// value handed whole to showMessageBox.
#pragma once
#include <cstdint>

namespace platform {

constexpr uint32_t kStyleOk = 0;
constexpr uint32_t kStyleOkCancel = 1;
constexpr uint32_t kResultNone = 0;
constexpr uint32_t kResultOk = 1;
constexpr uint32_t kResultCancel = 2;

struct MessageRequest {
    uint32_t style = kStyleOk;
    const char* lines[4] = {};   // absent lines are null; read until the box closes
    uint32_t autoCloseSeconds = 0;
    bool topmost = true;
    bool ownedByMainWindow = true;
};

// Waits until no other box is open (a waiting main thread keeps its messages
// flowing), opens this one and returns its answer: kResultOk, kResultCancel,
// or kResultNone when the box could not open. Any thread.
uint32_t showMessageBox(const MessageRequest& request);

}  // namespace platform
