// Main window geometry: the control strip above the time display.
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

bool controlsVisible();   // hideButtons off, or every slot idle
int editWidth(int width);
// Recomputes the display geometry (display/geometry.h) from the client
// size; returns where the time fields go.
FieldLayout layOut(int clientWidth, int clientHeight);

}  // namespace app
