// ImageCache: one decode per file, the loading speed before each real decode, failures not kept,
// and the bound on what the pictures held take.
#include "config/VariableStore.h"
#include "gfx/DLImage.h"
#include "gfx/ImageCache.h"
#include "platform/ClockControl.h"
#include "tests/gfx/TestPng.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct ImageCacheTest : ::testing::Test {
    ScratchFolder scratch;
    VariableStore variables;
    ClockControl clock;
    ImageCache cache{variables, clock};
};

TEST_F(ImageCacheTest, EachFileIsDecodedOnceAtTheLoadingSpeedAndFailuresAreNotKept)
{
    // A request made at 100 MHz, what it prints and the speed it leaves.
    auto load = [&](const std::string& path, bool wantAlpha, const std::string& printed, int mhz) {
        EXPECT_TRUE(clock.applySpeed(-1, -1, 100));
        testing::internal::CaptureStdout();
        DLImage* image = cache.load(path.c_str(), 15, wantAlpha);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), printed) << path;
        EXPECT_EQ(clock.cpuMHz(), mhz) << path;
        return image;
    };
    // A missing picture is reported on every request; without SPEED_LOADING the clock is left
    // alone, with it every real attempt runs at that speed.
    const std::string path = scratch.path("a.png");
    const std::string missing = "Could not load image " + path + "\n";
    EXPECT_EQ(load(path, true, missing, 100), nullptr);
    variables.setText("SPEED_LOADING", "150");
    EXPECT_EQ(load(path, true, missing, 150), nullptr);

    // Once the file exists it loads: the failure was not remembered. Other names of the same
    // file, a link to it included, give the same picture without a decode.
    scratch.write("a.png", rgbaPng(1, 1, {255, 0, 0, 100}));
    ASSERT_EQ(symlink("a.png", scratch.path("link.png").c_str()), 0);
    DLImage* first = load(path, true, "", 150);
    ASSERT_NE(first, nullptr);
    for (const char* name : {"./a.png", ".//a.png", "link.png"})
        EXPECT_EQ(load(scratch.path(name), true, "", 100), first) << name;

    // Later requests do not touch the speed, and give the first load's opacity plane whatever
    // they ask for; once the file has gone it gives nothing.
    EXPECT_EQ(load(path, false, "", 100), first);
    EXPECT_NE(first->alpha, nullptr);
    EXPECT_EQ(cache.count(), 1);
    EXPECT_EQ(cache.decodes(), 3u) << "two tries and one decode";
    ASSERT_EQ(std::remove(path.c_str()), 0);
    EXPECT_EQ(load(path, false, missing, 150), nullptr);
    EXPECT_EQ(cache.load(nullptr, 15, true), nullptr);
}

// Pictures of 6 MiB: two fill the 12 MiB bound. What the page on show draws stays; the others
// are let go, keep their size, and decode again when drawn once more.
TEST_F(ImageCacheTest, PicturesStayWithinTheBoundLettingGoOfThoseNotOnShow)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        std::vector<uint8_t> pixels(1024 * 2048 * 4, 255);
        pixels[0] = uint8_t(8 * i);
        paths.push_back(
            scratch.write("big" + std::to_string(i) + ".png", rgbaPng(1024, 2048, pixels)));
    }
    cache.newFrame();
    const int32_t a = cache.request(paths[0].c_str(), 15, true);
    const int32_t b = cache.request(paths[1].c_str(), 15, true);
    EXPECT_EQ(cache.bytes(), uint32_t(ImageCache::MAX_BYTES));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(cache.request(paths[2].c_str(), 15, true), -1) << "no room beside those on show";
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              paths[2] +
                  ": error: picture is 1024x2048 pixels, and with those on show it would pass "
                  "the 12288 KiB that pictures may take: it is not loaded\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Could not load image " + paths[2] + "\n");

    cache.newFrame();
    const int32_t c = cache.request(paths[2].c_str(), 15, true);
    ASSERT_GE(c, 0);
    EXPECT_EQ(cache.bytes(), uint32_t(ImageCache::MAX_BYTES));
    EXPECT_EQ(cache.image(a)->pixels, nullptr) << "let go first";
    EXPECT_EQ(cache.image(a)->width, 1024) << "its size stays";
    EXPECT_EQ(cache.decodes(), 3u);

    // Drawn again, a comes back and b goes; in the same frame b finds no room.
    const DLImage* again = cache.picture(a);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->pixelAt(0, 0), screenPixel(0, 31, 31));
    EXPECT_EQ(cache.picture(c), cache.image(c));
    EXPECT_EQ(cache.picture(b), nullptr);
    EXPECT_EQ(cache.decodes(), 4u);
    EXPECT_LE(cache.bytes(), uint32_t(ImageCache::MAX_BYTES));

    // A file that no longer decodes is tried once, not on every frame.
    ASSERT_EQ(std::remove(paths[1].c_str()), 0);
    for (int frame = 0; frame < 3; ++frame) {
        cache.newFrame();
        EXPECT_EQ(cache.picture(b), nullptr);
    }
    EXPECT_EQ(cache.decodes(), 5u);
    EXPECT_EQ(cache.picture(-1), nullptr);
}

} // namespace
