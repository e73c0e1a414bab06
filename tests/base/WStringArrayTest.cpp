// Tests of WString::Array: growth and shrink rules, value semantics, take, join and the guards.
#include "base/WString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string joined(const WString::Array& items)
{
    std::string out;
    for (int i = 0; i < items.count(); ++i) {
        const char* text = items[i].text();
        out += "[" + (text == nullptr ? std::string("<null>") : std::string(text)) + "]";
    }
    return out;
}

WString::Array numbered(int n)
{
    WString::Array items;
    for (int i = 0; i < n; ++i) {
        items.append(WString(std::to_string(i).c_str()));
    }
    return items;
}

} // namespace

TEST(WStringArrayTest, AppendsGrowCapacityByHalfWithFourSpare)
{
    WString::Array items;
    EXPECT_EQ(items.capacity(), 0);
    EXPECT_EQ(items.data(), nullptr);
    // The capacity after the nth append, for n = 1, 6, 11, 16, 23 and 34.
    const int steps[][2] = {{1, 5}, {5, 5}, {6, 10}, {11, 15}, {16, 22}, {23, 33}, {34, 49}};
    for (const auto& step : steps) {
        while (items.count() < step[0]) {
            const int next = items.count();
            EXPECT_EQ(items.append(WString(std::to_string(next).c_str())), next);
        }
        EXPECT_EQ(items.capacity(), step[1]) << "after append " << step[0];
    }
    EXPECT_EQ(std::string(items[15].text()), "15");
}

TEST(WStringArrayTest, RemovalShrinksOnlyBelowHalfCapacity)
{
    WString::Array items = numbered(16);
    ASSERT_EQ(items.capacity(), 22);
    while (items.count() > 11) {
        items.take(0);
        EXPECT_EQ(items.capacity(), 22);
    }
    items.take(5);
    EXPECT_EQ(items.capacity(), 14);
    EXPECT_EQ(joined(items), "[5][6][7][8][9][11][12][13][14][15]");
    items.resize(7);
    EXPECT_EQ(items.capacity(), 14);
    items.resize(6);
    EXPECT_EQ(items.capacity(), 10);
    EXPECT_EQ(joined(items), "[5][6][7][8][9][11]");
}

TEST(WStringArrayTest, ResizeAddsNullStringsOrDropsTheTailAndTakeShifts)
{
    WString::Array items("a", "b", "c", nullptr);
    EXPECT_EQ(std::string(items.take(0).text()), "a");
    EXPECT_EQ(std::string(items.take(1).text()), "c");
    items.resize(3);
    EXPECT_EQ(joined(items), "[b][<null>][<null>]");
    items.resize(1);
    EXPECT_EQ(joined(items), "[b]");
    items.resize(-5);
    EXPECT_EQ(items.count(), 0);
}

TEST(WStringArrayTest, ListConstructorStopsAtTheNullPointerAndJoinLeavesTheArrayAlone)
{
    EXPECT_EQ(WString::Array(static_cast<const char*>(nullptr)).count(), 0);
    WString::Array action("exec", "", "/usr/gp2x/gp2xmenu", nullptr);
    EXPECT_EQ(std::string(action.join("--").text()), "exec----/usr/gp2x/gp2xmenu");
    EXPECT_EQ(joined(action), "[exec][][/usr/gp2x/gp2xmenu]");
}

TEST(WStringArrayTest, CopiesAreIndependent)
{
    WString::Array source("a", "b", nullptr);
    WString::Array copy(source);
    copy[0] = "changed";
    copy.append("c");
    EXPECT_EQ(joined(source), "[a][b]");
    EXPECT_EQ(joined(copy), "[changed][b][c]");

    WString::Array assigned = numbered(12);
    assigned = source;
    assigned[1] = "z";
    EXPECT_EQ(joined(assigned), "[a][z]");
    EXPECT_EQ(joined(source), "[a][b]");

    WString::Array& self = source;
    source = self;
    EXPECT_EQ(joined(source), "[a][b]");
}

TEST(WStringArrayTest, AppendingOwnElementSurvivesGrowth)
{
    WString::Array items("a", "b", "c", "d", "e", nullptr);
    ASSERT_EQ(items.capacity(), 5);
    items.append(items[0]);
    EXPECT_EQ(joined(items), "[a][b][c][d][e][a]");
}

TEST(WStringArrayTest, DataCanBeSortedWithQsort)
{
    WString::Array items("pear", "apple", "fig", "banana", nullptr);
    std::qsort(items.data(), static_cast<size_t>(items.count()), sizeof(char*),
               [](const void* a, const void* b) {
                   return static_cast<const WString*>(a)->compare(*static_cast<const WString*>(b));
               });
    EXPECT_EQ(joined(items), "[apple][banana][fig][pear]");
}

TEST(WStringArrayDeathTest, IndicesOutsideTheArrayStopTheProgram)
{
    WString::Array items("a", "b", nullptr);
    EXPECT_DEATH(items[2], "check failed");
    EXPECT_DEATH(items[-1], "check failed");
    EXPECT_DEATH(items.take(2), "check failed");
    const WString::Array& constant = items;
    EXPECT_DEATH(constant[5], "check failed");
}
