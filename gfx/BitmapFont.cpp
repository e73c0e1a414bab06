// BitmapFont: the glyph table built from the font picture's marker row, and text drawing.
#include "gfx/BitmapFont.h"

#include "gfx/BuiltInFont.h"
#include "gfx/DLImage.h"

#include <stdio.h>
#include <string.h>

namespace {

const int spaceAdvance = 3;

// A glyph's visible part in one text line: where it lands in the frame and where its columns
// start in the font picture.
struct GlyphRun {
    int frameColumn;
    int pictureColumn;
    int width;
    bool wholeWords; // its rows can be read in whole words without leaving the picture
};

// Glyph rows are a few bytes long, too short for a memcpy call to pay; they are copied in words
// of this size.
const int coverageWord = 8;

// Mixes color into a row of the frame by coverage, per 5-bit channel
// ((255 - a) * destination + a * colour) / 255 with one truncating division, where drawn is
// 0xFFFF; where it is 0 (between glyphs) the frame keeps its pixel untouched. Every intermediate
// value is at most 255 * 31 and fits 16 bits, so a CPU with a vector unit blends eight pixels at
// a time (see DLImage.h). A coverage of 0 keeps the frame's channels and clears bit 5, like
// every drawn pixel.
void blendCoverage(uint16_t* __restrict__ destination, const unsigned char* __restrict__ coverage,
                   const uint16_t* __restrict__ drawn, int count, uint16_t color)
{
    const uint16_t colorRed = static_cast<uint16_t>(color >> 11);
    const uint16_t colorGreen = static_cast<uint16_t>((color >> 6) & 31);
    const uint16_t colorBlue = static_cast<uint16_t>(color & 31);
    for (int k = 0; k < count; ++k) {
        const uint16_t a = coverage[k];
        const uint16_t d = destination[k];
#ifndef TARVO_BLEND_LANES
        // Without a vector unit, skipping the arithmetic for background pixels (most of a
        // glyph) pays for the tests.
        if (!drawn[k])
            continue;
        if (a == 0) {
            destination[k] = static_cast<uint16_t>(d & 0xFFDF);
            continue;
        }
#endif
        const uint16_t rest = static_cast<uint16_t>(255 - a);
        const uint16_t red =
            static_cast<uint16_t>(static_cast<uint16_t>(rest * (d >> 11) + a * colorRed) / 255);
        const uint16_t green = static_cast<uint16_t>(
            static_cast<uint16_t>(rest * ((d >> 6) & 31) + a * colorGreen) / 255);
        const uint16_t blue =
            static_cast<uint16_t>(static_cast<uint16_t>(rest * (d & 31) + a * colorBlue) / 255);
        const uint16_t mixed = static_cast<uint16_t>((red << 11) | (green << 6) | blue);
        destination[k] = static_cast<uint16_t>((mixed & drawn[k]) | (d & ~drawn[k]));
    }
}

} // namespace

BitmapFont::BitmapFont() : image(0), glyphHeight(0), color(0xFFFF)
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
    DLImage* picture = new DLImage;
    if (!picture->loadPng(path, 8, true)) {
        delete picture;
        picture = 0;
    }
    if (!adopt(picture))
        return false;
    printf("Loaded font: %ix%i\n", image->width, image->height);
    return true;
}

bool BitmapFont::loadBuiltIn()
{
    DLImage* picture = new DLImage;
    if (!picture->loadPngData(builtInFontPng, builtInFontPngSize, 8, true)) {
        delete picture;
        picture = 0;
    }
    return adopt(picture);
}

bool BitmapFont::adopt(DLImage* picture)
{
    delete image;
    image = 0;
    glyphHeight = 0;
    clearGlyphs();
    if (!picture)
        return false;
    image = picture;
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

int BitmapFont::textWidth(const char* text) const
{
    // The advances of drawText, without its stop at the right edge of the frame.
    int width = 0;
    int advance = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p && *p; ++p) {
        if (*p >= 33 && *p <= 126)
            advance = glyphEnd[*p] - glyphStart[*p];
        else if (*p == 32)
            advance = spaceAdvance;
        width += advance;
    }
    return width;
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

    // First where each glyph lands (each run is at least one column wide, so a frame row holds
    // at most SCREEN_WIDTH of them), then the rows.
    GlyphRun runs[SCREEN_WIDTH];
    int runCount = 0;
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
                runs[runCount].frameColumn = pen + skipColumns;
                runs[runCount].pictureColumn = glyphStart[b] + skipColumns;
                runs[runCount].width = columns;
                ++runCount;
            }
        } else if (b == 32) {
            advance = spaceAdvance;
        }
        // Any other byte draws nothing and repeats the advance of the byte before it.
        // pen < SCREEN_WIDTH and advance is at most the picture width: no overflow.
        pen += advance;
    }
    if (runCount == 0)
        return;

    // Each row is blended across the whole stretch from the first glyph to the last, so that
    // long runs of pixels go through the blend together; the columns between glyphs (spaces,
    // empty glyphs) are masked out and keep their pixels.
    const int spanStart = runs[0].frameColumn;
    const int spanLength = runs[runCount - 1].frameColumn + runs[runCount - 1].width - spanStart;
    uint16_t drawn[SCREEN_WIDTH];
    // Coverage goes in in whole words where the picture allows reading that far, which may run
    // past a glyph's width into the next glyph's place (filled right after) or into the slack.
    unsigned char coverage[SCREEN_WIDTH + coverageWord];
    memset(drawn, 0, sizeof(drawn));
    memset(coverage, 0, sizeof(coverage));
    const unsigned char* pictureEnd = glyphs + static_cast<size_t>(image->width) * image->height;
    const unsigned char* lastRow = glyphs + (skipRows + rows) * image->width;
    for (int r = 0; r < runCount; ++r) {
        const int offset = runs[r].frameColumn - spanStart;
        for (int k = 0; k < runs[r].width; ++k)
            drawn[offset + k] = 0xFFFF;
        const int wordBytes = (runs[r].width + coverageWord - 1) / coverageWord * coverageWord;
        runs[r].wholeWords = pictureEnd - (lastRow + runs[r].pictureColumn) >= wordBytes;
    }

    for (int j = 0; j < rows; ++j) {
        // Glyph row j is picture row j + 1, below the marker row.
        const unsigned char* pictureRow = glyphs + (skipRows + j + 1) * image->width;
        uint16_t* frameRow = frame + (y + skipRows + j) * SCREEN_WIDTH + spanStart;
        for (int r = 0; r < runCount; ++r) {
            const unsigned char* source = pictureRow + runs[r].pictureColumn;
            unsigned char* target = coverage + runs[r].frameColumn - spanStart;
            if (runs[r].wholeWords) {
                for (int k = 0; k < runs[r].width; k += coverageWord)
                    memcpy(target + k, source + k, coverageWord);
            } else {
                for (int k = 0; k < runs[r].width; ++k)
                    target[k] = source[k];
            }
        }
        blendCoverage(frameRow, coverage, drawn, spanLength, color);
    }
}
