// Launcher: start-up with the reading of the skin, and the main loop that turns the buttons into
// page input, actions and frames. To understand the launcher, start reading Launcher::run().
#ifndef TARVO_CORE_LAUNCHER_H
#define TARVO_CORE_LAUNCHER_H

#include "base/WString.h"
#include "core/KeyRepeat.h"
#include "page/Page.h"

#include <stdint.h>

// What differs between the handheld and a computer. The handheld takes the defaults.
struct LauncherOptions {
    LauncherOptions()
        : dryRunExec(false), notStartedNotice(0), cardProgramsOnly(false),
          menuThroughPlatform(false)
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
};

// The skin and configuration live below the fixed base directory "/mnt/sd/Tarvo/"; a computer
// front-end maps that onto a folder (platform/Files.h) before start-up.
//
// Page numbers from the skin or from actions that fall outside the 128 pages are ignored: a
// STARTPAGE or "page" action out of range leaves the current page as it was. A "config" action
// without a key (a bare "config", or an empty key) is ignored too. When a program or the menu
// cannot be started, the platform is brought back and the same pass draws and shows the page
// again, so no cleared frame stays on screen. Numbers are read by skinNumber (page/SkinValues.h):
// one beyond the range of int is held at its ends and so falls outside the pages.
class Launcher {
public:
    enum { PAGE_COUNT = 128 };

    // Constructs the 128 empty pages, index 0 first.
    explicit Launcher(const LauncherOptions& options = LauncherOptions());

    // Start-up: the display, the font, the configuration, the variables basedir, version and
    // skindir, the skin (every argument expanded once against the variables defined so far), and
    // the key-repeat timing of KEYBOARD_RATE. Nothing here stops the launcher: missing files leave
    // things empty.
    void start();

    // One pass of the main loop: a poll of the buttons, and on an event (a change, or a repeat
    // of a held direction) the page's input, the actions, a redrawn and presented frame and the
    // menu speed. An unchanged poll sleeps one millisecond and draws nothing. True for an event.
    bool pass();

    // start() and then passes for the life of the process. Leaves only by replacing the process
    // (a program, the handheld's menu) or, on a computer, by the front-end ending it.
    void run();

    // The launcher a front-end runs: built on first use, so its pages are destroyed at a normal
    // exit before the process-wide objects are. Never returns.
    static void runProcess(const LauncherOptions& options);

    int32_t currentPageIndex() const { return currentPage; }

    // Shows text on the notice bar (core/Notice.h) in the frame this pass draws; the bar goes
    // away in the frame of the next button event.
    void showNotice(const WString& text);

private:
    Launcher(const Launcher&);
    Launcher& operator=(const Launcher&);

    void readSkin();
    void readKeyboardRate();
    void carryOut(WString::Array& actions);
    void updateConfiguration(WString::Array& actions);
    void startMenu();
    void returnToMenuOrRecover();
    void selectPage(const WString& number);

    LauncherOptions options;
    Page pages[PAGE_COUNT];
    WString baseDir;
    WString skinDir;
    int32_t currentPage;
    KeyRepeat repeat;
    // Null while there is nothing to tell.
    WString notice;
};

#endif
