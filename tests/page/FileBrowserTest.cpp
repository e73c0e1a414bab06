// The file browser on real folders: options, listing modes and filters, the sort order, walking
// in and out, folder descriptors, the cursor codes, the rows drawn, and folders as SD cards
// really hold them (hostile names, links that lead nowhere, 20,000 files).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "gfx/BitmapFont.h"
#include "page/FileBrowser.h"
#include "platform/ClockControl.h"
#include "platform/Files.h"
#include "tests/page/PageTestSupport.h"

namespace {

using Names = std::vector<std::string>;

class FileBrowserTest : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        ASSERT_EQ(font.lineHeight(), fontGlyphHeight);
        tmp.folder("card");
    }

    void option(const char* name, std::initializer_list<const char*> values)
    {
        WString::Array array = words(values);
        options.set(name, array);
    }

    // A browser at (10, 10) whose rows fill rowsHigh lines of the test font.
    FileBrowser* make(int rowsHigh = 5)
    {
        browser.reset(
            new FileBrowser(10, 10, 300, 10 + rowsHigh * fontGlyphHeight, options, &font, &clock));
        return browser.get();
    }

    FileBrowser* makeAt(const std::string& folder)
    {
        option("startdir", {folder.c_str()});
        return make();
    }

    Names listed() const { return listOf(browser->entries); }

    // The code left after handing code to the browser; its words gather in actions.
    int press(int code)
    {
        browser->handleInput(actions, code);
        return code;
    }

    // Enters entry, keeping the "Changed to" lines out of the test's output; returns them.
    std::string enter(const char* entry)
    {
        testing::internal::CaptureStdout();
        browser->changeDirectory(entry);
        return testing::internal::GetCapturedStdout();
    }

    // Enters the selected folder with code 5, which the browser must use.
    std::string enterSelected()
    {
        testing::internal::CaptureStdout();
        EXPECT_EQ(press(5), 0) << "entering a folder uses the code";
        return testing::internal::GetCapturedStdout();
    }

    std::string root = tmp.path() + "card/";
    OptionTable options{31};
    std::unique_ptr<FileBrowser> browser;
    WString::Array actions;
};

TEST_F(FileBrowserTest, OptionsAndTheirDefaults)
{
    FileBrowser* b = make();
    EXPECT_EQ(b->idleCursorColor, 0x7BCF);
    EXPECT_STREQ(b->cwd.text(), "/mnt/sd/");
    EXPECT_EQ(b->mode, 0);
    EXPECT_EQ(listOf(b->filters), Names{""});
    EXPECT_EQ(b->rows, 5);

    option("color", {"FF0000"});
    EXPECT_EQ(make()->cursorColor, 0xFFDF) << "one colour sets only the text";
    option("color", {"FF0000", "00FF00", "0000FF", "FFFFFF"});
    make();
    EXPECT_EQ(browser->textColor, 0xF800);
    EXPECT_EQ(browser->cursorColor, 0x07C0);
    EXPECT_EQ(browser->idleCursorColor, 0x001F);

    tmp.folder("card/sub");
    tmp.file("card/a.txt");
    option("startdir", {root.c_str(), "/elsewhere/"});
    option("type", {"dir", "file"});
    EXPECT_STREQ(make()->cwd.text(), "/mnt/sd/") << "startdir and type take exactly one value";
    EXPECT_EQ(browser->mode, 0);
    option("type", {"dir"});
    makeAt(root);
    EXPECT_EQ(listed(), (Names{"sub"})) << "bare names, no parent";
    option("type", {"file"});
    makeAt(root);
    EXPECT_EQ(listed(), (Names{"a.txt"})) << "no directories, not even ../";
    option("type", {"Dir"});
    EXPECT_EQ(make()->mode, 0) << "type words are case-sensitive";
}

TEST_F(FileBrowserTest, DefaultStartFolderIsTheCardThroughTheMapping)
{
    tmp.file("card/game.gpe");
    setSdRoot(root.c_str());
    make();
    setSdRoot(nullptr);
    EXPECT_EQ(listed(), (Names{"../", "game.gpe"}));
}

TEST_F(FileBrowserTest, ModeZeroSortsDirectoriesFirstThenIgnoringCase)
{
    tmp.file("card/a.txt");
    tmp.folder("card/B");
    tmp.folder("card/c");
    tmp.file("card/Z.txt");
    tmp.file("card/.hidden");
    makeAt(root);
    EXPECT_EQ(listed(), (Names{"../", "B/", "c/", ".hidden", "a.txt", "Z.txt"}));
}

TEST_F(FileBrowserTest, FiltersMatchExactEndingsOncePerFilter)
{
    for (const char* name : {"x.gpe", "y.gpu", "x.GPE", "a.gz", "readme", "gpe", "star*"})
        tmp.file(std::string("card/") + name);
    tmp.folder("card/dir.gpe");
    auto read = [&](std::initializer_list<const char*> filters, int mode, WString::Array list) {
        FileBrowser::readDirectory(root.c_str(), words(filters), list, mode);
        return listOf(list);
    };
    EXPECT_EQ(read({".gpe", ".gpu"}, 2, {}), (Names{"x.gpe", "y.gpu"}));
    EXPECT_EQ(read({".gz", "z"}, 2, {}), (Names{"a.gz", "a.gz"})) << "once per filter it ends with";
    EXPECT_EQ(read({"*"}, 2, {}).size(), 7u) << "\"*\" alone lists every file";
    EXPECT_EQ(read({"*", ".gpe"}, 2, {}), (Names{"star*", "x.gpe"}))
        << "\"*\" with others is an ending";
    EXPECT_EQ(read({".gpe"}, 0, {}), (Names{"../", "dir.gpe/", "x.gpe"}))
        << "folders are never filtered";
    EXPECT_EQ(read({"readme"}, 2, words({"kept"})), (Names{"kept", "readme"}))
        << "appends, then sorts the whole list";
}

TEST_F(FileBrowserTest, FolderThatCannotBeListedGivesAnEmptyList)
{
    tmp.file("card/plain");
    for (const std::string& folder :
         {root.substr(0, root.size() - 1), root + "plain/", root + "missing/"}) {
        EXPECT_EQ(makeAt(folder)->entries.count(), 0) << folder;
        EXPECT_STREQ(browser->selectedEntry().text(), "");
    }
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root from reading a folder";
    tmp.file("card/locked/inside");
    ASSERT_EQ(chmod((root + "locked").c_str(), 0), 0);
    EXPECT_EQ(makeAt(root + "locked/")->entries.count(), 0);
}

TEST_F(FileBrowserTest, LinksThatLeadNowhereAreLeftOut)
{
    tmp.file("card/real.txt");
    tmp.folder("card/realdir");
    ASSERT_EQ(symlink("missing-target", (root + "dangling").c_str()), 0);
    ASSERT_EQ(symlink("loop-b", (root + "loop-a").c_str()), 0);
    ASSERT_EQ(symlink("loop-a", (root + "loop-b").c_str()), 0);
    ASSERT_EQ(symlink("realdir", (root + "linkdir").c_str()), 0);
    makeAt(root);
    EXPECT_EQ(listed(), (Names{"../", "linkdir/", "realdir/", "real.txt"}))
        << "links are followed; those whose stat fails are not listed";
}

TEST_F(FileBrowserTest, GoingUpFromTheRootStaysThere)
{
    FileBrowser* b = makeAt("/");
    ASSERT_GT(b->entries.count(), 0);
    EXPECT_STREQ(b->entries[0].text(), "../");
    EXPECT_EQ(enter("../"), "Changed to /\n");
    EXPECT_STREQ(b->cwd.text(), "/");
    EXPECT_EQ(b->cursor, 0);

    b->cwd = "";
    EXPECT_EQ(enter("../"), "Changed to \n");
    EXPECT_EQ(b->entries.count(), 0);
}

TEST_F(FileBrowserTest, FolderThatVanishesBeforeEnteringGivesAnEmptyList)
{
    tmp.folder("card/gone");
    FileBrowser* b = makeAt(root);
    b->cursor = 1;
    ASSERT_STREQ(b->selectedEntry().text(), "gone/");
    ASSERT_EQ(rmdir((root + "gone").c_str()), 0);
    enterSelected();
    EXPECT_EQ(b->entries.count(), 0);
    for (int code : {5, 3, 4, 7, 8})
        EXPECT_EQ(press(code), code) << "no entry: the button's words decide";
    EXPECT_EQ(actions.count(), 0);
}

TEST_F(FileBrowserTest, DescriptorRedirectsTheListingAndSuppliesActionAndSpeed)
{
    tmp.folder("card/emu/roms/saves");
    tmp.file("card/emu/roms/b.rom");
    tmp.file("card/emu/roms/a.rom");
    tmp.file("card/emu/roms/notes.txt");
    tmp.file("card/emu/Tarvo.dat",
             "// an emulator\nfilter=.rom\nDIRECTORY=%cwd%roms/\n"
             "ACTION=exec,%cwd%,%cwd%emu.gpe,%P0%\nSPEED=200\nOTHER=1\n");
    tmp.folder("card/apps");
    FileBrowser* b = makeAt(root);
    ASSERT_EQ(listed(), (Names{"../", "apps/", "emu/"}));
    b->cursor = 2;
    EXPECT_EQ(enterSelected(), "Changed to " + root + "emu/\n");
    EXPECT_EQ(b->cwd.text(), root + "emu/");
    EXPECT_EQ(b->directory.text(), root + "emu/roms/");
    EXPECT_EQ(listed(), (Names{"../", "saves/", "a.rom", "b.rom"}));
    EXPECT_EQ(b->entryDirectory().text(), root + "emu/roms/");
    EXPECT_EQ(b->cursor, 0);
    EXPECT_EQ(actions.count(), 0) << "entering a folder gives no words";

    b->cursor = 3;
    EXPECT_EQ(press(5), 0);
    const std::string emu = root + "emu/";
    EXPECT_EQ(listOf(actions), (Names{"exec", emu, emu + "emu.gpe", "%P0%"}));
    EXPECT_EQ(clock.cpuMHz(), 200);

    // ../ goes up from cwd, not from the listed folder, and the descriptor is no longer in force.
    b->cursor = 0;
    enterSelected();
    EXPECT_EQ(b->cwd.text(), root);
    EXPECT_STREQ(b->selectedEntry().text(), "emu/");
    EXPECT_EQ(b->action.count(), 0);
    EXPECT_EQ(b->entryDirectory().text(), root);
}

TEST_F(FileBrowserTest, FoldersOfADescriptorsListingAreEnteredWhereTheyWereListed)
{
    tmp.file("card/emu/roms/saves/slot1.sav");
    tmp.file("card/emu/roms/x.rom");
    tmp.file("card/emu/Tarvo.dat", "FILTER=.rom\nDIRECTORY=%cwd%roms/\n");
    FileBrowser* b = makeAt(root);
    enter("emu/");
    ASSERT_EQ(listed(), (Names{"../", "saves/", "x.rom"}));
    EXPECT_EQ(b->action.count(), 0);

    b->cursor = 1;
    EXPECT_EQ(enterSelected(), "Changed to " + root + "emu/roms/saves/\n");
    EXPECT_EQ(listed(), (Names{"../", "slot1.sav"}));
    EXPECT_EQ(b->entryDirectory().text(), root + "emu/roms/saves/");
    EXPECT_EQ(enterSelected(), "Changed to " + root + "emu/roms/\n");
    EXPECT_STREQ(b->selectedEntry().text(), "saves/");
}

TEST_F(FileBrowserTest, DescriptorWithoutFilterListsFoldersAndOtherActionsAreCopiedUntouched)
{
    tmp.folder("card/tools/sub");
    tmp.file("card/tools/run.gpe");
    tmp.file("card/tools/Tarvo.dat", "ACTION=page,2\n");
    tmp.file("card/cfg/blue");
    tmp.file("card/cfg/Tarvo.dat", "FILTER=\nACTION=config,SKIN,%cwd%,%0%\nSPEED=100\n");
    option("type", {"file"});
    FileBrowser* b = makeAt(root);
    enter("tools/");
    EXPECT_EQ(listed(), (Names{"../", "sub/"})) << "mode 0 whatever the browser's type";

    enter("../");
    enter("cfg/");
    ASSERT_EQ(listed(), (Names{"../", "blue", "Tarvo.dat"})) << "an empty filter matches all";
    b->cursor = 1;
    EXPECT_EQ(press(5), 0);
    EXPECT_EQ(listOf(actions), (Names{"config", "SKIN", "%cwd%", "%0%"}));
    EXPECT_EQ(clock.cpuMHz(), -1);
}

TEST_F(FileBrowserTest, CursorCodesAreUsedOnlyInsideTheList)
{
    for (int i = 0; i < 10; ++i)
        tmp.file("card/f" + std::to_string(i));
    option("type", {"file"});
    FileBrowser* b = makeAt(root); // 5 rows: half a page is 2
    // {code, cursor before, code left, cursor after}
    const int steps[][4] = {{3, 0, 3, 0}, {7, 0, 7, 0}, {4, 0, 0, 1}, {8, 1, 0, 3}, {7, 3, 0, 1},
                            {7, 1, 0, 0}, {8, 8, 0, 9}, {8, 9, 8, 9}, {4, 9, 4, 9}, {3, 9, 0, 8},
                            {5, 8, 5, 8}, {1, 8, 1, 8}, {6, 8, 6, 8}};
    for (const auto& step : steps) {
        SCOPED_TRACE("code " + std::to_string(step[0]) + " at " + std::to_string(step[1]));
        b->cursor = step[1];
        EXPECT_EQ(press(step[0]), step[2]);
        EXPECT_EQ(b->cursor, step[3]);
    }
    EXPECT_EQ(actions.count(), 0) << "a file without a descriptor action is left to the button";

    FileBrowser oneRow(0, 0, 0, fontGlyphHeight, options, &font, &clock);
    ASSERT_EQ(oneRow.rows, 1);
    oneRow.cursor = 1;
    for (int code : {7, 8}) {
        oneRow.handleInput(actions, code);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(oneRow.cursor, 1) << "one row pages without moving";
    }
}

TEST_F(FileBrowserTest, FontWithoutLinesOrInvertedBoundsGivesNoRows)
{
    tmp.file("card/f");
    option("startdir", {root.c_str()});
    BitmapFont empty;
    FileBrowser noFont(0, 0, 0, 100, options, &empty, &clock);
    FileBrowser nullFont(0, 0, 0, 100, options, nullptr, nullptr);
    FileBrowser inverted(0, 100, 0, 0, options, &font, &clock);
    FileBrowser huge(0, -2000000000, 0, 2000000000, options, &font, &clock);
    EXPECT_EQ(noFont.rows, 0);
    EXPECT_EQ(nullFont.rows, 0);
    EXPECT_EQ(inverted.rows, 0) << "a bottom above the top";
    EXPECT_EQ(huge.rows, 500000000);

    TestFrame frame(0x1234);
    noFont.draw(true);
    nullFont.draw(true);
    inverted.draw(true);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x1234), 0);
    for (int code : {7, 8}) {
        inverted.handleInput(actions, code);
        EXPECT_EQ(inverted.cursor, 0);
    }
}

TEST_F(FileBrowserTest, DrawKeepsTheCursorOnTheMiddleRow)
{
    for (const char* name : {"a", "b", "c", "d"})
        tmp.file(std::string("card/") + name);
    option("type", {"file"});
    option("color", {"FF0000", "00FF00", "0000FF"});
    FileBrowser* b = makeAt(root); // rows at y 10, 18, 26, 34, 42; the middle one is 26
    const uint16_t background = 0x1234;
    TestFrame frame(background);
    b->draw(true);
    // Cursor on entry 0: rows 0 and 1 are empty, row 2 is "a" in the cursor colour.
    EXPECT_EQ(frame.countOther(0, 0, 319, 25, background), 0);
    EXPECT_EQ(frame.at(10, 26), 0x07C0);
    EXPECT_EQ(frame.at(11, 33), 0x07C0);
    EXPECT_EQ(frame.at(12, 26), background) << "one character is 2 columns wide";
    EXPECT_EQ(frame.at(10, 34), 0xF800);
    EXPECT_EQ(frame.at(10, 42), 0xF800);
    EXPECT_EQ(frame.countOther(0, 50, 319, 239, background), 0);

    frame.fill(background);
    b->cursor = 3;
    b->draw(false);
    EXPECT_EQ(frame.at(10, 10), 0xF800) << "entry 1";
    EXPECT_EQ(frame.at(10, 26), 0x001F) << "entry 3 in the colour of a list that is not selected";
    EXPECT_EQ(frame.countOther(0, 34, 319, 239, background), 0) << "nothing after the last entry";
}

TEST_F(FileBrowserTest, RowsOffTheFrameAreNotDrawn)
{
    for (int i = 0; i < 100; ++i)
        tmp.file("card/f" + std::to_string(100 + i));
    option("startdir", {root.c_str()});
    option("type", {"file"});
    TestFrame frame(0);
    FileBrowser tall(5, -400, 0, 800, options, &font, &clock);
    ASSERT_EQ(tall.rows, 150);
    tall.cursor = 60;
    tall.draw(true);
    // Row 75 (the cursor) is at y 200; rows 50 to 79 cover the frame, entries 35 to 64.
    EXPECT_EQ(frame.at(5, 200), 0xFFDF);
    EXPECT_EQ(frame.at(5, 0), 0x0000) << "the text colour is black";
    FileBrowser below(5, 1000, 0, 2000, options, &font, &clock);
    frame.fill(0x1234);
    below.draw(true);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x1234), 0);
}

TEST_F(FileBrowserTest, HostileNamesAreListedExactly)
{
    const std::vector<std::string> names = {"a,b.gpe",
                                            "quote\"d.gpe",
                                            "100%.gpe",
                                            "%P0%.gpe",
                                            "key=value.gpe",
                                            "with space.gpe",
                                            ".leading.gpe",
                                            "..two.gpe",
                                            std::string("bad\xff\xfe utf8.gpe"),
                                            "line\nbreak.gpe",
                                            std::string(251, 'L') + ".gpe"};
    for (const std::string& name : names)
        tmp.file("card/" + name);
    ASSERT_EQ(names.back().size(), 255u);
    FileBrowser* b = makeAt(root);
    std::set<std::string> expected(names.begin(), names.end());
    expected.insert("../");
    const Names all = listed();
    EXPECT_EQ(std::set<std::string>(all.begin(), all.end()), expected);

    TestFrame frame;
    for (int i = 0; i < b->entries.count(); ++i) {
        b->cursor = i;
        b->draw(true);
    }
}

TEST_F(FileBrowserTest, TwentyThousandFilesAreListedSortedAndWalked)
{
    const int count = 20000;
    tmp.folder("card/big/sub");
    const std::string big = root + "big/";
    for (int i = 0; i < count; ++i) {
        // Mixed case so that the order really depends on ignoring it.
        char name[32];
        snprintf(name, sizeof name, "%s%05d.gpe", (i % 3 == 0) ? "File" : "file",
                 (i * 7919) % count);
        const int fd = open((big + name).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    FileBrowser* b = makeAt(big);
    ASSERT_EQ(b->entries.count(), count + 2);
    EXPECT_STREQ(b->entries[0].text(), "../");
    EXPECT_STREQ(b->entries[1].text(), "sub/");
    EXPECT_STRCASEEQ(b->entries[2].text(), "file00000.gpe");
    EXPECT_STRCASEEQ(b->entries[count + 1].text(), "file19999.gpe");
    for (int i = 2; i + 1 < b->entries.count(); ++i)
        ASSERT_LT(FileBrowser::compareEntries(&b->entries[i], &b->entries[i + 1]), 0) << i;

    for (int i = 0; i < 20; ++i)
        press(8);
    EXPECT_EQ(b->cursor, 40);
    b->cursor = count + 1;
    TestFrame frame(0x1234);
    b->draw(true);
    EXPECT_EQ(frame.at(10, 26), 0xFFDF);
    EXPECT_EQ(frame.countOther(0, 34, 319, 239, 0x1234), 0);
}

} // namespace
