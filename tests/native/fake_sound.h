// Scripted fake of the sound platform (sound/sound_platform.h) and of
// files::canOpen. Plays are recorded in fake::calls as "wave <path>" and
// "media <path>".
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fake {

extern uint32_t mediaEnd;                 // what playMedia reports as loaded
extern uint32_t mediaPosition;
extern bool cryptAvailable;
extern std::deque<uint32_t> cryptBytes;   // served in order; then 0x9E3779B9 steps
extern bool listAllocFails;
extern int listsAllocated;
extern int listsFreed;
// Folder contents by search text ("C:\\snd/*.*"); a missing key finds nothing.
extern std::map<std::string, std::vector<std::string>> folders;
// Names that are folders wherever they are listed; "." and ".." after a reset.
extern std::set<std::string> subfolders;
extern int listings;                      // findFirstFile calls
extern std::set<std::string> openable;    // paths files::canOpen accepts
extern std::vector<std::string> openTries;

void resetSound();

}  // namespace fake
