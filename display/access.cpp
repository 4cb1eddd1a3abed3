#include "display/access.h"

#include "countdown/engine.h"
#include "settings/record.h"

namespace display {

static const char* const kTimerNames[4] = {"计时器 1", "计时器 2", "计时器 3", "计时器 4"};

uint32_t timerChildren() { return settings::timerCount() + 1; }

TimerChild timerChild(uint32_t n) {
    n = settings::slotIndex(n);
    Rect area = slotArea(settings::timerCount(), n, view.width, view.height);
    area.top += view.top;
    area.bottom += view.top;
    return {kTimerNames[n], countdown::state.slots[n].text, n == settings::slotIndex(countdown::state.shownTimer),
            area};
}

}  // namespace display
