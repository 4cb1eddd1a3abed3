// Where each timer slot is drawn and how large its text is.
#pragma once
#include <cstdint>

namespace display {

struct Rect { int left, top, right, bottom; };

constexpr uint32_t kBaseDpi = 96;

// The display's run-time values, the main thread's only; `= {}` is a fresh
// process's.
struct View {
    // The main window's dots per inch. Every pixel length here and in the
    // window's layout is a length at 96 dpi, scaled to this.
    uint32_t dpi = kBaseDpi;
    // Where the time display sits in the main window's client area; the
    // window's layout sets it.
    int top = 60;   // below the control strip until the first layout
    int width = 0;
    int height = 0;
};
extern View view;

// Rounds as MulDiv does, so these lengths agree with the system's own.
int scaledAt(int pixels, uint32_t toDpi);
inline int scaled(int pixels) { return scaledAt(pixels, view.dpi); }

// The slot under a client point, given the current geometry.
uint32_t slotAt(int x, int y);

// Mark id that matches no slot: one timer never shows the asterisk.
constexpr uint32_t kNoMark = 5;
constexpr int kMarkSize = 20;
constexpr int kMarkMinArea = 100;

// Area of `slot` inside a display of w x h for timerCountIndex `countIndex`.
Rect slotArea(uint32_t countIndex, uint32_t slot, int w, int h);
uint32_t markId(uint32_t countIndex, uint32_t slot);
// CreateFontA height for a slot's text. A height the user set is one at 96
// dpi, so a settings file looks the same on every screen.
uint32_t fontHeight(uint32_t mode, uint32_t fontHeightSetting, uint32_t textWidth,
                    uint32_t countIndex, uint32_t w, uint32_t h);
// Colours of a slot: inverted while its flash phase says so.
bool inverted(uint32_t flashOnFinish, uint32_t runState);
// A colour as drawn: the top byte is not a colour.
inline uint32_t drawColour(uint32_t stored) { return stored & 0x00FFFFFFu; }

}  // namespace display
