// readPng: the colour types and depths libpng writes, unreadable and damaged files, and every
// PngSuite image against an independent decoder: libspng on the host, and everywhere the digests
// of the pixels kept in pngsuite-digests.txt (the host's failures show the lines to put there).
#include "gfx/PngReader.h"
#include "tests/gfx/TestPng.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <png.h>

#ifdef TARVO_HAVE_SPNG
#include <spng.h>
#endif

// What readPng gives for a file, its samples copied out and the block freed; a failed load that
// still hands back a block fails the current test.
struct DecodedPng {
    bool ok = false;
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;
    std::vector<uint8_t> samples;
    std::string errors; // what the load wrote to standard error
};
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

TEST(PngReaderTest, EveryColourTypeAndDepthLoadsAsEightBitRgbOrRgba)
{
    std::vector<uint8_t> mixed(13 * 11 * 4);
    for (size_t i = 0; i < mixed.size(); ++i)
        mixed[i] = uint8_t(i * 37 + i / 7);
    // Each picture and its samples: 3 a pixel, or 4 with an alpha channel.
    const std::pair<TestPng, std::vector<uint8_t>> cases[] = {
        {{2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, {10, 20, 30, 40, 50, 60}},
         {40, 50, 60, 10, 20, 30}},
        // Entries past the end of the tRNS list are opaque.
        {{2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, {10, 20, 30, 40, 50, 60}, {7}},
         {40, 50, 60, 255, 10, 20, 30, 7}},
        // Bits 1011: white, black, white, white.
        {{4, 1, PNG_COLOR_TYPE_GRAY, 1, {0xB0}},
         {255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255, 255}},
        // 16-bit samples keep their high byte.
        {{1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {0x12, 0x34, 0xAB, 0xCD, 0x01, 0x00, 0x7F, 0xFF}},
         {0x12, 0xAB, 0x01, 0x7F}},
        {{13, 11, PNG_COLOR_TYPE_RGB_ALPHA, 8, mixed, {}, {}, true}, mixed}};
    ScratchFolder scratch;
    for (const auto& [png, samples] : cases) {
        DecodedPng d = decodePng(scratch.write("case.png", png).c_str());
        EXPECT_EQ(d.width, uint32_t(png.width));
        EXPECT_EQ(d.height, uint32_t(png.height));
        EXPECT_EQ(d.channels * png.width * png.height, int(samples.size()));
        EXPECT_EQ(d.samples, samples);
        EXPECT_EQ(d.errors, "");
    }
}

TEST(PngReaderTest, UnreadableFilesFailSilentlyAndDamagedOrOversizedOnesWithALibpngError)
{
    ScratchFolder scratch;
    const std::string whole =
        scratch.write("whole.png", rgbaPng(40, 30, std::vector<uint8_t>(4800, 99)));
    scratch.write(
        "wide.png",
        {int(maxPngSide) + 1, 1, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint8_t>(maxPngSide + 1)});
    std::ofstream(scratch.path("text.png")) << "GIF89a this is no PNG at all";
    std::ofstream(scratch.path("short.png")) << "\x89PNG";
    // Cut inside the header, inside the image data and just before the end chunk.
    const uintmax_t size = std::filesystem::file_size(whole);
    for (uintmax_t keep : {uintmax_t(30), size / 2, size - 13}) {
        std::filesystem::copy_file(whole, scratch.path("cut" + std::to_string(keep)));
        std::filesystem::resize_file(scratch.path("cut" + std::to_string(keep)), keep);
    }
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path(""))) {
        const std::string name = entry.path().filename();
        DecodedPng d = decodePng(entry.path().c_str());
        EXPECT_EQ(d.ok, name == "whole.png") << name;
        const bool reported = name != "text.png" && name != "short.png" && !d.ok;
        EXPECT_EQ(d.errors.find("libpng error: ") != std::string::npos && d.errors.back() == '\n',
                  reported)
            << name << ": " << d.errors;
    }
    EXPECT_EQ(decodePng(scratch.path("absent.png").c_str()).errors, "");
    EXPECT_FALSE(decodePng(nullptr).ok);
}

std::string digestLine(const std::string& name, const DecodedPng& png)
{
    uint64_t hash = 1469598103934665603ull; // FNV-1a, 64 bits
    for (uint8_t sample : png.samples)
        hash = (hash ^ sample) * 1099511628211ull;
    char line[256];
    std::snprintf(line, sizeof(line), "%s %u %u %d %016llx", name.c_str(), png.width, png.height,
                  png.channels, static_cast<unsigned long long>(hash));
    return line;
}

#ifdef TARVO_HAVE_SPNG
// libspng's 8-bit RGBA for a file: 16-bit samples cut to their high byte, tRNS made alpha.
std::vector<uint8_t> spngRgba(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    spng_ctx* ctx = spng_ctx_new(0);
    size_t size = 0;
    spng_set_png_file(ctx, file);
    spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size);
    std::vector<uint8_t> rgba(size);
    if (spng_decode_image(ctx, rgba.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0)
        rgba.clear();
    spng_ctx_free(ctx);
    std::fclose(file);
    return rgba;
}
#endif

TEST(PngReaderTest, PngSuiteMatchesTheIndependentDecoderAndDamagedFilesFailCleanly)
{
    const std::string shared = TARVO_TESTDATA_DIR "/png/";
    if (!std::filesystem::is_directory(shared + "pngsuite"))
        GTEST_SKIP() << "shared PNG test files absent";
    std::map<std::string, std::string> committed; // name: its digest line
    std::ifstream list(TARVO_SOURCE_DIR "/tests/gfx/pngsuite-digests.txt");
    for (std::string line; std::getline(list, line);)
        if (!line.empty() && line[0] != '#')
            committed[line.substr(0, line.find(' '))] = line;
    for (const char* folder : {"pngsuite", "pngsuite/interlaced"}) {
        for (const auto& entry : std::filesystem::directory_iterator(shared + folder)) {
            const std::string name = std::string(folder) + "/" + entry.path().filename().string();
            if (entry.path().extension() != ".png")
                continue;
            DecodedPng got = decodePng(entry.path().c_str());
            EXPECT_EQ(digestLine(name, got), committed[name]) << got.errors;
#ifdef TARVO_HAVE_SPNG
            std::vector<uint8_t> rgba; // opaque where readPng gave no alpha
            for (size_t i = 0; i < got.samples.size(); ++i) {
                rgba.push_back(got.samples[i]);
                if (got.channels == 3 && i % 3 == 2)
                    rgba.push_back(255);
            }
            EXPECT_TRUE(rgba == spngRgba(entry.path().c_str())) << name;
#endif
        }
    }

    // Damaged files fail or load as 3 or 4 channels (decodePng checks that a failure hands back
    // nothing); damage to the image data itself is an error, not a silently wrong picture.
    int damaged = 0;
    for (const char* folder : {"crashers", "badpal"}) {
        for (const auto& entry : std::filesystem::directory_iterator(shared + folder)) {
            const std::string name = entry.path().filename();
            DecodedPng d = decodePng(entry.path().c_str());
            EXPECT_TRUE(name == "badcrc.png" || name == "badadler.png"
                            ? !d.ok && d.errors.rfind("libpng error: ", 0) == 0
                            : !d.ok || d.channels == 3 || d.channels == 4)
                << name;
            ++damaged;
        }
    }
    EXPECT_GT(damaged, 20);
}
