// launchProgram: the argument table, the working directory, the launch speed, and what happens
// when the program cannot start. Launches that succeed replace the process, so they run in a
// child.
#include "core/Launch.h"

#include "core/ProcessObjects.h"
#include "platform/Files.h"
#include "platform/HeadlessControl.h"
#include "platform/Platform.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

namespace {

const char recorderScript[] =
    "#!/bin/sh\n{ pwd; printf '%s\\n' \"$0\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; }"
    " > \"$TARVO_RECORD\"\n";

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.ok());
        record = folder / "record";
        setenv("TARVO_RECORD", record.c_str(), 1);
        folder.write("card/emu/emu", recorderScript, 0755);
        setSdRoot((folder / "card").c_str());
        platformInit(100, 16, 44100, 16);
    }
    void TearDown() override
    {
        setSdRoot(nullptr);
        variableStore.remove("SPEED_LAUNCH");
    }

    // Runs the launch in a child; the exit status of whatever the child became (99 when the
    // launch returned).
    int launchInChild(const WString::Array& words, const std::string& directory = "")
    {
        fflush(nullptr);
        pid_t child = fork();
        if (child == 0) {
            if (!directory.empty() && chdir(directory.c_str()) != 0)
                _exit(98);
            launchProgram(words);
            _exit(99);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::vector<std::string> recorded() const
    {
        std::istringstream lines(folder.read("record"));
        std::vector<std::string> result;
        std::string line;
        while (std::getline(lines, line))
            result.push_back(line);
        return result;
    }

    TempFolder folder;
    std::string record;
};

} // namespace

TEST_F(LaunchTest, ProgramRunsInItsDirectoryWithItsArgumentsUpToAWordWithoutText)
{
    WString::Array words("exec", "/mnt/sd/emu/", "./emu", "game.rom", static_cast<char*>(0));
    words.append(WString());
    words.append("three");
    EXPECT_EQ(launchInChild(words), 0);
    EXPECT_EQ(recorded(), (std::vector<std::string>{folder / "card/emu", "./emu", "game.rom"}));
}

TEST_F(LaunchTest, EmptyDirectoryKeepsTheWorkingDirectoryAndSearchesThePath)
{
    WString::Array words("exec", "", "sh", "-c", "pwd > \"$TARVO_RECORD\"", static_cast<char*>(0));
    EXPECT_EQ(launchInChild(words, folder.path()), 0);
    EXPECT_EQ(recorded(), (std::vector<std::string>{folder.path()}));
}

TEST_F(LaunchTest, MoreThan255ProgramWordsAreCut)
{
    WString::Array words("exec", "/mnt/sd/emu/", "./emu", static_cast<char*>(0));
    for (int i = 1; i <= 400; ++i)
        words.append(WString().format("a%d", i));
    EXPECT_EQ(launchInChild(words), 0);
    std::vector<std::string> lines = recorded();
    // The working directory, the program and 254 arguments.
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(lines[1], "./emu");
    EXPECT_EQ(lines[2], "a1");
    EXPECT_EQ(lines.back(), "a254");
}

TEST_F(LaunchTest, FewerThanThreeWordsStartNothing)
{
    std::string battery = folder.write("battery", std::string("\x01\x00\x02\x00", 4));
    useBatteryDevice(battery.c_str());
    ASSERT_TRUE(batteryReader.isOpen());
    testing::internal::CaptureStdout();
    launchProgram(WString::Array("exec", "/mnt/sd/emu/", static_cast<char*>(0)));
    launchProgram(WString::Array("exec", static_cast<char*>(0)));
    WString::Array nullProgram("exec", "/mnt/sd/emu/", static_cast<char*>(0));
    nullProgram.append(WString());
    launchProgram(nullProgram);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(batteryReader.isOpen()) << "nothing was shut down";
    EXPECT_EQ(batteryReader.read(), 1);
    useBatteryDevice("/dev/batt");
}

TEST_F(LaunchTest, FailedStartReportsAndBringsEverythingBack)
{
    std::string battery = folder.write("battery", std::string("\x05\x00\x06\x00", 4));
    useBatteryDevice(battery.c_str());
    ASSERT_EQ(batteryReader.read(), 5);
    variableStore.setValues("SPEED_LAUNCH", WString::Array("250", static_cast<char*>(0)));
    char* before = getcwd(nullptr, 0);
    ASSERT_NE(before, nullptr);
    backBuffer[0] = 0x1234;

    testing::internal::CaptureStdout();
    launchProgram(WString::Array("exec", "/mnt/sd/emu/", "./missing", "x", static_cast<char*>(0)));
    std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(out, "Could not start ./missing: No such file or directory\n");
    char* after = getcwd(nullptr, 0);
    ASSERT_NE(after, nullptr);
    EXPECT_STREQ(after, before) << "the working directory is the launcher's again";
    free(before);
    free(after);
    EXPECT_EQ(clockControl.cpuMHz(), 250) << "SPEED_LAUNCH applies before the start";
    // The battery device was closed and opened again: it reads from the start.
    EXPECT_TRUE(batteryReader.isOpen());
    EXPECT_EQ(batteryReader.read(), 5);
    // The platform was brought up again: a cleared back buffer.
    EXPECT_EQ(backBuffer[0], 0);
    useBatteryDevice("/dev/batt");
}
