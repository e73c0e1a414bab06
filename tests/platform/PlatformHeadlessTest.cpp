// The headless backend: frames in memory and in files, buttons from a script or a source, and the
// hand-over to the menu.
#include "platform/HeadlessControl.h"

#include "platform/MenuProgram.h"
#include "platform/Platform.h"

#include "TempFolder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The first pixel and the number of every frame the observer saw.
std::vector<std::pair<uint16_t, int>> shown;

class PlatformHeadlessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.ok());
        headlessReset();
        shown.clear();
        headlessSetFrameObserver(
            [](const uint16_t* frame, int number) { shown.emplace_back(frame[0], number); });
        platformInit(100, 16, 44100, 16);
    }
    void TearDown() override
    {
        headlessReset();
        setMenuProgram(nullptr);
    }

    void play(const std::string& text)
    {
        KeyScript script;
        std::string error;
        ASSERT_TRUE(script.parse(text, &error)) << error;
        headlessSetScript(script);
    }

    TempFolder folder;
};

TEST_F(PlatformHeadlessTest, PresentShowsTheDrawnBufferAndTheTwoBuffersTakeTurns)
{
    uint16_t* first = backBuffer;
    for (int i = 0; i < SCREEN_PIXELS; ++i)
        ASSERT_EQ(first[i], 0) << i;
    first[0] = 0xF800;
    presentFrame();
    EXPECT_NE(backBuffer, first);
    backBuffer[0] = 0x07E0;
    presentFrame();
    EXPECT_EQ(backBuffer, first);
    EXPECT_EQ(shown, (std::vector<std::pair<uint16_t, int>>{{0xF800, 1}, {0x07E0, 2}}));
    EXPECT_EQ(headlessFrameCount(), 2);
    headlessReset();
    presentFrame();
    EXPECT_EQ(shown.size(), 2u) << "a reset removes the observer";
    EXPECT_EQ(headlessFrameCount(), 1) << "and counts from the start again";
}

TEST_F(PlatformHeadlessTest, InitAgainClearsTheBuffersAndKeepsScriptAndFrameNumbers)
{
    play("A 1\nB 1\n");
    presentFrame();
    EXPECT_EQ(readButtons(), static_cast<ButtonMask>(BUTTON_A));
    backBuffer[5] = 0xFFFF;
    platformShutdown();
    platformInit(100, 16, 44100, 16);
    EXPECT_EQ(backBuffer[5], 0);
    EXPECT_EQ(readButtons(), static_cast<ButtonMask>(BUTTON_B));
    presentFrame();
    EXPECT_EQ(shown.back().second, 2);
}

ButtonMask polls = 0;

TEST_F(PlatformHeadlessTest, ButtonsComeFromTheSourceElseTheScriptWhoseEndEndsTheRun)
{
    EXPECT_EQ(readButtons(), 0u) << "without a script nothing is held, for ever";
    EXPECT_EQ(readButtons(), 0u);
    play("- 1\nUPLEFT+B 2\n");
    EXPECT_EQ(readButtons(), 0u);
    headlessSetButtonSource([] { return ++polls; });
    EXPECT_EQ(readButtons(), 1u);
    EXPECT_EQ(readButtons(), 2u);
    headlessSetButtonSource(nullptr);
    EXPECT_EQ(readButtons(), 0x2005u) << "the script goes on where it was, folding a lone diagonal";
    EXPECT_EQ(readButtons(), 0x2005u);
    EXPECT_EXIT(readButtons(), ::testing::ExitedWithCode(0), "");
}

TEST_F(PlatformHeadlessTest, ReturnToMenuEndsTheRunOrComesBackWhenTheMenuCannotStart)
{
    EXPECT_EXIT(returnToMenu(), ::testing::ExitedWithCode(0), "");
    std::string missing = folder / "none";
    setMenuProgram(missing.c_str());
    ::testing::internal::CaptureStderr();
    returnToMenu();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Tarvo: cannot start the menu program " + missing + ": No such file or directory\n");
}

TEST_F(PlatformHeadlessTest, FramesAreWrittenAsPngAndRawRgb565)
{
    // Channels at full, at zero and at the middle of their ranges, on the last row.
    const struct {
        uint16_t colour;
        png_byte rgb[3];
    } pixels[] = {{0xFFFF, {255, 255, 255}}, {0xF800, {255, 0, 0}},     {0x07E0, {0, 255, 0}},
                  {0x001F, {0, 0, 255}},     {0x8410, {132, 130, 132}}, {0x0821, {8, 4, 8}}};
    const int last = SCREEN_PIXELS - SCREEN_WIDTH;
    std::vector<uint16_t> frame(SCREEN_PIXELS, 0);
    for (int i = 0; i < 6; ++i)
        frame[last + i] = pixels[i].colour;
    frame[0] = 0x1234;
    ASSERT_TRUE(headlessWriteRaw(frame.data(), (folder / "f.rgb565").c_str()));
    ASSERT_TRUE(headlessWritePng(frame.data(), (folder / "f.png").c_str()));

    std::string raw = folder.read("f.rgb565");
    ASSERT_EQ(raw.size(), 153600u);
    EXPECT_EQ(raw.substr(0, 2), "\x34\x12") << "low byte first";
    EXPECT_EQ(raw.substr(2 * (last + 1), 2), std::string("\x00\xF8", 2));

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, (folder / "f.png").c_str()));
    ASSERT_EQ(image.width, 320u);
    ASSERT_EQ(image.height, 240u);
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(std::vector<png_byte>(&rgb[3 * (last + i)], &rgb[3 * (last + i) + 3]),
                  std::vector<png_byte>(pixels[i].rgb, pixels[i].rgb + 3))
            << std::hex << pixels[i].colour;

    std::string missing = folder / "no-such-folder/f";
    EXPECT_FALSE(headlessWritePng(frame.data(), (missing + ".png").c_str()));
    EXPECT_FALSE(headlessWriteRaw(frame.data(), (missing + ".rgb565").c_str()));
}

} // namespace
