// tarvo-desktop: the launcher in a window, for trying a skin on a computer.
//
//   tarvo-desktop --sd DIR [--scale N] [--menu PROG] [--battery FILE] [--exec | --no-exec]
//
// A skin may come from anyone, and its exec actions name programs: the window starts none unless
// --exec is given, and then only those that lie on the card (frontends/FrontEndOptions.h).
//
// The keys are listed in platform/DesktopControl.h (arrows, B or Return to pick, S or Escape for
// Start, Backspace for Select). Closing the window returns to the menu: the --menu program, or
// the end of the launcher with status 0. Standard output carries only the launcher's own lines.
#include "core/Launcher.h"
#include "frontends/FrontEndOptions.h"
#include "platform/DesktopControl.h"

#include <cstdio>
#include <string>

namespace {

const char programName[] = "tarvo-desktop";
const unsigned acceptedOptions = OPTION_SD | OPTION_SCALE | OPTION_MENU | OPTION_BATTERY |
    OPTION_NO_EXEC | OPTION_EXEC | OPTION_HELP;

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

    Launcher::runProcess(desktopLauncherOptions(options));
    return 0;
}
