// Alarm sound: the working sound, its playback and the random source.
#pragma once
#include <cstdint>

namespace sound {

constexpr uint32_t kPathBytes = 600;
constexpr uint32_t kListNames = 10000;       // names one folder pick reads
constexpr uint32_t kListBytes = kListNames * kPathBytes;
constexpr char kFolderPattern[] = "/*.*";

constexpr uint32_t kTypeSystem = 0;
constexpr uint32_t kTypeFile = 1;
constexpr uint32_t kTypeFolder = 2;

// The sound's run-time values, the main thread's only; `= {}` is a fresh
// process's.
struct State {
    // The working sound's path; its type is settings::record.currentSoundType.
    // Only the first 432 bytes are mirrored into the settings record.
    char currentSoundPath[kPathBytes];
    // End position reported by the media window after loading; non-zero
    // while a media sound is loaded.
    uint32_t mediaLoaded;
    // The Timer page's file or folder chooser is open; alarm repeats wait.
    uint32_t soundChooserOpen;
};
extern State state;

void prepareSound(uint32_t slot);
void playSound();
void playMedia(const char* path);
int32_t soundExtension(char* text);
// folder: in, a folder; out, the chosen file. Returns the names found, 0
// when nothing was chosen (the folder then stays in the buffer).
uint32_t pickRandomFile(char* folder, const char* pattern);
// The working path, a folder, becomes one of its files; when it holds none
// that opens, the working sound is the system's default, as a missing WAV
// file plays it.
void chooseFolderFile();
uint32_t randomPick(uint32_t n);   // 1..n

// Stops a media sound and forgets it: command 2010, and a count that ends or pauses.
void stopMedia();
// The context menu's check: a media sound that has played to its end is
// closed, so "结束声音" is offered only while one still plays.
void closeFinishedMedia();

}  // namespace sound
