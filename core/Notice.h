// The notice: one line of text on a dark bar along the bottom of the frame, for what the person
// holding the handheld must know (a program that was not started, for one).
#ifndef TARVO_CORE_NOTICE_H
#define TARVO_CORE_NOTICE_H

#include "base/WString.h"

#include <stdint.h>

class BitmapFont;

// The bar's colour, and the text's: light on dark reads over any skin.
const uint16_t noticeBarColor = 0x2104;
const uint16_t noticeTextColor = 0xFFDF;

// Draws text over the bottom rows of frame: a bar as high as a line of the font plus two rows
// above and below it (a font without glyphs still gets a 16-row bar), the text two columns in
// from the left, fitted to the width by fitNotice.
void drawNotice(uint16_t* frame, BitmapFont& font, const char* text);

// text as it fits in width pixels of font: as it is when it fits; otherwise the middle of its
// longest word (a file name, a path) gives way to "...", so that the message around it, its end
// above all, stays whole; and when that is not enough, the middle of the whole text. Characters
// of more than one byte are never split.
WString fitNotice(const BitmapFont& font, const char* text, int width);

#endif
