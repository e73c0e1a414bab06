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

    bool set(std::vector<const char*> values)
    {
        WString::Array array;
        for (const char* value : values)
            array.append(value ? WString(value) : WString());
        return clock.setSpeed(array);
    }

    uint16_t registers[REGISTER_WINDOW_BYTES / 2] = {};
    ClockControl clock;
};

// One value sets the processor clock alone; three also set the display clock, whose offset adds
// to the high byte.
TEST_F(ClockControlTest, SettingsWriteTheirPllAndDisplayClockValues)
{
    const struct {
        std::vector<const char*> setting;
        uint16_t pll, display;
    } cases[] = {
        {{"200"}, 0x4904, untouched},
        {{"133"}, 0x2E04, untouched},
        {{"100"}, 0x2004, untouched},
        {{"320"}, 0x7A04, untouched},
        {{"33"}, 0x0504, untouched},
        {{"266"}, 0x6404, untouched},
        {{"200", "0", "0"}, 0x4904, 0x5A00},
        {{"200", "0", "1"}, 0x4904, 0x5B00},
        {{"200", "0", "-1"}, 0x4904, 0x5900},
        {{"200", "1", "2"}, 0x4904, 0x8B00},
        {{"200", "7", "0"}, 0x4904, 0x8900},
        {{"200", "0", "166"}, 0x4904, 0x0000},
        {{"200", "1", "-138"}, 0x4904, 0xFF00},
        {{" 200MHz", "1x", "+2"}, 0x4904, 0x8B00},   // read as atoi reads them
        {{"100", nullptr, nullptr}, 0x2004, 0x5A00}, // a word without text reads as 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.setting));
        clock = ClockControl();
        markUntouched();
        EXPECT_TRUE(set(c.setting));
        EXPECT_EQ(pll(), c.pll);
        EXPECT_EQ(display(), c.display);
        EXPECT_EQ(clock.displayClockSelect() == -1, c.setting.size() == 1);
    }
    EXPECT_EQ(ClockControl::processorClockHz(), 98304000u) << "just below the 100 MHz asked for";
    EXPECT_FALSE(set({nullptr}));
}

TEST_F(ClockControlTest, EachRegisterIsWrittenOnlyWhenItsPartChanges)
{
    ASSERT_TRUE(set({"200", "1", "2"}));
    markUntouched();
    EXPECT_TRUE(set({"200", "1", "2"}));
    EXPECT_TRUE(set({"200"})) << "one value keeps the display fields";
    EXPECT_EQ(pll(), untouched);
    EXPECT_EQ(display(), untouched);

    ASSERT_TRUE(set({"200", "0", "0"}));
    EXPECT_EQ(pll(), untouched);
    EXPECT_EQ(display(), 0x5A00);
    markUntouched();
    ASSERT_TRUE(set({"133", "0", "0"}));
    EXPECT_EQ(pll(), 0x2E04);
    EXPECT_EQ(display(), untouched);
}

TEST_F(ClockControlTest, RefusedSettingsWriteAndRememberNothing)
{
    EXPECT_FALSE(set({"200", "1"}));
    EXPECT_FALSE(set({"200", "1", "0", "0"}));
    EXPECT_FALSE(set({}));
    EXPECT_EQ(clock.cpuMHz(), -1) << "nothing remembered, from the start on";
    EXPECT_EQ(pll(), untouched);
    ASSERT_TRUE(set({"200", "0", "0"}));
    markUntouched();
    for (const char* mhz : {"32", "321", "0", "-200", "fast", ""}) {
        EXPECT_FALSE(set({mhz, "1", "1"})) << mhz;
        EXPECT_FALSE(set({mhz})) << mhz;
    }
    EXPECT_EQ(pll(), untouched);
    EXPECT_EQ(display(), untouched);
    EXPECT_EQ(clock.cpuMHz(), 200);
    EXPECT_EQ(clock.displayClockSelect(), 0);
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
