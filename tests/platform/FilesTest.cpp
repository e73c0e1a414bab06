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

    std::string readThrough(const char* path)
    {
        FILE* file = openFile(path, "rb");
        if (!file)
            return "<cannot open>";
        std::string text;
        int c;
        while ((c = fgetc(file)) != EOF)
            text += static_cast<char>(c);
        fclose(file);
        return text;
    }

    TempFolder card;
};

std::vector<std::string> listNames(DIR* dir)
{
    std::vector<std::string> names;
    if (!dir)
        return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(FilesTest, OpenFileOnTheCardReadsInsideTheFolder)
{
    card.write("Tarvo/Tarvo.cfg", "SKIN=dark\n");
    EXPECT_EQ(readThrough("/mnt/sd/Tarvo/Tarvo.cfg"), "SKIN=dark\n");

    FILE* created = openFile("/mnt/sd/Tarvo/new.txt", "wb");
    ASSERT_NE(created, nullptr);
    fputs("written", created);
    fclose(created);
    EXPECT_EQ(card.read("Tarvo/new.txt"), "written");
}

TEST_F(FilesTest, OnlyTheCardItselfAndPathsBelowItAreMapped)
{
    EXPECT_EQ(std::string(MappedPath("/mnt/sd").text()), card.path());
    EXPECT_EQ(std::string(MappedPath("/mnt/sd/").text()), card.path() + "/");
    EXPECT_EQ(std::string(MappedPath("/mnt/sd/a/b.png").text()), card.path() + "/a/b.png");

    const char* elsewhere[] = { "/mnt/sdcard/x", "/mnt/s", "/mnt/sd2", "mnt/sd/x", "/usr/gp2x/gp2xmenu",
                                "./emu", "", "/MNT/SD/x" };
    for (const char* path : elsewhere) {
        MappedPath mapped(path);
        EXPECT_EQ(mapped.text(), path) << path; // the very same text, not a copy
    }
    EXPECT_EQ(MappedPath(nullptr).text(), nullptr);
}

TEST_F(FilesTest, PathsOffTheCardReachTheSystemUnchanged)
{
    card.write("plain.txt", "host file");
    std::string hostPath = card / "plain.txt";
    EXPECT_EQ(readThrough(hostPath.c_str()), "host file");
}

TEST_F(FilesTest, WithoutAFolderNothingIsMapped)
{
    setSdRoot(nullptr);
    EXPECT_EQ(sdRoot(), nullptr);
    const char* path = "/mnt/sd/Tarvo/Tarvo.cfg";
    EXPECT_EQ(MappedPath(path).text(), path);
    setSdRoot("");
    EXPECT_EQ(sdRoot(), nullptr);
}

TEST_F(FilesTest, TrailingSlashesOfTheFolderAreNotDoubled)
{
    card.write("Tarvo/Tarvo.cfg", "x");
    std::string withSlashes = card.path() + "//";
    setSdRoot(withSlashes.c_str());
    EXPECT_EQ(std::string(sdRoot()), card.path());
    EXPECT_EQ(readThrough("/mnt/sd/Tarvo/Tarvo.cfg"), "x");
}

TEST_F(FilesTest, ListingTheCardListsTheFolder)
{
    card.write("games/run.sh", "");
    card.write("games/readme.txt", "");
    EXPECT_EQ(listNames(openDirectory("/mnt/sd/games")),
              (std::vector<std::string>{ "readme.txt", "run.sh" }));
    EXPECT_EQ(listNames(openDirectory("/mnt/sd")), (std::vector<std::string>{ "games" }));
    errno = 0;
    EXPECT_EQ(openDirectory("/mnt/sd/missing"), nullptr);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(FilesTest, StatSeesTheFolderContents)
{
    card.write("roms/game.rom", "12345");
    struct stat info;
    ASSERT_EQ(statPath("/mnt/sd/roms/game.rom", &info), 0);
    EXPECT_EQ(info.st_size, 5);
    ASSERT_EQ(statPath("/mnt/sd/roms", &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    errno = 0;
    EXPECT_EQ(statPath("/mnt/sd/roms/none.rom", &info), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(FilesTest, RenameAndUnlinkWorkInsideTheFolder)
{
    card.write("Tarvo/Tarvo.cfg", "old");
    card.write("Tarvo/Tarvo.newcfg", "new");
    ASSERT_EQ(renamePath("/mnt/sd/Tarvo/Tarvo.newcfg", "/mnt/sd/Tarvo/Tarvo.cfg"), 0);
    EXPECT_EQ(card.read("Tarvo/Tarvo.cfg"), "new");
    EXPECT_FALSE(std::filesystem::exists(card / "Tarvo/Tarvo.newcfg"));

    ASSERT_EQ(unlinkPath("/mnt/sd/Tarvo/Tarvo.cfg"), 0);
    EXPECT_FALSE(std::filesystem::exists(card / "Tarvo/Tarvo.cfg"));
    EXPECT_EQ(unlinkPath("/mnt/sd/Tarvo/Tarvo.cfg"), -1);
}

TEST_F(FilesTest, ChangeDirectoryEntersTheFolder)
{
    card.write("emu/data.bin", "");
    std::string before = std::filesystem::current_path().string();
    ASSERT_EQ(changeDirectory("/mnt/sd/emu"), 0);
    std::string inside = std::filesystem::current_path().string();
    // Relative paths now count from the mapped folder.
    bool seesData = std::filesystem::exists("data.bin");
    ASSERT_EQ(chdir(before.c_str()), 0);
    EXPECT_EQ(inside, card / "emu");
    EXPECT_TRUE(seesData);
    EXPECT_EQ(changeDirectory("/mnt/sd/none"), -1);
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

TEST_F(FilesTest, ExecuteMapsTheProgramAndItsCardArguments)
{
    // The script records where it runs and what it was given.
    card.write("emu/run.sh",
               "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > seen.txt\n", 0755);
    int status = runInChild("/mnt/sd/emu", "/mnt/sd/emu/run.sh",
                            { "/mnt/sd/emu/run.sh", "/mnt/sd/roms/game.rom", "game.rom", "/mnt/sd",
                              "/mnt/sdcard/x", "/usr/share" });
    ASSERT_EQ(status, 0);
    EXPECT_EQ(card.read("emu/seen.txt"), card / "emu" + "\n" + card / "roms/game.rom" + "\n"
                                             + "game.rom\n/mnt/sd\n/mnt/sdcard/x\n/usr/share\n");
}

TEST_F(FilesTest, ExecuteMapsTheProgramsOwnName)
{
    // sh -c hands the word after the command to the command as $0: a program's argument 0.
    card.write("emu/marker", "");
    int status = runInChild("/mnt/sd/emu", "/bin/sh",
                            { "/mnt/sd/emu/marker", "-c", "echo \"$0\" > name.txt", "/mnt/sd/emu/x" });
    ASSERT_EQ(status, 0);
    EXPECT_EQ(card.read("emu/name.txt"), card / "emu/x" + "\n");
}

TEST_F(FilesTest, ExecuteRelativeProgramRunsFromTheEnteredFolder)
{
    card.write("emu/emu", "#!/bin/sh\necho \"$0 $1\" > seen.txt\n", 0755);
    EXPECT_EQ(runInChild("/mnt/sd/emu/", "./emu", { "./emu", "game.rom" }), 0);
    EXPECT_EQ(card.read("emu/seen.txt"), "./emu game.rom\n");
}

TEST_F(FilesTest, ExecuteFailureReturnsWithTheReason)
{
    char* arguments[] = { const_cast<char*>("/mnt/sd/none/prog"), nullptr };
    errno = 0;
    EXPECT_EQ(executeProgram("/mnt/sd/none/prog", arguments), -1);
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_EQ(executeProgram(nullptr, arguments), -1);
    EXPECT_EQ(errno, EINVAL);
}

} // namespace
