#include "settings/store.h"

#include <cstring>

#include "base/files.h"
#include "base/text.h"
#include "platform/platform.h"
#include "settings/record.h"

namespace settings {

Store store;

// How long the load waits for a held file: about a second.
constexpr uint32_t kHeldTries = 10;
constexpr uint32_t kHeldWaitMs = 100;

static const char kFileName[] = "dTiv.dat";
static const char kTempName[] = "dTiv.tmp";

static void dataPath(char* out, const char* name) {
    text::joinPath(out, kFolderSize, store.dataFolder, name);
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
    store.leaveFileAlone = result == files::ReadResult::Refused;
    if (result == files::ReadResult::Missing) {
        fullDefaults();
        return LoadAction::FirstRun;
    }
    if (store.leaveFileAlone) {
        fullDefaults();
        return LoadAction::Defaults;
    }
    return applyFileImage(image, got);
}

bool writeWhole(const char* path, const char* tempName, const unsigned char* data, uint32_t length) {
    char temp[kFolderSize];
    dataPath(temp, tempName);
    void* file = files::createAlways(temp);
    if (!file) return false;
    bool whole = files::write(file, data, length) == length;
    if (!files::flushAndClose(file)) whole = false;
    if (whole && files::replace(temp, path)) return true;
    files::remove(temp);
    return false;
}

bool save() {
    if (store.leaveFileAlone) return false;
    if (platform::windowState == platform::kWindowNormal) platform::capturePlacement(record.windowPlacement);
    static unsigned char image[kFileSize];
    buildFileImage(image, store.finishTextOverridden, store.savedFinishText);
    char path[kFolderSize];
    dataPath(path, kFileName);
    return writeWhole(path, kTempName, image, kFileSize);
}

}  // namespace settings
