// PNG files written with libpng for the graphics and page tests.
#include "tests/gfx/TestPng.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>
#include <png.h>

std::string ScratchFolder::write(const std::string& name, const TestPng& png) const
{
    // libpng's simplified writer: whole 8-bit rows, no interlacing.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(png.width);
    image.height = png_uint_32(png.height);
    image.format = png.channels == 4 ? PNG_FORMAT_RGBA
        : png.channels == 3          ? PNG_FORMAT_RGB
                                     : PNG_FORMAT_GRAY;
    EXPECT_TRUE(png_image_write_to_file(&image, path(name).c_str(), 0, png.data.data(), 0, nullptr))
        << name << ": " << image.message;
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
