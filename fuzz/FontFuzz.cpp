// The font picture and text: parts are the picture (a PNG file) and a text whose first three bytes
// place it and pick its colour. The glyph table must follow the marker row, and the drawn frame
// must hold exactly what the glyphs' coverage gives, character by character as a decoder written
// here from the rule reads the text (UTF-8, every other byte Latin-1); a character without a
// glyph is a replacement mark of fixed width. The text's width is the sum of those advances, and
// every pixel outside the text is untouched.
#include "fuzz/FuzzSupport.h"
#include "gfx/BitmapFont.h"
#include "gfx/DLImage.h"

#include <algorithm>
#include <climits>

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

// One character of text: a sequence of the lengths UTF-8 allows whose value lies in the range its
// length encodes and is no surrogate; otherwise the byte alone.
int decode(const unsigned char* text, uint32_t& code)
{
    const int length = text[0] >= 0xF0 ? 4 : text[0] >= 0xE0 ? 3 : text[0] >= 0xC0 ? 2 : 1;
    const uint32_t lowest[5] = {0, 0, 0x80, 0x800, 0x10000};
    code = text[0];
    uint32_t value = text[0] & (0xFF >> (length + 1));
    for (int i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80)
            return 1;
        value = value << 6 | (text[i] & 0x3F);
    }
    if (length == 1 || text[0] > 0xF7 || value < lowest[length] || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF))
        return 1;
    code = value;
    return length;
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

    // The glyphs after 126 lie in the order of their code points, after the glyph of 126.
    int previousEnd = font.glyphEndOf(126);
    for (uint32_t code = 0x80; code < 0x600; ++code) {
        const int start = font.glyphStartOf(code), end = font.glyphEndOf(code);
        FUZZ_CHECK(start <= end && end <= picture.width);
        if (start < end) {
            FUZZ_CHECK(start >= previousEnd);
            previousEnd = end;
        }
    }

    const int x = static_cast<signed char>(part[1][0]) * 3,
              y = static_cast<signed char>(part[1][1]) * 2;
    const uint16_t colour = static_cast<uint16_t>((part[1][2] * 0x9E37) & ~0x20);
    const std::string text = part[1].substr(3).c_str();
    std::vector<uint16_t> frame(SCREEN_WIDTH * SCREEN_HEIGHT, background);
    font.setColor(colour);
    font.drawText(frame.data(), x, y, text.c_str());

    // -1: a pixel of a mark's cell, which is either the colour or the background.
    std::vector<int> expected(frame.size(), background);
    int64_t pen = x;
    int advance = 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    for (const unsigned char* p = bytes; *p;) {
        uint32_t c;
        p += decode(p, c);
        const bool drawn = (c >= 33 && c <= 126) || (c > 127 && font.glyphEndOf(c) > 0);
        if (drawn || c > 127) {
            const int start = font.glyphStartOf(c);
            advance = drawn ? font.glyphEndOf(c) - start : font.replacementWidth();
            for (int row = 1; row < picture.height; ++row) {
                for (int column = 0; column < advance; ++column) {
                    int64_t u = pen + column, v = y + row - 1;
                    if (u >= 0 && v >= 0 && u < SCREEN_WIDTH && v < SCREEN_HEIGHT)
                        expected[v * SCREEN_WIDTH + u] = drawn
                            ? mix(colour, background, picture.pixelAt(start + column, row))
                            : -1;
                }
            }
        } else if (c == ' ') {
            advance = 3;
        }
        pen += advance;
    }
    for (size_t i = 0; i < frame.size(); ++i)
        FUZZ_CHECK(frame[i] == expected[i] ||
                   (expected[i] == -1 && (frame[i] == colour || frame[i] == background)));
    FUZZ_CHECK(font.textWidth(text.c_str()) == std::min<int64_t>(pen - x, INT_MAX));
    return 0;
}
