#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/text.h"

TEST(Text, DecimalParseWrapsAndAddsEveryByte) {
    struct { const char* in; uint32_t want; } cases[] = {
        {"300", 300}, {"", 0}, {"12a", 169}, {"4294967296", 0}, {"4294967295", 4294967295u},
        {" 5", 2405},  // a blank adds 240 before the 5
        {"\xFE", 206},
    };
    for (const auto& c : cases) EXPECT_EQ(text::parseDecimal(c.in), c.want) << "input \"" << c.in << "\"";
}

TEST(Text, DecimalFormat) {
    struct { int32_t in; const char* want; } cases[] = {
        {0, "0"}, {-5, "-5"}, {static_cast<int32_t>(4294967295u), "-1"}, {2147483647, "2147483647"},
        {-2147483647 - 1, "-2147483648"}, {10, "10"},
    };
    char out[16];
    for (const auto& c : cases) {
        text::formatDecimal(c.in, out);
        EXPECT_STREQ(out, c.want) << "value " << c.in;
    }
}

TEST(Text, CopyAppendSubstringRightPartReverse) {
    char buf[32];
    EXPECT_STREQ(text::copy("abc", buf), "abc");
    EXPECT_STREQ(text::append(buf, "de"), "abcde");
    EXPECT_EQ(text::length(buf), 5u);
    text::substring("abcdef", buf, 2, 3);
    EXPECT_STREQ(buf, "cde");
    text::substring("abcdef", buf, 1, 0);
    EXPECT_STREQ(buf, "");
    text::rightPart("abcdef", buf, 2);
    EXPECT_STREQ(buf, "ef");
    EXPECT_STREQ(text::reverse("ab", buf), "ba");
    EXPECT_STREQ(text::reverse("x", buf), "x");
    EXPECT_STREQ(text::reverse("", buf), "");
    std::strcpy(buf, "AbZ\xB0\xA1[");
    EXPECT_STREQ(text::lowerCase(buf), "abz\xB0\xA1[");
}

TEST(Text, FindPositionsAndErrors) {
    struct { int32_t start; const char* source; const char* pattern; int32_t want; } cases[] = {
        {1, "abc", "abc", -1},     // pattern not shorter than the source
        {1, "ab", "abc", -1},
        {3, "a.b.c", ".", 4},
        {1, "a.b.c", ".", 2},
        {5, "a.b.c", ".", 0},      // last place the pattern could begin, no hit
        {6, "a.b.c", ".", -2},     // beyond it
        {0, "a.b.c", ".", -2},
        {1, "abcabc", "ca", 3},
        {1, "abcabc", "x", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text::find(c.start, c.source, c.pattern), c.want)
            << c.pattern << " in " << c.source << " from " << c.start;
}

TEST(Text, PathExtensionAndFolder) {
    struct { const char* in; const char* want; int32_t pos; } cases[] = {
        {"C:\\Sounds\\Ding.WAV", ".wav", 16},
        {"x.b", ".b ", 3},
        {"ab.", ".  ", 4},
        {"C:\\a.b\\Alarm", ".b\\alarm", 6},  // a dot in a folder name counts
        {"NOEXT", "noext", 1},
    };
    char buf[64];
    for (const auto& c : cases) {
        std::strcpy(buf, c.in);
        EXPECT_EQ(text::pathExtension(buf), c.pos) << c.in;
        EXPECT_STREQ(buf, c.want) << c.in;
    }
    std::strcpy(buf, "C:\\Program\\Tiv.exe");
    text::pathFolder(buf);
    EXPECT_STREQ(buf, "C:\\Program\\");
    std::strcpy(buf, "Tiv.exe");
    text::pathFolder(buf);
    EXPECT_STREQ(buf, "Tiv.exe");
}

TEST(Text, BoundedCopyCutsAtSizeMinusOne) {
    char source[700];
    std::memset(source, 'x', sizeof source);  // no NUL anywhere
    char dest[600];
    text::copyBounded(dest, source, sizeof dest);
    EXPECT_EQ(std::strlen(dest), 599u);
}
