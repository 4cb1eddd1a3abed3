// What the alarm sound needs of the system (platform/audio_win.cpp over Win32;
// tests/native/fake_sound.cpp in the native tests). Main thread only.
#pragma once
#include <cstdint>

namespace platform {

void playWave(const char* path);          // PlaySoundA, asynchronous, cuts the last one
// Closes the previous media window, opens `path` in a new hidden one and
// plays it; done on the main window's thread. Returns the end position,
// 0 when nothing could be loaded.
uint32_t playMedia(const char* path);
uint32_t mediaPosition();                 // of the media window, 0 when none
void closeMediaWindow();                  // WM_CLOSE, if one exists

// Four bytes from the cryptographic source; false when it cannot be had.
bool cryptRandom(uint32_t* out);

// A zero-filled folder list of `bytes`, or null when it cannot be had.
char* allocNameList(uint32_t bytes);
void freeNameList(char* list);
// A folder search: each call writes one name (cut to nameBytes with its NUL)
// and whether it names a folder ("." and ".." do). findFirstFile returns null
// when nothing is found.
void* findFirstFile(const char* search, char* name, uint32_t nameBytes, bool* folder);
bool findNextFile(void* search, char* name, uint32_t nameBytes, bool* folder);
void findClose(void* search);

}  // namespace platform
