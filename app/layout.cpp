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
    display::view.top = visible ? scaled(kStripHeight) : 0;
    display::view.width = clientWidth;
    display::view.height = clientHeight - display::view.top;
    int w = editWidth(display::view.width);
    FieldLayout layout{};
    int x = scaled(3), y = scaled(30), h = scaled(22);
    for (int pair = 0; pair < 4; ++pair) {
        bool days = pair == 0;
        if (days && display::view.width <= scaled(kDaysThreshold)) continue;  // hidden, x stays
        layout.pairs[pair].shown = days ? visible : true;
        layout.pairs[pair].edit = {x, y, w, h};
        x += w - scaled(2);
        layout.pairs[pair].spin = {x, y, scaled(15), h};
        x += scaled(16);
    }
    return layout;
}

bool plausibleDpi(uint32_t dpi) { return dpi >= kMinDpi && dpi <= kMaxDpi; }

bool plausibleWindow(const Box& r) {
    // Windows keeps window coordinates to 16 bits.
    const int64_t kLimit = 32767;
    auto within = [&](int64_t v) { return v >= -kLimit && v <= kLimit; };
    return within(r.left) && within(r.top) && within(r.right) && within(r.bottom) && r.right > r.left &&
           r.bottom > r.top;
}

Box rescaledWindow(const Box& current, uint32_t fromDpi, uint32_t toDpi) {
    if (!plausibleDpi(fromDpi) || !plausibleDpi(toDpi)) return current;
    auto rescale = [&](int length) {
        return static_cast<int>((static_cast<int64_t>(length) * toDpi + fromDpi / 2) / fromDpi);
    };
    return {current.left, current.top, current.left + rescale(current.right - current.left),
            current.top + rescale(current.bottom - current.top)};
}

}  // namespace app
