// Command-line reading shared by the computer front-ends.
#include "frontends/FrontEndOptions.h"

#include "base/Diagnostics.h"
#include "core/ProcessObjects.h"
#include "platform/Files.h"
#include "platform/MenuProgram.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct OptionSpec {
    const char* name;
    FrontEndOption bit;
    const char* valueName; // null for a flag
    const char* help;
    // Where the option lands: text for a value (except --scale, which is a number), flag for a
    // flag.
    std::string FrontEndOptions::*text;
    bool FrontEndOptions::*flag;
};

const OptionSpec optionSpecs[] = {
    {"--sd", OPTION_SD, "DIR", "folder that stands for the SD card (/mnt/sd)",
     &FrontEndOptions::sdFolder, nullptr},
    {"--keys", OPTION_KEYS, "FILE", "button script: lines of BUTTONS COUNT",
     &FrontEndOptions::keysFile, nullptr},
    {"--frames", OPTION_FRAMES, "OUTDIR", "write each frame as OUTDIR/frame-NNNN.png",
     &FrontEndOptions::framesFolder, nullptr},
    {"--pages", OPTION_PAGES, "OUTDIR",
     "write each page as OUTDIR/page-NNN.png, all of them in OUTDIR/pages.png",
     &FrontEndOptions::pagesFolder, nullptr},
    {"--raw", OPTION_RAW, nullptr, "also write OUTDIR/frame-NNNN.rgb565", nullptr,
     &FrontEndOptions::raw},
    {"--scale", OPTION_SCALE, "N", "window scale, 1 to 16 (default: the largest that fits)",
     nullptr, nullptr},
    {"--menu", OPTION_MENU, "PROG", "program that stands in for /usr/gp2x/gp2xmenu",
     &FrontEndOptions::menuProgram, nullptr},
    {"--battery", OPTION_BATTERY, "FILE", "file read instead of /dev/batt",
     &FrontEndOptions::batteryFile, nullptr},
    {"--no-exec", OPTION_NO_EXEC, nullptr, "print \"Would run:\" instead of starting programs",
     nullptr, &FrontEndOptions::noExec},
    {"--exec", OPTION_EXEC, nullptr, "start the programs that lie on the card", nullptr,
     &FrontEndOptions::exec},
    {"--watch", OPTION_WATCH, nullptr, "reload when the skin, Tarvo.cfg or the font is saved",
     nullptr, &FrontEndOptions::watch},
    {"--shots", OPTION_SHOTS, "DIR", "folder for F12's screenshots (default: the current one)",
     &FrontEndOptions::shotsFolder, nullptr},
    {"--werror", OPTION_WERROR, nullptr, "a warning fails the check as an error does", nullptr,
     &FrontEndOptions::werror},
    {"--help", OPTION_HELP, nullptr, "show this text", nullptr, &FrontEndOptions::help},
};

const OptionSpec* findOption(const std::string& name)
{
    if (name == "-h")
        return findOption("--help");
    for (const OptionSpec& spec : optionSpecs) {
        if (name == spec.name)
            return &spec;
    }
    return nullptr;
}

std::string absolutePath(const std::string& path)
{
    if (path.empty() || path[0] == '/')
        return path;
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved) {
        std::string result = resolved;
        std::free(resolved);
        return result;
    }
    // Not there (yet): made absolute against the current directory all the same.
    char* here = getcwd(nullptr, 0);
    if (!here)
        return path;
    std::string result = std::string(here) + "/" + path;
    std::free(here);
    return result;
}

bool setValue(const OptionSpec& spec, const std::string& value, FrontEndOptions* options,
              std::string* error)
{
    auto fail = [&](const std::string& reason) {
        *error = std::string(spec.name) + ": " + reason;
        return false;
    };
    if (value.empty())
        return fail("needs a value");
    if (spec.text) {
        options->*spec.text = value;
        return true;
    }
    char* end = nullptr;
    errno = 0;
    long scale = std::strtol(value.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || scale < 1 || scale > 16)
        return fail("\"" + value + "\" is not a whole number from 1 to 16");
    options->scale = static_cast<int>(scale);
    return true;
}

// The launcher names its files by their handheld paths; the person reads them on the computer.
class MappedStandardErrorSink : public DiagnosticSink {
public:
    void report(const SourcePlace& place, DiagnosticSeverity severity, const char* message) override
    {
        MappedPath path(place.path);
        std::fprintf(
            stderr, "%s\n",
            formatDiagnostic(path.text(), place.line, severityWord(severity), message).text());
    }
};

} // namespace

bool parseFrontEndOptions(int argc, const char* const* argv, unsigned accepted,
                          FrontEndOptions* options, std::string* error)
{
    *options = FrontEndOptions();
    unsigned seen = 0;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        std::string name = argument;
        std::string value;
        bool inlineValue = false;
        std::size_t equals = argument.find('=');
        if (argument.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            inlineValue = true;
        }
        const OptionSpec* spec = findOption(name);
        if (!spec || !(accepted & spec->bit)) {
            *error =
                (argument.compare(0, 1, "-") == 0 ? "unknown option " : "unexpected argument ") +
                name;
            return false;
        }
        if (seen & spec->bit) {
            *error = std::string(spec->name) + " is given twice";
            return false;
        }
        seen |= spec->bit;
        if (!spec->valueName) {
            if (inlineValue) {
                *error = std::string(spec->name) + " takes no value";
                return false;
            }
            options->*spec->flag = true;
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= argc) {
                *error = std::string(spec->name) + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (!setValue(*spec, value, options, error))
            return false;
    }
    if (options->help)
        return true;
    if (options->sdFolder.empty()) {
        *error = "--sd DIR is required";
        return false;
    }
    if (options->exec && options->noExec) {
        *error = "--exec and --no-exec exclude each other";
        return false;
    }
    if (options->raw && options->framesFolder.empty()) {
        *error = "--raw needs --frames";
        return false;
    }
    if (options->werror && options->pagesFolder.empty() && (accepted & OPTION_PAGES)) {
        *error = "--werror needs --pages";
        return false;
    }
    return true;
}

bool applyFrontEndOptions(const FrontEndOptions& options, std::string* error)
{
    struct stat info;
    if (stat(options.sdFolder.c_str(), &info) != 0) {
        *error = options.sdFolder + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *error = options.sdFolder + ": not a folder";
        return false;
    }
    setSdRoot(absolutePath(options.sdFolder).c_str());
    if (!options.menuProgram.empty())
        setMenuProgram(absolutePath(options.menuProgram).c_str());
    if (!options.batteryFile.empty())
        useBatteryDevice(absolutePath(options.batteryFile).c_str());
    return true;
}

LauncherOptions desktopLauncherOptions(const FrontEndOptions& options)
{
    LauncherOptions launcherOptions;
    launcherOptions.dryRunExec = !options.exec;
    launcherOptions.notStartedNotice = "Programs are not started: allow them with --exec";
    launcherOptions.cardProgramsOnly = true;
    launcherOptions.menuThroughPlatform = true;
    return launcherOptions;
}

DiagnosticSink* reportDiagnosticsOnStandardError()
{
    static MappedStandardErrorSink sink;
    setDiagnosticSink(&sink);
    return &sink;
}

std::string frontEndUsage(const char* program, unsigned accepted)
{
    std::string text = std::string("Usage: ") + program;
    for (const OptionSpec& spec : optionSpecs) {
        if (!(accepted & spec.bit) || spec.bit == OPTION_HELP)
            continue;
        std::string part =
            std::string(spec.name) + (spec.valueName ? std::string(" ") + spec.valueName : "");
        text += spec.bit == OPTION_SD ? " " + part : " [" + part + "]";
    }
    text += "\n";
    for (const OptionSpec& spec : optionSpecs) {
        if (!(accepted & spec.bit))
            continue;
        std::string left = std::string("  ") + spec.name +
            (spec.valueName ? std::string(" ") + spec.valueName : "");
        left.resize(std::max<std::size_t>(left.size() + 2, 22), ' ');
        text += left + spec.help + "\n";
    }
    return text;
}
