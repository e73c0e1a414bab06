// ImageCache: one decode per name, the loading speed before each real decode, failures not kept.
#include "config/VariableStore.h"
#include "gfx/DLImage.h"
#include "gfx/ImageCache.h"
#include "platform/ClockControl.h"
#include "tests/gfx/TestPng.h"

#include <cstdio>
#include <gtest/gtest.h>

TEST(ImageCacheTest, EachNameIsDecodedOnceAtTheLoadingSpeedAndFailuresAreNotKept)
{
    ScratchFolder scratch;
    VariableStore variables;
    ClockControl clock;
    ImageCache cache(variables, clock);
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

    // Once the file exists it loads: the failure was not remembered. Names are compared as text,
    // not as files, so "./a.png" is another real load.
    scratch.write("a.png", rgbaPng(1, 1, {255, 0, 0, 100}));
    DLImage* first = load(path, true, "", 150);
    DLImage* dotted = load(scratch.path("./a.png"), true, "", 150);
    ASSERT_TRUE(first && dotted && dotted != first);

    // Later requests touch neither the file (it may even be gone) nor the speed, and give the
    // first load's opacity plane whatever they ask for.
    ASSERT_EQ(std::remove(path.c_str()), 0);
    EXPECT_EQ(load(path, false, "", 100), first);
    EXPECT_NE(first->alpha, nullptr);
    EXPECT_EQ(cache.count(), 2);
    EXPECT_EQ(cache.load(nullptr, 15, true), nullptr);
}
