// Tests of WString and WString::Array: null versus empty, slicing, searching, building, splitting,
// the array's growth rules and value semantics, and the guards.
#include "base/WString.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

// The bytes of a string, the null string told apart from the empty one.
std::string bytes(const WString& s)
{
    return s.text() == nullptr ? "<null>" : s.text();
}

// An operation's result beside the bytes it must hold.
struct Case {
    WString result;
    const char* expected;
};

} // namespace

TEST(WStringTest, NullAndEmptyStringsAreDistinctAndCopiesOwnTheirText)
{
    WString null, empty(""), s("hello world"), copy(s);
    EXPECT_TRUE(null == WString() && null < empty && null != "" && null.compareNoCase("") < 0);
    EXPECT_TRUE(WString(null).text() == nullptr && null.isEmpty() && empty.isEmpty());
    copy[0] = 'x';
    s = s.text() + 6; // a tail of its own text
    s += s;
    s.format(" \t\v%s=%s, longer than before\f\r\n", s.text(), copy.text());
    s.trim(); // whitespace is exactly space, TAB, CR and LF
    EXPECT_EQ("\vworldworld=xello world, longer than before\f", bytes(s));
}

// Slices clamp to the text and never give the null string; null pieces add nothing; splitting
// keeps empty pieces.
TEST(WStringTest, EachOperationGivingAString)
{
    WString abc("abc"), null, b("b"), bar("|");
    const Case slices[] = {
        {abc.left(-1), ""},     {abc.left(10), "abc"}, {abc.right(2), "bc"}, {abc.mid(3), ""},
        {abc.mid(4), ""},       {abc.mid(0, -1), ""},  {abc.mid(4, 1), ""},  {abc.mid(-4, 2), "ab"},
        {abc.mid(1, 10), "bc"}, {null.left(2), ""},    {null.mid(0, 3), ""}, {null * 4, "<null>"},
    };
    const Case built[] = {
        {abc.mid(2147483647, 2147483647), ""},
        {'x' + b + "c" + 'y' + null, "xbcy"},
        {abc.replace("b", nullptr), "abc"},
        {WString("aaa").replace("aa", "b"), "ba"},
        {WString("cd %cwd%%cwd%/x").replace("%cwd%", "/mnt/sd"), "cd /mnt/sd/mnt/sd/x"},
        {WString(",").join(WString::Array("a", "", "b", nullptr)), "a,,b"},
        {WString(",").join(WString::Array()), "<null>"},
        {WString("ab\n\tc").expandTabs(4), "ab\n c"}, // columns run across line breaks
        {WString("A\t\x01\n\r\x1b\x7f\xff").escaped(), "A\\t\\001\\n\\r\\033\x7f\xff"},
        {WString().format("p%i", 7), "p7"},
        {WString("ab").format("%s!", "0123456789abcdef0123456789abcdef"),
         "0123456789abcdef0123456789abcdef!"},
        {bar.join(WString("  exec\t/usr \r\n menu\va ").words()), "exec|/usr|menu\va"},
        {bar.join(WString("a\n\nb\n").split("\n", -1)), "a||b|"},
        {bar.join(WString().split("\n", -1)), ""},
        {bar.join(WString("x,y,z").split(',', 1)), "x|y,z"},
        {bar.join(WString("a--b----c").split("--")), "a|b||c"},
    };
    for (const auto& c : slices)
        EXPECT_EQ(c.expected, bytes(c.result)) << "slice " << &c - slices;
    for (const auto& c : built)
        EXPECT_EQ(c.expected, bytes(c.result)) << "built " << &c - built;
}

TEST(WStringTest, SearchesAndComparisons)
{
    WString abc("abc"), path("/usr/gp2x/gp2xmenu");
    const int cases[][2] = {
        {abc.find('b', 4), -1}, {abc.find('b', -1), -1}, {abc.find("c", 3), -1},
        {abc.find("", 3), 3},   {abc.find(nullptr), -1}, {path.findLast('/'), 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c[1], c[0]) << "case " << &c - cases;
    EXPECT_GT(abc.compare("ABC"), 0);
    EXPECT_GT(WString("\xe9").compare("z"), 0); // bytes compare as unsigned values
    WString b("b");
    EXPECT_TRUE("a" < b && "c" > b && "b" <= b && "b" >= b && "b" == b && "a" != b);
    EXPECT_FALSE("a" > b || "a" >= b || "c" < b || "c" <= b || "a" == b || "b" != b);
}

TEST(WStringArrayTest, GrowsByHalfWithFourSpareAndShrinksBelowHalf)
{
    WString::Array items;
    const int steps[][2] = {{1, 5}, {5, 5}, {6, 10}, {11, 15}, {16, 22}};
    for (const auto& step : steps) {
        for (int next = items.count(); next < step[0]; ++next)
            EXPECT_EQ(next, items.append(std::to_string(next).c_str()));
        EXPECT_EQ(step[1], items.capacity()) << "after append " << step[0];
    }
    for (int taken = 0; taken < 5; ++taken)
        EXPECT_EQ(std::to_string(taken), bytes(items.take(0)));
    EXPECT_EQ(22, items.capacity()); // 11 of 22 slots in use: not below half
    items.take(5);
    items.resize(12);
    EXPECT_EQ(14, items.capacity());
    EXPECT_EQ("5,6,7,8,9,11,12,13,14,15,,", bytes(items.join(",")));
    items.resize(-5);
    EXPECT_EQ(0, items.count());
}

TEST(WStringArrayTest, CopiesAreIndependentAndSlotsMoveAsOnePointer)
{
    WString::Array fruit("pear", "apple", "fig", "banana", "kiwi", nullptr), copy(fruit);
    WString::Array assigned("1", "2", "3", "4", "5", "6", "7", nullptr);
    assigned = fruit;
    assigned = *&assigned;
    copy[0] = "changed";
    fruit.append(fruit[0]); // the slots move while the element is copied
    std::qsort(fruit.data(), static_cast<size_t>(fruit.count()), sizeof(char*),
               [](const void* a, const void* b) {
                   return static_cast<const WString*>(a)->compare(*static_cast<const WString*>(b));
               });
    EXPECT_EQ(
        "apple,banana,fig,kiwi,pear,pear changed,apple,fig,banana,kiwi pear,apple,fig,banana,kiwi",
        bytes(fruit.join(",") + " " + copy.join(",") + " " + assigned.join(",")));
    EXPECT_EQ(0, WString::Array(static_cast<const char*>(nullptr)).count());
}

TEST(WStringDeathTest, IndicesOutsideTheTextOrArrayStopTheProgram)
{
    WString s("abc");
    WString::Array items("a", "b", nullptr);
    EXPECT_DEATH(s[4], "check failed");
    EXPECT_DEATH(items[2], "check failed");
    EXPECT_DEATH(items.take(-1), "check failed");
}
