// The font picture and text: parts are the picture (a PNG file) and a text whose first three bytes
// place it and pick its colour. The glyph table must follow the marker row, and the drawn frame
// must hold exactly what the glyphs' coverage gives: every pixel outside the text untouched.
#include "fuzz/FuzzSupport.h"
#include "gfx/BitmapFont.h"
#include "gfx/DLImage.h"

namespace {

const uint16_t background = 0x4208; // every channel at 8, bit 5 clear

// Per 5-bit channel: ((255 - a) * destination + a * colour) / 255.
uint16_t mix(uint16_t colour, uint16_t destination, int a)
{
    uint16_t result = 0;
    for (int shift : {0, 6, 11}) {
        int c = (colour >> shift) & 31, d = (destination >> shift) & 31;
        result |= (((255 - a) * d + a * c) / 255) << shift;
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::Card card;
    std::vector<std::string> part = fuzz::parts(data, size, 2);
    card.write("font.png", part[0]);
    BitmapFont font;
    if (!font.load("/mnt/sd/font.png") || part[1].size() < 3)
        return 0;
    const DLImage& picture = *font.image;
    FUZZ_CHECK(font.lineHeight() == picture.height - 1);

    // Each glyph runs from where the one before it ended (the first from column 1) up to the next
    // column marked above 128, or the right edge.
    for (int c = 33; c <= 126; ++c) {
        int start = font.glyphStartOf(c), end = font.glyphEndOf(c);
        int lowest = c == 33 ? 1 : start + 1;
        FUZZ_CHECK(start == (c == 33 ? 1 : font.glyphEndOf(c - 1)));
        FUZZ_CHECK(end == picture.width || (end >= lowest && picture.pixelAt(end, 0) > 128));
        for (int column = lowest; column < end; ++column)
            FUZZ_CHECK(picture.pixelAt(column, 0) <= 128);
    }

    const int x = static_cast<signed char>(part[1][0]) * 3,
              y = static_cast<signed char>(part[1][1]) * 2;
    const uint16_t colour = static_cast<uint16_t>((part[1][2] * 0x9E37) & ~0x20);
    const std::string text = part[1].substr(3).c_str();
    std::vector<uint16_t> frame(SCREEN_WIDTH * SCREEN_HEIGHT, background);
    font.setColor(colour);
    font.drawText(frame.data(), x, y, text.c_str());

    std::vector<uint16_t> expected(frame.size(), background);
    int pen = x, advance = 0;
    for (unsigned char c : text) {
        if (c >= 33 && c <= 126) {
            int start = font.glyphStartOf(c);
            advance = font.glyphEndOf(c) - start;
            for (int row = 1; row < picture.height; ++row) {
                for (int column = 0; column < advance; ++column) {
                    int u = pen + column, v = y + row - 1;
                    if (u >= 0 && v >= 0 && u < SCREEN_WIDTH && v < SCREEN_HEIGHT)
                        expected[v * SCREEN_WIDTH + u] =
                            mix(colour, background, picture.pixelAt(start + column, row));
                }
            }
        } else if (c == ' ') {
            advance = 3;
        }
        pen += advance;
    }
    FUZZ_CHECK(frame == expected);
    FUZZ_CHECK(font.textWidth(text.c_str()) == pen - x);
    return 0;
}
