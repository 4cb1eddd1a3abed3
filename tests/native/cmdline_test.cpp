#include <gtest/gtest.h>

#include <string>

#include "app/cmdline.h"
#include "countdown/engine.h"
#include "settings/record.h"
#include "settings/store.h"
#include "tests/native/fake_platform.h"

using app::TokenStatus;

static std::string token(const char* line, uint32_t n, TokenStatus* status) {
    char buf[app::kTokenChars + 1];
    *status = app::commandToken(line, n, buf);
    return buf;
}

TEST(CommandLine, Tokens) {
    struct { const char* line; uint32_t n; TokenStatus status; const char* want; } cases[] = {
        {"Tiv.exe /m=5", 1, TokenStatus::Found, "/m=5"},
        {"Tiv.exe /m=5", 0, TokenStatus::Found, "Tiv.exe"},
        {"Tiv.exe /m=5", 2, TokenStatus::NotFound, ""},
        {"Tiv.exe /m=5  ", 2, TokenStatus::Empty, ""},
        {"\"C:\\Program Files\\Tiv.exe\" g", 0, TokenStatus::Found, "C:\\Program Files\\Tiv.exe"},
        {"Tiv.exe /a=\"Tea is ready\"", 1, TokenStatus::Found, "/a=Tea is ready"},
        {"Tiv.exe \"/a=Tea is ready\" g", 2, TokenStatus::Found, "g"},
        {"Tiv.exe\t/s=9", 1, TokenStatus::Found, "/s=9"},
        {"Tiv.exe \"\" /m=5", 1, TokenStatus::Empty, ""},
        {"Tiv.exe \"/a=odd", 1, TokenStatus::Unbalanced, ""},
        {"Tiv.exe a\xFE" "b", 1, TokenStatus::Found, "a\xFE" "b"},
        {"", 0, TokenStatus::Empty, ""},
    };
    for (const auto& c : cases) {
        TokenStatus status;
        EXPECT_EQ(token(c.line, c.n, &status), c.want) << c.line << " #" << c.n;
        EXPECT_EQ(status, c.status) << c.line << " #" << c.n;
    }
}

// Double-byte characters whose second byte is 254: a space stands for none
// of them, in quotes or not.
TEST(CommandLine, TrailByte254IsKept) {
    for (const char* c : {"件", "二", "服", "政", "湖", "宁"}) {
        ASSERT_EQ(std::string(c).size(), 2u);
        ASSERT_EQ(c[1], '\xFE') << "the sources are not compiled to code page 936";
        std::string s = c;
        struct { std::string line; uint32_t n; std::string want; } cases[] = {
            {"Tiv.exe /a=" + s + "x " + s, 1, "/a=" + s + "x"},
            {"Tiv.exe /a=" + s + "x " + s, 2, s},
            {"Tiv.exe \"/a=" + s + " " + s + "\" g", 1, "/a=" + s + " " + s},
            {"Tiv.exe /a=\"" + s + s + " x" + s + "\"", 1, "/a=" + s + s + " x" + s},
            {"\"C:\\" + s + " " + s + "\\Tiv.exe\" /m=5", 0, "C:\\" + s + " " + s + "\\Tiv.exe"},
        };
        for (const auto& k : cases) {
            TokenStatus status;
            EXPECT_EQ(token(k.line.c_str(), k.n, &status), k.want) << c << ": " << k.line << " #" << k.n;
            EXPECT_EQ(status, TokenStatus::Found) << c << ": " << k.line << " #" << k.n;
        }
    }
}

TEST(CommandLine, HostileLengthsAreCutNotOverrun) {
    std::string huge(10000, 'a');
    TokenStatus status;
    std::string got = token(("Tiv.exe /a=" + huge).c_str(), 1, &status);
    EXPECT_EQ(status, TokenStatus::Found);
    EXPECT_EQ(got.size(), app::kCommandLineChars - 8);  // the working copy keeps 195 characters
    got = token(huge.c_str(), 0, &status);
    EXPECT_EQ(got.size(), app::kTokenChars);
    std::string quotes(10001, '"');
    got = token(quotes.c_str(), 0, &status);
    EXPECT_EQ(status, TokenStatus::Unbalanced);
}

class Options : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_F(Options, TimeFieldsAndStartFlag) {
    settings::record.days = 3;
    app::readOptions("Tiv.exe /m=5 /h=2 /s=90 /m=7");
    EXPECT_EQ(settings::record.minutes, 7u);  // a later token wins
    EXPECT_EQ(settings::record.hours, 2u);
    EXPECT_EQ(settings::record.seconds, 90u); // carried only when the fields are read
    EXPECT_EQ(settings::record.days, 3u);
    EXPECT_EQ(countdown::state.slots[0].runState, 0u);

    fake::reset();
    app::readOptions("Tiv.exe /m=5g");  // only the start flag
    EXPECT_EQ(settings::record.minutes, 5u);  // the default, untouched
    EXPECT_EQ(countdown::state.slots[0].runState, countdown::kCounting);

    for (const char* line : {"Tiv.exe g", "Tiv.exe /g", "Tiv.exe -G"}) {
        fake::reset();
        app::readOptions(line);
        EXPECT_EQ(countdown::state.slots[0].runState, countdown::kCounting) << line;
    }
}

TEST_F(Options, IgnoredInput) {
    settings::record.seconds = 0;
    app::readOptions("Tiv.exe /S=10 /x=4");
    EXPECT_EQ(settings::record.seconds, 0u);  // the prefix is case-sensitive
    app::readOptions("Tiv.exe \"\" /s=10");
    EXPECT_EQ(settings::record.seconds, 0u);  // an empty token ends the list
    app::readOptions("Tiv.exe /s=10 \"");
    EXPECT_EQ(settings::record.seconds, 0u);  // odd quotes: nothing at all
    app::readOptions("Tiv.exe /s=1x");
    EXPECT_EQ(settings::record.seconds, 82u); // no validation: 1*10 + ('x' - 48)
}

// The quotes are counted on the whole line: a quoted text that crosses the
// 195-character cut leaves the options before it working.
TEST_F(Options, QuotedTextCrossingTheCut) {
    std::string text(200, 'x');
    for (size_t i = 10; i < text.size(); i += 20) text[i] = ' ';
    app::readOptions(("Tiv.exe /s=10 /m=2 \"/a=" + text + "\"").c_str());
    EXPECT_EQ(settings::record.seconds, 10u);
    EXPECT_EQ(settings::record.minutes, 2u);
    EXPECT_TRUE(settings::store.finishTextOverridden);
    EXPECT_EQ(std::string(settings::record.finishText[0]).substr(0, 12), "xxxxxxxxxx x");
}

// A text that ends in a double-byte character whose second byte reads g or G
// is a finish text, not the start flag; a real g after it still is.
TEST_F(Options, StartFlagLooksAtWholeCharacters) {
    struct { const char* line; const char* text; bool starts; } rows[] = {
        {"Tiv.exe /a=时間", "时間", false},            // 間 is E9 67
        {"Tiv.exe /a=丟", "丟", false},                // 丟 is 81 47
        {"Tiv.exe \"/a=会议 時間\"", "会议 時間", false},
        {"Tiv.exe /a=\"会议 時間\"", "会议 時間", false},
        {"Tiv.exe /a=会议文件", "会议文件", false},
        {"Tiv.exe \"/a=二 服 政 湖 宁\"", "二 服 政 湖 宁", false},
        {"Tiv.exe /a=間g", nullptr, true},
        {"Tiv.exe /a=間G", nullptr, true},
        {"Tiv.exe 丟", nullptr, false},
        {"Tiv.exe 丟 g", nullptr, true},
    };
    ASSERT_EQ(std::string("間"), "\xE9\x67");
    ASSERT_EQ(std::string("丟"), "\x81\x47");
    for (const auto& row : rows) {
        fake::reset();
        std::string before = settings::record.finishText[0];
        app::readOptions(row.line);
        EXPECT_EQ(countdown::state.slots[0].runState == countdown::kCounting, row.starts) << row.line;
        EXPECT_EQ(settings::store.finishTextOverridden, row.text != nullptr) << row.line;
        EXPECT_EQ(std::string(settings::record.finishText[0]), row.text ? row.text : before) << row.line;
    }
}

TEST_F(Options, FinishTextKeepsTheFirstSavedText) {
    std::string original = settings::record.finishText[0];
    app::readOptions("Tiv.exe \"/a=Tea is ready\" /a=Second");
    EXPECT_STREQ(settings::record.finishText[0], "Second");
    EXPECT_EQ(std::string(settings::store.savedFinishText), original);
    EXPECT_TRUE(settings::store.finishTextOverridden);

    fake::reset();
    app::readOptions("Tiv.exe /a=Big");  // ends in g: only the start flag
    EXPECT_FALSE(settings::store.finishTextOverridden);
    EXPECT_EQ(countdown::state.slots[0].runState, countdown::kCounting);
}
