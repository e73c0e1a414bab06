// Tests of the configuration update: which lines are replaced or kept, and that a failed or
// interrupted update never loses the old configuration.
#include "config/ConfigUpdate.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "config/VariableStore.h"
#include "platform/Files.h"
#include "tests/config/ConfigTestFiles.h"

namespace {

const WString::Array light("light", nullptr);

class ConfigUpdateTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }

    int update(const char* key = "SKIN", const WString::Array& values = light)
    {
        return updateConfigFile(config.c_str(), newConfig.c_str(), WString(key), values);
    }

    // Content, then the update, then what the configuration file holds.
    std::string updated(const std::string& content, const char* key = "SKIN",
                        const WString::Array& values = light)
    {
        folder.write("Tarvo.cfg", content);
        EXPECT_EQ(1, update(key, values));
        EXPECT_FALSE(pathExists(newConfig));
        return readFile(config);
    }

    // Runs the update in a child process whose files may not grow beyond limit bytes, so that
    // writing the new file fails for real: with SIGXFSZ ignored the write reports EFBIG, with
    // SIGXFSZ at its default the kernel kills the child in the middle of the write. Gives the
    // child's wait status; a child that finished exits with 10 + the update's result.
    int updateInLimitedChild(rlim_t limit, bool killOnLimit)
    {
        fflush(stdout);
        fflush(stderr);
        pid_t child = fork();
        if (child == 0) {
            signal(SIGXFSZ, killOnLimit ? SIG_DFL : SIG_IGN);
            struct rlimit fileLimit;
            fileLimit.rlim_cur = limit;
            fileLimit.rlim_max = limit;
            if (setrlimit(RLIMIT_FSIZE, &fileLimit) != 0)
                _exit(3);
            _exit(10 + update());
        }
        int status = 0;
        EXPECT_EQ(child, waitpid(child, &status, 0));
        return status;
    }

    // About 65 KiB, far more than the stream buffers before it writes.
    static std::string bigConfiguration()
    {
        std::string content;
        for (int i = 0; i < 2000; ++i)
            content += "SETTING_" + std::to_string(i) + "=value,another value\n";
        return content + "SKIN=dark\n";
    }

    TempFolder folder;
    std::string config = folder / "Tarvo.cfg";
    std::string newConfig = folder / "Tarvo.newcfg";
};

TEST_F(ConfigUpdateTest, EachLineRule)
{
    const struct {
        const char* content;
        const char* expected;
    } cases[] = {
        // Replaced in place, or appended when missing; a file ending in LF gains an empty line.
        {"SKIN=dark\nKEYBOARD_RATE=250,30", "SKIN=light\nKEYBOARD_RATE=250,30\n"},
        {"KEYBOARD_RATE=250,30", "KEYBOARD_RATE=250,30\nSKIN=light\n"},
        {"A=1\n", "A=1\n\nSKIN=light\n"},
        {"", "SKIN=light\n"},
        // Every matching line is replaced, and only exact keys after leading blanks match.
        {"SKIN=dark\nSKINNY=1\n// SKIN=old\n \tSKIN=dark  \nskin=dark\nSKIN =x",
         "SKIN=light\nSKINNY=1\n// SKIN=old\nSKIN=light\nskin=dark\nSKIN =x\n"},
        // Other lines are kept byte for byte, except for their carriage returns.
        {"  odd line, \"quoted\"  \r\n\r\nA=1\r\n\xe9t\xe9=\\x\r",
         "  odd line, \"quoted\"  \n\nA=1\n\xe9t\xe9=\\x\nSKIN=light\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        EXPECT_EQ(c.expected, updated(c.content));
    }
}

TEST_F(ConfigUpdateTest, ValuesAreWrittenUnquotedAndNoValuesLeaveKeyAndEquals)
{
    EXPECT_EQ("SKIN=a,b\n", updated("SKIN=x", "SKIN", WString::Array("a,b", nullptr)));
    VariableStore store;
    ASSERT_TRUE(store.load(config.c_str()));
    EXPECT_EQ(WString("a,b"), store.getText("SKIN", nullptr));

    EXPECT_EQ("SKIN=\n", updated("SKIN=x", "SKIN", WString::Array()));
    EXPECT_EQ("SKIN=,\n", updated("SKIN=x", "SKIN", WString::Array("", "", nullptr)));
}

TEST_F(ConfigUpdateTest, StaleNewFileIsReplaced)
{
    folder.write("Tarvo.newcfg", "left over from a crash\n");
    EXPECT_EQ("SKIN=light\n", updated("SKIN=dark"));
}

TEST_F(ConfigUpdateTest, PathsOnTheCardGoThroughTheCardFolder)
{
    folder.write("Tarvo/Tarvo.cfg", "SKIN=dark\n");
    setSdRoot(folder.path().c_str());
    int result = updateConfigFile("/mnt/sd/Tarvo/Tarvo.cfg", "/mnt/sd/Tarvo/Tarvo.newcfg",
                                  WString("SKIN"), light);
    setSdRoot(nullptr);
    EXPECT_EQ(1, result);
    EXPECT_EQ("SKIN=light\n\n", folder.read("Tarvo/Tarvo.cfg"));
    EXPECT_FALSE(pathExists(folder / "Tarvo/Tarvo.newcfg"));
}

TEST_F(ConfigUpdateTest, MissingConfigurationIsNeverCreated)
{
    EXPECT_EQ(0, update());
    EXPECT_FALSE(pathExists(config));
    EXPECT_FALSE(pathExists(newConfig));
}

TEST_F(ConfigUpdateTest, NewFileThatCannotBeCreatedChangesNothing)
{
    folder.write("Tarvo.cfg", "SKIN=dark\n");
    std::string elsewhere = folder / "no such folder/Tarvo.newcfg";
    EXPECT_EQ(0, updateConfigFile(config.c_str(), elsewhere.c_str(), WString("SKIN"), light));
    // A folder in the new file's place is not ours to remove.
    ASSERT_EQ(0, mkdir(newConfig.c_str(), 0755));
    EXPECT_EQ(0, update());
    EXPECT_TRUE(std::filesystem::is_directory(newConfig));
    EXPECT_EQ(0, updateConfigFile(config.c_str(), config.c_str(), WString("SKIN"), light));
    EXPECT_EQ("SKIN=dark\n", readFile(config));
}

TEST_F(ConfigUpdateTest, FailedRenameKeepsTheOldFileAndRemovesTheNewOne)
{
    // A rename cannot cross file systems: put the new file on another one.
    struct stat here, there;
    std::string other = "/dev/shm/tarvo-config-" + std::to_string(getpid()) + ".newcfg";
    if (stat(folder.path().c_str(), &here) != 0 || stat("/dev/shm", &there) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";
    folder.write("Tarvo.cfg", "SKIN=dark\n");
    EXPECT_EQ(0, updateConfigFile(config.c_str(), other.c_str(), WString("SKIN"), light));
    EXPECT_EQ("SKIN=dark\n", readFile(config));
    EXPECT_FALSE(pathExists(other));
}

TEST_F(ConfigUpdateTest, WriteErrorKeepsTheOldFileAndRemovesTheNewOne)
{
    // The small file sits in the stream's buffer until the flush, so its error shows only there.
    const struct {
        std::string content;
        rlim_t limit;
    } cases[] = {{bigConfiguration(), 4000}, {"A=1\nB=2\nC=3\nSKIN=dark\n", 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        folder.write("Tarvo.cfg", c.content);
        int status = updateInLimitedChild(c.limit, false);
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(10, WEXITSTATUS(status));
        EXPECT_EQ(c.content, readFile(config));
        EXPECT_FALSE(pathExists(newConfig));
    }
}

TEST_F(ConfigUpdateTest, WriterKilledPartWayLeavesTheOldFileIntact)
{
    const std::string content = bigConfiguration();
    folder.write("Tarvo.cfg", content);
    int status = updateInLimitedChild(8192, true);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(SIGXFSZ, WTERMSIG(status));
    EXPECT_EQ(content, readFile(config));
    // The new file was cut off at the limit: the writer really died in the middle.
    EXPECT_EQ(8192u, readFile(newConfig).size());

    // The next update carries on over the remains.
    EXPECT_EQ(1, update());
    std::string now = readFile(config);
    EXPECT_EQ(content.size() + 2, now.size());
    EXPECT_EQ(content.substr(0, content.size() - 10), now.substr(0, content.size() - 10));
    EXPECT_FALSE(pathExists(newConfig));
}

} // namespace
