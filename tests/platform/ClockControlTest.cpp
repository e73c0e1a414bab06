// ClockControl: the PLL and display clock values written through the register window, and the
// settings it refuses or skips.
#include "platform/ClockControl.h"

#include "platform/RegisterWindow.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A value no valid setting produces: a register still holding it was not written.
const uint16_t untouched = 0xBEEF;

class ClockControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (uint16_t& r : registers)
            r = 0;
        setRegisterWindow(registers);
        markUntouched();
    }
    void TearDown() override { setRegisterWindow(nullptr); }

    void markUntouched()
    {
        writeRegister(ClockControl::CPU_PLL_REGISTER, untouched);
        writeRegister(ClockControl::DISPLAY_CLOCK_REGISTER, untouched);
    }
    uint16_t pll() const { return readRegister(ClockControl::CPU_PLL_REGISTER); }
    uint16_t display() const { return readRegister(ClockControl::DISPLAY_CLOCK_REGISTER); }

    static WString::Array setting(std::vector<const char*> values)
    {
        WString::Array array;
        for (const char* value : values)
            array.append(WString(value));
        return array;
    }

    uint16_t registers[REGISTER_WINDOW_BYTES / 2];
    ClockControl clock;
};

TEST_F(ClockControlTest, FreshControllerRemembersNothingAndWritesNothing)
{
    EXPECT_EQ(clock.cpuMHz(), -1);
    EXPECT_EQ(clock.displayClockSelect(), -1);
    EXPECT_EQ(clock.displayClockOffset(), -1);
    EXPECT_EQ(pll(), untouched);
    EXPECT_EQ(display(), untouched);
}

TEST_F(ClockControlTest, ProcessorClockValuesForEachSpeed)
{
    struct Case {
        const char* mhz;
        uint16_t pll;
    } cases[] = { { "200", 0x4904 }, { "133", 0x2E04 }, { "100", 0x2004 }, { "320", 0x7A04 },
                  { "33", 0x0504 },  { "266", 0x6404 } };
    for (const Case& c : cases) {
        ClockControl fresh;
        markUntouched();
        EXPECT_TRUE(fresh.setSpeed(setting({ c.mhz }))) << c.mhz;
        EXPECT_EQ(pll(), c.pll) << c.mhz;
        EXPECT_EQ(display(), untouched) << "a single value never touches the display clock";
    }
}

TEST_F(ClockControlTest, PllSettingGivesTheClockJustBelowTheRequest)
{
    ASSERT_TRUE(clock.applySpeed(0, 0, 200));
    EXPECT_EQ(ClockControl::processorClockHz(), 199065600u);
    ASSERT_TRUE(clock.applySpeed(0, 0, 320));
    EXPECT_EQ(ClockControl::processorClockHz(), 319488000u);
}

TEST_F(ClockControlTest, SingleValueLeavesDisplayClockFieldsUnset)
{
    ASSERT_TRUE(clock.setSpeed(setting({ "200" })));
    EXPECT_EQ(clock.cpuMHz(), 200);
    EXPECT_EQ(clock.displayClockSelect(), -1);
    EXPECT_EQ(clock.displayClockOffset(), -1);
}

TEST_F(ClockControlTest, RepeatedSettingWritesNothing)
{
    ASSERT_TRUE(clock.setSpeed(setting({ "200" })));
    markUntouched();
    EXPECT_TRUE(clock.setSpeed(setting({ "200" })));
    EXPECT_EQ(pll(), untouched);
    EXPECT_EQ(display(), untouched);

    ASSERT_TRUE(clock.setSpeed(setting({ "200", "1", "2" })));
    markUntouched();
    EXPECT_TRUE(clock.setSpeed(setting({ "200", "1", "2" })));
    EXPECT_TRUE(clock.setSpeed(setting({ "200" }))) << "one value keeps the display fields";
    EXPECT_EQ(pll(), untouched);
    EXPECT_EQ(display(), untouched);
}

TEST_F(ClockControlTest, EachRegisterIsWrittenOnlyWhenItsPartChanges)
{
    ASSERT_TRUE(clock.setSpeed(setting({ "200" })));
    markUntouched();
    ASSERT_TRUE(clock.setSpeed(setting({ "200", "0", "0" })));
    EXPECT_EQ(pll(), untouched);
    EXPECT_EQ(display(), 0x5A00);

    markUntouched();
    ASSERT_TRUE(clock.setSpeed(setting({ "133", "0", "0" })));
    EXPECT_EQ(pll(), 0x2E04);
    EXPECT_EQ(display(), untouched);
    EXPECT_EQ(clock.cpuMHz(), 133);
    EXPECT_EQ(clock.displayClockSelect(), 0);
    EXPECT_EQ(clock.displayClockOffset(), 0);
}

TEST_F(ClockControlTest, DisplayClockOffsetAddsToTheHighByte)
{
    struct Case {
        const char* select;
        const char* offset;
        uint16_t display;
    } cases[] = { { "0", "0", 0x5A00 }, { "0", "1", 0x5B00 }, { "0", "-1", 0x5900 },
                  { "1", "2", 0x8B00 }, { "7", "0", 0x8900 }, { "0", "166", 0x0000 },
                  { "1", "-138", 0xFF00 } };
    for (const Case& c : cases) {
        ClockControl fresh;
        markUntouched();
        ASSERT_TRUE(fresh.setSpeed(setting({ "200", c.select, c.offset })));
        EXPECT_EQ(display(), c.display) << c.select << "," << c.offset;
        EXPECT_EQ(pll(), 0x4904);
    }
}

TEST_F(ClockControlTest, SpeedsOutsideTheRangeAreRejectedWithNothingWritten)
{
    ASSERT_TRUE(clock.setSpeed(setting({ "200", "0", "0" })));
    markUntouched();
    const char* refused[] = { "32", "321", "0", "-200", "fast", "" };
    for (const char* mhz : refused) {
        EXPECT_FALSE(clock.setSpeed(setting({ mhz, "1", "1" }))) << mhz;
        EXPECT_FALSE(clock.setSpeed(setting({ mhz }))) << mhz;
    }
    EXPECT_EQ(pll(), untouched);
    EXPECT_EQ(display(), untouched) << "a refused speed does not set the display clock either";
    EXPECT_EQ(clock.cpuMHz(), 200);
    EXPECT_EQ(clock.displayClockSelect(), 0);
    EXPECT_EQ(clock.displayClockOffset(), 0);

    EXPECT_TRUE(clock.setSpeed(setting({ "33" })));
    EXPECT_TRUE(clock.setSpeed(setting({ "320" })));
}

TEST_F(ClockControlTest, SettingsOfTwoOrFourValuesAreRejected)
{
    EXPECT_FALSE(clock.setSpeed(setting({ "200", "1" })));
    EXPECT_FALSE(clock.setSpeed(setting({ "200", "1", "0", "0" })));
    EXPECT_FALSE(clock.setSpeed(setting({})));
    EXPECT_EQ(pll(), untouched);
    EXPECT_EQ(display(), untouched);
    EXPECT_EQ(clock.cpuMHz(), -1);
}

TEST_F(ClockControlTest, NumbersAreReadAsAtoiReadsThem)
{
    WString::Array values = setting({ " 200MHz", "1x", "+2" });
    ASSERT_TRUE(clock.setSpeed(values));
    EXPECT_EQ(pll(), 0x4904);
    EXPECT_EQ(display(), 0x8B00);

    // A word without any text reads as 0 instead of crashing.
    WString::Array withNull;
    withNull.append(WString("100"));
    withNull.append(WString());
    withNull.append(WString());
    ClockControl fresh;
    ASSERT_TRUE(fresh.setSpeed(withNull));
    EXPECT_EQ(fresh.displayClockSelect(), 0);
    WString::Array nullSpeed;
    nullSpeed.append(WString());
    EXPECT_FALSE(fresh.setSpeed(nullSpeed));
}

TEST(ClockControlWindowTest, WithoutAMappedWindowTheClockWritesPlainMemory)
{
    setRegisterWindow(nullptr);
    ClockControl clock;
    ASSERT_TRUE(clock.applySpeed(0, 0, 200));
    EXPECT_EQ(readRegister(ClockControl::CPU_PLL_REGISTER), 0x4904);
    EXPECT_EQ(readRegister(ClockControl::DISPLAY_CLOCK_REGISTER), 0x5A00);
}

} // namespace
