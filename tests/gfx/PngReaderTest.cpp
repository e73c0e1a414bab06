// readPng and readPngData: unreadable and damaged files (from memory as from a file), and every
// PngSuite image (every colour type and depth, interlaced or not) against an independent decoder:
// libspng on the host, and everywhere the digests of the pixels kept in pngsuite-digests.txt (the
// host's failures show the lines to put there); and pictures saved with row filters, as image
// editors save them, against their own samples.
#include "gfx/PngReader.h"
#include "tests/gfx/TestPng.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <zlib.h>

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

// Counts the loads that start over: a picture decoded on the common path begins once.
struct CountingReceiver : PngRowReceiver {
    int begins = 0;
    bool begin(uint32_t, uint32_t, int) override { return ++begins; }
    void row(uint32_t, const unsigned char*) override {}
};

// A PNG file of an 8-bit RGB picture whose image data is rows as given (each with its filter
// byte), compressed in one chunk with after bytes after the compressed data, every checksum right.
std::string rgbPngFile(uint32_t width, uint32_t height, const std::string& rows,
                       const std::string& after = "")
{
    auto chunk = [](const std::string& type, const std::string& body) {
        std::string out;
        for (uint32_t value : {uint32_t(body.size())})
            for (int i = 0; i < 4; ++i)
                out += char(value >> (24 - 8 * i));
        const std::string typed = type + body;
        const uint32_t crc =
            uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size())));
        out += typed;
        for (int i = 0; i < 4; ++i)
            out += char(crc >> (24 - 8 * i));
        return out;
    };
    std::string header;
    for (uint32_t value : {width, height})
        for (int i = 0; i < 4; ++i)
            header += char(value >> (24 - 8 * i));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    std::string data(compressBound(uLong(rows.size())), '\0');
    uLongf size = data.size();
    compress(reinterpret_cast<Bytef*>(&data[0]), &size, reinterpret_cast<const Bytef*>(rows.data()),
             uLong(rows.size()));
    data.resize(size);
    data += after;
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + chunk("IDAT", data) + chunk("IEND", "");
}

// Pictures as image editors save them: libpng's adaptive row filters, its default compression and
// 8 KiB data chunks. An icon and a background are inflated whole, a large picture a strip of rows
// at a time; noise, ramps, flat runs and repeated rows make every filter win somewhere.
TEST(PngReaderTest, PicturesSavedByImageEditorsDecodeToTheirSamples)
{
    ScratchFolder scratch;
    uint32_t seed = 7;
    for (const TestPng& shape : {TestPng{48, 48, 4, {}}, TestPng{320, 240, 3, {}},
                                 TestPng{400, 420, 4, {}}, TestPng{1, 1, 3, {}}}) {
        TestPng png = shape;
        for (int y = 0; y < png.height; ++y) {
            for (int x = 0; x < png.width * png.channels; ++x) {
                seed = seed * 1103515245u + 12345u;
                const int band = (y / 7 + x / 97) % 4;
                png.data.push_back(uint8_t(band == 0       ? seed >> 24
                                               : band == 1 ? x * 3 + y
                                               : band == 2 ? 200
                                                           : (x / png.channels) * (y % 5) + x % 3));
            }
        }
        const std::string name = std::to_string(png.width) + "x" + std::to_string(png.height);
        const std::string path = scratch.write(name + ".png", png);
        const DecodedPng d = decodePng(path.c_str());
        EXPECT_TRUE(d.ok && d.samples == png.data && d.channels == png.channels)
            << name << d.errors;
        EXPECT_EQ(decodePngData(TempFolder::readFile(path)).samples, png.data) << name;
        CountingReceiver once;
        EXPECT_TRUE(readPng(path.c_str(), once) && once.begins == 1) << name;

        // Damage that only inflating finds (the image data's own checksum, every chunk's checksum
        // right) fails the load as libpng reports it.
        std::string bytes = TempFolder::readFile(path);
        const size_t end = bytes.rfind("IEND") - 4; // the last data chunk's checksum follows it
        const size_t last = bytes.rfind("IDAT", end);
        bytes[end - 5] = char(bytes[end - 5] ^ 1);
        const uint32_t crc =
            uint32_t(crc32(0, reinterpret_cast<const Bytef*>(&bytes[last]), uInt(end - 4 - last)));
        for (int i = 0; i < 4; ++i)
            bytes[end - 4 + i] = char(crc >> (24 - 8 * i));
        const DecodedPng damaged = decodePngData(bytes);
        EXPECT_TRUE(!damaged.ok && damaged.errors.rfind("libpng error: ", 0) == 0)
            << name << ": " << damaged.errors;
    }

    // Image data that ends a row early, or holds a row that names no filter, fails as libpng
    // reports it, although every checksum is right; data past the last row, or after the
    // compressed data, is libpng's to judge. Either way the load starts over once.
    const std::string row(1 + 2 * 3, '\x01');
    struct Data {
        std::string rows, after;
        bool fails;
    };
    for (const Data& data :
         {Data{row + row + row.substr(1), "", true},
          Data{row + '\x05' + row.substr(1) + row, "", true},
          Data{row + row + row + row, "", false}, Data{row + row + row, "after", false}}) {
        const std::string file = rgbPngFile(2, 3, data.rows, data.after);
        testing::internal::CaptureStderr();
        CountingReceiver twice;
        const bool ok =
            readPngData(reinterpret_cast<const unsigned char*>(file.data()), file.size(), twice);
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(twice.begins, 2) << errors;
        if (data.fails) {
            EXPECT_TRUE(!ok && errors.rfind("libpng error: ", 0) == 0) << errors;
        }
    }

    // The benchmark card's pictures, re-saved that way, are the demo card's pixel for pixel.
    const std::string card = TARVO_SOURCE_DIR "/sdcard/Tarvo/skins/concept/";
    const std::string ordinary = TARVO_SOURCE_DIR "/bench/ordinary-card/Tarvo/skins/concept/";
    int compared = 0;
    for (const std::string& name : listFolder(card)) {
        if (std::filesystem::path(name).extension() != ".png")
            continue;
        const DecodedPng demo = decodePng((card + name).c_str());
        const DecodedPng resaved = decodePng((ordinary + name).c_str());
        EXPECT_TRUE(demo.ok && resaved.ok && demo.samples == resaved.samples) << name;
        ++compared;
    }
    EXPECT_GT(compared, 20);
}
