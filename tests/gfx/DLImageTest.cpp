// DLImage: conversion to the screen format and to grey, the opacity plane, and the opaque and
// blended copies with their clipping.
#include "gfx/DLImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/gfx/TestPng.h"

namespace {

using Frame = std::vector<uint16_t>;

// The blend exactly as the launcher defines it, one channel at a time.
uint16_t referenceBlend(uint16_t s, int a, uint16_t d)
{
    auto mix = [a](int source, int destination) {
        return source * a / 255 + destination * (255 - a) / 255;
    };
    return uint16_t((mix(s >> 11, d >> 11) << 11) | (mix((s >> 6) & 31, (d >> 6) & 31) << 6) |
                    mix(s & 31, d & 31));
}

// Fills an image directly, as loadPng would leave it.
void fill(DLImage& image, int width, int height, const std::vector<uint16_t>& pixels,
          const std::vector<uint8_t>& alpha)
{
    image.release();
    image.width = width;
    image.height = height;
    image.depth = 15;
    image.pixels = std::malloc(pixels.size() * 2);
    std::memcpy(image.pixels, pixels.data(), pixels.size() * 2);
    image.alpha = static_cast<unsigned char*>(std::malloc(alpha.size()));
    std::memcpy(image.alpha, alpha.data(), alpha.size());
}

class DLImageTest : public testing::Test {
protected:
    ScratchFolder scratch;
};

TEST_F(DLImageTest, LoadConvertsToScreenFormatAndKeepsOpacityOnlyWhenAskedFor)
{
    // White (the low green bit stays clear), red, green, blue, a grey that truncates, black.
    std::string path = scratch.write(
        "rgba.png", rgbaPng(3, 2, {255, 255, 255, 0,   255, 0, 0, 64,  0, 255, 0, 128,
                                   0,   0,   255, 255, 8,   9, 9, 200, 0, 0,   0, 100}));
    const int expected[6] = {0xFFDF, 0xF800, 0x07C0, 0x001F, 0x0841, 0x0000};
    for (int depth : {15, 16}) {
        DLImage image;
        ASSERT_TRUE(image.loadPng(path.c_str(), depth, true));
        EXPECT_EQ(image.depth, depth);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(image.pixelAt(i % 3, i / 3), expected[i]) << i;
        EXPECT_EQ(image.pixelAt(3, 0) | image.pixelAt(0, 2) | image.pixelAt(-1, 0), 0);
        ASSERT_NE(image.alpha, nullptr);
        EXPECT_EQ(std::vector<uint8_t>(image.alpha, image.alpha + 6),
                  (std::vector<uint8_t>{0, 64, 128, 255, 200, 100}));
    }

    // Without the opacity plane blitBlended copies the picture as it is.
    DLImage opaque;
    ASSERT_TRUE(opaque.loadPng(path.c_str(), 15, false));
    EXPECT_EQ(opaque.alpha, nullptr);
    Frame frame(SCREEN_PIXELS, 0x1234);
    opaque.blitBlended(frame.data(), 10, 20);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(frame[(20 + i / 3) * SCREEN_WIDTH + 10 + i % 3], expected[i]) << i;

    // Depth 8 averages the channels, truncating, and is never drawn.
    DLImage grey;
    ASSERT_TRUE(grey.loadPng(path.c_str(), 8, true));
    EXPECT_EQ(grey.pixelAt(0, 0), 255);
    EXPECT_EQ(grey.pixelAt(1, 0), 85);
    EXPECT_EQ(grey.pixelAt(1, 1), 8);
    Frame unchanged(SCREEN_PIXELS, 7);
    grey.blit(unchanged.data(), 0, 0);
    grey.blitBlended(unchanged.data(), 0, 0);
    EXPECT_EQ(unchanged, Frame(SCREEN_PIXELS, 7));
}

TEST_F(DLImageTest, FailedLoadsAndReleaseLeaveAnEmptyImageThatDrawsNothing)
{
    std::string path = scratch.write("ok.png", rgbPng(1, 1, {255, 255, 255}));
    DLImage image;
    EXPECT_FALSE(image.loadPng(path.c_str(), 24, true));
    EXPECT_EQ(image.pixels, nullptr);

    // A failed load also drops what an earlier one had loaded; so does release, even twice.
    ASSERT_TRUE(image.loadPng(path.c_str(), 15, true));
    EXPECT_EQ(image.alpha, nullptr); // an RGB file has no opacity to keep
    EXPECT_FALSE(image.loadPng(scratch.path("missing.png").c_str(), 15, false));
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width, 0);
    ASSERT_TRUE(image.loadPng(path.c_str(), 15, false));
    image.release();
    image.release();
    EXPECT_EQ(image.pixelAt(0, 0), 0);

    Frame frame(SCREEN_PIXELS, 0x5555);
    image.blit(frame.data(), 0, 0);
    image.blitBlended(frame.data(), 0, 0);
    EXPECT_EQ(frame, Frame(SCREEN_PIXELS, 0x5555));
}

TEST_F(DLImageTest, BothCopiesClipAtAllFourEdgesAndKeepThePixelsInside)
{
    const int width = 400;
    const int height = 300; // larger than the frame in both directions
    std::vector<uint16_t> pixels(width * height);
    std::vector<uint8_t> alpha(width * height);
    for (int i = 0; i < width * height; ++i) {
        pixels[i] = uint16_t((i * 977) & ~0x20);
        alpha[i] = uint8_t(i * 31);
    }
    DLImage image;
    fill(image, width, height, pixels, alpha);
    const uint16_t background = 0x39E7;
    // Overhanging each edge and corner, then entirely outside (near the ends of int too).
    const int places[][2] = {
        {0, 0},    {10, 20},  {-15, -7},    {300, 230},         {-390, -290},      {319, 239},
        {-399, 0}, {0, -299}, {-40, -30},   {100, -50},         {320, 0},          {0, 240},
        {-400, 0}, {0, -300}, {INT_MIN, 0}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}};
    for (const auto& place : places) {
        SCOPED_TRACE(testing::Message() << place[0] << "," << place[1]);
        const int64_t left = place[0], top = place[1];
        const int64_t right = std::min<int64_t>(SCREEN_WIDTH, left + width);
        const int64_t bottom = std::min<int64_t>(SCREEN_HEIGHT, top + height);
        Frame opaque(SCREEN_PIXELS, background), expectOpaque = opaque;
        Frame blended = opaque, expectBlended = opaque;
        image.blit(opaque.data(), place[0], place[1]);
        image.blitBlended(blended.data(), place[0], place[1]);
        // Every frame pixel inside the picture replaced (or blended), all others kept.
        for (int64_t y = std::max<int64_t>(0, top); y < bottom; ++y) {
            for (int64_t x = std::max<int64_t>(0, left); x < right; ++x) {
                const int64_t i = (y - top) * width + x - left;
                expectOpaque[y * SCREEN_WIDTH + x] = pixels[i];
                expectBlended[y * SCREEN_WIDTH + x] =
                    referenceBlend(pixels[i], alpha[i], background);
            }
        }
        EXPECT_EQ(opaque, expectOpaque);
        EXPECT_EQ(blended, expectBlended);
    }
}

TEST_F(DLImageTest, BlendMatchesTheChannelFormulaForEveryCombination)
{
    // Column a has opacity a; row r has source channels r, r + 5 and r + 17 (mod 32) so that the
    // three channels see different values. Each pass puts a different destination under it, with
    // bit 5 set to show it is dropped.
    const int width = 256;
    const int height = 32;
    std::vector<uint16_t> pixels(width * height);
    std::vector<uint8_t> alpha(width * height);
    for (int r = 0; r < height; ++r) {
        for (int a = 0; a < width; ++a) {
            pixels[r * width + a] = uint16_t((r << 11) | (((r + 5) & 31) << 6) | ((r + 17) & 31));
            alpha[r * width + a] = uint8_t(a);
        }
    }
    DLImage image;
    fill(image, width, height, pixels, alpha);
    for (int d = 0; d < 32; ++d) {
        const uint16_t destination =
            uint16_t((((d + 3) & 31) << 11) | (d << 6) | 0x20 | ((d + 29) & 31));
        Frame frame(SCREEN_PIXELS, destination);
        image.blitBlended(frame.data(), 40, 100);
        int wrong = 0;
        for (int r = 0; r < height; ++r) {
            for (int a = 0; a < width; ++a) {
                uint16_t got = frame[(100 + r) * SCREEN_WIDTH + 40 + a];
                wrong += got != referenceBlend(pixels[r * width + a], a, destination);
            }
        }
        EXPECT_EQ(wrong, 0) << "destination " << destination;
        EXPECT_EQ(frame[100 * SCREEN_WIDTH + 39], destination);
        EXPECT_EQ(frame[100 * SCREEN_WIDTH + 40 + width], destination);
    }
}

} // namespace
