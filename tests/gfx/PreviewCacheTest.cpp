// PreviewCache: a random run of loads against a model of the rule (the most recently used names,
// at most 16 and 2 MiB of pictures), pictures too large for it, and the loading speed.
#include "config/VariableStore.h"
#include "gfx/PreviewCache.h"
#include "platform/ClockControl.h"
#include "tests/gfx/TestPng.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <list>
#include <random>

namespace {

TestPng flatPng(int width, int height, int channels)
{
    return TestPng{width, height, channels, std::vector<uint8_t>(width * height * channels, 200)};
}

TEST(PreviewCacheTest, HoldsTheMostRecentlyUsedNamesWithinItsBounds)
{
    ScratchFolder scratch;
    VariableStore variables;
    ClockControl clock;
    PreviewCache cache(variables, clock);
    // Decoded sizes by the rule: two bytes a pixel, and one more where the file has opacity.
    struct Kind {
        std::string file;
        uint32_t bytes;
    };
    const std::vector<Kind> kinds = {
        {scratch.write("small.png", flatPng(4, 4, 3)), 4 * 4 * 2},
        {scratch.write("wide.png", flatPng(300, 300, 4)), 300 * 300 * 3},
        {scratch.write("large.png", flatPng(480, 480, 3)), 480 * 480 * 2},
        {scratch.path("missing.png"), 0}};
    // 48 names, hard links to the pictures: the cache tells names apart, not files.
    std::vector<std::string> names;
    for (int i = 0; i < 48; ++i) {
        names.push_back(scratch.path("name" + std::to_string(i) + ".png"));
        if (i % 4 != 3)
            std::filesystem::create_hard_link(kinds[i % 4].file, names.back());
    }

    std::list<int> model; // most recent first
    uint32_t modelBytes = 0;
    std::vector<PreviewCache::Ticket> tickets(names.size());
    std::mt19937 random(12);
    for (int step = 0; step < 3000; ++step) {
        const int name = random() % names.size();
        const uint32_t bytes = kinds[name % 4].bytes;
        const auto found = std::find(model.begin(), model.end(), name);
        const bool held = found != model.end();
        // Every third step draws a name held: a use, as a load is.
        if (held && step % 3 == 0) {
            model.erase(found);
            model.push_front(name);
            EXPECT_EQ(cache.picture(tickets[name]) != nullptr, bytes > 0) << "step " << step;
            continue;
        }
        if (held) {
            model.erase(found);
        } else {
            while (model.size() == PreviewCache::MAX_ENTRIES ||
                   modelBytes + bytes > PreviewCache::MAX_BYTES) {
                modelBytes -= kinds[model.back() % 4].bytes;
                model.pop_back();
            }
            modelBytes += bytes;
        }
        model.push_front(name);

        const uint32_t decodes = cache.decodes();
        tickets[name] = cache.load(names[name].c_str());
        ASSERT_EQ(cache.decodes() - decodes, held ? 0u : 1u) << "step " << step;
        ASSERT_EQ(cache.count(), static_cast<int>(model.size())) << "step " << step;
        ASSERT_EQ(cache.bytes(), modelBytes) << "step " << step;
        for (size_t i = 0; i < names.size(); ++i) {
            const bool inModel = std::find(model.begin(), model.end(), int(i)) != model.end();
            ASSERT_EQ(cache.holds(tickets[i]), inModel) << "step " << step << ", name " << i;
        }
    }
    EXPECT_EQ(cache.load(nullptr).slot, -1);
    cache.clear();
    EXPECT_EQ(cache.count(), 0);
    EXPECT_EQ(cache.bytes(), 0u);
    EXPECT_FALSE(cache.holds(tickets[model.front()]));
}

TEST(PreviewCacheTest, APictureLargerThanTheBoundIsHeldAsMissingAndLoadsAtTheLoadingSpeed)
{
    ScratchFolder scratch;
    VariableStore variables;
    ClockControl clock;
    PreviewCache cache(variables, clock);
    // One column more than 2 MiB of 16-bit pixels.
    const std::string huge = scratch.write("huge.png", flatPng(1025, 1024, 3));
    variables.setText("SPEED_LOADING", "150");
    ASSERT_TRUE(clock.applySpeed(-1, -1, 100));
    const PreviewCache::Ticket ticket = cache.load(huge.c_str());
    EXPECT_EQ(clock.cpuMHz(), 150);
    EXPECT_TRUE(cache.holds(ticket));
    EXPECT_EQ(cache.picture(ticket), nullptr);
    EXPECT_EQ(cache.bytes(), 0u);
    // Held as missing: neither decoded nor sped up again.
    ASSERT_TRUE(clock.applySpeed(-1, -1, 100));
    cache.load(huge.c_str());
    EXPECT_EQ(clock.cpuMHz(), 100);
    EXPECT_EQ(cache.decodes(), 1u);
}

} // namespace
