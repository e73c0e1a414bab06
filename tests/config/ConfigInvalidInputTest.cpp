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

struct Line {
    std::string keyword;
    Words arguments;
};

std::vector<Line> readAll(const std::string& path)
{
    SkinReader reader(path.c_str());
    std::vector<Line> lines;
    WString keyword;
    WString::Array arguments;
    while (reader.next(keyword, arguments))
        lines.push_back(Line{keyword.text(), texts(arguments)});
    return lines;
}

const WString::Array light("light", static_cast<const char*>(0));

class ConfigInvalidInputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }

    std::vector<Line> readContent(const std::string& content)
    {
        writeFile(skin, content);
        return readAll(skin);
    }

    int update(const std::string& content)
    {
        writeFile(config, content);
        return updateConfigFile(config.c_str(), newConfig.c_str(), WString("SKIN"), light);
    }

    TempFolder folder;
    std::string skin = folder.file("Tarvo.skin");
    std::string config = folder.file("Tarvo.cfg");
    std::string newConfig = folder.file("Tarvo.newcfg");
};

TEST_F(ConfigInvalidInputTest, NulByteEndsTheSkinAndBlocksTheUpdate)
{
    const std::string content("A=1\nB=2\0C=3\nD=4\n", 16);
    std::vector<Line> lines = readContent(content);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("B", lines[1].keyword);
    EXPECT_EQ(Words{"2"}, lines[1].arguments);

    // Rewriting would drop C and D for good: the update refuses and changes nothing.
    EXPECT_EQ(0, update(content));
    EXPECT_EQ(content, readFile(config));
    EXPECT_FALSE(pathExists(newConfig));
}

TEST_F(ConfigInvalidInputTest, LoneCarriageReturnsVanishEverywhere)
{
    std::vector<Line> lines = readContent("\r\r\rke\ry\r=\r1,\r2\r\r\r\r");
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("KEY", lines[0].keyword);
    EXPECT_EQ((Words{"1", "2"}), lines[0].arguments);
    EXPECT_EQ(1, update("A=\r1\r\r\n\r"));
    EXPECT_EQ("A=1\n\nSKIN=light\n", readFile(config));
}

TEST_F(ConfigInvalidInputTest, UnclosedQuotesAndPercentSignsRunToTheEnd)
{
    std::vector<Line> lines = readContent("KEY=a,\"b,c\nNEXT=\"\"\",\"x");
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ((Words{"a", "b,c"}), lines[0].arguments);
    EXPECT_EQ(Words{",x"}, lines[1].arguments);

    VariableStore store;
    store.setText("N", "5");
    EXPECT_EQ(WString("abc"), store.expand("abc%def"));
    EXPECT_EQ(WString("%"), store.expand("%%%"));
    EXPECT_EQ(WString("5"), store.expand("%N%%N"));
    EXPECT_EQ(WString("%N[%"), store.expand("%N[%"));
    EXPECT_EQ(WString("%N]%"), store.expand("%N]%"));
    EXPECT_EQ(WString("%[%"), store.expand("%[%"));
    EXPECT_EQ(WString("%]%"), store.expand("%]%"));
}

TEST_F(ConfigInvalidInputTest, BytesAbove127AreOrdinaryBytes)
{
    std::vector<Line> lines = readContent("\xe9t\xe9=\xff\xfe,\"\x80\"\n\xc3\xa9x=1\n");
    ASSERT_EQ(2u, lines.size());
    // Only ASCII letters change case, on every platform whatever the signedness of char.
    EXPECT_EQ("\xe9T\xe9", lines[0].keyword);
    EXPECT_EQ((Words{"\xff\xfe", "\x80"}), lines[0].arguments);
    EXPECT_EQ("\xc3\xa9X", lines[1].keyword);

    VariableStore store;
    ASSERT_TRUE(store.load(skin.c_str()));
    EXPECT_EQ(WString("<\xff\xfe,\x80>"), store.expand("<%\xe9T\xe9%>"));
    EXPECT_EQ(WString("\xff\xfe"), store.expand("%\xe9T\xe9[\xb9]%"));
    EXPECT_EQ(WString("%\xe9t\xe9%"), store.expand("%\xe9t\xe9%"));
}

TEST_F(ConfigInvalidInputTest, MegabyteLineIsReadExpandedAndKeptWhole)
{
    std::string line = "KEY=";
    for (int i = 0; i < 65536; ++i)
        line += "%N%,\"q%A[1]%\"x,";  // 16 bytes each: 1 MiB of arguments
    std::vector<Line> lines = readContent(line + "\n");
    ASSERT_EQ(1u, lines.size());
    ASSERT_EQ(2u * 65536 + 1, lines[0].arguments.size());
    EXPECT_EQ("q%A[1]%x", lines[0].arguments[1]);

    VariableStore store;
    store.setText("N", "7");
    store.setValues("A", WString::Array("x", "y", static_cast<const char*>(0)));
    WString expanded = store.expand(WString(line.c_str() + 4));
    std::string expected;
    for (int i = 0; i < 65536; ++i)
        expected += "7,\"qy\"x,";
    // Compared as a truth value: a mismatch would print both megabytes.
    EXPECT_TRUE(expected == expanded.text());

    EXPECT_EQ(1, update(line));
    EXPECT_TRUE(line + "\nSKIN=light\n" == readFile(config));
}

TEST_F(ConfigInvalidInputTest, HundredThousandLinesAreAllReadAndKept)
{
    std::string content;
    for (int i = 0; i < 100000; ++i)
        content += (i % 3 == 0 ? "  // comment " : "K" + std::to_string(i % 50) + "=v,") +
                   std::to_string(i) + "\n";
    std::vector<Line> lines = readContent(content);
    ASSERT_EQ(66666u, lines.size());
    EXPECT_EQ((Words{"v", "99998"}), lines.back().arguments);

    VariableStore store;
    ASSERT_TRUE(store.load(skin.c_str()));
    EXPECT_EQ(WString("v,99998"), store.getText("K48", nullptr));

    EXPECT_EQ(1, update(content));
    EXPECT_TRUE(content + "\nSKIN=light\n" == readFile(config));
}

TEST_F(ConfigInvalidInputTest, DirectoryInPlaceOfAFileReadsAsNothing)
{
    ASSERT_EQ(0, mkdir(config.c_str(), 0755));
    writeFile(config + "/inside", "A=1\n");
    SkinReader reader(config.c_str());
    EXPECT_FALSE(reader.isOpen());
    VariableStore store;
    store.setText("old", "1");
    EXPECT_FALSE(store.load(config.c_str()));
    EXPECT_EQ(WString("none"), store.getText("old", "none"));

    EXPECT_EQ(0, updateConfigFile(config.c_str(), newConfig.c_str(), WString("SKIN"), light));
    EXPECT_EQ("A=1\n", readFile(config + "/inside"));
    EXPECT_FALSE(pathExists(newConfig));
}

TEST_F(ConfigInvalidInputTest, StreamsThatCannotBeReadGiveNoLines)
{
    writeFile(config, "A=1\n");
    FILE* writeOnly = fopen(config.c_str(), "ab");
    ASSERT_NE(nullptr, writeOnly);
    WString::Array lines;
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
    SkinReader reader(nullptr);
    EXPECT_FALSE(reader.isOpen());
    VariableStore store;
    EXPECT_FALSE(store.load(nullptr));
    store.setText(nullptr, "x");
    store.remove(nullptr);
    WString::Array values;
    EXPECT_FALSE(store.find(nullptr, values));
    EXPECT_EQ(WString("f"), store.getText(nullptr, "f"));
    EXPECT_EQ(WString("%%"), store.expand("%%%%"));
    EXPECT_EQ(0, updateConfigFile(nullptr, newConfig.c_str(), WString("SKIN"), light));
    EXPECT_EQ(0, updateConfigFile(config.c_str(), nullptr, WString("SKIN"), light));
    writeFile(config, "A=1");
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
    while (true) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line.compare(first, 5, "SKIN=") == 0) {
            out += "SKIN=light\n";
            replaced = true;
        } else {
            out += line + "\n";
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
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
        writeFile(skin, content);
        SkinReader reader(skin.c_str());
        VariableStore store;
        EXPECT_TRUE(store.load(skin.c_str()));
        WString keyword;
        WString::Array arguments;
        int delivered = 0;
        while (reader.next(keyword, arguments)) {
            ASSERT_GT(keyword.length(), 0);
            ASSERT_GE(arguments.count(), 1);
            for (int i = 0; i < arguments.count(); ++i)
                store.expand(arguments[i]);
            ++delivered;
        }
        EXPECT_GT(delivered, 0);

        int result = update(content);
        if (content.find('\0') != std::string::npos) {
            EXPECT_EQ(0, result);
            EXPECT_TRUE(content == readFile(config));
        } else {
            EXPECT_EQ(1, result);
            EXPECT_TRUE(updatedByRule(content) == readFile(config));
        }
        EXPECT_FALSE(pathExists(newConfig));
    }
}

} // namespace
