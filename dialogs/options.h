// The Options page's arithmetic, which needs no window.
#pragma once
#include <cstdint>

namespace dialogs {

// The transparency percentage the page shows for a stored alpha (0-255).
uint32_t percentFromAlpha(uint32_t alpha);
// The alpha stored for a typed percentage: 0 is opaque, 100 and up nearly clear.
uint32_t alphaFromPercent(uint32_t percent);
// The custom range's maximum as stored: never 0, so a random pick has a range.
inline uint32_t storedCustomMax(uint32_t typed) { return typed == 0 ? 1 : typed; }

}  // namespace dialogs
