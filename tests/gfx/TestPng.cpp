// PNG files written with libpng for the graphics tests.
#include "tests/gfx/TestPng.h"

#include <png.h>
#include <setjmp.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

int TestPng::rowBytes() const
{
    int samples = 1;
    switch (colorType) {
    case PNG_COLOR_TYPE_RGB: samples = 3; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: samples = 4; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: samples = 2; break;
    default: samples = 1; break;
    }
    return (width * samples * bitDepth + 7) / 8;
}

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
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < png.palette.size(); i += 3)
        palette.push_back(png_color{png.palette[i], png.palette[i + 1], png.palette[i + 2]});
    if (!palette.empty())
        png_set_PLTE(writer, info, palette.data(), static_cast<int>(palette.size()));
    if (!png.paletteAlpha.empty())
        png_set_tRNS(writer, info, png.paletteAlpha.data(), static_cast<int>(png.paletteAlpha.size()),
                     nullptr);
    if (!png.transparentColor.empty()) {
        png_color_16 color{};
        color.gray = png.transparentColor[0];
        if (png.transparentColor.size() >= 3) {
            color.red = png.transparentColor[0];
            color.green = png.transparentColor[1];
            color.blue = png.transparentColor[2];
        }
        png_set_tRNS(writer, info, nullptr, 0, &color);
    }
    png_write_info(writer, info);
    std::vector<png_bytep> rows(png.height);
    for (int i = 0; i < png.height; ++i)
        rows[i] = const_cast<png_bytep>(png.data.data()) + static_cast<size_t>(i) * png.rowBytes();
    png_write_image(writer, rows.data());
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return std::fclose(file) == 0;
}

TestPng rgbPng(int width, int height, const std::vector<uint8_t>& rgb)
{
    TestPng png;
    png.width = width;
    png.height = height;
    png.colorType = PNG_COLOR_TYPE_RGB;
    png.data = rgb;
    return png;
}

TestPng rgbaPng(int width, int height, const std::vector<uint8_t>& rgba)
{
    TestPng png = rgbPng(width, height, rgba);
    png.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    return png;
}

ScratchFolder::ScratchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-gfx-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()))
        folder = buffer.data();
}

ScratchFolder::~ScratchFolder()
{
    if (!folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
}

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string sharedPngFolder()
{
    std::string folder = std::string(TARVO_TESTDATA_DIR) + "/png";
    return std::filesystem::is_directory(folder + "/pngsuite") ? folder : std::string();
}
