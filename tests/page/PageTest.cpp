// A page as the launcher uses it: skin directives, navigation codes turned into action words with
// the file-list variables filled in, and whole frames drawn into a plain buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page/Button.h"
#include "page/Page.h"
#include "tests/page/PageTestSupport.h"

namespace {

using Names = std::vector<std::string>;

class PageTest : public DrawingTest {
protected:
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

    // A file-list button over folder, listing files only.
    void listButton(const char* index, const std::string& folder)
    {
        apply("BUTTON", {index});
        apply("TYPE", {"selector", "0", "0", "100", "40"});
        apply("OPTIONS", {"startdir", folder.c_str()});
        apply("OPTIONS", {"type", "file"});
    }

    // A folder below the temporary one holding empty files of these names; its path.
    std::string folderOf(const std::string& name, const std::vector<std::string>& files)
    {
        tmp.folder(name);
        for (const std::string& file : files)
            tmp.file(name + "/" + file);
        return tmp.path() + name + "/";
    }

    // The page drawn into a frame of fill; the frame is kept for the test to look at.
    TestFrame& drawn(uint16_t fill = 0)
    {
        frame.fill(fill);
        page.draw(context);
        return frame;
    }

    TestFrame frame;
    Page page;
};

TEST_F(PageTest, ButtonLinesNeedAValidButtonFirst)
{
    apply("TYPE", {"rect", "0", "0", "1", "1", "FFFFFF"});
    EXPECT_EQ(page.currentButton, -1);
    for (const char* outside : {"64", "-1", "1000000000000"}) {
        apply("BUTTON", {outside});
        apply("TYPE", {"rect", "0", "0", "1", "1", "FFFFFF"});
        apply("ACTION", {"page", "2"});
        apply("OPTIONS", {"filter", ".gpe"});
    }
    for (int i = 0; i < Page::BUTTON_COUNT; ++i)
        EXPECT_EQ(page.buttons[i], nullptr);

    apply("BUTTON", {""});
    apply("ACTION", {"quit"});
    ASSERT_NE(page.buttons[0], nullptr) << "an empty number is button 0";
    EXPECT_EQ(listOf(page.buttons[0]->action), (Names{"quit"}));
}

TEST_F(PageTest, LaterLinesFillTheSameButtonOrReplaceEarlierOnes)
{
    apply("BUTTON", {"3"});
    apply("TYPE", {"text", "1", "2", "000000", "FFFFFF", "first"});
    apply("ACTION", {"page", "1"});
    apply("BUTTON", {"4"});
    apply("BUTTON", {"3"});
    apply("TYPE", {"rect", "0", "0", "5", "5", "FF0000"});
    ASSERT_NE(page.buttons[3], nullptr);
    EXPECT_STREQ(page.buttons[3]->type.text(), "rect");
    EXPECT_EQ(page.buttons[3]->typeArgs.count(), 5);
    EXPECT_EQ(listOf(page.buttons[3]->action), (Names{"page", "1"}));

    apply("BACKGROUND", {"color", "FF0000"});
    apply("BACKGROUND", {"gradient", "000000", "FFFFFF"});
    apply("RETURN", {"page", "1"});
    apply("RETURN", {"page", "2"});
    page.applyDirective("BACKGROUND", WString::Array());
    page.applyDirective("BUTTON", WString::Array());
    EXPECT_STREQ(page.backgroundKind.text(), "gradient")
        << "an array without arguments changes nothing";
    EXPECT_EQ(listOf(page.backgroundArgs), (Names{"000000", "FFFFFF"}));
    EXPECT_EQ(listOf(page.returnAction), (Names{"page", "2"}));
    EXPECT_EQ(page.currentButton, 3);
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
    apply("BUTTON", {"0"});
    apply("ACTION", {"exec", "%P0%", "%0%", "%%"});
    EXPECT_EQ(press(5), (Names{"exec", "%P0%", "%0%", "%%"})) << "no file list on the page";

    const std::string games = folderOf("games", {"game.gpe"}), skins = folderOf("skins", {"blue"});
    listButton("0", games);
    apply("ACTION", {"exec", "%p0%", "%P0%"});
    listButton("3", skins);
    apply("ACTION", {"config", "SKIN", "%3%"});
    apply("RIGHT", {"exec", "%P0%", "%p3%", "%P5%", "%0%%3%", "%%"});
    apply("LEFT", {"exec", "%P0%"});
    apply("UP", {"page", "%P0%", "%0%"});
    drawn();

    EXPECT_EQ(press(5), (Names{"exec", games, games + "game.gpe"}));
    page.selected = 3;
    EXPECT_EQ(press(5), (Names{"config", "SKIN", "blue"}));
    EXPECT_EQ(press(2), (Names{"exec", games + "game.gpe", skins, "%P5%", "game.gpeblue", "%"}));
    EXPECT_EQ(press(1), (Names{"exec", "%P0%"})) << "fewer than three words are not expanded";
    EXPECT_EQ(press(3), (Names{"page", "%P0%", "%0%"})) << "only exec and config are expanded";
}

TEST_F(PageTest, EmptyListGivesEmptyVariablesToTheButtonsAction)
{
    const std::string folder = folderOf("empty", {});
    listButton("0", folder);
    apply("ACTION", {"exec", "%p0%", "%P0%", "[%0%]"});
    drawn();
    EXPECT_EQ(press(5), (Names{"exec", folder, folder, "[]"}));
}

TEST_F(PageTest, HostileNamesReachTheActionWordsUnchanged)
{
    const std::vector<std::string> names = {
        "a,b.gpe",     "100%.gpe",        "%P3%.gpe", "%%.gpe",
        "quote\".gpe", "line\nbreak.gpe", "x=y.gpe",  std::string("\xff\xfe.gpe")};
    const std::string card = folderOf("card", names);
    listButton("0", card);
    apply("ACTION", {"exec", "%p0%", "%P0%"});
    listButton("3", folderOf("other", {"o"}));
    drawn();
    FileBrowser* list = page.buttons[0]->browser;
    ASSERT_EQ(list->entries.count(), static_cast<int>(names.size()));
    for (int i = 0; i < list->entries.count(); ++i) {
        list->cursor = i;
        const std::string name = list->entries[i].text();
        EXPECT_EQ(press(5), (Names{"exec", card, card + name})) << name;
    }
}

TEST_F(PageTest, DescriptorActionWithPercentInItsFolderComesThroughWhole)
{
    tmp.file("50% off/roms/a,b.rom");
    tmp.file("50% off/Tarvo.dat",
             "FILTER=.rom\nDIRECTORY=%cwd%roms/\nACTION=exec,%cwd%,%cwd%emu.gpe,%P0%\n");
    apply("BUTTON", {"0"});
    apply("TYPE", {"selector", "0", "0", "100", "40"});
    apply("OPTIONS", {"startdir", tmp.path().c_str()});
    listButton("1", folderOf("z", {}));
    drawn();
    FileBrowser* list = page.buttons[0]->browser;
    testing::internal::CaptureStdout();
    list->changeDirectory("50% off/");
    testing::internal::GetCapturedStdout();
    list->cursor = 1;
    ASSERT_STREQ(list->selectedEntry().text(), "a,b.rom");
    const std::string folder = tmp.path() + "50% off/";
    EXPECT_EQ(press(5), (Names{"exec", folder, folder + "emu.gpe", folder + "roms/a,b.rom"}));
}

TEST_F(PageTest, ColourBackgroundFillsTheFrameAndAnythingElseIsBlack)
{
    const struct {
        std::vector<const char*> background;
        uint16_t fill;
    } rows[] = {
        {{}, 0},
        {{"color", "7F7F7F"}, 0x7BCF},
        {{"color", "12345"}, 0xD431},
        {{"color", "FF0000", "00FF00"}, 0}, // a colour takes exactly one argument
        {{"Gradient", "FF0000", "00FF00"}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.background.empty() ? "none" : row.background[0]);
        WString::Array arguments;
        for (const char* word : row.background)
            arguments.append(WString(word));
        page.applyDirective("BACKGROUND", arguments);
        EXPECT_EQ(drawn(0xFFFF).countOther(0, 0, 319, 239, row.fill), 0);
    }
}

TEST_F(PageTest, GradientRowsFollowTheDivisorOf239)
{
    apply("BACKGROUND", {"gradient", "000000", "FFFFFF"});
    drawn();
    EXPECT_EQ(frame.countOther(0, 0, 319, 0, 0x0000), 0);
    EXPECT_EQ(frame.countOther(0, 239, 319, 239, 0xFFDF), 0);
    EXPECT_EQ(frame.countOther(0, 120, 319, 120, 0x7BCF), 0) << "120 * 31 / 239 = 15";

    apply("BACKGROUND", {"gradient", "F80810", "08F8A0"});
    drawn();
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
    apply("BACKGROUND", {"image", full.c_str()});
    EXPECT_EQ(drawn(0x1234).countOther(0, 0, 319, 239, 0x07C0), 0) << "copied without its opacity";

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
    apply("BUTTON", {"2"});
    apply("TYPE", {"rect", "10", "10", "50", "50", "0000FF"});
    apply("BUTTON", {"1"});
    apply("TYPE", {"rect", "0", "0", "30", "30", "FF0000"});
    apply("BUTTON", {"0"});
    apply("TYPE", {"text", "100", "100", "FF0000", "00FF00", "x"});
    apply("BUTTON", {"4"});
    apply("TYPE", {"text", "200", "100", "FF0000", "00FF00", "x"});
    drawn();
    EXPECT_EQ(frame.at(5, 5), 0xF800);
    EXPECT_EQ(frame.at(20, 20), 0x001F) << "button 2 is painted over button 1";
    EXPECT_EQ(frame.at(100, 100), 0x07C0) << "button 0 is selected";
    EXPECT_EQ(frame.at(200, 100), 0xF800);
    page.selected = 4;
    drawn();
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
    drawn();
    EXPECT_NE(page.backgroundImage, nullptr);
    EXPECT_NE(page.buttons[0]->selectedImage, nullptr);
    const FileBrowser* list = page.buttons[1]->browser;
    ASSERT_NE(list, nullptr);
    EXPECT_STREQ(list->entries[list->entries.count() - 1].text(), "listed.txt");
    EXPECT_EQ(frame.at(319, 0), 0x001F);
}

} // namespace
