// The desktop backend in a real window (the tests run under Xvfb): the scaled frame, keys and
// controller buttons as the handheld's bits, and closing the window.
#include "TempFolder.h"
#include "platform/DesktopControl.h"
#include "platform/MenuProgram.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>
#include <tuple>

class PlatformDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // SDL runs threads of its own: death tests start a fresh copy of the test program.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        platformInit(100, 16, 44100, 16);
    }
    void TearDown() override { platformShutdown(); }
};

// Each frame pixel becomes a 2x2 block of its colour (renderers widen the channels slightly
// differently), with no smoothing at the edges.
TEST_F(PlatformDesktopTest, WindowShowsThePresentedFrameScaledPixelForPixel)
{
    platformShutdown();
    desktopSetScale(2);
    platformInit(100, 16, 44100, 16);
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
            ASSERT_NEAR(pixels[i] >> shift & 0xFF, expected >> shift & 0xFF, 4)
                << i % 640 << "," << i / 640;
    }
}

TEST_F(PlatformDesktopTest, KeysAndControllerButtonsReadAsTheirButtons)
{
    // Keys by SDL's names (keypad diagonals set two directions), then controller buttons by SDL's.
    const std::pair<const char*, ButtonMask> keys[] = {
        {"Up", 0x0000001},        {"Keypad 8", 0x0000001},
        {"Down", 0x0000010},      {"Keypad 2", 0x0000010},
        {"Left", 0x0000004},      {"Keypad 4", 0x0000004},
        {"Right", 0x0000040},     {"Keypad 6", 0x0000040},
        {"Keypad 7", 0x0000005},  {"Keypad 9", 0x0000041},
        {"Keypad 1", 0x0000014},  {"Keypad 3", 0x0000050},
        {"A", 0x0001000},         {"B", 0x0002000},
        {"Return", 0x0002000},    {"Keypad Enter", 0x0002000},
        {"X", 0x0004000},         {"Y", 0x0008000},
        {"L", 0x0000400},         {"PageUp", 0x0000400},
        {"R", 0x0000800},         {"PageDown", 0x0000800},
        {"S", 0x0000100},         {"Escape", 0x0000100},
        {"Backspace", 0x0000200}, {"Space", 0x8000000},
        {"Keypad 5", 0x8000000},  {"-", 0x0400000},
        {"Keypad -", 0x0400000},  {"=", 0x0800000},
        {"Keypad +", 0x0800000},  {"Q", 0x0000000},
    };
    const std::pair<const char*, ButtonMask> buttons[] = {
        {"dpup", 0x0000001},
        {"dpdown", 0x0000010},
        {"dpleft", 0x0000004},
        {"dpright", 0x0000040},
        {"a", 0x0001000},
        {"b", 0x0002000},
        {"x", 0x0004000},
        {"y", 0x0008000},
        {"leftshoulder", 0x0000400},
        {"rightshoulder", 0x0000800},
        {"start", 0x0000100},
        {"back", 0x0000200},
        {"leftstick", 0x8000000},
        {"guide", 0x0000000},
    };
    for (const auto& [key, bits] : keys) {
        for (bool pressed : {true, false}) {
            EXPECT_TRUE(desktopPushKey(key, pressed));
            EXPECT_EQ(readButtons(), pressed ? bits : 0) << key;
        }
    }
    for (const auto& [button, bits] : buttons) {
        for (bool pressed : {true, false}) {
            EXPECT_TRUE(desktopPushControllerButton(button, pressed));
            EXPECT_EQ(readButtons(), pressed ? bits : 0) << button;
        }
    }
    // Held together, inputs combine; a button stays held while any input holds it.
    for (const char* key : {"Left", "B", "Return"})
        desktopPushKey(key, true);
    desktopPushKey("B", false);
    EXPECT_EQ(readButtons(), 0x2004u);
}

// Closing the window returns to the menu: a normal end without one; else the menu program starts
// in its own folder with its name as its only argument.
TEST_F(PlatformDesktopTest, ClosingTheWindowReturnsToTheMenu)
{
    auto closeWindow = [] {
        desktopPushWindowClose();
        readButtons();
    };
    EXPECT_EXIT(closeWindow(), ::testing::ExitedWithCode(0), "");
    // The death test runs in a fresh copy of this program, with a folder of its own: the menu
    // records into the file this copy names, which the environment hands down.
    TempFolder folder;
    setenv("TARVO_TEST_MENU_RECORD", (folder / "started").c_str(), 0);
    std::string menu = folder.write(
        "menu/fakemenu", "#!/bin/sh\necho \"$(pwd) $0 $#\" > \"$TARVO_TEST_MENU_RECORD\"\n", 0755);
    setMenuProgram(menu.c_str());
    EXPECT_EXIT(closeWindow(), ::testing::ExitedWithCode(0), "");
    setMenuProgram(nullptr);
    EXPECT_TRUE(::testing::internal::RE::FullMatch(
        TempFolder::readFile(getenv("TARVO_TEST_MENU_RECORD")), "/.*/menu fakemenu 0\n"));
}
