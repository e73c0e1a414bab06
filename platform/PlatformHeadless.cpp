// The headless backend of the platform layer: the frame lives in memory, the buttons follow a
// script, time is virtual, and presented frames can be written as PNG and raw RGB565 files.
// Its controls are documented in platform/HeadlessControl.h.
#include "platform/HeadlessControl.h"

#include "platform/Files.h"
#include "platform/MenuProgram.h"
#include "platform/Platform.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

uint16_t* backBuffer = nullptr;

namespace {

struct Step {
    uint32_t atMs;
    ButtonMask buttons;
    bool quit;
};

struct HeadlessState {
    uint16_t buffers[2][SCREEN_PIXELS] = {};
    int back = 0;
    uint32_t nowMs = 0;
    uint32_t timeLimitMs = 0;
    std::vector<Step> script;
    int frameCount = 0;
    std::string outputFolder;
    unsigned outputFormats = HEADLESS_NO_FRAMES;
    HeadlessButtonSource buttonSource = nullptr;
    HeadlessFrameObserver frameObserver = nullptr;
};

HeadlessState headless;

struct ButtonName {
    const char* name;
    ButtonMask bit;
};

const ButtonName buttonNames[] = {
    { "up", BUTTON_UP },           { "up-left", BUTTON_UP_LEFT },
    { "left", BUTTON_LEFT },       { "down-left", BUTTON_DOWN_LEFT },
    { "down", BUTTON_DOWN },       { "down-right", BUTTON_DOWN_RIGHT },
    { "right", BUTTON_RIGHT },     { "up-right", BUTTON_UP_RIGHT },
    { "start", BUTTON_START },     { "select", BUTTON_SELECT },
    { "l", BUTTON_L },             { "r", BUTTON_R },
    { "a", BUTTON_A },             { "b", BUTTON_B },
    { "x", BUTTON_X },             { "y", BUTTON_Y },
    { "vol-down", BUTTON_VOLUME_DOWN }, { "vol-up", BUTTON_VOLUME_UP },
    { "push", BUTTON_STICK_PUSH },
};

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A whole unsigned number, decimal or 0x hexadecimal, that fits 32 bits.
bool parseNumber(const std::string& text, uint32_t* value)
{
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long number = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || number > 0xFFFFFFFFull)
        return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

bool parseButtons(const std::string& text, Step* step, std::string* why)
{
    std::string word = lowered(text);
    if (word == "none") {
        step->buttons = 0;
        return true;
    }
    if (word == "quit") {
        step->quit = true;
        return true;
    }
    if (std::isdigit(static_cast<unsigned char>(word[0]))) {
        if (parseNumber(word, &step->buttons))
            return true;
        *why = "bad button mask \"" + text + "\"";
        return false;
    }
    ButtonMask mask = 0;
    std::size_t start = 0;
    while (start <= word.size()) {
        std::size_t plus = word.find('+', start);
        std::string name = word.substr(start, plus == std::string::npos ? std::string::npos
                                                                        : plus - start);
        const ButtonName* found = std::find_if(
            std::begin(buttonNames), std::end(buttonNames),
            [&name](const ButtonName& candidate) { return name == candidate.name; });
        if (found == std::end(buttonNames)) {
            *why = "unknown button \"" + name + "\"";
            return false;
        }
        mask |= found->bit;
        if (plus == std::string::npos)
            break;
        start = plus + 1;
    }
    step->buttons = mask;
    return true;
}

bool parseScript(const std::string& text, std::vector<Step>* steps, std::string* why)
{
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    uint32_t lastMs = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::string time, buttons, extra;
        if (!(words >> time) || time[0] == '#')
            continue;
        auto fail = [&](const std::string& reason) {
            *why = "line " + std::to_string(lineNumber) + ": " + reason;
            return false;
        };
        if (!(words >> buttons))
            return fail("no buttons after the time");
        if (words >> extra)
            return fail("unexpected \"" + extra + "\"");
        bool relative = time[0] == '+';
        uint32_t ms = 0;
        if (!parseNumber(relative ? time.substr(1) : time, &ms))
            return fail("bad time \"" + time + "\"");
        if (relative) {
            if (ms > 0xFFFFFFFFu - lastMs)
                return fail("time \"" + time + "\" is too large");
            ms += lastMs;
        } else if (!steps->empty() && ms < lastMs) {
            return fail("time " + std::to_string(ms) + " comes before the previous step");
        }
        Step step = { ms, 0, false };
        std::string reason;
        if (!parseButtons(buttons, &step, &reason))
            return fail(reason);
        steps->push_back(step);
        lastMs = ms;
    }
    return true;
}

void addStep(uint32_t atMs, ButtonMask buttons, bool quit)
{
    if (!headless.script.empty())
        atMs = std::max(atMs, headless.script.back().atMs);
    headless.script.push_back(Step{ atMs, buttons, quit });
}

// Each 5- or 6-bit channel widened to 8 bits by repeating its top bits: 0 stays 0, full stays 255.
void toRgb(uint16_t pixel, png_byte* rgb)
{
    unsigned red = (pixel >> 11) & 0x1F;
    unsigned green = (pixel >> 5) & 0x3F;
    unsigned blue = pixel & 0x1F;
    rgb[0] = static_cast<png_byte>((red << 3) | (red >> 2));
    rgb[1] = static_cast<png_byte>((green << 2) | (green >> 4));
    rgb[2] = static_cast<png_byte>((blue << 3) | (blue >> 2));
}

void writeFrameFiles(const uint16_t* frame)
{
    if (headless.outputFolder.empty() || headless.outputFormats == HEADLESS_NO_FRAMES)
        return;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%05d", headless.frameCount);
    std::string base = headless.outputFolder + name;
    if ((headless.outputFormats & HEADLESS_PNG) && !headlessWritePng(frame, (base + ".png").c_str()))
        std::fprintf(stderr, "Tarvo: cannot write %s.png\n", base.c_str());
    if ((headless.outputFormats & HEADLESS_RAW)
        && !headlessWriteRaw(frame, (base + ".rgb565").c_str()))
        std::fprintf(stderr, "Tarvo: cannot write %s.rgb565\n", base.c_str());
}

// The hand-over of a "quit" step or of the time limit. The launcher cannot go on after it: its
// platform is shut down and the script has ended.
void quitFromScript()
{
    returnToMenu();
    std::exit(EXIT_FAILURE);
}

} // namespace

void platformInit(int ticksPerSecond, int bitsPerPixel, int soundRate, int soundBits)
{
    // Fixed geometry and virtual time: nothing here depends on these.
    (void)ticksPerSecond;
    (void)bitsPerPixel;
    (void)soundRate;
    (void)soundBits;
    // Time and the frame count go on across a shutdown and a new platformInit(): a failed launch
    // neither rewinds the script nor overwrites frames already written.
    std::memset(headless.buffers, 0, sizeof headless.buffers);
    headless.back = 0;
    backBuffer = headless.buffers[headless.back];
}

void presentFrame()
{
    const uint16_t* shown = headless.buffers[headless.back];
    headless.back ^= 1;
    backBuffer = headless.buffers[headless.back];
    ++headless.frameCount;
    writeFrameFiles(shown);
    if (headless.frameObserver)
        headless.frameObserver(shown, headless.frameCount);
}

ButtonMask readButtons()
{
    if (headless.timeLimitMs != 0 && headless.nowMs > headless.timeLimitMs)
        quitFromScript();
    if (headless.buttonSource)
        return headless.buttonSource();
    ButtonMask buttons = 0;
    for (const Step& step : headless.script) {
        if (step.atMs > headless.nowMs)
            break;
        if (step.quit)
            quitFromScript();
        buttons = step.buttons;
    }
    return buttons;
}

void platformSleepMs(int milliseconds)
{
    if (milliseconds > 0)
        headless.nowMs += static_cast<uint32_t>(milliseconds);
}

void platformShutdown()
{
    // Nothing to close: the frame stays in memory and the script goes on.
    std::fflush(nullptr);
}

void returnToMenu()
{
    platformShutdown();
    startMenuProgram();
}

void headlessReset()
{
    headless.nowMs = 0;
    headless.timeLimitMs = 0;
    headless.buttonSource = nullptr;
    headless.frameObserver = nullptr;
    headless.script.clear();
    headless.frameCount = 0;
    headless.outputFolder.clear();
    headless.outputFormats = HEADLESS_NO_FRAMES;
}

bool headlessSetScript(const std::string& text, std::string* error)
{
    std::vector<Step> steps;
    std::string why;
    if (!parseScript(text, &steps, &why)) {
        if (error)
            *error = why;
        return false;
    }
    headless.script.swap(steps);
    return true;
}

bool headlessLoadScriptFile(const char* path, std::string* error)
{
    FILE* file = openFile(path, "rb");
    if (!file) {
        if (error)
            *error = std::string(path) + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    if (readFailed) {
        if (error)
            *error = std::string(path) + ": read error";
        return false;
    }
    std::string why;
    if (!headlessSetScript(text, &why)) {
        if (error)
            *error = std::string(path) + ": " + why;
        return false;
    }
    return true;
}

void headlessAddStep(uint32_t atMs, ButtonMask buttons)
{
    addStep(atMs, buttons, false);
}

void headlessAddQuit(uint32_t atMs)
{
    addStep(atMs, 0, true);
}

uint32_t headlessNowMs()
{
    return headless.nowMs;
}

bool headlessScriptFinished()
{
    return headless.script.empty() || headless.script.back().atMs <= headless.nowMs;
}

void headlessSetTimeLimit(uint32_t limitMs)
{
    headless.timeLimitMs = limitMs;
}

void headlessSetFrameOutput(const char* folder, unsigned formats)
{
    headless.outputFolder = folder ? folder : "";
    headless.outputFormats = formats;
}

int headlessFrameCount()
{
    return headless.frameCount;
}

const uint16_t* headlessShownFrame()
{
    return headless.buffers[headless.back ^ 1];
}

bool headlessWriteRaw(const uint16_t* frame, const char* path)
{
    FILE* file = openFile(path, "wb");
    if (!file)
        return false;
    // Little-endian whatever the machine: low byte first.
    unsigned char bytes[SCREEN_BYTES];
    for (int i = 0; i < SCREEN_PIXELS; ++i) {
        bytes[2 * i] = static_cast<unsigned char>(frame[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(frame[i] >> 8);
    }
    bool written = std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
    return std::fclose(file) == 0 && written;
}

bool headlessWritePng(const uint16_t* frame, const char* path)
{
    FILE* file = openFile(path, "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        return false;
    }
    // Everything libpng may jump out of is set up before the jump point; nothing with a
    // destructor lives between setjmp and the writes.
    static png_byte row[SCREEN_WIDTH * 3];
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, SCREEN_WIDTH, SCREEN_HEIGHT, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            toRgb(frame[y * SCREEN_WIDTH + x], row + 3 * x);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

void headlessSetButtonSource(HeadlessButtonSource source)
{
    headless.buttonSource = source;
}

void headlessSetFrameObserver(HeadlessFrameObserver observer)
{
    headless.frameObserver = observer;
}
