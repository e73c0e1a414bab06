// Launcher: start-up with the reading of the skin, and the main loop that turns the buttons into
// page input, actions and frames. To understand the launcher, start reading Launcher::run().
#ifndef TARVO_CORE_LAUNCHER_H
#define TARVO_CORE_LAUNCHER_H

#include "base/WString.h"
#include "core/KeyRepeat.h"
#include "page/Page.h"
#include "page/PlayedList.h"
#include "platform/Files.h"

#include <stdint.h>

// What differs between the handheld and a computer. The handheld takes the defaults.
struct LauncherOptions {
    LauncherOptions()
        : dryRunExec(false), notStartedNotice(0), cardProgramsOnly(false),
          menuThroughPlatform(false), dryRunConfig(false), skinName(0)
    {
    }

    // An "exec" action prints "Would run: " and its words joined by " " instead of starting the
    // program, and the loop goes on.
    bool dryRunExec;
    // With dryRunExec: the notice shown each time a program is not started (null: none).
    const char* notStartedNotice;
    // Only programs that lie on the card are started (programLiesOnCard, platform/Files.h); any
    // other exec action is treated as with dryRunExec and shows a notice naming the program.
    bool cardProgramsOnly;
    // After a "config" action the menu is started by returnToMenu(), which on a computer starts
    // the program that stands in for the handheld's menu. Otherwise the launcher starts
    // "/usr/gp2x/gp2xmenu" itself, as an exec action would.
    bool menuThroughPlatform;
    // A "config" action prints "Would set: " and its key=value instead of writing the file, and
    // the launcher stays: a skin tried where the card is not the person's own leaves it as it is.
    bool dryRunConfig;
    // The skin to read (a folder name below "/mnt/sd/Tarvo/skins/"), not owned; null reads SKIN
    // from Tarvo.cfg and falls back to "concept" when that skin cannot be shown. A skin named here
    // is read as it is, without a fallback, so that a check of every skin sees each one alone.
    const char* skinName;
};

// The skin and configuration live below the fixed base directory "/mnt/sd/Tarvo/"; a computer
// front-end maps that onto a folder (platform/Files.h) before start-up.
//
// Page numbers from the skin or from actions that fall outside the 128 pages, or that name a page
// with nothing on it (Page::hasContent), are ignored: a STARTPAGE or "page" action naming such a
// page leaves the current page as it was. A "config" action without a key (a bare "config", or an
// empty key) is ignored too. When a program or the menu cannot be started, the platform is
// brought back and the same pass draws and shows the page again, with a notice saying so, so no
// cleared frame stays on screen. Numbers are read by skinNumber (page/SkinValues.h): one beyond
// the range of int is held at its ends and so falls outside the pages.
//
// Every program an exec action starts is recorded first in Tarvo.recent (the newest first, each
// file once, PlayedList), with the entry of the list B picked it from, the folder it runs in and
// the speed its list set; one that then does not start is taken out again. "favourite,N" adds the
// entry under the cursor of the list of element N to Tarvo.favourites, or removes it when it is
// there, and "clear,recent" empties Tarvo.recent; each says on the notice bar what it did, and the
// lists on the pages show the change at once. Neither file is read before a list, a record or a
// favourite needs it.
//
// What the launcher cannot use in its files is reported as it is read (base/Diagnostics.h), and
// what the person at the screen must know shows on the notice bar: a skin that could not be
// shown (the launcher then reads "concept" instead; only when no skin can be shown does the
// screen stay black), a program that did not start, a setting that was not saved.
class Launcher {
public:
    enum { PAGE_COUNT = 128 };

    // Constructs the 128 empty pages, index 0 first.
    explicit Launcher(const LauncherOptions& options = LauncherOptions());

    // Start-up: the display, the font (the one built into the program when the card's picture
    // does not load), the configuration, the variables basedir, version and skindir, the skin
    // (every argument expanded once against the variables defined so far; "concept" when the
    // chosen skin cannot be shown), and the key-repeat timing of KEYBOARD_RATE. Nothing here stops
    // the launcher: missing files leave things empty.
    void start();

    // One pass of the main loop: a poll of the buttons, and on an event (a change, or a repeat
    // of a held direction) the page's input, the actions, a redrawn and presented frame and the
    // menu speed. An unchanged poll sleeps one millisecond and draws nothing, unless it takes an
    // old notice away (showNotice). True when a frame was drawn.
    bool pass();

    // Reads the files again as start() does (the configuration, the font, the skin and, as its
    // pages are drawn, its pictures: the image cache is emptied first), for a person editing the
    // skin on a computer. What was on show is found again wherever it still exists: the page
    // (otherwise the start page), each page's selected element (otherwise the page's first
    // selection), and each file list's folder and entry (FileBrowser::moveTo). The page on show
    // loads its pictures at once, so that everything the new reading finds is reported before
    // reload() returns; the frame is shown by the next showFrame() or event.
    void reload();

    // Draws the page on show, with the notice if there is one, presents it and sets the menu
    // speed, as each event does.
    void showFrame();

    // With RESUME=1 in Tarvo.cfg, after start() and before the first frame: shows again what
    // Tarvo.resume says was on show when the launcher last handed over (core/Resume.h). Before
    // every hand-over (a program, quit, Start + Select, a config action) the launcher writes it.
    void resumeWhereLeft();

    // start(), resumeWhereLeft() and then passes for the life of the process. Leaves only by
    // replacing the process (a program, the handheld's menu) or, on a computer, by the
    // front-end ending it.
    void run();

    // The launcher a front-end runs: built on first use, so its pages are destroyed at a normal
    // exit before the process-wide objects are. Never returns.
    static void runProcess(const LauncherOptions& options);

    int32_t currentPageIndex() const { return currentPage; }

    // Shows page index as a "page" action would (a page outside the pages, or without content,
    // leaves the page as it was), and draws it.
    void showPage(int32_t index);

    // What start() read, for a check of the skin: page index (0 to PAGE_COUNT - 1), the skin
    // file's handheld path (the page's kept line numbers count in it), and the page shown first.
    const Page& page(int index) const;
    const WString& skinFile() const { return skinPath; }
    // The font picture's handheld path.
    WString fontFile() const;
    int32_t startPage() const { return firstPage; }

    // Shows text on the notice bar (core/Notice.h) from the frame this pass draws on. The bar
    // stays, through releases and presses that come quickly, until the first press of a button
    // NOTICE_READ_MS or more after it appeared (that press's frame is the page alone), or until it
    // has been up NOTICE_SHOWN_MS: then one frame is drawn without an event, the only one there
    // is, to take it away. A reading of the files (reload) takes it away too.
    void showNotice(const WString& text);

    enum { NOTICE_READ_MS = 1000, NOTICE_SHOWN_MS = 4000 };

private:
    Launcher(const Launcher&);
    Launcher& operator=(const Launcher&);

    // Why a skin cannot be shown, if it cannot.
    enum SkinFault { SKIN_SHOWN, SKIN_NO_FOLDER, SKIN_NO_FILE, SKIN_UNREADABLE, SKIN_EMPTY };

    void readFiles();
    void loadFont();
    void checkSettings();
    void chooseSkin();
    SkinFault readSkin(const WString& name);
    SkinFault whySkinIsUnreadable() const;
    void chooseStartPage(const int32_t* startPageLines);
    void resetPages();
    void readKeyboardRate();
    void carryOut(WString::Array& actions, bool fromList);
    bool recordStart(const WString::Array& words, bool fromList);
    void toggleFavourite(const WString::Array& actions);
    void clearRecent(const WString::Array& actions);
    void refreshPlayedLists();
    void updateConfiguration(WString::Array& actions);
    void startProgram(const WString::Array& words, ProgramSource source = ANY_PROGRAM);
    void startMenu();
    void returnToMenuOrRecover();
    bool resumeIsOn() const;
    void writeResume();
    PageContext drawingContext();
    void selectPage(int32_t index);

    LauncherOptions options;
    // Before the pages, whose lists show them: they go after the pages.
    PlayedList recent;
    PlayedList favourites;
    Page pages[PAGE_COUNT];
    WString baseDir;
    WString configPath;
    WString skinDir;
    // The skin file's handheld path, kept for the whole run: the pages report what their first
    // drawing finds at their kept line numbers in it.
    WString skinPath;
    // The name of the skin on show; empty when none could be shown.
    WString shownSkin;
    int32_t currentPage;
    int32_t firstPage;
    KeyRepeat repeat;
    // Null while there is nothing to tell.
    WString notice;
    // When the notice appeared (platformMilliseconds).
    uint32_t noticeSince;
};

#endif
