// DLImage: conversion of decoded PNG rows to the screen format, and the opaque and blended copies.
#include "gfx/DLImage.h"

#include "gfx/PngReader.h"

#include <stdlib.h>
#include <string.h>

namespace {

#ifndef TARVO_BLEND_LANES
// products[a][c] = c * a / 255, the truncated share of a 5-bit channel at opacity a. The share of
// the destination is the row for 255 - a, reached as lastRow - a * 32.
unsigned char products[256][32];
bool productsReady = false;

void prepareProducts()
{
    if (productsReady)
        return;
    for (int a = 0; a < 256; ++a) {
        for (int c = 0; c < 32; ++c)
            products[a][c] = static_cast<unsigned char>(c * a / 255);
    }
    productsReady = true;
}
#endif

void blendRow(uint16_t* __restrict__ destination, const uint16_t* __restrict__ source,
              const unsigned char* __restrict__ opacity, int count)
{
#ifdef TARVO_BLEND_LANES
    for (int i = 0; i < count; ++i) {
        const uint16_t a = opacity[i];
        const uint16_t rest = static_cast<uint16_t>(255 - a);
        const uint16_t s = source[i];
        const uint16_t d = destination[i];
        const uint16_t r = static_cast<uint16_t>(static_cast<uint16_t>((s >> 11) * a) / 255 +
                                                 static_cast<uint16_t>((d >> 11) * rest) / 255);
        const uint16_t g =
            static_cast<uint16_t>(static_cast<uint16_t>(((s >> 6) & 31) * a) / 255 +
                                  static_cast<uint16_t>(((d >> 6) & 31) * rest) / 255);
        const uint16_t b = static_cast<uint16_t>(static_cast<uint16_t>((s & 31) * a) / 255 +
                                                 static_cast<uint16_t>((d & 31) * rest) / 255);
        destination[i] = static_cast<uint16_t>((r << 11) | (g << 6) | b);
    }
#else
    const unsigned char* first = products[0];
    const unsigned char* last = products[255];
    for (int i = 0; i < count; ++i) {
        const unsigned a = opacity[i];
        const unsigned s = source[i];
        // Most pixels of a picture are fully transparent or fully opaque; the formula gives the
        // destination without bit 5, respectively the source, for them.
        // One unsigned comparison catches both, a - 1 wrapping round for 0.
        if (a - 1 >= 254) {
            destination[i] = static_cast<uint16_t>(a ? s : destination[i] & 0xFFDF);
            continue;
        }
        const unsigned rowOffset = a << 5;
        const unsigned d = destination[i];
        const unsigned char* sourceShare = first + rowOffset;
        const unsigned char* destinationShare = last - rowOffset;
        const unsigned r = sourceShare[s >> 11] + destinationShare[d >> 11];
        const unsigned g = sourceShare[(s >> 6) & 31] + destinationShare[(d >> 6) & 31];
        const unsigned b = sourceShare[s & 31] + destinationShare[d & 31];
        destination[i] = static_cast<uint16_t>((((r << 5) | g) << 6) | b);
    }
#endif
}

} // namespace

bool DLImage::clipSpan(int position, int length, int limit, int& skip, int& count)
{
    if (length <= 0 || position >= limit)
        return false;
    skip = 0;
    if (position < 0) {
        if (position <= -length)
            return false;
        skip = -position;
        position = 0;
    }
    count = length - skip;
    if (count > limit - position)
        count = limit - position;
    return true;
}

DLImage::DLImage() : pixels(0), alpha(0), width(0), height(0), depth(0) {}

DLImage::~DLImage()
{
    release();
}

void DLImage::release()
{
    free(pixels);
    free(alpha);
    pixels = 0;
    alpha = 0;
    width = 0;
    height = 0;
}

namespace {

// Green keeps 5 bits, landing in bits 6-10; bit 5 stays 0.
inline uint16_t screenPixel(const unsigned char* sample)
{
    return static_cast<uint16_t>(((sample[0] & 0xF8) << 8) | ((sample[1] & 0xF8) << 3) |
                                 (sample[2] >> 3));
}

bool knownDepth(int depth)
{
    return depth == 8 || depth == 15 || depth == 16;
}

// Converts each decoded row straight into the image's own buffers: the screen format or grey
// levels, and the opacity plane.
class Converter : public PngRowReceiver {
public:
    Converter(DLImage& target, int wantedDepth, bool alphaWanted)
        : image(target), depth(wantedDepth), wantAlpha(alphaWanted), channels(0)
    {
        if (depth == 8)
            maxPixels = maxFontPixels;
    }

    bool begin(uint32_t width, uint32_t height, int rowChannels)
    {
        // readPng keeps both sides at most maxPngSide, or the count at most maxFontPixels, so
        // these products cannot overflow.
        const size_t count = static_cast<size_t>(width) * height;
        const bool screenFormat = depth != 8;
        channels = rowChannels;
        image.release();
        image.width = static_cast<int32_t>(width);
        image.height = static_cast<int32_t>(height);
        image.pixels = malloc(screenFormat ? count * 2 : count);
        // Grey levels (the font) draw without an opacity plane: none is kept.
        if (image.pixels && channels == 4 && wantAlpha && screenFormat)
            image.alpha = static_cast<unsigned char*>(malloc(count));
        return image.pixels && (image.alpha || channels != 4 || !wantAlpha || !screenFormat);
    }

    void row(uint32_t y, const unsigned char* sample)
    {
        const size_t first = static_cast<size_t>(y) * image.width;
        const int count = image.width;
        if (depth == 8) {
            unsigned char* out = static_cast<unsigned char*>(image.pixels) + first;
            for (int i = 0; i < count; ++i, sample += channels)
                out[i] = static_cast<unsigned char>((sample[0] + sample[1] + sample[2]) / 3);
            return;
        }
        uint16_t* out = static_cast<uint16_t*>(image.pixels) + first;
        const uint16_t* const end = out + count;
        if (channels == 3) {
            // Four at a time: a background's rows are most of what a page decodes.
            for (; end - out >= 4; out += 4, sample += 12) {
                out[0] = screenPixel(sample);
                out[1] = screenPixel(sample + 3);
                out[2] = screenPixel(sample + 6);
                out[3] = screenPixel(sample + 9);
            }
            for (; out != end; ++out, sample += 3)
                *out = screenPixel(sample);
        } else if (image.alpha) {
            unsigned char* opacity = image.alpha + first;
            for (; out != end; ++out, ++opacity, sample += 4) {
                *out = screenPixel(sample);
                *opacity = sample[3];
            }
        } else {
            for (; out != end; ++out, sample += 4)
                *out = screenPixel(sample);
        }
    }

private:
    DLImage& image;
    const int depth;
    const bool wantAlpha;
    int channels;
};

} // namespace

bool DLImage::loadPng(const char* path, int depth, bool wantAlpha)
{
    release();
    if (!knownDepth(depth))
        return false;
    Converter converter(*this, depth, wantAlpha);
    return finishLoad(readPng(path, converter), depth);
}

bool DLImage::loadPngData(const unsigned char* data, size_t size, int depth, bool wantAlpha)
{
    release();
    if (!knownDepth(depth))
        return false;
    Converter converter(*this, depth, wantAlpha);
    return finishLoad(readPngData(data, size, converter), depth);
}

bool DLImage::finishLoad(bool decoded, int loadedDepth)
{
    if (!decoded) {
        release();
        return false;
    }
    depth = loadedDepth;
    return true;
}

int DLImage::pixelAt(int x, int y) const
{
    if (!pixels || x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    const size_t index = static_cast<size_t>(y) * width + x;
    if (depth == 8)
        return static_cast<const unsigned char*>(pixels)[index];
    return static_cast<const uint16_t*>(pixels)[index];
}

void DLImage::blit(uint16_t* frame, int x, int y) const
{
    if (!frame || !pixels || depth == 8)
        return;
    int skipColumns, columns, skipRows, rows;
    if (!clipSpan(x, width, SCREEN_WIDTH, skipColumns, columns) ||
        !clipSpan(y, height, SCREEN_HEIGHT, skipRows, rows))
        return;
    const uint16_t* source =
        static_cast<const uint16_t*>(pixels) + static_cast<size_t>(skipRows) * width + skipColumns;
    uint16_t* destination = frame + (y + skipRows) * SCREEN_WIDTH + (x + skipColumns);
    if (columns == width && columns == SCREEN_WIDTH) {
        // A full-width picture (a background) is one block in both places: one copy.
        memcpy(destination, source, static_cast<size_t>(rows) * SCREEN_WIDTH * 2);
        return;
    }
    for (int i = 0; i < rows; ++i) {
        memcpy(destination, source, static_cast<size_t>(columns) * 2);
        source += width;
        destination += SCREEN_WIDTH;
    }
}

void DLImage::blitBlended(uint16_t* frame, int x, int y) const
{
    if (!alpha) {
        blit(frame, x, y);
        return;
    }
    blitBlendedInside(frame, x, y, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

void DLImage::blitBlendedInside(uint16_t* frame, int x, int y, int left, int top, int clipWidth,
                                int clipHeight) const
{
    if (!frame || !pixels || depth == 8)
        return;
    int skipColumns, columns, skipRows, rows;
    if (!clipSpan(x - left, width, clipWidth, skipColumns, columns) ||
        !clipSpan(y - top, height, clipHeight, skipRows, rows))
        return;
    if (!alpha) {
        const uint16_t* source = static_cast<const uint16_t*>(pixels) +
            static_cast<size_t>(skipRows) * width + skipColumns;
        uint16_t* destination = frame + (y + skipRows) * SCREEN_WIDTH + (x + skipColumns);
        for (int i = 0; i < rows; ++i, source += width, destination += SCREEN_WIDTH)
            memcpy(destination, source, static_cast<size_t>(columns) * 2);
        return;
    }
#ifndef TARVO_BLEND_LANES
    prepareProducts();
#endif
    const size_t first = static_cast<size_t>(skipRows) * width + skipColumns;
    const uint16_t* source = static_cast<const uint16_t*>(pixels) + first;
    const unsigned char* opacity = alpha + first;
    uint16_t* destination = frame + (y + skipRows) * SCREEN_WIDTH + (x + skipColumns);
    for (int i = 0; i < rows; ++i) {
        blendRow(destination, source, opacity, columns);
        source += width;
        opacity += width;
        destination += SCREEN_WIDTH;
    }
}
