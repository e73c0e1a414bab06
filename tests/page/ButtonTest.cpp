// A button on its own: its directives seen through the words it gives for each code, its file
// list taking codes first, and its drawing by element kind into a plain frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page/Button.h"
#include "platform/BatteryReader.h"
#include "tests/page/PageTestSupport.h"

namespace {

using Names = std::vector<std::string>;

class ButtonTest : public DrawingTest {
protected:
    // The words given for code, which the button must use.
    Names wordsFor(int code)
    {
        WString::Array actions;
        int c = code;
        button.handleInput(actions, c);
        EXPECT_EQ(c, 0) << "code " << code << " is used";
        return listOf(actions);
    }

    void apply(const char* keyword, std::initializer_list<const char*> arguments)
    {
        button.applyDirective(keyword, words(arguments));
    }

    // A new button of the given TYPE line, drawn once.
    void drawType(std::initializer_list<const char*> typeLine, bool selected = false)
    {
        Button b;
        b.applyDirective("TYPE", words(typeLine));
        b.draw(selected, context);
    }

    Button button;
};

TEST_F(ButtonTest, NavigationAndExplicitWordsReplaceEachOther)
{
    apply("NAVIGATION", {"0", "1", "0", "2", "9"});
    EXPECT_EQ(wordsFor(1), (Names{"select", "0"}));
    EXPECT_EQ(wordsFor(2), (Names{"select", "1"}));
    EXPECT_EQ(wordsFor(4), (Names{"select", "2"}));
    apply("NAVIGATION", {"4", "5"});
    EXPECT_EQ(wordsFor(2), (Names{"select", "5"}));
    EXPECT_EQ(wordsFor(3), (Names{"select", "0"})) << "up keeps its earlier words";

    apply("LEFT", {"page", "3"});
    EXPECT_EQ(wordsFor(1), (Names{"page", "3"}));
    apply("NAVIGATION", {""});
    EXPECT_EQ(wordsFor(1), (Names{"select", ""}));
    apply("RIGHT", {"quit"});
    apply("UP", {"page", "1"});
    apply("DOWN", {"page", "2"});
    apply("ACTION", {"exec", "/mnt/sd/", "/mnt/sd/run.gpe", "x"});
    EXPECT_EQ(wordsFor(2), (Names{"quit"}));
    EXPECT_EQ(wordsFor(3), (Names{"page", "1"}));
    EXPECT_EQ(wordsFor(4), (Names{"page", "2"}));
    EXPECT_EQ(wordsFor(5), (Names{"exec", "/mnt/sd/", "/mnt/sd/run.gpe", "x"}));
    apply("UNKNOWN", {"1"});
    apply("left", {"not", "upper-cased"}); // the reader upper-cases keywords; this one is not
    EXPECT_EQ(wordsFor(1), (Names{"select", ""}));
}

TEST_F(ButtonTest, CodesWithoutWordsAreUsedAndGiveNothing)
{
    for (int code = 1; code <= 5; ++code)
        EXPECT_EQ(wordsFor(code), Names{});
    for (int code : {6, 7, 8, 0}) {
        WString::Array actions;
        int c = code;
        button.handleInput(actions, c);
        EXPECT_EQ(c, code) << "only a file list uses codes 7 and 8; 6 is the page's";
        EXPECT_EQ(actions.count(), 0);
    }
}

TEST_F(ButtonTest, OptionsReplaceByName)
{
    apply("OPTIONS", {"filter", ".gpe", ".gpu"});
    apply("OPTIONS", {"filter", ".txt"});
    apply("OPTIONS", {"Filter"});
    WString::Array values;
    ASSERT_TRUE(button.options.find("filter", values));
    EXPECT_EQ(listOf(values), (Names{".txt"}));
    EXPECT_TRUE(button.options.find("Filter", values));
    EXPECT_EQ(values.count(), 0);
    button.applyDirective("OPTIONS", WString::Array());
    button.applyDirective("TYPE", WString::Array());
    EXPECT_EQ(button.options.count(), 2) << "names are case-sensitive; empty lines are ignored";
    EXPECT_TRUE(button.type.text() == nullptr);
}

TEST_F(ButtonTest, FileListTakesCursorCodesFirst)
{
    for (const char* name : {"a", "b", "c"})
        tmp.file(std::string("list/") + name);
    apply("TYPE", {"selector", "0", "0", "100", "40"});
    apply("OPTIONS", {"startdir", (tmp.path() + "list/").c_str()});
    apply("OPTIONS", {"type", "file"});
    apply("UP", {"select", "7"});
    apply("DOWN", {"select", "8"});
    apply("ACTION", {"exec", "%p0%", "%P0%"});
    EXPECT_EQ(button.browser, nullptr) << "nothing is listed before the first drawing";
    TestFrame frame;
    button.draw(true, context);
    ASSERT_NE(button.browser, nullptr);

    EXPECT_EQ(wordsFor(3), (Names{"select", "7"})) << "at the first entry up leaves the list";
    EXPECT_EQ(wordsFor(4), Names{}) << "inside the list down only moves the cursor";
    EXPECT_EQ(button.browser->cursor, 1);
    EXPECT_EQ(wordsFor(5), (Names{"exec", "%p0%", "%P0%"})) << "a plain file: the button's action";
    button.browser->cursor = 2;
    EXPECT_EQ(wordsFor(4), (Names{"select", "8"}));
    EXPECT_EQ(wordsFor(7), Names{});
    EXPECT_EQ(button.browser->cursor, 0) << "half of 5 rows back";
}

TEST_F(ButtonTest, ImagePicturesFollowTheSelection)
{
    const std::string first = tmp.path() + "first.png", second = tmp.path() + "second.png";
    const std::string missing = tmp.path() + "missing.png";
    ASSERT_TRUE(writeSolidPng(first, 4, 4, 255, 0, 0, 255));
    ASSERT_TRUE(writeSolidPng(second, 4, 4, 0, 0, 255, 255));
    TestFrame frame(0);
    drawType({"image", "10", "20", first.c_str()});
    EXPECT_EQ(frame.at(10, 20), 0xF800) << "one picture shows while not selected";
    frame.fill(0);
    drawType({"image", "10", "20", first.c_str()}, true);
    EXPECT_EQ(frame.at(13, 23), 0xF800);
    EXPECT_EQ(frame.at(14, 23), 0x0000);

    apply("TYPE", {"image", "10", "20", first.c_str(), second.c_str()});
    button.draw(true, context);
    EXPECT_EQ(frame.at(10, 20), 0xF800);
    button.draw(false, context);
    EXPECT_EQ(frame.at(10, 20), 0x001F);

    Button brokenFirst;
    brokenFirst.applyDirective("TYPE",
                               words({"image", "10", "20", missing.c_str(), second.c_str()}));
    testing::internal::CaptureStdout();
    frame.fill(0);
    brokenFirst.draw(true, context);
    brokenFirst.draw(true, context);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Could not load image " + missing + "\n")
        << "a picture is asked for once per button";
    EXPECT_EQ(frame.at(10, 20), 0x0000) << "selected, with its first picture missing: nothing";
    brokenFirst.draw(false, context);
    EXPECT_EQ(frame.at(10, 20), 0x001F);
}

TEST_F(ButtonTest, ImagesBlendAndClipAtTheEdges)
{
    const std::string half = tmp.path() + "half.png";
    ASSERT_TRUE(writeSolidPng(half, 48, 48, 255, 255, 255, 128));
    TestFrame frame(0);
    for (auto position : std::vector<std::pair<const char*, const char*>>{
             {"-10", "-10"}, {"300", "220"}, {"-100", "0"}, {"0", "1000"}, {"100", "100"}})
        drawType({"image", position.first, position.second, half.c_str()});
    // Each 5-bit channel: 31 * 128 / 255 + 0 = 15.
    const uint16_t blended = (15 << 11) | (15 << 6) | 15;
    EXPECT_EQ(frame.at(0, 0), blended);
    EXPECT_EQ(frame.at(37, 37), blended);
    EXPECT_EQ(frame.at(38, 38), 0);
    EXPECT_EQ(frame.at(319, 239), blended);
    EXPECT_EQ(frame.at(299, 239), 0);
    EXPECT_EQ(frame.countOther(100, 100, 147, 147, blended), 0);
}

TEST_F(ButtonTest, TextShowsTheBatteryInItsColours)
{
    // No battery: the reading is -1. "Battery -1" is 7 + 2 characters of 2 columns and a space
    // of 3.
    apply("TYPE", {"text", "20", "30", "000000", "FFFFFF", "Battery %battery%"});
    TestFrame frame(0x1234);
    button.draw(false, context);
    EXPECT_EQ(frame.at(20, 30), 0x0000);
    EXPECT_EQ(frame.at(40, 37), 0x0000);
    EXPECT_EQ(frame.at(41, 37), 0x1234);
    EXPECT_EQ(frame.at(34, 30), 0x1234) << "the space";
    EXPECT_EQ(frame.at(20, 38), 0x1234) << "glyphs are 8 rows tall";
    button.draw(true, context);
    EXPECT_EQ(frame.at(20, 30), 0xFFDF);
    EXPECT_EQ(frame.at(40, 37), 0xFFDF);
}

TEST_F(ButtonTest, EveryTextDrawnTakesOneBatteryReading)
{
    // Readings 7 and 10000, low byte first.
    tmp.file("batt", std::string("\x07\x00\x10\x27", 4));
    BatteryReader battery((tmp.path() + "batt").c_str());
    context.battery = &battery;
    apply("TYPE", {"text", "0", "100", "FFFFFF", "FFFFFF", "%battery%%battery%"});
    TestFrame frame(0);
    drawType({"text", "0", "0", "FFFFFF", "FFFFFF", "x"});
    button.draw(false, context);
    // The second reading, 10000, twice: 10 characters, 20 columns.
    EXPECT_EQ(frame.at(19, 100), 0xFFDF);
    EXPECT_EQ(frame.at(20, 100), 0x0000);
    frame.fill(0);
    button.draw(false, context);
    EXPECT_EQ(frame.at(3, 100), 0xFFDF) << "-1-1 once the readings run out";
    EXPECT_EQ(frame.at(8, 100), 0x0000);
}

TEST_F(ButtonTest, TextIsClippedAtEveryEdge)
{
    TestFrame frame(0);
    for (auto position : std::vector<std::pair<const char*, const char*>>{
             {"-3", "-5"}, {"315", "236"}, {"-2147483648", "100"}, {"2147483647", "2147483647"}})
        drawType({"text", position.first, position.second, "FFFFFF", "FFFFFF", "abcdef"});
    EXPECT_EQ(frame.at(0, 0), 0xFFDF);
    EXPECT_EQ(frame.at(8, 2), 0xFFDF);
    EXPECT_EQ(frame.at(9, 2), 0x0000) << "6 characters from -3 end at column 8";
    EXPECT_EQ(frame.at(8, 3), 0x0000) << "rows -5 to 2";
    EXPECT_EQ(frame.at(319, 239), 0xFFDF);
}

TEST_F(ButtonTest, RectangleIsDrawnOnlyWhollyOnScreen)
{
    TestFrame frame(0x1234);
    drawType({"rect", "10", "10", "320", "20", "FFFFFF"});
    drawType({"rect", "-1", "10", "20", "20", "FFFFFF"});
    drawType({"rect", "20", "10", "10", "20", "FFFFFF"});
    drawType({"rect", "10", "20", "20", "10", "FFFFFF"});
    drawType({"rect", "10", "10", "20", "240", "FFFFFF"});
    drawType({"rect", "10", "10", "20", "20"});
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x1234), 0);
    drawType({"rect", "5", "6", "7", "9", "FF0000"});
    EXPECT_EQ(frame.countOther(5, 6, 7, 9, 0xF800), 0) << "both corners included";
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x1234), 12);
    drawType({"rect", "0", "0", "319", "239", "0000FF"});
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x001F), 0);
    drawType({"rect", "0", "0", "0", "0", "12345"});
    EXPECT_EQ(frame.at(0, 0), 0xD431);
}

TEST_F(ButtonTest, ShortTypeLinesAndMissingResourcesDrawNothing)
{
    const std::string picture = tmp.path() + "p.png";
    ASSERT_TRUE(writeSolidPng(picture, 4, 4, 255, 0, 0, 255));
    TestFrame frame(0x1234);
    std::vector<WString::Array> lines = {words({"text", "0", "0", "FFFFFF", "FFFFFF"}),
                                         words({"text"}),
                                         words({"rect", "0", "0", "10"}),
                                         words({"image", "0"}),
                                         words({"image"}),
                                         words({"selector", "0", "0", "100"}),
                                         words({"Image", "0", "0", picture.c_str()}),
                                         words({" image", "0", "0", picture.c_str()}),
                                         words({"line", "0", "0"})};
    for (const WString::Array& line : lines) {
        Button b;
        b.applyDirective("TYPE", line);
        b.draw(true, context);
        EXPECT_EQ(b.browser, nullptr);
        EXPECT_EQ(b.loaded, 1);
    }
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x1234), 0);

    // A context without font or image cache.
    PageContext empty;
    Button image, text, list;
    image.applyDirective("TYPE", words({"image", "0", "0", picture.c_str()}));
    text.applyDirective("TYPE", words({"text", "0", "0", "FFFFFF", "FFFFFF", "abc"}));
    list.applyDirective("TYPE", words({"selector", "0", "0", "100", "100"}));
    list.applyDirective("OPTIONS", words({"startdir", tmp.path().c_str()}));
    image.draw(true, empty);
    text.draw(true, empty);
    list.draw(true, empty);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x1234), 0);
    ASSERT_NE(list.browser, nullptr);
    EXPECT_EQ(list.browser->rows, 0);
    image.draw(true, context);
    EXPECT_EQ(frame.at(0, 0), 0x1234) << "the one attempt to load was made without a cache";
}

} // namespace
