// Tests of the handheld's log: the line format, the fresh log at each start, no write without a
// finding, the cap at 64 KiB.
#include "core/LogFile.h"
#include "platform/Files.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const logPath = "/mnt/sd/Tarvo/Tarvo.log";

class LogFileTest : public ::testing::Test {
protected:
    LogFileTest()
    {
        std::filesystem::create_directory(card / "Tarvo");
        setSdRoot(card.path().c_str());
    }
    ~LogFileTest()
    {
        setDiagnosticSink(nullptr);
        setSdRoot(nullptr);
    }

    std::string log() const { return card.read("Tarvo/Tarvo.log"); }

    TempFolder card;
};

TEST_F(LogFileTest, EachStartBeginsAFreshLogOfFlushedLines)
{
    card.write("Tarvo/Tarvo.log", "a finding of an earlier start\n");
    {
        LogFile first(logPath);
        EXPECT_EQ("", log());
        setDiagnosticSink(&first);
        diagnoseAt(SourcePlace("/mnt/sd/Tarvo/skins/night/Tarvo.skin", 12), DIAGNOSTIC_ERROR,
                   "unknown keyword '%s'", "NAVIGATON");
        diagnoseAt(SourcePlace("/mnt/sd/Tarvo/Tarvo.cfg", 0), DIAGNOSTIC_WARNING, "whole file");
        // Read while the log is open: a launcher replaced by a program never closes it.
        EXPECT_EQ("/mnt/sd/Tarvo/skins/night/Tarvo.skin:12: error: unknown keyword 'NAVIGATON'\n"
                  "/mnt/sd/Tarvo/Tarvo.cfg: warning: whole file\n",
                  log());
        LogFile second(logPath);
        EXPECT_EQ("", log());
    }
    // A link in the log's place is replaced by the log, never written through.
    card.write("elsewhere", "kept");
    unlink((card / "Tarvo/Tarvo.log").c_str());
    ASSERT_EQ(symlink("../elsewhere", (card / "Tarvo/Tarvo.log").c_str()), 0);
    {
        LogFile linked(logPath);
        setDiagnosticSink(&linked);
        diagnose(DIAGNOSTIC_ERROR, "a finding");
        setDiagnosticSink(nullptr);
    }
    EXPECT_EQ(card.read("elsewhere"), "kept");
    EXPECT_NE(log().find("a finding"), std::string::npos);
    // Without its folder the log takes nothing, and creates nothing.
    LogFile nowhere("/mnt/sd/absent/Tarvo.log");
    setDiagnosticSink(&nowhere);
    diagnose(DIAGNOSTIC_ERROR, "lost");
    EXPECT_FALSE(std::filesystem::exists(card / "absent"));
}

TEST_F(LogFileTest, ACleanStartWritesNothing)
{
    // No log and nothing to say: no file.
    {
        LogFile log(logPath);
    }
    EXPECT_FALSE(std::filesystem::exists(card / "Tarvo/Tarvo.log"));
    // An empty log is left as it is, not made again: a second name for it still names the log.
    card.write("Tarvo/witness", "");
    ASSERT_EQ(link((card / "Tarvo/witness").c_str(), (card / "Tarvo/Tarvo.log").c_str()), 0);
    {
        LogFile log(logPath);
    }
    struct stat info;
    ASSERT_EQ(stat((card / "Tarvo/witness").c_str(), &info), 0);
    EXPECT_EQ(info.st_nlink, 2u);
    // The first finding makes it.
    LogFile log(logPath);
    setDiagnosticSink(&log);
    diagnoseAt(SourcePlace("/mnt/sd/Tarvo/Tarvo.cfg", 3), DIAGNOSTIC_WARNING, "late");
    EXPECT_EQ("/mnt/sd/Tarvo/Tarvo.cfg:3: warning: late\n", this->log());
}

TEST_F(LogFileTest, AFullLogEndsWithOneLineSayingItIsCut)
{
    const std::string cut = std::string(logPath) +
        ": warning: the log has reached its limit of 65536 bytes: the later diagnostics of this "
        "run are not written\n";
    LogFile file(logPath);
    setDiagnosticSink(&file);
    std::vector<std::string> lines;
    for (int i = 0; i < 3000; ++i) {
        const std::string message = "finding " + std::to_string(i * 7919 % 100000);
        diagnoseAt(SourcePlace("/mnt/sd/Tarvo/skins/x/Tarvo.skin", i + 1), DIAGNOSTIC_WARNING, "%s",
                   message.c_str());
        lines.push_back("/mnt/sd/Tarvo/skins/x/Tarvo.skin:" + std::to_string(i + 1) +
                        ": warning: " + message + "\n");
    }
    const std::string text = log();
    ASSERT_LE(text.size(), 65536u);
    ASSERT_GE(text.size(), cut.size());
    ASSERT_EQ(cut, text.substr(text.size() - cut.size()));
    // Every line before the cut in order and whole, and the first one left out would not have
    // left room for the cut line.
    std::string kept;
    size_t count = 0;
    while (kept.size() + cut.size() < text.size())
        kept += lines[count++];
    EXPECT_EQ(kept + cut, text);
    EXPECT_GT(kept.size() + lines[count].size() + cut.size(), 65536u);
}

} // namespace
