// BatteryReader on real files standing in for /dev/batt.
#include "platform/BatteryReader.h"

#include "platform/Files.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(BatteryReaderTest, ReadsLittleEndianPairs)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::string path = folder.write("batt", std::string("\x34\x12\xFF\xFF\x00\x00\x01\x80", 8));
    BatteryReader battery(path.c_str());
    EXPECT_TRUE(battery.isOpen());
    EXPECT_EQ(battery.read(), 4660);
    EXPECT_EQ(battery.read(), 65535);
    EXPECT_EQ(battery.read(), 0);
    EXPECT_EQ(battery.read(), 0x8001);
    EXPECT_EQ(battery.read(), -1) << "end of the stream";
    EXPECT_EQ(battery.read(), -1) << "and it stays ended";
}

TEST(BatteryReaderTest, MissingDeviceReadsMinusOne)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::string path = folder / "no-such-batt";
    BatteryReader battery(path.c_str());
    EXPECT_FALSE(battery.isOpen());
    EXPECT_EQ(battery.read(), -1);
    EXPECT_EQ(battery.read(), -1);
    battery.close();
    EXPECT_FALSE(battery.open());
}

TEST(BatteryReaderTest, NullPathReadsMinusOne)
{
    BatteryReader battery(nullptr);
    EXPECT_EQ(battery.read(), -1);
    EXPECT_FALSE(battery.open());
}

TEST(BatteryReaderTest, AfterCloseEveryReadIsMinusOne)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::string path = folder.write("batt", std::string("\x34\x12\x34\x12\x34\x12", 6));
    BatteryReader battery(path.c_str());
    EXPECT_EQ(battery.read(), 4660);
    battery.close();
    EXPECT_FALSE(battery.isOpen());
    EXPECT_EQ(battery.read(), -1);
    EXPECT_EQ(battery.read(), -1);
    battery.close(); // closing twice is harmless
    EXPECT_EQ(battery.read(), -1);
}

TEST(BatteryReaderTest, OpenBringsTheDeviceBackAfterAFailedLaunch)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::string path = folder.write("batt", std::string("\x10\x00\x20\x00", 4));
    BatteryReader battery(path.c_str());
    EXPECT_TRUE(battery.open()) << "already open: nothing changes";
    EXPECT_EQ(battery.read(), 0x10);
    battery.close();
    ASSERT_TRUE(battery.open());
    // A file starts again from its beginning; the real device simply delivers its next reading.
    EXPECT_EQ(battery.read(), 0x10);
    EXPECT_EQ(battery.read(), 0x20);
}

TEST(BatteryReaderTest, StreamEndingInsideAPairGivesNoReading)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::string path = folder.write("batt", std::string("\x34\x12\x56", 3));
    BatteryReader battery(path.c_str());
    EXPECT_EQ(battery.read(), 4660);
    EXPECT_EQ(battery.read(), -1);
    EXPECT_EQ(battery.read(), -1);
}

TEST(BatteryReaderTest, PathOnTheCardGoesThroughTheCardFolder)
{
    TempFolder card;
    ASSERT_TRUE(card.ok());
    card.write("batt.bin", std::string("\x02\x01", 2));
    setSdRoot(card.path().c_str());
    BatteryReader battery("/mnt/sd/batt.bin");
    setSdRoot(nullptr);
    EXPECT_EQ(battery.read(), 0x0102);
}

TEST(BatteryReaderTest, ThePathIsCopied)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::string path = folder.write("batt", std::string("\x05\x00", 2));
    BatteryReader battery(path.c_str());
    battery.close();
    path = "/nowhere";
    ASSERT_TRUE(battery.open());
    EXPECT_EQ(battery.read(), 5);
}

} // namespace
