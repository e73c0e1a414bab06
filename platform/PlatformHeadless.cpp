// The headless backend of the platform layer: the frame lives in memory, the buttons come from a
// poll-counted script or a caller's source, time is virtual, and frames can be written as PNG and
// raw RGB565 files. Its controls are documented in platform/HeadlessControl.h.
#include "platform/Files.h"
#include "platform/HeadlessControl.h"
#include "platform/MemoryFrames.h"
#include "platform/MenuProgram.h"
#include "platform/Platform.h"
#include "platform/ScreenPng.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

uint16_t* backBuffer = nullptr;

namespace {

struct HeadlessState {
    MemoryFrames frames;
    KeyScript script;
    bool scripted = false;
    int frameCount = 0;
    uint32_t milliseconds = 0;
    HeadlessButtonSource buttonSource = nullptr;
    HeadlessFrameObserver frameObserver = nullptr;
};

HeadlessState headless;

} // namespace

// Fixed geometry and virtual time: nothing here depends on the arguments.
void platformInit(int, int, int, int)
{
    // The script and the frame count go on across a shutdown and a new platformInit(): a failed
    // launch neither rewinds the script nor reuses frame numbers.
    headless.frames.clear();
}

void presentFrame()
{
    const uint16_t* shown = headless.frames.flip();
    ++headless.frameCount;
    if (headless.frameObserver)
        headless.frameObserver(shown, headless.frameCount);
}

ButtonMask readButtons()
{
    if (headless.buttonSource)
        return foldLoneDiagonal(headless.buttonSource());
    ButtonMask buttons = 0;
    if (headless.scripted && !headless.script.nextPoll(&buttons))
        std::exit(EXIT_SUCCESS);
    return foldLoneDiagonal(buttons);
}

void platformSleepMs(int milliseconds)
{
    // Virtual time: the wait is over at once, and the clock moves on by it.
    if (milliseconds > 0)
        headless.milliseconds += static_cast<uint32_t>(milliseconds);
}

uint32_t platformMilliseconds()
{
    return headless.milliseconds;
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
    headless.script = KeyScript();
    headless.scripted = false;
    headless.frameCount = 0;
    headless.buttonSource = nullptr;
    headless.frameObserver = nullptr;
}

void headlessSetScript(const KeyScript& script)
{
    headless.script = script;
    headless.scripted = true;
}

int headlessFrameCount()
{
    return headless.frameCount;
}

bool headlessWriteRaw(const uint16_t* frame, const char* path)
{
    FILE* file = createFile(path);
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
    return headlessWritePicture(frame, SCREEN_WIDTH, SCREEN_HEIGHT, path);
}

bool headlessWritePicture(const uint16_t* pixels, int width, int height, const char* path)
{
    if (width < 1 || height < 1)
        return false;
    FILE* file = createFile(path);
    if (!file)
        return false;
    const bool encoded = writeScreenPng(file, pixels, width, height);
    if (std::fclose(file) == 0 && encoded)
        return true;
    // No half-written picture stays behind to be taken for a whole one.
    unlinkPath(path);
    return false;
}

void headlessSetButtonSource(HeadlessButtonSource source)
{
    headless.buttonSource = source;
}

void headlessSetFrameObserver(HeadlessFrameObserver observer)
{
    headless.frameObserver = observer;
}
