// The command line of the computer front-ends (tarvo-desktop, tarvo-headless) and the settings it
// makes before the launcher starts.
#ifndef TARVO_FRONTENDS_FRONTENDOPTIONS_H
#define TARVO_FRONTENDS_FRONTENDOPTIONS_H

#include "base/Diagnostics.h"
#include "core/Launcher.h"

#include <string>
#include <vector>

// Each option is written "--name VALUE" or "--name=VALUE"; flags take no value. Which options a
// front-end accepts is given by a mask of these bits.
enum FrontEndOption : unsigned {
    OPTION_SD = 1u << 0,      // --sd DIR: the folder that stands for the SD card (required)
    OPTION_KEYS = 1u << 1,    // --keys FILE
    OPTION_FRAMES = 1u << 2,  // --frames OUTDIR
    OPTION_RAW = 1u << 3,     // --raw
    OPTION_BATTERY = 1u << 4, // --battery FILE: read instead of /dev/batt
    OPTION_MENU = 1u << 5,    // --menu PROG: stands in for /usr/gp2x/gp2xmenu
    OPTION_NO_EXEC = 1u << 6, // --no-exec
    OPTION_SCALE = 1u << 7,   // --scale N, 1 to 16
    OPTION_HELP = 1u << 8,    // --help, -h
    OPTION_EXEC = 1u << 9,    // --exec
    OPTION_PAGES = 1u << 10,  // --pages OUTDIR
    OPTION_WATCH = 1u << 11,  // --watch
    OPTION_SHOTS = 1u << 12,  // --shots DIR
    OPTION_WERROR = 1u << 13  // --werror
};

struct FrontEndOptions {
    std::string sdFolder;
    std::string keysFile;
    std::string framesFolder;
    std::string pagesFolder;
    std::string batteryFile;
    std::string menuProgram;
    std::string shotsFolder;
    int scale = 0; // 0: not given
    bool raw = false;
    bool noExec = false;
    bool exec = false;
    bool help = false;
    bool watch = false;
    bool werror = false;
};

// Reads argv[1..argc-1]. False, with a one-line reason in error, for an option that is unknown or
// not accepted, a missing or bad value, an option given twice, a stray argument, or a missing
// --sd (unless --help is given).
bool parseFrontEndOptions(int argc, const char* const* argv, unsigned accepted,
                          FrontEndOptions* options, std::string* error);

// Makes the settings that both computer front-ends share, before start-up: the SD-card folder
// (which must be a folder; made absolute, so that a launch that changes the working directory
// does not move it), the menu program (made absolute) and the battery file. False, with a
// reason in error, when the SD-card folder is not there.
bool applyFrontEndOptions(const FrontEndOptions& options, std::string* error);

// The launcher's settings in the desktop window, which tries skins that may come from anyone:
// programs are not started unless --exec allows it, a notice says so, and even then only
// programs that lie on the card start. The stand-in menu (--menu) is the person's own choice and
// starts as ever.
LauncherOptions desktopLauncherOptions(const FrontEndOptions& options);

// Sends every diagnostic (base/Diagnostics.h) to standard error as "PATH:LINE: error: MESSAGE" or
// "PATH:LINE: warning: MESSAGE",
// PATH the real file below --sd that the person can open. After applyFrontEndOptions(). Returns
// that sink, for a front-end that puts its own in front of it.
DiagnosticSink* reportDiagnosticsOnStandardError();

// The usage text of a front-end for the options it accepts.
std::string frontEndUsage(const char* program, unsigned accepted);

#endif
