// BitmapFont: the glyph table from the marker row, advances, the coverage blend and clipping.
#include "gfx/BitmapFont.h"

#include <gtest/gtest.h>
#include <png.h>

#include <climits>
#include <functional>
#include <vector>

#include "gfx/DLImage.h"
#include "tests/gfx/TestPng.h"

namespace {

using Frame = std::vector<uint16_t>;

// A grey font picture: markers (level 255) in row 0 at the given columns, and glyph rows whose
// level at (column, row) comes from level().
TestPng fontPicture(int width, int height, const std::vector<int>& markers,
                    const std::function<uint8_t(int, int)>& level)
{
    TestPng png;
    png.width = width;
    png.height = height;
    png.colorType = PNG_COLOR_TYPE_GRAY;
    png.data.assign(size_t(width) * height, 0);
    for (int column : markers)
        png.data[column] = 255;
    for (int row = 1; row < height; ++row)
        for (int column = 0; column < width; ++column)
            png.data[row * width + column] = level(column, row);
    return png;
}

uint16_t referenceMix(int a, uint16_t d, uint16_t color)
{
    auto mix = [a](int destination, int colour) {
        return ((255 - a) * destination + a * colour) / 255;
    };
    return uint16_t((mix(d >> 11, color >> 11) << 11) |
                    (mix((d >> 6) & 31, (color >> 6) & 31) << 6) | mix(d & 31, color & 31));
}

class BitmapFontTest : public testing::Test {
protected:
    ScratchFolder scratch;
    BitmapFont font;
    std::string output;

    bool load(const TestPng& png)
    {
        std::string path = scratch.path("font.png");
        EXPECT_TRUE(writeTestPng(path, png));
        testing::internal::CaptureStdout();
        bool ok = font.load(path.c_str());
        output = testing::internal::GetCapturedStdout();
        return ok;
    }

    // A font whose glyphs are solid (level 255) blocks of the given widths, in character order
    // from 33, each 4 rows tall; characters beyond the list end at the right edge.
    bool loadBlocks(const std::vector<int>& widths)
    {
        std::vector<int> markers;
        int column = 1;
        for (int w : widths) {
            column += w;
            markers.push_back(column);
        }
        return load(fontPicture(column + 1, 5, markers, [](int, int) { return 255; }));
    }

    // The frame columns, in row y, that hold colour rather than background.
    static std::vector<int> coloured(const Frame& frame, int y, uint16_t background)
    {
        std::vector<int> columns;
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            if (frame[y * SCREEN_WIDTH + x] != background)
                columns.push_back(x);
        return columns;
    }
};

TEST_F(BitmapFontTest, LoadReportsThePictureSizeAndGlyphHeight)
{
    ASSERT_TRUE(load(fontPicture(300, 13, {5}, [](int, int) { return 0; })));
    EXPECT_EQ(output, "Loaded font: 300x13\n");
    EXPECT_EQ(font.lineHeight(), 12);
    EXPECT_EQ(font.glyphHeight, 12);
}

TEST_F(BitmapFontTest, MarkersEndTheGlyphBeforeThemAndTheLastRunsToTheEdge)
{
    ASSERT_TRUE(load(fontPicture(20, 3, {5, 9}, [](int, int) { return 0; })));
    EXPECT_EQ(font.glyphStartOf(33), 1);
    EXPECT_EQ(font.glyphEndOf(33), 5);
    EXPECT_EQ(font.glyphStartOf(34), 5);
    EXPECT_EQ(font.glyphEndOf(34), 9);
    EXPECT_EQ(font.glyphStartOf(35), 9);
    EXPECT_EQ(font.glyphEndOf(35), 20);
    for (int c = 36; c <= 126; ++c)
        EXPECT_EQ(font.glyphEndOf(c) - font.glyphStartOf(c), 0) << c;
    for (int c : {0, 32, 127})
        EXPECT_EQ(font.glyphEndOf(c), 0) << c;
}

TEST_F(BitmapFontTest, MarkerLevelMustExceed128)
{
    TestPng png = fontPicture(12, 2, {}, [](int, int) { return 0; });
    png.data[4] = 128;  // not a marker
    png.data[7] = 129;
    ASSERT_TRUE(load(png));
    EXPECT_EQ(font.glyphEndOf(33), 7);
}

TEST_F(BitmapFontTest, FailedLoadLeavesAFontThatDrawsNothing)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(font.load(scratch.path("absent.png").c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(font.image, nullptr);
    EXPECT_EQ(font.lineHeight(), 0);
    Frame frame(SCREEN_PIXELS, 0x1234);
    font.drawText(frame.data(), 0, 0, "Hello, world");
    EXPECT_EQ(frame, Frame(SCREEN_PIXELS, 0x1234));

    // A font that had loaded forgets its glyphs when a later load fails.
    ASSERT_TRUE(loadBlocks({3, 4}));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(font.load(scratch.path("absent.png").c_str()));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(font.lineHeight(), 0);
    EXPECT_EQ(font.glyphEndOf(33), 0);
}

TEST_F(BitmapFontTest, SpaceAdvancesThreeAndOtherBytesRepeatThePreviousWidth)
{
    ASSERT_TRUE(loadBlocks({3, 4, 2}));  // '!' 3 wide, '"' 4 wide, '#' 2 wide
    Frame frame(SCREEN_PIXELS, 0);
    font.setColor(0xFFFF);
    font.drawText(frame.data(), 10, 0, "! \"");
    EXPECT_EQ(coloured(frame, 0, 0), (std::vector<int>{10, 11, 12, 16, 17, 18, 19}));

    // A tab after '"' advances 4, a byte above 126 after '#' advances 2.
    Frame tabbed(SCREEN_PIXELS, 0);
    font.drawText(tabbed.data(), 0, 0, "\"\t#\xE9!");
    EXPECT_EQ(coloured(tabbed, 0, 0), (std::vector<int>{0, 1, 2, 3, 8, 9, 12, 13, 14}));

    // With nothing before it a control byte advances 0.
    Frame leading(SCREEN_PIXELS, 0);
    font.drawText(leading.data(), 5, 0, "\n!");
    EXPECT_EQ(coloured(leading, 0, 0), (std::vector<int>{5, 6, 7}));

    // Characters past the last marker are empty and draw nothing.
    Frame empty(SCREEN_PIXELS, 0);
    font.drawText(empty.data(), 0, 0, "%&z~");
    EXPECT_EQ(coloured(empty, 0, 0), std::vector<int>{});
}

TEST_F(BitmapFontTest, CoverageBlendsTheColourIntoTheFrame)
{
    // '!' has one row of three pixels with levels 128, 255 and 0.
    TestPng png = fontPicture(5, 2, {4}, [](int column, int) {
        return column == 1 ? 128 : column == 2 ? 255 : 0;
    });
    ASSERT_TRUE(load(png));
    Frame black(SCREEN_PIXELS, 0);
    font.setColor(0xFFFF);
    font.drawText(black.data(), 0, 0, "!");
    EXPECT_EQ(black[0], 0x7BCF);
    EXPECT_EQ(black[1], 0xFFDF);
    EXPECT_EQ(black[2], 0x0000);

    Frame white(SCREEN_PIXELS, 0xFFFF);
    font.setColor(0x0000);
    font.drawText(white.data(), 0, 0, "!");
    EXPECT_EQ(white[2], 0xFFDF);  // level 0 keeps the colour channels but clears bit 5
    EXPECT_EQ(white[3], 0xFFFF);  // outside the glyph nothing is touched

    // Columns passed over by a space or a tab are not drawn at all: their bit 5 stays.
    Frame gaps(SCREEN_PIXELS, 0xFFFF);
    font.drawText(gaps.data(), 10, 0, "! !\t!");
    const std::vector<uint16_t> expected = {0xFFFF, 0x7BCF, 0x0000, 0xFFDF, 0xFFFF, 0xFFFF,
                                            0xFFFF, 0x7BCF, 0x0000, 0xFFDF, 0xFFFF, 0xFFFF,
                                            0xFFFF, 0x7BCF, 0x0000, 0xFFDF, 0xFFFF};
    EXPECT_EQ(std::vector<uint16_t>(gaps.begin() + 9, gaps.begin() + 26), expected);
}

TEST_F(BitmapFontTest, BlendMatchesTheFormulaForEveryCoverageColourAndDestination)
{
    // '!' is one row holding every level 0..255.
    ASSERT_TRUE(load(fontPicture(258, 2, {257}, [](int column, int) {
        return uint8_t(column - 1);
    })));
    for (int c = 0; c < 32; ++c) {
        const uint16_t color = uint16_t((c << 11) | (((c + 9) & 31) << 6) | ((c + 21) & 31));
        font.setColor(color);
        for (int d = 0; d < 32; ++d) {
            const uint16_t destination =
                uint16_t((((d + 4) & 31) << 11) | (d << 6) | 0x20 | ((d + 13) & 31));
            Frame frame(SCREEN_PIXELS, destination);
            font.drawText(frame.data(), 30, 7, "!");
            int wrong = 0;
            for (int a = 0; a < 256; ++a)
                wrong += frame[7 * SCREEN_WIDTH + 30 + a] != referenceMix(a, destination, color);
            ASSERT_EQ(wrong, 0) << "colour " << color << " destination " << destination;
        }
    }
}

TEST_F(BitmapFontTest, TextIsClippedAtEveryEdgeOfTheFrame)
{
    // '!' is 3 wide and 12 tall, every pixel level 255.
    ASSERT_TRUE(load(fontPicture(5, 13, {4}, [](int, int) { return 255; })));
    font.setColor(0xFFFF);

    Frame right(SCREEN_PIXELS, 0);
    font.drawText(right.data(), 318, 0, "!!");
    EXPECT_EQ(coloured(right, 0, 0), (std::vector<int>{318, 319}));
    EXPECT_EQ(right[SCREEN_WIDTH], 0);  // row 1, column 0: nothing wrapped round

    Frame bottom(SCREEN_PIXELS, 0);
    font.drawText(bottom.data(), 0, 235, "!");
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        EXPECT_EQ(bottom[y * SCREEN_WIDTH + 1] != 0, y >= 235) << y;

    Frame topLeft(SCREEN_PIXELS, 0);
    font.drawText(topLeft.data(), -2, -10, "!!");
    EXPECT_EQ(coloured(topLeft, 0, 0), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(coloured(topLeft, 1, 0), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(coloured(topLeft, 2, 0), std::vector<int>{});

    // Far outside, including the ends of int: nothing drawn, nothing written outside.
    Frame outside(SCREEN_PIXELS, 0);
    for (int x : {INT_MIN, -1000, 320, INT_MAX})
        for (int y : {INT_MIN, -12, 240, INT_MAX})
            font.drawText(outside.data(), x, y, "!!!! !!!!");
    font.drawText(outside.data(), INT_MAX - 1, 0, "!!!!");
    EXPECT_EQ(outside, Frame(SCREEN_PIXELS, 0));
}

TEST_F(BitmapFontTest, DefaultFontPictureHasEveryPrintableCharacter)
{
    const std::string path =
        std::string(TARVO_SOURCE_DIR) + "/sdcard/Tarvo/ARIALN.TTF_0_12_255_255_255.png";
    testing::internal::CaptureStdout();
    ASSERT_TRUE(font.load(path.c_str()));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "Loaded font: " + std::to_string(font.image->width) + "x" +
                           std::to_string(font.image->height) + "\n");
    EXPECT_GE(font.lineHeight(), 12);
    EXPECT_LE(font.lineHeight(), 16);
    for (int c = 33; c <= 126; ++c) {
        EXPECT_GT(font.glyphEndOf(c) - font.glyphStartOf(c), 0) << c;
        EXPECT_LT(font.glyphEndOf(c) - font.glyphStartOf(c), 16) << c;
    }
    EXPECT_EQ(font.glyphEndOf(126), font.image->width);

    // Text draws: white ink lands on a black frame.
    Frame frame(SCREEN_PIXELS, 0);
    font.setColor(0xFFFF);
    font.drawText(frame.data(), 0, 0, "Tarvo");
    int inked = 0;
    for (uint16_t pixel : frame)
        inked += pixel != 0;
    EXPECT_GT(inked, 20);
}

} // namespace
