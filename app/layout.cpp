#include "app/layout.h"

#include "countdown/engine.h"
#include "display/geometry.h"
#include "settings/record.h"

namespace app {

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
    display::displayTop = visible ? kStripHeight : 0;
    display::displayWidth = clientWidth;
    display::displayHeight = clientHeight - display::displayTop;
    int w = editWidth(display::displayWidth);
    FieldLayout layout{};
    int x = 3;
    for (int pair = 0; pair < 4; ++pair) {
        bool days = pair == 0;
        if (days && display::displayWidth <= kDaysThreshold) continue;  // hidden, x stays
        layout.pairs[pair].shown = days ? visible : true;
        layout.pairs[pair].edit = {x, 30, w, 22};
        x += w - 2;
        layout.pairs[pair].spin = {x, 30, 15, 22};
        x += 16;
    }
    return layout;
}

}  // namespace app
