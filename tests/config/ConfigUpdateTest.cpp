// Tests of the configuration update: which lines are replaced or kept, the updates it refuses,
// and that a failed or interrupted update never loses the old configuration.
#include "config/ConfigUpdate.h"
#include "tests/platform/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef __GLIBC__
#include <sys/syscall.h>

// fsync and rename as the update makes them, recorded while recording is set: the program's own
// definitions take the place of the C library's (on the GP2X build the layer's would clash).
namespace {
bool recording = false;
std::vector<std::string> systemCalls;
} // namespace

extern "C" int fsync(int fd)
{
    char path[4096] = "";
    const ssize_t length =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1);
    if (recording)
        systemCalls.push_back("fsync " + std::string(path, length > 0 ? length : 0));
    return static_cast<int>(syscall(SYS_fsync, fd));
}

extern "C" int rename(const char* from, const char* to)
{
    if (recording)
        systemCalls.push_back(std::string("rename ") + from + " " + to);
    return static_cast<int>(syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to));
}
#endif

namespace {

const WString::Array light("light", nullptr);

class ConfigUpdateTest : public ::testing::Test {
protected:
    int update(const WString::Array& values = light)
    {
        return updateConfigFile(config.c_str(), newConfig.c_str(), WString("SKIN"), values);
    }

    bool newFileLeft() const { return access(newConfig.c_str(), F_OK) == 0; }

    TempFolder folder;
    std::string config = folder / "Tarvo.cfg";
    std::string newConfig = folder / "Tarvo.newcfg";
};

TEST_F(ConfigUpdateTest, EachLineRule)
{
    // Every line that the reader takes as setting the key, in any letter case and after leading
    // white space, is replaced, or the line is appended; other lines are kept byte for byte but
    // for their CRs, and the file ends in exactly one LF.
    const struct {
        const char* content;
        WString::Array values;
        const char* expected;
        const char* key = "SKIN";
    } cases[] = {
        {"A=1\n", light, "A=1\nSKIN=light\n"},
        {"", WString::Array("a,b", "", nullptr), "SKIN=a,b,\n"},
        {"SKIN=x", WString::Array(), "SKIN=\n"},
        {"SKIN=dark\nSKINNY=1\n// SKIN=old\n \tSKIN=dark  \nskin=dark\nSKIN =x\nSKI=y", light,
         "SKIN=light\nSKINNY=1\n// SKIN=old\nSKIN=light\nSKIN=light\nSKIN =x\nSKI=y\n"},
        {"A=1\n\tSkIn=dark\n\n", light, "A=1\n skin=light\n\n", " skin"},
        {"  odd, \"quoted\"  \r\n\r\nA=\r1\r\n\xe9=\\x\r\n\r\n", light,
         "  odd, \"quoted\"  \n\nA=1\n\xe9=\\x\n\nSKIN=light\n"},
    };
    folder.write("Tarvo.newcfg", "left over from an interrupted update\n");
    for (const auto& c : cases) {
        folder.write("Tarvo.cfg", c.content);
        EXPECT_EQ(1, updateConfigFile(config.c_str(), newConfig.c_str(), WString(c.key), c.values));
        EXPECT_EQ(c.expected, folder.read("Tarvo.cfg"));
        EXPECT_FALSE(newFileLeft());
    }
}

TEST_F(ConfigUpdateTest, ThousandSavesLeaveTheFileAsTheFirst)
{
    folder.write("Tarvo.cfg", "// mine\r\nskin=night\r\n\r\nSPEED_MENU=100\n");
    ASSERT_EQ(1, update());
    const std::string first = folder.read("Tarvo.cfg");
    EXPECT_EQ("// mine\nSKIN=light\n\nSPEED_MENU=100\n", first);
    for (int i = 0; i < 999; ++i)
        ASSERT_EQ(1, update());
    EXPECT_EQ(first, folder.read("Tarvo.cfg"));
}

// Each update runs in a child whose files may grow to at most limit bytes (when one is given), so
// that writing the new file fails for real: EFBIG in the middle of the file, or only at the flush
// for a file small enough to sit in the stream's buffer; or, with SIGXFSZ at its default, the
// kernel kills the writer part way. A child that finishes exits with 10 + the update's result.
#ifdef __GLIBC__
// The new file is on the card before it takes the configuration's place, and a new file left
// by a save that was killed does not stand in the way.
TEST_F(ConfigUpdateTest, TheNewFileIsSyncedBeforeItIsRenamed)
{
    folder.write("Tarvo.cfg", "SKIN=dark\n");
    folder.write("Tarvo.newcfg", "left by a save that was killed");
    systemCalls.clear();
    recording = true;
    EXPECT_EQ(update(), 1);
    recording = false;
    EXPECT_EQ(
        systemCalls,
        (std::vector<std::string>{"fsync " + newConfig, "rename " + newConfig + " " + config}));
    EXPECT_EQ(folder.read("Tarvo.cfg"), "SKIN=light\n");
}
#endif

TEST_F(ConfigUpdateTest, RefusedOrFailedUpdatesChangeNothing)
{
    struct stat here, there;
    const bool shmElsewhere = stat(folder.path().c_str(), &here) == 0 &&
        stat("/dev/shm", &there) == 0 && here.st_dev != there.st_dev;
    const std::string shm = "/dev/shm/tarvo-config-" + std::to_string(getpid()) + ".newcfg";
    const std::string directory = std::filesystem::path(folder.write("d/inside", "")).parent_path();
    const std::string absent = folder / "absent.cfg";
    std::string big; // about 65 KiB, far more than the stream buffers before it writes
    for (int i = 0; i < 2000; ++i)
        big += "SETTING_" + std::to_string(i) + "=value,another value\n";
    const struct {
        std::string content;
        std::string configPath;
        std::string newPath;
        rlim_t limit = 0; // the most the child may write; 0 for no limit
        bool killed = false;
    } cases[] = {
        {std::string("A=1\0SKIN=dark\n", 14), config, newConfig}, // rewriting would drop the rest
        {"SKIN=dark\n", config, config},
        {"SKIN=dark\n", config, directory}, // a folder in its place is not ours to remove
        {"SKIN=dark\n", config, shm},       // the rename fails: it cannot cross file systems
        {"SKIN=dark\n", absent, newConfig}, // a missing configuration is never created
        {"SKIN=dark\n", directory, newConfig},
        {big, config, newConfig, 4000},
        {"A=1\nB=2\nSKIN=dark\n", config, newConfig, 10},
        {big, config, newConfig, 8192, true}, // leaves its new file cut off at the limit
    };
    for (const auto& c : cases) {
        if (c.newPath == shm && !shmElsewhere)
            continue;
        folder.write("Tarvo.cfg", c.content);
        fflush(stdout);
        pid_t child = fork();
        if (child == 0) {
            signal(SIGXFSZ, c.killed ? SIG_DFL : SIG_IGN);
            struct rlimit fileLimit = {c.limit, c.limit};
            _exit(c.limit && setrlimit(RLIMIT_FSIZE, &fileLimit) != 0 ? 3
                                                                      : 10 +
                          updateConfigFile(c.configPath.c_str(), c.newPath.c_str(), WString("SKIN"),
                                           light));
        }
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(c.killed ? WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ
                             : WIFEXITED(status) && WEXITSTATUS(status) == 10)
            << status << " " << c.configPath << " " << c.newPath;
        EXPECT_TRUE(c.content == folder.read("Tarvo.cfg")) << c.configPath << " " << c.newPath;
        EXPECT_EQ(c.killed ? c.limit : 0, newFileLeft() ? folder.read("Tarvo.newcfg").size() : 0);
        EXPECT_TRUE(access(shm.c_str(), F_OK) != 0 && access(absent.c_str(), F_OK) != 0 &&
                    folder.read("d/inside") == "");
    }
    // The next update carries on over the remains of the killed one.
    EXPECT_EQ(1, update());
    EXPECT_TRUE(big + "SKIN=light\n" == folder.read("Tarvo.cfg"));
    EXPECT_FALSE(newFileLeft());
}

} // namespace
