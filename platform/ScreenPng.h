// Pictures in the screen format written as PNG files, for the computer's front-ends (frames,
// pages, screenshots).
#ifndef TARVO_PLATFORM_SCREENPNG_H
#define TARVO_PLATFORM_SCREENPNG_H

#include <cstdint>
#include <cstdio>

// Writes width x height RGB565 pixels, row after row, as an 8-bit RGB PNG into file, which stays
// open. Each channel is widened by repeating its top bits, so 0 stays 0 and a full channel becomes
// 255: the colours as the handheld shows them. False when libpng fails (a failed write among
// others).
bool writeScreenPng(FILE* file, const uint16_t* pixels, int width, int height);

#endif
