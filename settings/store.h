// Loading and saving the settings file "dTiv.dat" in the data folder.
#pragma once
#include <cstdint>

#include "settings/record.h"

namespace settings {

constexpr uint32_t kFolderSize = 600;

// The store's run-time values, the main thread's only; `= {}` is a fresh
// process's.
struct Store {
    char programFolder[kFolderSize];   // ends in '\\', or empty
    char dataFolder[kFolderSize];      // ends in '\\', or empty
    // The command line replaced slot 0's finish text for this run only; the
    // file keeps savedFinishText in its place.
    bool finishTextOverridden;
    char savedFinishText[kFolderSize];
    // The settings file was there at start-up but stayed held by another
    // program: this run's saves must not put defaults over the user's settings.
    bool leaveFileAlone;
};
extern Store store;

// Loads the record and says what it did. A missing file is the first run:
// full defaults, and FirstRun for the caller to ask the first run's questions.
// A file another program holds is waited for; if it stays held the record
// gets full defaults, and this run's saves leave that file alone.
LoadAction load();
// Writes header + record as they stand; false when the old file was left in
// place. app::saveSettings reads the time fields first.
bool save();
// Writes `length` bytes to `path` through a temporary file of the data
// folder, so a failure or a kill at any point leaves the previous file whole.
bool writeWhole(const char* path, const char* tempName, const unsigned char* data, uint32_t length);

}  // namespace settings
