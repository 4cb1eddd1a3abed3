// When assistive technology is told that the shown timer's time changed. A
// screen reader speaks each change it is told of; told on every tick it would
// never be quiet, so only the moments worth a word are told.
#pragma once
#include <cstdint>

namespace countdown {

// The engine's two moments: a tick changed the slot's text to show
// `remainingMs`, told at each whole minute and at 10 down to 1 seconds;
// the slot's count ended, always told. Only the shown timer's are told.
void textTicked(uint32_t slot, uint32_t remainingMs);
void countEnded(uint32_t slot);
// A tick changed the text of a timer counting on past its end, `seconds` past
// it: told at each whole minute only.
void overtimeTicked(uint32_t slot, uint32_t seconds);

}  // namespace countdown
