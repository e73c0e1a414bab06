// ImageCache: one decode per name, the loading speed before each real decode, failures not kept.
#include "gfx/ImageCache.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "config/VariableStore.h"
#include "gfx/DLImage.h"
#include "platform/ClockControl.h"
#include "tests/gfx/TestPng.h"

namespace {

class ImageCacheTest : public testing::Test {
protected:
    ScratchFolder scratch;
    VariableStore variables;
    ClockControl clock;
    ImageCache cache{variables, clock};
    std::string printed;

    std::string picture(const std::string& name)
    {
        return scratch.write(name, rgbaPng(2, 1, {255, 0, 0, 255, 0, 0, 255, 100}));
    }

    DLImage* load(const std::string& name, bool wantAlpha = true)
    {
        testing::internal::CaptureStdout();
        DLImage* image = cache.load(name.c_str(), 15, wantAlpha);
        printed = testing::internal::GetCapturedStdout();
        return image;
    }
};

TEST_F(ImageCacheTest, SecondRequestSharesTheFirstDecodeAndSkipsTheLoadingSpeed)
{
    variables.setText("SPEED_LOADING", "200");
    std::string path = picture("a.png");
    DLImage* first = load(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(first->pixelAt(0, 0), 0xF800);
    EXPECT_EQ(clock.cpuMHz(), 200);
    // Names are compared as text, not as files: another real load, at the loading speed again.
    ASSERT_TRUE(clock.applySpeed(-1, -1, 100));
    DLImage* dotted = load(scratch.path("./a.png"));
    ASSERT_NE(dotted, nullptr);
    EXPECT_NE(dotted, first);
    EXPECT_EQ(clock.cpuMHz(), 200);

    // Neither the file nor the speed is touched again: the file may even be gone. The first
    // load's opacity plane comes back whatever the later request asks for.
    ASSERT_TRUE(clock.applySpeed(-1, -1, 100));
    ASSERT_EQ(std::remove(path.c_str()), 0);
    DLImage* second = load(path, false);
    EXPECT_EQ(second, first);
    EXPECT_NE(second->alpha, nullptr);
    EXPECT_EQ(clock.cpuMHz(), 100);
    EXPECT_EQ(cache.count(), 2);
}

TEST_F(ImageCacheTest, MissingPictureIsReportedEachTimeAndNeverKept)
{
    std::string path = scratch.path("missing.png");
    EXPECT_EQ(load(path), nullptr);
    EXPECT_EQ(clock.cpuMHz(), -1); // without SPEED_LOADING the clock is left alone
    variables.setText("SPEED_LOADING", "150");
    for (int attempt = 0; attempt < 2; ++attempt) {
        ASSERT_TRUE(clock.applySpeed(-1, -1, 100));
        EXPECT_EQ(load(path), nullptr);
        EXPECT_EQ(printed, "Could not load image " + path + "\n");
        EXPECT_EQ(clock.cpuMHz(), 150); // every real attempt runs at the loading speed
        EXPECT_EQ(cache.count(), 0);
    }

    // Once the file exists it loads: the failure was not remembered.
    picture("missing.png");
    EXPECT_NE(load(path), nullptr);
    EXPECT_EQ(cache.count(), 1);

    testing::internal::CaptureStdout();
    EXPECT_EQ(cache.load(nullptr, 15, true), nullptr);
    testing::internal::GetCapturedStdout();
}

} // namespace
