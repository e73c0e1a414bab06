// readPng: colour types and bit depths written by libpng, damaged files, the size limit, and the
// shared PngSuite against digests of an independent decoder's pixels.
#include "gfx/PngReader.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>

#include "platform/Files.h"
#include "tests/gfx/TestPng.h"

namespace {

class PngReaderTest : public testing::Test {
protected:
    ScratchFolder scratch;

    DecodedPng decode(const std::string& name) { return decodePng(scratch.path(name).c_str()); }
};

TEST_F(PngReaderTest, EveryColourTypeAndDepthLoadsAsEightBitRgbOrRgba)
{
    std::vector<uint8_t> mixed(13 * 11 * 4);
    for (size_t i = 0; i < mixed.size(); ++i)
        mixed[i] = uint8_t(i * 37 + i / 7);
    const std::vector<uint8_t> rgb = {1, 2, 3, 250, 128, 7, 0, 255, 64, 9, 8, 7};
    const std::vector<uint8_t> palette = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    struct Case {
        const char* name;
        TestPng png;
        int channels;
        std::vector<uint8_t> samples;
    } cases[] = {
        {"rgb", rgbPng(2, 2, rgb), 3, rgb},
        {"palette",
         {3, 1, PNG_COLOR_TYPE_PALETTE, 8, {2, 0, 1}, palette},
         3,
         {70, 80, 90, 10, 20, 30, 40, 50, 60}},
        // Entries past the end of the tRNS list are opaque.
        {"palette-trns",
         {3, 1, PNG_COLOR_TYPE_PALETTE, 8, {2, 0, 1}, palette, {0, 128}},
         4,
         {70, 80, 90, 255, 10, 20, 30, 0, 40, 50, 60, 128}},
        // 1010 0101 11: black and white.
        {"grey1",
         {10, 1, PNG_COLOR_TYPE_GRAY, 1, {0xA5, 0xC0}},
         3,
         {255, 255, 255, 0, 0, 0, 255, 255, 255, 0,   0,   0,   0,   0,   0,
          255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255}},
        // 16-bit samples keep their high byte.
        {"rgba16",
         {2,
          1,
          PNG_COLOR_TYPE_RGB_ALPHA,
          16,
          {0x12, 0x34, 0xFF, 0xFF, 0x00, 0xFF, 0x80, 0x01, 0xAB, 0xCD, 0x01, 0x00, 0x7F, 0xFF, 0x00,
           0x00}},
         4,
         {0x12, 0xFF, 0x00, 0x80, 0xAB, 0x01, 0x7F, 0x00}},
        {"grey-trns",
         {3, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 77, 200}, {}, {}, 77},
         4,
         {0, 0, 0, 255, 77, 77, 77, 0, 200, 200, 200, 255}},
        {"grey-alpha",
         {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {5, 6, 250, 251}},
         4,
         {5, 5, 5, 6, 250, 250, 250, 251}},
        {"interlaced", {13, 11, PNG_COLOR_TYPE_RGB_ALPHA, 8, mixed, {}, {}, -1, true}, 4, mixed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scratch.write(c.name, c.png);
        DecodedPng d = decode(c.name);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.width, uint32_t(c.png.width));
        EXPECT_EQ(d.height, uint32_t(c.png.height));
        EXPECT_EQ(d.channels, c.channels);
        EXPECT_EQ(d.samples, c.samples);
        EXPECT_EQ(d.errors, "");
    }
}

TEST_F(PngReaderTest, MissingNullAndNonPngFilesFailSilently)
{
    writeFileBytes(scratch.path("text.png"), "GIF89a this is no PNG at all");
    writeFileBytes(scratch.path("short.png"), "\x89PNG");
    for (const char* name : {"absent.png", "text.png", "short.png"}) {
        DecodedPng d = decode(name);
        EXPECT_FALSE(d.ok) << name;
        EXPECT_EQ(d.errors, "") << name;
    }
    EXPECT_FALSE(decodePng(nullptr).ok);
}

TEST_F(PngReaderTest, TruncatedFileReportsLibpngErrorAndReleasesEverything)
{
    std::vector<uint8_t> rgb(40 * 30 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = uint8_t(i * 7 % 251);
    const std::string whole = readFileBytes(scratch.write("whole.png", rgbPng(40, 30, rgb)));
    ASSERT_GT(whole.size(), 60u);

    // Cut inside the header, inside the image data and just before the end chunk; the sanitizer
    // build checks that each failed load releases what it held.
    for (size_t keep : {size_t(12), size_t(30), whole.size() / 2, whole.size() - 13}) {
        writeFileBytes(scratch.path("cut.png"), whole.substr(0, keep));
        DecodedPng d = decode("cut.png");
        EXPECT_FALSE(d.ok) << keep;
        EXPECT_EQ(d.errors.rfind("libpng error: ", 0), 0u) << keep << ": " << d.errors;
        EXPECT_EQ(d.errors.back(), '\n') << keep;
    }
    EXPECT_TRUE(decode("whole.png").ok); // still usable after failed loads
}

TEST_F(PngReaderTest, PicturesAboveTheSizeLimitFailCleanly)
{
    const int side = int(maxPngSide);
    for (int width : {side, side + 1})
        scratch.write(width > side ? "wide.png" : "limit.png",
                      {width, 1, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint8_t>(width)});
    DecodedPng tooWide = decode("wide.png");
    EXPECT_FALSE(tooWide.ok);
    EXPECT_NE(tooWide.errors.find("libpng error: "), std::string::npos);
    EXPECT_EQ(tooWide.errors.find("libpng error: "), tooWide.errors.rfind("libpng error: "));
    EXPECT_EQ(decode("limit.png").width, maxPngSide);

    // A header that claims 65536 x 65536 (its width times height times 2 overflows 32 bits)
    // over a tiny body: refused before anything that size is allocated.
    std::string bytes = readFileBytes(scratch.write("small.png", rgbPng(1, 1, {1, 2, 3})));
    bytes.replace(16, 8, std::string("\0\1\0\0\0\1\0\0", 8));
    uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + 12), 17);
    for (int i = 0; i < 4; ++i)
        bytes[29 + i] = char(crc >> (24 - 8 * i));
    writeFileBytes(scratch.path("huge.png"), bytes);
    EXPECT_FALSE(decode("huge.png").ok);
}

TEST_F(PngReaderTest, HandheldPathsResolveInsideTheSdCardFolder)
{
    std::filesystem::create_directories(scratch.path("Tarvo"));
    scratch.write("Tarvo/pic.png", rgbPng(1, 1, {9, 8, 7}));
    setSdRoot(scratch.path("").c_str());
    DecodedPng d = decodePng("/mnt/sd/Tarvo/pic.png");
    setSdRoot(nullptr);
    EXPECT_EQ(d.samples, (std::vector<uint8_t>{9, 8, 7}));
}

TEST(PngReaderSuiteTest, EveryPngSuiteImageMatchesTheIndependentDecoderDigest)
{
    const std::string shared = sharedPngFolder();
    if (shared.empty())
        GTEST_SKIP() << "shared PNG test files absent";
    std::ifstream list(std::string(TARVO_SOURCE_DIR) + "/tests/gfx/pngsuite-digests.txt");
    std::vector<std::string> names;
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        names.push_back(line.substr(0, line.find(' ')));
        DecodedPng d = decodePng((shared + "/" + names.back()).c_str());
        EXPECT_TRUE(d.ok) << line << ": " << d.errors;
        EXPECT_EQ(digestLine(names.back(), d), line);
    }
    EXPECT_EQ(names, pngSuiteNames(shared));
}

TEST(PngReaderSuiteTest, DamagedFilesFailOrLoadWithoutHarm)
{
    const std::string shared = sharedPngFolder();
    if (shared.empty())
        GTEST_SKIP() << "shared PNG test files absent";
    int files = 0;
    for (const char* folder : {"crashers", "badpal"}) {
        for (const auto& entry : std::filesystem::directory_iterator(shared + "/" + folder)) {
            DecodedPng d = decodePng(entry.path().c_str()); // checks a failure hands back nothing
            ++files;
            if (d.ok) {
                EXPECT_TRUE(d.channels == 3 || d.channels == 4) << entry.path();
                EXPECT_TRUE(d.width > 0 && d.width <= maxPngSide && d.height <= maxPngSide)
                    << entry.path();
            }
        }
    }
    EXPECT_GT(files, 20);

    // Damage to the image data itself is an error, not a silently wrong picture.
    for (const char* name : {"crashers/badcrc.png", "crashers/badadler.png"}) {
        DecodedPng d = decodePng((shared + "/" + name).c_str());
        EXPECT_FALSE(d.ok) << name;
        EXPECT_NE(d.errors.find("libpng error: "), std::string::npos) << name;
    }
}

} // namespace
