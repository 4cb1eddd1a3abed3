// The settings record: every persistent setting in one fixed 10000-byte,
// little-endian block. The settings file is a byte copy of it behind an
// 8-byte header, so the layout below must never move.
#pragma once
#include <cstddef>
#include <cstdint>

namespace settings {

constexpr uint32_t kRecordSize = 10000;
constexpr uint32_t kTextSize = 600;  // every text field; 599 bytes + NUL
constexpr uint32_t kSlots = 4;
constexpr uint32_t kMaxDays = 49;
// The longest count, in whole seconds: 49 d 17:02:46. The tick measures
// elapsed time modulo 2^32, so a length within a tick of 2^32 ms could be
// passed without being seen; two ticks of 500 ms are kept clear.
constexpr uint32_t kMaxTotalMs = static_cast<uint32_t>((0x100000000ull - 2 * 500) / 1000 * 1000);

struct Record {
    uint32_t rememberTime;
    uint32_t legacyAutoRestart;
    uint32_t legacyRepeatSound;
    uint32_t currentSoundType;
    uint32_t topmost;
    uint32_t legacyFlash;
    uint32_t minimizeToTray;
    uint32_t hideButtons;
    char legacySoundPath[kTextSize];
    uint32_t hours;
    uint32_t minutes;
    uint32_t seconds;
    uint32_t rememberPosition;
    char legacyFinishText[kTextSize];
    uint32_t quickPickOnClick;
    uint32_t quickPickAutoStart;
    uint32_t autoReset;
    uint32_t minimizeOnStart;
    uint32_t showFinishWindow;
    uint32_t finishWindowTopmost;
    uint32_t mute;
    uint32_t showSeconds;
    uint32_t windowPlacement[11];  // Win32 WINDOWPLACEMENT layout
    uint32_t transparent;
    uint32_t alpha;
    uint32_t legacyRepeatIntervalMs;
    char legacyFontName[kTextSize];
    uint32_t legacyFontHeight;
    uint32_t legacyTextColour;
    uint32_t legacyBackColour;
    uint32_t customColours[16];
    uint32_t legacyTextSizeMode;
    uint32_t randomState;
    uint32_t dayDisplay;
    uint32_t days;
    uint32_t legacyWarnings;
    uint32_t quickValue[12];
    uint32_t quickUnit[12];
    uint32_t customBaseMinutes;
    uint32_t customMaxMinutes;
    uint32_t timerCountIndex;
    uint32_t durationMs[kSlots];
    uint32_t textColour[kSlots];
    uint32_t backColour[kSlots];
    uint32_t interfaceLevel;
    uint32_t menuTimers;
    uint32_t menuDays;
    uint32_t menuTopmost;
    uint32_t menuTransparent;
    uint32_t menuMute;
    uint32_t menuHideButtons;
    uint32_t menuSeconds;
    uint32_t menuCustom;
    uint32_t menuSound;
    uint32_t menuText;
    char soundPath[kSlots][kTextSize];
    char finishText[kSlots][kTextSize];
    uint32_t warnings[kSlots];
    uint32_t autoRestart[kSlots];
    uint32_t repeatSound[kSlots];
    uint32_t soundType[kSlots];
    uint32_t flashOnFinish[kSlots];
    uint32_t repeatIntervalMs[kSlots];
    char fontName[kSlots][kTextSize];
    uint32_t fontHeight[kSlots];
    uint32_t textSizeMode[kSlots];
    uint32_t timerPageSlot;
    uint32_t gap9564;  // unnamed in the file; kept as read
    char currentSoundPath[432];
};

#define TIV_AT(field, off) static_assert(offsetof(Record, field) == (off), #field " offset")
TIV_AT(rememberTime, 0);
TIV_AT(legacyAutoRestart, 4);
TIV_AT(legacyRepeatSound, 8);
TIV_AT(currentSoundType, 12);
TIV_AT(topmost, 16);
TIV_AT(legacyFlash, 20);
TIV_AT(minimizeToTray, 24);
TIV_AT(hideButtons, 28);
TIV_AT(legacySoundPath, 32);
TIV_AT(hours, 632);
TIV_AT(minutes, 636);
TIV_AT(seconds, 640);
TIV_AT(rememberPosition, 644);
TIV_AT(legacyFinishText, 648);
TIV_AT(quickPickOnClick, 1248);
TIV_AT(quickPickAutoStart, 1252);
TIV_AT(autoReset, 1256);
TIV_AT(minimizeOnStart, 1260);
TIV_AT(showFinishWindow, 1264);
TIV_AT(finishWindowTopmost, 1268);
TIV_AT(mute, 1272);
TIV_AT(showSeconds, 1276);
TIV_AT(windowPlacement, 1280);
TIV_AT(transparent, 1324);
TIV_AT(alpha, 1328);
TIV_AT(legacyRepeatIntervalMs, 1332);
TIV_AT(legacyFontName, 1336);
TIV_AT(legacyFontHeight, 1936);
TIV_AT(legacyTextColour, 1940);
TIV_AT(legacyBackColour, 1944);
TIV_AT(customColours, 1948);
TIV_AT(legacyTextSizeMode, 2012);
TIV_AT(randomState, 2016);
TIV_AT(dayDisplay, 2020);
TIV_AT(days, 2024);
TIV_AT(legacyWarnings, 2028);
TIV_AT(quickValue, 2032);
TIV_AT(quickUnit, 2080);
TIV_AT(customBaseMinutes, 2128);
TIV_AT(customMaxMinutes, 2132);
TIV_AT(timerCountIndex, 2136);
TIV_AT(durationMs, 2140);
TIV_AT(textColour, 2156);
TIV_AT(backColour, 2172);
TIV_AT(interfaceLevel, 2188);
TIV_AT(menuTimers, 2192);
TIV_AT(menuDays, 2196);
TIV_AT(menuTopmost, 2200);
TIV_AT(menuTransparent, 2204);
TIV_AT(menuMute, 2208);
TIV_AT(menuHideButtons, 2212);
TIV_AT(menuSeconds, 2216);
TIV_AT(menuCustom, 2220);
TIV_AT(menuSound, 2224);
TIV_AT(menuText, 2228);
TIV_AT(soundPath, 2232);
TIV_AT(finishText, 4632);
TIV_AT(warnings, 7032);
TIV_AT(autoRestart, 7048);
TIV_AT(repeatSound, 7064);
TIV_AT(soundType, 7080);
TIV_AT(flashOnFinish, 7096);
TIV_AT(repeatIntervalMs, 7112);
TIV_AT(fontName, 7128);
TIV_AT(fontHeight, 9528);
TIV_AT(textSizeMode, 9544);
TIV_AT(timerPageSlot, 9560);
TIV_AT(gap9564, 9564);
TIV_AT(currentSoundPath, 9568);
#undef TIV_AT
static_assert(sizeof(Record) == kRecordSize, "settings record must be 10000 bytes");

// The one record of the process; zero until the load.
extern Record record;

// The default finish text (GBK, like every literal of the program).
extern const char kDefaultFinishText[];

// The settings file is this header followed by the record.
constexpr char kMagic[] = "TIVY1";
constexpr char kCurrentVersion[] = "400";
constexpr uint32_t kHeaderSize = 8;
constexpr uint32_t kFileSize = kHeaderSize + kRecordSize;

// Format check result: kCheckCurrent, kCheckBadMagic, or the layout version.
constexpr uint32_t kCheckCurrent = 0xFFFFFFFFu;
constexpr uint32_t kCheckBadMagic = 0xFFFFFFFEu;

void fullDefaults();
void slotDefaults();
void simpleModeRecord();  // the record part of the simple-mode reset
void migrateFrom300();    // after slotDefaults(); durationMs[0] from the time fields

uint32_t formatCheck(const unsigned char* header, size_t length);

// What the load did. FirstRun (no file at all) comes from settings::load only.
enum class LoadAction { FirstRun, Defaults, UseImage, Migrate300 };
// Applies a file image (header + record bytes, possibly short) to `record`.
// Returns what happened so the caller can run the prompts or migration.
LoadAction applyFileImage(const unsigned char* bytes, size_t length);

// Builds the 10008-byte file image from `record`; while `overrideActive`,
// slot 0's finish text in the image is `savedText` instead.
void buildFileImage(unsigned char* out, bool overrideActive, const char* savedText);

// Copies a text field, cutting at 599 bytes when it has no NUL.
void copyField(char* dest, const char* source);

// Slot index made safe for arrays of four, whatever a stored value says.
inline uint32_t slotIndex(uint32_t v) { return v < 4 ? v : 3; }
// timerCountIndex bounded to 0..3, as layout and ticking use it.
inline uint32_t timerCount() { return record.timerCountIndex < 4 ? record.timerCountIndex : 3; }

// Carries seconds into minutes, minutes into hours and hours into days in
// the record's time fields, limits days to 49 and the total to kMaxTotalMs,
// and returns the total in ms.
uint32_t normaliseTime(Record& r);

}  // namespace settings
