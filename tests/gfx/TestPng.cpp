// PNG files written with libpng for the graphics and page tests.
#include "tests/gfx/TestPng.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <png.h>
#include <setjmp.h>

bool writeTestPng(const std::string& path, const TestPng& png)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(writer);
    if (setjmp(png_jmpbuf(writer))) {
        png_destroy_write_struct(&writer, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(writer, file);
    png_set_IHDR(writer, info, png.width, png.height, png.bitDepth, png.colorType,
                 png.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!png.palette.empty())
        png_set_PLTE(writer, info, reinterpret_cast<png_const_colorp>(png.palette.data()),
                     int(png.palette.size() / 3));
    if (!png.paletteAlpha.empty())
        png_set_tRNS(writer, info, png.paletteAlpha.data(), int(png.paletteAlpha.size()), nullptr);
    const size_t rowBytes = png.data.size() / std::max(png.height, 1);
    std::vector<png_bytep> rows(png.height);
    for (int i = 0; i < png.height; ++i)
        rows[i] = const_cast<png_bytep>(png.data.data()) + i * rowBytes;
    png_set_rows(writer, info, rows.data());
    png_write_png(writer, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&writer, &info);
    return std::fclose(file) == 0;
}

TestPng rgbaPng(int width, int height, const std::vector<uint8_t>& rgba)
{
    return TestPng{width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8, rgba};
}

ScratchFolder::ScratchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-gfx-XXXXXX").string();
    if (mkdtemp(pattern.data()))
        folder = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    if (!folder.empty())
        std::filesystem::remove_all(folder, ignored);
}

std::string ScratchFolder::write(const std::string& name, const TestPng& png) const
{
    EXPECT_TRUE(writeTestPng(path(name), png)) << name;
    return path(name);
}

uint16_t screenPixel(int red, int green, int blue)
{
    return uint16_t(((red & 31) << 11) | ((green & 31) << 6) | (blue & 31));
}

Frame patternFrame(int shift)
{
    Frame frame(SCREEN_PIXELS);
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            frame[y * SCREEN_WIDTH + x] =
                screenPixel(shift + x, shift + y, shift + x + 2 * y) | 0x20;
    return frame;
}
