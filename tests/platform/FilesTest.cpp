// The SD-card folder mapping, through each kind of file access on real folders.
#include "platform/Files.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <errno.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(card.ok());
        setSdRoot(card.path().c_str());
    }
    void TearDown() override { setSdRoot(nullptr); }

    TempFolder card;
};

std::string readThrough(const char* path)
{
    FILE* file = openFile(path, "rb");
    if (!file)
        return "<cannot open>";
    std::string text;
    for (int c; (c = fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    fclose(file);
    return text;
}

std::vector<std::string> listNames(DIR* dir)
{
    std::vector<std::string> names;
    if (!dir)
        return names;
    while (dirent* entry = readdir(dir))
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
            names.push_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Runs executeProgram in a child process that first enters directory; returns its exit status.
int runInChild(const char* directory, const char* program, std::vector<const char*> arguments)
{
    arguments.push_back(nullptr);
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        if (changeDirectory(directory) != 0)
            _exit(126);
        executeProgram(program, const_cast<char* const*>(arguments.data()));
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST_F(FilesTest, OnlyTheCardItselfAndPathsBelowItAreMapped)
{
    EXPECT_EQ(std::string(MappedPath("/mnt/sd").text()), card.path());
    EXPECT_EQ(std::string(MappedPath("/mnt/sd/").text()), card.path() + "/");
    EXPECT_EQ(std::string(MappedPath("/mnt/sd/a/b.png").text()), card.path() + "/a/b.png");
    for (const char* path : {"/mnt/sdcard/x", "/mnt/s", "/mnt/sd2", "mnt/sd/x",
                             "/usr/gp2x/gp2xmenu", "./emu", "", "/MNT/SD/x"})
        EXPECT_EQ(MappedPath(path).text(), path) << path; // the very same text, not a copy
    EXPECT_EQ(MappedPath(nullptr).text(), nullptr);

    // Trailing slashes of the folder are not doubled; no folder maps nothing.
    setSdRoot((card.path() + "//").c_str());
    EXPECT_EQ(std::string(sdRoot()), card.path());
    EXPECT_EQ(std::string(MappedPath("/mnt/sd/x").text()), card.path() + "/x");
    for (const char* none : {static_cast<const char*>(nullptr), ""}) {
        setSdRoot(none);
        EXPECT_EQ(sdRoot(), nullptr);
        EXPECT_STREQ(MappedPath("/mnt/sd/x").text(), "/mnt/sd/x");
    }
}

TEST_F(FilesTest, FilesAreReadWrittenRenamedAndRemovedInsideTheFolder)
{
    card.write("Tarvo/Tarvo.cfg", "SKIN=dark\n");
    EXPECT_EQ(readThrough("/mnt/sd/Tarvo/Tarvo.cfg"), "SKIN=dark\n");
    FILE* created = openFile("/mnt/sd/Tarvo/Tarvo.newcfg", "wb");
    ASSERT_NE(created, nullptr);
    fputs("new", created);
    fclose(created);
    ASSERT_EQ(renamePath("/mnt/sd/Tarvo/Tarvo.newcfg", "/mnt/sd/Tarvo/Tarvo.cfg"), 0);
    EXPECT_EQ(card.read("Tarvo/Tarvo.cfg"), "new");
    EXPECT_FALSE(std::filesystem::exists(card / "Tarvo/Tarvo.newcfg"));
    ASSERT_EQ(unlinkPath("/mnt/sd/Tarvo/Tarvo.cfg"), 0);
    EXPECT_FALSE(std::filesystem::exists(card / "Tarvo/Tarvo.cfg"));
    EXPECT_EQ(unlinkPath("/mnt/sd/Tarvo/Tarvo.cfg"), -1);
}

TEST_F(FilesTest, ListAndStatSeeTheFolderContents)
{
    card.write("roms/game.rom", "12345");
    card.write("roms/readme.txt", "");
    EXPECT_EQ(listNames(openDirectory("/mnt/sd/roms")),
              (std::vector<std::string>{"game.rom", "readme.txt"}));
    EXPECT_EQ(listNames(openDirectory("/mnt/sd")), (std::vector<std::string>{"roms"}));
    errno = 0;
    EXPECT_EQ(openDirectory("/mnt/sd/missing"), nullptr);
    EXPECT_EQ(errno, ENOENT);

    struct stat info;
    ASSERT_EQ(statPath("/mnt/sd/roms/game.rom", &info), 0);
    EXPECT_EQ(info.st_size, 5);
    ASSERT_EQ(statPath("/mnt/sd/roms", &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    errno = 0;
    EXPECT_EQ(statPath("/mnt/sd/roms/none.rom", &info), -1);
    EXPECT_EQ(errno, ENOENT);
}

// The child enters the folder first: the program's record shows where changeDirectory() took it.
TEST_F(FilesTest, ExecuteMapsTheProgramItsOwnNameAndItsCardArguments)
{
    card.write("emu/run.sh",
               "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > seen.txt\n", 0755);
    ASSERT_EQ(runInChild("/mnt/sd/emu", "/mnt/sd/emu/run.sh",
                         {"/mnt/sd/emu/run.sh", "/mnt/sd/roms/game.rom", "game.rom", "/mnt/sd",
                          "/mnt/sdcard/x", "/usr/share"}),
              0);
    EXPECT_EQ(card.read("emu/seen.txt"),
              card / "emu" + "\n" + card / "roms/game.rom" + "\n" +
                  "game.rom\n/mnt/sd\n/mnt/sdcard/x\n/usr/share\n");

    // sh -c hands the word after the command to the command as $0: a program's argument 0.
    ASSERT_EQ(runInChild("/mnt/sd/emu", "/bin/sh",
                         {"/mnt/sd/emu/run.sh", "-c", "echo \"$0\" > name.txt", "/mnt/sd/emu/x"}),
              0);
    EXPECT_EQ(card.read("emu/name.txt"), card / "emu/x" + "\n");

    // A relative program runs from the entered folder.
    card.write("emu/emu", "#!/bin/sh\necho \"$0 $1\" > seen.txt\n", 0755);
    EXPECT_EQ(runInChild("/mnt/sd/emu/", "./emu", {"./emu", "game.rom"}), 0);
    EXPECT_EQ(card.read("emu/seen.txt"), "./emu game.rom\n");
}

TEST_F(FilesTest, ChangeDirectoryAndExecuteFailuresReturnWithTheReason)
{
    EXPECT_EQ(changeDirectory("/mnt/sd/none"), -1);
    char* arguments[] = {const_cast<char*>("/mnt/sd/none/prog"), nullptr};
    errno = 0;
    EXPECT_EQ(executeProgram("/mnt/sd/none/prog", arguments), -1);
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_EQ(executeProgram(nullptr, arguments), -1);
    EXPECT_EQ(errno, EINVAL);
}

} // namespace
