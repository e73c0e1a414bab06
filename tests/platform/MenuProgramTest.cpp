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

    // Starts the menu named path and returns what it recorded in its own folder: that folder,
    // its name and its argument count.
    std::string started(const std::string& path, const std::string& recordedIn)
    {
        setMenuProgram(path.c_str());
        EXPECT_EXIT(startMenuProgram(), ::testing::ExitedWithCode(0), "") << path;
        return folder.read(recordedIn + "started.txt");
    }

    TempFolder folder;
    std::string home;
};

const char recordingMenu[] = "#!/bin/sh\necho \"$(pwd) $0 $#\" > started.txt\n";

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
    EXPECT_EQ(started(path, "usr/gp2x/"), folder / "usr/gp2x" + " gp2xmenu 0\n");
    EXPECT_STREQ(menuProgram(), path.c_str());

    // Relative paths count from the launcher's directory; a path on the card from the card folder.
    folder.write("menu/fake", recordingMenu, 0755);
    folder.write("fake", recordingMenu, 0755);
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    EXPECT_EQ(started("menu/fake", "menu/"), folder / "menu" + " fake 0\n");
    EXPECT_EQ(started("fake", ""), folder.path() + " fake 0\n");
    ASSERT_EQ(chdir(home.c_str()), 0);
    std::filesystem::remove(folder / "menu/started.txt");
    setSdRoot(folder.path().c_str());
    EXPECT_EQ(started("/mnt/sd/menu/fake", "menu/"), folder / "menu" + " fake 0\n");
}

TEST_F(MenuProgramTest, ProgramThatCannotStartIsReportedAndTheDirectoryKept)
{
    const std::pair<std::string, const char*> failures[] = {
        {folder.write("menu/plain", "not a program", 0644), "Permission denied"},
        {folder / "none/menu", "No such file or directory"},
        {folder.path() + "/", "Is a directory"},
    };
    for (const auto& [program, reason] : failures) {
        setMenuProgram(program.c_str());
        ::testing::internal::CaptureStderr();
        startMenuProgram();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "Tarvo: cannot start the menu program " + program + ": " + reason + "\n");
        EXPECT_EQ(std::filesystem::current_path().string(), home);
    }
}

} // namespace
