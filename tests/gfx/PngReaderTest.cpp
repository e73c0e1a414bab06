// readPng: colour types and bit depths written by libpng, damaged files, the size limit, and the
// shared PngSuite against digests of an independent decoder's pixels.
#include "gfx/PngReader.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Files.h"
#include "tests/gfx/TestPng.h"

namespace {

struct Decoded {
    bool ok = false;
    unsigned char* rows = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;
    std::string errors;  // what the load wrote to standard error

    Decoded() = default;
    Decoded(const Decoded&) = delete;
    Decoded& operator=(const Decoded&) = delete;
    ~Decoded() { std::free(rows); }

    std::vector<uint8_t> samples() const
    {
        return std::vector<uint8_t>(rows, rows + size_t(width) * height * channels);
    }
};

void decode(const char* path, Decoded& out)
{
    testing::internal::CaptureStderr();
    out.ok = readPng(path, out.rows, out.width, out.height, out.channels);
    out.errors = testing::internal::GetCapturedStderr();
}

class PngReaderTest : public testing::Test {
protected:
    ScratchFolder scratch;

    std::string write(const std::string& name, const TestPng& png)
    {
        std::string path = scratch.path(name);
        EXPECT_TRUE(writeTestPng(path, png)) << name;
        return path;
    }
};

TEST_F(PngReaderTest, RgbLoadsAsThreeChannelsUnchanged)
{
    std::vector<uint8_t> rgb = {1, 2, 3, 250, 128, 7, 0, 255, 64, 9, 8, 7};
    std::string path = write("rgb.png", rgbPng(2, 2, rgb));
    Decoded d;
    decode(path.c_str(), d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 2u);
    EXPECT_EQ(d.height, 2u);
    EXPECT_EQ(d.channels, 3);
    EXPECT_EQ(d.samples(), rgb);
    EXPECT_EQ(d.errors, "");
}

TEST_F(PngReaderTest, PaletteLoadsAsRgbAndGainsAlphaOnlyWithTrns)
{
    TestPng png;
    png.width = 3;
    png.height = 1;
    png.colorType = PNG_COLOR_TYPE_PALETTE;
    png.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    png.data = {2, 0, 1};
    Decoded plain;
    decode(write("palette.png", png).c_str(), plain);
    ASSERT_TRUE(plain.ok);
    EXPECT_EQ(plain.channels, 3);
    EXPECT_EQ(plain.samples(), (std::vector<uint8_t>{70, 80, 90, 10, 20, 30, 40, 50, 60}));

    // Entries past the end of the tRNS list are opaque.
    png.paletteAlpha = {0, 128};
    Decoded transparent;
    decode(write("palette-trns.png", png).c_str(), transparent);
    ASSERT_TRUE(transparent.ok);
    EXPECT_EQ(transparent.channels, 4);
    EXPECT_EQ(transparent.samples(),
              (std::vector<uint8_t>{70, 80, 90, 255, 10, 20, 30, 0, 40, 50, 60, 128}));
}

TEST_F(PngReaderTest, OneBitGreyExpandsToBlackAndWhiteRgb)
{
    TestPng png;
    png.width = 10;
    png.height = 1;
    png.colorType = PNG_COLOR_TYPE_GRAY;
    png.bitDepth = 1;
    png.data = {0xA5, 0xC0};  // 1010 0101 11
    Decoded d;
    decode(write("grey1.png", png).c_str(), d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.channels, 3);
    const int bits[10] = {1, 0, 1, 0, 0, 1, 0, 1, 1, 1};
    std::vector<uint8_t> expected;
    for (int bit : bits)
        expected.insert(expected.end(), 3, bit ? 255 : 0);
    EXPECT_EQ(d.samples(), expected);
}

TEST_F(PngReaderTest, SixteenBitRgbaKeepsTheHighByteOfEachSample)
{
    TestPng png;
    png.width = 2;
    png.height = 1;
    png.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    png.bitDepth = 16;
    png.data = {0x12, 0x34, 0xFF, 0xFF, 0x00, 0xFF, 0x80, 0x01,
                0xAB, 0xCD, 0x01, 0x00, 0x7F, 0xFF, 0x00, 0x00};
    Decoded d;
    decode(write("rgba16.png", png).c_str(), d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.channels, 4);
    EXPECT_EQ(d.samples(), (std::vector<uint8_t>{0x12, 0xFF, 0x00, 0x80, 0xAB, 0x01, 0x7F, 0x00}));
}

TEST_F(PngReaderTest, GreyAndGreyAlphaBecomeRgbWithTheirTransparency)
{
    TestPng grey;
    grey.width = 3;
    grey.height = 1;
    grey.colorType = PNG_COLOR_TYPE_GRAY;
    grey.data = {0, 77, 200};
    grey.transparentColor = {77};
    Decoded keyed;
    decode(write("grey-trns.png", grey).c_str(), keyed);
    ASSERT_TRUE(keyed.ok);
    EXPECT_EQ(keyed.channels, 4);
    EXPECT_EQ(keyed.samples(),
              (std::vector<uint8_t>{0, 0, 0, 255, 77, 77, 77, 0, 200, 200, 200, 255}));

    TestPng greyAlpha;
    greyAlpha.width = 2;
    greyAlpha.height = 1;
    greyAlpha.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.data = {5, 6, 250, 251};
    Decoded withAlpha;
    decode(write("grey-alpha.png", greyAlpha).c_str(), withAlpha);
    ASSERT_TRUE(withAlpha.ok);
    EXPECT_EQ(withAlpha.channels, 4);
    EXPECT_EQ(withAlpha.samples(), (std::vector<uint8_t>{5, 5, 5, 6, 250, 250, 250, 251}));
}

TEST_F(PngReaderTest, InterlacedFileGivesTheSameRowsAsAPlainOne)
{
    const int width = 13;
    const int height = 11;
    std::vector<uint8_t> rgba;
    for (int i = 0; i < width * height * 4; ++i)
        rgba.push_back(uint8_t(i * 37 + i / 7));
    TestPng png = rgbaPng(width, height, rgba);
    png.interlaced = true;
    Decoded d;
    decode(write("interlaced.png", png).c_str(), d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.channels, 4);
    EXPECT_EQ(d.samples(), rgba);
}

TEST_F(PngReaderTest, MissingFileNullPathAndNonPngFailSilently)
{
    Decoded missing;
    decode(scratch.path("absent.png").c_str(), missing);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.rows, nullptr);
    EXPECT_EQ(missing.errors, "");

    Decoded nullPath;
    decode(nullptr, nullPath);
    EXPECT_FALSE(nullPath.ok);
    EXPECT_EQ(nullPath.rows, nullptr);

    std::string text = scratch.path("text.png");
    writeFileBytes(text, "GIF89a this is no PNG at all");
    Decoded notPng;
    decode(text.c_str(), notPng);
    EXPECT_FALSE(notPng.ok);
    EXPECT_EQ(notPng.rows, nullptr);
    EXPECT_EQ(notPng.errors, "");

    std::string shortFile = scratch.path("short.png");
    writeFileBytes(shortFile, "\x89PNG");
    Decoded tooShort;
    decode(shortFile.c_str(), tooShort);
    EXPECT_FALSE(tooShort.ok);
    EXPECT_EQ(tooShort.errors, "");
}

TEST_F(PngReaderTest, TruncatedFileReportsLibpngErrorAndReleasesEverything)
{
    std::vector<uint8_t> rgb(40 * 30 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = uint8_t(i * 7 % 251);
    std::string whole = readFileBytes(write("whole.png", rgbPng(40, 30, rgb)));
    ASSERT_GT(whole.size(), 60u);

    // Cut inside the header, inside the image data and just before the end chunk; the sanitizer
    // build checks that each failed load releases what it held.
    for (size_t keep : {size_t(12), size_t(30), whole.size() / 2, whole.size() - 13}) {
        std::string path = scratch.path("cut.png");
        writeFileBytes(path, whole.substr(0, keep));
        Decoded d;
        decode(path.c_str(), d);
        EXPECT_FALSE(d.ok) << keep;
        EXPECT_EQ(d.rows, nullptr) << keep;
        EXPECT_EQ(d.errors.rfind("libpng error: ", 0), 0u) << keep << ": " << d.errors;
        EXPECT_EQ(d.errors.back(), '\n') << keep;
    }

    // The loader is still usable after a failed load.
    Decoded again;
    decode(scratch.path("whole.png").c_str(), again);
    EXPECT_TRUE(again.ok);
}

TEST_F(PngReaderTest, PicturesAboveTheSizeLimitFailCleanly)
{
    TestPng wide;
    wide.width = int(maxPngSide) + 1;
    wide.height = 1;
    wide.colorType = PNG_COLOR_TYPE_GRAY;
    wide.data.assign(wide.rowBytes(), 0);
    Decoded tooWide;
    decode(write("wide.png", wide).c_str(), tooWide);
    EXPECT_FALSE(tooWide.ok);
    EXPECT_EQ(tooWide.rows, nullptr);
    EXPECT_EQ(tooWide.errors.find("libpng error: "), tooWide.errors.rfind("libpng error: "));
    EXPECT_NE(tooWide.errors.find("libpng error: "), std::string::npos);

    TestPng limit = wide;
    limit.width = int(maxPngSide);
    limit.data.assign(limit.rowBytes(), 0);
    Decoded atLimit;
    decode(write("limit.png", limit).c_str(), atLimit);
    EXPECT_TRUE(atLimit.ok);
    EXPECT_EQ(atLimit.width, maxPngSide);

    // A header that claims 65536 x 65536 (its width times height times 2 overflows 32 bits)
    // over a tiny body: refused before anything that size is allocated.
    std::string bytes = readFileBytes(write("small.png", rgbPng(1, 1, {1, 2, 3})));
    const unsigned char huge[8] = {0, 1, 0, 0, 0, 1, 0, 0};
    bytes.replace(16, 8, reinterpret_cast<const char*>(huge), 8);
    uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + 12), 17);
    for (int i = 0; i < 4; ++i)
        bytes[29 + i] = char(crc >> (24 - 8 * i));
    std::string hugePath = scratch.path("huge.png");
    writeFileBytes(hugePath, bytes);
    Decoded hugeHeader;
    decode(hugePath.c_str(), hugeHeader);
    EXPECT_FALSE(hugeHeader.ok);
    EXPECT_EQ(hugeHeader.rows, nullptr);
}

TEST_F(PngReaderTest, HandheldPathsResolveInsideTheSdCardFolder)
{
    std::filesystem::create_directories(scratch.path("Tarvo"));
    ASSERT_TRUE(writeTestPng(scratch.path("Tarvo/pic.png"), rgbPng(1, 1, {9, 8, 7})));
    setSdRoot(scratch.path("").c_str());
    Decoded d;
    decode("/mnt/sd/Tarvo/pic.png", d);
    setSdRoot(nullptr);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.samples(), (std::vector<uint8_t>{9, 8, 7}));
}

// FNV-1a over the decoded samples: the digests file holds these for an independent decoder's
// pixels, so the same comparison runs where that decoder is not available (the ARM build).
uint64_t digest(const uint8_t* bytes, size_t size)
{
    uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

int countPngFiles(const std::string& folder)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        count += entry.path().extension() == ".png";
    return count;
}

TEST(PngReaderSuiteTest, EveryPngSuiteImageMatchesTheIndependentDecoderDigest)
{
    std::string shared = sharedPngFolder();
    if (shared.empty())
        GTEST_SKIP() << "shared PNG test files absent";
    std::ifstream list(std::string(TARVO_SOURCE_DIR) + "/tests/gfx/pngsuite-digests.txt");
    ASSERT_TRUE(list.good());
    std::string line;
    int checked = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name;
        uint32_t width = 0, height = 0;
        int channels = 0;
        std::string hash;
        fields >> name >> width >> height >> channels >> hash;
        Decoded d;
        decode((shared + "/" + name).c_str(), d);
        ASSERT_TRUE(d.ok) << name << ": " << d.errors;
        EXPECT_EQ(d.width, width) << name;
        EXPECT_EQ(d.height, height) << name;
        EXPECT_EQ(d.channels, channels) << name;
        char text[17];
        std::snprintf(text, sizeof(text), "%016llx",
                      static_cast<unsigned long long>(
                          digest(d.rows, size_t(d.width) * d.height * d.channels)));
        EXPECT_EQ(hash, text) << name;
        ++checked;
    }
    EXPECT_EQ(checked, countPngFiles(shared + "/pngsuite") +
                           countPngFiles(shared + "/pngsuite/interlaced"));
}

TEST(PngReaderSuiteTest, DamagedFilesFailOrLoadWithoutHarm)
{
    std::string shared = sharedPngFolder();
    if (shared.empty())
        GTEST_SKIP() << "shared PNG test files absent";
    int files = 0;
    for (const char* folder : {"crashers", "badpal"}) {
        for (const auto& entry : std::filesystem::directory_iterator(shared + "/" + folder)) {
            Decoded d;
            decode(entry.path().c_str(), d);
            ++files;
            if (!d.ok) {
                EXPECT_EQ(d.rows, nullptr) << entry.path();
                continue;
            }
            EXPECT_TRUE(d.channels == 3 || d.channels == 4) << entry.path();
            EXPECT_GT(d.width, 0u);
            EXPECT_LE(d.width, maxPngSide);
            EXPECT_LE(d.height, maxPngSide);
            // Reading every sample lets the sanitizer build catch a short block.
            std::vector<uint8_t> samples = d.samples();
            EXPECT_EQ(samples.size(), size_t(d.width) * d.height * d.channels);
        }
    }
    EXPECT_GT(files, 20);

    // Damage to the image data itself is an error, not a silently wrong picture.
    for (const char* name : {"crashers/badcrc.png", "crashers/badadler.png"}) {
        Decoded d;
        decode((shared + "/" + name).c_str(), d);
        EXPECT_FALSE(d.ok) << name;
        EXPECT_NE(d.errors.find("libpng error: "), std::string::npos) << name;
    }
}

} // namespace
