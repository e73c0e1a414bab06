// The file browser on real folders: options, listing modes and filters, the sort order, walking
// in and out, folder descriptors, the cursor codes, the rows drawn, and folders as SD cards
// really hold them (hostile names, links that lead nowhere, 20,000 files).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "gfx/BitmapFont.h"
#include "page/FileBrowser.h"
#include "page/SkinValues.h"
#include "platform/ClockControl.h"
#include "platform/Files.h"
#include "tests/page/PageTestSupport.h"

namespace {

std::vector<std::string> listOf(const WString::Array& entries)
{
    std::vector<std::string> names;
    for (int i = 0; i < entries.count(); ++i)
        names.push_back(entries[i].text());
    return names;
}

using Names = std::vector<std::string>;

class FileBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeTestFont(tmp.path() + "font.png"));
        ASSERT_TRUE(font.load((tmp.path() + "font.png").c_str()));
        ASSERT_EQ(font.lineHeight(), fontGlyphHeight);
        root = tmp.path() + "card/";
        tmp.folder("card");
    }

    void option(const char* name, std::initializer_list<const char*> values)
    {
        WString::Array array = words(values);
        options.set(name, array);
    }

    // A browser at (10, 10) whose rows fill 5 lines of the test font.
    FileBrowser* make(int rowsHigh = 5)
    {
        browser.reset(new FileBrowser(10, 10, 300, 10 + rowsHigh * fontGlyphHeight, options,
                                      &font, &clock));
        return browser.get();
    }

    void startAt(const std::string& folder) { option("startdir", {folder.c_str()}); }

    TempFolder tmp;
    std::string root;
    BitmapFont font;
    ClockControl clock;
    OptionTable options{31};
    std::unique_ptr<FileBrowser> browser;
};

TEST_F(FileBrowserTest, DefaultsWithoutOptions)
{
    FileBrowser* b = make();
    EXPECT_EQ(b->textColor, 0x0000);
    EXPECT_EQ(b->cursorColor, 0xFFDF);
    EXPECT_EQ(b->idleCursorColor, 0x7BCF);
    EXPECT_STREQ(b->cwd.text(), "/mnt/sd/");
    EXPECT_EQ(b->mode, 0);
    ASSERT_EQ(b->filters.count(), 1);
    EXPECT_STREQ(b->filters[0].text(), "");
    EXPECT_EQ(b->rows, 5);
    EXPECT_EQ(b->cursor, 0);
    EXPECT_EQ(b->x, 10);
    EXPECT_EQ(b->right, 300);
}

TEST_F(FileBrowserTest, DefaultStartFolderIsTheCardThroughTheMapping)
{
    tmp.file("card/game.gpe");
    setSdRoot(root.c_str());
    FileBrowser* b = make();
    setSdRoot(nullptr);
    EXPECT_EQ(listOf(b->entries), (Names{"../", "game.gpe"}));
}

TEST_F(FileBrowserTest, ColourOptionSetsOneToThreeColours)
{
    option("color", {"FF0000"});
    EXPECT_EQ(make()->textColor, 0xF800);
    EXPECT_EQ(browser->cursorColor, 0xFFDF);
    option("color", {"FF0000", "00FF00", "0000FF", "FFFFFF"});
    make();
    EXPECT_EQ(browser->textColor, 0xF800);
    EXPECT_EQ(browser->cursorColor, 0x07C0);
    EXPECT_EQ(browser->idleCursorColor, 0x001F);
}

TEST_F(FileBrowserTest, StartDirAndTypeNeedExactlyOneValue)
{
    tmp.folder("card/sub");
    tmp.file("card/a.txt");
    option("startdir", {root.c_str(), "/elsewhere/"});
    option("type", {"dir", "file"});
    EXPECT_STREQ(make()->cwd.text(), "/mnt/sd/");
    EXPECT_EQ(browser->mode, 0);

    startAt(root);
    option("type", {"dir"});
    EXPECT_EQ(listOf(make()->entries), (Names{"sub"})) << "bare names, no parent";
    EXPECT_EQ(browser->mode, 1);
    option("type", {"file"});
    EXPECT_EQ(listOf(make()->entries), (Names{"a.txt"})) << "no directories, not even ../";
    option("type", {"Dir"});
    EXPECT_EQ(make()->mode, 0) << "type words are case-sensitive";
}

TEST_F(FileBrowserTest, ModeZeroSortsDirectoriesFirstThenIgnoringCase)
{
    tmp.file("card/a.txt");
    tmp.folder("card/B");
    tmp.folder("card/c");
    tmp.file("card/Z.txt");
    tmp.file("card/.hidden");
    startAt(root);
    EXPECT_EQ(listOf(make()->entries), (Names{"../", "B/", "c/", ".hidden", "a.txt", "Z.txt"}));
}

TEST_F(FileBrowserTest, CompareEntriesOrdersSlotsForQsort)
{
    WString::Array list = words({"a.txt", "c/", "B/", "../"});
    qsort(list.data(), list.count(), sizeof(WString), FileBrowser::compareEntries);
    EXPECT_EQ(listOf(list), (Names{"../", "B/", "c/", "a.txt"}));
    const WString dir("x/"), file("a");
    EXPECT_LT(FileBrowser::compareEntries(&dir, &file), 0);
    EXPECT_GT(FileBrowser::compareEntries(&file, &dir), 0);
    const WString upper("ABC"), lower("abc");
    EXPECT_EQ(FileBrowser::compareEntries(&upper, &lower), 0);
}

TEST_F(FileBrowserTest, FiltersMatchExactEndingsOncePerFilter)
{
    for (const char* name : {"x.gpe", "y.gpu", "x.GPE", "a.gz", "readme", "gpe", "star*"})
        tmp.file(std::string("card/") + name);
    tmp.folder("card/dir.gpe");
    WString::Array list;
    FileBrowser::readDirectory(root.c_str(), words({".gpe", ".gpu"}), list, 2);
    EXPECT_EQ(listOf(list), (Names{"x.gpe", "y.gpu"}));

    list = WString::Array();
    FileBrowser::readDirectory(root.c_str(), words({".gz", "z"}), list, 2);
    EXPECT_EQ(listOf(list), (Names{"a.gz", "a.gz"})) << "a name is listed once per filter it ends with";

    list = WString::Array();
    FileBrowser::readDirectory(root.c_str(), words({"*"}), list, 2);
    EXPECT_EQ(list.count(), 7) << "\"*\" alone lists every file";

    list = WString::Array();
    FileBrowser::readDirectory(root.c_str(), words({"*", ".gpe"}), list, 2);
    EXPECT_EQ(listOf(list), (Names{"star*", "x.gpe"})) << "\"*\" with others is a plain ending";

    list = WString::Array();
    FileBrowser::readDirectory(root.c_str(), words({".gpe"}), list, 0);
    EXPECT_EQ(listOf(list), (Names{"../", "dir.gpe/", "x.gpe"})) << "directories are never filtered";

    list = words({"kept"});
    FileBrowser::readDirectory(root.c_str(), words({"readme"}), list, 2);
    EXPECT_EQ(listOf(list), (Names{"kept", "readme"})) << "appends, then sorts the whole list";
}

TEST_F(FileBrowserTest, StartDirWithoutSlashListsNothing)
{
    tmp.file("card/a.txt");
    startAt(root.substr(0, root.size() - 1));
    FileBrowser* b = make();
    EXPECT_EQ(b->entries.count(), 0);
    EXPECT_STREQ(b->selectedEntry().text(), "");
}

TEST_F(FileBrowserTest, LinksThatLeadNowhereAreLeftOut)
{
    tmp.file("card/real.txt");
    tmp.folder("card/realdir");
    ASSERT_EQ(symlink("missing-target", (root + "dangling").c_str()), 0);
    ASSERT_EQ(symlink("loop-b", (root + "loop-a").c_str()), 0);
    ASSERT_EQ(symlink("loop-a", (root + "loop-b").c_str()), 0);
    ASSERT_EQ(symlink("realdir", (root + "linkdir").c_str()), 0);
    startAt(root);
    EXPECT_EQ(listOf(make()->entries), (Names{"../", "linkdir/", "realdir/", "real.txt"}))
        << "links are followed; those whose stat fails are not listed";
}

TEST_F(FileBrowserTest, FolderThatCannotBeOpenedGivesAnEmptyList)
{
    tmp.file("card/plain");
    startAt(root + "plain/");
    EXPECT_EQ(make()->entries.count(), 0);
    startAt(root + "missing/");
    EXPECT_EQ(make()->entries.count(), 0);

    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root from reading a folder";
    tmp.folder("card/locked");
    tmp.file("card/locked/inside");
    ASSERT_EQ(chmod((root + "locked").c_str(), 0), 0);
    startAt(root + "locked/");
    EXPECT_EQ(make()->entries.count(), 0);
}

TEST_F(FileBrowserTest, EnteringAndLeavingKeepsTheCursorOnTheFolderLeft)
{
    tmp.folder("card/alpha");
    tmp.folder("card/games");
    tmp.folder("card/zeta");
    tmp.file("card/games/x.gpe");
    startAt(root);
    FileBrowser* b = make();
    ASSERT_EQ(listOf(b->entries), (Names{"../", "alpha/", "games/", "zeta/"}));
    WString::Array actions;
    int code = 4;
    b->handleInput(actions, code);
    code = 4;
    b->handleInput(actions, code);
    ASSERT_STREQ(b->selectedEntry().text(), "games/");

    testing::internal::CaptureStdout();
    code = 5;
    b->handleInput(actions, code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(actions.count(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Changed to " + root + "games/\n");
    EXPECT_EQ(b->cwd.text(), root + "games/");
    EXPECT_EQ(listOf(b->entries), (Names{"../", "x.gpe"}));
    EXPECT_EQ(b->cursor, 0);

    testing::internal::CaptureStdout();
    code = 5;
    b->handleInput(actions, code);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Changed to " + root + "\n");
    EXPECT_EQ(b->cwd.text(), root);
    EXPECT_STREQ(b->selectedEntry().text(), "games/");
}

TEST_F(FileBrowserTest, GoingUpFromTheRootStaysThere)
{
    startAt("/");
    FileBrowser* b = make();
    ASSERT_GT(b->entries.count(), 0);
    EXPECT_STREQ(b->entries[0].text(), "../");
    testing::internal::CaptureStdout();
    b->changeDirectory("../");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Changed to /\n");
    EXPECT_STREQ(b->cwd.text(), "/");
    EXPECT_EQ(b->cursor, 0);

    b->cwd = "";
    testing::internal::CaptureStdout();
    b->changeDirectory("../");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Changed to \n");
    EXPECT_EQ(b->entries.count(), 0);
}

TEST_F(FileBrowserTest, FolderThatVanishesBeforeEnteringGivesAnEmptyList)
{
    tmp.folder("card/gone");
    startAt(root);
    FileBrowser* b = make();
    b->cursor = 1;
    ASSERT_STREQ(b->selectedEntry().text(), "gone/");
    ASSERT_EQ(rmdir((root + "gone").c_str()), 0);
    testing::internal::CaptureStdout();
    WString::Array actions;
    int code = 5;
    b->handleInput(actions, code);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(b->entries.count(), 0);
    code = 5;
    b->handleInput(actions, code);
    EXPECT_EQ(code, 5) << "no entry to pick: the button's words decide";
    EXPECT_EQ(actions.count(), 0);
    for (int c : {3, 4, 7, 8}) {
        code = c;
        b->handleInput(actions, code);
        EXPECT_EQ(code, c);
    }
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
    startAt(root);
    FileBrowser* b = make();
    ASSERT_EQ(listOf(b->entries), (Names{"../", "apps/", "emu/"}));
    b->cursor = 2;
    testing::internal::CaptureStdout();
    WString::Array actions;
    int code = 5;
    b->handleInput(actions, code);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Changed to " + root + "emu/\n");
    EXPECT_EQ(b->cwd.text(), root + "emu/");
    EXPECT_EQ(b->directory.text(), root + "emu/roms/");
    EXPECT_EQ(listOf(b->entries), (Names{"../", "saves/", "a.rom", "b.rom"}));
    EXPECT_EQ(b->entryDirectory().text(), root + "emu/roms/");

    b->cursor = 3;
    code = 5;
    b->handleInput(actions, code);
    EXPECT_EQ(code, 0);
    const std::string emu = root + "emu/";
    EXPECT_EQ(listOf(actions), (Names{"exec", emu, emu + "emu.gpe", "%P0%"}));
    EXPECT_EQ(clock.cpuMHz(), 200);
    EXPECT_STREQ(b->selectedEntry().text(), "b.rom");

    // ../ goes up from cwd, not from the listed folder, and the descriptor is no longer in force.
    b->cursor = 0;
    testing::internal::CaptureStdout();
    code = 5;
    b->handleInput(actions, code);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(b->cwd.text(), root);
    EXPECT_STREQ(b->selectedEntry().text(), "emu/");
    EXPECT_EQ(b->action.count(), 0);
    EXPECT_EQ(b->entryDirectory().text(), root);
}

TEST_F(FileBrowserTest, FoldersOfADescriptorsListingAreEnteredWhereTheyWereListed)
{
    tmp.folder("card/emu/roms/saves");
    tmp.file("card/emu/roms/saves/slot1.sav");
    tmp.file("card/emu/roms/x.rom");
    tmp.file("card/emu/Tarvo.dat", "FILTER=.rom\nDIRECTORY=%cwd%roms/\n");
    startAt(root);
    FileBrowser* b = make();
    testing::internal::CaptureStdout();
    b->changeDirectory("emu/");
    ASSERT_EQ(listOf(b->entries), (Names{"../", "saves/", "x.rom"}));
    EXPECT_EQ(b->action.count(), 0);
    b->cursor = 2;
    EXPECT_EQ(b->entryDirectory().text(), root + "emu/roms/")
        << "a descriptor without an action still lists its directory";

    b->cursor = 1;
    WString::Array actions;
    int code = 5;
    b->handleInput(actions, code);
    EXPECT_EQ(b->cwd.text(), root + "emu/roms/saves/");
    EXPECT_EQ(listOf(b->entries), (Names{"../", "slot1.sav"}));
    EXPECT_EQ(b->entryDirectory().text(), root + "emu/roms/saves/");

    b->cursor = 0;
    code = 5;
    b->handleInput(actions, code);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Changed to " + root + "emu/\nChanged to " + root + "emu/roms/saves/\nChanged to " +
                  root + "emu/roms/\n");
    EXPECT_STREQ(b->selectedEntry().text(), "saves/");
}

TEST_F(FileBrowserTest, DescriptorWithoutFilterListsOnlyFolders)
{
    tmp.folder("card/tools/sub");
    tmp.file("card/tools/run.gpe");
    tmp.file("card/tools/Tarvo.dat", "ACTION=page,2\n");
    option("type", {"file"});
    startAt(root);
    FileBrowser* b = make();
    testing::internal::CaptureStdout();
    b->changeDirectory("tools/");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(listOf(b->entries), (Names{"../", "sub/"})) << "mode 0 whatever the browser's type";
}

TEST_F(FileBrowserTest, NonExecDescriptorActionIsCopiedUntouched)
{
    tmp.folder("card/cfg");
    tmp.file("card/cfg/blue");
    tmp.file("card/cfg/Tarvo.dat", "FILTER=\nACTION=config,SKIN,%cwd%,%0%\nSPEED=100\n");
    startAt(root);
    FileBrowser* b = make();
    testing::internal::CaptureStdout();
    b->changeDirectory("cfg/");
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(listOf(b->entries), (Names{"../", "blue", "Tarvo.dat"})) << "an empty filter matches all";
    b->cursor = 1;
    WString::Array actions;
    int code = 5;
    b->handleInput(actions, code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(listOf(actions), (Names{"config", "SKIN", "%cwd%", "%0%"}));
    EXPECT_EQ(clock.cpuMHz(), -1);
}

TEST_F(FileBrowserTest, DescriptorDirectoryWithPercentIsEscapedForThePageExpansion)
{
    tmp.folder("card/50% off");
    tmp.file("card/50% off/x.rom");
    tmp.file("card/50% off/Tarvo.dat", "FILTER=.rom\nACTION=exec,%cwd%,%cwd%run\n");
    startAt(root);
    FileBrowser* b = make();
    testing::internal::CaptureStdout();
    b->changeDirectory("50% off/");
    testing::internal::GetCapturedStdout();
    b->cursor = 1;
    WString::Array actions;
    int code = 5;
    b->handleInput(actions, code);
    const std::string escaped = root + "50%% off/";
    EXPECT_EQ(listOf(actions), (Names{"exec", escaped, escaped + "run"}));
}

TEST_F(FileBrowserTest, CursorCodesAreUsedOnlyInsideTheList)
{
    for (int i = 0; i < 10; ++i)
        tmp.file("card/f" + std::to_string(i));
    startAt(root);
    option("type", {"file"});
    FileBrowser* b = make(5);  // half a page is 2 rows
    WString::Array actions;
    auto press = [&](int c) {
        int code = c;
        b->handleInput(actions, code);
        return code;
    };
    EXPECT_EQ(press(3), 3) << "up at the first entry";
    EXPECT_EQ(press(7), 7) << "page back at the first entry";
    EXPECT_EQ(press(4), 0);
    EXPECT_EQ(b->cursor, 1);
    EXPECT_EQ(press(8), 0);
    EXPECT_EQ(b->cursor, 3);
    EXPECT_EQ(press(7), 0);
    EXPECT_EQ(b->cursor, 1);
    EXPECT_EQ(press(7), 0);
    EXPECT_EQ(b->cursor, 0) << "clamped at the first entry";
    b->cursor = 8;
    EXPECT_EQ(press(8), 0);
    EXPECT_EQ(b->cursor, 9) << "clamped at the last entry";
    EXPECT_EQ(press(8), 8);
    EXPECT_EQ(press(4), 4);
    EXPECT_EQ(press(3), 0);
    EXPECT_EQ(b->cursor, 8);
    EXPECT_EQ(press(5), 5) << "a file without a descriptor action is left to the button";
    EXPECT_EQ(press(1), 1);
    EXPECT_EQ(press(6), 6);
    EXPECT_EQ(actions.count(), 0);
}

TEST_F(FileBrowserTest, OneRowPagesWithoutMoving)
{
    for (int i = 0; i < 3; ++i)
        tmp.file("card/f" + std::to_string(i));
    startAt(root);
    option("type", {"file"});
    FileBrowser* b = make(1);
    ASSERT_EQ(b->rows, 1);
    b->cursor = 1;
    WString::Array actions;
    int code = 7;
    b->handleInput(actions, code);
    EXPECT_EQ(code, 0);
    code = 8;
    b->handleInput(actions, code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(b->cursor, 1);
}

TEST_F(FileBrowserTest, FontWithoutLinesOrInvertedBoundsGivesNoRows)
{
    tmp.file("card/f");
    startAt(root);
    BitmapFont empty;
    FileBrowser noFont(0, 0, 0, 100, options, &empty, &clock);
    EXPECT_EQ(noFont.rows, 0);
    FileBrowser nullFont(0, 0, 0, 100, options, nullptr, nullptr);
    EXPECT_EQ(nullFont.rows, 0);
    FileBrowser inverted(0, 100, 0, 0, options, &font, &clock);
    EXPECT_EQ(inverted.rows, 0) << "a bottom above the top";
    FileBrowser huge(0, -2000000000, 0, 2000000000, options, &font, &clock);
    EXPECT_EQ(huge.rows, 500000000);

    TestFrame frame(0x1234);
    noFont.draw(true);
    nullFont.draw(true);
    inverted.draw(true);
    EXPECT_EQ(frame.countOther(0, 0, 319, 239, 0x1234), 0);
    WString::Array actions;
    for (int c : {7, 8}) {
        int code = c;
        inverted.handleInput(actions, code);
        EXPECT_EQ(inverted.cursor, 0);
    }
}

TEST_F(FileBrowserTest, DrawKeepsTheCursorOnTheMiddleRow)
{
    for (const char* name : {"a", "b", "c", "d"})
        tmp.file(std::string("card/") + name);
    startAt(root);
    option("type", {"file"});
    option("color", {"FF0000", "00FF00", "0000FF"});
    FileBrowser* b = make(5);  // rows at y 10, 18, 26, 34, 42; the middle one is 26
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
    startAt(root);
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
    const std::vector<std::string> names = {
        "a,b.gpe", "quote\"d.gpe", "100%.gpe", "%P0%.gpe", "key=value.gpe", "with space.gpe",
        ".leading.gpe", "..two.gpe", std::string("bad\xff\xfe utf8.gpe"), "line\nbreak.gpe",
        std::string(251, 'L') + ".gpe"};
    for (const std::string& name : names)
        tmp.file("card/" + name);
    ASSERT_EQ(names.back().size(), 255u);
    startAt(root);
    FileBrowser* b = make();
    std::set<std::string> listed;
    for (int i = 0; i < b->entries.count(); ++i)
        listed.insert(b->entries[i].text());
    std::set<std::string> expected(names.begin(), names.end());
    expected.insert("../");
    EXPECT_EQ(listed, expected);

    TestFrame frame;
    for (int i = 0; i < b->entries.count(); ++i) {
        b->cursor = i;
        b->draw(true);
    }
}

TEST_F(FileBrowserTest, TwentyThousandFilesAreListedSortedAndWalked)
{
    const int count = 20000;
    tmp.folder("card/big");
    const std::string big = root + "big/";
    for (int i = 0; i < count; ++i) {
        // Mixed case so that the order really depends on ignoring it.
        char name[32];
        snprintf(name, sizeof name, "%s%05d.gpe", (i % 3 == 0) ? "File" : "file", (i * 7919) % count);
        const int fd = open((big + name).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    tmp.folder("card/big/sub");
    startAt(big);
    FileBrowser* b = make(5);
    ASSERT_EQ(b->entries.count(), count + 2);
    EXPECT_STREQ(b->entries[0].text(), "../");
    EXPECT_STREQ(b->entries[1].text(), "sub/");
    EXPECT_STRCASEEQ(b->entries[2].text(), "file00000.gpe");
    EXPECT_STRCASEEQ(b->entries[count + 1].text(), "file19999.gpe");
    for (int i = 2; i + 1 < b->entries.count(); ++i)
        ASSERT_LT(FileBrowser::compareEntries(&b->entries[i], &b->entries[i + 1]), 0) << i;

    WString::Array actions;
    int code = 8;
    for (int i = 0; i < 20; ++i) {
        code = 8;
        b->handleInput(actions, code);
    }
    EXPECT_EQ(b->cursor, 40);
    b->cursor = count + 1;
    TestFrame frame(0x1234);
    b->draw(true);
    EXPECT_EQ(frame.at(10, 26), 0xFFDF);
    EXPECT_EQ(frame.countOther(0, 34, 319, 239, 0x1234), 0);
}

} // namespace
