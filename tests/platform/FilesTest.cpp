// The SD-card folder mapping through each kind of file access, on real folders and with programs
// that really run; the working folder kept across a launch attempt; the battery device.
#include "TempFolder.h"
#include "platform/BatteryReader.h"
#include "platform/Files.h"

#include <dirent.h>
#include <errno.h>
#include <gtest/gtest.h>

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(card.ok());
        setSdRoot((card.path() + "/").c_str()); // the slash is not doubled in the mapped paths
    }
    void TearDown() override { setSdRoot(nullptr); }

    TempFolder card;
};

TEST_F(FilesTest, OnlyTheCardAndPathsBelowItAreMapped)
{
    EXPECT_EQ(std::string(MappedPath("/mnt/sd").text()), card.path());
    EXPECT_EQ(std::string(MappedPath("/mnt/sd/a/b.png").text()), card / "a/b.png");
    for (const char* path : {"/mnt/sdcard/x", "/mnt/s", "mnt/sd/x", "", "/MNT/SD/x"})
        EXPECT_EQ(MappedPath(path).text(), path) << path; // the very same text, not a copy
    setSdRoot("");
    EXPECT_STREQ(MappedPath("/mnt/sd/x").text(), "/mnt/sd/x");
}

TEST_F(FilesTest, FilesAndFoldersAreReachedInsideTheCardFolder)
{
    card.write("Tarvo/Tarvo.cfg", "old");
    FILE* file = openFile("/mnt/sd/Tarvo/Tarvo.newcfg", "wb");
    ASSERT_NE(file, nullptr);
    fputs("new", file);
    fclose(file);
    ASSERT_EQ(renamePath("/mnt/sd/Tarvo/Tarvo.newcfg", "/mnt/sd/Tarvo/Tarvo.cfg"), 0);
    EXPECT_EQ(card.read("Tarvo/Tarvo.cfg"), "new");
    DIR* folder = openDirectory("/mnt/sd/Tarvo");
    EXPECT_NE(readdir(folder), nullptr);
    closedir(folder);
    ASSERT_EQ(unlinkPath("/mnt/sd/Tarvo/Tarvo.cfg"), 0);
    struct stat info;
    EXPECT_EQ(statPath("/mnt/sd/Tarvo/Tarvo.cfg", &info), -1);
    EXPECT_EQ(statPath("/mnt/sd/Tarvo", &info), 0);
}

// The program starts in a folder entered through the mapping and records where it is, the path it
// was started by and its arguments; the shell started by "sh -c" lists its own, argument 0 too.
TEST_F(FilesTest, ProgramsRunWithTheirPathAndTheirCardArgumentsMapped)
{
    card.write("emu/run.sh", "#!/bin/sh\n{ pwd; printf '%s\\n' \"$0\" \"$@\"; } > seen.txt\n",
               0755);
    auto run = [](const char* program, std::vector<const char*> arguments) {
        arguments.push_back(nullptr);
        changeDirectory("/mnt/sd/emu");
        executeProgram(program, const_cast<char* const*>(arguments.data()));
    };
    EXPECT_EXIT(
        run("/mnt/sd/emu/run.sh", {"run.sh", "/mnt/sd/a.rom", "a.rom", "/mnt/sd", "/mnt/sdx"}),
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(card.read("emu/seen.txt"),
              card / "emu\n" + card / "emu/run.sh\n" + card / "a.rom\na.rom\n/mnt/sd\n/mnt/sdx\n");
    const std::string list = "tr '\\0' '\\n' </proc/$$/cmdline >seen.txt";
    EXPECT_EXIT(run("/bin/sh", {"/mnt/sd/sh", "-c", list.c_str()}), ::testing::ExitedWithCode(0),
                "");
    EXPECT_EQ(card.read("emu/seen.txt"), card / "sh\n-c\n" + list + "\n");
    char* none[] = {nullptr};
    EXPECT_EQ(executeProgram("/mnt/sd/none", none), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(FilesTest, BatteryReadsLittleEndianPairsUntilItsEndAndAgainAfterReopening)
{
    std::string path = "/mnt/sd/batt";
    card.write("batt", std::string("\x34\x12\xFF\xFF\x01\x80\x56", 7));
    BatteryReader battery(path.c_str());
    path = "/nowhere";                                    // the reader has its own copy
    for (int expected : {0x1234, 0xFFFF, 0x8001, -1, -1}) // the last byte is half a reading
        EXPECT_EQ(battery.read(), expected);
    battery.close();
    EXPECT_EQ(battery.read(), -1);
    EXPECT_TRUE(battery.open());
    EXPECT_EQ(battery.read(), 0x1234);
}
