// launchProgram when the program cannot start: the launch speed was applied, and the working
// folder, the battery device and the platform are brought back. The programs that do start are
// played in the case folders (tests/cases/launcher-exec-*).
#include "core/Launch.h"
#include "core/ProcessObjects.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "tests/platform/TempFolder.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

TEST(LaunchTest, FailedStartBringsEverythingBack)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    setSdRoot((folder / "card").c_str());
    folder.write("card/emu/readme", "a folder to change into");
    bringUpPlatform();
    useBatteryDevice(folder.write("battery", std::string("\x05\x00\x06\x00", 4)).c_str());
    ASSERT_EQ(batteryReader.read(), 5);
    variableStore.setValues("SPEED_LAUNCH", WString::Array("250", static_cast<char*>(0)));
    std::filesystem::path before = std::filesystem::current_path();
    backBuffer[0] = 0x1234;

    testing::internal::CaptureStdout();
    EXPECT_EQ(
        launchProgram(WString::Array("exec", "/mnt/sd/emu/", "./missing", static_cast<char*>(0))),
        ENOENT)
        << "the reason, for the notice";
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Could not start ./missing: No such file or directory\n");
    EXPECT_EQ(std::filesystem::current_path(), before) << "the launcher's working folder again";
    EXPECT_EQ(clockControl.cpuMHz(), 250) << "SPEED_LAUNCH applies before the start";
    EXPECT_EQ(batteryReader.read(), 5) << "the battery device was opened again";
    EXPECT_EQ(backBuffer[0], 0) << "the platform was brought up again";
    useBatteryDevice("/dev/batt");
    setSdRoot(nullptr);
}
