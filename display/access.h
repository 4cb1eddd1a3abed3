// The time display as assistive technology reads it: a screen reader finds
// nothing in pixels, so each timer shown is offered as a child of the main
// window's client area with a name, the text drawn for it and its place.
#pragma once
#include <cstdint>

#include "display/geometry.h"

namespace display {

struct TimerChild {
    const char* name;    // 计时器 1 to 计时器 4
    const char* value;   // the text drawn for the timer
    bool selected;       // the shown timer, the one the buttons act on
    Rect area;           // in the main window's client area
};

// The timers shown: 1 to 4.
uint32_t timerChildren();
// Timer n (0 first) as drawn now; n is below timerChildren().
TimerChild timerChild(uint32_t n);

}  // namespace display
