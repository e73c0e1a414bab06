// The launcher on the handheld's own binding, with plain memory standing in for the registers and
// the two frame buffers: the buttons read from the GPIO registers drive the pages, frames land in
// the buffer the display is pointed at, and the menu speed reaches the clock register after every
// event. Runs on the computer and under qemu-arm.
#include "core/Launcher.h"
#include "core/ProcessObjects.h"
#include "platform/ClockControl.h"
#include "platform/Files.h"
#include "tests/platform/Gp2xStandIn.h"

#include <algorithm>
#include <gtest/gtest.h>

TEST(LauncherGp2xTest, ButtonsFromTheRegistersDrivePagesIntoTheShownBuffer)
{
    // Copies: the comparisons take their arguments by reference.
    const uint32_t physical0 = Gp2xStandIn::physical0, physical1 = Gp2xStandIn::physical1;
    TempFolder card;
    Gp2xStandIn gp2x;
    ASSERT_TRUE(gp2x.ok());
    ASSERT_TRUE(card.ok());
    setSdRoot(card.path().c_str());
    gp2x.hold(0);
    testing::internal::CaptureStdout();
    card.write("Tarvo/Tarvo.cfg", "SPEED_MENU=200\n");
    card.write("Tarvo/skins/concept/Tarvo.skin",
               "PAGE=0\nBACKGROUND=color,FF0000\nBUTTON=0\nACTION=page,1\n"
               "PAGE=1\nBACKGROUND=color,0000FF\nBUTTON=0\nACTION=quit\n");
    Launcher launcher;
    launcher.start();

    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(gp2x.shownAddress(), physical0);
    EXPECT_EQ(gp2x.reg(ClockControl::CPU_PLL_REGISTER), 0x4904) << "SPEED_MENU after the event";
    EXPECT_FALSE(launcher.pass());

    // Something else changes the speed; the next event puts the menu speed back.
    clockControl.applySpeed(0, 0, 100);
    gp2x.hold(BUTTON_B);
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(gp2x.reg(ClockControl::CPU_PLL_REGISTER), 0x4904);
    EXPECT_EQ(launcher.currentPageIndex(), 1);
    EXPECT_EQ(gp2x.shownAddress(), physical1);

    // quit cannot reach the menu here: the launcher brings its display back (both buffers
    // cleared) and shows the page again in the same pass.
    gp2x.hold(0);
    EXPECT_TRUE(launcher.pass());
    std::fill(gp2x.frameBuffer0.begin(), gp2x.frameBuffer0.end(), 0x1234);
    std::fill(gp2x.frameBuffer1.begin(), gp2x.frameBuffer1.end(), 0x1234);
    gp2x.hold(BUTTON_B);
    EXPECT_TRUE(launcher.pass());
    bool showsBuffer0 = gp2x.shownAddress() == physical0;
    EXPECT_EQ((showsBuffer0 ? gp2x.frameBuffer0 : gp2x.frameBuffer1)[0], 0x001F);
    EXPECT_EQ((showsBuffer0 ? gp2x.frameBuffer1 : gp2x.frameBuffer0)[0], 0);
    // The binding identified itself at the start, and not again when it came back.
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Tarvo platform layer: GP2X binding 0.4\nAction is quit\n");
    setSdRoot(nullptr);
}
