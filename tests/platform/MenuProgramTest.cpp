// The computer's stand-in for the handheld's menu program: how it is started, and what happens
// when it cannot be.
#include "platform/MenuProgram.h"

#include "platform/Files.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

const char recordingMenu[] = "#!/bin/sh\necho \"$(pwd) $0 $#\" > started.txt\n";

class MenuProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.ok());
        home = std::filesystem::current_path().string();
    }
    void TearDown() override
    {
        setMenuProgram(nullptr);
        setSdRoot(nullptr);
        ASSERT_EQ(chdir(home.c_str()), 0);
    }

    // The message startMenuProgram() printed, or "<started>" if it did not come back.
    std::string failureOf(const std::string& program)
    {
        setMenuProgram(program.c_str());
        ::testing::internal::CaptureStderr();
        startMenuProgram();
        return ::testing::internal::GetCapturedStderr();
    }

    TempFolder folder;
    std::string home;
};

TEST_F(MenuProgramTest, WithoutAProgramTheLauncherEndsWithStatusZero)
{
    EXPECT_EQ(menuProgram(), nullptr);
    EXPECT_EXIT(startMenuProgram(), ::testing::ExitedWithCode(0), "");
    setMenuProgram("");
    EXPECT_EQ(menuProgram(), nullptr);
}

TEST_F(MenuProgramTest, ProgramRunsInItsFolderWithItsNameAsOnlyArgument)
{
    std::string path = folder.write("usr/gp2x/gp2xmenu", recordingMenu, 0755);
    setMenuProgram(path.c_str());
    EXPECT_STREQ(menuProgram(), path.c_str());
    EXPECT_EXIT(startMenuProgram(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder.read("usr/gp2x/started.txt"), folder / "usr/gp2x" + " gp2xmenu 0\n");
}

TEST_F(MenuProgramTest, RelativePathsCountFromTheLaunchersDirectory)
{
    folder.write("menu/fake", recordingMenu, 0755);
    folder.write("fake", recordingMenu, 0755);
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    setMenuProgram("menu/fake");
    EXPECT_EXIT(startMenuProgram(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder.read("menu/started.txt"), folder / "menu" + " fake 0\n");
    setMenuProgram("fake");
    EXPECT_EXIT(startMenuProgram(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder.read("started.txt"), folder.path() + " fake 0\n");
}

TEST_F(MenuProgramTest, ProgramOnTheCardIsFoundInTheCardFolder)
{
    folder.write("menu/fake", recordingMenu, 0755);
    setSdRoot(folder.path().c_str());
    setMenuProgram("/mnt/sd/menu/fake");
    EXPECT_EXIT(startMenuProgram(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder.read("menu/started.txt"), folder / "menu" + " fake 0\n");
}

TEST_F(MenuProgramTest, ProgramThatCannotStartIsReportedAndTheDirectoryKept)
{
    std::string plain = folder.write("menu/plain", "not a program", 0644);
    EXPECT_EQ(failureOf(plain), "Tarvo: cannot start the menu program " + plain
                                    + ": Permission denied\n");
    EXPECT_EQ(std::filesystem::current_path().string(), home);

    std::string missingFolder = folder / "none/menu";
    EXPECT_EQ(failureOf(missingFolder), "Tarvo: cannot start the menu program " + missingFolder
                                            + ": No such file or directory\n");
    std::string folderOnly = folder.path() + "/";
    EXPECT_EQ(failureOf(folderOnly), "Tarvo: cannot start the menu program " + folderOnly
                                         + ": Is a directory\n");
    EXPECT_EQ(std::filesystem::current_path().string(), home);
}

} // namespace
