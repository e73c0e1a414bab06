// The system calls as the launcher's programs make them. On the GP2X build they go through the
// project's own layer to the old-ABI kernel (run under qemu); on the computer the same tests run
// on the C library, which shows that what they expect is what Linux does.
#include "TempFolder.h"
#include "platform/Files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

class SystemCallsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }

    // The errno of a call that must fail, or 0 when it did not.
    static int failure(int result) { return result == -1 ? errno : 0; }

    TempFolder folder;
};

TEST_F(SystemCallsTest, OpenFlagsMeanWhatTheyMeanAndFailuresGiveTheirOwnError)
{
    const std::string file = folder / "file", link = folder / "link";
    int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(fcntl(fd, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
    EXPECT_EQ(write(fd, "ab", 2), 2);
    close(fd);
    EXPECT_EQ(failure(open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644)), EEXIST);

    fd = open(file.c_str(), O_WRONLY | O_APPEND);
    EXPECT_EQ(fcntl(fd, F_GETFL) & (O_ACCMODE | O_APPEND), O_WRONLY | O_APPEND);
    EXPECT_EQ(write(fd, "cd", 2), 2);
    close(fd);
    EXPECT_EQ(folder.read("file"), "abcd");

    ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);
    EXPECT_EQ(failure(open(link.c_str(), O_WRONLY | O_NOFOLLOW)), ELOOP);
    EXPECT_EQ(failure(open(file.c_str(), O_RDONLY | O_DIRECTORY)), ENOTDIR);
    close(open(link.c_str(), O_WRONLY | O_TRUNC));
    EXPECT_EQ(folder.read("file"), "");

    EXPECT_EQ(failure(open((folder / "absent").c_str(), O_RDONLY)), ENOENT);
    EXPECT_EQ(failure(mkdir(folder.path().c_str(), 0755)), EEXIST);
    EXPECT_EQ(failure(rmdir(folder.path().c_str())), ENOTEMPTY);
    EXPECT_EQ(failure(chdir(file.c_str())), ENOTDIR);
    EXPECT_EQ(failure(open((folder / std::string(300, 'n')).c_str(), O_RDONLY)), ENAMETOOLONG);
}

TEST_F(SystemCallsTest, StatGivesTypeSizePermissionsLinksAndTime)
{
    const std::string file = folder.write("file", std::string(12345, 'x'), 0640);
    ASSERT_EQ(link(file.c_str(), (folder / "hard").c_str()), 0);
    ASSERT_EQ(symlink("file", (folder / "soft").c_str()), 0);
    struct stat info, hard, soft, described;
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_size, 12345);
    EXPECT_EQ(info.st_nlink, 2u);
    EXPECT_LE(std::abs(static_cast<long>(info.st_mtime - time(nullptr))), 60L);
    ASSERT_EQ(stat((folder / "hard").c_str(), &hard), 0);
    EXPECT_EQ(hard.st_ino, info.st_ino);
    ASSERT_EQ(lstat((folder / "soft").c_str(), &soft), 0);
    EXPECT_TRUE(S_ISLNK(soft.st_mode));
    EXPECT_EQ(soft.st_size, 4); // the link's own text, "file"
    int fd = open(file.c_str(), O_RDONLY);
    ASSERT_EQ(fstat(fd, &described), 0);
    close(fd);
    EXPECT_EQ(described.st_size, 12345);
    ASSERT_EQ(stat(folder.path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));

    // Paths resolve through links and "..", and the working folder follows chdir.
    ASSERT_EQ(mkdir((folder / "sub").c_str(), 0755), 0);
    ASSERT_EQ(symlink("sub", (folder / "up").c_str()), 0);
    char* real = realpath((folder / "up/../soft").c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(std::string(real), file);
    free(real);
    SavedWorkingFolder here;
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    char* current = getcwd(nullptr, 0);
    here.restore();
    EXPECT_EQ(std::string(current ? current : ""), folder.path());
    free(current);
}

TEST_F(SystemCallsTest, ALargeFolderListsEveryEntryOnce)
{
    std::vector<std::string> names;
    for (int i = 0; i < 2000; ++i) {
        names.push_back(std::to_string(i) + std::string(i % 200, 'n'));
        close(open((folder / names.back()).c_str(), O_WRONLY | O_CREAT, 0644));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(listFolder(folder.path()), names);
}

TEST_F(SystemCallsTest, RenameReplacesTheTargetWithTheSyncedFile)
{
    folder.write("settings", "old");
    const std::string fresh = folder / "settings.new";
    int fd = open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_EQ(write(fd, "new", 3), 3);
    EXPECT_EQ(fsync(fd), 0);
    close(fd);
    ASSERT_EQ(rename(fresh.c_str(), (folder / "settings").c_str()), 0);
    EXPECT_EQ(folder.read("settings"), "new");
    EXPECT_EQ(failure(access(fresh.c_str(), F_OK)), ENOENT);
    EXPECT_EQ(failure(rename(fresh.c_str(), (folder / "other").c_str())), ENOENT);
    EXPECT_EQ(failure(fsync(-1)), EBADF);
}

// Runs command in a child process and gives its status as waitpid reports it.
int runChild(void (*command)(const std::string&), const std::string& place)
{
    pid_t child = fork();
    if (child == 0) {
        command(place);
        _exit(99);
    }
    int status = -1;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    return status;
}

TEST_F(SystemCallsTest, ProgramsStartWithTheirArgumentsAndEndWithTheirStatus)
{
    int status = runChild(
        [](const std::string& place) {
            ASSERT_EQ(chdir(place.c_str()), 0);
            const char* arguments[] = {
                "sh", "-c", "printf '%s|' \"$@\" > out; exit 7", "sh", "a b", "", "c", nullptr};
            execvp("sh", const_cast<char* const*>(arguments));
        },
        folder.path());
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_EQ(folder.read("out"), "a b||c|");

    // Signals keep their names both ways: SIGUSR1 has another number in the kernel.
    for (int signal : {SIGTERM, SIGUSR1}) {
        pid_t child = fork();
        if (child == 0) {
            for (;;)
                sleep(1);
        }
        if (kill(child, signal) != 0) {
            ADD_FAILURE() << "signal " << signal << " not sent";
            kill(child, SIGKILL);
        }
        int ended = 0;
        ASSERT_EQ(waitpid(child, &ended, 0), child);
        EXPECT_TRUE(WIFSIGNALED(ended) && WTERMSIG(ended) == signal) << signal;
    }

    status = runChild(
        [](const std::string& place) {
            const char* arguments[] = {"x", nullptr};
            execv((place + "/absent").c_str(), const_cast<char* const*>(arguments));
            _exit(errno == ENOENT ? 3 : 4);
        },
        folder.path());
    EXPECT_EQ(WEXITSTATUS(status), 3);
}

TEST_F(SystemCallsTest, FilesMapAtPageOffsets)
{
    const long page = 4096;
    std::string content;
    for (int i = 0; i < 3 * page; ++i)
        content += static_cast<char>(i / page + 'a');
    const std::string file = folder.write("pages", content);
    int fd = open(file.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    void* second = mmap(nullptr, page, PROT_READ | PROT_WRITE, MAP_SHARED, fd, page);
    ASSERT_NE(second, MAP_FAILED);
    EXPECT_EQ(std::string(static_cast<char*>(second), page), std::string(page, 'b'));
    static_cast<char*>(second)[0] = 'B';
    EXPECT_EQ(munmap(second, page), 0);
    EXPECT_EQ(mmap(nullptr, page, PROT_READ, MAP_SHARED, fd, 100), MAP_FAILED);
    EXPECT_EQ(errno, EINVAL);
    close(fd);
    EXPECT_EQ(folder.read("pages")[page], 'B');
}

#ifndef __GLIBC__
// What the GP2X build's layer does not provide fails and says so.
TEST_F(SystemCallsTest, CallsTheLayerLacksFailWithENOSYSAndAMessage)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(failure(fchmodat(AT_FDCWD, folder.path().c_str(), 0755, 0)), ENOSYS);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "fchmodat: not provided on this system\n");
}
#endif

} // namespace
