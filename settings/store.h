// Loading and saving the settings file "dTiv.dat" in the data folder.
#pragma once
#include <cstdint>

#include "settings/record.h"

namespace settings {

constexpr uint32_t kFolderSize = 600;

extern char programFolder[kFolderSize];   // ends in '\\', or empty
extern char dataFolder[kFolderSize];      // ends in '\\', or empty
// The command line replaced slot 0's finish text for this run only; the file
// keeps savedFinishText in its place.
extern bool finishTextOverridden;
extern char savedFinishText[kFolderSize];

// Loads the record and says what it did. A missing file is the first run:
// full defaults, and FirstRun for the caller to ask the first run's questions.
// A file another program holds is waited for; if it stays held the record
// gets full defaults, and this run's saves leave that file alone.
LoadAction load();
// Writes header + record as they stand; false when the old file was left in
// place. app::saveSettings reads the time fields first.
bool save();
// Writes `length` bytes to `path` through a temporary file, so a failure
// at any point leaves the previous file whole.
bool writeWhole(const char* path, const unsigned char* data, uint32_t length);

}  // namespace settings
