// tarvo-mkfont, run as skin authors run it: the default font picture it makes is the committed
// one, and it holds every glyph FreeType renders, at the widths FreeType gives: 33 to 126, then
// every character of U+00A0 to U+04FF but the Latin Extended-B and IPA blocks that the font has,
// each where the font reads the picture's map to find it.
#include "gfx/BitmapFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include "gfx/DLImage.h"
#include "tests/gfx/TestPng.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

TEST(MkfontTest, TheDefaultFontIsWhatTheToolMakesWithFreeTypesGlyphsAndWidths)
{
    const std::string font =
        "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Regular.ttf";
    if (!std::filesystem::exists(font))
        GTEST_SKIP() << "fonts-liberation is not installed";
    ScratchFolder scratch;
    const std::string command = std::string(TARVO_MKFONT) + " --name ARIALN.TTF --output-dir '" +
        scratch.path("") + "' " + font + " 12 255 255 255 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    BitmapFont made, committed;
    ASSERT_TRUE(made.load(scratch.path("ARIALN.TTF_0_12_255_255_255.png").c_str()));
    ASSERT_TRUE(committed.load(TARVO_SOURCE_DIR "/sdcard/Tarvo/ARIALN.TTF_0_12_255_255_255.png"));
    const size_t bytes = size_t(made.image->width) * made.image->height;
    EXPECT_TRUE(committed.image->width == made.image->width &&
                committed.image->height == made.image->height &&
                std::memcmp(committed.image->pixels, made.image->pixels, bytes) == 0)
        << "remake it with the command in sdcard/Tarvo/FONT-NOTICE.txt";

    FT_Library library;
    FT_Face face;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, font.c_str(), 0, &face), 0);
    FT_Set_Pixel_Sizes(face, 0, 12);
    std::vector<FT_ULong> codes;
    for (FT_ULong code = 33; code <= 0x4FF; ++code) {
        if (code <= 126 || ((code >= 0xA0 && code < 0x180) || code >= 0x370)) {
            if (FT_Get_Char_Index(face, code) != 0)
                codes.push_back(code);
            else
                EXPECT_EQ(made.glyphEndOf(code), 0) << code;
        }
    }
    EXPECT_GT(codes.size(), 94 + 96 + 128 + 60u); // Latin-1, Extended-A, much of Greek, Russian
    int column = 1;
    for (FT_ULong code : codes) {
        ASSERT_EQ(FT_Load_Char(face, code, FT_LOAD_RENDER), 0);
        const FT_GlyphSlot slot = face->glyph;
        // A glyph's cell is its advance, widened where ink reaches past either side.
        const int right =
            std::max(int((slot->advance.x + 32) >> 6), slot->bitmap_left + int(slot->bitmap.width));
        EXPECT_EQ(made.glyphStartOf(code), column) << code;
        EXPECT_EQ(made.glyphEndOf(code) - column,
                  std::max(1, right - std::min(0, slot->bitmap_left)))
            << code;
        // All of the glyph's ink is in its cell, none in a neighbour's.
        long missing = 0;
        for (unsigned row = 0; row < slot->bitmap.rows; ++row)
            for (unsigned x = 0; x < slot->bitmap.width; ++x)
                missing += slot->bitmap.buffer[row * slot->bitmap.pitch + x];
        for (int y = 1; y <= made.lineHeight(); ++y)
            for (int x = column; x < made.glyphEndOf(code); ++x)
                missing -= made.image->pixelAt(x, y);
        EXPECT_EQ(missing, 0) << code;
        column = made.glyphEndOf(code);
    }
    EXPECT_EQ(made.image->width, column); // the last glyph runs to the right edge
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}
