// PNG files written with libpng for the graphics tests, and a scratch folder to hold them.
#ifndef TARVO_TESTS_GFX_TESTPNG_H
#define TARVO_TESTS_GFX_TESTPNG_H

#include <cstdint>
#include <string>
#include <vector>

struct TestPng {
    int width = 0;
    int height = 0;
    int colorType = 2;   // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    // Rows exactly as libpng takes them: packed bits below 8, big-endian samples at 16.
    std::vector<uint8_t> data;
    std::vector<uint8_t> palette;       // r, g, b triples for colour type 3
    std::vector<uint8_t> paletteAlpha;  // tRNS for colour type 3 (empty: none)
    // tRNS for grey (first value) or RGB images; empty: none.
    std::vector<uint16_t> transparentColor;

    // Bytes per row of data.
    int rowBytes() const;
};

// Writes the picture with libpng; false (and a failed test) when libpng refuses.
bool writeTestPng(const std::string& path, const TestPng& png);

// 8-bit RGB or RGBA from packed samples.
TestPng rgbPng(int width, int height, const std::vector<uint8_t>& rgb);
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

private:
    std::string folder;
};

std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);

// The shared PNG test files, or an empty string when the shared folder is absent.
std::string sharedPngFolder();

#endif
