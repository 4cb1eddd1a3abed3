// The Timer page's rules that need no window: what its controls store into
// a slot, which of them are enabled, the font height it keeps and its test
// sound.
#pragma once
#include <cstdint>

#include "settings/record.h"

namespace dialogs {

constexpr uint32_t kMinRepeatIntervalMs = 100;
constexpr int32_t kNoSelection = -1;   // a list's CB_ERR

// The controls as a read-back finds them; lists give their selection.
struct TimerPageReading {
    int32_t textSizeMode;
    int32_t autoRestart;
    int32_t soundType;
    bool flashOnFinish;
    bool warnings;
    bool repeatSound;
    const char* finishText;
    const char* soundPath;
    const char* interval;
};

// Stores what the controls say into `slot`. A list with no selection (its
// stored value had no item) leaves its field as it was.
void readBackTimerPage(settings::Record& r, uint32_t slot, const TimerPageReading& in);

// The repeat interval an edit's text stands for: an unsigned decimal number,
// at least kMinRepeatIntervalMs; text that is no number gives the least.
uint32_t intervalFromText(const char* text);

struct TimerPageEnables {
    bool soundPath;    // edit 1008 and its chooser button
    bool interval;     // edit 1017
    bool finishText;   // edit 1021
};
TimerPageEnables timerPageEnables(const settings::Record& r, uint32_t slot, bool finishTextOverridden);

// The font chooser answers a character height as a negative lfHeight; the
// slot keeps its complement, which the chooser reads back as a cell height.
uint32_t storedFontHeight(int32_t lfHeight);

// "测试": plays the slot's sound type from `path` (the path edit's text) the
// way an alarm would, a folder giving one of its files at random.
void testTimerSound(uint32_t slot, const char* path);

}  // namespace dialogs
