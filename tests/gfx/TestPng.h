// PNG files written with libpng for the graphics and page tests, a scratch folder to hold them,
// and patterned frames to draw on.
#ifndef TARVO_TESTS_GFX_TESTPNG_H
#define TARVO_TESTS_GFX_TESTPNG_H

#include <cstdint>
#include <string>
#include <vector>

struct TestPng {
    int width;
    int height;
    int colorType; // PNG_COLOR_TYPE_*
    int bitDepth;
    // Rows exactly as libpng takes them: packed bits below 8, big-endian samples at 16.
    std::vector<uint8_t> data;
    std::vector<uint8_t> palette = {};      // r, g, b triples for colour type 3
    std::vector<uint8_t> paletteAlpha = {}; // tRNS for colour type 3 (empty: none)
    bool interlaced = false;
};

// Writes the picture with libpng; false when libpng refuses.
bool writeTestPng(const std::string& path, const TestPng& png);

// 8-bit RGBA from packed samples.
TestPng rgbaPng(int width, int height, const std::vector<uint8_t>& rgba);

// A fresh folder below the system's temporary folder, removed with everything in it when the
// object goes away.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string path(const std::string& name) const { return folder + "/" + name; }

    // Writes png under name (failing the test when libpng refuses) and gives its path.
    std::string write(const std::string& name, const TestPng& png) const;

private:
    std::string folder;
};

// A screen pixel from 5-bit channels (higher bits dropped), bit 5 clear.
uint16_t screenPixel(int red, int green, int blue);

// A 320 x 240 frame to draw on: red follows the column, green the row, blue both, each moved on
// by shift; bit 5 is set everywhere, so a blend that fails to drop it shows.
using Frame = std::vector<uint16_t>;
Frame patternFrame(int shift);

#endif
