// BitmapFont: the glyph table built from the font picture's marker row, and text drawing.
#include "gfx/BitmapFont.h"

#include "base/Diagnostics.h"
#include "base/Utf8.h"
#include "base/WString.h"
#include "gfx/BuiltInFont.h"
#include "gfx/DLImage.h"
#include "gfx/PngReader.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const int spaceAdvance = 3;

// The longest map read: some 13,000 code points listed one by one.
const size_t maxMapLength = 64 * 1024;

// A glyph's visible part in one text line: where it lands in the frame, where its columns start
// in the font picture, and the visible rows that hold coverage, [inkTop, inkEnd) (counted from
// the first visible row; empty when inkTop >= inkEnd).
struct GlyphRun {
    int frameColumn;
    int pictureColumn;
    int width;
    int inkTop;
    int inkEnd;
};

// The visible rows of the text: where the first lands in the frame and in the font picture (one
// row apart, the picture's row 0 being the markers), and how many there are.
struct TextRows {
    uint16_t* frame;
    const unsigned char* picture;
    int pictureWidth;
    const unsigned char* pictureEnd;
    int count;
};

#ifdef TARVO_BLEND_LANES
// Glyph rows are a few bytes long, too short for a memcpy call to pay: each is copied as one
// word of this size (wider glyphs as several).
const int coverageWord = 8;
// Rows gathered at a time, so that the coverage buffer stays small.
const int bandRows = 16;
// A coverage row: the frame's width and a word of slack.
const int coverageStride = SCREEN_WIDTH + coverageWord;

// Mixes color into count pixels of the frame by coverage, per 5-bit channel
// ((255 - a) * destination + a * colour) / 255 with one truncating division, where drawn is
// 0xFFFF; where it is 0 (between glyphs) the frame keeps its pixel untouched. Every intermediate
// value is at most 255 * 31 and fits 16 bits, so a CPU with a vector unit blends eight pixels at
// a time (see DLImage.h).
void blendCoverage(uint16_t* __restrict__ destination, const unsigned char* __restrict__ coverage,
                   const uint16_t* __restrict__ drawn, int count, uint16_t color)
{
    const uint16_t colorRed = static_cast<uint16_t>(color >> 11);
    const uint16_t colorGreen = static_cast<uint16_t>((color >> 6) & 31);
    const uint16_t colorBlue = static_cast<uint16_t>(color & 31);
    for (int k = 0; k < count; ++k) {
        const uint16_t a = coverage[k];
        const uint16_t d = destination[k];
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

// The rows of the text a band at a time: the glyphs' rows are gathered into coverage rows that
// span the text from its first glyph to its last, and each row is blended across the whole span,
// so that long rows of pixels go through the blend together. The columns between glyphs (spaces,
// empty glyphs) are masked out and keep their pixels. Rows without coverage in any glyph only
// lose bit 5 under the glyphs.
void drawRuns(const TextRows& rows, const GlyphRun* runs, int runCount, uint16_t color)
{
    const int spanStart = runs[0].frameColumn;
    const int spanLength = runs[runCount - 1].frameColumn + runs[runCount - 1].width - spanStart;
    // The span is blended in whole words where the frame row has room for that: the pixels past
    // its end are masked out like the gaps, and the blend has no odd pixels to do one by one.
    int blendLength = (spanLength + coverageWord - 1) / coverageWord * coverageWord;
    if (spanStart + blendLength > SCREEN_WIDTH)
        blendLength = spanLength;
    // 0xFFFF under the glyphs, 0 elsewhere. Written in words of four: a word may reach past its
    // glyph, and the zeros that follow up to the next glyph (or the end) cover that.
    static const uint16_t allDrawn[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    static const uint16_t noneDrawn[4] = {0, 0, 0, 0};
    uint16_t drawn[SCREEN_WIDTH + coverageWord];
    int inkTop = rows.count;
    int inkEnd = 0;
    for (int r = 0; r < runCount; ++r) {
        const int start = runs[r].frameColumn - spanStart;
        const int end = start + runs[r].width;
        const int next = r + 1 < runCount ? runs[r + 1].frameColumn - spanStart : blendLength;
        for (int k = start; k < end; k += 4)
            memcpy(drawn + k, allDrawn, sizeof(allDrawn));
        for (int k = end; k < next; k += 4)
            memcpy(drawn + k, noneDrawn, sizeof(noneDrawn));
        if (runs[r].inkTop < runs[r].inkEnd) {
            inkTop = runs[r].inkTop < inkTop ? runs[r].inkTop : inkTop;
            inkEnd = runs[r].inkEnd > inkEnd ? runs[r].inkEnd : inkEnd;
        }
    }
    inkTop = inkTop < 0 ? 0 : inkTop;
    inkEnd = inkEnd > rows.count ? rows.count : inkEnd;
    for (int j = 0; j < rows.count; ++j) {
        if (j >= inkTop && j < inkEnd)
            continue;
        uint16_t* frameRow = rows.frame + j * SCREEN_WIDTH + spanStart;
        for (int k = 0; k < blendLength; ++k)
            frameRow[k] = static_cast<uint16_t>(frameRow[k] & ~(drawn[k] & 0x20));
    }

    // A word copied may run past its glyph into the next glyph's place (filled right after, as
    // runs go left to right), into a gap (masked out) or into the slack at the end of the row.
    // Kept between calls rather than cleared for each: whatever a gap holds is masked out.
    static unsigned char coverage[bandRows * coverageStride];
    for (int band = inkTop; band < inkEnd; band += bandRows) {
        const int bandHeight = inkEnd - band < bandRows ? inkEnd - band : bandRows;
        const unsigned char* bandRow = rows.picture + band * rows.pictureWidth;
        const unsigned char* lastRow = bandRow + (bandHeight - 1) * rows.pictureWidth;
        for (int r = 0; r < runCount; ++r) {
            const int width = runs[r].width;
            const unsigned char* source = bandRow + runs[r].pictureColumn;
            unsigned char* target = coverage + runs[r].frameColumn - spanStart;
            // Whole words only where the last row still has them inside the picture.
            const int words = (width + coverageWord - 1) / coverageWord;
            if (rows.pictureEnd - (lastRow + runs[r].pictureColumn) < words * coverageWord) {
                for (int j = 0; j < bandHeight; ++j) {
                    for (int k = 0; k < width; ++k)
                        target[k] = source[k];
                    source += rows.pictureWidth;
                    target += coverageStride;
                }
            } else if (words == 1) {
                // Most glyphs: one word a row. (A loop of word copies alone would become a
                // memcpy call.)
                for (int j = 0; j < bandHeight; ++j) {
                    memcpy(target, source, coverageWord);
                    source += rows.pictureWidth;
                    target += coverageStride;
                }
            } else {
                for (int j = 0; j < bandHeight; ++j) {
                    for (int w = 0; w < words; ++w)
                        memcpy(target + w * coverageWord, source + w * coverageWord, coverageWord);
                    source += rows.pictureWidth;
                    target += coverageStride;
                }
            }
        }
        for (int j = 0; j < bandHeight; ++j)
            blendCoverage(rows.frame + (band + j) * SCREEN_WIDTH + spanStart,
                          coverage + j * coverageStride, drawn, blendLength, color);
    }
}
#else

// A pixel that a glyph covers with level 0 keeps its channels and loses bit 5, as the blend
// gives.
inline uint16_t withoutBit5(uint16_t pixel)
{
    return static_cast<uint16_t>(pixel & 0xFFDF);
}

// Without a vector unit each glyph is blended straight from the font picture, a pixel at a time,
// per 5-bit channel ((255 - a) * destination + a * colour) / 255 with one truncating division.
// Most glyph pixels are background (level 0): they only lose bit 5, and so do whole rows outside
// the glyph's ink. Red and blue share one 32-bit word, 16 bits apart (each sum x is at most
// 255 * 31), where x / 255 is (y + (y >> 8)) >> 8 with y = x + 1, the 1 added with the colour's
// share; green's x / 255 is (x * 0x8081) >> 23. Both are exact for every sum that occurs.
// Rows [first, end) of a glyph width pixels wide: no coverage, so they only lose bit 5.
void clearRows(uint16_t* destination, int width, int first, int end)
{
    for (int j = first; j < end; ++j) {
        uint16_t* row = destination + j * SCREEN_WIDTH;
        for (int k = 0; k < width; ++k)
            row[k] = withoutBit5(row[k]);
    }
}

// One glyph. Kept out of line, so that the loops over the text do not take the registers that
// the blend needs.
__attribute__((noinline)) void blendGlyph(uint16_t* destination, const unsigned char* coverage,
                                          const GlyphRun& run, const TextRows& rows,
                                          uint32_t colorRedBlue, uint32_t colorGreen)
{
    const int width = run.width;
    const int top = run.inkTop < 0 ? 0 : run.inkTop < rows.count ? run.inkTop : rows.count;
    const int end = run.inkEnd < top ? top : run.inkEnd < rows.count ? run.inkEnd : rows.count;
    clearRows(destination, width, 0, top);
    clearRows(destination, width, end, rows.count);
    coverage += top * rows.pictureWidth;
    for (int j = top; j < end; ++j, coverage += rows.pictureWidth) {
        uint16_t* row = destination + j * SCREEN_WIDTH;
        for (int k = 0; k < width; ++k) {
            const uint32_t a = coverage[k];
            if (__builtin_expect(a == 0, 1)) {
                row[k] = withoutBit5(row[k]);
                continue;
            }
            const uint32_t d = row[k];
            const uint32_t rest = 255 - a;
            uint32_t redBlue =
                rest * ((d >> 11) | ((d & 31) << 16)) + (a * colorRedBlue + 0x00010001);
            // Red in bits 0-4, blue in bits 16-20; bits 8-15 hold waste that the shifts below
            // push out of the 16 bits kept.
            redBlue = (redBlue + ((redBlue >> 8) & 0x00FF00FF)) >> 8;
            const uint32_t green = ((rest * ((d >> 6) & 31) + a * colorGreen) * 0x8081) >> 23;
            row[k] = static_cast<uint16_t>((redBlue << 11) | (green << 6) | (redBlue >> 16));
        }
    }
}

void drawRuns(const TextRows& rows, const GlyphRun* runs, int runCount, uint16_t color)
{
    const uint32_t colorRedBlue = (color >> 11) | (static_cast<uint32_t>(color & 31) << 16);
    const uint32_t colorGreen = (color >> 6) & 31;
    for (int r = 0; r < runCount; ++r)
        blendGlyph(rows.frame + runs[r].frameColumn, rows.picture + runs[r].pictureColumn, runs[r],
                   rows, colorRedBlue, colorGreen);
}
#endif

// Reads 1 to 6 hexadecimal digits at p, leaving p after them; false when there are none.
bool readHexadecimal(const char*& p, uint32_t& value)
{
    value = 0;
    const char* start = p;
    for (; p - start < 6; ++p) {
        const char lower = static_cast<char>(*p | 0x20);
        if (*p >= '0' && *p <= '9')
            value = value * 16 + static_cast<uint32_t>(*p - '0');
        else if (lower >= 'a' && lower <= 'f')
            value = value * 16 + static_cast<uint32_t>(lower - 'a' + 10);
        else
            break;
    }
    return p != start;
}

// Where the replacement mark lands in one text line: the frame column of its first visible
// column, which column of its cell that is, and how many are visible.
struct MarkRun {
    int frameColumn;
    int cellColumn;
    int width;
};

// The replacement marks of a text: each a box outlined in the colour, its columns 1 to
// cellWidth - 2 and its glyph rows glyphHeight / 5 to glyphHeight - glyphHeight / 5 - 1; the rest
// of its cell loses bit 5, as a glyph's background does. skipRows glyph rows lie above the frame.
void drawMarks(const TextRows& rows, int skipRows, int glyphHeight, const MarkRun* marks,
               int markCount, int cellWidth, uint16_t color)
{
    const int top = glyphHeight / 5;
    const int bottom = glyphHeight - glyphHeight / 5 - 1;
    const uint16_t ink = static_cast<uint16_t>(color & 0xFFDF);
    for (int m = 0; m < markCount; ++m) {
        for (int j = 0; j < rows.count; ++j) {
            const int row = j + skipRows;
            uint16_t* pixel = rows.frame + j * SCREEN_WIDTH + marks[m].frameColumn;
            for (int k = 0; k < marks[m].width; ++k) {
                const int column = k + marks[m].cellColumn;
                const bool inside =
                    column >= 1 && column <= cellWidth - 2 && row >= top && row <= bottom;
                const bool edge =
                    column == 1 || column == cellWidth - 2 || row == top || row == bottom;
                pixel[k] = inside && edge ? ink : static_cast<uint16_t>(pixel[k] & 0xFFDF);
            }
        }
    }
}

} // namespace

const char BitmapFont::glyphMapKeyword[] = "Tarvo glyphs";

BitmapFont::BitmapFont()
    : image(0), glyphHeight(0), color(0xFFFF), extra(0), extraCount(0), ranges(0), rangeCount(0)
{
    clearGlyphs();
}

BitmapFont::~BitmapFont()
{
    clearGlyphs();
    delete image;
}

void BitmapFont::clearGlyphs()
{
    for (int c = 0; c < 128; ++c) {
        glyphStart[c] = 0;
        glyphEnd[c] = 0;
        inkTop[c] = 0;
        inkEnd[c] = 0;
    }
    free(extra);
    free(ranges);
    extra = 0;
    ranges = 0;
    extraCount = 0;
    rangeCount = 0;
}

bool BitmapFont::load(const char* path)
{
    DLImage* picture = new DLImage;
    if (!picture->loadPng(path, 8, true)) {
        delete picture;
        picture = 0;
    }
    WString map;
    const bool mapped = picture && readPngText(path, glyphMapKeyword, maxMapLength, map);
    if (!adopt(picture, mapped ? map.text() : 0, path))
        return false;
    printf("Loaded font: %ix%i\n", static_cast<int>(image->width), static_cast<int>(image->height));
    return true;
}

bool BitmapFont::loadBuiltIn()
{
    DLImage* picture = new DLImage;
    if (!picture->loadPngData(builtInFontPng, builtInFontPngSize, 8, true)) {
        delete picture;
        picture = 0;
    }
    WString map;
    const bool mapped = picture &&
        readPngTextData(builtInFontPng, builtInFontPngSize, glyphMapKeyword, maxMapLength, map);
    return adopt(picture, mapped ? map.text() : 0, 0);
}

bool BitmapFont::readMap(const char* map, int32_t limit)
{
    // Each range but the last has a comma after it.
    size_t most = 1;
    for (const char* p = map; *p; ++p)
        most += *p == ',';
    ranges = static_cast<CharacterRange*>(malloc(most * sizeof(CharacterRange)));
    if (!ranges)
        return false;
    uint32_t previous = 0x7F;
    int32_t glyphs = 0;
    for (const char* p = map;; ++p) {
        while (*p == ' ')
            ++p;
        uint32_t first = 0;
        uint32_t last = 0;
        if (!readHexadecimal(p, first))
            break;
        last = first;
        if (*p == '-' && !readHexadecimal(++p, last))
            break;
        while (*p == ' ')
            ++p;
        if (first <= previous || last < first || last > 0x10FFFF || (*p && *p != ','))
            break;
        previous = last;
        if (glyphs < limit) {
            // Glyphs past the limit could not have a column each.
            CharacterRange& range = ranges[rangeCount++];
            const uint32_t room = static_cast<uint32_t>(limit - glyphs);
            range.first = first;
            range.last = last - first < room ? last : first + room - 1;
            range.glyph = glyphs;
            glyphs += static_cast<int32_t>(range.last - range.first + 1);
        }
        if (!*p) {
            extraCount = glyphs;
            return true;
        }
    }
    free(ranges);
    ranges = 0;
    rangeCount = 0;
    return false;
}

bool BitmapFont::adopt(DLImage* picture, const char* map, const char* path)
{
    delete image;
    image = 0;
    glyphHeight = 0;
    clearGlyphs();
    if (!picture)
        return false;
    image = picture;
    glyphHeight = image->height - 1;
    if (map && !readMap(map, image->width)) {
        if (path)
            diagnoseAt(SourcePlace(path, 0), DIAGNOSTIC_WARNING,
                       "the list of characters in the font picture ('%s') is not understood: "
                       "only the characters 33 to 126 are drawn",
                       glyphMapKeyword);
    }
    if (extraCount > 0) {
        extra = static_cast<Glyph*>(malloc(static_cast<size_t>(extraCount) * sizeof(Glyph)));
        if (!extra) {
            free(ranges);
            ranges = 0;
            rangeCount = 0;
            extraCount = 0;
        }
    }

    // Each marker column is the first column of the next glyph; the first glyph starts at 1.
    // The cursor steps at least once per character, so a marker ends only the glyph before it,
    // and a cursor that has reached the right edge stays there (later glyphs are empty).
    int cursor = 0;
    int start = 1;
    for (int g = 0; g < 94 + extraCount; ++g) {
        while (cursor < image->width) {
            ++cursor;
            if (cursor >= image->width || image->pixelAt(cursor, 0) > 128)
                break;
        }
        if (g < 94) {
            glyphStart[33 + g] = start;
            glyphEnd[33 + g] = cursor;
            findInk(start, cursor, inkTop[33 + g], inkEnd[33 + g]);
        } else {
            Glyph& glyph = extra[g - 94];
            glyph.start = start;
            glyph.end = cursor;
            findInk(start, cursor, glyph.inkTop, glyph.inkEnd);
        }
        start = cursor;
    }
    return true;
}

void BitmapFont::findInk(int start, int end, int32_t& top, int32_t& bottom) const
{
    const unsigned char* glyphs = static_cast<const unsigned char*>(image->pixels);
    int first = -1;
    int last = 0;
    for (int j = 0; j < glyphHeight; ++j) {
        // Glyph row j is picture row j + 1, below the marker row.
        const unsigned char* row = glyphs + static_cast<size_t>(j + 1) * image->width;
        for (int k = start; k < end; ++k) {
            if (row[k]) {
                if (first < 0)
                    first = j;
                last = j + 1;
                break;
            }
        }
    }
    top = first < 0 ? 0 : first;
    bottom = last;
}

const BitmapFont::Glyph* BitmapFont::extraGlyph(uint32_t code) const
{
    int low = 0;
    int high = rangeCount;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (code > ranges[middle].last) {
            low = middle + 1;
        } else if (code < ranges[middle].first) {
            high = middle;
        } else {
            const Glyph* glyph = &extra[ranges[middle].glyph + (code - ranges[middle].first)];
            return glyph->end > glyph->start ? glyph : 0;
        }
    }
    return 0;
}

int BitmapFont::replacementWidth() const
{
    return glyphHeight / 2 > 4 ? glyphHeight / 2 : 4;
}

int BitmapFont::textWidth(const char* text) const
{
    // The advances of drawText, without its stop at the right edge of the frame.
    int64_t width = 0;
    int advance = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p && *p; ++p) {
        if (*p >= 33 && *p <= 126) {
            advance = glyphEnd[*p] - glyphStart[*p];
        } else if (*p == 32) {
            advance = spaceAdvance;
        } else if (*p >= 0x80) {
            uint32_t code;
            p += decodeCharacter(p, code) - 1;
            const Glyph* glyph = extraGlyph(code);
            advance = glyph ? glyph->end - glyph->start : replacementWidth();
        }
        width += advance;
        if (width > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(width);
}

bool BitmapFont::findMissing(const char* text, uint32_t& code) const
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p && *p;) {
        p += decodeCharacter(p, code);
        if (code >= 0x80 && !extraGlyph(code))
            return true;
    }
    return false;
}

int BitmapFont::glyphStartOf(uint32_t code) const
{
    if (code < 128)
        return glyphStart[code];
    const Glyph* glyph = extraGlyph(code);
    return glyph ? glyph->start : 0;
}

int BitmapFont::glyphEndOf(uint32_t code) const
{
    if (code < 128)
        return glyphEnd[code];
    const Glyph* glyph = extraGlyph(code);
    return glyph ? glyph->end : 0;
}

void BitmapFont::drawText(uint16_t* frame, int x, int y, const char* text)
{
    int skipRows = 0;
    int rows = 0;
    if (!frame || !text || !image || !image->pixels ||
        !DLImage::clipSpan(y, glyphHeight, SCREEN_HEIGHT, skipRows, rows))
        return;

    // First where each glyph and mark lands (each run is at least one column wide, so a frame
    // row holds at most SCREEN_WIDTH of them), then the rows.
    GlyphRun runs[SCREEN_WIDTH];
    int runCount = 0;
    MarkRun marks[SCREEN_WIDTH];
    int markCount = 0;
    int pen = x;
    int advance = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        // Widths are never negative, so nothing further can land inside the frame.
        if (pen >= SCREEN_WIDTH)
            break;
        const unsigned b = *p;
        int start;
        int top;
        int end;
        if (b >= 33 && b <= 126) {
            start = glyphStart[b];
            advance = glyphEnd[b] - start;
            top = inkTop[b];
            end = inkEnd[b];
        } else if (b == 32) {
            pen += spaceAdvance;
            advance = spaceAdvance;
            continue;
        } else if (b < 0x80) {
            // Draws nothing and repeats the advance of the character before it.
            pen += advance;
            continue;
        } else {
            uint32_t code;
            p += decodeCharacter(p, code) - 1;
            const Glyph* glyph = extraGlyph(code);
            if (!glyph) {
                advance = replacementWidth();
                int skipColumns = 0;
                int columns = 0;
                if (DLImage::clipSpan(pen, advance, SCREEN_WIDTH, skipColumns, columns)) {
                    marks[markCount].frameColumn = pen + skipColumns;
                    marks[markCount].cellColumn = skipColumns;
                    marks[markCount].width = columns;
                    ++markCount;
                }
                pen += advance;
                continue;
            }
            start = glyph->start;
            advance = glyph->end - start;
            top = glyph->inkTop;
            end = glyph->inkEnd;
        }
        int skipColumns = 0;
        int columns = advance;
        // Most glyphs lie wholly inside (pen < SCREEN_WIDTH and advance is at most the
        // picture's width, so the sum cannot overflow); the others are clipped.
        if ((pen >= 0 && advance > 0 && pen + advance <= SCREEN_WIDTH) ||
            DLImage::clipSpan(pen, advance, SCREEN_WIDTH, skipColumns, columns)) {
            runs[runCount].frameColumn = pen + skipColumns;
            runs[runCount].pictureColumn = start + skipColumns;
            runs[runCount].width = columns;
            runs[runCount].inkTop = top - skipRows;
            runs[runCount].inkEnd = end - skipRows;
            ++runCount;
        }
        // pen < SCREEN_WIDTH and advance is at most the picture width: no overflow.
        pen += advance;
    }
    if (runCount == 0 && markCount == 0)
        return;

    const unsigned char* glyphs = static_cast<const unsigned char*>(image->pixels);
    TextRows visible;
    visible.frame = frame + (y + skipRows) * SCREEN_WIDTH;
    // Glyph row j is picture row j + 1, below the marker row.
    visible.picture = glyphs + static_cast<size_t>(skipRows + 1) * image->width;
    visible.pictureWidth = image->width;
    visible.pictureEnd = glyphs + static_cast<size_t>(image->width) * image->height;
    visible.count = rows;
    if (runCount > 0)
        drawRuns(visible, runs, runCount, color);
    if (markCount > 0)
        drawMarks(visible, skipRows, glyphHeight, marks, markCount, replacementWidth(), color);
}
