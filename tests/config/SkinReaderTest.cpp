// Tests of the line reader: the whole-file splitting of readLines, and the comments, keywords,
// arguments and quotes of SkinReader.
#include "config/ReadLines.h"
#include "config/SkinReader.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Words;

// The elements' bytes after first, if given; a null element shows as "<null>", never as the
// empty string.
Words texts(const WString::Array& array, const char* first = nullptr)
{
    Words out(first ? 1 : 0, first ? first : "");
    for (int i = 0; i < array.count(); ++i)
        out.push_back(array[i].text() ? array[i].text() : "<null>");
    return out;
}

} // namespace

TEST(SkinReaderTest, ReadLinesTakesTheWholeRegularFileFromItsStartWithoutCarriageReturns)
{
    TempFolder folder;
    const struct {
        FILE* stream;
        LineReadResult result;
        Words lines;
    } cases[] = {
        {fopen(folder.write("a", "a\r\n\r\nb\r").c_str(), "rb"), LinesRead, {"a", "", "b"}},
        {fopen(folder.write("b", {"a\nb\0c", 5}).c_str(), "rb"), LinesReadUpToNul, {"a", "b"}},
        {fopen(folder.write("c", "A=1\n").c_str(), "ab"), LinesUnreadable, {}},
        {fopen(folder.path().c_str(), "rb"), LinesUnreadable, {}},
        // Past either bound a file is not read at all: a file of line feeds would cost a string
        // for each byte.
        {fopen(folder.write("d", std::string(MAX_FILE_LINES - 1, '\n')).c_str(), "rb"), LinesRead,
         Words(MAX_FILE_LINES, "")},
        {fopen(folder.write("e", std::string(MAX_FILE_LINES, '\n')).c_str(), "rb"),
         LinesTooLarge,
         {}},
        {fopen(folder.write("f", std::string(MAX_FILE_BYTES + 1, 'x')).c_str(), "rb"),
         LinesTooLarge,
         {}},
    };
    for (const auto& c : cases) {
        WString::Array lines("stale", nullptr);
        fgetc(c.stream); // a stream already read from is read again from its start
        EXPECT_EQ(c.result, readLines(c.stream, lines));
        EXPECT_EQ(c.lines, texts(lines));
        fclose(c.stream);
    }
    EXPECT_FALSE(SkinReader((folder / "e").c_str()).isOpen()) << "a file too large to read";
}

// The keyword is upper-cased (ASCII letters only); the arguments keep their bytes. Quotes protect
// commas and are dropped; the first argument starts as the null string. Comments, blank lines and
// lines without an "=" after the first byte yield nothing.
TEST(SkinReaderTest, EachLineRule)
{
    const struct {
        const char* line;
        Words expected;
    } cases[] = {
        {"// A=1\n  // x=1\n \t \n\nno equals\n=v\n \t PAGE = 1\r", {"PAGE ", " 1"}},
        {"\xe9t\xe9=\xff,\\x", {"\xe9T\xe9", "\xff", "\\x"}},
        {"dir=/mnt/sd//g=b // x", {"DIR", "/mnt/sd//g=b // x"}},
        {"ACTION=exec,\"/mnt/sd/my games/\",\"a,b\"",
         {"ACTION", "exec", "/mnt/sd/my games/", "a,b"}},
        {"KEY=a\"b,c\"d,\"e,f", {"KEY", "ab,cd", "e,f"}},
        {"KEY=\"\"", {"KEY", "<null>"}},
        {"KEY=,,a", {"KEY", "<null>", "", "a"}},
        {"KE\rY=a\rb", {"KEY", "ab"}},
    };
    std::string content;
    for (const auto& c : cases)
        content += std::string(c.line) + "\n";
    TempFolder folder;
    SkinReader reader(folder.write("s", content + "no equals").c_str());
    folder.write("s", "C=3\n"); // the reader holds the whole file from the start
    WString keyword;
    WString::Array arguments;
    for (const auto& c : cases) {
        ASSERT_TRUE(reader.next(keyword, arguments)) << c.line;
        EXPECT_EQ(c.expected, texts(arguments, keyword.text())) << c.line;
    }
    EXPECT_FALSE(reader.next(keyword, arguments));
    EXPECT_EQ(0, arguments.count()); // a skipped line still clears the arguments
}

// A line keeps its first MAX_ARGUMENTS arguments: a line of commas would otherwise cost a string
// for every byte.
TEST(SkinReaderTest, ALineGivesAtMostMaxArguments)
{
    TempFolder folder;
    const std::string commas(SkinReader::MAX_ARGUMENTS - 1, ',');
    SkinReader reader(folder.write("s", "A=" + commas + "\nB=" + commas + ",x\n").c_str());
    WString keyword;
    WString::Array arguments;
    for (const char* expected : {"A", "B"}) {
        ASSERT_TRUE(reader.next(keyword, arguments));
        EXPECT_EQ(
            std::vector<std::string>({expected, ""}),
            std::vector<std::string>({keyword.text(), arguments[arguments.count() - 1].text()}));
        EXPECT_EQ(SkinReader::MAX_ARGUMENTS, arguments.count());
    }
}
