// Run-time values of the application shell shared with the other subsystems.
#pragma once
#include <atomic>
#include <cstdint>

namespace app {

constexpr uint32_t kFolderSize = 600;

extern char programFolder[kFolderSize];   // ends in '\', or empty
extern char dataFolder[kFolderSize];      // ends in '\', or empty
extern bool layeredSupported;
extern bool finishTextOverridden;
extern char savedFinishText[kFolderSize];

extern std::atomic<uint32_t> shownTimer;  // 0..3
extern std::atomic<uint32_t> windowState; // 0 normal, 5 minimised, 10 tray
extern std::atomic<uint32_t> customTimeOn;
extern bool aboutOpen;
extern bool optionsOpen;

constexpr uint32_t kWindowNormal = 0;
constexpr uint32_t kWindowMinimised = 5;
constexpr uint32_t kWindowTray = 10;

// Slot index made safe for arrays of four, whatever a stored value says.
inline uint32_t slotIndex(uint32_t v) { return v < 4 ? v : 3; }
// Whether a system version (GetVersionExA's platform, major, minor) can show
// layered windows: NT 5.0 to 5.2 and 6.x only.
bool layeredFor(uint32_t platform, uint32_t major, uint32_t minor);
// Timer count index as used for layout and ticking: 0..3.
uint32_t timerCount();  // timerCountIndex bounded to 0..3

}  // namespace app
