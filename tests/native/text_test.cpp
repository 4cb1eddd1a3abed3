#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"

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

TEST(Text, CopyAppendLowerCase) {
    char buf[32];
    EXPECT_STREQ(text::copy("abc", buf), "abc");
    EXPECT_STREQ(text::append(buf, "de"), "abcde");
    EXPECT_EQ(text::length(buf), 5u);
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

// The whole join or the folder alone; the sizes are the callers': 600 for the
// data and program folders, 599 for the help command.
TEST(Text, JoinPathFitsTheWholeOrKeepsTheFolder) {
    struct Row {
        const char* what;
        size_t folderLength;   // of 'f's, then a backslash
        const char* name;
        uint32_t size;
        bool fits;
        size_t wantLength;     // of the result
    } rows[] = {
        {"short", 9, "dTiv.dat", 600, true, 17},
        {"empty folder", 0, "ReadMe.htm", 600, true, 10},
        {"ends on the last byte", 589, "ReadMe.htm", 600, true, 599},
        {"one byte over", 590, "ReadMe.htm", 600, false, 590},
        {"a byte shorter buffer", 588, "ReadMe.htm", 599, true, 598},
        {"a byte shorter buffer, one over", 589, "ReadMe.htm", 599, false, 589},
        {"a folder of 599 bytes, no name", 599, "", 600, true, 599},
        {"a longer folder is cut; no name still fits", 650, "", 600, true, 599},
        {"a longer folder is cut; a name does not fit", 650, "x", 600, false, 599},
        {"tiny buffer", 3, "x", 4, false, 3},
        {"one byte", 3, "x", 1, false, 0},
    };
    for (const Row& row : rows) {
        std::string folder = row.folderLength ? std::string(row.folderLength - 1, 'f') + "\\" : "";
        std::vector<char> out(row.size + 1, '#');   // one byte past the buffer to see it left alone
        bool fits = text::joinPath(out.data(), row.size, folder.c_str(), row.name);
        EXPECT_EQ(fits, row.fits) << row.what;
        std::string got(out.data(), strnlen(out.data(), out.size()));
        std::string want = folder.substr(0, row.size ? row.size - 1 : 0) + (row.fits ? row.name : "");
        EXPECT_EQ(got.size(), row.wantLength) << row.what;
        EXPECT_EQ(got, want) << row.what;
        EXPECT_EQ(out[row.size], '#') << row.what << ": wrote past its buffer";
    }
    char untouched[2] = "#";
    EXPECT_FALSE(text::joinPath(untouched, 0, "C:\\", "x"));
    EXPECT_STREQ(untouched, "#") << "a buffer of no bytes gets none";
}

TEST(Text, BoundedCopyCutsAtSizeMinusOne) {
    char source[700];
    std::memset(source, 'x', sizeof source);  // no NUL anywhere
    char dest[600];
    text::copyBounded(dest, source, sizeof dest);
    EXPECT_EQ(std::strlen(dest), 599u);
}
