// tarvo-lint: checks a whole SD card the way the launcher reads it, and more.
//
//   tarvo-lint --sd DIR [--werror]
//
// Tarvo.cfg and every skin below Tarvo/skins/ are read by the launcher's own start-up (once as
// the handheld starts, with SKIN from Tarvo.cfg, then once for each skin folder), on the headless
// backend; every page with content is drawn once, so that what drawing finds (pictures, lists)
// is reported too. Every Tarvo.dat on the card is read as a file list reads it. The checks of
// tools/lint/CardChecks.h come on top. Standard output receives the findings, sorted by file and
// line, and the summary (tools/lint/Findings.h); the launcher's own lines are not shown.
//
// Exit status: 0 without findings (or with warnings only, without --werror), 1 with an error
// (or a warning, with --werror), 2 for bad usage (an unknown option, --sd missing or not a
// folder).
#include "frontends/FrontEndOptions.h"
#include "tools/lint/CardLint.h"
#include "tools/lint/Findings.h"

#include <cstdio>
#include <string>

namespace {

const char programName[] = "tarvo-lint";
const unsigned acceptedOptions = OPTION_SD | OPTION_WERROR | OPTION_HELP;

std::string usage()
{
    return frontEndUsage(programName, acceptedOptions);
}

} // namespace

int main(int argc, char** argv)
{
    FrontEndOptions options;
    std::string error;
    if (!parseFrontEndOptions(argc, argv, acceptedOptions, &options, &error)) {
        std::fprintf(stderr, "%s: %s\n%s", programName, error.c_str(), usage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usage().c_str(), stdout);
        return 0;
    }
    if (!applyFrontEndOptions(options, &error)) {
        std::fprintf(stderr, "%s: %s\n", programName, error.c_str());
        return 2;
    }

    Findings findings;
    lintCard(findings);
    return findings.print(stdout, options.werror);
}
