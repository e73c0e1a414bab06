// The desktop window's tools for a skin author, in a real window on a card the test edits: F5 and
// --watch read the card again, F1 outlines the page, F12 saves the frame.
#include "core/Launcher.h"
#include "core/ProcessObjects.h"
#include "frontends/desktop/Studio.h"
#include "page/Button.h"
#include "platform/DesktopControl.h"
#include "platform/Files.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>
#include <malloc.h>
#include <png.h>
#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

uint32_t windowPixel(int x, int y)
{
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    bool captured = desktopCaptureWindow(&pixels, &width, &height) && width == 320;
    return captured && height == 240 ? pixels[static_cast<std::size_t>(y * 320 + x)] : 0xDEADBEEF;
}

// Renderers widen the frame's 5- and 6-bit channels slightly differently, and the skin's colours
// keep five bits of green.
bool closeTo(uint32_t pixel, uint32_t wanted)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int(pixel >> shift & 0xFF) - int(wanted >> shift & 0xFF)) > 8)
            return false;
    return true;
}
#define EXPECT_PIXEL(x, y, rgb) EXPECT_PRED2(closeTo, windowPixel(x, y), (rgb)&0xFFFFFFu)

// A picture written by libpng: width x height of one RGBA colour.
void writePicture(const std::string& path, int width, int height, uint32_t rgba)
{
    std::vector<png_byte> pixels;
    for (int i = 0; i < width * height; ++i)
        for (int shift : {24, 16, 8, 0})
            pixels.push_back(static_cast<png_byte>(rgba >> shift));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr));
}

class StudioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.ok());
        // A card that reads cleanly, so that the notice bar shows only what a test provokes.
        folder.write("card/Tarvo/ARIALN.TTF_0_12_255_255_255.png",
                     TempFolder::readFile(TARVO_DEMO_FONT));
        setSdRoot((folder / "card").c_str());
        desktopSetScale(1);
        // Pictures of an earlier test's card are kept under the same handheld names.
        imageCache.clear();
    }
    void TearDown() override
    {
        desktopCloseWindow();
        setSdRoot(nullptr);
    }

    std::string writeSkin(const std::string& text)
    {
        return folder.write("card/Tarvo/skins/concept/Tarvo.skin", text);
    }

    // Starts the launcher and its studio on the card and shows the first frame.
    void open(const StudioOptions& options = StudioOptions())
    {
        launcher.start();
        studio = std::make_unique<Studio>(launcher, options);
        studio->update(launcher.pass());
    }

    void press(const char* key)
    {
        for (bool down : {true, false}) {
            desktopPushKey(key, down);
            studio->update(launcher.pass());
        }
    }

    TempFolder folder;
    Launcher launcher;
    std::unique_ptr<Studio> studio;
};

} // namespace

TEST_F(StudioTest, ReloadShowsTheEditedSkinWhereThePersonWasAndSurvivesHalfWrittenOnes)
{
    folder.write("card/games/x.gpe", "");
    for (const char* name : {"a", "b", "c"})
        folder.write(std::string("card/games/sub/") + name + ".gpe", "");
    const std::string start = "PAGE=0\nBACKGROUND=color,FF0000\nBUTTON=0\nACTION=page,1\n";
    const std::string listPage = "BUTTON=0\nTYPE=selector,10,10,200,200\n"
                                 "OPTIONS=startdir,/mnt/sd/games/\nNAVIGATION=1,1\n"
                                 "BUTTON=1\nTYPE=rect,250,10,300,50,FFFFFF\nNAVIGATION=0,0\n";
    writeSkin(start + "PAGE=1\nBACKGROUND=color,0000FF\n" + listPage);
    open();
    // Page 1, into sub/ (the list: ../ sub/ x.gpe), onto b.gpe, then element 1.
    for (const char* key : {"Return", "Down", "Return", "Down", "Down", "Right"})
        press(key);
    ASSERT_EQ(launcher.page(1).selected, 1);

    writeSkin(start + "PAGE=1\nBACKGROUND=color,00FF00\n" + listPage);
    press("F5");
    EXPECT_PIXEL(315, 230, 0x00FF00);
    EXPECT_EQ(launcher.currentPageIndex(), 1);
    EXPECT_EQ(launcher.page(1).selected, 1);
    const FileBrowser* list = launcher.page(1).buttons[0]->browser;
    ASSERT_TRUE(list);
    EXPECT_STREQ(list->cwd.text(), "/mnt/sd/games/sub/");
    EXPECT_STREQ(list->selectedEntry().text(), "b.gpe");
    EXPECT_STREQ(desktopTitle(), "Tarvo: concept, page 1, element 1");
    EXPECT_PIXEL(319, 239, 0x00FF00) << "a clean reading shows no notice";

    // Saves caught half-way: each is read without harm, its first finding on the notice bar
    // (the same finding as the reading before, too), and page 1, gone, gives way to the start
    // page.
    const std::string halfWritten[] = {"", "", start.substr(0, start.size() - 20),
                                       "PAGE=1\nBACKGRO"};
    for (const std::string& text : halfWritten) {
        writeSkin(text);
        press("F5");
        EXPECT_EQ(launcher.currentPageIndex(), 0) << text;
        EXPECT_PIXEL(319, 239, 0x212021) << text;
    }
    std::remove((folder / "card/Tarvo/skins/concept/Tarvo.skin").c_str());
    press("F5");
    EXPECT_PIXEL(319, 239, 0x212021) << "no skin file";
    writeSkin(start + "PAGE=1\nBACKGROUND=color,00FF00\n" + listPage);
    press("F5");
    EXPECT_PIXEL(319, 239, 0xFF0000);
    EXPECT_EQ(studio->reloads(), 7);
}

TEST_F(StudioTest, WatchReloadsOnceForEachSave)
{
    const std::string skin = "PAGE=0\nBACKGROUND=color,FF0000\n";
    writeSkin(skin);
    StudioOptions watching;
    watching.watch = true;
    open(watching);
    // Each pass idles a millisecond.
    auto run = [&](int passes) {
        for (int i = 0; i < passes; ++i)
            studio->update(launcher.pass());
    };
    auto waitForReloads = [&](int count) {
        for (int i = 0; i < 3000 && studio->reloads() < count; ++i)
            run(1);
        // Long enough for a second reload, were the save to make one.
        run(300);
        return studio->reloads();
    };
    // An editor that writes in pieces, the window running in between.
    {
        std::ofstream out(folder / "card/Tarvo/skins/concept/Tarvo.skin", std::ios::trunc);
        out << "PAGE=0\nBACKGROUND=co" << std::flush;
        run(10);
        out << "lor,0000FF\n";
    }
    EXPECT_EQ(waitForReloads(1), 1);
    EXPECT_PIXEL(160, 120, 0x0000FF);
    // One that writes a temporary file and renames it over the skin.
    const std::string temporary = folder.write("card/Tarvo/skins/concept/.Tarvo.skin.swp",
                                               "PAGE=0\nBACKGROUND=color,00FF00\n");
    std::rename(temporary.c_str(), (folder / "card/Tarvo/skins/concept/Tarvo.skin").c_str());
    EXPECT_EQ(waitForReloads(2), 2);
    EXPECT_PIXEL(160, 120, 0x00FF00);
    // The configuration counts too, other files beside it do not.
    folder.write("card/Tarvo/notes.txt", "x");
    folder.write("card/Tarvo/Tarvo.cfg", "SKIN=concept\n");
    EXPECT_EQ(waitForReloads(3), 3);
    // One that writes the file in a folder of its own and moves it over the skin, and over the
    // configuration: all the watched folder sees is a file moved in.
    std::filesystem::create_directory(folder / "editor");
    const std::string written =
        folder.write("editor/Tarvo.skin", "PAGE=0\nBACKGROUND=color,FFFFFF\n");
    std::rename(written.c_str(), (folder / "card/Tarvo/skins/concept/Tarvo.skin").c_str());
    EXPECT_EQ(waitForReloads(4), 4);
    EXPECT_PIXEL(160, 120, 0xFFFFFF);
    const std::string settings = folder.write("editor/Tarvo.cfg", "SKIN=concept\nRESUME=0\n");
    std::rename(settings.c_str(), (folder / "card/Tarvo/Tarvo.cfg").c_str());
    EXPECT_EQ(waitForReloads(5), 5);
}

TEST_F(StudioTest, OverlayOutlinesThePageInTheWindowOnly)
{
    writeSkin("PAGE=0\nBUTTON=0\nTYPE=rect,20,20,99,59,0000FF\nNAVIGATION=1,1\n"
              "BUTTON=1\nTYPE=rect,200,20,299,59,00FF00\nNAVIGATION=0\n"
              "BUTTON=2\nTYPE=image,30,100,%skindir%dot.png\n"
              "BUTTON=3\nTYPE=selector,10,150,200,230\n"
              "BUTTON=4\nTYPE=preview,220,100,40,30,%skindir%dot.png\n");
    writePicture(folder / "card/Tarvo/skins/concept/dot.png", 16, 8, 0xFFFFFF00);
    open();
    EXPECT_PIXEL(60, 20, 0x0000FF);
    press("F1");
    EXPECT_PIXEL(60, 20, OVERLAY_SELECTED);
    EXPECT_PIXEL(60, 21, OVERLAY_SELECTED) << "the selected outline is two pixels wide";
    EXPECT_PIXEL(60, 22, 0x0000FF);
    EXPECT_PIXEL(23, 23, OVERLAY_SELECTED) << "the top row of the number 0";
    EXPECT_PIXEL(250, 20, OVERLAY_RECT);
    EXPECT_PIXEL(45, 107, OVERLAY_IMAGE) << "the picture's bottom-right corner";
    EXPECT_PIXEL(100, 150, OVERLAY_SELECTOR);
    EXPECT_PIXEL(259, 129, OVERLAY_PREVIEW) << "the preview box's bottom-right corner";
    EXPECT_PIXEL(223, 103, OVERLAY_PREVIEW) << "the top row of the number 4";
    const uint32_t shaded = windowPixel(100, 160);
    EXPECT_TRUE((shaded >> 8 & 0xFF) > 0x50 && (shaded >> 16 & 0xFF) < 0x20) << std::hex << shaded;
    // Left and right lead to element 1: "LR" in its bottom-right corner, L's top pixel lit.
    EXPECT_PIXEL(292, 54, OVERLAY_SELECTED);
    EXPECT_LT(windowPixel(293, 54) >> 8 & 0xFF, 0x40u);
    EXPECT_EQ(desktopShownFrame()[20 * 320 + 60], 0x001F)
        << "the launcher's frame holds no overlay";

    press("Right");
    EXPECT_PIXEL(250, 20, OVERLAY_SELECTED) << "the overlay follows the selection";
    EXPECT_PIXEL(60, 20, OVERLAY_RECT);
    press("F1");
    EXPECT_PIXEL(250, 20, 0x00FF00);
}

TEST_F(StudioTest, ScreenshotHoldsTheFrameAndReplacesNoFile)
{
    writeSkin("PAGE=0\nBACKGROUND=gradient,000000,FFFFFF\nBUTTON=0\nTYPE=rect,0,0,9,9,FFFFFF\n");
    folder.write("shots/tarvo-0001.png", "keep");
    StudioOptions options;
    options.shotsFolder = folder / "shots";
    open(options);
    press("F12");
    const std::string shot = folder / "shots/tarvo-0002.png";
    EXPECT_EQ(std::string(desktopTitle()), "Tarvo: concept, page 0, element 0 - saved " + shot);
    EXPECT_EQ(folder.read("shots/tarvo-0001.png"), "keep");

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, shot.c_str()));
    ASSERT_EQ(std::make_pair(image.width, image.height), std::make_pair(320u, 240u));
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(320 * 240 * 3);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    const uint16_t* frame = desktopShownFrame();
    for (int i = 0; i < 320 * 240; ++i) {
        const uint16_t back = static_cast<uint16_t>(
            (rgb[3 * i] >> 3) << 11 | (rgb[3 * i + 1] >> 2) << 5 | rgb[3 * i + 2] >> 3);
        ASSERT_EQ(back, frame[i]) << i;
    }
    EXPECT_EQ(rgb[0], 255) << "a full channel is full";
    EXPECT_EQ(studio->saveShot(), folder / "shots/tarvo-0003.png");

    options.shotsFolder = folder / "missing";
    Studio nowhere(launcher, options);
    EXPECT_EQ(nowhere.saveShot(), "");
    EXPECT_NE(std::string(desktopTitle()).find("not saved"), std::string::npos);
}

TEST_F(StudioTest, AHundredReloadsReleaseWhatTheyRead)
{
    writeSkin("PAGE=0\nBACKGROUND=image,%skindir%back.png\nBUTTON=0\n"
              "TYPE=image,10,10,%skindir%icon.png\nBUTTON=1\nTYPE=selector,10,60,300,230\n"
              "BUTTON=2\nTYPE=text,10,40,FFFFFF,FFFFFF,%version%\n");
    writePicture(folder / "card/Tarvo/skins/concept/back.png", 320, 240, 0x336699FF);
    writePicture(folder / "card/Tarvo/skins/concept/icon.png", 32, 32, 0xFF000080);
    open();
    for (int i = 0; i < 3; ++i)
        studio->reload();
    const size_t before = heapInUse();
    for (int i = 0; i < 100; ++i)
        studio->reload();
    EXPECT_LT(heapInUse(), before + 64 * 1024) << "from " << before;
    EXPECT_EQ(imageCache.count(), 2);
    writePicture(folder / "card/Tarvo/skins/concept/back.png", 320, 240, 0xFF0000FF);
    studio->reload();
    EXPECT_PIXEL(310, 5, 0xFF0000) << "the picture is read again";
}
