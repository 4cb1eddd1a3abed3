#include "settings/store.h"

#include <cstring>

#include "platform/platform.h"
#include "settings/files.h"
#include "settings/record.h"
#include "settings/text.h"

namespace settings {

char programFolder[kFolderSize];
char dataFolder[kFolderSize];
bool finishTextOverridden;
char savedFinishText[kFolderSize];

// The settings file was there at start-up but stayed held by another
// program: this run's saves must not put defaults over the user's settings.
static bool leaveFileAlone;

// How long the load waits for a held file: about a second.
constexpr uint32_t kHeldTries = 10;
constexpr uint32_t kHeldWaitMs = 100;

static const char kFileName[] = "dTiv.dat";
static const char kTempName[] = "dTiv.tmp";

static void dataPath(char* out, const char* name) {
    text::copyBounded(out, dataFolder, kFolderSize);
    if (text::length(out) + text::length(name) < kFolderSize) text::append(out, name);
}

LoadAction load() {
    char path[kFolderSize];
    dataPath(path, kFileName);
    static unsigned char image[kFileSize];
    size_t got = 0;
    files::ReadResult result = files::readFile(path, image, sizeof image, &got);
    for (uint32_t tries = 1; result == files::ReadResult::Refused && tries < kHeldTries; ++tries) {
        platform::sleepMs(kHeldWaitMs);
        result = files::readFile(path, image, sizeof image, &got);
    }
    leaveFileAlone = result == files::ReadResult::Refused;
    if (result == files::ReadResult::Missing) {
        fullDefaults();
        return LoadAction::FirstRun;
    }
    if (leaveFileAlone) {
        fullDefaults();
        return LoadAction::Defaults;
    }
    return applyFileImage(image, got);
}

bool writeWhole(const char* path, const unsigned char* data, uint32_t length) {
    char temp[kFolderSize];
    dataPath(temp, kTempName);
    void* file = files::createAlways(temp);
    if (!file) return false;
    bool whole = files::write(file, data, length) == length;
    if (!files::flushAndClose(file)) whole = false;
    if (whole && files::replace(temp, path)) return true;
    files::remove(temp);
    return false;
}

bool save() {
    if (leaveFileAlone) return false;
    if (platform::windowState == platform::kWindowNormal) platform::capturePlacement(record.windowPlacement);
    static unsigned char image[kFileSize];
    buildFileImage(image, finishTextOverridden, savedFinishText);
    char path[kFolderSize];
    dataPath(path, kFileName);
    return writeWhole(path, image, kFileSize);
}

}  // namespace settings
