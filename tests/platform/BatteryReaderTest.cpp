// BatteryReader on real files standing in for /dev/batt.
#include "platform/BatteryReader.h"

#include "platform/Files.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class BatteryReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }
    TempFolder folder;
};

TEST_F(BatteryReaderTest, ReadsLittleEndianPairsUntilTheStreamEnds)
{
    // The last byte is half a reading: the stream ends there.
    std::string path = folder.write("batt", std::string("\x34\x12\xFF\xFF\x00\x00\x01\x80\x56", 9));
    BatteryReader battery(path.c_str());
    for (int expected : {4660, 65535, 0, 0x8001, -1, -1})
        EXPECT_EQ(battery.read(), expected);
}

TEST_F(BatteryReaderTest, MissingOrUnnamedDeviceReadsMinusOne)
{
    std::string missing = folder / "no-such-batt";
    for (const char* path : {missing.c_str(), static_cast<const char*>(nullptr)}) {
        BatteryReader battery(path);
        EXPECT_FALSE(battery.isOpen());
        EXPECT_EQ(battery.read(), -1);
        EXPECT_FALSE(battery.open());
        EXPECT_EQ(battery.read(), -1);
    }
}

TEST_F(BatteryReaderTest, AfterCloseEveryReadIsMinusOneUntilOpenBringsTheCopiedPathBack)
{
    std::string path = folder.write("batt", std::string("\x34\x12\x20\x00", 4));
    BatteryReader battery(path.c_str());
    path = "/nowhere"; // the reader keeps its own copy
    EXPECT_TRUE(battery.open()) << "already open: nothing changes";
    EXPECT_EQ(battery.read(), 4660);
    battery.close();
    battery.close(); // closing twice is harmless
    EXPECT_FALSE(battery.isOpen());
    EXPECT_EQ(battery.read(), -1);
    EXPECT_EQ(battery.read(), -1);
    // After a failed launch: a file starts again from its beginning.
    ASSERT_TRUE(battery.open());
    EXPECT_EQ(battery.read(), 4660);
    EXPECT_EQ(battery.read(), 0x20);
}

TEST_F(BatteryReaderTest, PathOnTheCardGoesThroughTheCardFolder)
{
    folder.write("batt.bin", std::string("\x02\x01", 2));
    setSdRoot(folder.path().c_str());
    BatteryReader battery("/mnt/sd/batt.bin");
    setSdRoot(nullptr);
    EXPECT_EQ(battery.read(), 0x0102);
}

} // namespace
