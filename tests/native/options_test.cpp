#include <gtest/gtest.h>

#include "dialogs/options.h"

TEST(OptionsPage, PercentAndAlpha) {
    struct { uint32_t percent, alpha; } stored[] = {
        {0, 255}, {1, 255}, {2, 252}, {75, 66}, {99, 5}, {100, 5}, {250, 5},
    };
    for (const auto& row : stored)
        EXPECT_EQ(dialogs::alphaFromPercent(row.percent), row.alpha) << "percent " << row.percent;
    struct { uint32_t alpha, percent; } shown[] = {{65, 75}, {255, 0}, {5, 99}, {0, 100}, {252, 2}};
    for (const auto& row : shown)
        EXPECT_EQ(dialogs::percentFromAlpha(row.alpha), row.percent) << "alpha " << row.alpha;
    EXPECT_EQ(dialogs::storedCustomMax(0), 1u);
    EXPECT_EQ(dialogs::storedCustomMax(300), 300u);
}
