// The desktop backend in a real window (the tests run under Xvfb): the scaled frame, keys and
// controller buttons as ButtonMask bits, and closing the window.
#include "platform/DesktopControl.h"

#include "platform/MenuProgram.h"
#include "platform/Platform.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

namespace {

class PlatformDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // SDL runs threads of its own: death tests start a fresh copy of the test program.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        ASSERT_TRUE(folder.ok());
        setMenuProgram(nullptr);
        desktopSetScale(2);
        platformInit(100, 16, 44100, 16);
    }
    void TearDown() override
    {
        platformShutdown();
        setMenuProgram(nullptr);
    }

    ButtonMask afterKey(const char* key, bool pressed)
    {
        EXPECT_TRUE(desktopPushKey(key, pressed)) << key;
        return readButtons();
    }

    ButtonMask afterControllerButton(const char* button, bool pressed)
    {
        EXPECT_TRUE(desktopPushControllerButton(button, pressed)) << button;
        return readButtons();
    }

    TempFolder folder;
};

TEST_F(PlatformDesktopTest, WindowIsTheFrameTimesTheChosenFactor)
{
    EXPECT_EQ(desktopScale(), 2);
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(desktopCaptureWindow(&pixels, &width, &height));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    for (uint32_t pixel : pixels)
        ASSERT_EQ(pixel, 0u) << "the cleared frame shows black";
}

// Renderers widen 5- and 6-bit channels slightly differently (0x3F may become 0xFC to 0xFF).
::testing::AssertionResult sameColour(uint32_t actual, uint32_t expected)
{
    for (int shift = 0; shift < 24; shift += 8) {
        int a = static_cast<int>((actual >> shift) & 0xFF);
        int e = static_cast<int>((expected >> shift) & 0xFF);
        if (a < e - 4 || a > e + 4)
            return ::testing::AssertionFailure() << std::hex << actual << " is not " << expected;
    }
    return ::testing::AssertionSuccess();
}

TEST_F(PlatformDesktopTest, PresentedFrameFillsTheWindowPixelForPixel)
{
    uint16_t* drawn = backBuffer;
    for (int i = 0; i < SCREEN_PIXELS; ++i)
        drawn[i] = 0x07E0; // green
    drawn[0] = 0xF800;                                        // red at the top left
    drawn[1] = 0xFFFF;                                        // white beside it
    drawn[(SCREEN_HEIGHT - 1) * SCREEN_WIDTH + SCREEN_WIDTH - 1] = 0x001F; // blue, bottom right
    presentFrame();
    EXPECT_NE(backBuffer, drawn) << "the shown buffer is never the one drawn into";

    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(desktopCaptureWindow(&pixels, &width, &height));
    ASSERT_EQ(width, 640);
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; };
    // Each frame pixel becomes a 2x2 block of one colour: no smoothing at the edges.
    const uint32_t green = at(320, 240);
    EXPECT_TRUE(sameColour(green, 0x00FF00));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            EXPECT_TRUE(sameColour(at(x, y), 0xFF0000)) << x << "," << y;
            EXPECT_EQ(at(x, y), at(0, 0));
            EXPECT_TRUE(sameColour(at(2 + x, y), 0xFFFFFF)) << x << "," << y;
            EXPECT_EQ(at(2 + x, y), at(2, 0));
            EXPECT_EQ(at(4 + x, y), green) << x << "," << y;
            EXPECT_TRUE(sameColour(at(638 + x, 478 + y), 0x0000FF)) << x << "," << y;
            EXPECT_EQ(at(638 + x, 478 + y), at(639, 479));
        }
    }
    EXPECT_EQ(at(637, 479), green);
    EXPECT_EQ(at(639, 477), green);
}

TEST_F(PlatformDesktopTest, KeysReadAsTheirButtons)
{
    struct Case {
        const char* key;
        ButtonMask bits;
    } cases[] = {
        { "Up", BUTTON_UP },          { "Down", BUTTON_DOWN },
        { "Left", BUTTON_LEFT },      { "Right", BUTTON_RIGHT },
        { "Keypad 8", BUTTON_UP },    { "Keypad 2", BUTTON_DOWN },
        { "Keypad 4", BUTTON_LEFT },  { "Keypad 6", BUTTON_RIGHT },
        { "Keypad 7", BUTTON_UP | BUTTON_LEFT },   { "Keypad 9", BUTTON_UP | BUTTON_RIGHT },
        { "Keypad 1", BUTTON_DOWN | BUTTON_LEFT }, { "Keypad 3", BUTTON_DOWN | BUTTON_RIGHT },
        { "A", BUTTON_A },            { "B", BUTTON_B },
        { "Return", BUTTON_B },       { "Keypad Enter", BUTTON_B },
        { "X", BUTTON_X },            { "Y", BUTTON_Y },
        { "L", BUTTON_L },            { "PageUp", BUTTON_L },
        { "R", BUTTON_R },            { "PageDown", BUTTON_R },
        { "S", BUTTON_START },        { "Escape", BUTTON_START },
        { "Backspace", BUTTON_SELECT },
        { "Space", BUTTON_STICK_PUSH }, { "Keypad 5", BUTTON_STICK_PUSH },
        { "-", BUTTON_VOLUME_DOWN },  { "Keypad -", BUTTON_VOLUME_DOWN },
        { "=", BUTTON_VOLUME_UP },    { "Keypad +", BUTTON_VOLUME_UP },
        { "Q", 0 },                   { "F1", 0 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(afterKey(c.key, true), c.bits) << c.key;
        EXPECT_EQ(afterKey(c.key, false), 0u) << c.key << " released";
    }
}

TEST_F(PlatformDesktopTest, HeldKeysCombineAndTwoKeysForOneButtonAreBothNeeded)
{
    EXPECT_EQ(afterKey("S", true), static_cast<ButtonMask>(BUTTON_START));
    EXPECT_EQ(afterKey("Backspace", true), static_cast<ButtonMask>(BUTTON_START | BUTTON_SELECT));
    EXPECT_EQ(afterKey("S", false), static_cast<ButtonMask>(BUTTON_SELECT));
    EXPECT_EQ(afterKey("Backspace", false), 0u);

    EXPECT_EQ(afterKey("B", true), static_cast<ButtonMask>(BUTTON_B));
    EXPECT_EQ(afterKey("Return", true), static_cast<ButtonMask>(BUTTON_B));
    EXPECT_EQ(afterKey("B", false), static_cast<ButtonMask>(BUTTON_B)) << "Return still holds B";
    EXPECT_EQ(afterKey("Return", false), 0u);
}

TEST_F(PlatformDesktopTest, ControllerButtonsReadAsTheirButtons)
{
    struct Case {
        const char* button;
        ButtonMask bits;
    } cases[] = {
        { "dpup", BUTTON_UP },     { "dpdown", BUTTON_DOWN },   { "dpleft", BUTTON_LEFT },
        { "dpright", BUTTON_RIGHT }, { "a", BUTTON_A },         { "b", BUTTON_B },
        { "x", BUTTON_X },         { "y", BUTTON_Y },           { "leftshoulder", BUTTON_L },
        { "rightshoulder", BUTTON_R }, { "start", BUTTON_START }, { "back", BUTTON_SELECT },
        { "leftstick", BUTTON_STICK_PUSH }, { "guide", 0 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(afterControllerButton(c.button, true), c.bits) << c.button;
        EXPECT_EQ(afterControllerButton(c.button, false), 0u) << c.button << " released";
    }
    // Keyboard and controller together.
    EXPECT_TRUE(desktopPushKey("Left", true));
    EXPECT_EQ(afterControllerButton("b", true), static_cast<ButtonMask>(BUTTON_LEFT | BUTTON_B));
    EXPECT_EQ(afterKey("Left", false), static_cast<ButtonMask>(BUTTON_B));
    EXPECT_EQ(afterControllerButton("b", false), 0u);
}

TEST_F(PlatformDesktopTest, UnknownNamesAreRefused)
{
    EXPECT_FALSE(desktopPushKey("NoSuchKey", true));
    EXPECT_FALSE(desktopPushKey(nullptr, true));
    EXPECT_FALSE(desktopPushControllerButton("trigger9", true));
    EXPECT_EQ(readButtons(), 0u);
}

TEST_F(PlatformDesktopTest, ShutdownClosesTheWindowAndInitOpensItAgain)
{
    platformShutdown();
    EXPECT_EQ(desktopScale(), 0);
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    EXPECT_FALSE(desktopCaptureWindow(&pixels, &width, &height));
    EXPECT_FALSE(desktopPushKey("B", true));
    EXPECT_EQ(readButtons(), 0u);
    backBuffer[0] = 0xFFFF; // still drawable: the launcher may draw before it notices
    presentFrame();

    desktopSetScale(1);
    platformInit(100, 16, 44100, 16);
    EXPECT_EQ(desktopScale(), 1);
    EXPECT_EQ(backBuffer[0], 0) << "cleared again";
    ASSERT_TRUE(desktopCaptureWindow(&pixels, &width, &height));
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    EXPECT_EQ(afterKey("B", true), static_cast<ButtonMask>(BUTTON_B));
}

TEST_F(PlatformDesktopTest, ClosingTheWindowWithoutAMenuEndsWithStatusZero)
{
    EXPECT_EXIT(
        {
            desktopPushWindowClose();
            readButtons();
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(PlatformDesktopTest, ClosingTheWindowStartsTheNamedMenu)
{
    // The death test runs in a fresh copy of this program with a folder of its own; the menu
    // records into the file this copy names, which the environment hands down unchanged.
    std::string record = folder / "started.txt";
    setenv("TARVO_TEST_MENU_RECORD", record.c_str(), 0);
    std::string menu = folder.write("menu/fakemenu",
                                    "#!/bin/sh\n"
                                    "echo \"$(pwd) $0 $#\" > \"$TARVO_TEST_MENU_RECORD\"\n",
                                    0755);
    setMenuProgram(menu.c_str());
    EXPECT_EXIT(
        {
            desktopPushWindowClose();
            readButtons();
        },
        ::testing::ExitedWithCode(0), "");
    unsetenv("TARVO_TEST_MENU_RECORD");
    std::string seen = TempFolder::readFile(record);
    EXPECT_TRUE(::testing::internal::RE::FullMatch(seen, "/.*/menu fakemenu 0\n")) << seen;
}

} // namespace
