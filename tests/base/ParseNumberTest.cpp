// Tests of parseNumber: atoi's reading of a number, held at the ends of int.
#include "base/ParseNumber.h"

#include <gtest/gtest.h>
#include <limits.h>

TEST(ParseNumberTest, ReadsAsAtoiAndHoldsAtTheEndsOfInt)
{
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {" \t\n\v\f\r-17x", -17},
        {"+05 6", 5},
        {"- 5", 0},
        {nullptr, 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"99999999999999999999", INT_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, parseNumber(c.text)) << (c.text ? c.text : "null");
}
