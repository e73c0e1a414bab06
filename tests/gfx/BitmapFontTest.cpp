// BitmapFont: the glyph table from the marker row, advances, the coverage blend and clipping.
#include "gfx/BitmapFont.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "gfx/DLImage.h"
#include "tests/gfx/TestPng.h"

namespace {

using Frame = std::vector<uint16_t>;

// A grey font picture: markers (level 255) in row 0 at the given columns, and glyph rows whose
// level in each column comes from level().
TestPng fontPicture(int width, int height, const std::vector<int>& markers, uint8_t (*level)(int))
{
    TestPng png(width, height, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint8_t>(width * height));
    for (int column : markers)
        png.data[column] = 255;
    for (size_t i = width; i < png.data.size(); ++i)
        png.data[i] = level(int(i % width));
    return png;
}

uint8_t solid(int)
{
    return 255;
}

class BitmapFontTest : public testing::Test {
protected:
    ScratchFolder scratch;
    BitmapFont font;
    std::string output;

    bool load(const TestPng& png)
    {
        std::string path = scratch.write("font.png", png);
        testing::internal::CaptureStdout();
        bool ok = font.load(path.c_str());
        output = testing::internal::GetCapturedStdout();
        return ok;
    }
};

TEST_F(BitmapFontTest, MarkersAbove128EndTheGlyphBeforeThemAndTheLastRunsToTheEdge)
{
    TestPng png = fontPicture(20, 3, {5}, solid);
    png.data[9] = 129;
    png.data[12] = 128; // not a marker
    ASSERT_TRUE(load(png));
    EXPECT_EQ(output, "Loaded font: 20x3\n");
    EXPECT_EQ(font.lineHeight(), 2);
    const int glyphs[][3] = {{33, 1, 5}, {34, 5, 9}, {35, 9, 20},
                             {0, 0, 0},  {32, 0, 0}, {127, 0, 0}};
    for (const auto& glyph : glyphs) {
        EXPECT_EQ(font.glyphStartOf(glyph[0]), glyph[1]) << glyph[0];
        EXPECT_EQ(font.glyphEndOf(glyph[0]), glyph[2]) << glyph[0];
    }
    for (int c = 36; c <= 126; ++c)
        EXPECT_EQ(font.glyphEndOf(c) - font.glyphStartOf(c), 0) << c;
}

TEST_F(BitmapFontTest, FailedLoadLeavesAFontThatDrawsNothing)
{
    ASSERT_TRUE(load(fontPicture(9, 5, {4, 8}, solid)));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(font.load(scratch.path("absent.png").c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    // The glyphs of the earlier load are forgotten too.
    EXPECT_EQ(font.image, nullptr);
    EXPECT_EQ(font.lineHeight(), 0);
    EXPECT_EQ(font.glyphEndOf(33), 0);
    Frame frame(SCREEN_PIXELS, 0x1234);
    font.drawText(frame.data(), 0, 0, "Hello, world");
    EXPECT_EQ(frame, Frame(SCREEN_PIXELS, 0x1234));
}

TEST_F(BitmapFontTest, SpaceAdvancesThreeAndOtherBytesRepeatThePreviousWidth)
{
    // Solid glyphs: '!' 3 wide, '"' 4 wide, '#' 2 wide, '$' 1; everything after '$' is empty. The
    // background has bit 5 set, so a column the text passes over but draws into shows too.
    ASSERT_TRUE(load(fontPicture(11, 5, {4, 8, 10}, solid)));
    font.setColor(0xFFFF);
    const uint16_t background = 0x0020;
    const struct {
        int x;
        const char* text;
        std::vector<int> columns;
    } cases[] = {
        {10, "! \"", {10, 11, 12, 16, 17, 18, 19}},
        // A tab after '"' advances 4, a byte above 126 after '#' advances 2.
        {0, "\"\t#\xE9!", {0, 1, 2, 3, 8, 9, 12, 13, 14}},
        {5, "\n!", {5, 6, 7}}, // with nothing before it a control byte advances 0
        {0, "%&z~", {}},       // past the last marker: nothing drawn
    };
    for (const auto& c : cases) {
        Frame frame(SCREEN_PIXELS, background);
        font.drawText(frame.data(), c.x, 0, c.text);
        std::vector<int> columns;
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            if (frame[x] != background)
                columns.push_back(x);
        EXPECT_EQ(columns, c.columns) << c.text;
    }
}

TEST_F(BitmapFontTest, BlendMatchesTheFormulaForEveryCoverageColourAndDestination)
{
    // '!' is one row holding every level 0..255.
    ASSERT_TRUE(load(fontPicture(258, 2, {257}, [](int column) { return uint8_t(column - 1); })));
    for (int c = 0; c < 32; ++c) {
        const uint16_t color = uint16_t((c << 11) | (((c + 9) & 31) << 6) | ((c + 21) & 31));
        font.setColor(color);
        for (int d = 0; d < 32; ++d) {
            const uint16_t destination =
                uint16_t((((d + 4) & 31) << 11) | (d << 6) | 0x20 | ((d + 13) & 31));
            Frame frame(SCREEN_PIXELS, destination);
            font.drawText(frame.data(), 30, 7, "!");
            int wrong = 0;
            for (int a = 0; a < 256; ++a) {
                auto mix = [a](int dst, int src) { return ((255 - a) * dst + a * src) / 255; };
                wrong += frame[7 * SCREEN_WIDTH + 30 + a] !=
                    ((mix(destination >> 11, color >> 11) << 11) |
                     (mix((destination >> 6) & 31, (color >> 6) & 31) << 6) |
                     mix(destination & 31, color & 31));
            }
            ASSERT_EQ(wrong, 0) << "colour " << color << " destination " << destination;
        }
    }
}

TEST_F(BitmapFontTest, TextIsClippedAtEveryEdgeOfTheFrame)
{
    // '!' is 3 wide and 12 tall, every pixel level 255: a run of them inks one rectangle.
    ASSERT_TRUE(load(fontPicture(5, 13, {4}, solid)));
    font.setColor(0xFFFF);
    const struct {
        int x, y;
        const char* text;
    } cases[] = {
        {318, 0, "!!"},
        {0, 235, "!"},
        {-2, -10, "!!"},
        {316, 230, "!!!"},
        // Far outside, including the ends of int: nothing drawn, nothing written outside.
        {-12, 0, "!!!!"},
        {0, -12, "!"},
        {320, 0, "!"},
        {0, 240, "!"},
        {-1000, 5, "!!"},
        {INT_MIN, INT_MIN, "!!"},
        {INT_MAX, INT_MAX, "!!"},
        {INT_MAX - 1, 0, "!!!!"},
        {5, INT_MIN, "!"},
    };
    for (const auto& c : cases) {
        Frame frame(SCREEN_PIXELS, 0), expected = frame;
        font.drawText(frame.data(), c.x, c.y, c.text);
        const int64_t right = std::min<int64_t>(SCREEN_WIDTH, int64_t(c.x) + 3 * strlen(c.text));
        const int64_t bottom = std::min<int64_t>(SCREEN_HEIGHT, int64_t(c.y) + 12);
        for (int64_t y = std::max(0, c.y); y < bottom; ++y)
            for (int64_t x = std::max(0, c.x); x < right; ++x)
                expected[y * SCREEN_WIDTH + x] = 0xFFDF;
        EXPECT_EQ(frame, expected) << c.x << "," << c.y << " " << c.text;
    }
}

TEST_F(BitmapFontTest, DefaultFontPictureHasEveryPrintableCharacter)
{
    testing::internal::CaptureStdout();
    ASSERT_TRUE(font.load(TARVO_SOURCE_DIR "/sdcard/Tarvo/ARIALN.TTF_0_12_255_255_255.png"));
    testing::internal::GetCapturedStdout();
    EXPECT_GE(font.lineHeight(), 12);
    EXPECT_LE(font.lineHeight(), 16);
    for (int c = 33; c <= 126; ++c) {
        EXPECT_GT(font.glyphEndOf(c) - font.glyphStartOf(c), 0) << c;
        EXPECT_LT(font.glyphEndOf(c) - font.glyphStartOf(c), 16) << c;
    }
    EXPECT_EQ(font.glyphEndOf(126), font.image->width);
}

} // namespace
