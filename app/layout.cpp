#include "app/layout.h"

#include "app/state.h"
#include "countdown/engine.h"
#include "settings/record.h"

namespace app {

int displayTop = kStripHeight;
int displayWidth;
int displayHeight;

bool controlsVisible() {
    return settings::record.hideButtons == 0 || !countdown::anyNotIdle();
}

int editWidth(int width) {
    int base = width > kDaysThreshold ? width / 4 : width / 3;
    if (base < 40) base = 40;
    if (base > 95) base = 95;
    return base - 15;
}

FieldLayout layOut(int clientWidth, int clientHeight) {
    bool visible = controlsVisible();
    displayTop = visible ? kStripHeight : 0;
    displayWidth = clientWidth;
    displayHeight = clientHeight - displayTop;
    int w = editWidth(displayWidth);
    FieldLayout layout{};
    int x = 3;
    for (int pair = 0; pair < 4; ++pair) {
        bool days = pair == 0;
        if (days && displayWidth <= kDaysThreshold) continue;  // hidden, x stays
        layout.pairs[pair].shown = days ? visible : true;
        layout.pairs[pair].edit = {x, 30, w, 22};
        x += w - 2;
        layout.pairs[pair].spin = {x, 30, 15, 22};
        x += 16;
    }
    return layout;
}

uint32_t slotAt(int x, int y) {
    uint32_t shown = shownTimer;
    int half = displayWidth / 2;
    int third = displayWidth / 3;
    switch (timerCount()) {
    case 0:
        return shown;
    case 1:
        return x < half ? 0 : 1;
    case 2:
        return x < third ? 0 : (x < 2 * third ? 1 : 2);
    default:
        return (x < half ? 0 : 1) + (y - displayTop > displayHeight / 2 ? 2 : 0);
    }
}

}  // namespace app
