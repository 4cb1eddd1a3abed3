// Texts of the About box that need no window.
#pragma once
#include <cstdint>

namespace dialogs {

// The marketing name of a Windows version (platform 1 is the 9x family, 2
// NT); null when it is not known. Windows 11 is 10.0 with build 22000 and up.
const char* windowsName(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build);

// Command 1010: the About box, modal to the main window (about_win.cpp).
void showAbout();

}  // namespace dialogs
