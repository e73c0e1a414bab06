// PNG files written with libpng for the graphics tests.
#include "tests/gfx/TestPng.h"

#include <gtest/gtest.h>
#include <png.h>
#include <setjmp.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gfx/PngReader.h"

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
    static_assert(sizeof(png_color) == 3, "palette entries are packed r, g, b triples");
    if (!png.palette.empty())
        png_set_PLTE(writer, info, reinterpret_cast<png_const_colorp>(png.palette.data()),
                     int(png.palette.size() / 3));
    if (!png.paletteAlpha.empty())
        png_set_tRNS(writer, info, png.paletteAlpha.data(), int(png.paletteAlpha.size()), nullptr);
    png_color_16 grey{};
    grey.gray = png_uint_16(png.transparentGrey);
    if (png.transparentGrey >= 0)
        png_set_tRNS(writer, info, nullptr, 0, &grey);
    png_write_info(writer, info);
    const size_t rowBytes = png.data.size() / std::max(png.height, 1);
    std::vector<png_bytep> rows(png.height);
    for (int i = 0; i < png.height; ++i)
        rows[i] = const_cast<png_bytep>(png.data.data()) + i * rowBytes;
    png_write_image(writer, rows.data());
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return std::fclose(file) == 0;
}

TestPng rgbPng(int width, int height, const std::vector<uint8_t>& rgb)
{
    return TestPng{width, height, PNG_COLOR_TYPE_RGB, 8, rgb};
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

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

DecodedPng decodePng(const char* path)
{
    DecodedPng out;
    unsigned char* rows = nullptr;
    testing::internal::CaptureStderr();
    out.ok = readPng(path, rows, out.width, out.height, out.channels);
    out.errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(out.ok || rows == nullptr) << "a failed load handed back a block";
    // Copying every sample lets the sanitizer build catch a block shorter than its size.
    if (out.ok)
        out.samples.assign(rows, rows + size_t(out.width) * out.height * out.channels);
    std::free(rows);
    return out;
}

std::string digestLine(const std::string& name, const DecodedPng& png)
{
    uint64_t hash = 1469598103934665603ull;
    for (uint8_t sample : png.samples)
        hash = (hash ^ sample) * 1099511628211ull;
    char line[256];
    std::snprintf(line, sizeof(line), "%s %u %u %d %016llx", name.c_str(), png.width, png.height,
                  png.channels, static_cast<unsigned long long>(hash));
    return line;
}

std::string sharedPngFolder()
{
    std::string folder = std::string(TARVO_TESTDATA_DIR) + "/png";
    return std::filesystem::is_directory(folder + "/pngsuite") ? folder : std::string();
}

std::vector<std::string> pngSuiteNames(const std::string& shared)
{
    std::vector<std::string> names;
    for (const char* folder : {"pngsuite", "pngsuite/interlaced"})
        for (const auto& entry : std::filesystem::directory_iterator(shared + "/" + folder))
            if (entry.path().extension() == ".png")
                names.push_back(std::string(folder) + "/" + entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
