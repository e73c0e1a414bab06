// The GP2X binding itself, run on plain memory standing in for the register window and the two
// frame buffers, with ordinary files standing in for the devices.
#include "platform/Platform.h"

#include "platform/ClockControl.h"

#include "Gp2xStandIn.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const uint32_t physical0 = Gp2xStandIn::physical0;
const uint32_t physical1 = Gp2xStandIn::physical1;

int openDescriptors()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(dir))
            count += entry->d_name[0] != '.';
        closedir(dir);
    }
    return count;
}

class PlatformGp2xTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gp2x.ok());
        ASSERT_TRUE(menu.ok());
        gp2xSetMenuFolder(menu.path().c_str());
    }

    uint16_t reg(uint32_t offset) const { return gp2x.reg(offset); }

    // The display as platformInit() in 16 bits leaves it.
    void expectSixteenBitDisplay()
    {
        EXPECT_EQ(reg(0x28DA), 0x4AB);
        EXPECT_EQ(reg(0x290C), 640);
        const std::vector<uint16_t> cleared(SCREEN_PIXELS, 0);
        EXPECT_TRUE(gp2x.frameBuffer0 == cleared && gp2x.frameBuffer1 == cleared);
        // /dev/fb1's cleared buffer is on show and the launcher draws into /dev/fb0's.
        EXPECT_EQ(gp2x.shownAddress(), physical1);
        EXPECT_EQ(backBuffer, gp2x.frameBuffer0.data());
    }

    Gp2xStandIn gp2x;
    TempFolder menu;
};

TEST_F(PlatformGp2xTest, InitInSixteenBitsSetsTheLayerAndClearsBothBuffers)
{
    platformInit(100, 16, 44100, 16);
    expectSixteenBitDisplay();
    EXPECT_EQ(reg(0x0F16), 0x830A);
    EXPECT_EQ(reg(0x0F58), 0x100C);
    EXPECT_EQ(registerWindow(), gp2x.registers.data()) << "the clock shares the binding's window";
}

// Each present shows the buffer just drawn into (never the one drawn next) and cycles four slots.
TEST_F(PlatformGp2xTest, PresentCyclesTheSlotsInSixteenAndEightBits)
{
    uint16_t* fb0 = gp2x.frameBuffer0.data();
    uint16_t* fb1 = gp2x.frameBuffer1.data();
    auto cycle = [&](std::vector<std::pair<uint16_t*, uint32_t>> slots) {
        for (const auto& [drawn, shown] : slots) {
            EXPECT_EQ(backBuffer, drawn);
            presentFrame();
            EXPECT_EQ(gp2x.shownAddress(), shown);
        }
    };
    platformInit(100, 16, 44100, 16);
    backBuffer[0] = 0x1234;
    cycle({{fb0, physical0}, {fb1, physical1}, {fb0, physical0}, {fb1, physical1}});
    EXPECT_EQ(gp2x.frameBuffer0[0], 0x1234);
    platformShutdown();

    // An 8-bit frame is 76800 bytes: slots 2 and 3 lie in the upper halves.
    platformInit(100, 8, 44100, 16);
    EXPECT_EQ(reg(0x28DA), 0x2AB);
    EXPECT_EQ(reg(0x290C), 320);
    EXPECT_EQ(gp2x.shownAddress(), physical1);
    const int half = SCREEN_PIXELS / 2; // 76800 bytes
    cycle({{fb0 + half, physical0 + 76800},
           {fb1 + half, physical1 + 76800},
           {fb0, physical0},
           {fb1, physical1}});
    platformShutdown();
    EXPECT_EQ(reg(0x28DA), 0x4AB) << "the menu's display mode is back";
    EXPECT_EQ(reg(0x290C), 640);
}

TEST_F(PlatformGp2xTest, DevicesAreClosedOnExecAndAtShutdownAndTheStandardStreamsStay)
{
    int before = openDescriptors();
    platformInit(100, 16, 44100, 16);
    int devicesSeen = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (target.rfind(gp2x.devices.path(), 0) != 0)
            continue;
        ++devicesSeen;
        EXPECT_TRUE(fcntl(std::stoi(entry.path().filename()), F_GETFD) & FD_CLOEXEC) << target;
    }
    EXPECT_EQ(devicesSeen, 5) << "fb0, fb1, mem, dsp, mixer";
    platformShutdown();
    EXPECT_EQ(openDescriptors(), before);
    for (int fd = 0; fd <= 2; ++fd)
        EXPECT_NE(fcntl(fd, F_GETFD), -1) << "descriptor " << fd;
    EXPECT_GE(fprintf(stdout, "standard output still works\n"), 0);
}

TEST_F(PlatformGp2xTest, InitAgainAfterShutdownBringsTheDisplayBack)
{
    int before = openDescriptors();
    platformInit(100, 16, 44100, 16);
    platformShutdown();
    gp2x.setReg(0x28DA, 0);
    gp2x.setReg(0x290C, 0);
    gp2x.frameBuffer0.assign(SCREEN_PIXELS, 0xABCD);
    gp2x.frameBuffer1.assign(SCREEN_PIXELS, 0xABCD);
    platformInit(100, 16, 44100, 16);
    EXPECT_EQ(openDescriptors(), before + 5);
    expectSixteenBitDisplay();
}

TEST_F(PlatformGp2xTest, ButtonMaskFromTheGpioLevels)
{
    platformInit(100, 16, 44100, 16);
    const struct {
        uint16_t portC, portD, portM;
        ButtonMask expected;
        const char* what;
    } cases[] = {
        {0xFFFF, 0xFFFF, 0xFFFF, 0x0, "nothing held"},
        {0xFFFF, 0xFFFF, 0xFFFE, 0x1, "up"},
        {0xFFFF, 0xFFFF, 0xFFFD, 0x5, "lone up-left reads as up and left"},
        {0xFFFF, 0xFFFF, 0xFFFC, 0x3, "up-left with up is not folded"},
        {0xFFFF, 0xFFFF, 0xFFF7, 0x14, "lone down-left reads as left and down"},
        {0xFFFF, 0xFFFF, 0xFFDF, 0x50, "lone down-right reads as down and right"},
        {0xFFFF, 0xFFFF, 0xFF7F, 0x41, "lone up-right reads as up and right"},
        {0xFFFF, 0xFFFF, 0xFF5F, 0xA0, "up-right with down-right is not folded"},
        {0xFFFF, 0xFFFF, 0x00FF, 0x0, "port M's upper lines are not buttons"},
        {0xFCFF, 0xFFFF, 0xFFFF, 0x300, "Start and Select together"},
        {0xDFFF, 0xFFFF, 0xFFFB, 0x2004, "B with left"},
        {0x00FF, 0xFFFF, 0xFFFF, 0xFF00, "all eight buttons of port C"},
        {0xFF00, 0xFFFF, 0xFFFF, 0x0, "port C's lower lines are the joystick's, not port C's"},
        {0xFFFF, 0xFFBF, 0xFFFF, 0x400000, "volume down"},
        {0xFFFF, 0xFF7F, 0xFFFF, 0x800000, "volume up"},
        {0xFFFF, 0xF7FF, 0xFFFF, 0x8000000, "stick push"},
        {0xFFFF, 0x0000, 0xFFFF, 0xFFFF0000, "every port D line"},
    };
    for (const auto& c : cases) {
        gp2x.setReg(0x1184, c.portC);
        gp2x.setReg(0x1186, c.portD);
        gp2x.setReg(0x1198, c.portM);
        EXPECT_EQ(readButtons(), c.expected) << c.what;
    }
}

TEST_F(PlatformGp2xTest, ClockSettingsReachTheBindingsWindowEvenAfterShutdown)
{
    platformInit(100, 16, 44100, 16);
    platformShutdown(); // launching applies its speed after the shutdown
    ClockControl clock;
    ASSERT_TRUE(clock.applySpeed(0, 0, 133));
    EXPECT_EQ(reg(0x0910), 0x2E04);
}

TEST_F(PlatformGp2xTest, DeviceFailureEndsTheLauncherWithOneLineNamingIt)
{
    // An ordinary file maps, but it is no frame buffer: the query fails before any register or
    // pixel is written through the mappings.
    gp2xUseMemory(nullptr);
    EXPECT_EXIT(platformInit(100, 16, 44100, 16), ::testing::ExitedWithCode(1),
                "^Tarvo: cannot query .*/fb0: .+\n$");
    std::filesystem::remove(gp2x.devices / "mem");
    ASSERT_EQ(mkfifo((gp2x.devices / "mem").c_str(), 0600), 0);
    EXPECT_EXIT(platformInit(100, 16, 44100, 16), ::testing::ExitedWithCode(1),
                "^Tarvo: cannot map .*/mem: .+\n$");
    gp2xUseMemory(&gp2x.memory);
    std::filesystem::remove(gp2x.devices / "fb1");
    EXPECT_EXIT(platformInit(100, 16, 44100, 16), ::testing::ExitedWithCode(1),
                "^Tarvo: cannot open .*/fb1: No such file or directory\n$");
}

TEST_F(PlatformGp2xTest, ReturnToMenuStartsTheMenuInItsFolderWithTheStreamsOpen)
{
    // The stand-in records how it was started: folder, own name, argument count, and whether the
    // launcher's standard streams and devices reached it.
    menu.write("gp2xmenu",
               "#!/bin/sh\n"
               "{ pwd; echo \"$0 $#\";\n"
               "  for fd in 0 1 2; do [ -e /proc/$$/fd/$fd ] && echo open$fd; done;\n"
               "  for f in /proc/$$/fd/*; do readlink \"$f\"; done; } > started.txt\n"
               "exit 0\n",
               0755);
    platformInit(100, 16, 44100, 16);
    EXPECT_EXIT(returnToMenu(), ::testing::ExitedWithCode(0), "");
    std::string record = menu.read("started.txt");
    EXPECT_EQ(record.substr(0, record.find("open")), menu.path() + "\ngp2xmenu 0\n");
    EXPECT_NE(record.find("open0\nopen1\nopen2\n"), std::string::npos) << record;
    EXPECT_EQ(record.find(gp2x.devices.path()), std::string::npos) << "no device reached the menu";
}

TEST_F(PlatformGp2xTest, ReturnToMenuComesBackShutDownWhenTheMenuCannotStart)
{
    int before = openDescriptors();
    std::string directory = std::filesystem::current_path().string();
    for (std::string folder : {menu.path(), menu / "missing"}) {
        SCOPED_TRACE(folder);
        gp2xSetMenuFolder(folder.c_str());
        platformInit(100, 16, 44100, 16);
        returnToMenu(); // no gp2xmenu there
        EXPECT_EQ(openDescriptors(), before) << "the platform is shut down";
        EXPECT_EQ(std::filesystem::current_path().string(), directory);
        EXPECT_EQ(reg(0x28DA), 0x4AB);
    }
}

} // namespace
