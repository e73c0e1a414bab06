// Controls of the headless backend (PlatformHeadless.cpp): where its buttons come from, the frames
// it shows, and writing a frame as a file. tarvo-headless, the tests and the benchmarks drive the
// launcher through these.
//
// The frame is two buffers in memory. Time is virtual: platformSleepMs() costs nothing, so a run
// takes no real time and gives the same result on every machine. readButtons() answers from the
// button source when one is set, else from the script when one is set (KeyScript.h: one poll per
// call), else with nothing held. The poll that finds the script used up ends the process with
// status 0 through exit(), so the launcher's normal teardown runs. The frame count goes on across
// platformShutdown() and a new platformInit(): a failed launch never reuses a frame number.
#ifndef TARVO_PLATFORM_HEADLESSCONTROL_H
#define TARVO_PLATFORM_HEADLESSCONTROL_H

#include "platform/KeyScript.h"
#include "platform/Platform.h"

#include <stdint.h>

// Back to the state of a fresh process: no script, no hooks, no frames counted. The buffers are
// not touched.
void headlessReset();

// From now on readButtons() plays a copy of script, from the poll that script has reached.
void headlessSetScript(const KeyScript& script);

// Frames presented since process start or headlessReset().
int headlessFrameCount();

// Write any 320x240 RGB565 frame; false when the file cannot be written. The PNG is 8-bit RGB,
// each 5- or 6-bit channel widened by repeating its top bits, so 0xFFFF is white; the raw file is
// 153,600 bytes, each pixel low byte first, rows top down.
bool headlessWritePng(const uint16_t* frame, const char* path);
bool headlessWriteRaw(const uint16_t* frame, const char* path);

// The same PNG of a picture of any size (width and height from 1): RGB565 pixels, width a row,
// rows top down. A PNG that could not be written whole is removed.
bool headlessWritePicture(const uint16_t* pixels, int width, int height, const char* path);

// Hooks for a caller that drives the buttons or keeps the frames its own way. A button source,
// when set, answers every readButtons() in place of the script (its lone diagonals folded like the
// script's); it may end the process. A frame
// observer, when set, is called with each presented frame and its number (from 1, as
// headlessFrameCount() counts). Null removes either; headlessReset() removes both.
typedef ButtonMask (*HeadlessButtonSource)();
typedef void (*HeadlessFrameObserver)(const uint16_t* frame, int number);
void headlessSetButtonSource(HeadlessButtonSource source);
void headlessSetFrameObserver(HeadlessFrameObserver observer);

#endif
