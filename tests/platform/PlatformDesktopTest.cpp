// The desktop backend in a real window (the tests run under Xvfb): the scaled frame, keys and
// controller buttons as the handheld's bits, and closing the window.
#include "TempFolder.h"
#include "platform/DesktopControl.h"
#include "platform/MenuProgram.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

class PlatformDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // SDL runs threads of its own: death tests start a fresh copy of the test program.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        desktopSetScale(2);
        platformInit(100, 16, 44100, 16);
    }
    void TearDown() override { desktopCloseWindow(); }
};

// Each frame pixel becomes a 2x2 block of its colour (renderers widen the channels slightly
// differently), with no smoothing at the edges.
TEST_F(PlatformDesktopTest, WindowShowsThePresentedFrameScaledPixelForPixel)
{
    uint16_t* drawn = backBuffer;
    std::fill(drawn, drawn + SCREEN_PIXELS, 0x07E0);
    drawn[1] = 0xF800;
    drawn[SCREEN_PIXELS - 1] = 0x001F;
    presentFrame();
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(desktopCaptureWindow(&pixels, &width, &height));
    ASSERT_EQ(std::make_pair(width, height), std::make_pair(640, 480));
    for (int i = 0; i < 640 * 480; ++i) {
        uint16_t pixel = drawn[i / 640 / 2 * SCREEN_WIDTH + i % 640 / 2];
        uint32_t expected = pixel == 0xF800 ? 0xFF0000 : pixel == 0x001F ? 0x0000FF : 0x00FF00;
        for (int shift : {0, 8, 16})
            ASSERT_NEAR(pixels[i] >> shift & 0xFF, expected >> shift & 0xFF, 4) << i;
    }
}

TEST_F(PlatformDesktopTest, KeysAndControllerButtonsReadAsTheirButtons)
{
    // Keys by SDL's names: a key, its twin, and another (keypad diagonals set two directions; Left
    // and Return are read below); then controller buttons by SDL's names.
    const std::pair<const char*, ButtonMask> keys[] = {
        {"Up", 0x1},          {"Keypad 8", 0x1},        {"Keypad 7", 0x5},
        {"Down", 0x10},       {"Keypad 2", 0x10},       {"Keypad 9", 0x41},
        {"Right", 0x40},      {"Keypad 6", 0x40},       {"Keypad 1", 0x14},
        {"B", 0x2000},        {"Keypad Enter", 0x2000}, {"Keypad 3", 0x50},
        {"Space", 0x8000000}, {"Keypad 5", 0x8000000},  {"Keypad 4", 0x4},
        {"-", 0x400000},      {"Keypad -", 0x400000},   {"A", 0x1000},
        {"=", 0x800000},      {"Keypad +", 0x800000},   {"X", 0x4000},
        {"L", 0x400},         {"PageUp", 0x400},        {"Y", 0x8000},
        {"R", 0x800},         {"PageDown", 0x800},      {"Backspace", 0x200},
        {"S", 0x100},         {"Escape", 0x100},        {"Q", 0}};
    const std::pair<const char*, ButtonMask> buttons[] = {
        {"dpup", 0x1},     {"a", 0x1000},  {"leftshoulder", 0x400},
        {"dpdown", 0x10},  {"b", 0x2000},  {"rightshoulder", 0x800},
        {"dpleft", 0x4},   {"x", 0x4000},  {"leftstick", 0x8000000},
        {"dpright", 0x40}, {"y", 0x8000},  {"guide", 0},
        {"start", 0x100},  {"back", 0x200}};
    auto check = [](bool (*push)(const char*, bool), const auto& table) {
        for (const auto& [name, bits] : table)
            for (bool pressed : {true, false}) {
                EXPECT_TRUE(push(name, pressed));
                EXPECT_EQ(readButtons(), pressed ? bits : 0) << name;
            }
    };
    check(desktopPushKey, keys);
    check(desktopPushControllerButton, buttons);
    // Held together, inputs combine; a button stays held while any input holds it.
    for (const char* key : {"Left", "B", "Return"})
        desktopPushKey(key, true);
    desktopPushKey("B", false);
    EXPECT_EQ(readButtons(), 0x2004u);
}

// Closing the window returns to the menu, which starts (the menu program's folder and arguments
// are played by the launcher's cases); the launcher's run ends with the menu's.
TEST_F(PlatformDesktopTest, ClosingTheWindowReturnsToTheMenu)
{
    // The death test runs in a fresh copy of this program, which makes its own folder and menu.
    TempFolder folder;
    setMenuProgram(folder.write("menu/fakemenu", "#!/bin/sh\nexit 3\n", 0755).c_str());
    EXPECT_EXIT((desktopPushWindowClose(), readButtons()), ::testing::ExitedWithCode(3), "");
    setMenuProgram(nullptr);
}
