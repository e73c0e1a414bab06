// Pages and buttons drawn into a plain frame and checked against the drawing rules with a font of
// known geometry and pictures written by libpng; and file lists over folders built at run time,
// whose names reach the action words whole.
#include "page/Button.h"
#include "page/Page.h"
#include "platform/BatteryReader.h"
#include "tests/page/PageTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;

class PageTest : public PageFixture {
protected:
    void apply(const char* keyword, std::initializer_list<const char*> arguments)
    {
        page.applyDirective(keyword, words(arguments));
    }

    // A file-list button over folder, drawn once.
    FileBrowser* listButton(const std::string& folder)
    {
        apply("BUTTON", {"0"});
        apply("TYPE", {"selector", "0", "0", "100", "40"});
        apply("OPTIONS", {"startdir", folder.c_str()});
        page.draw(frame.data(), context);
        return page.buttons[0]->browser;
    }

    // The words the page gives for B.
    Names pick()
    {
        WString::Array actions;
        int code = NAV_ACTION;
        page.handleInput(actions, code);
        return listOf(actions);
    }

    TestFrame frame{0x1234};
    Page page;
};

TEST_F(PageTest, TextTakesOneBatteryReadingPerDrawingInItsTwoColours)
{
    // Readings 7 and 10000, low byte first; then none (-1).
    BatteryReader battery(file("batt", std::string("\x07\x00\x10\x27", 4)).c_str());
    context.battery = &battery;
    apply("BUTTON", {"1"});
    apply("TYPE", {"text", "20", "30", "FF0000", "FFFFFF", "b %battery%"});
    // Glyphs 2 columns wide and 8 rows tall, a space 3 columns: "b 7" covers columns 20 to 26.
    page.draw(frame.data(), context);
    EXPECT_EQ(frame.countOther(20, 30, 26, 37, 0xF800), 3 * 8) << "the space is left black";
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x0000), 4 * 8);
    page.selected = 1;
    page.draw(frame.data(), context);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x0000), 6 * 2 * 8) << "b 10000";
    EXPECT_EQ(frame.countOther(25, 30, 34, 37, 0xFFDF), 0);
    page.draw(frame.data(), context);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x0000), 3 * 2 * 8) << "b -1";
}

TEST_F(PageTest, PicturesBlendThroughTheirOpacityAndAreClipped)
{
    const std::string half = solidPng("half.png", 48, 48, {255, 255, 255, 128});
    apply("BACKGROUND", {"image", solidPng("clear.png", 320, 240, {0, 0, 0, 0}).c_str()});
    const char* places[][2] = {{"-10", "-10"}, {"300", "220"}, {"-100", "0"}, {"100", "100"}};
    for (int i = 0; i < 4; ++i) {
        apply("BUTTON", {std::to_string(i).c_str()});
        apply("TYPE", {"image", places[i][0], places[i][1], half.c_str()});
    }
    page.draw(frame.data(), context);
    // White at opacity 128 over the background, copied opaque: 31 * 128 / 255 = 15 a channel.
    const uint16_t blended = (15 << 11) | (15 << 6) | 15;
    EXPECT_EQ(frame.countOther(0, 0, 37, 37, blended), 0);
    EXPECT_EQ(frame.countOther(300, 220, 319, 239, blended), 0);
    EXPECT_EQ(frame.countOther(100, 100, 147, 147, blended), 0);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0), 38 * 38 + 20 * 20 + 48 * 48);
}

TEST_F(PageTest, NothingIsDrawnWithoutAFrameFontOrImageCache)
{
    apply("BACKGROUND", {"color", "FFFFFF"});
    apply("BUTTON", {"0"});
    apply("TYPE", {"image", "0", "0", solidPng("p.png", 4, 4, {255, 0, 0, 255}).c_str()});
    apply("BUTTON", {"1"});
    apply("TYPE", {"text", "0", "0", "FFFFFF", "FFFFFF", "abc"});
    apply("BUTTON", {"2"});
    apply("TYPE", {"selector", "0", "0", "100", "100"});
    page.draw(frame.data(), PageContext());
    page.draw(nullptr, context);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0xFFDF), 0);
    EXPECT_EQ(page.buttons[2]->browser->rows, 0);
}

TEST_F(PageTest, HostileNamesReachTheActionWordsWhole)
{
    const Names names = {"a,b.gpe",     "100%.gpe",        "%P0%.gpe", "%%.gpe",
                         "quote\".gpe", "line\nbreak.gpe", "x=y.gpe",  "\xff\xfe.gpe"};
    for (const std::string& name : names)
        file("card/" + name);
    apply("BUTTON", {"0"});
    apply("OPTIONS", {"type", "file"});
    apply("ACTION", {"exec", "%p0%", "%P0%"});
    FileBrowser* list = listButton(dir + "card/");
    ASSERT_EQ(list->entries.count(), static_cast<int>(names.size()));
    for (int i = 0; i < list->entries.count(); ++i) {
        list->cursor = i;
        const std::string path = dir + "card/" + list->entries[i].text();
        EXPECT_EQ(pick(), (Names{"exec", dir + "card/", path})) << path;
    }
}

TEST_F(PageTest, ActionWordsFilledInStopTogetherAtTheExpansionBound)
{
    // 2,000 references to a path of over 200 bytes would make 400 KB of words: they are cut
    // where the words together reach 64 KiB, and the words after the cut are dropped.
    const std::string name = std::string(200, 'n') + ".gpe";
    file("card/" + name);
    apply("BUTTON", {"0"});
    apply("OPTIONS", {"type", "file"});
    WString::Array action = words({"exec", "%p0%"});
    for (int i = 0; i < 2000; ++i)
        action.append(WString("%P0%"));
    page.applyDirective("ACTION", action);
    listButton(dir + "card/");
    const Names picked = pick();
    const std::string folder = dir + "card/";
    const std::string path = folder + name;
    const size_t whole = (65536 - folder.size()) / path.size();
    ASSERT_EQ(picked.size(), 2 + whole + 1);
    EXPECT_EQ(picked[1], folder);
    EXPECT_EQ(picked[1 + whole], path);
    EXPECT_EQ(picked.back(), path.substr(0, 65536 - folder.size() - whole * path.size()));
}

TEST_F(PageTest, PagesKeepBoundedArgumentsAndGiveThemBackWhenTheyGo)
{
    WString::Array action = words({"exec"});
    while (action.count() < 20000)
        action.append(WString("a"));
    for (int round = 1; round <= 2; ++round) {
        Page other;
        other.applyDirective("BUTTON", words({"0"}));
        other.applyDirective("ACTION", action);
        other.applyDirective("ACTION", action);
        other.applyDirective("RETURN", action);
        EXPECT_EQ(other.buttons[0]->action.count(), 20000) << "round " << round;
        EXPECT_EQ(other.returnAction.count(), 0) << "past 32,768 arguments, round " << round;
    }
}

TEST_F(PageTest, DescriptorInAFolderWithPercentGivesItsActionWholeAndSetsItsSpeed)
{
    file("50% off/roms/a,b.rom");
    file("50% off/Tarvo.dat",
         "FILTER=.rom\nDIRECTORY=%cwd%roms/\nSPEED=200\n"
         "ACTION=exec,%cwd%,%cwd%emu.gpe,%P0%\n");
    FileBrowser* list = listButton(dir);
    testing::internal::CaptureStdout();
    list->changeDirectory("50% off/");
    testing::internal::GetCapturedStdout();
    list->cursor = 1;
    const std::string folder = dir + "50% off/";
    EXPECT_EQ(pick(), (Names{"exec", folder, folder + "emu.gpe", folder + "roms/a,b.rom"}));
    EXPECT_EQ(clock.cpuMHz(), 200);
}

} // namespace
