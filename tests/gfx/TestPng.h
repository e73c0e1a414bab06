// PNG files written with libpng for the graphics tests, a scratch folder to hold them, and what
// readPng makes of a file.
#ifndef TARVO_TESTS_GFX_TESTPNG_H
#define TARVO_TESTS_GFX_TESTPNG_H

#include <cstdint>
#include <string>
#include <vector>

struct TestPng {
    TestPng(int width, int height, int colorType, int bitDepth, std::vector<uint8_t> data,
            std::vector<uint8_t> palette = {}, std::vector<uint8_t> paletteAlpha = {},
            int transparentGrey = -1, bool interlaced = false)
        : width(width), height(height), colorType(colorType), bitDepth(bitDepth), data(data),
          palette(palette), paletteAlpha(paletteAlpha), transparentGrey(transparentGrey),
          interlaced(interlaced)
    {
    }

    int width;
    int height;
    int colorType; // PNG_COLOR_TYPE_*
    int bitDepth;
    // Rows exactly as libpng takes them: packed bits below 8, big-endian samples at 16.
    std::vector<uint8_t> data;
    std::vector<uint8_t> palette;      // r, g, b triples for colour type 3
    std::vector<uint8_t> paletteAlpha; // tRNS for colour type 3 (empty: none)
    int transparentGrey;               // tRNS for a grey picture (-1: none)
    bool interlaced;
};

// Writes the picture with libpng; false when libpng refuses.
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

    // Writes png under name (failing the test when libpng refuses) and gives its path.
    std::string write(const std::string& name, const TestPng& png) const;

private:
    std::string folder;
};

std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);

// What readPng gave for a file, its samples copied out and the block freed. A failed load that
// still hands back a block fails the current test.
struct DecodedPng {
    bool ok = false;
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;
    std::vector<uint8_t> samples;
    std::string errors; // what the load wrote to standard error
};
DecodedPng decodePng(const char* path);

// "name width height channels fnv1a64" for a decoded picture: the line pngsuite-digests.txt keeps.
std::string digestLine(const std::string& name, const DecodedPng& png);

// The shared PNG test files, or an empty string when the shared folder is absent; and the PngSuite
// files within, as "pngsuite/..." names in sorted order.
std::string sharedPngFolder();
std::vector<std::string> pngSuiteNames(const std::string& shared);

#endif
