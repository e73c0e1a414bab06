// The SD-card folder mapping on real folders and with a program that really runs; the battery
// device read through it.
#include "TempFolder.h"
#include "platform/BatteryReader.h"
#include "platform/Files.h"

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

TEST_F(FilesTest, OnlyTheCardAndPathsBelowItAreMappedForEveryAccess)
{
    EXPECT_EQ(std::string(MappedPath("/mnt/sd").text()), card.path());
    EXPECT_EQ(std::string(MappedPath("/mnt/sd/a/b.png").text()), card / "a/b.png");
    for (const char* path : {"/mnt/sdcard/x", "/mnt/s", ""})
        EXPECT_EQ(MappedPath(path).text(), path) << path; // the very same text, not a copy
    // Reading, writing, renaming, listing and looking up through the mapping are played by the
    // launcher's cases; a file is removed only when a configuration write fails.
    card.write("Tarvo/Tarvo.newcfg", "half written");
    ASSERT_EQ(unlinkPath("/mnt/sd/Tarvo/Tarvo.newcfg"), 0);
    EXPECT_FALSE(std::filesystem::exists(card / "Tarvo/Tarvo.newcfg"));
    setSdRoot("");
    EXPECT_STREQ(MappedPath("/mnt/sd/x").text(), "/mnt/sd/x");
}

// The program starts in a folder entered through the mapping. The shell started by "sh -c" lists
// its arguments: argument 0 is mapped as the others on the card are, "/mnt/sd" itself is not. (The
// program's own path, the other arguments and the launch that fails are played by the launcher's
// cases.)
TEST_F(FilesTest, ProgramsRunWithTheirCardArgumentsMapped)
{
    const std::string list = "tr '\\0' '\\n' </proc/$$/cmdline >seen.txt";
    const char* arguments[] = {"/mnt/sd/sh", "-c", list.c_str(), "/mnt/sd", nullptr};
    EXPECT_EXIT((changeDirectory("/mnt/sd"),
                 executeProgram("/bin/sh", const_cast<char* const*>(arguments))),
                ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(card.read("seen.txt"), card / "sh\n-c\n" + list + "\n/mnt/sd\n");
}

// The own copy of the path and reading again after reopening are played by the launcher's test.
TEST_F(FilesTest, BatteryReadsLittleEndianPairsUntilItsEnd)
{
    card.write("batt", std::string("\x34\x12\xFF\xFF\x56", 5));
    BatteryReader battery("/mnt/sd/batt");
    for (int expected : {0x1234, 0xFFFF, -1, -1}) // the last byte is half a reading
        EXPECT_EQ(battery.read(), expected);
}
