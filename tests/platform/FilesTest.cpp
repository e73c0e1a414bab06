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

// With CARD_PROGRAMS_ONLY the file opened is the file checked and the file run: a program on the
// card starts; a link from the card to a program outside, a program in a sibling folder whose
// name begins with the card's, and a bare name (found on PATH) do not.
TEST_F(FilesTest, CardProgramsOnlyStartsWhatLiesOnTheCard)
{
    const std::string sibling = card.path() + "2", siblingName = sibling.substr(5);
    ASSERT_EQ(sibling.substr(0, 5), "/tmp/");
    card.write("run.sh", "#!/bin/sh\nexit 7\n", 0755);
    card.write("../" + siblingName + "/run.sh", "#!/bin/sh\nexit 9\n", 0755);
    ASSERT_EQ(symlink((sibling + "/run.sh").c_str(), (card / "link.sh").c_str()), 0);
    const std::string besideCard = "/mnt/sd/../" + siblingName + "/run.sh";
    EXPECT_TRUE(programLiesOnCard("/mnt/sd", "./run.sh"));
    EXPECT_FALSE(programLiesOnCard("/mnt/sd", besideCard.c_str()));
    EXPECT_FALSE(programLiesOnCard("/mnt/sd", "./link.sh"));

    auto start = [](const char* program) {
        const char* arguments[] = {program, nullptr};
        changeDirectory("/mnt/sd");
        executeProgram(program, const_cast<char* const*>(arguments), CARD_PROGRAMS_ONLY);
        _exit(errno == EACCES ? 13 : 1);
    };
    EXPECT_EXIT(start("./run.sh"), ::testing::ExitedWithCode(7), "");
    for (const char* refused : {"./link.sh", besideCard.c_str(), "sh"})
        EXPECT_EXIT(start(refused), ::testing::ExitedWithCode(13), "") << refused;
    removeTree(sibling);
}

// The own copy of the path and reading again after reopening are played by the launcher's test.
TEST_F(FilesTest, BatteryReadsLittleEndianPairsUntilItsEnd)
{
    card.write("batt", std::string("\x34\x12\xFF\xFF\x56", 5));
    BatteryReader battery("/mnt/sd/batt");
    for (int expected : {0x1234, 0xFFFF, -1, -1}) // the last byte is half a reading
        EXPECT_EQ(battery.read(), expected);
}
