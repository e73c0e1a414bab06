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
#include "gfx/PngReader.h"
#include "tests/gfx/TestPng.h"

namespace {

const char liberationNarrow[] = "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Regular.ttf";

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
            glyph.width = std::max(1, std::max(advance, slot->bitmap_left + int(slot->bitmap.width)) -
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
            EXPECT_EQ(font.glyphStartOf(code), column) << "size " << size << " code " << code;
            EXPECT_EQ(font.glyphEndOf(code) - font.glyphStartOf(code), glyph.width)
                << "size " << size << " code " << code;
            // Every bit of FreeType's ink is in the glyph's cell, none in a neighbour's.
            long coverage = 0;
            for (int y = 1; y <= font.lineHeight(); ++y)
                for (int x = font.glyphStartOf(code); x < font.glyphEndOf(code); ++x)
                    coverage += font.image->pixelAt(x, y);
            EXPECT_EQ(coverage, glyph.coverage) << "size " << size << " code " << code;
            column += glyph.width;
        }
        EXPECT_EQ(font.image->width, column);  // the last glyph runs to the right edge
        EXPECT_GE(font.lineHeight(), size);
    }
}

TEST_F(MkfontTest, ColourTintsThePixelsAndCoverageBecomesAlpha)
{
    ASSERT_EQ(runMkfont("--name TINT --face 0 --output-dir '" + scratch.path("") + "' " +
                        liberationNarrow + " 14 255 0 64"),
              0);
    std::string picture = scratch.path("TINT_0_14_255_0_64.png");
    unsigned char* rows = nullptr;
    uint32_t width = 0, height = 0;
    int channels = 0;
    ASSERT_TRUE(readPng(picture.c_str(), rows, width, height, channels));
    ASSERT_EQ(channels, 4);
    int inked = 0;
    int wrong = 0;
    for (size_t i = width; i < size_t(width) * height; ++i) {  // below the marker row
        const unsigned char* p = rows + i * 4;
        inked += p[3] != 0;
        wrong += p[0] != p[3] || p[1] != 0 || p[2] != (64 * p[3] + 127) / 255;
    }
    // The marker row: white opaque markers, transparent black elsewhere, column 0 empty.
    int markers = 0;
    for (size_t x = 0; x < width; ++x) {
        const unsigned char* p = rows + x * 4;
        markers += p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255;
    }
    EXPECT_EQ(rows[3], 0);
    std::free(rows);
    EXPECT_GT(inked, 200);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(markers, 93);
}

TEST_F(MkfontTest, BadArgumentsAndMissingFontsFailWithoutAPicture)
{
    const std::string out = "--output-dir '" + scratch.path("") + "' ";
    EXPECT_EQ(runMkfont(""), 2);
    EXPECT_EQ(runMkfont(out + liberationNarrow + " 12 255 255"), 2);
    EXPECT_EQ(runMkfont(out + liberationNarrow + " 0 255 255 255"), 2);
    EXPECT_EQ(runMkfont(out + liberationNarrow + " 12 256 255 255"), 2);
    EXPECT_EQ(runMkfont(out + liberationNarrow + " 12x 255 255 255"), 2);
    EXPECT_EQ(runMkfont(out + "--name a/b " + liberationNarrow + " 12 255 255 255"), 2);
    EXPECT_EQ(runMkfont(out + "'" + scratch.path("none.ttf") + "' 12 255 255 255"), 1);
    EXPECT_EQ(runMkfont(out + "--face 7 " + liberationNarrow + " 12 255 255 255"), 1);
    EXPECT_EQ(runMkfont("--output-dir '" + scratch.path("absent") + "' " + liberationNarrow +
                        " 12 255 255 255"),
              1);
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path("")));
}

TEST_F(MkfontTest, TheCommittedDefaultFontIsWhatTheToolMakes)
{
    ASSERT_EQ(runMkfont("--name ARIALN.TTF --output-dir '" + scratch.path("") + "' " +
                        liberationNarrow + " 12 255 255 255"),
              0);
    auto decode = [](const std::string& path) {
        unsigned char* rows = nullptr;
        uint32_t width = 0, height = 0;
        int channels = 0;
        std::vector<uint8_t> samples;
        if (readPng(path.c_str(), rows, width, height, channels))
            samples.assign(rows, rows + size_t(width) * height * channels);
        std::free(rows);
        samples.push_back(uint8_t(width));
        samples.push_back(uint8_t(height));
        return samples;
    };
    std::vector<uint8_t> made = decode(scratch.path("ARIALN.TTF_0_12_255_255_255.png"));
    ASSERT_GT(made.size(), 2u);
    EXPECT_EQ(made, decode(std::string(TARVO_SOURCE_DIR) + "/sdcard/Tarvo/ARIALN.TTF_0_12_255_255_255.png"))
        << "remake it with the command in sdcard/Tarvo/FONT-NOTICE.txt";
}

} // namespace
