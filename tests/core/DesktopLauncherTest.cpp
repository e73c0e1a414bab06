// The launcher on the desktop backend, as tarvo-desktop runs it: the start page in the window,
// keys turned into page actions, and the window following the page.
#include "core/Launcher.h"
#include "platform/DesktopControl.h"
#include "platform/Files.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

namespace {

uint32_t windowPixel(int x, int y)
{
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    bool captured = desktopCaptureWindow(&pixels, &width, &height) && width == 320;
    return captured && height == 240 ? pixels[static_cast<std::size_t>(y * 320 + x)] : 0xDEADBEEF;
}

} // namespace

TEST(DesktopLauncherTest, KeysSwitchPagesInTheWindow)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    folder.write("card/Tarvo/skins/concept/Tarvo.skin",
                 "PAGE=0\nBACKGROUND=color,FF0000\nBUTTON=0\nACTION=page,1\n"
                 "PAGE=1\nBACKGROUND=color,0000FF\nBUTTON=0\nLEFT=page,0\n");
    setSdRoot((folder / "card").c_str());
    desktopSetScale(1);

    Launcher launcher;
    launcher.start();
    EXPECT_TRUE(launcher.pass()) << "the first pass is an event";
    EXPECT_EQ(windowPixel(160, 120), 0xFF0000u);

    ASSERT_TRUE(desktopPushKey("Return", true));
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(windowPixel(0, 0), 0x0000FFu);
    ASSERT_TRUE(desktopPushKey("Return", false));
    ASSERT_TRUE(desktopPushKey("Left", true));
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(windowPixel(319, 239), 0xFF0000u);
    platformShutdown();
    setSdRoot(nullptr);
}
