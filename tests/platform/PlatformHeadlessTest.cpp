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

struct Shown {
    const uint16_t* frame;
    uint16_t firstPixel;
    int number;
};
std::vector<Shown> shown;

void recordFrame(const uint16_t* frame, int number)
{
    shown.push_back({ frame, frame[0], number });
}

class PlatformHeadlessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.ok());
        headlessReset();
        setMenuProgram(nullptr);
        shown.clear();
        headlessSetFrameObserver(recordFrame);
        platformInit(100, 16, 44100, 16);
    }
    void TearDown() override
    {
        platformShutdown();
        headlessReset();
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

ButtonMask polls = 0;
ButtonMask countingSource()
{
    return ++polls;
}

TEST_F(PlatformHeadlessTest, PresentShowsTheDrawnBufferAndTheTwoBuffersTakeTurns)
{
    uint16_t* first = backBuffer;
    ASSERT_NE(first, nullptr);
    for (int i = 0; i < SCREEN_PIXELS; ++i)
        ASSERT_EQ(first[i], 0) << i;
    first[0] = 0xF800;
    presentFrame();
    EXPECT_NE(backBuffer, first);
    backBuffer[0] = 0x07E0;
    presentFrame();
    EXPECT_EQ(backBuffer, first);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].frame, first);
    EXPECT_EQ(shown[0].firstPixel, 0xF800);
    EXPECT_EQ(shown[0].number, 1);
    EXPECT_EQ(shown[1].firstPixel, 0x07E0);
    EXPECT_EQ(shown[1].number, 2);
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
    EXPECT_EQ(headlessFrameCount(), 2);
}

TEST_F(PlatformHeadlessTest, ScriptIsPlayedPollByPollAndItsEndEndsTheRunWithStatusZero)
{
    EXPECT_EQ(readButtons(), 0u) << "without a script nothing is held, for ever";
    EXPECT_EQ(readButtons(), 0u);
    play("- 1\nUPLEFT+B 2\n");
    std::vector<ButtonMask> seen;
    for (int i = 0; i < 3; ++i)
        seen.push_back(readButtons());
    EXPECT_EQ(seen, (std::vector<ButtonMask>{ 0, 0x2005, 0x2005 }));
    EXPECT_EXIT(readButtons(), ::testing::ExitedWithCode(0), "");
}

TEST_F(PlatformHeadlessTest, ButtonSourceTakesThePlaceOfTheScriptWhileSet)
{
    play("");
    polls = 0;
    headlessSetButtonSource(countingSource);
    EXPECT_EQ(readButtons(), 1u);
    EXPECT_EQ(readButtons(), 2u);
    headlessSetButtonSource(nullptr);
    EXPECT_EXIT(readButtons(), ::testing::ExitedWithCode(0), "") << "the used-up script is back";
}

TEST_F(PlatformHeadlessTest, ReturnToMenuEndsTheRunOrComesBackWhenTheMenuCannotStart)
{
    EXPECT_EXIT(returnToMenu(), ::testing::ExitedWithCode(0), "");
    std::string missing = folder / "menu/none";
    setMenuProgram(missing.c_str());
    ::testing::internal::CaptureStderr();
    returnToMenu();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Tarvo: cannot start the menu program " + missing + ": No such file or directory\n");
    setMenuProgram(nullptr);
}

// Reads an 8-bit RGB PNG back; empty on any error.
std::vector<png_byte> readPng(const std::string& path, png_uint_32* width, png_uint_32* height)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    *width = image.width;
    *height = image.height;
    return pixels;
}

TEST_F(PlatformHeadlessTest, FramesAreWrittenAsPngAndRawRgb565)
{
    // Channels at full, at zero and at the middle of their ranges, on the last row.
    const uint16_t colours[] = { 0xFFFF, 0xF800, 0x07E0, 0x001F, 0x8410, 0x0000, 0x0821 };
    const png_byte rgb[][3] = { { 255, 255, 255 }, { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 },
                                { 132, 130, 132 }, { 0, 0, 0 },   { 8, 4, 8 } };
    const int count = sizeof colours / sizeof colours[0];
    std::vector<uint16_t> frame(SCREEN_PIXELS, 0);
    for (int i = 0; i < count; ++i)
        frame[239 * SCREEN_WIDTH + i] = colours[i];
    frame[0] = 0x1234;
    ASSERT_TRUE(headlessWriteRaw(frame.data(), (folder / "f.rgb565").c_str()));
    ASSERT_TRUE(headlessWritePng(frame.data(), (folder / "f.png").c_str()));

    std::string raw = folder.read("f.rgb565");
    ASSERT_EQ(raw.size(), 153600u);
    EXPECT_EQ(raw.substr(0, 2), "\x34\x12") << "low byte first";
    EXPECT_EQ(raw.substr(2 * (239 * SCREEN_WIDTH + 1), 2), std::string("\x00\xF8", 2));

    png_uint_32 width = 0, height = 0;
    std::vector<png_byte> pixels = readPng(folder / "f.png", &width, &height);
    ASSERT_EQ(width, 320u);
    ASSERT_EQ(height, 240u);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(colours[i]);
        const png_byte* p = &pixels[3 * (239 * 320 + i)];
        EXPECT_EQ(std::vector<png_byte>(p, p + 3), std::vector<png_byte>(rgb[i], rgb[i] + 3));
    }

    std::string missing = folder / "no-such-folder/f";
    EXPECT_FALSE(headlessWritePng(frame.data(), (missing + ".png").c_str()));
    EXPECT_FALSE(headlessWriteRaw(frame.data(), (missing + ".rgb565").c_str()));
}

} // namespace
