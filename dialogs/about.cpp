#include "dialogs/about.h"

namespace dialogs {

const char* windowsName(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build) {
    const uint32_t kFirstWindows11Build = 22000;
    if (platform == 2 && major == 10 && minor == 0 && build >= kFirstWindows11Build) return "Windows 11";
    struct Name { uint32_t platform, major, minor; const char* name; };
    static const Name kNames[] = {
        {1, 4, 0, "Windows 95"},    {1, 4, 10, "Windows 98"},   {1, 4, 90, "Windows Me"},
        {2, 4, 0, "Windows NT 4.0"}, {2, 5, 0, "Windows 2000"}, {2, 5, 1, "Windows XP"},
        {2, 5, 2, "Windows XP x64 / Server 2003"}, {2, 6, 0, "Windows Vista"},
        {2, 6, 1, "Windows 7"},     {2, 6, 2, "Windows 8"},     {2, 6, 3, "Windows 8.1"},
        {2, 10, 0, "Windows 10"},
    };
    for (const Name& n : kNames)
        if (n.platform == platform && n.major == major && n.minor == minor) return n.name;
    return nullptr;
}

}  // namespace dialogs
