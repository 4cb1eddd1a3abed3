#include "settings/words.h"

#include <cstdlib>
#include <cstring>

#include "base/files.h"
#include "base/text.h"
#include "settings/store.h"

namespace words {

SoundEntry* soundEntries;
uint32_t soundEntryCount;
TextEntry* textEntries;
uint32_t textEntryCount;

namespace {

constexpr uint32_t kLineBytes = 600;
constexpr uint32_t kDefaultCapacity = 10;
const char kFileName[] = "dWords.txt";

// Fixed by the first entry line, together with the tables.
uint32_t soundCapacity = kDefaultCapacity;
uint32_t textCapacity = kDefaultCapacity;

enum Section { kNone, kSounds, kTexts };

bool allocateTables() {
    if (soundEntries) return true;
    auto* sounds = static_cast<SoundEntry*>(std::calloc(soundCapacity, sizeof(SoundEntry)));
    auto* texts = static_cast<TextEntry*>(std::calloc(textCapacity, sizeof(TextEntry)));
    if (!sounds || !texts) {
        // Nothing half-made: the next entry line asks again.
        std::free(sounds);
        std::free(texts);
        return false;
    }
    soundEntries = sounds;
    textEntries = texts;
    return true;
}

void sectionLine(const char* line, Section* section) {
    char head[4];
    text::copyBounded(head, line, sizeof head);
    text::lowerCase(head);
    if (std::strcmp(head, "sou") == 0) *section = kSounds;
    else if (std::strcmp(head, "tex") == 0) *section = kTexts;
}

void directiveLine(const char* line) {
    if (soundEntries) return;
    char which = line[0];
    if (which >= 'A' && which <= 'Z') which = static_cast<char>(which + 32);
    if (which != 'r' && which != 'i') return;
    uint32_t value = text::parseDecimal(line + 1);
    if (value < 11 || value > 199) return;
    (which == 'r' ? soundCapacity : textCapacity) = value;
}

// True when the line completed or stored an entry.
bool entryLine(const char* line, Section section, bool* namePending) {
    if (!allocateTables()) return false;
    if (section == kSounds && soundEntryCount < soundCapacity) {
        SoundEntry& entry = soundEntries[soundEntryCount];
        if (!*namePending) {
            text::copyBounded(entry.name, line, kNameBytes);
            *namePending = true;
            return false;
        }
        text::copyBounded(entry.path, line, kPathBytes);
        *namePending = false;
        ++soundEntryCount;
        return true;
    }
    if (section == kTexts && textEntryCount < textCapacity) {
        text::copyBounded(textEntries[textEntryCount].text, line, kTextBytes);
        ++textEntryCount;
        return true;
    }
    return false;
}

void folderPath(char* out, const char* folder) { text::joinPath(out, settings::kFolderSize, folder, kFileName); }

}  // namespace

bool parseWords(const unsigned char* bytes, size_t length) {
    // The line is a C string: a NUL byte is stored like any other and ends its text there.
    char line[kLineBytes];
    uint32_t used = 0;
    bool section = false, directive = false, comment = false;
    Section current = kNone;
    bool namePending = false;
    bool stored = false;
    for (size_t i = 0; i < length; ++i) {
        unsigned char b = bytes[i];
        if (b == '\n') continue;
        if (b != '\r') {
            if (b == '*') section = true;
            else if (b == '-') directive = true;
            else if (b == '#') comment = true;
            else if (used < kLineBytes - 1) line[used++] = static_cast<char>(b);
            continue;
        }
        line[used] = '\0';
        if (section) sectionLine(line, &current);
        else if (directive) directiveLine(line);
        else if (!comment && text::length(line) >= 3 && entryLine(line, current, &namePending))
            stored = true;
        used = 0;
        section = directive = comment = false;
    }
    return stored;
}

bool loadWordsFile() {
    char path[settings::kFolderSize];
    folderPath(path, settings::store.dataFolder);
    unsigned char* data = nullptr;
    size_t length = 0;
    if (!files::readWhole(path, &data, &length)) {
        char shipped[settings::kFolderSize];
        folderPath(shipped, settings::store.programFolder);
        files::copy(shipped, path);
        if (!files::readWhole(path, &data, &length)) return false;
    }
    bool any = data && parseWords(data, length);
    std::free(data);
    return any;
}

void resetWords() {
    std::free(soundEntries);
    std::free(textEntries);
    soundEntries = nullptr;
    textEntries = nullptr;
    soundEntryCount = 0;
    textEntryCount = 0;
    soundCapacity = kDefaultCapacity;
    textCapacity = kDefaultCapacity;
}

}  // namespace words
