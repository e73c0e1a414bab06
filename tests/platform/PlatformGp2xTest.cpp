// The GP2X binding itself, run on plain memory standing in for the register window and the two
// frame buffers, with ordinary files standing in for the devices.
#include "platform/Platform.h"

#include "platform/ClockControl.h"
#include "platform/Gp2xSeam.h"
#include "platform/RegisterWindow.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const uint32_t physical0 = 0x0112A000; // high and low halves both non-zero and distinct
const uint32_t physical1 = 0x01FD5000;

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
        ASSERT_TRUE(devices.ok());
        ASSERT_TRUE(menu.ok());
        for (const char* name : { "fb0", "fb1", "mem", "dsp", "mixer" })
            devices.write(name, "");
        registers.assign(REGISTER_WINDOW_BYTES / 2, 0);
        frameBuffer0.assign(SCREEN_PIXELS, 0xFFFF);
        frameBuffer1.assign(SCREEN_PIXELS, 0xFFFF);
        memory.registers = registers.data();
        memory.frameBuffer0 = frameBuffer0.data();
        memory.frameBuffer1 = frameBuffer1.data();
        memory.physicalAddress0 = physical0;
        memory.physicalAddress1 = physical1;
        gp2xSetDeviceFolder(devices.path().c_str());
        gp2xSetMenuFolder(menu.path().c_str());
        gp2xUseMemory(&memory);
    }

    void TearDown() override
    {
        platformShutdown();
        gp2xUseMemory(nullptr);
        gp2xSetDeviceFolder(nullptr);
        gp2xSetMenuFolder(nullptr);
        setRegisterWindow(nullptr);
    }

    uint16_t reg(uint32_t offset) const { return registers[offset / 2]; }
    void setReg(uint32_t offset, uint16_t value) { registers[offset / 2] = value; }

    // The address the display controller was last pointed at, checked for both fields.
    uint32_t shownAddress() const
    {
        uint32_t odd = reg(0x290E) | (static_cast<uint32_t>(reg(0x2910)) << 16);
        uint32_t even = reg(0x2912) | (static_cast<uint32_t>(reg(0x2914)) << 16);
        EXPECT_EQ(odd, even);
        return odd;
    }

    ButtonMask buttonsFor(uint16_t portC, uint16_t portD, uint16_t portM)
    {
        setReg(0x1184, portC);
        setReg(0x1186, portD);
        setReg(0x1198, portM);
        return readButtons();
    }

    static bool allZero(const std::vector<uint16_t>& pixels)
    {
        for (uint16_t p : pixels)
            if (p != 0)
                return false;
        return true;
    }

    TempFolder devices;
    TempFolder menu;
    std::vector<uint16_t> registers;
    std::vector<uint16_t> frameBuffer0;
    std::vector<uint16_t> frameBuffer1;
    Gp2xMemory memory = {};
};

TEST_F(PlatformGp2xTest, InitInSixteenBitsSetsTheLayerAndClearsBothBuffers)
{
    platformInit(100, 16, 44100, 16);
    EXPECT_EQ(reg(0x28DA), 0x4AB);
    EXPECT_EQ(reg(0x290C), 640);
    EXPECT_EQ(reg(0x0F16), 0x830A);
    EXPECT_EQ(reg(0x0F58), 0x100C);
    EXPECT_TRUE(allZero(frameBuffer0));
    EXPECT_TRUE(allZero(frameBuffer1));
    // /dev/fb1's cleared buffer is on show and the launcher draws into /dev/fb0's.
    EXPECT_EQ(shownAddress(), physical1);
    EXPECT_EQ(backBuffer, frameBuffer0.data());
    EXPECT_EQ(registerWindow(), registers.data()) << "the clock shares the binding's window";
}

TEST_F(PlatformGp2xTest, PresentShowsTheDrawnBufferAndCyclesBetweenTheDevices)
{
    platformInit(100, 16, 44100, 16);
    uint16_t* start = backBuffer;
    backBuffer[0] = 0x1234;
    presentFrame();
    EXPECT_EQ(shownAddress(), physical0);
    EXPECT_EQ(frameBuffer0[0], 0x1234);
    EXPECT_EQ(backBuffer, frameBuffer1.data()) << "never the buffer on show";

    presentFrame();
    EXPECT_EQ(shownAddress(), physical1);
    EXPECT_EQ(backBuffer, start) << "two presents come back to the same device";

    presentFrame();
    presentFrame();
    EXPECT_EQ(backBuffer, start) << "four presents come back to the same slot";
    EXPECT_EQ(shownAddress(), physical1);
}

TEST_F(PlatformGp2xTest, InitInEightBitsUsesFourDistinctBuffers)
{
    platformInit(100, 8, 44100, 16);
    EXPECT_EQ(reg(0x28DA), 0x2AB);
    EXPECT_EQ(reg(0x290C), 320);
    EXPECT_EQ(shownAddress(), physical1);

    // An 8-bit frame is 76800 bytes: slots 2 and 3 lie in the upper halves.
    const int half = SCREEN_BYTES / 2 / 2;
    std::vector<uint16_t*> drawn;
    std::vector<uint32_t> shown;
    for (int i = 0; i < 4; ++i) {
        drawn.push_back(backBuffer);
        presentFrame();
        shown.push_back(shownAddress());
    }
    EXPECT_EQ(drawn, (std::vector<uint16_t*>{ frameBuffer0.data() + half, frameBuffer1.data() + half,
                                              frameBuffer0.data(), frameBuffer1.data() }));
    // What is shown is exactly what was drawn into.
    EXPECT_EQ(shown, (std::vector<uint32_t>{ physical0 + 76800, physical1 + 76800, physical0,
                                             physical1 }));
}

TEST_F(PlatformGp2xTest, ShutdownRestoresTheMenusDisplayMode)
{
    platformInit(100, 8, 44100, 16);
    platformShutdown();
    EXPECT_EQ(reg(0x28DA), 0x4AB);
    EXPECT_EQ(reg(0x290C), 640);
}

TEST_F(PlatformGp2xTest, ShutdownClosesTheDevicesButKeepsTheStandardStreams)
{
    int before = openDescriptors();
    platformInit(100, 16, 44100, 16);
    EXPECT_EQ(openDescriptors(), before + 5) << "fb0, fb1, mem, dsp, mixer";
    platformShutdown();
    EXPECT_EQ(openDescriptors(), before);
    for (int fd = 0; fd <= 2; ++fd)
        EXPECT_NE(fcntl(fd, F_GETFD), -1) << "descriptor " << fd;
    EXPECT_EQ(fflush(stdout), 0);
    EXPECT_GE(fprintf(stdout, "standard output still works\n"), 0);
}

TEST_F(PlatformGp2xTest, DevicesAreNotHandedToLaunchedPrograms)
{
    platformInit(100, 16, 44100, 16);
    int devicesSeen = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (target.rfind(devices.path(), 0) != 0)
            continue;
        ++devicesSeen;
        int fd = std::stoi(entry.path().filename().string());
        EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC) << target;
    }
    EXPECT_EQ(devicesSeen, 5);
}

TEST_F(PlatformGp2xTest, InitAgainAfterShutdownBringsTheDisplayBack)
{
    int before = openDescriptors();
    platformInit(100, 16, 44100, 16);
    platformShutdown();
    setReg(0x28DA, 0);
    setReg(0x290C, 0);
    frameBuffer0.assign(SCREEN_PIXELS, 0xABCD);
    frameBuffer1.assign(SCREEN_PIXELS, 0xABCD);

    platformInit(100, 16, 44100, 16);
    EXPECT_EQ(openDescriptors(), before + 5);
    EXPECT_EQ(reg(0x28DA), 0x4AB);
    EXPECT_EQ(reg(0x290C), 640);
    EXPECT_TRUE(allZero(frameBuffer0));
    EXPECT_TRUE(allZero(frameBuffer1));
    EXPECT_EQ(backBuffer, frameBuffer0.data());
    EXPECT_EQ(shownAddress(), physical1);
}

TEST_F(PlatformGp2xTest, ButtonMaskFromTheGpioLevels)
{
    platformInit(100, 16, 44100, 16);
    struct Case {
        uint16_t portC, portD, portM;
        ButtonMask expected;
        const char* what;
    } cases[] = {
        { 0xFFFF, 0xFFFF, 0xFFFF, 0x0, "nothing held" },
        { 0xFFFF, 0xFFFF, 0xFFFE, 0x1, "up" },
        { 0xFFFF, 0xFFFF, 0xFFFD, 0x5, "lone up-left reads as up and left" },
        { 0xFFFF, 0xFFFF, 0xFFFC, 0x3, "up-left with up is not folded" },
        { 0xFFFF, 0xFFFF, 0xFFF7, 0x14, "lone down-left reads as left and down" },
        { 0xFFFF, 0xFFFF, 0xFFDF, 0x50, "lone down-right reads as down and right" },
        { 0xFFFF, 0xFFFF, 0xFF7F, 0x41, "lone up-right reads as up and right" },
        { 0xFFFF, 0xFFFF, 0xFF5F, 0xA0, "up-right with down-right is not folded" },
        { 0xFFFF, 0xFFFF, 0x00FF, 0x0, "port M's upper lines are not buttons" },
        { 0xFCFF, 0xFFFF, 0xFFFF, 0x300, "Start and Select together" },
        { 0xDFFF, 0xFFFF, 0xFFFB, 0x2004, "B with left" },
        { 0x00FF, 0xFFFF, 0xFFFF, 0xFF00, "all eight buttons of port C" },
        { 0xFF00, 0xFFFF, 0xFFFF, 0x0, "port C's lower lines are the joystick's, not port C's" },
        { 0xFFFF, 0xFFBF, 0xFFFF, 0x400000, "volume down" },
        { 0xFFFF, 0xFF7F, 0xFFFF, 0x800000, "volume up" },
        { 0xFFFF, 0xF7FF, 0xFFFF, 0x8000000, "stick push" },
        { 0xFFFF, 0x0000, 0xFFFF, 0xFFFF0000, "every port D line" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(buttonsFor(c.portC, c.portD, c.portM), c.expected) << c.what;
}

TEST_F(PlatformGp2xTest, ClockSettingsReachTheBindingsWindow)
{
    platformInit(100, 16, 44100, 16);
    ClockControl clock;
    ASSERT_TRUE(clock.applySpeed(0, 0, 200));
    EXPECT_EQ(reg(0x0910), 0x4904);
    EXPECT_EQ(reg(0x0924), 0x5A00);
    // Launching applies its speed after the shutdown: the window is still there.
    platformShutdown();
    ASSERT_TRUE(clock.applySpeed(0, 0, 133));
    EXPECT_EQ(reg(0x0910), 0x2E04);
}

TEST_F(PlatformGp2xTest, MissingDeviceEndsTheLauncherNamingIt)
{
    std::filesystem::remove(devices / "fb1");
    EXPECT_EXIT(platformInit(100, 16, 44100, 16), ::testing::ExitedWithCode(1),
                "^Tarvo: cannot open .*/fb1: No such file or directory\n$");
}

TEST_F(PlatformGp2xTest, UnmappableMemoryDeviceEndsTheLauncherNamingIt)
{
    gp2xUseMemory(nullptr);
    std::filesystem::remove(devices / "mem");
    ASSERT_EQ(mkfifo((devices / "mem").c_str(), 0600), 0);
    EXPECT_EXIT(platformInit(100, 16, 44100, 16), ::testing::ExitedWithCode(1),
                "^Tarvo: cannot map .*/mem: .+\n$");
}

TEST_F(PlatformGp2xTest, FrameBufferThatCannotBeQueriedEndsTheLauncherNamingIt)
{
    // An ordinary file maps, but it is no frame buffer: the query fails before any register or
    // pixel is written through the mappings.
    gp2xUseMemory(nullptr);
    EXPECT_EXIT(platformInit(100, 16, 44100, 16), ::testing::ExitedWithCode(1),
                "^Tarvo: cannot query .*/fb0: .+\n$");
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
    EXPECT_EQ(record.substr(0, record.find("open")),
              menu.path() + "\ngp2xmenu 0\n");
    EXPECT_NE(record.find("open0\nopen1\nopen2\n"), std::string::npos) << record;
    EXPECT_EQ(record.find(devices.path()), std::string::npos) << "no device reached the menu";
}

TEST_F(PlatformGp2xTest, ReturnToMenuComesBackWhenTheMenuCannotStart)
{
    int before = openDescriptors();
    std::string directory = std::filesystem::current_path().string();
    platformInit(100, 16, 44100, 16);
    returnToMenu(); // no gp2xmenu in the menu folder
    EXPECT_EQ(openDescriptors(), before) << "the platform is shut down";
    EXPECT_EQ(std::filesystem::current_path().string(), directory);
    EXPECT_EQ(reg(0x28DA), 0x4AB);

    gp2xSetMenuFolder((menu / "missing").c_str());
    platformInit(100, 16, 44100, 16);
    returnToMenu();
    EXPECT_EQ(openDescriptors(), before);
}

} // namespace
