// tarvo-desktop: the launcher in a window, for trying a skin on a computer.
//
//   tarvo-desktop --sd DIR [--scale N] [--menu PROG] [--battery FILE] [--exec | --no-exec]
//                 [--watch] [--shots DIR]
//
// A skin may come from anyone, and its exec actions name programs: the window starts none unless
// --exec is given, and then only those that lie on the card (frontends/FrontEndOptions.h).
//
// The keys are listed in platform/DesktopControl.h (arrows, B or Return to pick, S or Escape for
// Start, Backspace for Select). Closing the window returns to the menu: the --menu program, or
// the end of the launcher with status 0. Standard output carries only the launcher's own lines.
// For a person working on a skin, F5 reads the card again, --watch does so on every save, F1
// outlines the elements and F12 saves a screenshot (frontends/desktop/Studio.h).
#include "core/Launcher.h"
#include "frontends/FrontEndOptions.h"
#include "frontends/desktop/Studio.h"
#include "platform/DesktopControl.h"

#include <cstdio>
#include <string>

namespace {

const char programName[] = "tarvo-desktop";
const unsigned acceptedOptions = OPTION_SD | OPTION_SCALE | OPTION_MENU | OPTION_BATTERY |
    OPTION_NO_EXEC | OPTION_EXEC | OPTION_WATCH | OPTION_SHOTS | OPTION_HELP;

} // namespace

int main(int argc, char** argv)
{
    FrontEndOptions options;
    std::string error;
    if (!parseFrontEndOptions(argc, argv, acceptedOptions, &options, &error)) {
        std::fprintf(stderr, "%s: %s\n%s", programName, error.c_str(),
                     frontEndUsage(programName, acceptedOptions).c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(frontEndUsage(programName, acceptedOptions).c_str(), stdout);
        return 0;
    }
    if (!applyFrontEndOptions(options, &error)) {
        std::fprintf(stderr, "%s: %s\n", programName, error.c_str());
        return 2;
    }
    reportDiagnosticsOnStandardError();
    desktopSetScale(options.scale);

    // Built here, after the process-wide objects, so that its pages go before them at an exit.
    static Launcher launcher(desktopLauncherOptions(options));
    launcher.start();
    launcher.resumeWhereLeft();
    StudioOptions studioOptions;
    studioOptions.watch = options.watch;
    studioOptions.shotsFolder = options.shotsFolder;
    Studio studio(launcher, studioOptions);
    // The window's close ends the process (platform/DesktopControl.h).
    for (;;)
        studio.update(launcher.pass());
}
