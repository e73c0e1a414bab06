// Pictures in the screen format written as PNG files, for the computer's front-ends.
#include "platform/ScreenPng.h"

#include <png.h>
#include <vector>

bool writeScreenPng(FILE* file, const uint16_t* pixels, int width, int height)
{
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    // Everything libpng may jump out of is set up before the jump point (the row above too);
    // nothing with a destructor is made between setjmp and the writes.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            screenPixelToRgb(pixels[static_cast<std::size_t>(y) * width + x], &row[3 * x]);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}
