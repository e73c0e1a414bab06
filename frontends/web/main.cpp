// The launcher in the browser, for the skin studio of web/: the functions the page calls.
//
// The page writes the card into the module's file system below "/card", which stands for the SD
// card as --sd does on a computer, then starts the launcher and calls its passes from the
// browser's animation frames. Programs are never started and settings never written: an exec
// action prints "Would run: ...", a config action "Would set: KEY=VALUE", and the launcher stays
// (platform/WebControl.h: nor is the menu started). Standard output is the page's log.
//
// Every function returning text returns UTF-8 that stays valid until the next call of the same
// function.
#include "core/Launcher.h"
#include "core/ProcessObjects.h"
#include "frontends/StudioOverlay.h"
#include "page/SkinWords.h"
#include "platform/Files.h"
#include "platform/KeyScript.h"
#include "platform/ScreenPng.h"
#include "platform/WebControl.h"
#include "tools/lint/CardLint.h"
#include "tools/lint/Findings.h"

#include <cstdio>
#include <cstring>
#include <emscripten.h>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

const char cardFolder[] = "/card";

struct Studio {
    std::unique_ptr<Launcher> launcher;
    // What the last start or reading found, and what the passes found since.
    std::unique_ptr<Findings> findings;
    std::string diagnosticsJson;
    std::string stateJson;
    std::vector<uint32_t> overlay;
    std::vector<uint8_t> screenshot;
    std::vector<uint16_t> playedFrames;
    std::string playError;
};

Studio studio;

LauncherOptions studioOptions()
{
    LauncherOptions options;
    options.dryRunExec = true;
    options.dryRunConfig = true;
    options.menuThroughPlatform = true;
    return options;
}

// Findings collect from here on, afresh.
void collectFindings()
{
    studio.findings.reset(new Findings);
    setDiagnosticSink(studio.findings.get());
}

// text as a JSON string, quotes included. Bytes that are not UTF-8 are taken as Latin-1, as the
// font reads them, so that the text stays valid JSON.
std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // A whole UTF-8 sequence passes as it is; any other byte is its Latin-1 character.
            const int length = (c & 0xE0) == 0xC0 ? 2
                : (c & 0xF0) == 0xE0              ? 3
                : (c & 0xF8) == 0xF0              ? 4
                                                  : 0;
            bool whole = length > 0 && i + length <= text.size();
            for (int k = 1; whole && k < length; ++k)
                whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            if (whole) {
                out.append(text, i, length);
                i += length - 1;
            } else {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
    }
    return out + "\"";
}

// A real path below the card as the page names files: "Tarvo/skins/concept/Tarvo.skin".
std::string cardRelative(const std::string& path)
{
    const std::string prefix = std::string(cardFolder) + "/";
    return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

std::string skinNameOf(const WString& skinFile)
{
    const std::string path = skinFile.text() ? skinFile.text() : "";
    const std::size_t end = path.rfind('/');
    const std::size_t start =
        end == std::string::npos || end == 0 ? std::string::npos : path.rfind('/', end - 1);
    return start == std::string::npos ? "" : path.substr(start + 1, end - start - 1);
}

// The words of lists as JSON strings, comma-separated, each list after a comma when it is not the
// first.
std::string jsonWords(std::initializer_list<const WordList*> lists)
{
    std::string json;
    for (const WordList* list : lists) {
        for (int i = 0; i < list->count; ++i)
            json += (json.empty() ? "" : ",") + jsonString(list->words[i]);
    }
    return "[" + json + "]";
}

void recordFrame(const uint16_t* frame)
{
    studio.playedFrames.insert(studio.playedFrames.end(), frame, frame + SCREEN_PIXELS);
}

} // namespace

extern "C" {

// Starts the launcher afresh on the card below /card and shows its first frame.
EMSCRIPTEN_KEEPALIVE void tarvo_start()
{
    webStopScript();
    setSdRoot(cardFolder);
    studio.launcher.reset();
    collectFindings();
    studio.launcher.reset(new Launcher(studioOptions()));
    studio.launcher->start();
    studio.launcher->resumeWhereLeft();
    studio.launcher->showFrame();
}

// Reads the card again as the desktop window's F5 does (the page, the selections and the list
// positions stay where they still exist) and shows the new frame. The launcher's own findings are
// known at once; tarvo_lint() adds the linter's.
EMSCRIPTEN_KEEPALIVE void tarvo_reload()
{
    if (!studio.launcher) {
        tarvo_start();
        return;
    }
    collectFindings();
    studio.launcher->reload();
    studio.launcher->showFrame();
}

// The linter's checks of the whole card, added to the findings of the last start or reading.
// They read every skin, so the launcher's reading is made again afterwards, quietly, to leave
// the shared state (the variables above all) as the skin on show needs it, and its frame shown.
EMSCRIPTEN_KEEPALIVE void tarvo_lint()
{
    if (!studio.launcher)
        return;
    lintCard(*studio.findings);
    DiagnosticSink* kept = diagnosticSink();
    Findings again;
    setDiagnosticSink(&again);
    {
        SilencedStandardOutput silence;
        studio.launcher->reload();
    }
    setDiagnosticSink(kept);
    // Each launcher the linter starts brings the platform up afresh, which clears the frames: the
    // page on show is shown again, as it was.
    studio.launcher->showFrame();
}

// One pass of the launcher's loop. Bits: 1 a frame was drawn, 2 F5, 4 F1, 8 F12 pressed on the
// canvas since the last pass.
EMSCRIPTEN_KEEPALIVE int tarvo_pass()
{
    if (!studio.launcher)
        return 0;
    int result = studio.launcher->pass() ? 1 : 0;
    const unsigned requests = webTakeRequests();
    if (requests & WEB_RELOAD)
        result |= 2;
    if (requests & WEB_TOGGLE_OVERLAY)
        result |= 4;
    if (requests & WEB_SCREENSHOT)
        result |= 8;
    return result;
}

// [{"file": "Tarvo/skins/concept/Tarvo.skin", "line": 12, "severity": "error", "message": "..."}]
// by file and line; line 0 stands for the whole file.
EMSCRIPTEN_KEEPALIVE const char* tarvo_diagnostics()
{
    std::string& json = studio.diagnosticsJson;
    json = "[";
    if (studio.findings) {
        for (const Findings::Finding& finding : studio.findings->sorted()) {
            if (json.size() > 1)
                json += ",";
            json += "{\"file\":" + jsonString(cardRelative(finding.path)) +
                ",\"line\":" + std::to_string(finding.line) +
                ",\"severity\":" + jsonString(severityWord(finding.severity)) +
                ",\"message\":" + jsonString(finding.message) + "}";
        }
    }
    json += "]";
    return json.c_str();
}

// {"skin": "concept", "page": 0, "element": 3, "pages": [0, 1, 2]}: the skin and page on show,
// the page's selected element, and every page with something on it.
EMSCRIPTEN_KEEPALIVE const char* tarvo_state()
{
    std::string& json = studio.stateJson;
    if (!studio.launcher) {
        json = "{\"skin\":\"\",\"page\":0,\"element\":0,\"pages\":[]}";
        return json.c_str();
    }
    const Launcher& launcher = *studio.launcher;
    const int page = launcher.currentPageIndex();
    json = "{\"skin\":" + jsonString(skinNameOf(launcher.skinFile())) +
        ",\"page\":" + std::to_string(page) +
        ",\"element\":" + std::to_string(launcher.page(page).selected) + ",\"pages\":[";
    bool first = true;
    for (int i = 0; i < Launcher::PAGE_COUNT; ++i) {
        if (launcher.page(i).hasContent()) {
            json += (first ? "" : ",") + std::to_string(i);
            first = false;
        }
    }
    json += "]}";
    return json.c_str();
}

// Every word the launcher's text files know, for the editor's colours: {"keywords": [...],
// "elementKinds": [...], "backgroundKinds": [...], "actionWords": [...], "listOptions": [...],
// "valueWords": [...]}. Keywords are upper case and read whatever their case; the other words
// only as written.
EMSCRIPTEN_KEEPALIVE const char* tarvo_words()
{
    static const std::string json =
        "{\"keywords\":" + jsonWords({&allSkinKeywords, &descriptorKeywords, &settings}) +
        ",\"elementKinds\":" + jsonWords({&elementKinds}) +
        ",\"backgroundKinds\":" + jsonWords({&backgroundKinds}) +
        ",\"actionWords\":" + jsonWords({&actionWords}) +
        ",\"listOptions\":" + jsonWords({&listOptions}) +
        ",\"valueWords\":" + jsonWords({&listTypes, &listSources}) + "}";
    return json.c_str();
}

EMSCRIPTEN_KEEPALIVE void tarvo_show_page(int index)
{
    if (studio.launcher)
        studio.launcher->showPage(index);
}

// The element overlay of the page on show: SCREEN_PIXELS pixels 0xAARRGGBB, row by row.
EMSCRIPTEN_KEEPALIVE const uint32_t* tarvo_overlay()
{
    studio.overlay.assign(SCREEN_PIXELS, 0);
    if (studio.launcher)
        drawOverlay(studio.launcher->page(studio.launcher->currentPageIndex()), studio.overlay);
    return studio.overlay.data();
}

// The frame on show as an 8-bit RGB PNG, as the desktop window's F12 writes it; null when it
// could not be made. Its size in bytes from tarvo_screenshot_size().
EMSCRIPTEN_KEEPALIVE const uint8_t* tarvo_screenshot()
{
    studio.screenshot.clear();
    const char path[] = "/tmp/tarvo-screenshot.png";
    FILE* file = std::fopen(path, "wb");
    bool written = file && writeScreenPng(file, webShownFrame(), SCREEN_WIDTH, SCREEN_HEIGHT);
    if (file)
        written = std::fclose(file) == 0 && written;
    if (written) {
        if (FILE* in = std::fopen(path, "rb")) {
            uint8_t buffer[4096];
            std::size_t got;
            while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
                studio.screenshot.insert(studio.screenshot.end(), buffer, buffer + got);
            std::fclose(in);
        }
    }
    std::remove(path);
    return studio.screenshot.empty() ? nullptr : studio.screenshot.data();
}

EMSCRIPTEN_KEEPALIVE int tarvo_screenshot_size()
{
    return static_cast<int>(studio.screenshot.size());
}

// Starts the launcher afresh under the key script keys (platform/KeyScript.h) with virtual time,
// as tarvo-headless --keys does, and plays it to its end. The number of frames shown, each kept
// (tarvo_played_frames: RGB565, SCREEN_PIXELS each); -1 when the script cannot be read (the
// reason from tarvo_play_error). The keyboard takes over again afterwards.
EMSCRIPTEN_KEEPALIVE int tarvo_play(const char* keys)
{
    KeyScript script;
    if (!script.parse(keys ? keys : "", &studio.playError))
        return -1;
    studio.playedFrames.clear();
    setSdRoot(cardFolder);
    studio.launcher.reset();
    collectFindings();
    webPlayScript(script);
    webSetFrameObserver(recordFrame);
    studio.launcher.reset(new Launcher(studioOptions()));
    studio.launcher->start();
    studio.launcher->resumeWhereLeft();
    while (webScriptPlaying())
        studio.launcher->pass();
    webSetFrameObserver(nullptr);
    webStopScript();
    return static_cast<int>(studio.playedFrames.size() / SCREEN_PIXELS);
}

EMSCRIPTEN_KEEPALIVE const uint16_t* tarvo_played_frames()
{
    return studio.playedFrames.data();
}

EMSCRIPTEN_KEEPALIVE const char* tarvo_play_error()
{
    return studio.playError.c_str();
}

} // extern "C"

// The page calls in; nothing runs on its own.
int main()
{
    return 0;
}
