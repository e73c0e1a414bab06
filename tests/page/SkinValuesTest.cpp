// Skin colours and numbers as the page directives read them.
#include <gtest/gtest.h>

#include <limits.h>

#include "page/SkinValues.h"

TEST(SkinValuesTest, ParseColorKeepsFiveBitsPerChannel)
{
    EXPECT_EQ(parseColor("FFFFFF"), 0xFFDF);
    EXPECT_EQ(parseColor("7F7F7F"), 0x7BCF);
    EXPECT_EQ(parseColor("000000"), 0x0000);
    EXPECT_EQ(parseColor("FF0000"), 0xF800);
    EXPECT_EQ(parseColor("00FF00"), 0x07C0);
    EXPECT_EQ(parseColor("0000ff"), 0x001F);
    // The low three bits of every channel are dropped.
    EXPECT_EQ(parseColor("070707"), 0x0000);
    EXPECT_EQ(parseColor("08F810"), (0x08 << 8) | (0xF8 << 3) | (0x10 >> 3));
}

TEST(SkinValuesTest, ParseColorOfWrongLengthIsTheWarningColour)
{
    EXPECT_EQ(parseColor("FFF"), 0xD431);
    EXPECT_EQ(parseColor("FFFFFFF"), 0xD431);
    EXPECT_EQ(parseColor(" FFFFFF"), 0xD431) << "a colour after a comma and a space";
    EXPECT_EQ(parseColor(""), 0xD431);
    EXPECT_EQ(parseColor(WString()), 0xD431);
}

TEST(SkinValuesTest, ParseColorReadsEachPieceAsStrtolDoes)
{
    EXPECT_EQ(parseColor("GG0000"), 0x0000) << "no hex digit in GG";
    EXPECT_EQ(parseColor("F G000"), 0x0800) << "F then a stop: 15";
    EXPECT_EQ(parseColor("0xFFFF"), parseColor("00FFFF")) << "0x reads as 0";
    // strtol skips leading space and takes a sign: " F" is 15 and "-1" is -1 (all bits set).
    EXPECT_EQ(parseColor(" F0000"), parseColor("0F0000"));
    EXPECT_EQ(parseColor("-10000"), 0xF800);
}

TEST(SkinValuesTest, SkinNumberReadsAsAtoi)
{
    EXPECT_EQ(skinNumber("42"), 42);
    EXPECT_EQ(skinNumber("  -7px"), -7);
    EXPECT_EQ(skinNumber("+5"), 5);
    EXPECT_EQ(skinNumber("x5"), 0);
    EXPECT_EQ(skinNumber(""), 0);
    EXPECT_EQ(skinNumber(WString()), 0);
    EXPECT_EQ(skinNumber("99999999999999999999"), INT_MAX);
    EXPECT_EQ(skinNumber("-99999999999999999999"), INT_MIN);
}
