// DLImage: the opaque and blended copies of a loaded picture against the blend written out from
// its rule, for every combination of source, opacity and destination, clipped at every edge; and
// the images that copy without blending or draw nothing at all.
#include "gfx/DLImage.h"
#include "tests/gfx/TestPng.h"

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>

// Per 5-bit channel the source's share and the destination's, each truncated on its own, added.
uint16_t referenceBlend(uint16_t s, int a, uint16_t d)
{
    auto mix = [a](int source, int destination) {
        return source * a / 255 + destination * (255 - a) / 255;
    };
    return screenPixel(mix(s >> 11, d >> 11), mix(s >> 6 & 31, d >> 6 & 31), mix(s & 31, d & 31));
}

TEST(DLImageTest, CopiesFollowTheBlendRuleForEveryCombinationAndClipAtEveryEdge)
{
    // Larger than the frame both ways, opacity x mod 256, the low three bits of each sample
    // dropped. Placed at (0, 0) the frame holds every opacity over every value of each source
    // channel, and the 32 passes put every value of each destination channel under those.
    const int width = 400;
    const int height = 300;
    auto source = [](int64_t x, int64_t y) { return screenPixel(y, y + 5 + x, y + 17 + 2 * x); };
    std::vector<uint8_t> rgba;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rgba.insert(rgba.end(),
                        {uint8_t(y << 3 | (x & 7)), uint8_t((y + 5 + x) << 3 | 7),
                         uint8_t((y + 17 + 2 * x) << 3 | (y & 7)), uint8_t(x)});
    ScratchFolder scratch;
    const std::string path = scratch.write("big.png", rgbaPng(width, height, rgba));
    // Without its opacity plane a picture copies opaquely; at depth 8, or emptied by a failed
    // load, it draws nothing.
    DLImage image, withoutAlpha, grey, empty;
    ASSERT_TRUE(image.loadPng(path.c_str(), 15, true));
    ASSERT_TRUE(withoutAlpha.loadPng(path.c_str(), 16, false));
    ASSERT_TRUE(grey.loadPng(path.c_str(), 8, true));
    ASSERT_TRUE(empty.loadPng(path.c_str(), 15, true));
    EXPECT_FALSE(empty.loadPng(path.c_str(), 24, true));
    EXPECT_TRUE(!withoutAlpha.alpha && !grey.alpha && !empty.pixels && !empty.alpha &&
                !empty.width);

    const int places[][2] = {{0, 0},     {-15, -7},          {319, 239},        {-399, -299},
                             {100, -50}, {320, 0},           {0, 240},          {-400, 0},
                             {0, -300},  {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}};
    for (int pass = 0; pass < 32; ++pass) {
        for (const auto& [left, top] : places) {
            const Frame background = patternFrame(pass);
            Frame opaque = background, blended = background, plain = background;
            Frame untouched = background, expectOpaque = background, expectBlended = background;
            image.blit(opaque.data(), left, top);
            image.blitBlended(blended.data(), left, top);
            withoutAlpha.blitBlended(plain.data(), left, top);
            for (const DLImage* nothing : {&grey, &empty}) {
                nothing->blit(untouched.data(), left, top);
                nothing->blitBlended(untouched.data(), left, top);
            }
            for (int i = 0; i < SCREEN_PIXELS; ++i) {
                const int64_t x = i % SCREEN_WIDTH - int64_t(left);
                const int64_t y = i / SCREEN_WIDTH - int64_t(top);
                if (x >= 0 && y >= 0 && x < width && y < height) {
                    expectOpaque[i] = source(x, y);
                    expectBlended[i] = referenceBlend(source(x, y), int(x & 255), background[i]);
                }
            }
            ASSERT_TRUE(opaque == expectOpaque && plain == expectOpaque) << left << "," << top;
            ASSERT_TRUE(blended == expectBlended) << left << "," << top << " pass " << pass;
            ASSERT_TRUE(untouched == background);
            if (pass > 0)
                break; // later passes only need the picture that fills the frame
        }
    }
}

TEST(DLImageTest, APictureWhoseChecksumFailsAfterItsRowsLoadsNothing)
{
    // The image data's checksum is read only after every row has gone into the image.
    const std::string damaged = TARVO_TESTDATA_DIR "/png/crashers/badadler.png";
    if (!std::filesystem::exists(damaged))
        GTEST_SKIP() << "shared PNG test files absent";
    DLImage image;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(image.loadPng(damaged.c_str(), 15, true));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("libpng error: "), std::string::npos);
    EXPECT_TRUE(!image.pixels && !image.alpha && !image.width && !image.height);
}
