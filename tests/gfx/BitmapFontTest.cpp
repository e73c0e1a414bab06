// BitmapFont: text checked against the drawing rule written out pixel by pixel, over a font
// picture whose glyph table, advances and levels are known: every coverage level over every
// destination in every colour, and clipping at every edge.
#include "gfx/BitmapFont.h"
#include "gfx/DLImage.h"
#include "tests/gfx/TestPng.h"

#include <climits>
#include <gtest/gtest.h>
#include <tuple>

// Markers at columns 4 and 8 (128 at column 6 is none): '!' spans columns 1-3, '"' 4-7 and '#' 8
// to the right edge; the later characters are empty. The levels of the 32 glyph rows cycle
// through 0-255 along each row, so '#' holds every level in every row; '!' and '"' are blank in
// their first four and last four rows, as glyphs are above and below their strokes.
const int fontWidth = 264;
const int glyphStart[3] = {1, 4, 8};
const int glyphWidth[3] = {3, 4, 256};

int level(int column, int row)
{
    if (column < 8 && (row <= 4 || row > 28))
        return 0;
    return (column + 7 * row) & 255;
}

// Draws text over patternFrame(0) and compares the frame with the rule worked out one glyph pixel
// at a time.
bool drawsByTheRule(BitmapFont& font, int x, int y, const char* text, uint16_t color)
{
    Frame frame = patternFrame(0), drawn = frame;
    font.setColor(color);
    font.drawText(drawn.data(), x, y, text);
    int64_t pen = x;
    int advance = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        const int glyph = *p >= 33 && *p <= 35 ? *p - 33 : -1;
        if (*p >= 32 && *p <= 126)
            advance = *p == 32 ? 3 : glyph >= 0 ? glyphWidth[glyph] : 0;
        for (int64_t j = 0; glyph >= 0 && j < 32; ++j) {
            for (int64_t k = 0; k < advance; ++k) {
                if (pen + k < 0 || y + j < 0 || pen + k >= SCREEN_WIDTH || y + j >= SCREEN_HEIGHT)
                    continue;
                const int a = level(glyphStart[glyph] + k, j + 1);
                uint16_t& d = frame[(y + j) * SCREEN_WIDTH + pen + k];
                auto mix = [&](int shift) {
                    return ((255 - a) * (d >> shift & 31) + a * (color >> shift & 31)) / 255;
                };
                d = screenPixel(mix(11), mix(6), mix(0));
            }
        }
        pen += advance;
    }
    return drawn == frame;
}

TEST(BitmapFontTest, TextFollowsTheDrawingRuleAndIsClippedAtEveryEdge)
{
    // An RGB picture: a level is the average of the three samples, truncated.
    std::vector<uint8_t> rgb(fontWidth * 33 * 3);
    for (int i = fontWidth; i < fontWidth * 33; ++i) {
        const int a = level(i % fontWidth, i / fontWidth);
        rgb[i * 3] = rgb[i * 3 + 1] = uint8_t(a);
        rgb[i * 3 + 2] = uint8_t(a < 254 ? a + 2 : a);
    }
    for (int column : {4, 6, 8})
        rgb[column * 3] = rgb[column * 3 + 1] = rgb[column * 3 + 2] = column == 6 ? 128 : 129;
    ScratchFolder scratch;
    BitmapFont font;
    ASSERT_TRUE(font.load(scratch.write("font.png", {fontWidth, 33, 3, rgb}).c_str()));
    EXPECT_EQ(font.lineHeight(), 32);

    // A leading control byte advances 0, a tab after '"' 4, DEL after '!' 3; then
    // text over each edge and corner, and far outside.
    const std::tuple<int, int, const char*> cases[] = {
        {10, 5, "! \"#"}, {0, 0, "\n\"\t!\x7F#"},   {20, 200, "$%z~!"}, {318, 0, "!!"},
        {0, 230, "!"},    {-2, -10, "!!"},          {-300, 220, "##"},  {-12, -31, "!!!!"},
        {320, 0, "!"},    {INT_MIN, INT_MIN, "!!"}, {0, INT_MAX, "!"},  {INT_MAX - 1, 0, "!!!!"}};
    for (const auto& [x, y, text] : cases)
        EXPECT_TRUE(drawsByTheRule(font, x, y, text, 0xFFFF)) << x << "," << y << " " << text;
    // '#' in 32 colours: every level over every destination value in every colour.
    for (int c = 0; c < 32; ++c)
        EXPECT_TRUE(drawsByTheRule(font, 30, 7, "#", screenPixel(c, c + 9, c + 21))) << c;

    // A failed load forgets the picture and the glyphs; without a picture nothing is drawn.
    EXPECT_FALSE(font.load(scratch.path("absent.png").c_str()));
    EXPECT_TRUE(font.image == nullptr && font.lineHeight() == 0 && font.glyphEndOf('#') == 0);
}
