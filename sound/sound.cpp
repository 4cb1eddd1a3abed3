#include "sound/sound.h"

#include <cstring>

#include "base/files.h"
#include "base/text.h"
#include "platform/platform.h"
#include "platform/audio.h"
#include "settings/record.h"

namespace sound {

State state;

constexpr char kWaveExtension[] = ".wav";

static settings::Record& rec() { return settings::record; }

void prepareSound(uint32_t slot) {
    settings::Record& r = rec();
    slot = settings::slotIndex(slot);
    text::copyBounded(state.currentSoundPath, r.soundPath[slot], kPathBytes);
    r.currentSoundType = r.soundType[slot];
    if (r.currentSoundType == kTypeFolder) chooseFolderFile();
}

void chooseFolderFile() {
    if (pickRandomFile(state.currentSoundPath, kFolderPattern) == 0) rec().currentSoundType = kTypeSystem;
}

void playSound() {
    settings::Record& r = rec();
    // The record holds only the head of the working path; it is saved, never read.
    std::memcpy(r.currentSoundPath, state.currentSoundPath, sizeof r.currentSoundPath);
    if (r.mute) return;
    if (r.currentSoundType == kTypeSystem) {
        platform::beep();
        return;
    }
    char extension[kPathBytes];
    text::copyBounded(extension, state.currentSoundPath, kPathBytes);
    soundExtension(extension);
    if (std::strcmp(extension, kWaveExtension) == 0) platform::playWave(state.currentSoundPath);
    else playMedia(state.currentSoundPath);
}

void playMedia(const char* path) { state.mediaLoaded = platform::playMedia(path); }

int32_t soundExtension(char* text) { return text::pathExtension(text); }

// Lists the folder's files into 600-byte entries; returns how many were read.
// A folder's name is written where the next name goes, so it is never counted.
static uint32_t listFiles(const char* search, char* list) {
    bool folder = false;
    void* handle = platform::findFirstFile(search, list, kPathBytes, &folder);
    if (!handle) return 0;
    uint32_t count = folder ? 0 : 1;
    while (count < kListNames && platform::findNextFile(handle, list + count * kPathBytes, kPathBytes, &folder))
        if (!folder) ++count;
    platform::findClose(handle);
    return count;
}

// folder + "\" + name, or false when that would not fit a path buffer. The
// separator goes in even after a folder ending in one ("C:\"), as it always did.
static bool fileInFolder(char* out, const char* folder, const char* name) {
    char withSeparator[kPathBytes];
    return text::joinPath(withSeparator, kPathBytes, folder, "\\") &&
           text::joinPath(out, kPathBytes, withSeparator, name);
}

uint32_t pickRandomFile(char* folder, const char* pattern) {
    char search[kPathBytes + 8];
    text::copyBounded(search, folder, kPathBytes);
    uint32_t used = text::length(search);
    text::copyBounded(search + used, pattern, sizeof search - used);
    char* list = platform::allocNameList(kListBytes);
    if (!list) return 0;
    uint32_t chosen = 0;
    uint32_t count = listFiles(search, list);
    if (count != 0) {
        const char* name = list + (randomPick(count) - 1) * kPathBytes;
        char candidate[kPathBytes];
        if (fileInFolder(candidate, folder, name) && files::canOpen(candidate, files::Sharing::None)) {
            text::copy(candidate, folder);
            chosen = count;
        }
    }
    platform::freeNameList(list);
    return chosen;
}

// The program's own generator, for when the cryptographic source is missing.
static uint32_t fallbackPick(uint32_t n) {
    settings::Record& r = rec();
    uint32_t state = r.randomState;
    uint32_t tick = platform::tickCount();
    if (state != 0) state = ((state * state) % 65536) / 2 + tick % 256;
    else state = (tick * tick) % 65536;
    r.randomState = state;
    uint32_t v = (state * n) / 4096;
    // Subtracting n while v exceeds n, in one step; a 0 (product below 4096) becomes n.
    if (v == 0) return n;
    return (v - 1) % n + 1;
}

uint32_t randomPick(uint32_t n) {
    if (n <= 1) return 1;
    uint32_t bytes;
    if (!platform::cryptRandom(&bytes)) return fallbackPick(n);
    uint32_t result = bytes % n + 1;
    rec().randomState = result;
    return result;
}

void stopMedia() {
    platform::closeMediaWindow();
    state.mediaLoaded = 0;
}

void closeFinishedMedia() {
    uint32_t end = state.mediaLoaded;
    if (end != 0 && platform::mediaPosition() == end) stopMedia();
}

}  // namespace sound
