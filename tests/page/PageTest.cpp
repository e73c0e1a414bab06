// A page as the launcher uses it: skin directives, navigation codes turned into action words with
// the file-list variables filled in, and whole frames drawn into a plain buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/VariableStore.h"
#include "gfx/BitmapFont.h"
#include "gfx/ImageCache.h"
#include "page/Button.h"
#include "page/Page.h"
#include "page/SkinValues.h"
#include "platform/ClockControl.h"
#include "tests/page/PageTestSupport.h"

namespace {

using Names = std::vector<std::string>;

Names listOf(const WString::Array& array)
{
    Names names;
    for (int i = 0; i < array.count(); ++i)
        names.push_back(array[i].text() ? array[i].text() : "<null>");
    return names;
}

class PageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeTestFont(tmp.path() + "font.png"));
        ASSERT_TRUE(font.load((tmp.path() + "font.png").c_str()));
        context = PageContext(&font, &images, nullptr, &clock);
    }

    void apply(const char* keyword, std::initializer_list<const char*> arguments)
    {
        page.applyDirective(keyword, words(arguments));
    }

    // The words the page gives for code, and whether it used the code.
    Names press(int code, bool* used = nullptr)
    {
        WString::Array actions;
        int c = code;
        page.handleInput(actions, c);
        if (used)
            *used = c == 0;
        return listOf(actions);
    }

    // A file-list button over folder, drawn once so that it lists.
    void listButton(const char* index, const std::string& folder)
    {
        apply("BUTTON", {index});
        apply("TYPE", {"selector", "0", "0", "100", "40"});
        apply("OPTIONS", {"startdir", folder.c_str()});
        apply("OPTIONS", {"type", "file"});
    }

    TempFolder tmp;
    BitmapFont font;
    VariableStore variables;
    ClockControl clock;
    ImageCache images{variables, clock};
    PageContext context;
    Page page;
};

TEST_F(PageTest, ButtonLinesNeedAValidButtonFirst)
{
    apply("TYPE", {"rect", "0", "0", "1", "1", "FFFFFF"});
    for (int i = 0; i < Page::BUTTON_COUNT; ++i)
        EXPECT_EQ(page.buttons[i], nullptr);
    EXPECT_EQ(page.currentButton, -1);

    for (const char* outside : {"64", "-1", "1000000000000"}) {
        apply("BUTTON", {outside});
        apply("TYPE", {"rect", "0", "0", "1", "1", "FFFFFF"});
        apply("ACTION", {"page", "2"});
        apply("OPTIONS", {"filter", ".gpe"});
    }
    for (int i = 0; i < Page::BUTTON_COUNT; ++i)
        EXPECT_EQ(page.buttons[i], nullptr);

    apply("BUTTON", {"5"});
    apply("TYPE", {"text", "1", "2", "000000", "FFFFFF", "hi"});
    ASSERT_NE(page.buttons[5], nullptr);
    EXPECT_STREQ(page.buttons[5]->type.text(), "text");

    apply("BUTTON", {""});
    apply("ACTION", {"quit"});
    ASSERT_NE(page.buttons[0], nullptr) << "an empty number is button 0";
    EXPECT_EQ(listOf(page.buttons[0]->action), (Names{"quit"}));
}

TEST_F(PageTest, TwoBlocksForOneButtonFillTheSameButton)
{
    apply("BUTTON", {"3"});
    apply("TYPE", {"text", "1", "2", "000000", "FFFFFF", "first"});
    apply("ACTION", {"page", "1"});
    apply("BUTTON", {"4"});
    apply("ACTION", {"quit"});
    apply("BUTTON", {"3"});
    apply("TYPE", {"rect", "0", "0", "5", "5", "FF0000"});
    Button* three = page.buttons[3];
    ASSERT_NE(three, nullptr);
    EXPECT_STREQ(three->type.text(), "rect");
    EXPECT_EQ(three->typeArgs.count(), 5);
    EXPECT_EQ(listOf(three->action), (Names{"page", "1"}));
    EXPECT_EQ(listOf(page.buttons[4]->action), (Names{"quit"}));
}

TEST_F(PageTest, BackgroundAndReturnReplaceEarlierLines)
{
    apply("BACKGROUND", {"color", "FF0000"});
    apply("BACKGROUND", {"gradient", "000000", "FFFFFF"});
    EXPECT_STREQ(page.backgroundKind.text(), "gradient");
    EXPECT_EQ(listOf(page.backgroundArgs), (Names{"000000", "FFFFFF"}));
    apply("RETURN", {"page", "1"});
    apply("RETURN", {"page", "2"});
    EXPECT_EQ(listOf(page.returnAction), (Names{"page", "2"}));
    page.applyDirective("BACKGROUND", WString::Array());
    page.applyDirective("BUTTON", WString::Array());
    EXPECT_STREQ(page.backgroundKind.text(), "gradient") << "an array without arguments changes nothing";
    EXPECT_EQ(page.currentButton, -1);
}

TEST_F(PageTest, PageWithoutButtonZeroAnswersOnlyItsReturnAction)
{
    apply("BUTTON", {"3"});
    apply("ACTION", {"quit"});
    bool used = false;
    for (int code : {1, 2, 3, 4, 5, 7, 8}) {
        EXPECT_EQ(press(code, &used), Names{});
        EXPECT_FALSE(used);
    }
    EXPECT_EQ(press(6, &used), Names{}) << "no RETURN line";
    EXPECT_TRUE(used);
    apply("RETURN", {"select", "3"});
    EXPECT_EQ(press(6), (Names{"select", "3"}));
    EXPECT_EQ(page.selected, 3);
    EXPECT_EQ(press(5), (Names{"quit"}));
}

TEST_F(PageTest, SelectMovesOnlyToAnExistingButton)
{
    apply("BUTTON", {"0"});
    apply("NAVIGATION", {"5", "64", "-1", "2"});
    apply("ACTION", {"select", "2", "3"});
    apply("BUTTON", {"2"});
    apply("LEFT", {"select", "0"});
    EXPECT_EQ(press(1), (Names{"select", "5"}));
    EXPECT_EQ(page.selected, 0) << "slot 5 is empty";
    press(2);
    press(3);
    press(5);
    EXPECT_EQ(page.selected, 0) << "64, -1 and three words change nothing";
    EXPECT_EQ(press(4), (Names{"select", "2"}));
    EXPECT_EQ(page.selected, 2);
    press(1);
    EXPECT_EQ(page.selected, 0);

    // Any keyword creates the button, so a select of it succeeds.
    apply("BUTTON", {"5"});
    apply("NOTHING", {"x"});
    press(1);
    EXPECT_EQ(page.selected, 5);
}

TEST_F(PageTest, ExecAndConfigGetTheFileListVariables)
{
    tmp.folder("games");
    tmp.file("games/game.gpe");
    tmp.folder("skins");
    tmp.file("skins/blue");
    const std::string games = tmp.path() + "games/", skins = tmp.path() + "skins/";
    listButton("0", games);
    apply("ACTION", {"exec", "%p0%", "%P0%"});
    listButton("3", skins);
    apply("ACTION", {"config", "SKIN", "%3%"});
    apply("RIGHT", {"exec", "%P0%", "%p3%", "%P5%", "%0%%3%", "%%"});
    apply("LEFT", {"exec", "%P0%"});
    apply("UP", {"page", "%P0%", "%0%"});
    TestFrame frame;
    page.draw(context);

    EXPECT_EQ(press(5), (Names{"exec", games, games + "game.gpe"}));
    page.selected = 3;
    EXPECT_EQ(press(5), (Names{"config", "SKIN", "blue"}));
    EXPECT_EQ(press(2), (Names{"exec", games + "game.gpe", skins, "%P5%", "game.gpeblue", "%"}));
    EXPECT_EQ(press(1), (Names{"exec", "%P0%"})) << "fewer than three words are not expanded";
    EXPECT_EQ(press(3), (Names{"page", "%P0%", "%0%"})) << "only exec and config are expanded";
}

TEST_F(PageTest, WordsOfOtherActionsAndPagesWithoutListsAreLeftAlone)
{
    apply("BUTTON", {"0"});
    apply("ACTION", {"exec", "%P0%", "%0%", "%%"});
    apply("LEFT", {"page", "%P0%", "%0%"});
    EXPECT_EQ(press(5), (Names{"exec", "%P0%", "%0%", "%%"})) << "no file list on the page";
    EXPECT_EQ(press(1), (Names{"page", "%P0%", "%0%"}));
}

TEST_F(PageTest, EmptyListGivesEmptyVariablesToTheButtonsAction)
{
    tmp.folder("empty");
    listButton("0", tmp.path() + "empty/");
    apply("ACTION", {"exec", "%p0%", "%P0%", "[%0%]"});
    TestFrame frame;
    page.draw(context);
    const std::string folder = tmp.path() + "empty/";
    EXPECT_EQ(press(5), (Names{"exec", folder, folder, "[]"}));
}

TEST_F(PageTest, HostileNamesReachTheActionWordsUnchanged)
{
    const std::vector<std::string> names = {"a,b.gpe", "100%.gpe", "%P3%.gpe", "%%.gpe",
                                            "quote\".gpe", "line\nbreak.gpe", "x=y.gpe",
                                            std::string("\xff\xfe.gpe")};
    tmp.folder("card");
    for (const std::string& name : names)
        tmp.file("card/" + name);
    tmp.folder("other");
    tmp.file("other/o");
    const std::string card = tmp.path() + "card/";
    listButton("0", card);
    apply("ACTION", {"exec", "%p0%", "%P0%"});
    listButton("3", tmp.path() + "other/");
    TestFrame frame;
    page.draw(context);
    Button* list = page.buttons[0];
    ASSERT_EQ(list->browser->entries.count(), static_cast<int>(names.size()));
    for (int i = 0; i < list->browser->entries.count(); ++i) {
        list->browser->cursor = i;
        const std::string name = list->browser->entries[i].text();
        EXPECT_EQ(press(5), (Names{"exec", card, card + name})) << name;
    }
}

TEST_F(PageTest, DescriptorActionWithPercentInItsFolderComesThroughWhole)
{
    tmp.folder("50% off/roms");
    tmp.file("50% off/roms/a,b.rom");
    tmp.file("50% off/Tarvo.dat",
             "FILTER=.rom\nDIRECTORY=%cwd%roms/\nACTION=exec,%cwd%,%cwd%emu.gpe,%P0%\n");
    apply("BUTTON", {"0"});
    apply("TYPE", {"selector", "0", "0", "100", "40"});
    apply("OPTIONS", {"startdir", tmp.path().c_str()});
    tmp.folder("z");
    listButton("1", tmp.path() + "z/");
    TestFrame frame;
    page.draw(context);
    Button* list = page.buttons[0];
    testing::internal::CaptureStdout();
    list->browser->changeDirectory("50% off/");
    testing::internal::GetCapturedStdout();
    list->browser->cursor = 1;
    ASSERT_STREQ(list->browser->selectedEntry().text(), "a,b.rom");
    const std::string folder = tmp.path() + "50% off/";
    EXPECT_EQ(press(5), (Names{"exec", folder, folder + "emu.gpe", folder + "roms/a,b.rom"}));
}

TEST_F(PageTest, PageWithoutBackgroundDrawsBlack)
{
    TestFrame frame(0xFFFF);
    page.draw(context);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0), 0);
    apply("BACKGROUND", {"color", "FF0000", "00FF00"});
    frame.fill(0xFFFF);
    page.draw(context);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0), 0) << "a colour takes exactly one argument";
    apply("BACKGROUND", {"Gradient", "FF0000", "00FF00"});
    frame.fill(0xFFFF);
    page.draw(context);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0), 0);
}

TEST_F(PageTest, ColourBackgroundFillsTheFrame)
{
    TestFrame frame(0);
    apply("BACKGROUND", {"color", "7F7F7F"});
    page.draw(context);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x7BCF), 0);
    apply("BACKGROUND", {"color", "12345"});
    page.draw(context);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0xD431), 0);
}

TEST_F(PageTest, GradientRowsFollowTheDivisorOf239)
{
    TestFrame frame(0);
    apply("BACKGROUND", {"gradient", "000000", "FFFFFF"});
    page.draw(context);
    EXPECT_EQ(frame.countOther(0, 0, 319, 0, 0x0000), 0);
    EXPECT_EQ(frame.countOther(0, 239, 319, 239, 0xFFDF), 0);
    EXPECT_EQ(frame.countOther(0, 120, 319, 120, 0x7BCF), 0) << "120 * 31 / 239 = 15";

    apply("BACKGROUND", {"gradient", "F80810", "08F8A0"});
    page.draw(context);
    // Top channels 31, 1, 2; bottom 1, 31, 20.
    for (int y = 0; y < 240; ++y) {
        const int r = ((239 - y) * 31 + y * 1) / 239;
        const int g = ((239 - y) * 1 + y * 31) / 239;
        const int b = ((239 - y) * 2 + y * 20) / 239;
        const uint16_t expected = static_cast<uint16_t>(r << 11 | g << 6 | b);
        ASSERT_EQ(frame.countOther(0, y, 319, y, expected), 0) << "row " << y;
    }
}

TEST_F(PageTest, BackgroundPictureIsLookedForOnce)
{
    const std::string full = tmp.path() + "full.png", small = tmp.path() + "small.png";
    ASSERT_TRUE(writeSolidPng(full, 320, 240, 0, 255, 0, 0));
    ASSERT_TRUE(writeSolidPng(small, 100, 50, 255, 0, 0, 255));
    TestFrame frame(0x1234);
    apply("BACKGROUND", {"image", full.c_str()});
    page.draw(context);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x07C0), 0) << "copied without its opacity";

    Page smaller;
    smaller.applyDirective("BACKGROUND", words({"image", small.c_str()}));
    frame.fill(0x1234);
    smaller.draw(context);
    EXPECT_EQ(frame.countOther(0, 0, 99, 49, 0xF800), 0);
    EXPECT_EQ(frame.at(100, 0), 0) << "the rest of the frame is cleared, not left from before";
    EXPECT_EQ(frame.at(0, 50), 0);

    Page missing;
    const std::string nowhere = tmp.path() + "nowhere.png";
    missing.applyDirective("BACKGROUND", words({"image", nowhere.c_str()}));
    testing::internal::CaptureStdout();
    frame.fill(0x1234);
    missing.draw(context);
    ASSERT_TRUE(writeSolidPng(nowhere, 320, 240, 255, 255, 255, 255));
    missing.draw(context);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Could not load image " + nowhere + "\n");
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0), 0);
}

TEST_F(PageTest, LaterButtonsDrawOnTopAndTheSelectedOneIsMarked)
{
    apply("BACKGROUND", {"color", "000000"});
    apply("BUTTON", {"2"});
    apply("TYPE", {"rect", "10", "10", "50", "50", "0000FF"});
    apply("BUTTON", {"1"});
    apply("TYPE", {"rect", "0", "0", "30", "30", "FF0000"});
    apply("BUTTON", {"0"});
    apply("TYPE", {"text", "100", "100", "FF0000", "00FF00", "x"});
    apply("BUTTON", {"4"});
    apply("TYPE", {"text", "200", "100", "FF0000", "00FF00", "x"});
    TestFrame frame(0);
    page.draw(context);
    EXPECT_EQ(frame.at(5, 5), 0xF800);
    EXPECT_EQ(frame.at(20, 20), 0x001F) << "button 2 is painted over button 1";
    EXPECT_EQ(frame.at(100, 100), 0x07C0) << "button 0 is selected";
    EXPECT_EQ(frame.at(200, 100), 0xF800);
    page.selected = 4;
    page.draw(context);
    EXPECT_EQ(frame.at(100, 100), 0xF800);
    EXPECT_EQ(frame.at(200, 100), 0x07C0);
}

TEST_F(PageTest, NothingIsLoadedBeforeTheFirstDrawing)
{
    const std::string picture = tmp.path() + "late.png";
    apply("BACKGROUND", {"image", picture.c_str()});
    apply("BUTTON", {"0"});
    apply("TYPE", {"image", "0", "0", picture.c_str()});
    apply("BUTTON", {"1"});
    apply("TYPE", {"selector", "0", "100", "100", "140"});
    apply("OPTIONS", {"startdir", tmp.path().c_str()});
    EXPECT_EQ(page.backgroundLoaded, 0);
    EXPECT_EQ(page.buttons[0]->loaded, 0);
    EXPECT_EQ(page.buttons[1]->browser, nullptr);
    // The files appear only now: a page reads them when it is first shown, not when defined.
    ASSERT_TRUE(writeSolidPng(picture, 320, 240, 0, 0, 255, 255));
    tmp.file("listed.txt");
    TestFrame frame(0);
    page.draw(context);
    EXPECT_NE(page.backgroundImage, nullptr);
    EXPECT_NE(page.buttons[0]->selectedImage, nullptr);
    ASSERT_NE(page.buttons[1]->browser, nullptr);
    EXPECT_STREQ(page.buttons[1]->browser->entries[page.buttons[1]->browser->entries.count() - 1].text(),
                 "listed.txt");
    EXPECT_EQ(frame.at(319, 0), 0x001F);
}

} // namespace
