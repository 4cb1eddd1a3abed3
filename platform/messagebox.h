// The message box request: process-wide fields that every prompt fills in
// before platform::showMessageBox opens the box (dialogs/msgbox_win.cpp).
#pragma once
#include <atomic>
#include <cstdint>

namespace platform {

constexpr uint32_t kStyleOk = 0;
constexpr uint32_t kStyleOkCancel = 1;
constexpr uint32_t kResultNone = 0;
constexpr uint32_t kResultOk = 1;
constexpr uint32_t kResultCancel = 2;

extern uint32_t messageStyle;
extern const char* messageLines[4];   // absent lines are null
extern uint32_t messageAutoCloseSeconds;
extern uint32_t messageTopmost;
extern std::atomic<uint32_t> messageResult;

void resetMessageRequest();   // every field but the result back to its default

}  // namespace platform
