#include "tests/native/fake_sound.h"

#include <cstdlib>
#include <cstring>

#include "base/files.h"
#include "base/text.h"
#include "platform/audio.h"
#include "sound/sound.h"
#include "tests/native/fake_platform.h"

namespace fake {

uint32_t mediaEnd;
uint32_t mediaPosition;
bool cryptAvailable;
std::deque<uint32_t> cryptBytes;
bool listAllocFails;
int listsAllocated;
int listsFreed;
std::map<std::string, std::vector<std::string>> folders;
std::set<std::string> subfolders;
int listings;
std::set<std::string> openable;
std::vector<std::string> openTries;

static uint32_t cryptCounter;

struct Search {
    const std::vector<std::string>* names;
    size_t next;
};

void resetSound() {
    mediaEnd = 4000;
    mediaPosition = 0;
    cryptAvailable = true;
    cryptBytes.clear();
    cryptCounter = 0;
    listAllocFails = false;
    listsAllocated = 0;
    listsFreed = 0;
    folders.clear();
    subfolders = {".", ".."};
    listings = 0;
    openable.clear();
    openTries.clear();
    std::memset(sound::state.currentSoundPath, 0, sizeof sound::state.currentSoundPath);
}

}  // namespace fake

namespace platform {

void playWave(const char* path) { fake::calls.push_back(std::string("wave ") + path); }

uint32_t playMedia(const char* path) {
    fake::calls.push_back(std::string("media ") + path);
    return fake::mediaEnd;
}

uint32_t mediaPosition() { return fake::mediaPosition; }

bool cryptRandom(uint32_t* out) {
    if (!fake::cryptAvailable) return false;
    if (!fake::cryptBytes.empty()) {
        *out = fake::cryptBytes.front();
        fake::cryptBytes.pop_front();
    } else {
        fake::cryptCounter += 0x9E3779B9u;
        *out = fake::cryptCounter;
    }
    return true;
}

char* allocNameList(uint32_t bytes) {
    if (fake::listAllocFails) return nullptr;
    ++fake::listsAllocated;
    return static_cast<char*>(std::calloc(bytes, 1));
}

void freeNameList(char* list) {
    ++fake::listsFreed;
    std::free(list);
}

void* findFirstFile(const char* search, char* name, uint32_t nameBytes, bool* folder) {
    ++fake::listings;
    auto it = fake::folders.find(search);
    if (it == fake::folders.end() || it->second.empty()) return nullptr;
    auto* s = new fake::Search{&it->second, 0};
    findNextFile(s, name, nameBytes, folder);
    return s;
}

bool findNextFile(void* search, char* name, uint32_t nameBytes, bool* folder) {
    auto* s = static_cast<fake::Search*>(search);
    if (s->next >= s->names->size()) return false;
    const std::string& entry = (*s->names)[s->next++];
    text::copyBounded(name, entry.c_str(), nameBytes);
    *folder = fake::subfolders.count(entry) != 0;
    return true;
}

void findClose(void* search) { delete static_cast<fake::Search*>(search); }

}  // namespace platform

// Natively only the folder pick asks this: the sound's openable files stand in.
namespace files {

bool canOpen(const char* path, Sharing) {
    fake::openTries.push_back(path);
    return fake::openable.count(path) != 0;
}

}  // namespace files
