#include "settings/record.h"

#include <cstring>

#include "base/text.h"

namespace settings {

Record record;

const char kDefaultFinishText[] = "这个Tiv 已完成";
static const char kDefaultFont[] = "Times New Roman";
static const uint32_t kDefaultTextColour[kSlots] = {0x04FFFFFF, 0x04FFFF00, 0x04FF00FF, 0x0400FFFF};
static const uint32_t kDefaultQuickValue[12] = {30, 60, 90, 5, 10, 15, 30, 60, 90, 6, 12, 2};
static const uint32_t kDefaultQuickUnit[12] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 2, 3, 3};

void copyField(char* dest, const char* source) {
    text::copyBounded(dest, source, kTextSize);
}

static void generalOptions(Record& r) {
    r.rememberTime = 1;
    r.mute = 0;
    r.topmost = 0;
    r.minimizeToTray = 0;
    r.hideButtons = 0;
    r.rememberPosition = 1;
    r.autoReset = 0;
    r.quickPickOnClick = 1;
    r.quickPickAutoStart = 1;
    r.minimizeOnStart = 0;
    r.showFinishWindow = 1;
    r.showSeconds = 1;
    r.finishWindowTopmost = 1;
    r.transparent = 0;
}

void fullDefaults() {
    Record& r = record;
    generalOptions(r);
    r.hours = 0;
    r.seconds = 0;
    r.minutes = 5;
    r.alpha = 65;
    r.customBaseMinutes = 5;
    r.customMaxMinutes = 55;
    r.dayDisplay = 2;
    std::memcpy(r.quickValue, kDefaultQuickValue, sizeof r.quickValue);
    std::memcpy(r.quickUnit, kDefaultQuickUnit, sizeof r.quickUnit);
    slotDefaults();
}

// A slot's looks and alarm; its length is not among them.
static void slotLooks(Record& r, uint32_t s) {
    r.autoRestart[s] = 0;
    r.backColour[s] = 0;
    r.soundType[s] = 0;
    r.warnings[s] = 0;
    r.repeatSound[s] = 0;
    r.repeatIntervalMs[s] = 1500;
    r.fontHeight[s] = 60;
    r.textSizeMode[s] = 1;
    r.flashOnFinish[s] = 1;
    copyField(r.finishText[s], kDefaultFinishText);
    copyField(r.fontName[s], kDefaultFont);
    r.textColour[s] = kDefaultTextColour[s];
}

void slotDefaults() {
    Record& r = record;
    r.timerCountIndex = 0;
    for (uint32_t s = 0; s < kSlots; ++s) {
        slotLooks(r, s);
        r.durationMs[s] = 300000;
    }
    r.interfaceLevel = 6;
    r.menuTimers = r.menuDays = r.menuTopmost = r.menuTransparent = r.menuMute = 1;
    r.menuHideButtons = r.menuSeconds = r.menuCustom = r.menuSound = r.menuText = 1;
}

void simpleModeRecord() {
    Record& r = record;
    generalOptions(r);
    r.timerCountIndex = 0;
    r.dayDisplay = 2;
    slotLooks(r, 0);
}

void migrateFrom300() {
    Record& r = record;
    r.autoRestart[0] = r.legacyAutoRestart;
    r.repeatSound[0] = r.legacyRepeatSound;
    r.soundType[0] = r.currentSoundType;
    r.flashOnFinish[0] = r.legacyFlash;
    r.repeatIntervalMs[0] = r.legacyRepeatIntervalMs;
    r.fontHeight[0] = r.legacyFontHeight;
    r.textColour[0] = r.legacyTextColour;
    r.backColour[0] = r.legacyBackColour;
    r.textSizeMode[0] = r.legacyTextSizeMode;
    r.warnings[0] = r.legacyWarnings;
    copyField(r.soundPath[0], r.legacySoundPath);
    copyField(r.finishText[0], r.legacyFinishText);
    copyField(r.fontName[0], r.legacyFontName);
    r.durationMs[0] = normaliseTime(r);
}

uint32_t formatCheck(const unsigned char* header, size_t length) {
    if (length < kHeaderSize || std::memcmp(header, kMagic, 5) != 0) return kCheckBadMagic;
    if (std::memcmp(header + 5, kCurrentVersion, 3) == 0) return kCheckCurrent;
    char digits[4] = {static_cast<char>(header[5]), static_cast<char>(header[6]),
                      static_cast<char>(header[7]), '\0'};
    return text::parseDecimal(digits);
}

LoadAction applyFileImage(const unsigned char* bytes, size_t length) {
    uint32_t check = formatCheck(bytes, length);
    if (check == kCheckBadMagic) {
        fullDefaults();
        return LoadAction::Defaults;
    }
    size_t recordBytes = length - kHeaderSize;
    if (recordBytes > kRecordSize) recordBytes = kRecordSize;
    std::memcpy(&record, bytes + kHeaderSize, recordBytes);
    if (check == 300) {
        slotDefaults();
        migrateFrom300();
        return LoadAction::Migrate300;
    }
    if (check != kCheckCurrent && check < 300) {
        fullDefaults();
        return LoadAction::Defaults;
    }
    return LoadAction::UseImage;
}

void buildFileImage(unsigned char* out, bool overrideActive, const char* savedText) {
    std::memcpy(out, kMagic, 5);
    std::memcpy(out + 5, kCurrentVersion, 3);
    std::memcpy(out + kHeaderSize, &record, kRecordSize);
    if (overrideActive) {
        char* slot0 = reinterpret_cast<char*>(out + kHeaderSize + offsetof(Record, finishText));
        // Keep the bytes after the NUL as the live record has them.
        text::copyBounded(slot0, savedText, kTextSize);
    }
}

uint32_t normaliseTime(Record& r) {
    if (r.seconds > 59) {
        r.minutes += r.seconds / 60;
        r.seconds %= 60;
    }
    if (r.minutes > 59) {
        r.hours += r.minutes / 60;
        r.minutes %= 60;
    }
    if (r.hours > 23) {
        r.days += r.hours / 24;
        r.hours %= 24;
    }
    if (r.days > kMaxDays) r.days = kMaxDays;
    uint64_t total = ((((uint64_t)r.days * 24 + r.hours) * 60 + r.minutes) * 60 + r.seconds) * 1000;
    if (total <= kMaxTotalMs) return static_cast<uint32_t>(total);
    // The fields show the length that will be counted.
    uint32_t s = kMaxTotalMs / 1000;
    r.seconds = s % 60;
    r.minutes = s / 60 % 60;
    r.hours = s / 3600 % 24;
    r.days = s / 86400;
    return kMaxTotalMs;
}

}  // namespace settings
