#include "dialogs/options.h"

namespace dialogs {

uint32_t percentFromAlpha(uint32_t alpha) {
    uint32_t opaque = alpha * 100 / 255;
    return opaque > 100 ? 0 : 100 - opaque;
}

uint32_t alphaFromPercent(uint32_t percent) {
    if (percent >= 100) return 5;
    if (percent == 0) return 255;
    return (101 - percent) * 255 / 100;
}

}  // namespace dialogs
