// Controls of the headless backend (PlatformHeadless.cpp): scripted buttons, virtual time and
// the frames it writes. The headless front-end and the tests drive the launcher through these.
//
// The model
// ---------
// The frame is two buffers in memory. Time is virtual: it starts at 0 (at process start and at
// headlessReset()) and moves only when platformSleepMs() is called (the main loop's idle wait),
// so a run takes no real time and gives the same result on every machine. Time and the frame
// count go on across platformShutdown() and a new platformInit(). The buttons follow a script of
// steps, each saying which buttons are held from a moment of virtual time on; readButtons()
// returns the state of the last step whose moment has come (nothing held before the first). A
// "quit" step hands over to the menu (returnToMenu()) when its moment comes, which ends a run that
// names no menu program with status 0. Every presented frame can be written out as a PNG file
// and as raw RGB565.
//
// Script text
// -----------
// One step a line; blank lines and lines starting with '#' are ignored.
//     TIME BUTTONS
// TIME is milliseconds of virtual time, absolute ("250"), or after the previous step ("+250").
// Moments may not go backwards. BUTTONS is "none", "quit", a number (decimal or 0x hexadecimal,
// the ButtonMask itself), or button names joined by '+' (case-insensitive):
//     up down left right up-left up-right down-left down-right
//     a b x y l r start select push (the stick) vol-up vol-down
// Example: "0 none", "+100 down", "+50 none", "+100 b", "+100 start+select".
//
// Frame files
// -----------
// With an output folder set, the n-th frame presented (n from 1, counted since process start or
// headlessReset(); platformInit() presents nothing) is written as FOLDER/frame-NNNNN.png
// (8-bit RGB, each 5- or 6-bit channel widened by repeating its top bits, so 0xFFFF is white)
// and/or FOLDER/frame-NNNNN.rgb565 (153,600 bytes: each pixel low byte first, rows top down).
#ifndef TARVO_PLATFORM_HEADLESSCONTROL_H
#define TARVO_PLATFORM_HEADLESSCONTROL_H

#include "platform/Platform.h"

#include <stdint.h>
#include <string>

enum HeadlessFrameFormat {
    HEADLESS_NO_FRAMES = 0,
    HEADLESS_PNG = 1,
    HEADLESS_RAW = 2
};

// Back to the state of a fresh process: no script, time 0, no frames counted, no output, no time
// limit. The buffers are not touched.
void headlessReset();

// Replaces the script. On an error returns false, leaves the script as it was and, when error is
// given, says which line is wrong and why.
bool headlessSetScript(const std::string& text, std::string* error);
bool headlessLoadScriptFile(const char* path, std::string* error);

// Appends steps; moments before the last step's are taken as the last step's.
void headlessAddStep(uint32_t atMs, ButtonMask buttons);
void headlessAddQuit(uint32_t atMs);

// Virtual milliseconds since process start or headlessReset().
uint32_t headlessNowMs();

// True once the last step of the script has come (always for an empty script).
bool headlessScriptFinished();

// A safety net for scripts that never quit: once virtual time passes limitMs the next
// readButtons() hands over to the menu as a "quit" step would. 0 (the default) means no limit.
void headlessSetTimeLimit(uint32_t limitMs);

// formats is a combination of HeadlessFrameFormat; a null folder or no format writes nothing.
// The folder must exist. A frame that cannot be written is reported on standard error once per
// frame and the run goes on.
void headlessSetFrameOutput(const char* folder, unsigned formats);

// Frames presented since process start or headlessReset().
int headlessFrameCount();

// The frame on show: the one last presented.
const uint16_t* headlessShownFrame();

// Write any 320x240 RGB565 frame; false when the file cannot be written.
bool headlessWritePng(const uint16_t* frame, const char* path);
bool headlessWriteRaw(const uint16_t* frame, const char* path);

// Hooks for a front-end that drives the buttons or names the frame files its own way. A button
// source, when set, answers every readButtons() in place of the script (the time limit still
// applies first); it may end the process. A frame observer, when set, is called with each
// presented frame and its number (from 1, as headlessFrameCount() counts) after the backend's own
// frame files are written. Null removes either; headlessReset() removes both.
typedef ButtonMask (*HeadlessButtonSource)();
typedef void (*HeadlessFrameObserver)(const uint16_t* frame, int number);
void headlessSetButtonSource(HeadlessButtonSource source);
void headlessSetFrameObserver(HeadlessFrameObserver observer);

#endif
