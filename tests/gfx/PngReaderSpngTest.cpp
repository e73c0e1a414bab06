// readPng against libspng, a decoder independent of libpng, on every PngSuite image; also keeps
// pngsuite-digests.txt (used where libspng is not available) honest.
//
// To rewrite the digests file after a deliberate change:
//   TARVO_WRITE_PNGSUITE_DIGESTS=tests/gfx/pngsuite-digests.txt <build>/tests/gfx/gfx_png_spng_test
#include "gfx/PngReader.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/gfx/TestPng.h"

namespace {

// What readPng must produce, worked out from libspng's full RGBA output: 16-bit samples cut to
// their high byte, and the alpha channel kept only when the file has one or a tRNS chunk.
struct Expected {
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;
    std::vector<uint8_t> samples;
};

bool decodeWithSpng(const std::string& path, Expected& out)
{
    std::string bytes = readFileBytes(path);
    spng_ctx* ctx = spng_ctx_new(0);
    bool ok = false;
    spng_ihdr ihdr{};
    spng_trns trns{};
    if (spng_set_png_buffer(ctx, bytes.data(), bytes.size()) == 0 &&
        spng_get_ihdr(ctx, &ihdr) == 0) {
        const bool wide = ihdr.bit_depth == 16;
        const int format = wide ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
        size_t size = 0;
        std::vector<uint8_t> rgba;
        if (spng_decoded_image_size(ctx, format, &size) == 0) {
            rgba.resize(size);
            ok = spng_decode_image(ctx, rgba.data(), size, format, SPNG_DECODE_TRNS) == 0;
        }
        if (ok) {
            const bool hasAlpha = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                                  ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                                  spng_get_trns(ctx, &trns) == 0;
            out.width = ihdr.width;
            out.height = ihdr.height;
            out.channels = hasAlpha ? 4 : 3;
            const size_t pixels = size_t(ihdr.width) * ihdr.height;
            out.samples.clear();
            for (size_t i = 0; i < pixels; ++i) {
                for (int c = 0; c < out.channels; ++c) {
                    if (wide) {
                        uint16_t sample;
                        std::memcpy(&sample, &rgba[(i * 4 + c) * 2], 2);  // host byte order
                        out.samples.push_back(uint8_t(sample >> 8));
                    } else {
                        out.samples.push_back(rgba[i * 4 + c]);
                    }
                }
            }
        }
    }
    spng_ctx_free(ctx);
    return ok;
}

uint64_t digest(const std::vector<uint8_t>& bytes)
{
    uint64_t hash = 1469598103934665603ull;
    for (uint8_t b : bytes) {
        hash ^= b;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::vector<std::string> suiteFiles(const std::string& shared)
{
    std::vector<std::string> names;
    for (const char* folder : {"pngsuite", "pngsuite/interlaced"}) {
        for (const auto& entry : std::filesystem::directory_iterator(shared + "/" + folder)) {
            if (entry.path().extension() == ".png")
                names.push_back(std::string(folder) + "/" + entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string digestLine(const std::string& name, const Expected& e)
{
    char line[256];
    std::snprintf(line, sizeof(line), "%s %u %u %d %016llx", name.c_str(), e.width, e.height,
                  e.channels, static_cast<unsigned long long>(digest(e.samples)));
    return line;
}

TEST(PngReaderSpngTest, EveryPngSuiteImageDecodesToTheIndependentDecodersPixels)
{
    std::string shared = sharedPngFolder();
    if (shared.empty())
        GTEST_SKIP() << "shared PNG test files absent";
    std::vector<std::string> names = suiteFiles(shared);
    ASSERT_GE(names.size(), 60u);

    std::ostringstream digests;
    digests << "# PngSuite pixels as libspng decodes them, in readPng's layout: name width height "
               "channels fnv1a64\n";
    for (const std::string& name : names) {
        Expected expected;
        ASSERT_TRUE(decodeWithSpng(shared + "/" + name, expected)) << name;
        digests << digestLine(name, expected) << "\n";

        unsigned char* rows = nullptr;
        uint32_t width = 0, height = 0;
        int channels = 0;
        ASSERT_TRUE(readPng((shared + "/" + name).c_str(), rows, width, height, channels)) << name;
        std::vector<uint8_t> samples(rows, rows + size_t(width) * height * channels);
        std::free(rows);
        EXPECT_EQ(width, expected.width) << name;
        EXPECT_EQ(height, expected.height) << name;
        ASSERT_EQ(channels, expected.channels) << name;
        ASSERT_EQ(samples.size(), expected.samples.size()) << name;
        size_t mismatch = 0;
        while (mismatch < samples.size() && samples[mismatch] == expected.samples[mismatch])
            ++mismatch;
        EXPECT_EQ(mismatch, samples.size())
            << name << ": first difference at pixel " << mismatch / channels << ", channel "
            << mismatch % channels;
    }

    if (const char* out = std::getenv("TARVO_WRITE_PNGSUITE_DIGESTS")) {
        std::ofstream file(out);
        file << digests.str();
    }
    std::string committed =
        readFileBytes(std::string(TARVO_SOURCE_DIR) + "/tests/gfx/pngsuite-digests.txt");
    EXPECT_EQ(committed, digests.str()) << "pngsuite-digests.txt is out of date";
}

} // namespace
