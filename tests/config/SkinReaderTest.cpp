// Tests of the line reader: line splitting, comments, keywords, arguments and quotes.
#include "config/SkinReader.h"

#include <gtest/gtest.h>

#include "tests/config/ConfigTestFiles.h"

namespace {

typedef std::vector<std::string> Words;

std::vector<Words> parse(const std::string& content)
{
    TempFolder folder;
    return readSkinLines(folder.write("Tarvo.skin", content));
}

// The lines readLines gives for content, starting from the second byte of the stream.
Words streamLines(const std::string& content, LineReadResult expected)
{
    TempFolder folder;
    FILE* stream = fopen(folder.write("f", content).c_str(), "rb");
    fgetc(stream);
    WString::Array lines("stale", nullptr);
    EXPECT_EQ(expected, readLines(stream, lines));
    fclose(stream);
    return texts(lines);
}

TEST(SkinReaderTest, EachLineRule)
{
    const struct {
        const char* line;
        Words expected;
    } cases[] = {
        // The keyword is upper-cased; the arguments keep their text, spaces and backslashes.
        {"Text=a=b", {"TEXT", "a=b"}},
        {"PAGE = 1", {"PAGE ", " 1"}},
        {"  image= Back Ground.png ,a\\b\t", {"IMAGE", " Back Ground.png ", "a\\b"}},
        // Quotes protect commas and are dropped, even unbalanced or inside a word.
        {"ACTION=exec,\"/mnt/sd/my games/\",\"a,b\"",
         {"ACTION", "exec", "/mnt/sd/my games/", "a,b"}},
        {"KEY=a\"b,c\"d", {"KEY", "ab,cd"}},
        // The first argument starts as the null string, later ones as empty strings.
        {"KEY=", {"KEY", "<null>"}},
        {"KEY=\"\"", {"KEY", "<null>"}},
        {"KEY=,,", {"KEY", "<null>", "", ""}},
        {"KEY=a,", {"KEY", "a", ""}},
        // Every CR vanishes, wherever it stands.
        {"KE\rY=a\rb\r", {"KEY", "ab"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(std::vector<Words>{c.expected}, parse(c.line));
    }
}

TEST(SkinReaderTest, CommentsBlankLinesAndLinesWithoutEqualsYieldNothing)
{
    EXPECT_EQ(std::vector<Words>{(Words{"B", "2 // not a comment"})},
              parse("// A=1\n  // x=1\n \t \n\nno equals here\n=value\nB=2 // not a comment\r\n"));
}

TEST(SkinReaderTest, SkippedLineStillClearsArguments)
{
    TempFolder folder;
    SkinReader reader(folder.write("s", "nothing to see\n").c_str());
    WString keyword("old");
    WString::Array arguments("x", "y", nullptr);
    EXPECT_FALSE(reader.next(keyword, arguments));
    EXPECT_EQ(0, arguments.count());
    EXPECT_EQ(WString("old"), keyword);
}

TEST(SkinReaderTest, MissingFileIsNotOpenAndDeliversNothing)
{
    TempFolder folder;
    SkinReader reader((folder / "absent").c_str());
    EXPECT_FALSE(reader.isOpen());
    WString keyword;
    WString::Array arguments;
    EXPECT_FALSE(reader.next(keyword, arguments));
}

TEST(SkinReaderTest, TheFileIsReadOnceWhenTheReaderIsMade)
{
    TempFolder folder;
    SkinReader reader(folder.write("s", "A=1\n").c_str());
    folder.write("s", "B=2\n");
    WString keyword;
    WString::Array arguments;
    ASSERT_TRUE(reader.next(keyword, arguments));
    EXPECT_EQ(WString("A"), keyword);
}

TEST(SkinReaderTest, ReadLinesReadsTheWholeStreamFromTheStart)
{
    EXPECT_EQ((Words{"a", "", "b"}), streamLines("a\n\nb", LinesRead));
    EXPECT_EQ((Words{"a", "b", ""}), streamLines("a\r\nb\r\n", LinesRead));
    EXPECT_EQ(Words{}, streamLines("", LinesRead));
    EXPECT_EQ((Words{"a", "b"}), streamLines(std::string("a\nb\0c\nd", 7), LinesReadUpToNul));
    EXPECT_EQ((Words{""}), streamLines(std::string("\0x", 2), LinesReadUpToNul));
}

} // namespace
