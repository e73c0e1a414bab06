// The launcher on the handheld's own binding, with plain memory standing in for the registers and
// the two frame buffers: the buttons read from the GPIO registers drive the pages, frames land in
// the buffer the display is pointed at, and the menu speed reaches the clock register. Runs on the
// computer and under qemu-arm.
#include "core/Launcher.h"

#include "platform/ClockControl.h"
#include "platform/Files.h"
#include "tests/platform/Gp2xStandIn.h"

#include <gtest/gtest.h>

namespace {

const uint32_t physical0 = Gp2xStandIn::physical0;
const uint32_t physical1 = Gp2xStandIn::physical1;

class LauncherGp2xTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gp2x.ok());
        ASSERT_TRUE(card.ok());
        setSdRoot(card.path().c_str());
        gp2x.hold(0);
    }
    void TearDown() override { setSdRoot(nullptr); }

    TempFolder card;
    Gp2xStandIn gp2x;
};

} // namespace

TEST_F(LauncherGp2xTest, ButtonsFromTheRegistersDrivePagesIntoTheShownBuffer)
{
    card.write("Tarvo/Tarvo.cfg", "SPEED_MENU=200\n");
    card.write("Tarvo/skins/concept/Tarvo.skin",
               "PAGE=0\nBACKGROUND=color,FF0000\nBUTTON=0\nACTION=page,1\n"
               "PAGE=1\nBACKGROUND=color,0000FF\nBUTTON=0\nACTION=quit\n");
    Launcher launcher;
    launcher.start();

    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(gp2x.shownAddress(), physical0);
    EXPECT_EQ(gp2x.frameBuffer0[0], 0xF800);
    EXPECT_EQ(gp2x.frameBuffer0[SCREEN_PIXELS - 1], 0xF800);
    EXPECT_EQ(gp2x.reg(ClockControl::CPU_PLL_REGISTER), 0x4904) << "SPEED_MENU after the event";
    EXPECT_FALSE(launcher.pass());

    gp2x.hold(BUTTON_B);
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(launcher.currentPageIndex(), 1);
    EXPECT_EQ(gp2x.shownAddress(), physical1);
    EXPECT_EQ(gp2x.frameBuffer1[160 * 320 + 100], 0x001F);

    // quit cannot reach the menu here: the launcher brings its display back and draws on.
    gp2x.hold(0);
    EXPECT_TRUE(launcher.pass());
    gp2x.hold(BUTTON_B);
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(gp2x.reg(0x28DA), 0x4AB);
    EXPECT_EQ(launcher.currentPageIndex(), 1);
    const std::vector<uint16_t>& shown =
        gp2x.shownAddress() == physical0 ? gp2x.frameBuffer0 : gp2x.frameBuffer1;
    EXPECT_EQ(shown[0], 0x001F);
}

TEST_F(LauncherGp2xTest, LoneDiagonalSwitchMovesNowhere)
{
    card.write("Tarvo/skins/concept/Tarvo.skin",
               "PAGE=0\nBUTTON=0\nLEFT=page,1\nUP=page,2\n"
               "PAGE=1\nBACKGROUND=color,FF0000\nPAGE=2\nBACKGROUND=color,00FF00\n");
    Launcher launcher;
    launcher.start();
    EXPECT_TRUE(launcher.pass());
    // Up-left alone reads as up and left: a diagonal, no code.
    gp2x.hold(BUTTON_UP_LEFT);
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(launcher.currentPageIndex(), 0);
    // With up held too it is not folded: up alone among the main directions.
    gp2x.hold(BUTTON_UP_LEFT | BUTTON_UP);
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(launcher.currentPageIndex(), 2);
}
