// Studio: reload, watch, overlay, screenshots and title of the desktop window.
#include "frontends/desktop/Studio.h"

#include "base/Diagnostics.h"
#include "base/Utf8.h"
#include "core/Launcher.h"
#include "core/ProcessObjects.h"
#include "frontends/FrontEndOptions.h"
#include "platform/DesktopControl.h"
#include "platform/Files.h"
#include "platform/ScreenPng.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Puts itself in front of the front-end's printing of diagnostics while the card is read again,
// and keeps the first one as the notice says it: the file's name, its line, the message.
class FirstDiagnostic : public DiagnosticSink {
public:
    void report(const SourcePlace& place, DiagnosticSeverity severity, const char* message) override
    {
        if (first.empty()) {
            const char* slash = place.path ? std::strrchr(place.path, '/') : nullptr;
            first = slash ? slash + 1 : place.path ? place.path : "";
            if (place.line > 0)
                first += ":" + std::to_string(place.line);
            first += std::string(": ") + message;
        }
        next->report(place, severity, message);
    }

    DiagnosticSink* next = nullptr;
    std::string first;
};

std::string skinNameOf(const WString& skinFile)
{
    const std::string path = skinFile.text() ? skinFile.text() : "";
    const std::size_t end = path.rfind('/');
    const std::size_t start = end == std::string::npos ? end : path.rfind('/', end - 1);
    return start == std::string::npos ? path : path.substr(start + 1, end - start - 1);
}

// text as UTF-8, the window system's encoding, each character read as the font reads it: a
// Latin-1 skin folder's name shows its letters, as on the screen.
std::string asUtf8(const std::string& text)
{
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text.c_str()); *p;) {
        uint32_t code;
        p += decodeCharacter(p, code);
        if (code < 0x80) {
            out += char(code);
        } else {
            // Two to four bytes: the lead's high bits count them, each further byte takes six.
            const int length = code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
            out += char(((0xF00 >> length) & 0xFF) | (code >> (6 * (length - 1))));
            for (int i = length - 2; i >= 0; --i)
                out += char(0x80 | ((code >> (6 * i)) & 0x3F));
        }
    }
    return out;
}

} // namespace

Studio::Studio(Launcher& studied, const StudioOptions& options)
    : launcher(studied), shotsFolder(options.shotsFolder.empty() ? "." : options.shotsFolder)
{
    if (options.watch) {
        skinWatch = std::make_unique<SkinWatch>();
        watchFiles();
    }
    desktopSetTitle(title().c_str());
}

Studio::~Studio() = default;

void Studio::watchFiles()
{
    const MappedPath base("/mnt/sd/Tarvo/");
    const std::string tarvo = base.text();
    const std::string chosen = variableStore.getText("SKIN", "concept").text();
    const std::string shown = skinNameOf(launcher.skinFile());
    const std::string fontFile = launcher.fontFile().text();
    skinWatch->watch({{tarvo, {"Tarvo.cfg", fontFile.substr(fontFile.rfind('/') + 1)}},
                      {tarvo + "skins", {chosen, shown}},
                      {tarvo + "skins/" + chosen, {}},
                      {tarvo + "skins/" + shown, {}}});
}

void Studio::update(bool event)
{
    unsigned requests = desktopTakeRequests();
    if (skinWatch && skinWatch->due())
        requests |= DESKTOP_RELOAD;
    if (!event && !requests)
        return;
    if (event)
        shotNote.clear();
    if (requests & DESKTOP_RELOAD)
        reload();
    if (requests & DESKTOP_TOGGLE_OVERLAY) {
        overlayOn = !overlayOn;
        if (!overlayOn)
            desktopSetOverlay(nullptr);
    }
    if (requests & DESKTOP_SCREENSHOT)
        saveShot();
    showStructure();
}

void Studio::showStructure()
{
    if (overlayOn) {
        drawOverlay(launcher.page(launcher.currentPageIndex()), overlay);
        desktopSetOverlay(overlay.data());
    }
    desktopSetTitle(title().c_str());
}

void Studio::reload()
{
    FirstDiagnostic recorder;
    recorder.next = reportDiagnosticsOnStandardError();
    setDiagnosticSink(&recorder);
    launcher.reload();
    setDiagnosticSink(recorder.next);
    if (!recorder.first.empty())
        launcher.showNotice(recorder.first.c_str());
    launcher.showFrame();
    ++reloadCount;
    if (skinWatch)
        watchFiles();
    showStructure();
}

std::string Studio::saveShot()
{
    char* resolved = realpath(shotsFolder.c_str(), nullptr);
    const std::string folder = resolved ? resolved : shotsFolder;
    std::free(resolved);
    std::string path;
    int file = -1;
    errno = 0;
    for (int tries = 0; file < 0 && tries < 100000; ++tries, ++nextShot) {
        char name[32];
        std::snprintf(name, sizeof name, "/tarvo-%04d.png", nextShot);
        path = folder + name;
        file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (file < 0 && errno != EEXIST)
            break;
    }
    const int reason = file < 0 ? errno : EIO;
    FILE* stream = file >= 0 ? fdopen(file, "wb") : nullptr;
    bool written =
        stream && writeScreenPng(stream, desktopShownFrame(), SCREEN_WIDTH, SCREEN_HEIGHT);
    if (stream)
        written = std::fclose(stream) == 0 && written;
    else if (file >= 0)
        close(file);
    if (!written) {
        // Nothing half-written stays behind under a shot's name.
        if (file >= 0)
            unlink(path.c_str());
        shotNote = "screenshot not saved in " + folder + ": " + std::strerror(reason);
        path.clear();
    } else {
        shotNote = "saved " + path;
    }
    std::fprintf(stderr, "tarvo-desktop: %s\n", shotNote.c_str());
    desktopSetTitle(title().c_str());
    return path;
}

std::string Studio::title() const
{
    const Page& page = launcher.page(launcher.currentPageIndex());
    std::string text = "Tarvo: " + skinNameOf(launcher.skinFile()) + ", page " +
        std::to_string(launcher.currentPageIndex()) + ", element " + std::to_string(page.selected);
    return asUtf8(shotNote.empty() ? text : text + " - " + shotNote);
}
