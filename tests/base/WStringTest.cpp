// Tests of WString: null versus empty, slicing, searching, building, splitting and the guards.
#include "base/WString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The bytes of a string as a std::string, with the null string told apart.
std::string bytes(const WString& s)
{
    return s.text() == nullptr ? std::string("<null>") : std::string(s.text());
}

// The bytes of text after one of the in-place operations.
std::string after(const char* text, void (WString::*op)())
{
    WString s(text);
    (s.*op)();
    return bytes(s);
}

std::string joined(const WString::Array& items)
{
    std::string out;
    for (int i = 0; i < items.count(); ++i) {
        out += "[" + bytes(items[i]) + "]";
    }
    return out;
}

} // namespace

TEST(WStringTest, NullAndEmptyStringsAreDistinct)
{
    WString null;
    WString empty("");
    EXPECT_EQ(null.text(), nullptr);
    EXPECT_EQ(bytes(empty), "");
    EXPECT_TRUE(null == WString());
    EXPECT_TRUE(null < empty);
    EXPECT_FALSE(null == "");
    EXPECT_TRUE(null.isEmpty() && empty.isEmpty());
    EXPECT_EQ(null.length() + empty.length(), 0);
    EXPECT_EQ(WString(static_cast<const char*>(nullptr)).text(), nullptr);
    EXPECT_EQ(bytes(WString(empty)), "");
    EXPECT_EQ(WString(null).text(), nullptr);
}

TEST(WStringTest, AssignmentAndSubscriptCopyAndAreSafeFromItselfOrItsOwnTail)
{
    WString s("hello world");
    WString copy(s);
    copy[0] = 'x';
    EXPECT_EQ(bytes(copy), "xello world");
    EXPECT_EQ(bytes(s), "hello world");
    s = s;
    s = s.text();
    EXPECT_EQ(bytes(s), "hello world");
    s = s.text() + 6;
    EXPECT_EQ(bytes(s), "world");
    s = '\0';
    EXPECT_EQ(bytes(s), "");
    s = static_cast<const char*>(nullptr);
    EXPECT_EQ(s.text(), nullptr);
    s = copy;
    s.clear();
    EXPECT_EQ(s.text(), nullptr);
    // Index 0 of the null string reads as the terminating NUL; a write there reaches no text.
    s[0] = 'z';
    EXPECT_EQ(s[0], '\0');
    EXPECT_EQ(s.text(), nullptr);
    EXPECT_EQ(copy[11], '\0');
}

TEST(WStringTest, AppendingAndConcatenationHandleNullEmptyAndItself)
{
    WString s;
    s += static_cast<const char*>(nullptr);
    s += WString();
    EXPECT_EQ(s.text(), nullptr);
    s += "";
    EXPECT_EQ(bytes(s), "");

    WString self("ab");
    self += self;
    self += self.text() + 2;
    EXPECT_EQ(bytes(self), "ababab");

    WString a("ab");
    EXPECT_EQ(bytes(a + WString("cd") + "x" + 'y'), "abcdxy");
    EXPECT_EQ(bytes("x" + a), "xab");
    EXPECT_EQ(bytes('y' + a), "yab");
    EXPECT_EQ(bytes(a), "ab");
    EXPECT_EQ(bytes(WString() + WString()), "<null>");
}

TEST(WStringTest, RepetitionOfTextNullAndZero)
{
    WString ab("ab");
    EXPECT_EQ(bytes(ab * 3), "ababab");
    EXPECT_EQ(bytes(ab * 0), "");
    EXPECT_EQ(bytes(WString() * 0), "");
    EXPECT_EQ(bytes(WString() * 4), "<null>");
}

TEST(WStringTest, SlicingNeverReturnsTheNullString)
{
    WString abc("abc");
    WString null;
    const struct {
        WString slice;
        const char* expected;
    } cases[] = {
        {abc.left(-1), ""},
        {abc.right(-1), ""},
        {abc.mid(0, -1), ""},
        {abc.left(2), "ab"},
        {abc.left(10), "abc"},
        {abc.right(2), "bc"},
        {abc.right(10), "abc"},
        {abc.mid(3), ""},
        {abc.mid(4, 1), ""},
        {abc.mid(-4, 2), "ab"},
        {abc.mid(1, 10), "bc"},
        {abc.left(2147483647), "abc"},
        {abc.mid(2147483647, 2147483647), ""},
        {null.left(2), ""},
        {null.right(2), ""},
        {null.mid(0, 3), ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(bytes(cases[i].slice), cases[i].expected);
    }
}

TEST(WStringTest, FormatGrowsAndMayReadItsOwnText)
{
    WString big("short");
    big.format("p%i:%s", 7, std::string(5000, 'y').c_str());
    EXPECT_EQ(bytes(big), "p7:" + std::string(5000, 'y'));

    WString s("name");
    s.format("%s=%s and more text than before", s.text(), s.text());
    EXPECT_EQ(bytes(s), "name=name and more text than before");

    WString null;
    null.format(nullptr);
    EXPECT_EQ(bytes(null), "");
}

TEST(WStringTest, CaseConversionChangesOnlyAsciiLetters)
{
    EXPECT_EQ(after("aZ9\xe9\xc9-", &WString::toUpper), "AZ9\xe9\xc9-");
    EXPECT_EQ(after("aZ9\xe9\xc9-", &WString::toLower), "az9\xe9\xc9-");
}

TEST(WStringTest, CompareOrdersNullFirstAndBytesUnsigned)
{
    WString null;
    EXPECT_LT(null.compare(""), 0);
    EXPECT_EQ(null.compare(static_cast<const char*>(nullptr)), 0);
    EXPECT_GT(WString("abc").compare("ABC"), 0);
    EXPECT_EQ(WString("abc").compareNoCase("ABC"), 0);
    EXPECT_LT(null.compareNoCase("A"), 0);
    // A byte above 127 sorts after every ASCII byte, whatever the signedness of char.
    EXPECT_GT(WString("\xe9").compare("z"), 0);
    EXPECT_TRUE(WString("z") < WString("\xe9"));
    // Text on the left of an operator compares the same way round.
    WString b("b");
    EXPECT_TRUE("a" < b && "a" <= b && "c" > b && "b" >= b && "b" == b);
    EXPECT_FALSE("a" > b || "a" >= b || "b" != b);
}

TEST(WStringTest, FindRejectsStartsBeyondTheTextAndNullPatterns)
{
    WString abc("abc");
    EXPECT_EQ(abc.find('b'), 1);
    EXPECT_EQ(abc.find('b', 4), -1);
    EXPECT_EQ(abc.find('b', -1), -1);
    EXPECT_EQ(abc.find(WString("c"), 3), -1);
    EXPECT_EQ(abc.find("", 3), 3);
    EXPECT_EQ(abc.find(static_cast<const char*>(nullptr)), -1);
    EXPECT_EQ(WString().find(""), -1);
    EXPECT_EQ(WString("x\xe9y").find('\xe9'), 1);

    WString path("/usr/gp2x/gp2xmenu");
    EXPECT_EQ(path.findLast('/'), 9);
    EXPECT_EQ(path.findFirstOf("xg"), 5);
    EXPECT_EQ(path.findFirstOf(""), -1);
    EXPECT_EQ(path.findFirstOf(static_cast<const char*>(nullptr)), -1);
}

TEST(WStringTest, ReplaceScansLeftToRightWithoutOverlap)
{
    WString line("cd %cwd%%cwd%/x");
    EXPECT_EQ(bytes(line.replace("%cwd%", "/mnt/sd")), "cd /mnt/sd/mnt/sd/x");
    EXPECT_EQ(bytes(line), "cd %cwd%%cwd%/x");
    EXPECT_EQ(bytes(WString("aaa").replace("aa", "b")), "ba");
    EXPECT_EQ(bytes(WString("ab").replace("a", "aa")), "aab");
    EXPECT_EQ(bytes(WString("abc").replace("b", nullptr)), "abc");
    EXPECT_EQ(bytes(WString("abc").replace("b", "")), "ac");
    EXPECT_EQ(bytes(WString("abc").replace(nullptr, "x")), "abc");
    EXPECT_EQ(bytes(WString("abc").replace("", "x")), "abc");
    EXPECT_EQ(bytes(WString().replace("x", "y")), "");
    EXPECT_EQ(bytes(WString().replace("x", nullptr)), "<null>");
}

TEST(WStringTest, LineEndingConversion)
{
    EXPECT_EQ(after("a\nb\r\nc\n", &WString::toCRLF), "a\r\nb\r\r\nc\r\n");
    EXPECT_EQ(after("a\r\nb\r\n\r\n", &WString::toLF), "a\nb\n\n");
}

TEST(WStringTest, JoinKeepsEmptyElementsAndNullForNothing)
{
    WString comma(",");
    EXPECT_EQ(bytes(comma.join(WString::Array("a", "", "b", nullptr))), "a,,b");
    EXPECT_EQ(bytes(comma.join(WString::Array())), "<null>");
    EXPECT_EQ(bytes(WString().join(WString::Array("a", "b", nullptr))), "ab");
    WString::Array nulls;
    nulls.resize(2);
    EXPECT_EQ(bytes(WString().join(nulls)), "<null>");
    EXPECT_EQ(bytes(comma.join(nulls)), ",");
}

TEST(WStringTest, ExpandTabsPadsToTheNextMultipleOfWidth)
{
    EXPECT_EQ(bytes(WString("abcd\tb").expandTabs(4)), "abcd    b");
    EXPECT_EQ(bytes(WString("\t\t").expandTabs(3)), "      ");
    // Columns run from the start of the string, line breaks included.
    EXPECT_EQ(bytes(WString("ab\n\tc").expandTabs(4)), "ab\n c");
    EXPECT_EQ(bytes(WString("a\tb").expandTabs(0)), "a\tb");
    EXPECT_EQ(bytes(WString().expandTabs(8)), "");
}

TEST(WStringTest, EscapedSpellsControlBytes)
{
    EXPECT_EQ(bytes(WString("A\t\x01\n\r\x1b").escaped()), "A\\t\\001\\n\\r\\033");
    EXPECT_EQ(bytes(WString("\x1f \x7f\xff").escaped()), "\\037 \x7f\xff");
    EXPECT_EQ(bytes(WString("").escaped()), "<null>");
}

TEST(WStringTest, TrimRemovesOnlySpaceTabCrLf)
{
    EXPECT_EQ(after("\v a b \f", &WString::trim), "\v a b \f");
    EXPECT_EQ(after("  x y\t\r\n", &WString::trim), "x y");
    EXPECT_EQ(after("  x y\t\r\n", &WString::trimLeft), "x y\t\r\n");
    EXPECT_EQ(after("  x y\t\r\n", &WString::trimRight), "  x y");
    EXPECT_EQ(after(nullptr, &WString::trim), "<null>");
}

TEST(WStringTest, CenterPutsTheOddSpaceOnTheRight)
{
    const struct {
        const char* text;
        int width;
        const char* expected;
    } cases[] = {{"ab", 6, "  ab  "}, {"ab", 5, " ab  "}, {"abc", 2, "abc"}, {"", 3, "   "}};
    for (const auto& c : cases) {
        WString s(c.text);
        s.center(c.width);
        EXPECT_EQ(bytes(s), c.expected) << c.text << " in " << c.width;
    }
    WString null;
    null.center(10);
    EXPECT_EQ(null.text(), nullptr);
}

TEST(WStringTest, WordsAndSplitKeepTheirOwnRules)
{
    // Words are runs of anything but space, tab, CR and LF.
    EXPECT_EQ(joined(WString("  exec\t/usr/gp2x \r\n menu ").words()), "[exec][/usr/gp2x][menu]");
    EXPECT_EQ(joined(WString("\xe9t\xe9\vx").words()), "[\xe9t\xe9\vx]");
    EXPECT_EQ(WString().words().count(), 0);
    // Split keeps empty pieces and honours the most splits asked for.
    EXPECT_EQ(joined(WString("a\nb\n").split("\n", -1)), "[a][b][]");
    EXPECT_EQ(joined(WString("").split("\n", -1)), "[]");
    EXPECT_EQ(joined(WString().split("\n", -1)), "[]");
    EXPECT_EQ(joined(WString("x,y,z").split(',', 1)), "[x][y,z]");
    EXPECT_EQ(joined(WString("x,y,z").split(',', 0)), "[x,y,z]");
    EXPECT_EQ(joined(WString("a--b----c").split(WString("--"))), "[a][b][][c]");
    EXPECT_EQ(joined(WString("abc").split("", -1)), "[abc]");
    EXPECT_EQ(joined(WString("abc").split('\0', -1)), "[abc]");
    EXPECT_EQ(joined(WString().split("", -1)), "[<null>]");
    EXPECT_EQ(joined(WString("\xe9\xff\xe9").split('\xff')), "[\xe9][\xe9]");
}

TEST(WStringTest, EveryByteValueSurvivesTheWholeTextOperations)
{
    // Every byte from 1 to 255, repeated up to 1 MiB: 4112 full runs and a tail of 1..16.
    std::string raw;
    for (size_t i = 0; raw.size() < (1u << 20); ++i) {
        raw += static_cast<char>(i % 255 + 1);
    }
    WString text(raw.c_str());
    const int runs = 4112;

    const char* separators[] = {"\n", "\xff", "\x80\x81", ","};
    for (const char* separator : separators) {
        SCOPED_TRACE(separator);
        EXPECT_TRUE(WString(separator).join(text.split(separator, -1)) == text);
    }
    EXPECT_EQ(text.replace("\xff", "").length(), text.length() - runs);

    // A run holds LF, CR and TAB (one extra byte each) and 28 other control bytes (three extra
    // each); the tail holds all three and 13 others.
    EXPECT_EQ(text.escaped().length(), (1 << 20) + runs * (3 + 28 * 3) + (3 + 13 * 3));
    EXPECT_EQ(text.expandTabs(4).find('\t'), -1);

    WString upper(text);
    upper.toUpper();
    EXPECT_EQ(upper.compareNoCase(text), 0);

    // Four whitespace bytes in each run, three (TAB, LF, CR) in the tail.
    EXPECT_EQ(WString("").join(text.words()).length(), (1 << 20) - 4 * runs - 3);
}

TEST(WStringDeathTest, SubscriptOutsideTheTextStopsTheProgram)
{
    WString s("abc");
    EXPECT_DEATH(s[4], "check failed");
    EXPECT_DEATH(s[-1], "check failed");
    WString null;
    EXPECT_DEATH(null[1], "check failed");
}
