// readPng and readPngData: unreadable and damaged files (from memory as from a file), and every
// PngSuite image (every colour type and depth, interlaced or not) against an independent decoder:
// libspng on the host, and everywhere the digests of the pixels kept in pngsuite-digests.txt (the
// host's failures show the lines to put there).
#include "gfx/PngReader.h"
#include "tests/gfx/TestPng.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#ifdef TARVO_HAVE_SPNG
#include <spng.h>

// libspng's 8-bit RGBA for a file: 16-bit samples cut to their high byte, tRNS made alpha.
std::vector<uint8_t> spngRgba(const char* path)
{
    const std::string bytes = TempFolder::readFile(path);
    spng_ctx* ctx = spng_ctx_new(0);
    size_t size = 0;
    spng_set_png_buffer(ctx, bytes.data(), bytes.size());
    spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size);
    std::vector<uint8_t> rgba(size);
    if (spng_decode_image(ctx, rgba.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0)
        rgba.clear();
    spng_ctx_free(ctx);
    return rgba;
}
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
template <typename Read>
DecodedPng decodeWith(Read read)
{
    DecodedPng out;
    unsigned char* rows = nullptr;
    testing::internal::CaptureStderr();
    out.ok = read(rows, out);
    out.errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(out.ok || rows == nullptr) << "a failed load handed back a block";
    // Copying every sample lets the sanitizer build catch a block shorter than its size.
    if (out.ok)
        out.samples.assign(rows, rows + size_t(out.width) * out.height * out.channels);
    std::free(rows);
    return out;
}
DecodedPng decodePng(const char* path)
{
    return decodeWith([path](unsigned char*& rows, DecodedPng& out) {
        return readPng(path, rows, out.width, out.height, out.channels);
    });
}
// The same bytes held in memory, in a block of exactly their size so that the sanitizer build
// catches a read past the end.
DecodedPng decodePngData(const std::string& bytes)
{
    const std::vector<unsigned char> data(bytes.begin(), bytes.end());
    return decodeWith([&data](unsigned char*& rows, DecodedPng& out) {
        return readPngData(data.data(), data.size(), rows, out.width, out.height, out.channels);
    });
}

TEST(PngReaderTest, UnreadableFilesFailSilentlyAndDamagedOrOversizedOnesWithALibpngError)
{
    ScratchFolder scratch;
    const std::string bytes = TempFolder::readFile(
        scratch.write("whole.png", rgbaPng(40, 30, std::vector<uint8_t>(4800, 99))));
    scratch.write("wide.png", {int(maxPngSide) + 1, 1, 1, std::vector<uint8_t>(maxPngSide + 1)});
    scratch.write("text.png", "GIF89a this is no PNG at all");
    scratch.write("short.png", "\x89PNG");
    // Cut inside the header, inside the image data and just before the end chunk.
    for (size_t keep : {size_t(30), bytes.size() / 2, bytes.size() - 13})
        scratch.write("cut" + std::to_string(keep), bytes.substr(0, keep));
    for (const std::string& name : listFolder(scratch.path(""))) {
        DecodedPng d = decodePng(scratch.path(name).c_str());
        EXPECT_EQ(d.ok, name == "whole.png") << name;
        const bool reported = name != "text.png" && name != "short.png" && !d.ok;
        EXPECT_EQ(d.errors.find("libpng error: ") != std::string::npos && d.errors.back() == '\n',
                  reported)
            << name << ": " << d.errors;
        DecodedPng fromMemory = decodePngData(TempFolder::readFile(scratch.path(name)));
        EXPECT_EQ(fromMemory.ok, d.ok) << name << " from memory";
        EXPECT_EQ(fromMemory.samples, d.samples) << name << " from memory";
        EXPECT_EQ(fromMemory.errors.empty(), d.errors.empty()) << name << ": " << fromMemory.errors;
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
    std::snprintf(line, sizeof(line), "%s %u %u %d %016llx", name.c_str(),
                  static_cast<unsigned>(png.width), static_cast<unsigned>(png.height), png.channels,
                  static_cast<unsigned long long>(hash));
    return line;
}

TEST(PngReaderTest, PngSuiteMatchesTheIndependentDecoderAndDamagedFilesFailCleanly)
{
    const std::string shared = TARVO_TESTDATA_DIR "/png/";
    if (!std::filesystem::is_directory(shared + "pngsuite"))
        GTEST_SKIP() << "shared PNG test files absent";
    // One line per file; a file that fails the comparison prints the line to put there.
    const std::string committed =
        TempFolder::readFile(TARVO_SOURCE_DIR "/tests/gfx/pngsuite-digests.txt");
    for (const char* folder : {"pngsuite", "pngsuite/interlaced"}) {
        for (const std::string& file : listFolder(shared + folder)) {
            const std::string name = std::string(folder) + "/" + file;
            if (std::filesystem::path(file).extension() != ".png")
                continue;
            DecodedPng got = decodePng((shared + name).c_str());
            const std::string line = digestLine(name, got);
            EXPECT_TRUE(committed.find("\n" + line + "\n") != std::string::npos &&
                        got.errors.empty())
                << line << ' ' << got.errors;
#ifdef TARVO_HAVE_SPNG
            std::vector<uint8_t> rgba; // opaque where readPng gave no alpha
            for (size_t i = 0; i < got.samples.size(); ++i) {
                rgba.push_back(got.samples[i]);
                if (got.channels == 3 && i % 3 == 2)
                    rgba.push_back(255);
            }
            EXPECT_TRUE(rgba == spngRgba((shared + name).c_str())) << name;
#endif
        }
    }

    // Damaged files fail or load as 3 or 4 channels (decodePng checks that a failure hands back
    // nothing); damage to the image data itself is an error, not a silently wrong picture.
    for (const char* folder : {"crashers", "badpal"}) {
        for (const std::string& name : listFolder(shared + folder)) {
            DecodedPng d = decodePng((shared + folder + "/" + name).c_str());
            EXPECT_TRUE(name == "badcrc.png" || name == "badadler.png"
                            ? !d.ok && d.errors.rfind("libpng error: ", 0) == 0
                            : !d.ok || d.channels == 3 || d.channels == 4)
                << name;
        }
    }
}
