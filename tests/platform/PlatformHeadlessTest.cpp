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

TEST(PlatformHeadlessTest, KeyScriptStepsNamesAndErrors)
{
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.parse("# a note\n\n- 2\r\nA+b 1\n  left   1  \n", &error)) << error;
    EXPECT_EQ(polls(script), (std::vector<ButtonMask>{0, 0, 0x3000, 0x4}));
    const std::pair<const char*, ButtonMask> names[] = {
        {"UP", 0x1},        {"UPLEFT", 0x2},     {"LEFT", 0x4},         {"DOWNLEFT", 0x8},
        {"DOWN", 0x10},     {"DOWNRIGHT", 0x20}, {"RIGHT", 0x40},       {"UPRIGHT", 0x80},
        {"START", 0x100},   {"SELECT", 0x200},   {"L", 0x400},          {"R", 0x800},
        {"X", 0x4000},      {"Y", 0x8000},       {"VOLDOWN", 0x400000}, {"VOLUP", 0x800000},
        {"PUSH", 0x8000000}};
    for (const auto& [name, bit] : names)
        EXPECT_EQ(script.parse(std::string(name) + " 1", &error) ? polls(script)[0] : 0xDEAD, bit);
    for (const char* bad :
         {"LEFT", "JUMP 3", "A+ 1", "A 0", "A 1x", "A 1 2", "A 1234567890123456789"}) {
        EXPECT_FALSE(script.parse(std::string("- 1\n") + bad, &error)) << bad;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
        EXPECT_EQ(polls(script), std::vector<ButtonMask>{0x8000000}) << "the script before stays";
    }
    TempFolder folder;
    std::string path = folder.write("keys", "- 1\n# a note\nA 2\nB\n");
    EXPECT_FALSE(script.load(path, &error));
    EXPECT_EQ(error, path + ":4: expected BUTTONS COUNT, found no count");
    EXPECT_FALSE(script.load(folder / "none", &error));
    EXPECT_EQ(error, folder / "none: No such file or directory");
}

// The first pixel and the number of every frame presented.
static std::vector<std::pair<uint16_t, int>> shown;

// A lone diagonal reads as its two neighbours, whether from a script or a source.
TEST(PlatformHeadlessTest, ReadButtonsAndPresentFramePlayTheScriptAndCountTheFrames)
{
    headlessReset();
    headlessSetFrameObserver(
        [](const uint16_t* frame, int number) { shown.emplace_back(frame[0], number); });
    platformInit(100, 16, 44100, 16);
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.parse("UPLEFT 1\nDOWNLEFT+B 1\nUPRIGHT 1\nUPRIGHT+UP 1\n", &error));
    headlessSetScript(script);
    EXPECT_EQ(readButtons(), 0x5u);
    EXPECT_EQ(readButtons(), 0x2014u);
    uint16_t* first = backBuffer;
    first[0] = 0xF800;
    presentFrame();
    backBuffer[0] = 0x07E0;
    presentFrame();
    EXPECT_EQ(backBuffer, first);
    headlessSetButtonSource([]() -> ButtonMask { return BUTTON_DOWN_RIGHT; });
    EXPECT_EQ(readButtons(), 0x50u);
    headlessSetButtonSource(nullptr);
    platformShutdown();
    platformInit(100, 16, 44100, 16); // clears the frame; the script and the count go on
    presentFrame();
    EXPECT_EQ(shown, (std::vector<std::pair<uint16_t, int>>{{0xF800, 1}, {0x07E0, 2}, {0, 3}}));
    EXPECT_EQ(readButtons(), 0x41u);
    EXPECT_EQ(readButtons(), 0x81u);
    EXPECT_EXIT(readButtons(), ::testing::ExitedWithCode(0), "") << "the script's end ends the run";
    headlessReset();
    EXPECT_EQ(readButtons(), 0u);
    presentFrame();
    EXPECT_EQ(std::make_pair(shown.size(), headlessFrameCount()), std::make_pair(size_t(3), 1));
}

TEST(PlatformHeadlessTest, FramesAreWrittenAsPngAndRawRgb565)
{
    TempFolder folder;
    // Channels at full, at zero and in the middle of their ranges, ending the frame.
    std::vector<uint16_t> frame(SCREEN_PIXELS - 4, 0x1234);
    frame.insert(frame.end(), {0xF800, 0x07E0, 0x001F, 0x8410});
    ASSERT_TRUE(headlessWriteRaw(frame.data(), (folder / "f.rgb565").c_str()));
    ASSERT_TRUE(headlessWritePng(frame.data(), (folder / "f.png").c_str()));
    const std::string raw = folder.read("f.rgb565"); // low byte first
    EXPECT_EQ(raw.substr(0, 2) + raw.substr(153592),
              std::string("\x34\x12\x00\xF8\xE0\x07\x1F\x00\x10\x84", 10));
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
}

// Without a menu program the run ends normally; one that cannot start is reported, and the
// launcher goes on in its own folder.
TEST(PlatformHeadlessTest, ReturnToMenuEndsTheRunOrReportsAMenuThatCannotStart)
{
    EXPECT_EXIT(returnToMenu(), ::testing::ExitedWithCode(0), "");
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
