// Decoding of PNG files into rows of 8-bit RGB or RGBA samples, the one form the pictures use.
#ifndef TARVO_GFX_PNGREADER_H
#define TARVO_GFX_PNGREADER_H

#include <stddef.h>
#include <stdint.h>

// Pictures wider or taller than this are refused as a failed load: the handheld has 64 MB, and
// a decoded 8192 x 8192 RGBA picture alone would take 256 MB.
const uint32_t maxPngSide = 8192;

// Reads the PNG file at path (a handheld path, mapped through platform/Files.h) and hands back
// its pixels whatever the file's colour type and bit depth: palettes and grey levels expanded to
// RGB, 16-bit samples cut to their high byte, and a tRNS chunk turned into an alpha channel.
//
// On success rows holds one malloc'ed block of height rows of width * channels bytes each (the
// caller frees it with free), channels is 3 (RGB) or 4 (RGBA), and the result is true. On failure
// rows is null, the other outputs are unspecified, and the result is false. libpng's errors are
// reported on standard error as "libpng error: <message>"; a missing file or one that is not a
// PNG fails silently.
//
// Not reentrant: one load runs at a time (the launcher has a single thread).
bool readPng(const char* path, unsigned char*& rows, uint32_t& width, uint32_t& height,
             int& channels);

// The same for a PNG file held in memory: the size bytes at data (a picture built into the
// program). Data that ends early fails like a damaged file.
bool readPngData(const unsigned char* data, size_t size, unsigned char*& rows, uint32_t& width,
                 uint32_t& height, int& channels);

#endif
