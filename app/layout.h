// Main window geometry: the control strip above the time display. The
// lengths are pixels at 96 dpi; the layout scales them to the window's.
#pragma once
#include <cstdint>

namespace app {

constexpr int kStripHeight = 60;
constexpr int kDaysThreshold = 210;   // wider than this shows the days pair
constexpr int kDefaultWidth = 135;
constexpr int kDefaultHeight = 120;

struct Place { int x, y, w, h; };

// One time-field pair: the edit and its up-down.
struct FieldPair { bool shown; Place edit; Place spin; };
// Days, hours, minutes, seconds.
struct FieldLayout { FieldPair pairs[4]; };

Place scaledPlace(const Place& at96);   // at the window's dpi
// A new window's outer size, also what "简易" returns to.
int defaultWidth();
int defaultHeight();

bool controlsVisible();   // hideButtons off, or every slot idle
int editWidth(int width);
// Recomputes the display geometry (display/geometry.h) from the client
// size; returns where the time fields go.
FieldLayout layOut(int clientWidth, int clientHeight);

// A change of scale. Windows scales from 100 to 500 %; a message that names
// another dpi did not come from it.
constexpr uint32_t kMinDpi = 96;
constexpr uint32_t kMaxDpi = 480;
struct Box { int left, top, right, bottom; };
bool plausibleDpi(uint32_t dpi);
// A window rectangle the system could suggest: not empty, and within the
// coordinates a window can have.
bool plausibleWindow(const Box& r);
// The window's rectangle at a new scale, about its top-left corner: what a
// change of scale takes when the suggestion cannot be trusted.
Box rescaledWindow(const Box& current, uint32_t fromDpi, uint32_t toDpi);

}  // namespace app
