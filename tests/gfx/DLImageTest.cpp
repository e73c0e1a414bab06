// DLImage: conversion to the screen format and to grey, the opacity plane, and the opaque and
// blended copies with their clipping.
#include "gfx/DLImage.h"

#include <gtest/gtest.h>
#include <png.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/gfx/TestPng.h"

namespace {

using Frame = std::vector<uint16_t>;

Frame filledFrame(uint16_t value)
{
    return Frame(SCREEN_PIXELS, value);
}

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
          const std::vector<uint8_t>& alpha = {})
{
    image.release();
    image.width = width;
    image.height = height;
    image.depth = 15;
    image.pixels = std::malloc(pixels.size() * 2);
    std::memcpy(image.pixels, pixels.data(), pixels.size() * 2);
    if (!alpha.empty()) {
        image.alpha = static_cast<unsigned char*>(std::malloc(alpha.size()));
        std::memcpy(image.alpha, alpha.data(), alpha.size());
    }
}

class DLImageTest : public testing::Test {
protected:
    ScratchFolder scratch;

    std::string write(const std::string& name, const TestPng& png)
    {
        std::string path = scratch.path(name);
        EXPECT_TRUE(writeTestPng(path, png));
        return path;
    }
};

TEST_F(DLImageTest, RgbConvertsToScreenFormatWithTheLowGreenBitClear)
{
    std::string path = write("colours.png", rgbPng(5, 1, {255, 255, 255, 255, 0, 0, 0, 255, 0,
                                                          0, 0, 255, 7, 7, 7}));
    for (int depth : {15, 16}) {
        DLImage image;
        ASSERT_TRUE(image.loadPng(path.c_str(), depth, true));
        EXPECT_EQ(image.depth, depth);
        EXPECT_EQ(image.width, 5);
        EXPECT_EQ(image.height, 1);
        EXPECT_EQ(image.alpha, nullptr);  // an RGB file has no opacity to keep
        EXPECT_EQ(image.pixelAt(0, 0), 0xFFDF);
        EXPECT_EQ(image.pixelAt(1, 0), 0xF800);
        EXPECT_EQ(image.pixelAt(2, 0), 0x07C0);
        EXPECT_EQ(image.pixelAt(3, 0), 0x001F);
        EXPECT_EQ(image.pixelAt(4, 0), 0x0000);
    }
}

TEST_F(DLImageTest, DepthEightAveragesTheChannels)
{
    std::string path = write("grey.png", rgbaPng(2, 1, {10, 20, 31, 0, 255, 255, 254, 99}));
    DLImage image;
    ASSERT_TRUE(image.loadPng(path.c_str(), 8, true));
    EXPECT_EQ(image.depth, 8);
    EXPECT_EQ(image.pixelAt(0, 0), 20);
    EXPECT_EQ(image.pixelAt(1, 0), 254);
    ASSERT_NE(image.alpha, nullptr);
    EXPECT_EQ(image.alpha[0], 0);
    EXPECT_EQ(image.alpha[1], 99);
}

TEST_F(DLImageTest, OpacityPlaneOnlyWhenAskedForAndPresent)
{
    std::string path = write("rgba.png", rgbaPng(2, 2, {255, 0, 0, 0, 0, 255, 0, 64,
                                                        0, 0, 255, 128, 8, 8, 8, 255}));
    DLImage withAlpha;
    ASSERT_TRUE(withAlpha.loadPng(path.c_str(), 15, true));
    ASSERT_NE(withAlpha.alpha, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(withAlpha.alpha, withAlpha.alpha + 4),
              (std::vector<uint8_t>{0, 64, 128, 255}));
    EXPECT_EQ(withAlpha.pixelAt(1, 1), 0x0841);

    // Without the opacity plane blitBlended copies the picture as it is.
    DLImage opaque;
    ASSERT_TRUE(opaque.loadPng(path.c_str(), 15, false));
    EXPECT_EQ(opaque.alpha, nullptr);
    Frame frame = filledFrame(0x1234);
    opaque.blitBlended(frame.data(), 10, 20);
    EXPECT_EQ(frame[20 * SCREEN_WIDTH + 10], 0xF800);
    EXPECT_EQ(frame[20 * SCREEN_WIDTH + 11], 0x07C0);
    EXPECT_EQ(frame[21 * SCREEN_WIDTH + 10], 0x001F);
    EXPECT_EQ(frame[21 * SCREEN_WIDTH + 11], 0x0841);
}

TEST_F(DLImageTest, PaletteAndGreyPicturesLoadLikeRgb)
{
    TestPng palette;
    palette.width = 2;
    palette.height = 1;
    palette.colorType = PNG_COLOR_TYPE_PALETTE;
    palette.palette = {255, 0, 0, 0, 0, 255};
    palette.paletteAlpha = {255, 7};
    palette.data = {1, 0};
    DLImage fromPalette;
    ASSERT_TRUE(fromPalette.loadPng(write("palette.png", palette).c_str(), 15, true));
    EXPECT_EQ(fromPalette.pixelAt(0, 0), 0x001F);
    EXPECT_EQ(fromPalette.pixelAt(1, 0), 0xF800);
    ASSERT_NE(fromPalette.alpha, nullptr);
    EXPECT_EQ(fromPalette.alpha[0], 7);

    TestPng grey;
    grey.width = 1;
    grey.height = 1;
    grey.colorType = PNG_COLOR_TYPE_GRAY;
    grey.data = {255};
    DLImage fromGrey;
    ASSERT_TRUE(fromGrey.loadPng(write("grey.png", grey).c_str(), 15, true));
    EXPECT_EQ(fromGrey.pixelAt(0, 0), 0xFFDF);
    EXPECT_EQ(fromGrey.alpha, nullptr);
}

TEST_F(DLImageTest, FailedLoadsLeaveAnEmptyImage)
{
    std::string path = write("ok.png", rgbPng(1, 1, {255, 255, 255}));
    DLImage image;
    EXPECT_FALSE(image.loadPng(path.c_str(), 24, true));
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.pixelAt(0, 0), 0);

    // A failed load also drops what an earlier one had loaded.
    ASSERT_TRUE(image.loadPng(path.c_str(), 15, false));
    EXPECT_EQ(image.pixelAt(0, 0), 0xFFDF);
    EXPECT_FALSE(image.loadPng(scratch.path("missing.png").c_str(), 15, false));
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.pixelAt(0, 0), 0);

    Frame frame = filledFrame(0x5555);
    image.blit(frame.data(), 0, 0);
    image.blitBlended(frame.data(), 0, 0);
    EXPECT_EQ(frame, filledFrame(0x5555));
}

TEST_F(DLImageTest, PixelAtOutsideTheImageIsZero)
{
    DLImage image;
    fill(image, 2, 2, {1, 2, 3, 4});
    EXPECT_EQ(image.pixelAt(1, 1), 4);
    EXPECT_EQ(image.pixelAt(2, 0), 0);
    EXPECT_EQ(image.pixelAt(0, 2), 0);
    EXPECT_EQ(image.pixelAt(-1, 0), 0);
    EXPECT_EQ(image.pixelAt(0, -1), 0);
}

// Expected frame after drawing an image whose pixel (i, j) is pixelOf(i, j) at (x, y) over a
// frame filled with background: every frame pixel inside the picture replaced, all others kept.
template <typename Pixel>
Frame expectedFrame(int x, int y, int width, int height, uint16_t background, Pixel pixelOf)
{
    Frame frame = filledFrame(background);
    for (int row = 0; row < SCREEN_HEIGHT; ++row) {
        for (int column = 0; column < SCREEN_WIDTH; ++column) {
            long i = long(column) - x;
            long j = long(row) - y;
            if (i >= 0 && j >= 0 && i < width && j < height)
                frame[row * SCREEN_WIDTH + column] = pixelOf(int(i), int(j));
        }
    }
    return frame;
}

TEST_F(DLImageTest, BlitClipsAtAllFourEdgesAndKeepsThePixelsInside)
{
    const int width = 400;
    const int height = 300;  // larger than the frame in both directions
    std::vector<uint16_t> pixels(width * height);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            pixels[j * width + i] = uint16_t(((i * 7 + j * 13) & 0xFFFF) & ~0x20);
    DLImage image;
    fill(image, width, height, pixels);
    auto pixelOf = [&](int i, int j) { return pixels[j * width + i]; };

    const int places[][2] = {{0, 0},     {10, 20},   {-15, -7},  {300, 230}, {-390, -290},
                             {319, 239}, {-399, 0},  {0, -299},  {-40, -30}, {100, -50}};
    for (const auto& place : places) {
        Frame frame = filledFrame(0xAAAA);
        image.blit(frame.data(), place[0], place[1]);
        EXPECT_EQ(frame, expectedFrame(place[0], place[1], width, height, 0xAAAA, pixelOf))
            << place[0] << "," << place[1];
    }

    // Entirely outside, including coordinates near the ends of int.
    const int outside[][2] = {{320, 0},  {0, 240},         {-400, 0},       {0, -300},
                              {INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}, {INT_MIN, 0}};
    for (const auto& place : outside) {
        Frame frame = filledFrame(0xAAAA);
        image.blit(frame.data(), place[0], place[1]);
        image.blitBlended(frame.data(), place[0], place[1]);
        EXPECT_EQ(frame, filledFrame(0xAAAA)) << place[0] << "," << place[1];
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
            pixels[r * width + a] =
                uint16_t((r << 11) | (((r + 5) & 31) << 6) | ((r + 17) & 31));
            alpha[r * width + a] = uint8_t(a);
        }
    }
    DLImage image;
    fill(image, width, height, pixels, alpha);
    for (int d = 0; d < 32; ++d) {
        const uint16_t destination = uint16_t((((d + 3) & 31) << 11) | (d << 6) | 0x20 |
                                              ((d + 29) & 31));
        Frame frame = filledFrame(destination);
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

TEST_F(DLImageTest, BlendEdgeValues)
{
    DLImage image;
    fill(image, 3, 1, {0x1234 & ~0x20, 0xF800, 0xFFDF}, {0, 128, 255});
    Frame frame = filledFrame(0xFFFF);
    image.blitBlended(frame.data(), 0, 0);
    EXPECT_EQ(frame[0], 0xFFDF);  // transparent: destination kept, bit 5 cleared
    EXPECT_EQ(frame[2], 0xFFDF);  // opaque: the source exactly

    Frame black = filledFrame(0);
    image.blitBlended(black.data(), 0, 0);
    EXPECT_EQ(black[1] >> 11, 15);  // 31 at 128 over 0
    EXPECT_EQ(black[1] & 0x7FF, 0);
}

TEST_F(DLImageTest, BlendedBlitClipsLikeTheOpaqueOne)
{
    const int width = 50;
    const int height = 40;
    std::vector<uint16_t> pixels(width * height);
    std::vector<uint8_t> alpha(width * height);
    for (int i = 0; i < width * height; ++i) {
        pixels[i] = uint16_t((i * 977) & ~0x20);
        alpha[i] = uint8_t(i * 31);
    }
    DLImage image;
    fill(image, width, height, pixels, alpha);
    const uint16_t background = 0x39E7;
    const int places[][2] = {{-20, -10}, {290, 220}, {-49, 239}, {319, -39}, {135, 100}};
    for (const auto& place : places) {
        Frame frame = filledFrame(background);
        image.blitBlended(frame.data(), place[0], place[1]);
        EXPECT_EQ(frame, expectedFrame(place[0], place[1], width, height, background,
                                       [&](int i, int j) {
                                           return referenceBlend(pixels[j * width + i],
                                                                 alpha[j * width + i], background);
                                       }))
            << place[0] << "," << place[1];
    }
}

TEST_F(DLImageTest, GreyImagesAreNeverDrawn)
{
    std::string path = write("g.png", rgbaPng(1, 1, {200, 200, 200, 255}));
    DLImage image;
    ASSERT_TRUE(image.loadPng(path.c_str(), 8, true));
    Frame frame = filledFrame(7);
    image.blit(frame.data(), 0, 0);
    image.blitBlended(frame.data(), 0, 0);
    EXPECT_EQ(frame, filledFrame(7));
}

TEST_F(DLImageTest, ReleaseEmptiesTheImage)
{
    DLImage image;
    fill(image, 2, 1, {1, 2}, {3, 4});
    image.release();
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.alpha, nullptr);
    EXPECT_EQ(image.pixelAt(0, 0), 0);
    image.release();  // twice is harmless
}

} // namespace
