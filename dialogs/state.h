// Run-time values of the dialogs that other subsystems read.
#pragma once
#include <atomic>
#include <cstdint>

namespace dialogs {

// The Timer page's file or folder chooser is open; alarm repeats wait.
extern std::atomic<uint32_t> soundChooserOpen;

}  // namespace dialogs
