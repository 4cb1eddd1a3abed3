#include "dialogs/timer_page.h"

#include "base/text.h"
#include "sound/sound.h"

namespace dialogs {

namespace {

void storeSelection(uint32_t& field, int32_t selection) {
    if (selection != kNoSelection) field = static_cast<uint32_t>(selection);
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

void readBackTimerPage(settings::Record& r, uint32_t slot, const TimerPageReading& in) {
    slot = settings::slotIndex(slot);
    storeSelection(r.textSizeMode[slot], in.textSizeMode);
    settings::copyField(r.finishText[slot], in.finishText);
    r.flashOnFinish[slot] = in.flashOnFinish;
    storeSelection(r.autoRestart[slot], in.autoRestart);
    storeSelection(r.soundType[slot], in.soundType);
    settings::copyField(r.soundPath[slot], in.soundPath);
    r.repeatIntervalMs[slot] = intervalFromText(in.interval);
    r.warnings[slot] = in.warnings;
    r.repeatSound[slot] = in.repeatSound;
}

// Reads as GetDlgItemInt does: blanks around the digits are allowed, anything
// else, or a value beyond 32 bits, is no number.
uint32_t intervalFromText(const char* text) {
    const char* p = text;
    while (isBlank(*p)) ++p;
    uint64_t value = 0;
    const char* digits = p;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<uint32_t>(*p - '0');
        if (value > UINT32_MAX) return kMinRepeatIntervalMs;
    }
    bool number = p != digits;
    while (isBlank(*p)) ++p;
    if (!number || *p != '\0' || value < kMinRepeatIntervalMs) return kMinRepeatIntervalMs;
    return static_cast<uint32_t>(value);
}

TimerPageEnables timerPageEnables(const settings::Record& r, uint32_t slot, bool finishTextOverridden) {
    slot = settings::slotIndex(slot);
    return {r.soundType[slot] > sound::kTypeSystem, r.repeatSound[slot] != 0, !finishTextOverridden};
}

// -h is kept as h - 1. A height the chooser gives as zero or positive (no
// Windows version has been seen to) is already a cell height: complemented it
// would become a size of four thousand million.
uint32_t storedFontHeight(int32_t lfHeight) {
    if (lfHeight < 0) return static_cast<uint32_t>(~lfHeight);
    return static_cast<uint32_t>(lfHeight);
}

void testTimerSound(uint32_t slot, const char* path) {
    settings::Record& r = settings::record;
    text::copyBounded(sound::state.currentSoundPath, path, sound::kPathBytes);
    r.currentSoundType = r.soundType[settings::slotIndex(slot)];
    if (r.currentSoundType == sound::kTypeFolder) sound::chooseFolderFile();
    sound::playSound();
}

}  // namespace dialogs
