// Pictures in the screen format written as PNG files, for the computer's front-ends (frames,
// pages, screenshots).
#ifndef TARVO_PLATFORM_SCREENPNG_H
#define TARVO_PLATFORM_SCREENPNG_H

#include <cstdint>
#include <cstdio>

// One RGB565 pixel as 8-bit red, green and blue, each channel widened by repeating its top bits,
// so 0 stays 0 and a full channel becomes 255: the colours as the handheld shows them.
inline void screenPixelToRgb(uint16_t pixel, uint8_t* rgb)
{
    const unsigned red = (pixel >> 11) & 0x1F;
    const unsigned green = (pixel >> 5) & 0x3F;
    const unsigned blue = pixel & 0x1F;
    rgb[0] = static_cast<uint8_t>((red << 3) | (red >> 2));
    rgb[1] = static_cast<uint8_t>((green << 2) | (green >> 4));
    rgb[2] = static_cast<uint8_t>((blue << 3) | (blue >> 2));
}

// Writes width x height RGB565 pixels, row after row, as an 8-bit RGB PNG into file, which stays
// open, each pixel widened by screenPixelToRgb. False when libpng fails (a failed write among
// others).
bool writeScreenPng(FILE* file, const uint16_t* pixels, int width, int height);

#endif
