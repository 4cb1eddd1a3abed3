// Where each timer slot is drawn and how large its text is.
#pragma once
#include <cstdint>

namespace display {

struct Rect { int left, top, right, bottom; };

// The main window's dots per inch. Every pixel length here and in the
// window's layout is a length at 96 dpi, scaled to this.
constexpr uint32_t kBaseDpi = 96;
extern uint32_t dpi;
// Rounds as MulDiv does, so these lengths agree with the system's own.
int scaledAt(int pixels, uint32_t toDpi);
inline int scaled(int pixels) { return scaledAt(pixels, dpi); }

// Where the time display sits in the main window's client area; the window's
// layout sets it.
extern int displayTop;
extern int displayWidth;
extern int displayHeight;

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
