// The headless backend: frames in memory and in files, scripted buttons over virtual time, and the
// hand-over to the menu.
#include "platform/HeadlessControl.h"

#include "platform/Files.h"
#include "platform/MenuProgram.h"
#include "platform/Platform.h"

#include "TempFolder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <cstdio>
#include <string>
#include <vector>

namespace {

class PlatformHeadlessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.ok());
        headlessReset();
        setMenuProgram(nullptr);
        platformInit(100, 16, 44100, 16);
    }
    void TearDown() override
    {
        platformShutdown();
        headlessReset();
        setMenuProgram(nullptr);
        setSdRoot(nullptr);
    }

    void script(const std::string& text)
    {
        std::string error;
        ASSERT_TRUE(headlessSetScript(text, &error)) << error;
    }

    std::string scriptError(const std::string& text)
    {
        std::string error;
        EXPECT_FALSE(headlessSetScript(text, &error)) << text;
        return error;
    }

    // Polls like the main loop: read, then wait a millisecond, until virtual time reaches ms.
    ButtonMask buttonsAt(uint32_t ms)
    {
        while (headlessNowMs() < ms)
            platformSleepMs(1);
        return readButtons();
    }

    TempFolder folder;
};

// Reads an 8-bit RGB PNG back into rows of bytes; empty on any error.
std::vector<png_byte> readPng(const std::string& path, png_uint_32* width, png_uint_32* height)
{
    std::vector<png_byte> pixels;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return pixels;
    image.format = PNG_FORMAT_RGB;
    pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        pixels.clear();
        return pixels;
    }
    *width = image.width;
    *height = image.height;
    return pixels;
}

TEST_F(PlatformHeadlessTest, InitLeavesACleanBufferThatIsNotShown)
{
    ASSERT_NE(backBuffer, nullptr);
    EXPECT_NE(backBuffer, headlessShownFrame());
    for (int i = 0; i < SCREEN_PIXELS; ++i)
        ASSERT_EQ(backBuffer[i], 0) << i;
    EXPECT_EQ(headlessFrameCount(), 0);
}

TEST_F(PlatformHeadlessTest, PresentShowsTheDrawnFrameAndMovesTheBackBuffer)
{
    uint16_t* first = backBuffer;
    first[0] = 0xF800;
    first[SCREEN_PIXELS - 1] = 0x001F;
    presentFrame();
    EXPECT_EQ(headlessShownFrame(), first);
    EXPECT_EQ(headlessShownFrame()[0], 0xF800);
    EXPECT_EQ(headlessShownFrame()[SCREEN_PIXELS - 1], 0x001F);
    EXPECT_NE(backBuffer, first);
    EXPECT_EQ(headlessFrameCount(), 1);
    presentFrame();
    EXPECT_EQ(backBuffer, first) << "two buffers take turns";
    EXPECT_EQ(headlessFrameCount(), 2);
}

TEST_F(PlatformHeadlessTest, SleepMovesOnlyVirtualTime)
{
    EXPECT_EQ(headlessNowMs(), 0u);
    for (int i = 0; i < 250; ++i)
        platformSleepMs(1);
    platformSleepMs(750);
    platformSleepMs(0);
    platformSleepMs(-5);
    EXPECT_EQ(headlessNowMs(), 1000u);
    readButtons();
    presentFrame();
    EXPECT_EQ(headlessNowMs(), 1000u) << "only sleeping moves time";
}

TEST_F(PlatformHeadlessTest, ScriptHoldsEachStateFromItsMoment)
{
    script("# a tap of down, then B, then left with the stick pushed\n"
           "\n"
           "0 none\n"
           "+100 down\n"
           "+50 none\r\n"
           "200 B\n"
           "+100 Left+push\n");
    EXPECT_EQ(buttonsAt(0), 0u);
    EXPECT_EQ(buttonsAt(99), 0u);
    EXPECT_EQ(buttonsAt(100), static_cast<ButtonMask>(BUTTON_DOWN));
    EXPECT_EQ(buttonsAt(149), static_cast<ButtonMask>(BUTTON_DOWN));
    EXPECT_EQ(buttonsAt(150), 0u);
    EXPECT_FALSE(headlessScriptFinished());
    EXPECT_EQ(buttonsAt(200), static_cast<ButtonMask>(BUTTON_B));
    EXPECT_EQ(buttonsAt(300), static_cast<ButtonMask>(BUTTON_LEFT | BUTTON_STICK_PUSH));
    EXPECT_TRUE(headlessScriptFinished());
    EXPECT_EQ(buttonsAt(100000), static_cast<ButtonMask>(BUTTON_LEFT | BUTTON_STICK_PUSH))
        << "the last state stays";
}

TEST_F(PlatformHeadlessTest, ScriptNamesEveryButtonAndTakesRawMasks)
{
    script("0 up\n1 up-left\n2 left\n3 down-left\n4 down\n5 down-right\n6 right\n7 up-right\n"
           "8 start\n9 select\n10 l\n11 r\n12 a\n13 b\n14 x\n15 y\n16 vol-down\n17 vol-up\n"
           "18 push\n19 START+SELECT\n20 0x8000000\n21 4711\n");
    const ButtonMask expected[] = { 0x1,      0x2,      0x4,       0x8,    0x10,   0x20,  0x40,
                                    0x80,     0x100,    0x200,     0x400,  0x800,  0x1000, 0x2000,
                                    0x4000,   0x8000,   0x400000,  0x800000, 0x8000000, 0x300,
                                    0x8000000, 4711 };
    for (uint32_t ms = 0; ms < sizeof expected / sizeof expected[0]; ++ms)
        EXPECT_EQ(buttonsAt(ms), expected[ms]) << "step at " << ms;
}

TEST_F(PlatformHeadlessTest, BadScriptsAreRefusedWithTheLineAndKeepTheOldScript)
{
    script("0 a\n");
    EXPECT_EQ(scriptError("0 none\n\n10 jump\n"), "line 3: unknown button \"jump\"");
    EXPECT_EQ(scriptError("soon b\n"), "line 1: bad time \"soon\"");
    EXPECT_EQ(scriptError("-5 b\n"), "line 1: bad time \"-5\"");
    EXPECT_EQ(scriptError("100 b\n50 a\n"), "line 2: time 50 comes before the previous step");
    EXPECT_EQ(scriptError("100\n"), "line 1: no buttons after the time");
    EXPECT_EQ(scriptError("100 a b\n"), "line 1: unexpected \"b\"");
    EXPECT_EQ(scriptError("100 a+\n"), "line 1: unknown button \"\"");
    EXPECT_EQ(scriptError("1 0x100000000\n"), "line 1: bad button mask \"0x100000000\"");
    EXPECT_EQ(scriptError("4294967295 a\n+1 b\n"), "line 2: time \"+1\" is too large");
    EXPECT_EQ(readButtons(), static_cast<ButtonMask>(BUTTON_A)) << "the old script stays";
    EXPECT_FALSE(headlessSetScript("x y\n", nullptr)) << "the error text is optional";
}

TEST_F(PlatformHeadlessTest, ScriptFileIsReadThroughTheCardFolder)
{
    folder.write("scripts/run.txt", "0 r\n");
    setSdRoot(folder.path().c_str());
    std::string error;
    ASSERT_TRUE(headlessLoadScriptFile("/mnt/sd/scripts/run.txt", &error)) << error;
    EXPECT_EQ(readButtons(), static_cast<ButtonMask>(BUTTON_R));

    EXPECT_FALSE(headlessLoadScriptFile("/mnt/sd/scripts/none.txt", &error));
    EXPECT_EQ(error, "/mnt/sd/scripts/none.txt: No such file or directory");
    folder.write("scripts/bad.txt", "0 r\n5 q\n");
    EXPECT_FALSE(headlessLoadScriptFile("/mnt/sd/scripts/bad.txt", &error));
    EXPECT_EQ(error, "/mnt/sd/scripts/bad.txt: line 2: unknown button \"q\"");
}

TEST_F(PlatformHeadlessTest, StepsAddedInCodeNeverGoBackwards)
{
    headlessAddStep(50, BUTTON_X);
    headlessAddStep(10, BUTTON_Y); // taken as happening at 50, after X
    EXPECT_EQ(buttonsAt(49), 0u);
    EXPECT_EQ(buttonsAt(50), static_cast<ButtonMask>(BUTTON_Y));
}

TEST_F(PlatformHeadlessTest, QuitStepEndsTheRunWithStatusZero)
{
    script("0 a\n+20 quit\n");
    EXPECT_EXIT(
        {
            for (;;) {
                readButtons();
                platformSleepMs(1);
            }
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(buttonsAt(19), static_cast<ButtonMask>(BUTTON_A));
}

TEST_F(PlatformHeadlessTest, TimeLimitEndsAScriptThatNeverQuits)
{
    script("0 a\n");
    headlessSetTimeLimit(1000);
    EXPECT_EQ(buttonsAt(1000), static_cast<ButtonMask>(BUTTON_A));
    EXPECT_EXIT(buttonsAt(1001), ::testing::ExitedWithCode(0), "");
}

TEST_F(PlatformHeadlessTest, QuitStartsTheNamedMenuProgram)
{
    std::string menu = folder.write("menu/fakemenu", "#!/bin/sh\necho \"$(pwd) $0 $#\" > started.txt\n",
                                    0755);
    setMenuProgram(menu.c_str());
    headlessAddQuit(5);
    EXPECT_EXIT(buttonsAt(5), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder.read("menu/started.txt"), folder / "menu" + " fakemenu 0\n");
}

TEST_F(PlatformHeadlessTest, QuitWithAMenuProgramThatCannotStartEndsWithStatusOne)
{
    std::string missing = folder / "menu/none";
    setMenuProgram(missing.c_str());
    headlessAddQuit(0);
    EXPECT_EXIT(readButtons(), ::testing::ExitedWithCode(1),
                "^Tarvo: cannot start the menu program .*/menu/none: No such file or directory\n$");
}

TEST_F(PlatformHeadlessTest, ReturnToMenuWithoutAMenuProgramEndsWithStatusZero)
{
    EXPECT_EXIT(returnToMenu(), ::testing::ExitedWithCode(0), "");
}

TEST_F(PlatformHeadlessTest, FramesAreWrittenAsPngAndRawRgb565)
{
    headlessSetFrameOutput(folder.path().c_str(), HEADLESS_PNG | HEADLESS_RAW);
    // One pixel of each kind: channels at full, at zero and at the middle of their ranges.
    const uint16_t colours[] = { 0xFFFF, 0xF800, 0x07E0, 0x001F, 0x8410, 0x0000, 0x0821 };
    const png_byte rgb[][3] = { { 255, 255, 255 }, { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 },
                                { 132, 130, 132 }, { 0, 0, 0 },   { 8, 4, 8 } };
    const int count = sizeof colours / sizeof colours[0];
    presentFrame(); // frame 1: all black
    for (int i = 0; i < count; ++i)
        backBuffer[239 * SCREEN_WIDTH + i] = colours[i];
    backBuffer[0] = 0x1234;
    presentFrame(); // frame 2

    EXPECT_TRUE(std::filesystem::exists(folder / "frame-00001.png"));
    std::string raw = folder.read("frame-00002.rgb565");
    ASSERT_EQ(raw.size(), 153600u);
    EXPECT_EQ(static_cast<unsigned char>(raw[0]), 0x34) << "low byte first";
    EXPECT_EQ(static_cast<unsigned char>(raw[1]), 0x12);
    size_t last = 2 * (239 * SCREEN_WIDTH);
    EXPECT_EQ(static_cast<unsigned char>(raw[last + 2]), 0x00);
    EXPECT_EQ(static_cast<unsigned char>(raw[last + 3]), 0xF8);

    png_uint_32 width = 0, height = 0;
    std::vector<png_byte> pixels = readPng(folder / "frame-00002.png", &width, &height);
    ASSERT_EQ(width, 320u);
    ASSERT_EQ(height, 240u);
    for (int i = 0; i < count; ++i) {
        const png_byte* p = &pixels[3 * (239 * 320 + i)];
        EXPECT_EQ(p[0], rgb[i][0]) << "red of " << std::hex << colours[i];
        EXPECT_EQ(p[1], rgb[i][1]) << "green of " << std::hex << colours[i];
        EXPECT_EQ(p[2], rgb[i][2]) << "blue of " << std::hex << colours[i];
    }
}

TEST_F(PlatformHeadlessTest, OnlyTheChosenFormatsAreWritten)
{
    headlessSetFrameOutput(folder.path().c_str(), HEADLESS_RAW);
    presentFrame();
    EXPECT_TRUE(std::filesystem::exists(folder / "frame-00001.rgb565"));
    EXPECT_FALSE(std::filesystem::exists(folder / "frame-00001.png"));
    headlessSetFrameOutput(nullptr, HEADLESS_PNG | HEADLESS_RAW);
    presentFrame();
    EXPECT_FALSE(std::filesystem::exists(folder / "frame-00002.rgb565"));
}

TEST_F(PlatformHeadlessTest, UnwritableFrameIsReportedAndTheRunGoesOn)
{
    std::string missing = folder / "no-such-folder";
    headlessSetFrameOutput(missing.c_str(), HEADLESS_PNG | HEADLESS_RAW);
    ::testing::internal::CaptureStderr();
    presentFrame();
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "Tarvo: cannot write " + missing + "/frame-00001.png\nTarvo: cannot write "
                        + missing + "/frame-00001.rgb565\n");
    EXPECT_EQ(headlessFrameCount(), 1);
    EXPECT_FALSE(headlessWritePng(headlessShownFrame(), (missing + "/x.png").c_str()));
    EXPECT_FALSE(headlessWriteRaw(headlessShownFrame(), (missing + "/x.rgb565").c_str()));
}

ButtonMask polls = 0;
ButtonMask countingSource()
{
    return ++polls;
}

struct Observed {
    uint16_t firstPixel;
    int number;
    bool fileWritten;
    bool operator==(const Observed& other) const
    {
        return firstPixel == other.firstPixel && number == other.number
               && fileWritten == other.fileWritten;
    }
};
std::vector<Observed> observed;
std::string observedFolder;

void recordFrame(const uint16_t* frame, int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%05d.rgb565", number);
    observed.push_back({ frame[0], number, std::filesystem::exists(observedFolder + name) });
}

TEST_F(PlatformHeadlessTest, ButtonSourceReplacesTheScriptButNotTheTimeLimit)
{
    script("0 a\n+1 quit\n");
    polls = 0;
    headlessSetButtonSource(countingSource);
    platformSleepMs(5); // past the quit step: the script is not consulted
    EXPECT_EQ(readButtons(), 1u);
    EXPECT_EQ(readButtons(), 2u);
    headlessSetTimeLimit(5);
    EXPECT_EQ(readButtons(), 3u);
    platformSleepMs(1);
    EXPECT_EXIT(readButtons(), ::testing::ExitedWithCode(0), "");
    headlessSetTimeLimit(0);
    headlessSetButtonSource(nullptr);
    headlessSetScript("0 b\n", nullptr);
    EXPECT_EQ(readButtons(), static_cast<ButtonMask>(BUTTON_B));
}

TEST_F(PlatformHeadlessTest, FrameObserverSeesEveryShownFrameAfterItsFiles)
{
    observed.clear();
    observedFolder = folder.path();
    headlessSetFrameOutput(folder.path().c_str(), HEADLESS_RAW);
    headlessSetFrameObserver(recordFrame);
    backBuffer[0] = 0x1111;
    presentFrame();
    backBuffer[0] = 0x2222;
    presentFrame();
    headlessReset();
    presentFrame(); // no observer after a reset
    EXPECT_EQ(observed, (std::vector<Observed>{ { 0x1111, 1, true }, { 0x2222, 2, true } }));
}

TEST_F(PlatformHeadlessTest, InitAgainKeepsTimeAndFrameNumbers)
{
    headlessSetFrameOutput(folder.path().c_str(), HEADLESS_RAW);
    presentFrame();
    platformSleepMs(40);
    backBuffer[5] = 0xFFFF;
    platformShutdown();
    platformInit(100, 16, 44100, 16);
    EXPECT_EQ(backBuffer[5], 0) << "the buffers are cleared again";
    EXPECT_EQ(headlessNowMs(), 40u);
    presentFrame();
    EXPECT_EQ(headlessFrameCount(), 2);
    EXPECT_TRUE(std::filesystem::exists(folder / "frame-00002.rgb565"));
}

} // namespace
