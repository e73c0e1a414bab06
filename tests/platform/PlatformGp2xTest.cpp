// The GP2X binding on plain memory standing in for the register window and the two frame buffers,
// with ordinary files for the devices; and the clock settings written through its window.
#include "Gp2xStandIn.h"
#include "platform/ClockControl.h"

#include <filesystem>
#include <gtest/gtest.h>

class PlatformGp2xTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gp2x.ok()); }
    std::pair<int, int> regs(uint32_t first, uint32_t second) const
    {
        return {gp2x.reg(first), gp2x.reg(second)};
    }

    Gp2xStandIn gp2x;
    const uint32_t physical0 = Gp2xStandIn::physical0, physical1 = Gp2xStandIn::physical1;
};

// Each present shows the buffer just drawn into and cycles four slots, alternating between the
// devices; an 8-bit frame is half the size, and the first two slots after the init lie in the
// upper halves. Shutting down gives the menu its 16-bit display mode back, and a new init brings
// the display back.
TEST_F(PlatformGp2xTest, InitPresentAndShutdownInSixteenAndEightBits)
{
    // Depth, layer control, layer width, and the byte offset of slots 0 and 1.
    const int depths[][4] = {{16, 0x4AB, 640, 0}, {8, 0x2AB, 320, SCREEN_BYTES / 2}};
    for (const auto& [bits, control, width, upper] : depths) {
        gp2x.frameBuffer1[SCREEN_PIXELS - 1] = 0xABCD; // drawn before the init
        platformInit(100, bits, 44100, 16);
        EXPECT_EQ(regs(0x0F16, 0x0F58), std::make_pair(0x830A, 0x100C));
        EXPECT_EQ(regs(0x28DA, 0x290C), std::make_pair(control, width));
        EXPECT_EQ(gp2x.frameBuffer0, std::vector<uint16_t>(SCREEN_PIXELS, 0));
        EXPECT_EQ(gp2x.frameBuffer1, gp2x.frameBuffer0);
        EXPECT_EQ(gp2x.shownAddress(), physical1) << "/dev/fb1's cleared buffer is on show";
        for (int slot = 0; slot < 4; ++slot) {
            const int offset = slot < 2 ? upper : 0;
            EXPECT_EQ(backBuffer,
                      (slot % 2 ? gp2x.frameBuffer1 : gp2x.frameBuffer0).data() + offset / 2);
            presentFrame();
            EXPECT_EQ(gp2x.shownAddress(), (slot % 2 ? physical1 : physical0) + offset) << slot;
        }
        platformShutdown();
        EXPECT_EQ(regs(0x28DA, 0x290C), std::make_pair(0x4AB, 640));
    }
}

TEST_F(PlatformGp2xTest, ButtonMaskFromTheGpioLevels)
{
    platformInit(100, 16, 44100, 16);
    // Held, then read. Each lone diagonal reads as its two neighbours, a diagonal with another line
    // (Y, up-left and up) is left alone; the halves of ports C and M without buttons, which hold()
    // leaves at 1, are ignored.
    const std::pair<ButtonMask, ButtonMask> cases[] = {
        {0x00000002, 0x00000005}, {0x00000008, 0x00000014}, {0x00000020, 0x00000050},
        {0x00000080, 0x00000041}, {0x00008003, 0x00008003}, {0xFFFF0000, 0xFFFF0000}};
    for (const auto& [held, expected] : cases) {
        gp2x.hold(held);
        EXPECT_EQ(readButtons(), expected) << std::hex << held;
    }
}

// The launcher plays no sound: without its sound devices it starts all the same.
TEST_F(PlatformGp2xTest, TheSoundDevicesAreOptionalTheDisplayIsNot)
{
    std::filesystem::remove(gp2x.devices / "dsp");
    std::filesystem::remove(gp2x.devices / "mixer");
    platformInit(100, 16, 44100, 16);
    platformShutdown();
    std::filesystem::remove(gp2x.devices / "fb1");
    EXPECT_EXIT(platformInit(100, 16, 44100, 16), ::testing::ExitedWithCode(1),
                "^Tarvo: cannot open .*/fb1: No such file or directory\n$");
}

// A launch applies its speed after the shutdown: the settings still reach the binding's window.
TEST_F(PlatformGp2xTest, ClockSettingsWriteTheirPllAndDisplayClockValues)
{
    platformInit(100, 16, 44100, 16);
    platformShutdown();
    // Select, offset, MHz, then the PLL (slightly below the MHz asked for) and the display clock,
    // whose offset adds to its high byte modulo 256; out of range, nothing is written.
    const int cases[][5] = {{0, 0, 33, 0x0504, 0x5A00},  {0, 0, 320, 0x7A04, 0x5A00},
                            {7, 2, 200, 0x4904, 0x8B00}, {1, -138, 200, 0x4904, 0xFF00},
                            {0, 0, 32, 0xBEEF, 0xBEEF},  {0, 0, 321, 0xBEEF, 0xBEEF}};
    for (const auto& c : cases) {
        ClockControl clock;
        WString::Array words, mhz; // MHz, select and offset, read as atoi reads them
        for (int i : {2, 0, 1})
            words.append(WString((std::to_string(c[i]) + "MHz").c_str()));
        mhz.append(words[0]);
        std::pair<int, int> expected(c[3], c[4]);
        for (const WString::Array* setting : {&words, &words, &mhz}) {
            gp2x.setReg(ClockControl::CPU_PLL_REGISTER, 0xBEEF);
            gp2x.setReg(ClockControl::DISPLAY_CLOCK_REGISTER, 0xBEEF);
            EXPECT_EQ(clock.setSpeed(*setting), c[3] != 0xBEEF) << c[2];
            EXPECT_EQ(regs(0x0910, 0x0924), expected) << c[0] << " " << c[1];
            // Applied again, or as the MHz alone that keeps the display fields: nothing is written.
            expected = {0xBEEF, 0xBEEF};
        }
    }
}

TEST_F(PlatformGp2xTest, ReturnToMenuStartsTheMenuInItsFolderOrComesBackShutDown)
{
    const std::string home = std::filesystem::current_path().string();
    platformInit(100, 8, 44100, 16);
    returnToMenu(); // the device folder holds no gp2xmenu
    EXPECT_EQ(regs(0x28DA, 0x290C), std::make_pair(0x4AB, 640)) << "shut down";
    EXPECT_EQ(std::filesystem::current_path().string(), home);
    // The menu records its folder, its name and argument count, and the files it was handed.
    gp2x.devices.write("gp2xmenu", "#!/bin/sh\n{ pwd; echo $0 $#; ls -l /proc/$$/fd; } >started\n",
                       0755);
    EXPECT_EXIT(returnToMenu(), ::testing::ExitedWithCode(0), "");
    std::string record = gp2x.devices.read("started");
    EXPECT_EQ(record.rfind(gp2x.devices.path() + "\ngp2xmenu 0\n", 0), 0u) << record;
    // The launcher's folder stays behind.
    EXPECT_EQ(record.find("-> " + home + "\n"), record.npos) << record;
}
