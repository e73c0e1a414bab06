// Decoding of PNG files into rows of 8-bit RGB or RGBA samples, the one form the pictures use.
#ifndef TARVO_GFX_PNGREADER_H
#define TARVO_GFX_PNGREADER_H

#include "base/WString.h"

#include <stddef.h>
#include <stdint.h>

// Pictures wider or taller than this are refused as a failed load, with a diagnostic at the
// picture's path: the screen is 320 x 240, and a decoded 2048 x 2048 picture already takes 12 MB
// of the handheld's 64.
const uint32_t maxPngSide = 2048;

// A font picture is one long strip of glyphs: it is bounded by its pixel count instead (it takes
// one byte a pixel once loaded), whatever its shape.
const uint32_t maxFontPixels = 512 * 1024;

// Where a load hands its rows, one at a time, so that nothing holds the whole picture in the
// decoder's layout. A load calls begin(), then row() for every row from the top, unless it
// fails before; it may still fail after the last row (a damaged checksum at the end of the
// data), so a receiver keeps nothing of a load that returned false. A load may start over once,
// calling begin() again after rows: the receiver then drops what it had.
class PngRowReceiver {
public:
    PngRowReceiver() : maxPixels(0) {}
    virtual ~PngRowReceiver() {}
    // The picture's size (each side 1 to maxPngSide, or 1 to maxPixels pixels in all when that
    // is set) and samples per pixel, 3 (RGB) or 4 (RGBA).
    // False refuses the picture (no memory for it): the load fails as out of memory.
    virtual bool begin(uint32_t width, uint32_t height, int channels) = 0;
    // Row y: width * channels samples, valid only during the call.
    virtual void row(uint32_t y, const unsigned char* samples) = 0;

    // 0: a picture may be maxPngSide pixels a side; otherwise it may have any shape of at most
    // this many pixels (a picture past the bound fails to load, said at its path).
    uint32_t maxPixels;
};

// Reads the PNG file at path (a handheld path, mapped through platform/Files.h) whatever the
// file's colour type and bit depth: palettes and grey levels expanded to RGB, 16-bit samples cut
// to their high byte, and a tRNS chunk turned into an alpha channel. Rows are decoded a strip at
// a time and handed on; only an interlaced file, whose rows are complete after the last pass, is
// decoded whole first. A file of up to 1 MiB is read whole before it is decoded.
//
// True when the whole file decoded, every checksum included. libpng's errors are reported on
// standard error as "libpng error: <message>"; a missing file or one that is not a PNG fails
// silently. Not reentrant: one load runs at a time (the launcher has a single thread).
bool readPng(const char* path, PngRowReceiver& receiver);

// The same for a PNG file held in memory: the size bytes at data (a picture built into the
// program). Data that ends early fails like a damaged file.
bool readPngData(const unsigned char* data, size_t size, PngRowReceiver& receiver);

// The whole picture in one malloc'ed block of height rows of width * channels bytes (the caller
// frees it with free), for tools and checks. On failure rows is null, the other outputs are
// unspecified, and the result is false.
bool readPng(const char* path, unsigned char*& rows, uint32_t& width, uint32_t& height,
             int& channels);
bool readPngData(const unsigned char* data, size_t size, unsigned char*& rows, uint32_t& width,
                 uint32_t& height, int& channels);

// The text of the first tEXt chunk before the image data whose keyword is keyword, of the PNG
// file at path or held at data, up to its first 0 byte. False, with text empty, when the file has
// no such chunk with a right checksum and at most maxLength bytes of text, or cannot be read as a
// PNG up to there.
bool readPngText(const char* path, const char* keyword, size_t maxLength, WString& text);
bool readPngTextData(const unsigned char* data, size_t size, const char* keyword, size_t maxLength,
                     WString& text);

#endif
