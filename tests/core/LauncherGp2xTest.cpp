// The launcher on the handheld's own binding, with plain memory standing in for the registers and
// the two frame buffers: the buttons read from the GPIO registers drive the pages, frames land in
// the buffer the display is pointed at, and the menu speed reaches the clock register. Runs on the
// computer and under qemu-arm.
#include "core/Launcher.h"

#include "platform/ClockControl.h"
#include "platform/Files.h"
#include "platform/Gp2xSeam.h"
#include "platform/RegisterWindow.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const uint32_t physical0 = 0x0112A000;
const uint32_t physical1 = 0x01FD5000;

class LauncherGp2xTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(devices.ok());
        ASSERT_TRUE(card.ok());
        for (const char* name : { "fb0", "fb1", "mem", "dsp", "mixer" })
            devices.write(name, "");
        registers.assign(REGISTER_WINDOW_BYTES / 2, 0);
        frameBuffer0.assign(SCREEN_PIXELS, 0x1234);
        frameBuffer1.assign(SCREEN_PIXELS, 0x1234);
        memory.registers = registers.data();
        memory.frameBuffer0 = frameBuffer0.data();
        memory.frameBuffer1 = frameBuffer1.data();
        memory.physicalAddress0 = physical0;
        memory.physicalAddress1 = physical1;
        gp2xSetDeviceFolder(devices.path().c_str());
        // An empty folder: the menu program cannot start.
        gp2xSetMenuFolder(devices.path().c_str());
        gp2xUseMemory(&memory);
        setSdRoot(card.path().c_str());
        hold(0);
    }

    void TearDown() override
    {
        platformShutdown();
        gp2xUseMemory(nullptr);
        gp2xSetDeviceFolder(nullptr);
        gp2xSetMenuFolder(nullptr);
        setRegisterWindow(nullptr);
        setSdRoot(nullptr);
    }

    uint16_t reg(uint32_t offset) const { return registers[offset / 2]; }

    // The GPIO lines read 0 while their button is held.
    void hold(ButtonMask buttons)
    {
        registers[0x1184 / 2] = static_cast<uint16_t>(~buttons & 0xFF00);
        registers[0x1186 / 2] = static_cast<uint16_t>(~(buttons >> 16));
        registers[0x1198 / 2] = static_cast<uint16_t>(~buttons & 0xFF);
    }

    uint32_t shownAddress() const
    {
        return reg(0x290E) | (static_cast<uint32_t>(reg(0x2910)) << 16);
    }

    TempFolder devices;
    TempFolder card;
    std::vector<uint16_t> registers;
    std::vector<uint16_t> frameBuffer0;
    std::vector<uint16_t> frameBuffer1;
    Gp2xMemory memory;
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
    EXPECT_EQ(shownAddress(), physical0);
    EXPECT_EQ(frameBuffer0[0], 0xF800);
    EXPECT_EQ(frameBuffer0[SCREEN_PIXELS - 1], 0xF800);
    EXPECT_EQ(reg(ClockControl::CPU_PLL_REGISTER), 0x4904) << "SPEED_MENU after the event";
    EXPECT_FALSE(launcher.pass());

    hold(BUTTON_B);
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(launcher.currentPageIndex(), 1);
    EXPECT_EQ(shownAddress(), physical1);
    EXPECT_EQ(frameBuffer1[160 * 320 + 100], 0x001F);

    // quit cannot reach the menu here: the launcher brings its display back and draws on.
    hold(0);
    EXPECT_TRUE(launcher.pass());
    hold(BUTTON_B);
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(reg(0x28DA), 0x4AB);
    EXPECT_EQ(launcher.currentPageIndex(), 1);
    const std::vector<uint16_t>& shown = shownAddress() == physical0 ? frameBuffer0 : frameBuffer1;
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
    hold(BUTTON_UP_LEFT);
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(launcher.currentPageIndex(), 0);
    // With up held too it is not folded: up alone among the main directions.
    hold(BUTTON_UP_LEFT | BUTTON_UP);
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(launcher.currentPageIndex(), 2);
}
