// Studio: reload, watch, overlay, screenshots and title of the desktop window.
#include "frontends/desktop/Studio.h"

#include "base/Diagnostics.h"
#include "base/Utf8.h"
#include "core/Launcher.h"
#include "core/ProcessObjects.h"
#include "frontends/FrontEndOptions.h"
#include "gfx/DLImage.h"
#include "page/Button.h"
#include "page/SkinValues.h"
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

// Inclusive corners, wide enough for any sum of skin numbers; right < left: nothing to outline.
struct Box {
    long long left, top, right, bottom;
};

// Glyphs of 3x5 pixels, one octal digit a row (the top row first, its high bit the left column).
int glyphOf(char c)
{
    static const char letters[] = "0123456789LRUD";
    static const int glyphs[] = {075557, 026227, 071747, 071717, 055711, 074717, 074757,
                                 071111, 075757, 075717, 044447, 065655, 055557, 065556};
    const char* found = std::strchr(letters, c);
    return found && c ? glyphs[found - letters] : 0;
}

class OverlayCanvas {
public:
    explicit OverlayCanvas(uint32_t* pixels) : pixels(pixels) {}

    void set(long long x, long long y, uint32_t color)
    {
        if (x >= 0 && x < SCREEN_WIDTH && y >= 0 && y < SCREEN_HEIGHT)
            pixels[y * SCREEN_WIDTH + x] = color;
    }

    void fill(const Box& box, uint32_t color)
    {
        // Clipped first: a skin's box may reach far past the screen.
        for (long long y = std::max(box.top, 0LL); y <= std::min(box.bottom, SCREEN_HEIGHT - 1LL);
             ++y)
            for (long long x = std::max(box.left, 0LL);
                 x <= std::min(box.right, SCREEN_WIDTH - 1LL); ++x)
                set(x, y, color);
    }

    void outline(Box box, uint32_t color, int width)
    {
        for (int ring = 0; ring < width && box.left <= box.right && box.top <= box.bottom; ++ring) {
            fill({box.left, box.top, box.right, box.top}, color);
            fill({box.left, box.bottom, box.right, box.bottom}, color);
            fill({box.left, box.top, box.left, box.bottom}, color);
            fill({box.right, box.top, box.right, box.bottom}, color);
            box = {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
        }
    }

    // A small dark box with text in color, its top-left corner at (x, y).
    void label(long long x, long long y, const std::string& text, uint32_t color)
    {
        fill({x, y, x + 4 * static_cast<long long>(text.size()), y + 6}, OVERLAY_LABEL);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const int glyph = glyphOf(text[i]);
            for (int bit = 0; bit < 15; ++bit) {
                if (glyph >> (14 - bit) & 1)
                    set(x + 1 + 4 * static_cast<long long>(i) + bit % 3, y + 1 + bit / 3, color);
            }
        }
    }

private:
    uint32_t* pixels;
};

long long argument(const Button& button, int index)
{
    return skinNumber(button.typeArgs[index]);
}

// The box of an element as it draws now (selected or not), and a file list's rows; false for an
// element that draws nothing.
bool boxOf(const Button& button, bool selected, Box* box, Box* rows)
{
    const int given = button.typeArgs.count();
    const int lineHeight = font.lineHeight();
    *rows = {0, 0, -1, -1};
    if (button.type == "image" && given >= 2) {
        const DLImage* picture = (selected && button.selectedImage) || !button.normalImage
            ? button.selectedImage
            : button.normalImage;
        const long long x = argument(button, 0), y = argument(button, 1);
        *box = {x, y, x + (picture ? picture->width : 0) - 1,
                y + (picture ? picture->height : 0) - 1};
    } else if (button.type == "text" && given >= 5) {
        WString figure;
        figure.format("%i", batteryReader.read());
        const WString text = button.typeArgs[4].replace("%battery%", figure.text());
        const long long x = argument(button, 0), y = argument(button, 1);
        *box = {x, y, x + font.textWidth(text.text() ? text.text() : "") - 1, y + lineHeight - 1};
    } else if (button.type == "rect" && given >= 5) {
        *box = {argument(button, 0), argument(button, 1), argument(button, 2), argument(button, 3)};
    } else if (button.type == "preview" && given >= 4) {
        const long long x = argument(button, 0), y = argument(button, 1);
        *box = {x, y, x + argument(button, 2) - 1, y + argument(button, 3) - 1};
    } else if (button.type == "selector" && given >= 4) {
        *box = {argument(button, 0), argument(button, 1), argument(button, 2), argument(button, 3)};
        const long long count = button.browser ? button.browser->rows : 0;
        *rows = {box->left, box->top, box->right, box->top + count * lineHeight - 1};
    } else {
        return false;
    }
    return true;
}

uint32_t kindColor(const WString& kind)
{
    return kind == "image"  ? OVERLAY_IMAGE
        : kind == "text"    ? OVERLAY_TEXT
        : kind == "rect"    ? OVERLAY_RECT
        : kind == "preview" ? OVERLAY_PREVIEW
                            : OVERLAY_SELECTOR;
}

// The structure of page, over a transparent layer.
void drawOverlay(const Page& page, std::vector<uint32_t>& pixels)
{
    pixels.assign(SCREEN_PIXELS, 0);
    OverlayCanvas canvas(pixels.data());
    Box boxes[Page::BUTTON_COUNT];
    bool hasBox[Page::BUTTON_COUNT] = {};
    for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
        Box rows;
        if (!page.buttons[i] || !boxOf(*page.buttons[i], i == page.selected, &boxes[i], &rows))
            continue;
        hasBox[i] = true;
        canvas.fill(rows, OVERLAY_ROWS);
    }
    // The selected element last, so that its outline lies on top.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
            const bool selected = i == page.selected;
            if (hasBox[i] && selected == (pass == 1))
                canvas.outline(boxes[i],
                               selected ? OVERLAY_SELECTED : kindColor(page.buttons[i]->type),
                               selected ? 2 : 1);
        }
    }
    for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
        if (hasBox[i])
            canvas.label(boxes[i].left + 2, boxes[i].top + 2, std::to_string(i),
                         i == page.selected ? OVERLAY_SELECTED : kindColor(page.buttons[i]->type));
    }

    // Where the selected element's NAVIGATION goes (each direction a plain "select,n").
    if (page.selected < 0 || page.selected >= Page::BUTTON_COUNT || !page.buttons[page.selected])
        return;
    const Button& from = *page.buttons[page.selected];
    const WString::Array* directions[4] = {&from.left, &from.right, &from.up, &from.down};
    std::string letters[Page::BUTTON_COUNT];
    for (int d = 0; d < 4; ++d) {
        const WString::Array& words = *directions[d];
        if (words.count() != 2 || !(words[0] == "select"))
            continue;
        const int target = skinNumber(words[1]);
        if (target >= 0 && target < Page::BUTTON_COUNT && hasBox[target])
            letters[target] += "LRUD"[d];
    }
    for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
        if (!letters[i].empty())
            canvas.label(boxes[i].right - 4 * static_cast<long long>(letters[i].size()),
                         boxes[i].bottom - 6, letters[i], OVERLAY_SELECTED);
    }
}

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
