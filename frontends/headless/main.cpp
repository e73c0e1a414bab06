// tarvo-headless: the launcher with the display in memory and the buttons from a script, for
// tests and for rendering a skin to pictures. Standard output carries only the launcher's own
// lines; everything this front-end says goes to standard error.
//
//   tarvo-headless --sd DIR [--keys FILE] [--frames OUTDIR] [--raw] [--battery FILE]
//                  [--menu PROG] [--no-exec]
//
// The run ends with status 0 when a poll of the buttons finds the script used up (the launcher's
// normal teardown runs), or the way the launcher itself leaves: a launched program, or the menu
// (without --menu, returning to the menu ends with status 0). Bad options or a malformed script
// end it with status 2 before start-up. The script format is in platform/KeyScript.h.
//
// Unlike the desktop window, this runner starts the programs a skin's exec actions name, with the
// rights of whoever runs it: tests need that. A skin from someone else belongs in a --no-exec run.
#include "core/Launcher.h"
#include "frontends/FrontEndOptions.h"
#include "platform/HeadlessControl.h"
#include "platform/KeyScript.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

const char programName[] = "tarvo-headless";
const char execWarning[] =
    "Exec actions start their programs with your rights; try a skin from someone else with "
    "--no-exec.\n";
const unsigned acceptedOptions = OPTION_SD | OPTION_KEYS | OPTION_FRAMES | OPTION_RAW |
    OPTION_BATTERY | OPTION_MENU | OPTION_NO_EXEC | OPTION_HELP;

std::string framesFolder;
bool writeRaw = false;

void writeFrame(const uint16_t* frame, int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%04d", number);
    std::string base = framesFolder + name;
    if (!headlessWritePng(frame, (base + ".png").c_str()))
        std::fprintf(stderr, "%s: cannot write %s.png\n", programName, base.c_str());
    if (writeRaw && !headlessWriteRaw(frame, (base + ".rgb565").c_str()))
        std::fprintf(stderr, "%s: cannot write %s.rgb565\n", programName, base.c_str());
}

int usageError(const std::string& reason)
{
    std::fprintf(stderr, "%s: %s\n%s", programName, reason.c_str(),
                 frontEndUsage(programName, acceptedOptions).c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    FrontEndOptions options;
    std::string error;
    if (!parseFrontEndOptions(argc, argv, acceptedOptions, &options, &error))
        return usageError(error);
    if (options.help) {
        std::fputs((frontEndUsage(programName, acceptedOptions) + execWarning).c_str(), stdout);
        return 0;
    }
    // Without --keys the script is empty: the first poll ends the run.
    KeyScript script;
    if (!options.keysFile.empty() && !script.load(options.keysFile, &error)) {
        std::fprintf(stderr, "%s: %s\n", programName, error.c_str());
        return 2;
    }
    if (!options.framesFolder.empty()) {
        struct stat info;
        if (mkdir(options.framesFolder.c_str(), 0777) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "%s: %s: %s\n", programName, options.framesFolder.c_str(),
                         std::strerror(errno));
            return 2;
        }
        if (stat(options.framesFolder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            std::fprintf(stderr, "%s: %s: not a folder\n", programName,
                         options.framesFolder.c_str());
            return 2;
        }
        // Absolute, so that a failed launch that changed directory cannot move it.
        char* resolved = realpath(options.framesFolder.c_str(), nullptr);
        framesFolder = resolved ? resolved : options.framesFolder;
        std::free(resolved);
        writeRaw = options.raw;
        headlessSetFrameObserver(writeFrame);
    }
    if (!applyFrontEndOptions(options, &error)) {
        std::fprintf(stderr, "%s: %s\n", programName, error.c_str());
        return 2;
    }
    reportDiagnosticsOnStandardError();
    headlessSetScript(script);

    LauncherOptions launcherOptions;
    launcherOptions.dryRunExec = options.noExec;
    launcherOptions.menuThroughPlatform = true;
    Launcher::runProcess(launcherOptions);
    return 0;
}
