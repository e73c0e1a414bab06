// Bad input for the whole configuration language, gathered in one place: every reader, the
// expansion and the update must take any bytes without crashing and with a defined result.
#include "config/ConfigUpdate.h"
#include "config/SkinReader.h"
#include "config/VariableStore.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include "tests/config/ConfigTestFiles.h"

namespace {

typedef std::vector<std::string> Words;

const WString::Array light("light", nullptr);

class ConfigInvalidInputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }

    std::vector<Words> readContent(const std::string& content)
    {
        return readSkinLines(folder.write("Tarvo.skin", content));
    }

    int update(const std::string& content)
    {
        folder.write("Tarvo.cfg", content);
        return updateConfigFile(config.c_str(), newConfig.c_str(), WString("SKIN"), light);
    }

    // The update must refuse, leave the configuration as it was and no new file behind.
    void expectRefused(const std::string& content)
    {
        EXPECT_EQ(0, update(content));
        EXPECT_TRUE(content == readFile(config));
        EXPECT_FALSE(pathExists(newConfig));
    }

    TempFolder folder;
    std::string skin = folder / "Tarvo.skin";
    std::string config = folder / "Tarvo.cfg";
    std::string newConfig = folder / "Tarvo.newcfg";
};

TEST_F(ConfigInvalidInputTest, NulByteEndsTheSkinAndBlocksTheUpdate)
{
    const std::string content("A=1\nB=2\0C=3\nD=4\n", 16);
    EXPECT_EQ((std::vector<Words>{{"A", "1"}, {"B", "2"}}), readContent(content));
    // Rewriting would drop C and D for good.
    expectRefused(content);
}

TEST_F(ConfigInvalidInputTest, LoneCarriageReturnsVanishEverywhere)
{
    EXPECT_EQ((std::vector<Words>{{"KEY", "1", "2"}}),
              readContent("\r\r\rke\ry\r=\r1,\r2\r\r\r\r"));
    EXPECT_EQ(1, update("A=\r1\r\r\n\r"));
    EXPECT_EQ("A=1\n\nSKIN=light\n", readFile(config));
}

TEST_F(ConfigInvalidInputTest, UnclosedQuotesAndPercentSignsRunToTheEnd)
{
    EXPECT_EQ((std::vector<Words>{{"KEY", "a", "b,c"}, {"NEXT", ",x"}}),
              readContent("KEY=a,\"b,c\nNEXT=\"\"\",\"x"));

    VariableStore store;
    store.setText("N", "5");
    const char* cases[][2] = {{"abc%def", "abc"}, {"%%%", "%"},     {"%N%%N", "5"},
                              {"%N[%", "%N[%"},   {"%N]%", "%N]%"}, {"%[%", "%[%"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        EXPECT_EQ(WString(c[1]), store.expand(c[0]));
    }
}

TEST_F(ConfigInvalidInputTest, BytesAbove127AreOrdinaryBytes)
{
    // Only ASCII letters change case, on every platform whatever the signedness of char.
    EXPECT_EQ((std::vector<Words>{{"\xe9T\xe9", "\xff\xfe", "\x80"}, {"\xc3\xa9X", "1"}}),
              readContent("\xe9t\xe9=\xff\xfe,\"\x80\"\n\xc3\xa9x=1\n"));

    VariableStore store;
    ASSERT_TRUE(store.load(skin.c_str()));
    EXPECT_EQ(WString("<\xff\xfe,\x80>"), store.expand("<%\xe9T\xe9%>"));
    EXPECT_EQ(WString("\xff\xfe"), store.expand("%\xe9T\xe9[\xb9]%"));
    EXPECT_EQ(WString("%\xe9t\xe9%"), store.expand("%\xe9t\xe9%"));
}

TEST_F(ConfigInvalidInputTest, MegabyteLineIsReadExpandedAndKeptWhole)
{
    std::string line = "KEY=";
    std::string expected;
    for (int i = 0; i < 65536; ++i) {
        line += "%N%,\"q%A[1]%\"x,"; // 16 bytes each: 1 MiB of arguments
        expected += "7,\"qy\"x,";
    }
    std::vector<Words> lines = readContent(line + "\n");
    ASSERT_EQ(1u, lines.size());
    ASSERT_EQ(2u * 65536 + 2, lines[0].size());
    EXPECT_EQ("q%A[1]%x", lines[0][2]);

    VariableStore store;
    store.setText("N", "7");
    store.setValues("A", WString::Array("x", "y", nullptr));
    // Compared as truth values: a mismatch would print both megabytes.
    EXPECT_TRUE(expected == store.expand(WString(line.c_str() + 4)).text());
    EXPECT_EQ(1, update(line));
    EXPECT_TRUE(line + "\nSKIN=light\n" == readFile(config));
}

TEST_F(ConfigInvalidInputTest, HundredThousandLinesAreAllReadAndKept)
{
    std::string content;
    for (int i = 0; i < 100000; ++i)
        content += (i % 3 == 0 ? "  // comment " : "K" + std::to_string(i % 50) + "=v,") +
            std::to_string(i) + "\n";
    std::vector<Words> lines = readContent(content);
    ASSERT_EQ(66666u, lines.size());
    EXPECT_EQ((Words{"K48", "v", "99998"}), lines.back());

    VariableStore store;
    ASSERT_TRUE(store.load(skin.c_str()));
    EXPECT_EQ(WString("v,99998"), store.getText("K48", nullptr));

    EXPECT_EQ(1, update(content));
    EXPECT_TRUE(content + "\nSKIN=light\n" == readFile(config));
}

TEST_F(ConfigInvalidInputTest, DirectoryInPlaceOfAFileReadsAsNothing)
{
    folder.write("Tarvo.cfg/inside", "A=1\n");
    EXPECT_FALSE(SkinReader(config.c_str()).isOpen());
    VariableStore store;
    store.setText("old", "1");
    EXPECT_FALSE(store.load(config.c_str()));
    EXPECT_EQ(WString("none"), store.getText("old", "none"));

    EXPECT_EQ(0, updateConfigFile(config.c_str(), newConfig.c_str(), WString("SKIN"), light));
    EXPECT_EQ("A=1\n", folder.read("Tarvo.cfg/inside"));
    EXPECT_FALSE(pathExists(newConfig));
}

TEST_F(ConfigInvalidInputTest, StreamsThatCannotBeReadGiveNoLines)
{
    FILE* writeOnly = fopen(folder.write("Tarvo.cfg", "A=1\n").c_str(), "ab");
    ASSERT_NE(nullptr, writeOnly);
    WString::Array lines("stale", nullptr);
    EXPECT_EQ(LinesUnreadable, readLines(writeOnly, lines));
    fclose(writeOnly);
    EXPECT_EQ(0, lines.count());

    int ends[2];
    ASSERT_EQ(0, pipe(ends));
    ASSERT_EQ(4, write(ends[1], "A=1\n", 4));
    close(ends[1]);
    FILE* pipeStream = fdopen(ends[0], "rb");
    EXPECT_EQ(LinesUnreadable, readLines(pipeStream, lines));
    fclose(pipeStream);
    EXPECT_EQ(LinesUnreadable, readLines(nullptr, lines));
}

TEST_F(ConfigInvalidInputTest, NullPointersAndNullNamesAreHarmless)
{
    EXPECT_FALSE(SkinReader(nullptr).isOpen());
    VariableStore store;
    EXPECT_FALSE(store.load(nullptr));
    store.setText(nullptr, "x");
    store.remove(nullptr);
    WString::Array values;
    EXPECT_FALSE(store.find(nullptr, values));
    EXPECT_EQ(WString("f"), store.getText(nullptr, "f"));
    EXPECT_EQ(0, updateConfigFile(nullptr, newConfig.c_str(), WString("SKIN"), light));
    EXPECT_EQ(0, updateConfigFile(config.c_str(), nullptr, WString("SKIN"), light));
    folder.write("Tarvo.cfg", "A=1");
    EXPECT_EQ(1, updateConfigFile(config.c_str(), newConfig.c_str(), WString(), light));
    EXPECT_EQ("A=1\n=light\n", readFile(config));
}

// The update's line rules written out plainly, for comparing with on random input.
std::string updatedByRule(const std::string& content)
{
    std::string text;
    for (char c : content)
        if (c != '\r')
            text += c;
    std::string out;
    bool replaced = false;
    size_t start = 0;
    for (size_t end = 0; end != std::string::npos; start = end + 1) {
        end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        size_t first = line.find_first_not_of(" \t");
        bool matches = first != std::string::npos && line.compare(first, 5, "SKIN=") == 0;
        out += matches ? "SKIN=light\n" : line + "\n";
        replaced = replaced || matches;
    }
    return replaced ? out : out + "SKIN=light\n";
}

TEST_F(ConfigInvalidInputTest, RandomBytesAreReadExpandedAndUpdatedSafely)
{
    // Mostly the bytes the syntax cares about, so that every rule meets every other one.
    const char alphabet[] = "%%%\"\",,==[]]\r\n\n\0\xff\x80 \tab/Z1-SKIN=";
    uint32_t seed = 12345;
    for (int round = 0; round < 20; ++round) {
        std::string content;
        for (int i = 0; i < 5000; ++i) {
            seed = seed * 1103515245u + 12345u;
            char c = alphabet[(seed >> 16) % (sizeof alphabet - 1)];
            // NUL bytes only in the second half, and only in every other round, so that the
            // reader and the update have something to do.
            content += (c == '\0' && (round % 2 == 0 || i < 2500)) ? 'x' : c;
        }
        std::vector<Words> lines = readContent(content);
        VariableStore store;
        EXPECT_TRUE(store.load(skin.c_str()));
        EXPECT_FALSE(lines.empty());
        for (const Words& line : lines) {
            ASSERT_GT(line[0].size(), 0u);
            ASSERT_GE(line.size(), 2u);
            for (size_t i = 1; i < line.size(); ++i)
                store.expand(line[i] == "<null>" ? WString() : WString(line[i].c_str()));
        }

        if (content.find('\0') != std::string::npos) {
            expectRefused(content);
        } else {
            EXPECT_EQ(1, update(content));
            EXPECT_TRUE(updatedByRule(content) == readFile(config));
            EXPECT_FALSE(pathExists(newConfig));
        }
    }
}

} // namespace
