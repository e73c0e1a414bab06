// tarvo-mkfont, run as skin authors run it: its pictures load with BitmapFont and carry every
// glyph FreeType renders, at the widths FreeType gives.
#include "gfx/BitmapFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "gfx/DLImage.h"
#include "tests/gfx/TestPng.h"

namespace {

const char liberationNarrow[] =
    "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Regular.ttf";

int runMkfont(const std::string& arguments)
{
    std::string command = std::string("'") + TARVO_MKFONT + "' " + arguments + " >/dev/null 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What FreeType gives for one character at a pixel size: the cell the glyph needs (its advance,
// widened where ink reaches past either side) and the total of its coverage.
struct FreeTypeGlyph {
    int width = 0;
    long coverage = 0;
};

std::vector<FreeTypeGlyph> freeTypeGlyphs(const char* fontPath, int size)
{
    std::vector<FreeTypeGlyph> glyphs;
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) != 0)
        return glyphs;
    if (FT_New_Face(library, fontPath, 0, &face) == 0) {
        FT_Set_Pixel_Sizes(face, 0, size);
        for (int code = 33; code <= 126; ++code) {
            FT_Load_Char(face, code, FT_LOAD_RENDER);
            const FT_GlyphSlot slot = face->glyph;
            FreeTypeGlyph glyph;
            const int advance = int((slot->advance.x + 32) >> 6);
            glyph.width = std::max(1,
                                   std::max(advance, slot->bitmap_left + int(slot->bitmap.width)) -
                                       std::min(0, slot->bitmap_left));
            for (unsigned row = 0; row < slot->bitmap.rows; ++row)
                for (unsigned column = 0; column < slot->bitmap.width; ++column)
                    glyph.coverage += slot->bitmap.buffer[row * slot->bitmap.pitch + column];
            glyphs.push_back(glyph);
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return glyphs;
}

class MkfontTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(liberationNarrow))
            GTEST_SKIP() << "fonts-liberation is not installed";
    }

    ScratchFolder scratch;
};

TEST_F(MkfontTest, PictureLoadsWithAll94GlyphsAtFreeTypesWidths)
{
    for (int size : {12, 20}) {
        SCOPED_TRACE(size);
        ASSERT_EQ(runMkfont("--output-dir '" + scratch.path("") + "' " + liberationNarrow + " " +
                            std::to_string(size) + " 255 255 255"),
                  0);
        std::string picture = scratch.path("LiberationSansNarrow-Regular.ttf_0_" +
                                           std::to_string(size) + "_255_255_255.png");
        BitmapFont font;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(font.load(picture.c_str())) << picture;
        testing::internal::GetCapturedStdout();

        std::vector<FreeTypeGlyph> expected = freeTypeGlyphs(liberationNarrow, size);
        ASSERT_EQ(expected.size(), 94u);
        int column = 1;
        for (int code = 33; code <= 126; ++code) {
            const FreeTypeGlyph& glyph = expected[code - 33];
            EXPECT_EQ(font.glyphStartOf(code), column) << code;
            EXPECT_EQ(font.glyphEndOf(code) - font.glyphStartOf(code), glyph.width) << code;
            // Every bit of FreeType's ink is in the glyph's cell, none in a neighbour's.
            long coverage = 0;
            for (int y = 1; y <= font.lineHeight(); ++y)
                for (int x = font.glyphStartOf(code); x < font.glyphEndOf(code); ++x)
                    coverage += font.image->pixelAt(x, y);
            EXPECT_EQ(coverage, glyph.coverage) << code;
            column += glyph.width;
        }
        EXPECT_EQ(font.image->width, column); // the last glyph runs to the right edge
        EXPECT_GE(font.lineHeight(), size);
    }
}

TEST_F(MkfontTest, ColourTintsThePixelsAndCoverageBecomesAlpha)
{
    ASSERT_EQ(runMkfont("--name TINT --face 0 --output-dir '" + scratch.path("") + "' " +
                        liberationNarrow + " 14 255 0 64"),
              0);
    DecodedPng d = decodePng(scratch.path("TINT_0_14_255_0_64.png").c_str());
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.channels, 4);
    int inked = 0, wrong = 0;
    for (size_t i = d.width * 4; i < d.samples.size(); i += 4) { // below the marker row
        const uint8_t* p = &d.samples[i];
        inked += p[3] != 0;
        wrong += p[0] != p[3] || p[1] != 0 || p[2] != (64 * p[3] + 127) / 255;
    }
    EXPECT_GT(inked, 200);
    EXPECT_EQ(wrong, 0);
}

TEST_F(MkfontTest, BadArgumentsAndMissingFontsFailWithoutAPicture)
{
    const std::string out = "--output-dir '" + scratch.path("") + "' ";
    const std::string font = std::string(liberationNarrow) + " ";
    const std::pair<std::string, int> runs[] = {
        {"", 2},
        {out + font + "12 255 255", 2},
        {out + font + "0 255 255 255", 2},
        {out + font + "12 256 255 255", 2},
        {out + font + "12x 255 255 255", 2},
        {out + "--name a/b " + font + "12 255 255 255", 2},
        {out + "'" + scratch.path("none.ttf") + "' 12 255 255 255", 1},
        {out + "--face 7 " + font + "12 255 255 255", 1},
        {"--output-dir '" + scratch.path("absent") + "' " + font + "12 255 255 255", 1},
    };
    for (const auto& run : runs)
        EXPECT_EQ(runMkfont(run.first), run.second) << run.first;
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path("")));
}

TEST_F(MkfontTest, TheCommittedDefaultFontIsWhatTheToolMakes)
{
    ASSERT_EQ(runMkfont("--name ARIALN.TTF --output-dir '" + scratch.path("") + "' " +
                        liberationNarrow + " 12 255 255 255"),
              0);
    DecodedPng made = decodePng(scratch.path("ARIALN.TTF_0_12_255_255_255.png").c_str());
    DecodedPng committed =
        decodePng(TARVO_SOURCE_DIR "/sdcard/Tarvo/ARIALN.TTF_0_12_255_255_255.png");
    ASSERT_TRUE(made.ok);
    EXPECT_EQ(digestLine("font", made), digestLine("font", committed))
        << "remake it with the command in sdcard/Tarvo/FONT-NOTICE.txt";
}

} // namespace
