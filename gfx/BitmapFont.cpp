// BitmapFont: the glyph table built from the font picture's marker row, and text drawing.
#include "gfx/BitmapFont.h"

#include <stdio.h>

#include "gfx/DLImage.h"

namespace {

const int spaceAdvance = 3;

// One glyph row: each coverage a mixes color into the frame, per 5-bit channel
// ((255 - a) * destination + a * colour) / 255 with a single truncating division.
void blendGlyphRow(uint16_t* destination, const unsigned char* coverage, int count, uint16_t color)
{
    const unsigned colorRed = color >> 11;
    const unsigned colorGreen = (color >> 6) & 31;
    const unsigned colorBlue = color & 31;
    for (int k = 0; k < count; ++k) {
        const unsigned a = coverage[k];
        const unsigned d = destination[k];
        if (a == 0) {
            // Most glyph pixels are background; they keep the frame but, like every drawn
            // pixel, lose bit 5.
            destination[k] = static_cast<uint16_t>(d & 0xFFDF);
            continue;
        }
        const unsigned rest = 255 - a;
        const unsigned red = (rest * (d >> 11) + a * colorRed) / 255;
        const unsigned green = (rest * ((d >> 6) & 31) + a * colorGreen) / 255;
        const unsigned blue = (rest * (d & 31) + a * colorBlue) / 255;
        destination[k] = static_cast<uint16_t>((red << 11) | (green << 6) | blue);
    }
}

} // namespace

BitmapFont::BitmapFont()
    : image(0), glyphHeight(0), color(0xFFFF)
{
    clearGlyphs();
}

BitmapFont::~BitmapFont()
{
    delete image;
}

void BitmapFont::clearGlyphs()
{
    for (int c = 0; c < 128; ++c) {
        glyphStart[c] = 0;
        glyphEnd[c] = 0;
    }
}

bool BitmapFont::load(const char* path)
{
    delete image;
    image = 0;
    glyphHeight = 0;
    clearGlyphs();

    DLImage* picture = new DLImage;
    if (!picture->loadPng(path, 8, true)) {
        delete picture;
        return false;
    }
    image = picture;
    printf("Loaded font: %ix%i\n", image->width, image->height);
    glyphHeight = image->height - 1;

    // Each marker column is the first column of the next glyph; the first glyph starts at 1.
    // The cursor steps at least once per character, so a marker ends only the glyph before it,
    // and a cursor that has reached the right edge stays there (later glyphs are empty).
    int cursor = 0;
    int start = 1;
    for (int c = 33; c <= 126; ++c) {
        while (cursor < image->width) {
            ++cursor;
            if (cursor >= image->width || image->pixelAt(cursor, 0) > 128)
                break;
        }
        glyphStart[c] = start;
        glyphEnd[c] = cursor;
        start = cursor;
    }
    return true;
}

int BitmapFont::glyphStartOf(int code) const
{
    return code >= 0 && code < 128 ? glyphStart[code] : 0;
}

int BitmapFont::glyphEndOf(int code) const
{
    return code >= 0 && code < 128 ? glyphEnd[code] : 0;
}

void BitmapFont::drawText(uint16_t* frame, int x, int y, const char* text)
{
    if (!frame || !text)
        return;
    const unsigned char* glyphs = image ? static_cast<const unsigned char*>(image->pixels) : 0;
    int skipRows = 0;
    int rows = 0;
    const bool rowsVisible =
        glyphs && DLImage::clipSpan(y, glyphHeight, SCREEN_HEIGHT, skipRows, rows);

    int pen = x;
    int advance = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        // Widths are never negative, so nothing further can land inside the frame.
        if (pen >= SCREEN_WIDTH)
            break;
        const unsigned b = *p;
        if (b >= 33 && b <= 126) {
            advance = glyphEnd[b] - glyphStart[b];
            int skipColumns, columns;
            if (rowsVisible &&
                DLImage::clipSpan(pen, advance, SCREEN_WIDTH, skipColumns, columns)) {
                // Glyph row j is picture row j + 1, below the marker row.
                const unsigned char* coverage =
                    glyphs + (skipRows + 1) * image->width + glyphStart[b] + skipColumns;
                uint16_t* destination = frame + (y + skipRows) * SCREEN_WIDTH + pen + skipColumns;
                for (int j = 0; j < rows; ++j) {
                    blendGlyphRow(destination, coverage, columns, color);
                    coverage += image->width;
                    destination += SCREEN_WIDTH;
                }
            }
        } else if (b == 32) {
            advance = spaceAdvance;
        }
        // Any other byte draws nothing and repeats the advance of the byte before it.
        // pen < SCREEN_WIDTH and advance is at most the picture width: no overflow.
        pen += advance;
    }
}
