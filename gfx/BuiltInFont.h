// BuiltInFont: the launcher's default font picture, built into the program, so that text is drawn
// even on a card without it.
#ifndef TARVO_GFX_BUILTINFONT_H
#define TARVO_GFX_BUILTINFONT_H

// The bytes of sdcard/Tarvo/ARIALN.TTF_0_12_255_255_255.png, a PNG file, turned into a source
// file when the program is built (cmake/EmbedFile.cmake).
extern const unsigned char builtInFontPng[];
extern const unsigned long builtInFontPngSize;

#endif
