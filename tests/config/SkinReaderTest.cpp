// Tests of the line reader: line splitting, comments, keywords, arguments and quotes.
#include "config/SkinReader.h"

#include <gtest/gtest.h>

#include "tests/config/ConfigTestFiles.h"

namespace {

typedef std::vector<std::string> Words;

// Every delivered line as its keyword followed by its arguments.
std::vector<Words> parse(const std::string& content)
{
    TempFolder folder;
    std::string path = folder.file("Tarvo.skin");
    writeFile(path, content);
    SkinReader reader(path.c_str());
    EXPECT_TRUE(reader.isOpen());
    std::vector<Words> lines;
    WString keyword;
    WString::Array arguments;
    while (reader.next(keyword, arguments)) {
        Words line(1, keyword.text());
        Words values = texts(arguments);
        line.insert(line.end(), values.begin(), values.end());
        lines.push_back(line);
    }
    return lines;
}

Words lineOf(const std::string& line)
{
    std::vector<Words> lines = parse(line);
    EXPECT_EQ(1u, lines.size()) << line;
    return lines.empty() ? Words() : lines[0];
}

Words streamLines(const std::string& content, LineReadResult expected)
{
    TempFolder folder;
    writeFile(folder.file("f"), content);
    FILE* stream = fopen(folder.file("f").c_str(), "rb");
    WString::Array lines;
    lines.append("stale");
    EXPECT_EQ(expected, readLines(stream, lines));
    fclose(stream);
    return texts(lines);
}

TEST(SkinReaderTest, KeywordIsUpperCasedAndArgumentsKeepTheirText)
{
    EXPECT_EQ((Words{"PAGE", "1"}), lineOf("page=1"));
    EXPECT_EQ((Words{"TEXT", "a=b"}), lineOf("Text=a=b"));
    EXPECT_EQ((Words{"DIR", "/mnt/sd//games"}), lineOf("dir=/mnt/sd//games"));
    EXPECT_EQ((Words{"PAGE ", " 1"}), lineOf("PAGE = 1"));
    EXPECT_EQ((Words{"IMAGE", " Back Ground.png ", "a\\b"}), lineOf("  image= Back Ground.png ,a\\b\t"));
}

TEST(SkinReaderTest, QuotesProtectCommasAndAreDropped)
{
    EXPECT_EQ((Words{"ACTION", "exec", "/mnt/sd/my games/", "run", "a,b"}),
              lineOf("ACTION=exec,\"/mnt/sd/my games/\",run,\"a,b\""));
    EXPECT_EQ((Words{"KEY", "ab,cd"}), lineOf("KEY=a\"b,c\"d"));
    EXPECT_EQ((Words{"KEY", "ab, c"}), lineOf("KEY=a\"b, c"));
}

TEST(SkinReaderTest, FirstArgumentStartsNullLaterOnesEmpty)
{
    EXPECT_EQ((Words{"KEY", "<null>"}), lineOf("KEY="));
    EXPECT_EQ((Words{"KEY", "<null>"}), lineOf("KEY=\"\""));
    EXPECT_EQ((Words{"KEY", "<null>", "", ""}), lineOf("KEY=,,"));
    EXPECT_EQ((Words{"KEY", "a", ""}), lineOf("KEY=a,"));
}

TEST(SkinReaderTest, CommentsBlankLinesAndLinesWithoutEqualsYieldNothing)
{
    std::vector<Words> lines =
        parse("// A=1\n  // x=1\n \t \n\nno equals here\n=value\nB=2 // not a comment\n");
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ((Words{"B", "2 // not a comment"}), lines[0]);
}

TEST(SkinReaderTest, CrLfReadsLikeLfAndLoneCrIsRemoved)
{
    EXPECT_EQ(parse("A=1\nB=x,y\n"), parse("A=1\r\nB=x,y\r\n"));
    EXPECT_EQ((Words{"KEY", "ab"}), lineOf("KE\rY=a\rb\r"));
}

TEST(SkinReaderTest, SkippedLineStillClearsArguments)
{
    TempFolder folder;
    writeFile(folder.file("s"), "nothing to see\n");
    SkinReader reader(folder.file("s").c_str());
    WString keyword("old");
    WString::Array arguments("x", "y", static_cast<const char*>(0));
    EXPECT_FALSE(reader.next(keyword, arguments));
    EXPECT_EQ(0, arguments.count());
    EXPECT_EQ(WString("old"), keyword);
}

TEST(SkinReaderTest, MissingFileIsNotOpenAndDeliversNothing)
{
    TempFolder folder;
    SkinReader reader(folder.file("absent").c_str());
    EXPECT_FALSE(reader.isOpen());
    WString keyword;
    WString::Array arguments;
    EXPECT_FALSE(reader.next(keyword, arguments));
}

TEST(SkinReaderTest, ReadLinesKeepsEmptyLinesAndTheTrailingEmptyLine)
{
    EXPECT_EQ((Words{"a", "", "b"}), streamLines("a\n\nb", LinesRead));
    EXPECT_EQ((Words{"a", "b", ""}), streamLines("a\r\nb\r\n", LinesRead));
    EXPECT_EQ((Words{"  x = 1 "}), streamLines("  x = 1 ", LinesRead));
    EXPECT_EQ(Words{}, streamLines("", LinesRead));
}

TEST(SkinReaderTest, ReadLinesStopsAtTheFirstNulByte)
{
    EXPECT_EQ((Words{"a", "b"}), streamLines(std::string("a\nb\0c\nd", 7), LinesReadUpToNul));
    EXPECT_EQ((Words{""}), streamLines(std::string("\0x", 2), LinesReadUpToNul));
}

TEST(SkinReaderTest, ReadLinesReadsFromTheStartWhateverThePosition)
{
    TempFolder folder;
    writeFile(folder.file("f"), "one\ntwo");
    FILE* stream = fopen(folder.file("f").c_str(), "rb");
    fgetc(stream);
    EXPECT_EQ((Words{"one", "two"}), texts(readLines(stream)));
    fclose(stream);
}

} // namespace
