// DLImage: a picture converted once to the screen's RGB565 (or to 8-bit grey for the font), with an
// optional opacity plane, and the primitives that copy or blend it into a frame.
#ifndef TARVO_GFX_DLIMAGE_H
#define TARVO_GFX_DLIMAGE_H

#include "platform/Platform.h"

#include <stddef.h>
#include <stdint.h>

// The blends of this class and of BitmapFont come in two forms, chosen per CPU. With a vector unit
// (SSE2, NEON) plain 16-bit arithmetic is compiled into eight pixels per instruction: every
// intermediate value is at most 31 * 255 and fits a 16-bit lane. A CPU without one (the
// handheld's ARM9) does better with a product table and with shortcuts for fully transparent and
// fully opaque pixels. TARVO_BLEND_TABLE forces the second form (the scalar benchmark uses it).
#if !defined(TARVO_BLEND_TABLE) &&                                                                 \
    (defined(__SSE2__) || defined(__ARM_NEON) || defined(__ARM_NEON__))
#define TARVO_BLEND_LANES 1
#endif

// Memory rules: the image owns pixels and alpha (malloc'ed). loadPng replaces whatever the image
// held; release() and the destructor free both. Not copyable: owners hold images by pointer (the
// image cache for the whole run, the font for its lifetime).
//
// Screen format: red in bits 11-15, green in bits 6-10, blue in bits 0-4, and bit 5 (the lowest
// green bit) always 0 in everything this class writes. Keeping green at 5 significant bits lets
// every channel share the same 5-bit arithmetic.
//
// Drawing clips at all four edges of the 320 x 240 frame: a picture that overhangs an edge, or is
// larger than the frame, draws exactly its pixels that fall inside.
class DLImage {
public:
    DLImage();
    ~DLImage();

    // Decodes the PNG at path and converts it: depth 15 or 16 gives RGB565 pixels, depth 8 one
    // grey byte (r + g + b) / 3 per pixel; a depth-8 picture (the font's strip of glyphs) may be
    // of any shape up to maxFontPixels pixels (gfx/PngReader.h). With wantAlpha and a file that has
    // (or gains, through tRNS) an alpha channel, the alpha samples of a depth-15 or 16 picture
    // become the opacity plane; a depth-8 one keeps none. Any other depth, a decoding error or a
    // failed allocation leaves the image empty and returns false.
    bool loadPng(const char* path, int depth, bool wantAlpha);
    // The same for a PNG file held in memory, the size bytes at data (gfx/PngReader.h).
    bool loadPngData(const unsigned char* data, size_t size, int depth, bool wantAlpha);

    // The byte (depth 8) or the 16-bit pixel at column x, row y; 0 for an empty image or a
    // position outside it.
    int pixelAt(int x, int y) const;

    // Copies the picture opaquely with its top-left corner at (x, y). Nothing for an empty or
    // depth-8 image.
    void blit(uint16_t* frame, int x, int y) const;

    // Blends the picture through its opacity plane: per 5-bit channel
    // (source * a) / 255 + (destination * (255 - a)) / 255, each quotient truncated. Without an
    // opacity plane this is blit. Nothing for an empty or depth-8 image.
    void blitBlended(uint16_t* frame, int x, int y) const;
    // The same, drawing only the pixels that fall inside the rectangle of the frame whose
    // top-left corner is (left, top), clipWidth x clipHeight, which must lie on the frame; x and
    // y lie within 2^30 of it.
    void blitBlendedInside(uint16_t* frame, int x, int y, int left, int top, int clipWidth,
                           int clipHeight) const;

    // Frees both buffers; the image is empty again.
    void release();

    // Clips the span [position, position + length) to [0, limit): false when nothing is left,
    // otherwise skip leading elements fall before 0 and count remain. Never computes
    // position + length, which could overflow for coordinates taken from a skin.
    static bool clipSpan(int position, int length, int limit, int& skip, int& count);

    void* pixels;         // width * height pixels, row after row; 16-bit, or bytes at depth 8
    unsigned char* alpha; // width * height opacities (0 transparent, 255 opaque), or null
    int32_t width;
    int32_t height;
    int32_t depth; // 8, 15 or 16 after a successful load

private:
    DLImage(const DLImage&);
    // Ends a load whose rows went straight into the buffers: a failed one leaves the image empty.
    bool finishLoad(bool decoded, int loadedDepth);
    DLImage& operator=(const DLImage&);
};

#endif
