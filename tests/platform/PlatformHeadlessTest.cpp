// The headless backend: the key script format, the buttons and frames it plays, frames written as
// files, and the menu program it hands over to.
#include "TempFolder.h"
#include "platform/HeadlessControl.h"
#include "platform/MenuProgram.h"

#include <gtest/gtest.h>
#include <png.h>

// The buttons of every poll of a script, to its end.
static std::vector<ButtonMask> polls(KeyScript script)
{
    std::vector<ButtonMask> seen;
    for (ButtonMask buttons = 0; script.nextPoll(&buttons);)
        seen.push_back(buttons);
    return seen;
}

// The names the launcher's cases play (the four directions, A, B, X, L, R, Start and Select) are
// left to them.
TEST(PlatformHeadlessTest, KeyScriptStepsNamesAndErrors)
{
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.parse("# a note\n\n- 2\r\nA+b 1\n  left   1  \nUPLEFT 1\nDOWNLEFT 1\n"
                             "DOWNRIGHT 1\nUPRIGHT 1\nY 1\nVOLDOWN 1\nVOLUP 1\npush 1\n",
                             &error))
        << error;
    const std::vector<ButtonMask> steps = {0,    0,    0x3000, 0x4,      0x2,      0x8,
                                           0x20, 0x80, 0x8000, 0x400000, 0x800000, 0x8000000};
    EXPECT_EQ(polls(script), steps);
    // A note counts as a line. (A bad line in a file is reported as FILE:LINE by the cases.)
    for (const char* bad : {"LEFT", "A+ 1", "A 0", "A 1x", "A 1 2", "A 1234567890123456789"}) {
        EXPECT_FALSE(script.parse(std::string("- 1\n# a note\n") + bad, &error)) << bad;
        EXPECT_EQ(error.rfind("line 3: ", 0), 0u) << error;
        EXPECT_EQ(polls(script), steps) << "the script before stays";
    }
    TempFolder folder;
    EXPECT_FALSE(script.load(folder / "none", &error));
    EXPECT_EQ(error, folder / "none: No such file or directory");
}

// The first pixel and the number of every frame presented.
static std::vector<std::pair<uint16_t, int>> shown;

// A lone diagonal reads as its two neighbours, whether from a script or a source (which diagonal
// folds how is read through the handheld binding); the frames go to the observer, numbered. A
// reset drops the script, the source, the observer and the count. (The script and the frames
// through a whole run, its end and a platform brought back are played by the launcher's cases.)
TEST(PlatformHeadlessTest, ReadButtonsAndPresentFramePlayTheScriptAndCountTheFrames)
{
    headlessSetFrameObserver(
        [](const uint16_t* frame, int number) { shown.emplace_back(frame[0], number); });
    platformInit(100, 16, 44100, 16);
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.parse("UPLEFT+B 1\n", &error));
    headlessSetScript(script);
    EXPECT_EQ(readButtons(), 0x2005u);
    headlessSetButtonSource([]() -> ButtonMask { return BUTTON_DOWN_RIGHT; });
    EXPECT_EQ(readButtons(), 0x50u);
    backBuffer[0] = 0xF800;
    presentFrame();
    backBuffer[0] = 0x07E0;
    presentFrame();
    EXPECT_EQ(backBuffer[0], 0xF800) << "drawing goes on in the other buffer, each in turn";
    EXPECT_EQ(shown, (std::vector<std::pair<uint16_t, int>>{{0xF800, 1}, {0x07E0, 2}}));
    headlessReset();
    EXPECT_EQ(readButtons(), 0u) << "the script's end would end the run";
    presentFrame();
    EXPECT_EQ(std::make_pair(shown.size(), headlessFrameCount()), std::make_pair(size_t(2), 1));
}

// The raw files' bytes are read by every case that checks a pixel.
TEST(PlatformHeadlessTest, FramesAreWrittenAsPngAndRawRgb565)
{
    TempFolder folder;
    // Channels at full, at zero and in the middle of their ranges, ending the frame.
    std::vector<uint16_t> frame(SCREEN_PIXELS - 4, 0x1234);
    frame.insert(frame.end(), {0xF800, 0x07E0, 0x001F, 0x8410});
    ASSERT_TRUE(headlessWritePng(frame.data(), (folder / "f.png").c_str()));
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, (folder / "f.png").c_str()));
    ASSERT_EQ(std::make_pair(image.width, image.height), std::make_pair(320u, 240u));
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    EXPECT_EQ(std::vector<int>(rgb.end() - 12, rgb.end()),
              (std::vector<int>{255, 0, 0, 0, 255, 0, 0, 0, 255, 132, 130, 132}));
    EXPECT_FALSE(headlessWritePng(frame.data(), (folder / "none/f.png").c_str()));
    EXPECT_FALSE(headlessWriteRaw(frame.data(), (folder / "none/f.rgb565").c_str()));

    // A link found under a frame's name is replaced, never written through.
    ASSERT_TRUE(headlessWriteRaw(frame.data(), (folder / "f.rgb565").c_str()));
    const std::string elsewhere = folder.write("elsewhere", "kept");
    for (const char* name : {"g.png", "g.rgb565"})
        ASSERT_EQ(symlink(elsewhere.c_str(), (folder / name).c_str()), 0);
    EXPECT_TRUE(headlessWritePng(frame.data(), (folder / "g.png").c_str()));
    EXPECT_TRUE(headlessWriteRaw(frame.data(), (folder / "g.rgb565").c_str()));
    EXPECT_EQ(folder.read("g.png"), folder.read("f.png"));
    EXPECT_EQ(folder.read("g.rgb565"), folder.read("f.rgb565"));
    EXPECT_EQ(folder.read("elsewhere"), "kept");
}

// A menu program that cannot start is reported, and the launcher goes on in its own folder (the
// run without one and the menu that starts are played by the launcher's cases).
TEST(PlatformHeadlessTest, ReturnToMenuReportsAMenuThatCannotStart)
{
    TempFolder folder;
    const std::string home = std::filesystem::current_path().string();
    for (auto [program, reason] :
         {std::pair{folder.write("menu/plain", "", 0644), "Permission denied"},
          {folder / "none/menu", "No such file or directory"}}) {
        setMenuProgram(program.c_str());
        ::testing::internal::CaptureStderr();
        returnToMenu();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "Tarvo: cannot start the menu program " + program + ": " + reason + "\n");
        EXPECT_EQ(std::filesystem::current_path().string(), home);
    }
    setMenuProgram(nullptr);
}
