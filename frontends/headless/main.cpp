// tarvo-headless: the launcher with the display in memory and the buttons from a script, for
// tests and for rendering a skin to pictures. Standard output carries only the launcher's own
// lines; everything this front-end says goes to standard error.
//
//   tarvo-headless --sd DIR [--keys FILE] [--frames OUTDIR] [--raw] [--battery FILE]
//                  [--menu PROG] [--no-exec]
//   tarvo-headless --sd DIR --pages OUTDIR [--werror] [--battery FILE]
//
// The run ends with status 0 when a poll of the buttons finds the script used up (the launcher's
// normal teardown runs), or the way the launcher itself leaves: a launched program, or the menu
// (without --menu, returning to the menu ends with status 0). Bad options or a malformed script
// end it with status 2 before start-up. The script format is in platform/KeyScript.h.
//
// With --pages there is no script and no main loop: the launcher starts, and every page with
// something on it is drawn as it is first shown (element 0 selected) into OUTDIR/page-NNN.png, NNN
// the page number, and into one contact sheet, OUTDIR/pages.png (see writePages below). The
// diagnostics come out as ever; the status is 1 when one of them is an error (or a warning, with
// --werror), 2 when the pictures cannot be written, 0 otherwise. OUTDIR (and --frames OUTDIR) is
// made with the folders above it when it is not there.
//
// Unlike the desktop window, this runner starts the programs a skin's exec actions name, with the
// rights of whoever runs it: tests need that. A skin from someone else belongs in a --no-exec run.
#include "base/Diagnostics.h"
#include "core/Launcher.h"
#include "core/ProcessObjects.h"
#include "frontends/FrontEndOptions.h"
#include "platform/HeadlessControl.h"
#include "platform/KeyScript.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char programName[] = "tarvo-headless";
const char execWarning[] =
    "Exec actions start their programs with your rights; try a skin from someone else with "
    "--no-exec.\n";
const unsigned acceptedOptions = OPTION_SD | OPTION_KEYS | OPTION_FRAMES | OPTION_RAW |
    OPTION_BATTERY | OPTION_MENU | OPTION_NO_EXEC | OPTION_HELP | OPTION_PAGES | OPTION_WERROR;

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

// The folder for the pictures, made with the folders above it when it is not there yet (as
// mkdir -p does), as an absolute path (a failed launch that changed directory cannot move it);
// empty, with the reason on standard error, when it cannot be used.
std::string outputFolder(const std::string& path)
{
    struct stat info;
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string folder = path.substr(0, end);
        if (!folder.empty() && mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "%s: %s: %s\n", programName, folder.c_str(), std::strerror(errno));
            return std::string();
        }
        if (end == std::string::npos)
            break;
    }
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "%s: %s: not a folder\n", programName, path.c_str());
        return std::string();
    }
    char* resolved = realpath(path.c_str(), nullptr);
    std::string folder = resolved ? resolved : path;
    std::free(resolved);
    return folder;
}

// Counts the errors among the diagnostics (with --werror, the warnings too) and hands every one
// on.
class ErrorCountingSink : public DiagnosticSink {
public:
    ErrorCountingSink(DiagnosticSink* forwardTo, bool countWarnings)
        : next(forwardTo), warningsCount(countWarnings)
    {
    }
    void report(const SourcePlace& place, DiagnosticSeverity severity, const char* message) override
    {
        if (severity == DIAGNOSTIC_ERROR || warningsCount)
            ++errors;
        next->report(place, severity, message);
    }

    int errors = 0;

private:
    DiagnosticSink* next;
    bool warningsCount;
};

// The contact sheet: the pages in number order, four to a row, each at half size (a pixel per
// 2x2 block, each channel their rounded mean) above a caption strip with its number ("3", or
// "3 (start)" for the page shown first) centred in the launcher's font. Everything is SHEET_GAP
// apart and from the edges, on a dark ground.
enum {
    THUMB_WIDTH = SCREEN_WIDTH / 2,
    THUMB_HEIGHT = SCREEN_HEIGHT / 2,
    SHEET_COLUMNS = 4,
    SHEET_GAP = 8
};
const uint16_t sheetGround = 0x2104;
const uint16_t captionColor = 0xFFFF;

uint16_t blockMean(const uint16_t* frame, int x, int y)
{
    unsigned red = 0, green = 0, blue = 0;
    for (int row = y; row < y + 2; ++row) {
        for (int column = x; column < x + 2; ++column) {
            const uint16_t pixel = frame[row * SCREEN_WIDTH + column];
            red += pixel >> 11;
            green += (pixel >> 5) & 0x3F;
            blue += pixel & 0x1F;
        }
    }
    return static_cast<uint16_t>((red + 2) / 4 << 11 | (green + 2) / 4 << 5 | (blue + 2) / 4);
}

class ContactSheet {
public:
    ContactSheet(int pageCount, int fontHeight)
        // A font picture of any height still leaves a caption that fits a frame.
        : captionHeight(std::min(fontHeight + 4, static_cast<int>(SCREEN_HEIGHT))),
          cellHeight(THUMB_HEIGHT + captionHeight + SHEET_GAP),
          width(std::min(pageCount, static_cast<int>(SHEET_COLUMNS)) * (THUMB_WIDTH + SHEET_GAP) +
                SHEET_GAP),
          height((pageCount + SHEET_COLUMNS - 1) / SHEET_COLUMNS * cellHeight + SHEET_GAP),
          pixels(static_cast<std::size_t>(width) * height, sheetGround)
    {
    }

    // Puts frame, the page's picture, into cell number cell with caption under it.
    void add(int cell, const uint16_t* frame, const char* caption)
    {
        const int left = SHEET_GAP + cell % SHEET_COLUMNS * (THUMB_WIDTH + SHEET_GAP);
        const int top = SHEET_GAP + cell / SHEET_COLUMNS * cellHeight;
        for (int y = 0; y < THUMB_HEIGHT; ++y) {
            for (int x = 0; x < THUMB_WIDTH; ++x)
                at(left + x, top + y) = blockMean(frame, 2 * x, 2 * y);
        }
        // The font draws into a frame: the caption is set there and its strip copied over.
        std::vector<uint16_t> strip(SCREEN_PIXELS, sheetGround);
        font.setColor(captionColor);
        const int textLeft = std::max(0, (THUMB_WIDTH - font.textWidth(caption)) / 2);
        font.drawText(strip.data(), textLeft, 2, caption);
        for (int y = 0; y < captionHeight; ++y) {
            for (int x = 0; x < THUMB_WIDTH; ++x)
                at(left + x, top + THUMB_HEIGHT + y) = strip[y * SCREEN_WIDTH + x];
        }
    }

    bool write(const std::string& path) const
    {
        return headlessWritePicture(pixels.data(), width, height, path.c_str());
    }

private:
    uint16_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }

    const int captionHeight;
    const int cellHeight;
    const int width;
    const int height;
    std::vector<uint16_t> pixels;
};

// Passes written on; when the file at path was not written, says so on standard error.
bool reportWrite(bool written, const std::string& path)
{
    if (!written)
        std::fprintf(stderr, "%s: cannot write %s\n", programName, path.c_str());
    return written;
}

// --pages: the launcher starts as on the handheld, and each page with something on it is drawn
// as the launcher would first show it: start() leaves every page on element 0.
int writePages(const std::string& folder, DiagnosticSink* standardError, bool werror)
{
    ErrorCountingSink counter(standardError, werror);
    setDiagnosticSink(&counter);
    LauncherOptions launcherOptions;
    launcherOptions.dryRunExec = true;
    std::unique_ptr<Launcher> launcher(new Launcher(launcherOptions));
    launcher->start();

    std::vector<int> shown;
    for (int i = 0; i < Launcher::PAGE_COUNT; ++i) {
        if (launcher->page(i).hasContent())
            shown.push_back(i);
    }
    bool written = true;
    if (shown.empty()) {
        std::fprintf(stderr, "%s: no page has anything on it: no pictures written\n", programName);
    } else {
        const PageContext context(&font, &imageCache, &batteryReader, &clockControl,
                                  launcher->skinFile().text(), &previewCache);
        ContactSheet sheet(static_cast<int>(shown.size()), font.lineHeight());
        std::vector<uint16_t> frame(SCREEN_PIXELS);
        for (std::size_t cell = 0; cell < shown.size(); ++cell) {
            const int number = shown[cell];
            // Drawing loads what the page shows; the launcher owns its pages as modifiable.
            const_cast<Page&>(launcher->page(number)).draw(frame.data(), context);
            char name[32];
            std::snprintf(name, sizeof name, "/page-%03d.png", number);
            const std::string path = folder + name;
            written = reportWrite(headlessWritePng(frame.data(), path.c_str()), path) && written;
            char caption[32];
            std::snprintf(caption, sizeof caption,
                          number == launcher->startPage() ? "%d (start)" : "%d", number);
            sheet.add(static_cast<int>(cell), frame.data(), caption);
        }
        const std::string sheetPath = folder + "/pages.png";
        written = reportWrite(sheet.write(sheetPath), sheetPath) && written;
        if (written)
            std::fprintf(stderr, "%s: %d page%s written, all of them in %s\n", programName,
                         static_cast<int>(shown.size()), shown.size() == 1 ? "" : "s",
                         sheetPath.c_str());
    }
    launcher.reset();
    setDiagnosticSink(standardError);
    if (!written)
        return 2;
    return counter.errors > 0 ? 1 : 0;
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
    if (!options.pagesFolder.empty() &&
        (!options.keysFile.empty() || !options.framesFolder.empty()))
        return usageError("--pages draws every page without a script: no --keys or --frames");
    // Without --keys the script is empty: the first poll ends the run.
    KeyScript script;
    if (!options.keysFile.empty() && !script.load(options.keysFile, &error)) {
        std::fprintf(stderr, "%s: %s\n", programName, error.c_str());
        return 2;
    }
    std::string pagesFolder;
    if (!options.pagesFolder.empty()) {
        pagesFolder = outputFolder(options.pagesFolder);
        if (pagesFolder.empty())
            return 2;
    }
    if (!options.framesFolder.empty()) {
        framesFolder = outputFolder(options.framesFolder);
        if (framesFolder.empty())
            return 2;
        writeRaw = options.raw;
        headlessSetFrameObserver(writeFrame);
    }
    if (!applyFrontEndOptions(options, &error)) {
        std::fprintf(stderr, "%s: %s\n", programName, error.c_str());
        return 2;
    }
    DiagnosticSink* standardError = reportDiagnosticsOnStandardError();
    if (!pagesFolder.empty())
        return writePages(pagesFolder, standardError, options.werror);
    headlessSetScript(script);

    LauncherOptions launcherOptions;
    launcherOptions.dryRunExec = options.noExec;
    launcherOptions.menuThroughPlatform = true;
    Launcher::runProcess(launcherOptions);
    return 0;
}
