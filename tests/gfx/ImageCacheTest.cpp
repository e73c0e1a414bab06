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

    std::string picture(const std::string& name)
    {
        std::string path = scratch.path(name);
        EXPECT_TRUE(writeTestPng(path, rgbaPng(2, 1, {255, 0, 0, 255, 0, 0, 255, 100})));
        return path;
    }

    DLImage* load(const std::string& name, bool wantAlpha, std::string& printed)
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
    std::string printed;
    DLImage* first = load(path, true, printed);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(first->pixelAt(0, 0), 0xF800);
    EXPECT_EQ(clock.cpuMHz(), 200);

    // Neither the file nor the speed is touched again: the file may even be gone.
    ASSERT_TRUE(clock.applySpeed(-1, -1, 100));
    ASSERT_EQ(std::remove(path.c_str()), 0);
    DLImage* second = load(path, true, printed);
    EXPECT_EQ(second, first);
    EXPECT_EQ(clock.cpuMHz(), 100);
    EXPECT_EQ(cache.count(), 1);
}

TEST_F(ImageCacheTest, LaterRequestsGetTheFirstLoadsOpacityWhateverTheyAskFor)
{
    std::string path = picture("alpha.png");
    std::string printed;
    DLImage* withAlpha = load(path, true, printed);
    ASSERT_NE(withAlpha, nullptr);
    ASSERT_NE(withAlpha->alpha, nullptr);
    DLImage* again = load(path, false, printed);
    EXPECT_EQ(again, withAlpha);
    EXPECT_NE(again->alpha, nullptr);
}

TEST_F(ImageCacheTest, MissingPictureIsReportedEachTimeAndNeverKept)
{
    variables.setText("SPEED_LOADING", "150");
    std::string path = scratch.path("missing.png");
    for (int attempt = 0; attempt < 2; ++attempt) {
        ASSERT_TRUE(clock.applySpeed(-1, -1, 100));
        std::string printed;
        EXPECT_EQ(load(path, true, printed), nullptr);
        EXPECT_EQ(printed, "Could not load image " + path + "\n");
        EXPECT_EQ(clock.cpuMHz(), 150);  // every real attempt runs at the loading speed
        EXPECT_EQ(cache.count(), 0);
    }

    // Once the file exists it loads: the failure was not remembered.
    picture("missing.png");
    std::string printed;
    EXPECT_NE(load(path, true, printed), nullptr);
    EXPECT_EQ(cache.count(), 1);

    testing::internal::CaptureStdout();
    EXPECT_EQ(cache.load(nullptr, 15, true), nullptr);
    testing::internal::GetCapturedStdout();
}

TEST_F(ImageCacheTest, NamesAreComparedAsTextNotAsFiles)
{
    std::string plain = picture("b.png");
    std::string dotted = scratch.path("./b.png");
    std::string printed;
    DLImage* first = load(plain, false, printed);
    DLImage* second = load(dotted, false, printed);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(cache.count(), 2);
}

TEST_F(ImageCacheTest, WithoutSpeedLoadingTheClockIsLeftAlone)
{
    std::string printed;
    ASSERT_NE(load(picture("c.png"), false, printed), nullptr);
    EXPECT_EQ(clock.cpuMHz(), -1);
    load(scratch.path("none.png"), false, printed);
    EXPECT_EQ(clock.cpuMHz(), -1);
}

} // namespace
