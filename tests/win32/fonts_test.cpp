// The faces the time display asks for by default resolve to fonts that draw
// readable text at the display's sizes: "Times New Roman" (not installed
// under Wine, replaced in the prefix) and 宋体.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/geometry.h"
#include "inproc.h"

namespace {

// The display's CreateFontA call: positive cell height, everything else default.
HFONT displayFont(int height, const char* face) {
    return CreateFontA(height, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

struct Ink {
    std::vector<bool> on;   // row by row
    int width = 0, height = 0;
    int count = 0;
    RECT box{0, 0, 0, 0};   // bounding box of the ink, empty when none
    bool at(int x, int y) const { return on[static_cast<size_t>(y * width + x)]; }
    int rowWidth(int y) const {   // from the leftmost to the rightmost inked pixel
        int left = -1, right = -1;
        for (int x = 0; x < width; ++x)
            if (at(x, y)) {
                if (left < 0) left = x;
                right = x;
            }
        return left < 0 ? 0 : right - left + 1;
    }
};

struct Drawn {
    std::vector<DWORD> pixels;
    Ink ink;
    std::string face;
    TEXTMETRICA metrics{};
};

// Black on white, as pixels and as ink (any pixel darker than mid-grey).
Drawn draw(int height, const char* face, const char* text) {
    Drawn d;
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = displayFont(height, face);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    char name[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof name, name);
    d.face = name;
    GetTextMetricsA(dc, &d.metrics);
    int w = extent.cx + 8, h = extent.cy + 8;
    void* bits = nullptr;
    HBITMAP bitmap = inproc::topDownDib(dc, w, h, &bits);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 4, 4, text, lstrlenA(text));
    GdiFlush();
    const DWORD* p = static_cast<const DWORD*>(bits);
    d.pixels.assign(p, p + w * h);
    SelectObject(dc, oldBitmap);
    SelectObject(dc, oldFont);
    DeleteObject(bitmap);
    DeleteObject(font);
    DeleteDC(dc);

    Ink& ink = d.ink;
    ink.width = w;
    ink.height = h;
    ink.box = {w, h, 0, 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool dark = (d.pixels[static_cast<size_t>(y * w + x)] & 0xFF) < 0x80;
            ink.on.push_back(dark);
            if (!dark) continue;
            ++ink.count;
            if (x < ink.box.left) ink.box.left = x;
            if (y < ink.box.top) ink.box.top = y;
            if (x + 1 > ink.box.right) ink.box.right = x + 1;
            if (y + 1 > ink.box.bottom) ink.box.bottom = y + 1;
        }
    if (ink.count == 0) ink.box = {0, 0, 0, 0};
    return d;
}

// How much wider than its stem a capital I is at its top and bottom: about 1
// for a sans face, 2 or more where serifs stick out.
double serifRatio(const Ink& ink) {
    int top = ink.box.top, bottom = ink.box.bottom - 1, middle = (top + bottom) / 2;
    int stem = ink.rowWidth(middle);
    if (stem == 0) return 0;
    return (ink.rowWidth(top + 1) + ink.rowWidth(bottom - 1)) / (2.0 * stem);
}

// Heights the display asks for in windows a user would have.
struct DisplaySize { uint32_t w, h, textWidth, countIndex; };
const DisplaySize kSizes[] = {
    {127, 26, 2, 0},    // the default window with the controls shown: 19
    {135, 60, 2, 0},    // a little taller: 45
    {300, 200, 2, 3},   // four timers: 35
    {300, 200, 2, 0},   // 140
    {640, 400, 3, 0},   // hours, minutes and seconds: 200
};

}  // namespace

TEST(DisplayFonts, TimesNewRomanIsDrawnInLiberationSerif) {
    for (int height : {35, 140}) {
        SCOPED_TRACE("height " + std::to_string(height));
        Drawn times = draw(height, "Times New Roman", "04:59 Tiv");
        Drawn liberation = draw(height, "Liberation Serif", "04:59 Tiv");
        EXPECT_EQ(liberation.face, "Liberation Serif") << "fonts-liberation is not installed";
        EXPECT_EQ(times.metrics.tmPitchAndFamily & 0xF0, FF_ROMAN) << "face " << times.face;
        EXPECT_GT(times.ink.count, height * 5) << "nothing drawn";
        EXPECT_TRUE(times.pixels == liberation.pixels)
            << "Times New Roman is not drawn with Liberation Serif (face " << times.face << ")";
    }
}

TEST(DisplayFonts, TimesNewRomanHasSerifsWhereASansFaceHasNone) {
    Drawn times = draw(100, "Times New Roman", "I");
    Drawn sans = draw(100, "Liberation Sans", "I");
    ASSERT_GT(times.ink.count, 200);
    ASSERT_GT(sans.ink.count, 200);
    EXPECT_GT(serifRatio(times.ink), 2.0) << "no serifs on Times New Roman's I";
    EXPECT_LT(serifRatio(sans.ink), 1.3) << "the measure sees serifs on a sans face";
}

TEST(DisplayFonts, SongTiDrawsTheDigitsAtTheDisplaysSizes) {
    for (const DisplaySize& s : kSizes) {
        int height = static_cast<int>(display::fontHeight(1, 60, s.textWidth, s.countIndex, s.w, s.h));
        SCOPED_TRACE("height " + std::to_string(height));
        ASSERT_GT(height, 10);
        Drawn song = draw(height, "宋体", "04:59");
        Drawn sharp = draw(height, "WenQuanYi Zen Hei Sharp", "04:59");
        EXPECT_EQ(song.metrics.tmCharSet, GB2312_CHARSET);
        EXPECT_NEAR(song.metrics.tmHeight, height, 1) << "a positive height is the cell height";
        EXPECT_TRUE(song.pixels == sharp.pixels) << "宋体 is not drawn with WenQuanYi Zen Hei Sharp";
        // Readable: digits fill most of the cell and leave the colon's gap.
        int inkHeight = song.ink.box.bottom - song.ink.box.top;
        EXPECT_GE(inkHeight, height / 2) << "digits too small";
        EXPECT_LE(inkHeight, height);
        EXPECT_GT(song.ink.count, height * 3);
        EXPECT_GT(song.ink.box.right - song.ink.box.left, height * 3 / 2) << "five characters, squeezed";
    }
}

TEST(DisplayFonts, AMissingFaceStillDrawsTheDigits) {
    Drawn missing = draw(60, "Tiv No Such Face", "04:59");
    EXPECT_GT(missing.ink.count, 150) << "face " << missing.face;
    EXPECT_GE(missing.ink.box.bottom - missing.ink.box.top, 30);
}
