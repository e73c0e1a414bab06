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
    // A space advances 3 columns; bytes outside 32-126 draw nothing and advance by the width of
    // the character before them (0 at the start of the text). Clipped at all four edges.
    void drawText(uint16_t* frame, int x, int y, const char* text);

    // The columns drawText advances over for text: how wide it is on a screen without edges.
    int textWidth(const char* text) const;

    // The columns of a character's glyph in the picture, [start, end); both 0 outside 33-126.
    int glyphStartOf(int code) const;
    int glyphEndOf(int code) const;

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

    BitmapFont(const BitmapFont&);
    BitmapFont& operator=(const BitmapFont&);

    void clearGlyphs();
    // Finds the rows of each glyph that hold coverage.
    void findInk();
    // Takes the picture (null: none) and builds the glyph table from it.
    bool adopt(DLImage* picture);
};

#endif
