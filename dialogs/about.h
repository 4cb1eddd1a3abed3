// Texts of the About box that need no window.
#pragma once
#include <cstdint>

namespace dialogs {

// The marketing name of a Windows version as GetVersionExA reports it
// (platform 1 is the 9x family, 2 NT); null when it is not known.
const char* windowsName(uint32_t platform, uint32_t major, uint32_t minor);

}  // namespace dialogs
