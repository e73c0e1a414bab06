// Tests of WString: null versus empty, slicing, searching, building, splitting and the guards.
#include "base/WString.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The bytes of a string as a std::string, with the null string told apart.
std::string bytes(const WString& s)
{
    return s.text() == nullptr ? std::string("<null>") : std::string(s.text());
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

TEST(WStringTest, IsExactlyOnePointer)
{
    EXPECT_EQ(sizeof(WString), sizeof(char*));
}

TEST(WStringTest, NullAndEmptyStringsAreDistinct)
{
    WString null1;
    WString null2;
    WString empty("");
    EXPECT_EQ(null1.text(), nullptr);
    ASSERT_NE(empty.text(), nullptr);
    EXPECT_EQ(empty.text()[0], '\0');
    EXPECT_TRUE(null1 == null2);
    EXPECT_TRUE(null1 < empty);
    EXPECT_TRUE(null1 != empty);
    EXPECT_FALSE(null1 == "");
    EXPECT_TRUE(null1.isEmpty());
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(null1.length(), 0);
    EXPECT_EQ(empty.length(), 0);
    EXPECT_EQ(WString(static_cast<const char*>(nullptr)).text(), nullptr);
    EXPECT_EQ(WString(empty).text()[0], '\0');
    EXPECT_EQ(WString(null1).text(), nullptr);
}

TEST(WStringTest, AssignmentCopiesAndNullPointerClears)
{
    WString s("abc");
    WString copy(s);
    copy[0] = 'x';
    EXPECT_EQ(bytes(s), "abc");
    EXPECT_EQ(bytes(copy), "xbc");

    s = static_cast<const char*>(nullptr);
    EXPECT_EQ(s.text(), nullptr);
    s = 'q';
    EXPECT_EQ(bytes(s), "q");
    s = '\0';
    EXPECT_EQ(bytes(s), "");
    s = copy;
    EXPECT_EQ(bytes(s), "xbc");
    s.clear();
    EXPECT_EQ(s.text(), nullptr);
}

TEST(WStringTest, AssignmentFromItselfOrItsOwnTailIsSafe)
{
    WString s("hello world");
    s = s;
    EXPECT_EQ(bytes(s), "hello world");
    s = s.text();
    EXPECT_EQ(bytes(s), "hello world");
    s = s.text() + 6;
    EXPECT_EQ(bytes(s), "world");
}

TEST(WStringTest, AppendingHandlesNullEmptyAndItself)
{
    WString s;
    s += static_cast<const char*>(nullptr);
    EXPECT_EQ(s.text(), nullptr);
    s += WString();
    EXPECT_EQ(s.text(), nullptr);
    s += "";
    EXPECT_EQ(bytes(s), "");

    WString c;
    c += 'x';
    EXPECT_EQ(bytes(c), "x");

    WString self("ab");
    self += self;
    EXPECT_EQ(bytes(self), "abab");
    self += self.text() + 2;
    EXPECT_EQ(bytes(self), "ababab");
}

TEST(WStringTest, ConcatenationLeavesOperandsUnchanged)
{
    WString a("ab");
    WString b("cd");
    EXPECT_EQ(bytes(a + b), "abcd");
    EXPECT_EQ(bytes(a + "x"), "abx");
    EXPECT_EQ(bytes(a + 'y'), "aby");
    EXPECT_EQ(bytes("x" + a), "xab");
    EXPECT_EQ(bytes('y' + a), "yab");
    EXPECT_EQ(bytes(a), "ab");
    EXPECT_EQ(bytes(b), "cd");
    EXPECT_EQ(bytes(WString() + WString()), "<null>");
}

TEST(WStringTest, RepetitionOfTextNullAndZero)
{
    WString ab("ab");
    EXPECT_EQ(bytes(ab * 3), "ababab");
    EXPECT_EQ(bytes(ab * 1), "ab");
    EXPECT_EQ(bytes(ab * 0), "");
    EXPECT_EQ(bytes(WString() * 0), "");
    EXPECT_EQ(bytes(WString() * 4), "<null>");
    ab *= 2;
    EXPECT_EQ(bytes(ab), "abab");
}

TEST(WStringTest, SlicingNeverReturnsTheNullString)
{
    WString abc("abc");
    EXPECT_EQ(bytes(abc.left(-1)), "");
    EXPECT_EQ(bytes(abc.right(-1)), "");
    EXPECT_EQ(bytes(abc.mid(0, -1)), "");
    EXPECT_EQ(bytes(abc.left(10)), "abc");
    EXPECT_EQ(bytes(abc.left(2)), "ab");
    EXPECT_EQ(bytes(abc.right(2)), "bc");
    EXPECT_EQ(bytes(abc.right(10)), "abc");
    EXPECT_EQ(bytes(abc.mid(5)), "");
    EXPECT_EQ(bytes(abc.mid(3)), "");
    EXPECT_EQ(bytes(abc.mid(1)), "bc");
    EXPECT_EQ(bytes(abc.mid(-4)), "abc");
    EXPECT_EQ(bytes(abc.mid(-4, 2)), "ab");
    EXPECT_EQ(bytes(abc.mid(1, 10)), "bc");
    EXPECT_EQ(bytes(abc.mid(1, 1)), "b");
    EXPECT_EQ(bytes(abc.mid(4, 1)), "");
    EXPECT_EQ(bytes(abc.left(2147483647)), "abc");
    EXPECT_EQ(bytes(abc.mid(2147483647, 2147483647)), "");

    WString null;
    EXPECT_EQ(bytes(null.left(2)), "");
    EXPECT_EQ(bytes(null.right(2)), "");
    EXPECT_EQ(bytes(null.mid(0)), "");
    EXPECT_EQ(bytes(null.mid(0, 3)), "");
}

TEST(WStringTest, FormatReplacesTheTextAndGrowsAsNeeded)
{
    WString s("ab");
    s.format("%i", 42);
    EXPECT_EQ(bytes(s), "42");

    WString null;
    null.format("%s", std::string(100, 'x').c_str());
    EXPECT_EQ(bytes(null), std::string(100, 'x'));

    WString big("short");
    big.format("p%i:%s", 7, std::string(5000, 'y').c_str());
    EXPECT_EQ(bytes(big), "p7:" + std::string(5000, 'y'));

    WString empty;
    empty.format("%s", "");
    EXPECT_EQ(bytes(empty), "");
}

TEST(WStringTest, FormatMayReadItsOwnText)
{
    WString s("name");
    s.format("%s=%s and more text than before", s.text(), s.text());
    EXPECT_EQ(bytes(s), "name=name and more text than before");
}

TEST(WStringTest, CaseConversionChangesOnlyAsciiLetters)
{
    WString s("aZ9\xe9\xc9-");
    s.toUpper();
    EXPECT_EQ(bytes(s), "AZ9\xe9\xc9-");
    s.toLower();
    EXPECT_EQ(bytes(s), "az9\xe9\xc9-");
    WString null;
    null.toUpper();
    EXPECT_EQ(null.text(), nullptr);
}

TEST(WStringTest, CompareOrdersNullFirstAndBytesUnsigned)
{
    WString null;
    EXPECT_LT(null.compare(""), 0);
    EXPECT_EQ(null.compare(static_cast<const char*>(nullptr)), 0);
    EXPECT_GT(WString("").compare(static_cast<const char*>(nullptr)), 0);
    EXPECT_GT(WString("abc").compare("ABC"), 0);
    EXPECT_EQ(WString("abc").compareNoCase("ABC"), 0);
    EXPECT_LT(WString().compareNoCase("A"), 0);
    EXPECT_EQ(WString().compareNoCase(WString()), 0);
    // A byte above 127 sorts after every ASCII byte, whatever the signedness of char.
    EXPECT_GT(WString("\xe9").compare("z"), 0);
    EXPECT_TRUE(WString("z") < WString("\xe9"));
}

TEST(WStringTest, RelationalOperatorsMirrorWithTextOnTheLeft)
{
    WString b("b");
    EXPECT_TRUE("a" < b);
    EXPECT_TRUE("a" <= b);
    EXPECT_FALSE("a" > b);
    EXPECT_FALSE("a" >= b);
    EXPECT_TRUE("b" == b);
    EXPECT_FALSE("b" != b);
    EXPECT_TRUE("c" > b);
    EXPECT_TRUE(b > "a");
    EXPECT_TRUE(b >= "b");
    EXPECT_TRUE(b <= "b");
    EXPECT_TRUE(b < WString("c"));
    EXPECT_TRUE(b <= WString("c"));
    EXPECT_TRUE(b >= WString("a"));
    EXPECT_TRUE(b != WString("a"));
}

TEST(WStringTest, FindRejectsStartsBeyondTheText)
{
    WString abc("abc");
    EXPECT_EQ(abc.find('b'), 1);
    EXPECT_EQ(abc.find('b', 4), -1);
    EXPECT_EQ(abc.find('b', -1), -1);
    EXPECT_EQ(abc.find('b', 2), -1);
    EXPECT_EQ(abc.find("c", 3), -1);
    EXPECT_EQ(abc.find("", 3), 3);
    EXPECT_EQ(abc.find("bc"), 1);
    EXPECT_EQ(abc.find(WString("c"), 1), 2);
    EXPECT_EQ(abc.find("x"), -1);
    EXPECT_EQ(WString().find('a'), -1);
    EXPECT_EQ(WString().find(""), -1);
    EXPECT_EQ(WString("x\xe9y").find('\xe9'), 1);
    EXPECT_EQ(WString("x\xe9y").find("\xe9y"), 1);
}

TEST(WStringTest, FindLastAndFindFirstOf)
{
    WString path("/usr/gp2x/gp2xmenu");
    EXPECT_EQ(path.findLast('/'), 9);
    EXPECT_EQ(path.findLast('q'), -1);
    EXPECT_EQ(WString().findLast('/'), -1);
    EXPECT_EQ(path.findFirstOf("xg"), 5);
    EXPECT_EQ(path.findFirstOf(WString("m")), 14);
    EXPECT_EQ(path.findFirstOf("Q"), -1);
    EXPECT_EQ(path.findFirstOf(""), -1);
    EXPECT_EQ(WString().findFirstOf("a"), -1);
}

TEST(WStringTest, NullPatternsTakeHarmlessFallbacks)
{
    WString abc("abc");
    const char* none = nullptr;
    EXPECT_EQ(abc.find(none), -1);
    EXPECT_EQ(abc.find(WString()), -1);
    EXPECT_EQ(abc.findFirstOf(none), -1);
    EXPECT_EQ(bytes(abc.replace(none, "x")), "abc");
    EXPECT_EQ(bytes(abc.replace("", "x")), "abc");
    EXPECT_EQ(bytes(WString().replace("", "x")), "<null>");
    EXPECT_EQ(bytes(abc.expandTabs(0)), "abc");
    EXPECT_EQ(bytes(abc.expandTabs(-3)), "abc");
    WString null;
    null.center(10);
    EXPECT_EQ(null.text(), nullptr);
    EXPECT_EQ(null.escaped().text(), nullptr);
    null.format(nullptr);
    EXPECT_EQ(bytes(null), "");
}

TEST(WStringTest, ReplaceScansLeftToRightWithoutOverlap)
{
    WString line("cd %cwd%%cwd%/x");
    EXPECT_EQ(bytes(line.replace("%cwd%", "/mnt/sd")), "cd /mnt/sd/mnt/sd/x");
    EXPECT_EQ(bytes(line.replace("%cwd%", nullptr)), "cd %cwd%%cwd%/x");
    EXPECT_EQ(bytes(line), "cd %cwd%%cwd%/x");
    EXPECT_EQ(bytes(WString("aaa").replace("aa", "b")), "ba");
    EXPECT_EQ(bytes(WString("ab").replace("a", "aa")), "aab");
    EXPECT_EQ(bytes(WString("abc").replace("b", "")), "ac");
    EXPECT_EQ(bytes(WString("abc").replace("x", "y")), "abc");
    EXPECT_EQ(bytes(WString().replace("x", "y")), "");
    EXPECT_EQ(bytes(WString().replace("x", nullptr)), "<null>");
    EXPECT_EQ(bytes(WString("a%b%").replace(WString("%"), WString("%%"))), "a%%b%%");
}

TEST(WStringTest, LineEndingConversion)
{
    WString s("a\nb\r\nc\n");
    s.toCRLF();
    EXPECT_EQ(bytes(s), "a\r\nb\r\r\nc\r\n");
    WString t("a\r\nb\r\n\r\n");
    t.toLF();
    EXPECT_EQ(bytes(t), "a\nb\n\n");
}

TEST(WStringTest, JoinKeepsEmptyElementsAndNullForNothing)
{
    WString comma(",");
    WString::Array items("a", "", "b", nullptr);
    EXPECT_EQ(bytes(comma.join(items)), "a,,b");
    EXPECT_EQ(bytes(comma.join(WString::Array())), "<null>");
    EXPECT_EQ(bytes(comma.join(WString::Array("only", nullptr))), "only");
    EXPECT_EQ(bytes(WString().join(items)), "ab");

    WString::Array nulls;
    nulls.resize(2);
    EXPECT_EQ(bytes(WString().join(nulls)), "<null>");
    EXPECT_EQ(bytes(comma.join(nulls)), ",");
    nulls.resize(1);
    EXPECT_EQ(bytes(comma.join(nulls)), "<null>");
}

TEST(WStringTest, ExpandTabsPadsToTheNextMultipleOfWidth)
{
    EXPECT_EQ(bytes(WString("a\tb").expandTabs(4)), "a   b");
    EXPECT_EQ(bytes(WString("abcd\tb").expandTabs(4)), "abcd    b");
    EXPECT_EQ(bytes(WString("\t\t").expandTabs(3)), "      ");
    // Columns run from the start of the string, line breaks included.
    EXPECT_EQ(bytes(WString("ab\n\tc").expandTabs(4)), "ab\n c");
    EXPECT_EQ(bytes(WString("a\tb").expandTabs(1)), "a b");
    EXPECT_EQ(bytes(WString("none").expandTabs(8)), "none");
    EXPECT_EQ(bytes(WString().expandTabs(8)), "");
}

TEST(WStringTest, EscapedSpellsControlBytes)
{
    EXPECT_EQ(bytes(WString("A\t\x01").escaped()), "A\\t\\001");
    EXPECT_EQ(bytes(WString("\n\r\x1b").escaped()), "\\n\\r\\033");
    EXPECT_EQ(bytes(WString("\x1f \x7f\xff").escaped()), "\\037 \x7f\xff");
    EXPECT_EQ(bytes(WString("").escaped()), "<null>");
}

TEST(WStringTest, TrimRemovesOnlySpaceTabCrLf)
{
    WString s(" \t\r\n");
    s.trim();
    EXPECT_EQ(bytes(s), "");
    WString t("\v a b \f");
    t.trim();
    EXPECT_EQ(bytes(t), "\v a b \f");
    WString u("  x y\t\r\n");
    WString v(u);
    WString w(u);
    u.trim();
    v.trimLeft();
    w.trimRight();
    EXPECT_EQ(bytes(u), "x y");
    EXPECT_EQ(bytes(v), "x y\t\r\n");
    EXPECT_EQ(bytes(w), "  x y");
    WString null;
    null.trim();
    EXPECT_EQ(null.text(), nullptr);
}

TEST(WStringTest, CenterPutsTheOddSpaceOnTheRight)
{
    WString a("ab");
    a.center(6);
    EXPECT_EQ(bytes(a), "  ab  ");
    WString b("ab");
    b.center(5);
    EXPECT_EQ(bytes(b), " ab  ");
    WString c("abc");
    c.center(2);
    EXPECT_EQ(bytes(c), "abc");
    WString d("abc");
    d.center(0);
    EXPECT_EQ(bytes(d), "abc");
    WString e("");
    e.center(3);
    EXPECT_EQ(bytes(e), "   ");
}

TEST(WStringTest, WordsAreRunsOfNonWhitespace)
{
    EXPECT_EQ(joined(WString("  exec\t/usr/gp2x \r\n menu ").words()), "[exec][/usr/gp2x][menu]");
    EXPECT_EQ(joined(WString("one").words()), "[one]");
    EXPECT_EQ(joined(WString("\xe9t\xe9\vx").words()), "[\xe9t\xe9\vx]");
    EXPECT_EQ(WString(" \t\r\n").words().count(), 0);
    EXPECT_EQ(WString().words().count(), 0);
}

TEST(WStringTest, SplitKeepsEmptyPiecesAndHonoursMaxSplits)
{
    EXPECT_EQ(joined(WString("a\n\nb").split("\n", -1)), "[a][][b]");
    EXPECT_EQ(joined(WString("a\nb\n").split("\n", -1)), "[a][b][]");
    EXPECT_EQ(joined(WString("").split("\n", -1)), "[]");
    EXPECT_EQ(joined(WString().split("\n", -1)), "[]");
    EXPECT_EQ(joined(WString("x,y,z").split(',', 1)), "[x][y,z]");
    EXPECT_EQ(joined(WString("x,y,z").split(',', 0)), "[x,y,z]");
    EXPECT_EQ(joined(WString("x,y,z").split(',', 5)), "[x][y][z]");
    EXPECT_EQ(joined(WString("x,y,z").split(',')), "[x][y][z]");
    EXPECT_EQ(joined(WString("a--b----c").split("--", -1)), "[a][b][][c]");
    EXPECT_EQ(joined(WString("a--b").split(WString("--"))), "[a][b]");
    EXPECT_EQ(joined(WString("abc").split("", -1)), "[abc]");
    EXPECT_EQ(joined(WString("abc").split(static_cast<const char*>(nullptr), -1)), "[abc]");
    EXPECT_EQ(joined(WString("abc").split('\0', -1)), "[abc]");
    EXPECT_EQ(joined(WString().split("", -1)), "[<null>]");
    EXPECT_EQ(joined(WString("\xe9\xff\xe9").split('\xff')), "[\xe9][\xe9]");
}

TEST(WStringTest, WholeFileTextsSplitIntoEveryLine)
{
    // A 1 MiB file of 40,000 CR LF lines, as a skin is read: drop the CRs, split on LF.
    std::string file;
    for (int i = 0; i < 40000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "BUTTON=%05d,image,a.png\r\n", i);
        file += line;
    }
    ASSERT_LT(file.size(), 1u << 20);
    file.resize(1 << 20, 'x');
    WString text(file.c_str());
    WString::Array lines = text.replace("\r", "").split("\n", -1);
    ASSERT_EQ(lines.count(), 40001);
    EXPECT_EQ(bytes(lines[0]), "BUTTON=00000,image,a.png");
    EXPECT_EQ(bytes(lines[39999]), "BUTTON=39999,image,a.png");
    EXPECT_EQ(lines[40000].length(), static_cast<int>((1u << 20) - file.rfind('\n') - 1));

    WString rejoined = WString("\n").join(lines);
    EXPECT_EQ(rejoined.length(), text.length() - 40000);

    // One line of 1 MiB without any separator.
    WString single(std::string(1 << 20, 'q').c_str());
    WString::Array one = single.replace("\r", "").split("\n", -1);
    ASSERT_EQ(one.count(), 1);
    EXPECT_EQ(one[0].length(), 1 << 20);
    EXPECT_EQ(single.words().count(), 1);
}

TEST(WStringTest, EveryByteValueSurvivesTheWholeTextOperations)
{
    // Every byte from 1 to 255, repeated up to 1 MiB.
    std::string raw;
    while (raw.size() < (1u << 20)) {
        for (int b = 1; b < 256; ++b) {
            raw += static_cast<char>(b);
        }
    }
    raw.resize(1 << 20);
    WString text(raw.c_str());
    ASSERT_EQ(text.length(), 1 << 20);

    const char* separators[] = {"\n", "\xff", "\x80\x81", "\xe9", ","};
    for (const char* separator : separators) {
        WString::Array pieces = text.split(separator, -1);
        EXPECT_TRUE(WString(separator).join(pieces) == text) << "separator " << separator;
        EXPECT_TRUE(text.replace(separator, separator) == text);
    }
    const int runs = (1 << 20) / 255;
    WString withoutHigh = text.replace("\xff", "");
    EXPECT_EQ(withoutHigh.length(), text.length() - runs);
    EXPECT_EQ(withoutHigh.find('\xff'), -1);

    // 4112 full runs of 1..255 and a tail of 1..16. A run holds LF, CR and TAB (one extra byte
    // each) and 28 other control bytes (three extra each); the tail holds all three and 13 others.
    ASSERT_EQ(runs, 4112);
    EXPECT_EQ(text.escaped().length(), (1 << 20) + runs * (3 + 28 * 3) + (3 + 13 * 3));
    WString expanded = text.expandTabs(4);
    EXPECT_EQ(expanded.find('\t'), -1);
    EXPECT_GE(expanded.length(), text.length());

    WString upper(text);
    upper.toUpper();
    EXPECT_EQ(upper.compareNoCase(text), 0);
    EXPECT_EQ(upper.length(), text.length());

    WString::Array words = text.words();
    size_t wordBytes = 0;
    for (int i = 0; i < words.count(); ++i) {
        EXPECT_EQ(words[i].findFirstOf(" \t\r\n"), -1);
        wordBytes += static_cast<size_t>(words[i].length());
    }
    // Four whitespace bytes in each run, three (TAB, LF, CR) in the tail.
    EXPECT_EQ(wordBytes, raw.size() - 4 * runs - 3);

    WString padded(text);
    padded.center((1 << 20) + 3);
    EXPECT_EQ(padded.length(), (1 << 20) + 3);
    EXPECT_EQ(padded.mid(1, 1 << 20).compare(text), 0);
}

TEST(WStringTest, SubscriptReadsAndWritesWithinTheText)
{
    WString s("abc");
    EXPECT_EQ(s[1], 'b');
    s[1] = 'x';
    EXPECT_EQ(bytes(s), "axc");
    EXPECT_EQ(s[3], '\0');
    const WString& constant = s;
    EXPECT_EQ(constant[2], 'c');
    WString null;
    EXPECT_EQ(null[0], '\0');
    null[0] = 'z';
    EXPECT_EQ(null[0], '\0');
    EXPECT_EQ(null.text(), nullptr);
}

TEST(WStringDeathTest, SubscriptOutsideTheTextStopsTheProgram)
{
    WString s("abc");
    EXPECT_DEATH(s[4], "check failed");
    EXPECT_DEATH(s[-1], "check failed");
    WString null;
    EXPECT_DEATH(null[1], "check failed");
}
