// Skin colours and numbers as the page directives read them.
#include "page/SkinValues.h"

#include <gtest/gtest.h>
#include <limits.h>

TEST(SkinValuesTest, ColoursAndNumbers)
{
    EXPECT_EQ(parseColor("0000ff"), 0x001F) << "hex digits in either case";
    EXPECT_EQ(parseColor("07FF07"), 0x07C0) << "three low bits dropped a channel, bit 5 clear";
    EXPECT_EQ(parseColor("GG0000"), 0x0000) << "each piece reads as strtol: no digit gives 0";
    EXPECT_EQ(parseColor("F G000"), 0x0800) << "F then a stop: 15";
    EXPECT_EQ(parseColor("-10000"), 0xF800) << "a sign is read too: -1 has every bit set";
    // Anything but six bytes is the warning colour.
    EXPECT_EQ(parseColor("FFF"), 0xD431);
    EXPECT_EQ(parseColor(" FFFFFF"), 0xD431);
    EXPECT_EQ(parseColor(WString()), 0xD431);
    EXPECT_EQ(skinNumber(WString()), 0);
    EXPECT_EQ(skinNumber("  -7px"), -7);
    EXPECT_EQ(skinNumber("-99999999999999999999"), INT_MIN);
}
