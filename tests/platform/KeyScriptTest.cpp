// The poll-counted button script of the headless backend.
#include "platform/KeyScript.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

std::vector<ButtonMask> play(KeyScript& script)
{
    std::vector<ButtonMask> polls;
    ButtonMask buttons = 0;
    while (polls.size() < 1000 && script.nextPoll(&buttons))
        polls.push_back(buttons);
    return polls;
}

} // namespace

TEST(KeyScriptTest, StepsGiveTheirButtonsForCountPolls)
{
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.parse("# a comment\n\n- 2\r\nA+B 1\n  left   3  \n", &error)) << error;
    EXPECT_EQ(play(script),
              (std::vector<ButtonMask>{0, 0, BUTTON_A | BUTTON_B, BUTTON_LEFT, BUTTON_LEFT,
                                       BUTTON_LEFT}));
    ButtonMask buttons = 0;
    EXPECT_FALSE(script.nextPoll(&buttons)) << "used up stays used up";
    ASSERT_TRUE(script.parse("", &error));
    EXPECT_TRUE(play(script).empty()) << "an empty script has no poll";
}

TEST(KeyScriptTest, NamesGiveTheirBitsAndALoneDiagonalIsFoldedAsOnTheHandheld)
{
    const std::pair<const char*, ButtonMask> words[] = {
        {"UP", BUTTON_UP},
        {"down", BUTTON_DOWN},
        {"RIGHT", BUTTON_RIGHT},
        {"-", 0},
        {"X+Y+L+R", BUTTON_X | BUTTON_Y | BUTTON_L | BUTTON_R},
        {"START+SELECT", BUTTON_START | BUTTON_SELECT},
        {"VOLUP+VOLDOWN+PUSH", BUTTON_VOLUME_UP | BUTTON_VOLUME_DOWN | BUTTON_STICK_PUSH},
        {"UPLEFT", 0x5},
        {"UPRIGHT", 0x41},
        {"DOWNRIGHT", 0x50},
        {"DOWNLEFT", 0x14},
        {"UPLEFT+B", 0x5 | BUTTON_B}, // buttons do not stop the folding
        {"UPLEFT+UP", 0x3},
        {"UPLEFT+DOWNRIGHT", 0x22}, // another joystick line: no folding
    };
    for (const auto& [word, expected] : words) {
        ButtonMask buttons = 0xDEAD;
        std::string why;
        EXPECT_TRUE(KeyScript::parseButtons(word, &buttons, &why)) << word << ": " << why;
        EXPECT_EQ(buttons, expected) << word;
    }
}

TEST(KeyScriptTest, MalformedLinesAreRefusedWithTheirNumber)
{
    const char* bad[] = {"LEFT\n",  "JUMP 3\n", "A 0\n",
                         "A -1\n",  "A+ 1\n",   "+A 1\n",
                         "A 1 2\n", "A 1x\n",   "A 99999999999999999999\n",
                         "-- 1\n"};
    for (const char* text : bad) {
        KeyScript script;
        std::string error;
        ASSERT_TRUE(script.parse("B 4\n", &error));
        EXPECT_FALSE(script.parse(std::string("- 1\n") + text, &error)) << text;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
        EXPECT_EQ(play(script).size(), 4u) << "a refused script keeps the one before";
    }
}

TEST(KeyScriptTest, LoadNamesTheFileAndLine)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::string path = folder.write("keys", "- 1\n# note\nA 2\nB\n");
    KeyScript script;
    std::string error;
    EXPECT_FALSE(script.load(path, &error));
    EXPECT_EQ(error, path + ":4: expected BUTTONS COUNT, found no count");
    EXPECT_FALSE(script.load(folder / "missing", &error));
    EXPECT_EQ(error.rfind(folder / "missing" + ": ", 0), 0u) << error;
    EXPECT_FALSE(script.load(folder.write("binary", std::string("A 1\n\0", 5)), &error));

    ASSERT_TRUE(script.load(folder.write("good", "A 2\n- 1"), &error)) << error;
    EXPECT_EQ(play(script), (std::vector<ButtonMask>{BUTTON_A, BUTTON_A, 0}));
}
