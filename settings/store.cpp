#include "settings/store.h"

#include <cstring>

#include "platform/messagebox.h"
#include "platform/platform.h"
#include "base/files.h"
#include "settings/record.h"
#include "base/text.h"

namespace settings {

Store store;

// How long the load waits for a held file: about a second.
constexpr uint32_t kHeldTries = 10;
constexpr uint32_t kHeldWaitMs = 100;

static const char kFileName[] = "dTiv.dat";
static const char kTempName[] = "dTiv.tmp";

static const char kWelcome[] = "感谢你试用Tiv.";
static const char kAskSimple[] = "   你想要将 Tiv 设置为简易模式吗?";
static const char kHintLine1[] = "设置高级选项或查看帮助文件";
static const char kHintLine2[] = "在主窗口右键点击或按下键盘上的'M'键";

static void dataPath(char* out, const char* name) {
    text::joinPath(out, kFolderSize, store.dataFolder, name);
}

static void firstRun() {
    fullDefaults();
    platform::acquireMessageBox();
    platform::messageStyle = platform::kStyleOkCancel;
    platform::messageLines[0] = kWelcome;
    platform::messageLines[2] = kAskSimple;
    if (platform::showMessageBox(false) == platform::kResultOk) {
        record.interfaceLevel = 0;
        // No window and no count exist yet: the record is all there is to reset.
        simpleModeRecord();
        return;
    }
    record.interfaceLevel = 6;
    platform::acquireMessageBox();
    platform::messageLines[0] = kHintLine1;
    platform::messageLines[1] = kHintLine2;
    platform::showMessageBox(false);
}

void load() {
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
    if (result == files::ReadResult::Missing) firstRun();
    else if (store.leaveFileAlone) fullDefaults();
    else applyFileImage(image, got);
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
    if (store.leaveFileAlone) return false;
    if (platform::windowState == platform::kWindowNormal) platform::capturePlacement(record.windowPlacement);
    static unsigned char image[kFileSize];
    buildFileImage(image, store.finishTextOverridden, store.savedFinishText);
    char path[kFolderSize];
    dataPath(path, kFileName);
    return writeWhole(path, image, kFileSize);
}

}  // namespace settings
