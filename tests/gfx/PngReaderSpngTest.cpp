// readPng against libspng, a decoder independent of libpng, on every PngSuite image; also keeps
// pngsuite-digests.txt (used where libspng is not available) honest.
//
// To rewrite the digests file after a deliberate change:
//   TARVO_WRITE_PNGSUITE_DIGESTS=tests/gfx/pngsuite-digests.txt <build>/tests/gfx/gfx_png_spng_test
#include "gfx/PngReader.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tests/gfx/TestPng.h"

namespace {

// What readPng must produce, worked out from libspng's full RGBA output: 16-bit samples cut to
// their high byte, and the alpha channel kept only when the file has one or a tRNS chunk.
DecodedPng decodeWithSpng(const std::string& path)
{
    DecodedPng out;
    std::string bytes = readFileBytes(path);
    spng_ctx* ctx = spng_ctx_new(0);
    spng_ihdr ihdr{};
    spng_trns trns{};
    size_t size = 0;
    std::vector<uint8_t> rgba;
    const int format = SPNG_FMT_RGBA16; // cut to 8 bits below, for every depth alike
    if (spng_set_png_buffer(ctx, bytes.data(), bytes.size()) == 0 &&
        spng_get_ihdr(ctx, &ihdr) == 0 && spng_decoded_image_size(ctx, format, &size) == 0) {
        rgba.resize(size);
        out.ok = spng_decode_image(ctx, rgba.data(), size, format, SPNG_DECODE_TRNS) == 0;
    }
    if (out.ok) {
        const bool hasAlpha = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
            ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA || spng_get_trns(ctx, &trns) == 0;
        out.width = ihdr.width;
        out.height = ihdr.height;
        out.channels = hasAlpha ? 4 : 3;
        for (size_t i = 0; i < size_t(ihdr.width) * ihdr.height; ++i) {
            for (int c = 0; c < out.channels; ++c) {
                uint16_t sample;
                std::memcpy(&sample, &rgba[(i * 4 + c) * 2], 2); // host byte order
                out.samples.push_back(uint8_t(sample >> 8));
            }
        }
    }
    spng_ctx_free(ctx);
    return out;
}

TEST(PngReaderSpngTest, EveryPngSuiteImageDecodesToTheIndependentDecodersPixels)
{
    const std::string shared = sharedPngFolder();
    if (shared.empty())
        GTEST_SKIP() << "shared PNG test files absent";
    const std::vector<std::string> names = pngSuiteNames(shared);
    ASSERT_GE(names.size(), 60u);

    std::ostringstream digests;
    digests << "# PngSuite pixels as libspng decodes them, in readPng's layout: name width height "
               "channels fnv1a64\n";
    for (const std::string& name : names) {
        DecodedPng expected = decodeWithSpng(shared + "/" + name);
        ASSERT_TRUE(expected.ok) << name;
        digests << digestLine(name, expected) << "\n";

        DecodedPng got = decodePng((shared + "/" + name).c_str());
        ASSERT_TRUE(got.ok) << name;
        EXPECT_EQ(got.width, expected.width) << name;
        EXPECT_EQ(got.height, expected.height) << name;
        ASSERT_EQ(got.channels, expected.channels) << name;
        ASSERT_EQ(got.samples.size(), expected.samples.size()) << name;
        const size_t mismatch =
            std::mismatch(got.samples.begin(), got.samples.end(), expected.samples.begin()).first -
            got.samples.begin();
        EXPECT_EQ(mismatch, got.samples.size())
            << name << ": first difference at pixel " << mismatch / got.channels << ", channel "
            << mismatch % got.channels;
    }

    if (const char* out = std::getenv("TARVO_WRITE_PNGSUITE_DIGESTS"))
        std::ofstream(out) << digests.str();
    EXPECT_EQ(readFileBytes(std::string(TARVO_SOURCE_DIR) + "/tests/gfx/pngsuite-digests.txt"),
              digests.str())
        << "pngsuite-digests.txt is out of date";
}

} // namespace
