// The desktop backend in a real window (the tests run under Xvfb): the scaled frame, keys and
// controller buttons as ButtonMask bits, and closing the window.
#include "platform/DesktopControl.h"

#include "platform/MenuProgram.h"
#include "platform/Platform.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <utility>
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

    ButtonMask after(const char* key, bool pressed, bool controller = false)
    {
        EXPECT_TRUE(controller ? desktopPushControllerButton(key, pressed)
                               : desktopPushKey(key, pressed))
            << key;
        return readButtons();
    }

    bool capture()
    {
        pixels.clear();
        return desktopCaptureWindow(&pixels, &width, &height);
    }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    TempFolder folder;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
};

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

TEST_F(PlatformDesktopTest, WindowShowsThePresentedFrameScaledPixelForPixel)
{
    EXPECT_EQ(desktopScale(), 2);
    ASSERT_TRUE(capture());
    ASSERT_EQ(width, 640);
    ASSERT_EQ(height, 480);
    for (uint32_t pixel : pixels)
        ASSERT_EQ(pixel, 0u) << "the cleared frame shows black";

    uint16_t* drawn = backBuffer;
    std::fill(drawn, drawn + SCREEN_PIXELS, 0x07E0); // green
    drawn[0] = 0xF800;
    drawn[1] = 0xFFFF;
    drawn[SCREEN_PIXELS - 1] = 0x001F;
    presentFrame();
    EXPECT_NE(backBuffer, drawn) << "the shown buffer is never the one drawn into";
    ASSERT_TRUE(capture());
    // Each frame pixel becomes a 2x2 block of one colour: no smoothing at the edges.
    const uint32_t green = at(320, 240);
    EXPECT_TRUE(sameColour(green, 0x00FF00));
    const struct {
        int x, y;
        uint32_t colour;
    } blocks[] = {{0, 0, 0xFF0000}, {2, 0, 0xFFFFFF}, {638, 478, 0x0000FF}};
    for (const auto& b : blocks) {
        EXPECT_TRUE(sameColour(at(b.x, b.y), b.colour));
        for (int i = 1; i < 4; ++i)
            EXPECT_EQ(at(b.x + i % 2, b.y + i / 2), at(b.x, b.y)) << b.x << "," << b.y;
    }
    for (auto [x, y] : {std::pair{4, 0}, {5, 1}, {637, 479}, {639, 477}})
        EXPECT_EQ(at(x, y), green) << x << "," << y;
}

TEST_F(PlatformDesktopTest, KeysAndControllerButtonsReadAsTheirButtons)
{
    const ButtonMask upLeft = BUTTON_UP | BUTTON_LEFT, upRight = BUTTON_UP | BUTTON_RIGHT;
    const ButtonMask downLeft = BUTTON_DOWN | BUTTON_LEFT, downRight = BUTTON_DOWN | BUTTON_RIGHT;
    const struct {
        const char* name;
        ButtonMask bits;
        bool controller = false;
    } cases[] = {
        {"Up", BUTTON_UP},
        {"Down", BUTTON_DOWN},
        {"Left", BUTTON_LEFT},
        {"Right", BUTTON_RIGHT},
        {"Keypad 8", BUTTON_UP},
        {"Keypad 2", BUTTON_DOWN},
        {"Keypad 4", BUTTON_LEFT},
        {"Keypad 6", BUTTON_RIGHT},
        {"Keypad 7", upLeft},
        {"Keypad 9", upRight},
        {"Keypad 1", downLeft},
        {"Keypad 3", downRight},
        {"A", BUTTON_A},
        {"B", BUTTON_B},
        {"Return", BUTTON_B},
        {"Keypad Enter", BUTTON_B},
        {"X", BUTTON_X},
        {"Y", BUTTON_Y},
        {"L", BUTTON_L},
        {"PageUp", BUTTON_L},
        {"R", BUTTON_R},
        {"PageDown", BUTTON_R},
        {"S", BUTTON_START},
        {"Escape", BUTTON_START},
        {"Backspace", BUTTON_SELECT},
        {"Space", BUTTON_STICK_PUSH},
        {"Keypad 5", BUTTON_STICK_PUSH},
        {"-", BUTTON_VOLUME_DOWN},
        {"Keypad -", BUTTON_VOLUME_DOWN},
        {"=", BUTTON_VOLUME_UP},
        {"Keypad +", BUTTON_VOLUME_UP},
        {"Q", 0},
        {"F1", 0},
        {"dpup", BUTTON_UP, true},
        {"dpdown", BUTTON_DOWN, true},
        {"dpleft", BUTTON_LEFT, true},
        {"dpright", BUTTON_RIGHT, true},
        {"a", BUTTON_A, true},
        {"b", BUTTON_B, true},
        {"x", BUTTON_X, true},
        {"y", BUTTON_Y, true},
        {"leftshoulder", BUTTON_L, true},
        {"rightshoulder", BUTTON_R, true},
        {"start", BUTTON_START, true},
        {"back", BUTTON_SELECT, true},
        {"leftstick", BUTTON_STICK_PUSH, true},
        {"guide", 0, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(after(c.name, true, c.controller), c.bits) << c.name;
        EXPECT_EQ(after(c.name, false, c.controller), 0u) << c.name << " released";
    }
    EXPECT_FALSE(desktopPushKey("NoSuchKey", true));
    EXPECT_FALSE(desktopPushKey(nullptr, true));
    EXPECT_FALSE(desktopPushControllerButton("trigger9", true));
    EXPECT_EQ(readButtons(), 0u);
}

TEST_F(PlatformDesktopTest, HeldInputsCombineAndEveryInputForOneButtonMustBeReleased)
{
    const ButtonMask b = BUTTON_B, leftB = BUTTON_LEFT | BUTTON_B;
    EXPECT_EQ(after("Left", true), static_cast<ButtonMask>(BUTTON_LEFT));
    EXPECT_EQ(after("b", true, true), leftB);
    EXPECT_EQ(after("B", true), leftB);
    EXPECT_EQ(after("Return", true), leftB);
    EXPECT_EQ(after("Left", false), b);
    EXPECT_EQ(after("b", false, true), b) << "the keys still hold B";
    EXPECT_EQ(after("B", false), b) << "Return still holds B";
    EXPECT_EQ(after("Return", false), 0u);
}

TEST_F(PlatformDesktopTest, ShutdownClosesTheWindowAndInitOpensItAgain)
{
    platformShutdown();
    EXPECT_EQ(desktopScale(), 0);
    EXPECT_FALSE(capture());
    EXPECT_FALSE(desktopPushKey("B", true));
    EXPECT_EQ(readButtons(), 0u);
    backBuffer[0] = 0xFFFF; // still drawable: the launcher may draw before it notices
    presentFrame();

    desktopSetScale(1);
    platformInit(100, 16, 44100, 16);
    EXPECT_EQ(desktopScale(), 1);
    EXPECT_EQ(backBuffer[0], 0) << "cleared again";
    ASSERT_TRUE(capture());
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    EXPECT_EQ(after("B", true), static_cast<ButtonMask>(BUTTON_B));
}

TEST_F(PlatformDesktopTest, ClosingTheWindowReturnsToTheMenu)
{
    auto closeWindow = [] {
        desktopPushWindowClose();
        readButtons();
    };
    EXPECT_EXIT(closeWindow(), ::testing::ExitedWithCode(0), "") << "no menu: a normal end";

    // The death test runs in a fresh copy of this program with a folder of its own; the menu
    // records into the file this copy names, which the environment hands down unchanged.
    std::string record = folder / "started.txt";
    setenv("TARVO_TEST_MENU_RECORD", record.c_str(), 0);
    std::string menu = folder.write(
        "menu/fakemenu", "#!/bin/sh\necho \"$(pwd) $0 $#\" > \"$TARVO_TEST_MENU_RECORD\"\n", 0755);
    setMenuProgram(menu.c_str());
    EXPECT_EXIT(closeWindow(), ::testing::ExitedWithCode(0), "");
    unsetenv("TARVO_TEST_MENU_RECORD");
    std::string seen = TempFolder::readFile(record);
    EXPECT_TRUE(::testing::internal::RE::FullMatch(seen, "/.*/menu fakemenu 0\n")) << seen;
}

} // namespace
