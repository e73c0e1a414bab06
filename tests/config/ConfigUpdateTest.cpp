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

class ConfigUpdateTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }

    int update(const char* key, const WString::Array& values)
    {
        return updateConfigFile(config.c_str(), newConfig.c_str(), WString(key), values);
    }

    // Content, then the update, then what the configuration file holds.
    std::string updated(const std::string& content, const char* key, const WString::Array& values)
    {
        writeFile(config, content);
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
            _exit(10 + update("SKIN", WString::Array("light", static_cast<const char*>(0))));
        }
        int status = 0;
        EXPECT_EQ(child, waitpid(child, &status, 0));
        return status;
    }

    static std::string bigConfiguration()
    {
        std::string content;
        char line[64];
        for (int i = 0; i < 2000; ++i) {
            snprintf(line, sizeof line, "SETTING_%04d=value %d,another value\n", i, i);
            content += line;
        }
        return content + "SKIN=dark\n";
    }

    TempFolder folder;
    std::string config = folder.file("Tarvo.cfg");
    std::string newConfig = folder.file("Tarvo.newcfg");
};

const WString::Array light("light", static_cast<const char*>(0));

TEST_F(ConfigUpdateTest, MatchingLineIsReplacedInPlace)
{
    EXPECT_EQ("SKIN=light\nKEYBOARD_RATE=250,30\n",
              updated("SKIN=dark\nKEYBOARD_RATE=250,30", "SKIN", light));
}

TEST_F(ConfigUpdateTest, MissingKeyIsAppendedAtTheEnd)
{
    EXPECT_EQ("SKIN=dark\nKEYBOARD_RATE=250,30\nSPEED_MENU=100,200\n",
              updated("SKIN=dark\nKEYBOARD_RATE=250,30", "SPEED_MENU",
                      WString::Array("100", "200", static_cast<const char*>(0))));
}

TEST_F(ConfigUpdateTest, EveryMatchingLineIsReplacedAndOnlyExactKeysMatch)
{
    EXPECT_EQ("SKIN=light\nSKINNY=1\n// SKIN=old\nSKIN=light\nskin=dark\nSKIN =x\n",
              updated("SKIN=dark\nSKINNY=1\n// SKIN=old\n \tSKIN=dark  \nskin=dark\nSKIN =x",
                      "SKIN", light));
    EXPECT_EQ("skin=dark\nSKINNY=1\nSKIN=light\n", updated("skin=dark\nSKINNY=1", "SKIN", light));
}

TEST_F(ConfigUpdateTest, OtherLinesAreKeptByteForByteExceptCarriageReturns)
{
    EXPECT_EQ("  odd line, \"quoted\"  \n\nA=1\n\xe9t\xe9=\\x\nSKIN=light\n",
              updated("  odd line, \"quoted\"  \r\n\r\nA=1\r\n\xe9t\xe9=\\x\r", "SKIN", light));
}

TEST_F(ConfigUpdateTest, FileEndingInLineFeedGainsAnEmptyLine)
{
    EXPECT_EQ("A=1\n\nSKIN=light\n", updated("A=1\n", "SKIN", light));
    EXPECT_EQ("SKIN=light\n", updated("", "SKIN", light));
}

TEST_F(ConfigUpdateTest, ValuesAreWrittenUnquotedAndNoValuesLeaveKeyAndEquals)
{
    EXPECT_EQ("SKIN=a,b\n", updated("SKIN=x", "SKIN", WString::Array("a,b", static_cast<const char*>(0))));
    VariableStore store;
    ASSERT_TRUE(store.load(config.c_str()));
    WString::Array values;
    ASSERT_TRUE(store.find("SKIN", values));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), texts(values));

    EXPECT_EQ("SKIN=\n", updated("SKIN=x", "SKIN", WString::Array()));
    EXPECT_EQ("SKIN=,\n", updated("SKIN=x", "SKIN", WString::Array("", "", static_cast<const char*>(0))));
}

TEST_F(ConfigUpdateTest, StaleNewFileIsReplaced)
{
    writeFile(newConfig, "left over from a crash\n");
    EXPECT_EQ("SKIN=light\n", updated("SKIN=dark", "SKIN", light));
}

TEST_F(ConfigUpdateTest, PathsOnTheCardGoThroughTheCardFolder)
{
    ASSERT_EQ(0, mkdir(folder.file("Tarvo").c_str(), 0755));
    writeFile(folder.file("Tarvo/Tarvo.cfg"), "SKIN=dark\n");
    setSdRoot(folder.path().c_str());
    int result = updateConfigFile("/mnt/sd/Tarvo/Tarvo.cfg", "/mnt/sd/Tarvo/Tarvo.newcfg",
                                  WString("SKIN"), light);
    setSdRoot(nullptr);
    EXPECT_EQ(1, result);
    EXPECT_EQ("SKIN=light\n\n", readFile(folder.file("Tarvo/Tarvo.cfg")));
    EXPECT_FALSE(pathExists(folder.file("Tarvo/Tarvo.newcfg")));
}

TEST_F(ConfigUpdateTest, MissingConfigurationIsNeverCreated)
{
    EXPECT_EQ(0, update("SKIN", light));
    EXPECT_FALSE(pathExists(config));
    EXPECT_FALSE(pathExists(newConfig));
}

TEST_F(ConfigUpdateTest, NewFileThatCannotBeCreatedChangesNothing)
{
    writeFile(config, "SKIN=dark\n");
    std::string elsewhere = folder.file("no such folder/Tarvo.newcfg");
    EXPECT_EQ(0, updateConfigFile(config.c_str(), elsewhere.c_str(), WString("SKIN"), light));
    // A folder in the new file's place is not ours to remove.
    ASSERT_EQ(0, mkdir(newConfig.c_str(), 0755));
    EXPECT_EQ(0, update("SKIN", light));
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
    writeFile(config, "SKIN=dark\n");
    EXPECT_EQ(0, updateConfigFile(config.c_str(), other.c_str(), WString("SKIN"), light));
    EXPECT_EQ("SKIN=dark\n", readFile(config));
    EXPECT_FALSE(pathExists(other));
}

TEST_F(ConfigUpdateTest, WriteErrorKeepsTheOldFileAndRemovesTheNewOne)
{
    const std::string content = bigConfiguration();
    writeFile(config, content);
    int status = updateInLimitedChild(4000, false);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(10, WEXITSTATUS(status));
    EXPECT_EQ(content, readFile(config));
    EXPECT_FALSE(pathExists(newConfig));
}

TEST_F(ConfigUpdateTest, ErrorOnlySeenWhenFlushingIsCaughtToo)
{
    // Small enough to sit in the stream's buffer until the flush.
    const std::string content = "A=1\nB=2\nC=3\nSKIN=dark\n";
    writeFile(config, content);
    int status = updateInLimitedChild(10, false);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(10, WEXITSTATUS(status));
    EXPECT_EQ(content, readFile(config));
    EXPECT_FALSE(pathExists(newConfig));
}

TEST_F(ConfigUpdateTest, WriterKilledPartWayLeavesTheOldFileIntact)
{
    const std::string content = bigConfiguration();
    writeFile(config, content);
    int status = updateInLimitedChild(8192, true);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(SIGXFSZ, WTERMSIG(status));
    EXPECT_EQ(content, readFile(config));
    // The new file was cut off at the limit: the writer really died in the middle.
    EXPECT_EQ(8192u, readFile(newConfig).size());

    // The next update carries on over the remains.
    EXPECT_EQ(1, update("SKIN", light));
    std::string now = readFile(config);
    EXPECT_EQ(content.size() + 2, now.size());
    EXPECT_EQ(content.substr(0, content.size() - 10), now.substr(0, content.size() - 10));
    EXPECT_FALSE(pathExists(newConfig));
}

} // namespace
