// The file browser on folders built at run time: names as SD cards really hold them, links that
// lead nowhere, folders that vanish or cannot be listed, bounds no skin should give, and 20,000
// files.
#include "page/FileBrowser.h"
#include "tests/page/PageTestSupport.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <stdio.h>
#include <unistd.h>

namespace {

class FileBrowserTest : public PageFixture {
protected:
    // A browser with 5 rows of the test font at (10, 10), or at y, listing folder.
    FileBrowser* makeAt(const std::string& folder, int y = 10, int bottom = 50)
    {
        WString::Array start = words({folder.c_str()});
        options.set("startdir", start);
        browser.reset(new FileBrowser(10, y, 300, bottom, options, &font, 0));
        return browser.get();
    }

    // The code left after handing code to the browser, which must give no words.
    int press(int code)
    {
        WString::Array actions;
        browser->handleInput(actions, code);
        EXPECT_EQ(actions.count(), 0);
        return code;
    }

    OptionTable options;
    std::unique_ptr<FileBrowser> browser;
    TestFrame frame{0x1234};
};

TEST_F(FileBrowserTest, HostileNamesAreListedExactlyAndDeadLinksLeftOut)
{
    const std::set<std::string> names = {"a,b.gpe",         "quote\"d.gpe",
                                         "100%.gpe",        "key=value.gpe",
                                         "with space.gpe",  ".leading.gpe",
                                         "..two.gpe",       "bad\xff\xfe utf8.gpe",
                                         "line\nbreak.gpe", std::string(251, 'L') + ".gpe"};
    for (const std::string& name : names)
        file("card/" + name);
    const std::string root = dir + "card/";
    ASSERT_EQ(symlink("missing-target", (root + "dangling").c_str()), 0);
    ASSERT_EQ(symlink("loop-b", (root + "loop-a").c_str()), 0);
    ASSERT_EQ(symlink("loop-a", (root + "loop-b").c_str()), 0);
    ASSERT_EQ(symlink(".", (root + "here").c_str()), 0);
    testing::internal::CaptureStderr();
    FileBrowser* b = makeAt(root);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  " and 1 more are reached through too many links (a loop of links?): they are "
                  "left out\n"),
              std::string::npos);
    std::set<std::string> expected = names;
    expected.insert({"../", "here/"});
    const std::vector<std::string> listed = listOf(b->entries);
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), expected);
    EXPECT_EQ(listed.size(), expected.size());
    for (int i = 0; i < b->entries.count(); ++i) {
        b->cursor = i;
        b->draw(frame.data(), true);
    }
}

// A start folder that cannot be listed gives an empty list; a folder entered that cannot be
// (gone since, or the end of a loop of links) keeps "../", and says why at the folder.
TEST_F(FileBrowserTest, FoldersThatCannotBeListedNeverStrandTheList)
{
    file("card/plain");
    file("card/gone/x");
    const std::string root = dir + "card/";
    for (const std::string& folder : {dir + "card", root + "plain/"})
        EXPECT_EQ(makeAt(folder)->entries.count(), 0) << folder;
    FileBrowser* b = makeAt(root);
    EXPECT_EQ(press(NAV_UP), NAV_UP) << "at the first entry the button's words decide";

    b->cursor = 1;
    ASSERT_STREQ(b->selectedEntry().text(), "gone/");
    removeTree(root + "gone");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(press(NAV_ACTION), NAV_NONE);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              root + "gone/: error: the folder does not exist: the list shows only '../'\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Changed to " + root + "gone/\n");
    EXPECT_EQ(listOf(b->entries), std::vector<std::string>{"../"});
    press(NAV_ACTION);
    EXPECT_EQ(b->cwd, root.c_str());

    // "loop" leads back to its own folder: walked round, the list ends where the links give out,
    // with a word at the folder, and still goes back.
    ASSERT_EQ(symlink(".", (root + "loop").c_str()), 0);
    b = makeAt(root);
    int levels = 0;
    testing::internal::CaptureStderr();
    for (; levels < 50 && b->entries.count() > 1 && b->entries[1] == "loop/"; ++levels) {
        EXPECT_STREQ(b->entries[0].text(), "../");
        b->cursor = 1;
        testing::internal::CaptureStdout();
        press(NAV_ACTION);
        testing::internal::GetCapturedStdout();
    }
    const std::string end = b->cwd.text();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              end +
                  ": warning: 'loop' is reached through too many links (a loop of links?): it "
                  "is left out\n");
    EXPECT_GT(levels, 8);
    EXPECT_LT(levels, 50);
    EXPECT_STREQ(b->entries[0].text(), "../");
    testing::internal::CaptureStderr();
    b->changeDirectory("loop/");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              end +
                  "loop/: error: the folder is reached through too many links: the list "
                  "shows only '../'\n");
    EXPECT_EQ(listOf(b->entries), std::vector<std::string>{"../"});
}

TEST_F(FileBrowserTest, ExtremeBoundsGiveNoRowsOrOnlyThoseOnScreen)
{
    // The scratch folder holds "font.png": the list is "../" and "font.png".
    EXPECT_EQ(makeAt(dir, 100, 0)->rows, 0) << "a bottom above the top";
    press(NAV_PAGE_FORWARD);
    EXPECT_EQ(browser->cursor, 0) << "half of no rows";
    // The middle of 500,000,000 rows from -2,000,000,000 is row 0.
    makeAt(dir, -2000000000, 2000000000)->draw(frame.data(), true);
    EXPECT_EQ(browser->rows, 500000000);
    EXPECT_EQ(frame.countOther(10, 0, 15, 7, 0xFFDF), 0) << "../ under the cursor";
    EXPECT_EQ(frame.countOther(10, 8, 25, 15, 0x0000), 0) << "font.png";
    EXPECT_EQ(frame.countOther(0, 16, 319, 239, 0x1234), 0);
}

TEST_F(FileBrowserTest, TwentyThousandFilesAreListedSorted)
{
    const int count = 20000;
    const std::string big = dir + "big/";
    file("big/sub/x");
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
    for (int i = 2; i < b->entries.count(); ++i) {
        char name[32];
        snprintf(name, sizeof name, "file%05d.gpe", i - 2);
        ASSERT_STRCASEEQ(b->entries[i].text(), name);
    }
}

// Past 65,536 entries a folder is cut, said once at the folder; no file is listed twice. The
// entries are hard links to two files: creating 65,540 files would take far longer.
TEST_F(FileBrowserTest, OneFolderAndAllListsTogetherAreCutAtTheBoundAndSaid)
{
    const std::string huge = dir + "huge/";
    file("huge/sub/0.gpe");
    file("huge/sub/1.gpe");
    for (int i = 0; i < 65540; ++i) {
        const std::string name = std::to_string(i) + ".gpe";
        ASSERT_EQ(
            link((huge + "sub/" + std::to_string(i % 2) + ".gpe").c_str(), (huge + name).c_str()),
            0);
    }
    testing::internal::CaptureStderr();
    const std::vector<std::string> listed = listOf(makeAt(huge)->entries);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              huge +
                  ": error: the folder holds more than a list can show (65536 entries or "
                  "4194304 bytes of names): the rest is left out\n");
    EXPECT_EQ(listed.size(), 65536u);
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()).size(), 65536u);

    // All the lists alive together keep no more: another list gets nothing, and says so, until
    // the first is gone.
    std::unique_ptr<FileBrowser> full(browser.release());
    testing::internal::CaptureStderr();
    EXPECT_EQ(makeAt(huge + "sub/")->entries.count(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              huge +
                  "sub/: error: the file lists together hold as many entries as the launcher "
                  "keeps (65536, or 4194304 bytes of names): the rest of this folder is left "
                  "out\n");
    full.reset();
    EXPECT_EQ(listOf(makeAt(huge + "sub/")->entries),
              (std::vector<std::string>{"../", "0.gpe", "1.gpe"}));
}

// A descriptor's "%cwd%" is filled in as every expansion is: cut at 64 KiB and said at its
// ACTION line. 100,000 of them in a folder 3,600 bytes deep would otherwise make 360 MB a word.
TEST_F(FileBrowserTest, ADescriptorActionFillsInItsFolderWithinTheExpansionBound)
{
    std::string deep;
    while (deep.size() < 3400)
        deep += std::string(199, 'd') + "/";
    std::string many;
    for (int i = 0; i < 100000; ++i)
        many += "%cwd%";
    file(deep + "Tarvo.dat", "FILTER=.gpe\nACTION=exec,%cwd%," + many + ",x\n");
    file(deep + "a.gpe");
    const std::string folder = dir + deep;
    FileBrowser* b = makeAt(dir);
    ASSERT_TRUE(b->moveTo(folder.c_str(), "a.gpe"));
    WString::Array actions;
    int code = NAV_ACTION;
    testing::internal::CaptureStderr();
    b->handleInput(actions, code);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              folder +
                  "Tarvo.dat:2: error: the argument expands to more than 65536 bytes: it "
                  "is cut there\n");
    ASSERT_EQ(actions.count(), 4);
    EXPECT_EQ(std::string(actions[1].text()), folder);
    EXPECT_EQ(actions[2].length(), 65536);
    EXPECT_EQ(std::string(actions[2].text(), folder.size()), folder);
}

} // namespace
