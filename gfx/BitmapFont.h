// BitmapFont: the proportional font of the launcher, read from a picture of pre-rendered glyphs,
// and the drawing of text in any colour.
#ifndef TARVO_GFX_BITMAPFONT_H
#define TARVO_GFX_BITMAPFONT_H

#include "platform/Platform.h"

#include <stdint.h>

class DLImage;

// The font picture: row 0 is a marker row (a level above 128 marks the first column of the next
// glyph); rows 1 and below hold the glyphs of the characters 33 to 126 side by side, each pixel's
// grey level (r + g + b) / 3 being its coverage. The first glyph starts at column 1. The picture's
// name says nothing that is read: size and style are whatever it holds.
//
// More characters: the glyphs after 126's continue the same strip, in the order of the code
// points listed by the picture's text chunk (tEXt) with the keyword glyphMapKeyword, which comes
// before the image data: hexadecimal code points and ranges FIRST-LAST, ascending, each above
// 7F, separated by commas ("A0-17F,370-377,37A-37F"). A picture without that chunk holds 33 to 126
// alone, as ever; a map that cannot be read leaves the picture at that too, and says so at its
// path.
//
// Texts are read as UTF-8, every byte outside a valid sequence as the Latin-1 character of its
// value (base/Utf8.h). A character above 7F without a glyph (none in the map, or none left in
// the picture for it) is drawn as the replacement mark, a box as wide as replacementWidth().
//
// The font owns its picture. Its colour is shared drawing state: callers set it before each
// string they draw.
class BitmapFont {
public:
    BitmapFont();
    ~BitmapFont();

    // Loads the picture at path and builds the glyph table; prints "Loaded font: WxH". On failure
    // the font is left as constructed (no glyphs, line height 0) and nothing is printed here.
    bool load(const char* path);

    // Loads the default font picture that is built into the program (gfx/BuiltInFont.h), for a
    // card whose own picture is missing or unreadable; prints nothing.
    bool loadBuiltIn();

    void setColor(uint16_t newColor) { color = newColor; }
    int lineHeight() const { return glyphHeight; }

    // Draws text with its top-left corner at (x, y). Each glyph pixel mixes the colour into the
    // frame by its coverage a: per 5-bit channel ((255 - a) * destination + a * colour) / 255.
    // A space advances 3 columns; a byte from 1 to 31, or 127, draws nothing and advances by the
    // width of the character before it (0 at the start of the text); a character above 7F
    // without a glyph draws the replacement mark: a box outlined in the colour, its cell losing
    // bit 5 as a glyph's background does. Clipped at all four edges.
    void drawText(uint16_t* frame, int x, int y, const char* text);

    // The columns drawText advances over for text: how wide it is on a screen without edges
    // (held at INT_MAX).
    int textWidth(const char* text) const;

    // The columns of a character's glyph in the picture, [start, end); both 0 for a character
    // without one (below 33, 127, or above 7F and not in the map).
    int glyphStartOf(uint32_t code) const;
    int glyphEndOf(uint32_t code) const;

    // The advance of the replacement mark.
    int replacementWidth() const;

    // The first character above 7F in text that has no glyph, in code; false when there is none.
    bool findMissing(const char* text, uint32_t& code) const;

    // The keyword of the picture's text chunk that lists the characters after 126.
    static const char glyphMapKeyword[];

    DLImage* image;
    int32_t glyphHeight;
    int32_t glyphStart[128];
    int32_t glyphEnd[128];
    uint16_t color;

private:
    // The glyph rows (0 is the row below the markers) that hold any coverage, [inkTop, inkEnd);
    // 0 and 0 for an empty glyph. Rows outside it need no blending when text is drawn.
    int32_t inkTop[128];
    int32_t inkEnd[128];

    // A glyph after 126's: its columns and its ink rows, as above.
    struct Glyph {
        int32_t start;
        int32_t end;
        int32_t inkTop;
        int32_t inkEnd;
    };
    // Consecutive code points [first, last] whose glyphs are extra[glyph], extra[glyph + 1], ...
    struct CharacterRange {
        uint32_t first;
        uint32_t last;
        int32_t glyph;
    };
    // Both malloc'ed, owned, freed when another picture comes or the font goes.
    Glyph* extra;
    int32_t extraCount;
    CharacterRange* ranges;
    int32_t rangeCount;

    BitmapFont(const BitmapFont&);
    BitmapFont& operator=(const BitmapFont&);

    void clearGlyphs();
    // Reads the map (the chunk's text) into ranges; false, with ranges empty, when it is not
    // understood. At most limit code points are taken: a glyph takes at least a column.
    bool readMap(const char* map, int32_t limit);
    // Finds the rows of a glyph's columns that hold coverage.
    void findInk(int start, int end, int32_t& top, int32_t& bottom) const;
    // Takes the picture (null: none) and the map's text (null: none), and builds the glyph table;
    // path names the picture in a diagnostic (null: built in).
    bool adopt(DLImage* picture, const char* map, const char* path);
    // The glyph of a character above 7F; null when it has none or an empty one.
    const Glyph* extraGlyph(uint32_t code) const;
};

#endif
