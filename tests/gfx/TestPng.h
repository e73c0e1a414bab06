// PNG files written with libpng for the graphics and page tests, a scratch folder to hold them,
// and patterned frames to draw on.
#ifndef TARVO_TESTS_GFX_TESTPNG_H
#define TARVO_TESTS_GFX_TESTPNG_H

#include "tests/platform/TempFolder.h"

#include <cstdint>
#include <string>
#include <vector>

// An 8-bit picture, its samples row after row: grey (1 channel), RGB (3) or RGBA (4).
struct TestPng {
    int width;
    int height;
    int channels;
    std::vector<uint8_t> data;
};

// 8-bit RGBA from packed samples.
inline TestPng rgbaPng(int width, int height, const std::vector<uint8_t>& rgba)
{
    return TestPng{width, height, 4, rgba};
}

// A scratch folder (removed with everything in it when the object goes away) that also writes
// PNG files.
class ScratchFolder : public TempFolder {
public:
    using TempFolder::write;
    std::string path(const std::string& name) const { return *this / name; }

    // Writes png under name (failing the test when libpng refuses) and gives its path.
    std::string write(const std::string& name, const TestPng& png) const;
};

// A screen pixel from 5-bit channels (higher bits dropped), bit 5 clear.
uint16_t screenPixel(int red, int green, int blue);

// A 320 x 240 frame to draw on: red follows the column, green the row, blue both, each moved on
// by shift; bit 5 is set everywhere, so a blend that fails to drop it shows.
using Frame = std::vector<uint16_t>;
Frame patternFrame(int shift);

#endif
