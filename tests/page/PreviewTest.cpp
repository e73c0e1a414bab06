// Preview elements over a real folder of 1,000 entries: every step shows the entry's own
// picture, the preview cache stays within its bounds and so does the process's heap, and the
// frames of a held direction, or of cursors that stayed, look for nothing. What a skin sees is
// played in tests/cases/preview-*.
#include "gfx/PreviewCache.h"
#include "page/Button.h"
#include "page/Page.h"
#include "tests/page/PageTestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <malloc.h>

namespace {

class PreviewTest : public PageFixture {};

// The heap in use, blocks of their own mapping (large pictures) included.
size_t heapInUse()
{
#ifdef __GLIBC__
    const struct mallinfo2 heap = mallinfo2();
#else
    const struct mallinfo heap = mallinfo(); // newlib's, on the GP2X build
#endif
    return heap.uordblks + heap.hblkhd;
}

TEST_F(PreviewTest, ScrollingAThousandEntriesKeepsPreviewsWithinTheirBound)
{
    // Seven full-screen pictures with opacity (230,400 bytes each decoded, so the byte bound
    // holds 9 of them), and 1,000 games whose pictures are hard links to them.
    const int games = 1000, colours = 7;
    std::vector<uint16_t> expected;
    for (int c = 0; c < colours; ++c) {
        const unsigned char red = static_cast<unsigned char>(c * 40);
        solidPng("colour" + std::to_string(c) + ".png", 320, 240, {red, 255, 0, 255});
        expected.push_back(screenPixel(red >> 3, 31, 0));
    }
    for (int i = 0; i < games; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "g%04d", i);
        file(std::string("games/") + name + ".gpe");
        std::filesystem::create_hard_link(dir + "colour" + std::to_string(i % colours) + ".png",
                                          dir + "games/" + name + ".png");
    }
    PreviewCache previews(variables, clock);
    context.previews = &previews;
    Page page;
    const std::string folder = dir + "games/";
    const char* lines[][7] = {{"BUTTON", "0"},
                              {"TYPE", "selector", "0", "0", "100", "40"},
                              {"OPTIONS", "startdir", folder.c_str()},
                              {"OPTIONS", "type", "file"},
                              {"OPTIONS", "filter", ".gpe"},
                              {"BUTTON", "1"},
                              {"TYPE", "preview", "0", "0", "320", "240", "%p0%%s0%.png"}};
    for (const auto& line : lines) {
        WString::Array arguments;
        for (int i = 1; i < 7 && line[i]; ++i)
            arguments.append(WString(line[i]));
        page.applyDirective(line[0], arguments);
    }

    TestFrame frame;
    const size_t heapBefore = heapInUse();
    page.draw(frame.data(), context);
    // Every step down draws the frame of a press: the picture of the entry under the cursor.
    for (int i = 0;; ++i) {
        ASSERT_EQ(frame.at(160, 120), expected[i % colours]) << "entry " << i;
        ASSERT_LE(previews.bytes(), static_cast<uint32_t>(PreviewCache::MAX_BYTES));
        ASSERT_LE(previews.count(), static_cast<int>(PreviewCache::MAX_ENTRIES));
        if (i == games - 1)
            break;
        WString::Array actions;
        int code = NAV_DOWN;
        page.handleInput(actions, code);
        page.draw(frame.data(), context);
    }
    EXPECT_EQ(previews.decodes(), static_cast<uint32_t>(games));
    // The sanitizers' allocator reports nothing here; their leak check covers evictions there.
    EXPECT_LE(heapInUse() - heapBefore, size_t(PreviewCache::MAX_BYTES) + 512 * 1024);

    // Up again with the direction held: the repeats' frames keep the picture shown before the
    // first of them and decode nothing; each release shows the entry the cursor stopped on.
    uint16_t shown = frame.at(160, 120);
    for (int i = games - 2; i >= 0; --i) {
        WString::Array actions;
        int code = NAV_UP;
        page.handleInput(actions, code);
        const bool release = i % 10 == 0;
        context.directionRepeat = !release;
        const uint32_t decodes = previews.decodes();
        page.draw(frame.data(), context);
        ASSERT_EQ(previews.decodes() - decodes, release ? 1u : 0u) << "entry " << i;
        ASSERT_EQ(frame.at(160, 120), release ? expected[i % colours] : shown) << "entry " << i;
        shown = frame.at(160, 120);
    }

    // A frame whose cursors stay where they were looks for nothing; once the cache has let the
    // picture go, the next one decodes it again.
    context.directionRepeat = false;
    const uint32_t decodes = previews.decodes();
    page.draw(frame.data(), context);
    EXPECT_EQ(previews.decodes(), decodes);
    previews.clear();
    page.draw(frame.data(), context);
    EXPECT_EQ(previews.decodes(), decodes + 1);
    EXPECT_EQ(frame.at(160, 120), expected[0]);
}

} // namespace
