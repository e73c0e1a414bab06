// Tests of the length-tracked text buffer behind the readers and the expansion.
#include "config/TextBuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextBufferTest, NullUntilSomethingIsAppendedEvenAZeroLengthText)
{
    TextBuffer buffer;
    EXPECT_TRUE(buffer.isNull());
    EXPECT_EQ(nullptr, buffer.toString().text());
    EXPECT_STREQ("", buffer.data());
    buffer.append(static_cast<const char*>(nullptr));
    EXPECT_EQ(nullptr, buffer.toString().text());
    buffer.append("");
    EXPECT_FALSE(buffer.isNull());
    ASSERT_NE(nullptr, buffer.toString().text());
    EXPECT_STREQ("", buffer.toString().text());
    buffer.clear();
    EXPECT_TRUE(buffer.isNull());
}

TEST(TextBufferTest, LongTextsSurviveGrowthAndTruncation)
{
    TextBuffer buffer;
    std::string expected;
    for (int i = 0; i < 10000; ++i) {
        char c = static_cast<char>('a' + i % 26);
        buffer.append(c);
        buffer.append(WString("|"));
        buffer.append("xyz", 2);
        expected += c;
        expected += "|xy";
    }
    ASSERT_EQ(static_cast<int>(expected.size()), buffer.length());
    EXPECT_EQ(expected, buffer.toString().text());
    buffer.truncate(5);
    EXPECT_STREQ("a|xyb", buffer.data());
    buffer.append("!");
    EXPECT_STREQ("a|xyb!", buffer.data());
}

} // namespace
