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

ButtonMask mask(const std::string& word)
{
    ButtonMask buttons = 0xDEAD;
    std::string why;
    EXPECT_TRUE(KeyScript::parseButtons(word, &buttons, &why)) << word << ": " << why;
    return buttons;
}

} // namespace

TEST(KeyScriptTest, StepsGiveTheirButtonsForCountPolls)
{
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.parse("# a comment\n\n- 2\r\nA+B 1\n  left   3  \n", &error)) << error;
    EXPECT_EQ(play(script), (std::vector<ButtonMask>{ 0, 0, BUTTON_A | BUTTON_B, BUTTON_LEFT,
                                                      BUTTON_LEFT, BUTTON_LEFT }));
    ButtonMask buttons = 0;
    EXPECT_FALSE(script.nextPoll(&buttons)) << "used up stays used up";
    ASSERT_TRUE(script.parse("", &error));
    EXPECT_TRUE(play(script).empty()) << "an empty script has no poll";
}

TEST(KeyScriptTest, EveryNameIsItsButtonMaskBit)
{
    EXPECT_EQ(mask("UP"), BUTTON_UP);
    EXPECT_EQ(mask("DOWN"), BUTTON_DOWN);
    EXPECT_EQ(mask("RIGHT"), BUTTON_RIGHT);
    EXPECT_EQ(mask("X+Y+L+R"), BUTTON_X | BUTTON_Y | BUTTON_L | BUTTON_R);
    EXPECT_EQ(mask("START+SELECT"), BUTTON_START | BUTTON_SELECT);
    EXPECT_EQ(mask("VOLUP+VOLDOWN+PUSH"), BUTTON_VOLUME_UP | BUTTON_VOLUME_DOWN | BUTTON_STICK_PUSH);
    EXPECT_EQ(mask("-"), 0u);
}

TEST(KeyScriptTest, LoneDiagonalIsFoldedAsOnTheHandheld)
{
    EXPECT_EQ(mask("UPLEFT"), 0x5u);
    EXPECT_EQ(mask("UPRIGHT"), 0x41u);
    EXPECT_EQ(mask("DOWNRIGHT"), 0x50u);
    EXPECT_EQ(mask("DOWNLEFT"), 0x14u);
    EXPECT_EQ(mask("UPLEFT+B"), 0x5u | BUTTON_B) << "buttons do not stop the folding";
    EXPECT_EQ(mask("UPLEFT+UP"), 0x3u) << "with another joystick line it stays";
    EXPECT_EQ(mask("UPLEFT+DOWNRIGHT"), 0x22u);
}

TEST(KeyScriptTest, MalformedLinesAreRefusedWithTheirNumber)
{
    const char* bad[] = { "LEFT\n", "JUMP 3\n", "A 0\n", "A -1\n", "A+ 1\n", "+A 1\n", "A 1 2\n",
                          "A 1x\n", "A 99999999999999999999\n", "-- 1\n" };
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
    EXPECT_EQ(play(script), (std::vector<ButtonMask>{ BUTTON_A, BUTTON_A, 0 }));
}
