// The words file "dWords.txt": the sound and text lists of the context menu,
// read once and kept for the life of the process.
#pragma once
#include <cstddef>
#include <cstdint>

namespace words {

constexpr uint32_t kNameBytes = 30;    // display name: at most 29 bytes + NUL
constexpr uint32_t kPathBytes = 270;   // path: at most 269 bytes + NUL
constexpr uint32_t kTextBytes = 200;   // finish text: at most 199 bytes + NUL

struct SoundEntry {
    char name[kNameBytes];
    char path[kPathBytes];
};
struct TextEntry {
    char text[kTextBytes];
};
static_assert(sizeof(SoundEntry) == 300, "a sound entry is 300 bytes");
static_assert(sizeof(TextEntry) == 200, "a text entry is 200 bytes");

extern SoundEntry* soundEntries;   // null until the first entry line
extern uint32_t soundEntryCount;
extern TextEntry* textEntries;
extern uint32_t textEntryCount;

// Reads a whole file's bytes into the tables; true when at least one entry was stored.
bool parseWords(const unsigned char* bytes, size_t length);
// Data folder + "dWords.txt"; when that cannot be opened, copies the program
// folder's one over it and tries once more. Then parses.
bool loadWordsFile();
// Back to a fresh process's empty tables (tests).
void resetWords();

}  // namespace words
