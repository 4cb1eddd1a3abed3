#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialogs/quick.h"
#include "settings/record.h"

using settings::record;

namespace {

void freshDefaults() {
    std::memset(&record, 0, sizeof record);
    settings::fullDefaults();
}

}  // namespace

TEST(Quick, CaptionOfAnEntry) {
    freshDefaults();
    const char* defaults[12] = {"30s", "60s", "90s", "5m", "10m", "15m", "30m", "60m", "90m", "6h", "12d", "2d"};
    for (uint32_t k = 0; k < 12; ++k) {
        char got[16] = "";
        dialogs::quickCaption(record.quickValue[k], record.quickUnit[k], got, sizeof got);
        EXPECT_STREQ(got, defaults[k]) << "default entry " << k + 1;
    }
    struct { uint32_t value, unit; const char* want; } cases[] = {
        {7, 0xFFFFFFFFu, "7d"},        // a list without a selection stores -1
        {7, 7, "7d"},                  // any other code is days
        {0, 1, "0m"},
        {1000, 0, "1000s"},
        {0xFFFFFFFFu, 2, "-1h"},       // signed, as stored
        {0x80000000u, 3, "-2147483648d"},
    };
    for (const auto& c : cases) {
        char got[16] = "";
        dialogs::quickCaption(c.value, c.unit, got, sizeof got);
        EXPECT_STREQ(got, c.want) << "value " << c.value << " unit " << c.unit;
    }
}

TEST(Quick, PickLoadsTheTimeFields) {
    struct Case {
        uint32_t value, unit, autoStart, runState;
        uint32_t days, hours, minutes, seconds;
        bool start;
    } cases[] = {
        {90, 1, 1, 0, 0, 0, 90, 0, true},           // normalised later by the reset
        {30, 0, 1, 10, 0, 0, 0, 30, false},         // counting: the reset restarts it
        {30, 0, 1, 25, 0, 0, 0, 30, false},
        {30, 0, 0, 0, 0, 0, 0, 30, false},          // auto start off
        {6, 2, 1, 0, 0, 6, 0, 0, true},
        {12, 3, 1, 0, 12, 0, 0, 0, true},
        {1000, 0, 0, 0, 0, 0, 0, 5, false},         // above 999: 5
        {999, 0, 0, 0, 0, 0, 0, 999, false},
        {0, 2, 0, 0, 0, 5, 0, 0, false},            // 0: 5
        {0xFFFFFFFFu, 1, 0, 0, 0, 0, 5, 0, false},
        {2, 0xFFFFFFFFu, 0, 0, 2, 0, 0, 0, false},  // no unit selected: days
        {2, 7, 0, 0, 2, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        for (uint32_t entry : {0u, 11u}) {
            freshDefaults();
            record.days = record.hours = record.minutes = record.seconds = 77;
            record.quickValue[entry] = c.value;
            record.quickUnit[entry] = c.unit;
            record.quickPickAutoStart = c.autoStart;
            bool start = dialogs::applyQuickPick(record, entry, c.runState);
            std::string got = std::to_string(record.days) + "d " + std::to_string(record.hours) + "h " +
                              std::to_string(record.minutes) + "m " + std::to_string(record.seconds) + "s" +
                              (start ? " start" : "");
            std::string want = std::to_string(c.days) + "d " + std::to_string(c.hours) + "h " +
                               std::to_string(c.minutes) + "m " + std::to_string(c.seconds) + "s" +
                               (c.start ? " start" : "");
            EXPECT_EQ(got, want) << "entry " << entry + 1 << ": value " << c.value << " unit " << c.unit
                                 << " auto start " << c.autoStart << " run state " << c.runState;
        }
    }
    // An entry beyond the twelve leaves the fields alone.
    freshDefaults();
    record.quickPickAutoStart = 1;
    record.minutes = 77;
    EXPECT_FALSE(dialogs::applyQuickPick(record, 12, 0));
    EXPECT_EQ(record.minutes, 77u);
}
