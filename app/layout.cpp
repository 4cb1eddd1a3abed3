#include "app/layout.h"

#include "countdown/engine.h"
#include "display/geometry.h"
#include "settings/record.h"

namespace app {

using display::scaled;

Place scaledPlace(const Place& p) { return {scaled(p.x), scaled(p.y), scaled(p.w), scaled(p.h)}; }

int defaultWidth() { return scaled(kDefaultWidth); }
int defaultHeight() { return scaled(kDefaultHeight); }

bool controlsVisible() {
    return settings::record.hideButtons == 0 || !countdown::anyNotIdle();
}

int editWidth(int width) {
    int base = width > scaled(kDaysThreshold) ? width / 4 : width / 3;
    if (base < scaled(40)) base = scaled(40);
    if (base > scaled(95)) base = scaled(95);
    return base - scaled(15);
}

FieldLayout layOut(int clientWidth, int clientHeight) {
    bool visible = controlsVisible();
    display::displayTop = visible ? scaled(kStripHeight) : 0;
    display::displayWidth = clientWidth;
    display::displayHeight = clientHeight - display::displayTop;
    int w = editWidth(display::displayWidth);
    FieldLayout layout{};
    int x = scaled(3), y = scaled(30), h = scaled(22);
    for (int pair = 0; pair < 4; ++pair) {
        bool days = pair == 0;
        if (days && display::displayWidth <= scaled(kDaysThreshold)) continue;  // hidden, x stays
        layout.pairs[pair].shown = days ? visible : true;
        layout.pairs[pair].edit = {x, y, w, h};
        x += w - scaled(2);
        layout.pairs[pair].spin = {x, y, scaled(15), h};
        x += scaled(16);
    }
    return layout;
}

}  // namespace app
