// Loading and saving the settings file "dTiv.dat" in the data folder.
#pragma once
#include <cstdint>

namespace settings {

// Loads the record; a missing file is the first run and asks its questions.
void load();
// Writes header + record; false when the old file was left in place.
bool save();
// The simple-mode reset: record, shown timer, and the window when it exists.
void simpleModeReset();
// Writes `length` bytes to `path` through a temporary file, so a failure
// at any point leaves the previous file whole.
bool writeWhole(const char* path, const unsigned char* data, uint32_t length);

}  // namespace settings
