// Controls of the web backend (PlatformWeb.cpp): the launcher compiled to WebAssembly for the
// studio in the browser.
//
// Each presented frame is painted into the page's canvas (Module.canvas, 320x240), pixel for
// pixel: each channel widened as the screenshots widen it (platform/ScreenPng.h), fully opaque.
// The page scales the canvas; the frame is never smoothed or changed. The buttons come from the
// keyboard while the canvas has the focus, and from every gamepad the browser knows ("standard"
// mapping: a b x y as A B X Y, the shoulders as L R, back as Select, start as Start, the left
// stick's press as the stick push, the d-pad and the left stick as the joystick). The keys are the
// desktop window's (platform/DesktopControl.h), told apart by the character they produce, the
// keypad by its position; keys are forgotten when the canvas loses the focus. F1, F5 and F12 press
// no button: they are requests, taken by webTakeRequests(), and the browser does not act on them.
//
// The browser cannot be kept waiting: platformSleepMs() returns at once, and the page calls the
// launcher's passes from its animation frames. The menu is never started: returnToMenu() prints
// "Would return to the menu" and returns, as a menu that did not start.
#ifndef TARVO_PLATFORM_WEBCONTROL_H
#define TARVO_PLATFORM_WEBCONTROL_H

#include "platform/KeyScript.h"
#include "platform/Platform.h"

#include <stdint.h>

// The keys that are not the handheld's; each press adds its request, which stays until taken.
enum WebRequest {
    WEB_TOGGLE_OVERLAY = 1, // F1
    WEB_RELOAD = 2,         // F5
    WEB_SCREENSHOT = 4      // F12
};
unsigned webTakeRequests();

// From now on readButtons() plays script from its start, and time is virtual as on the headless
// backend (platform/HeadlessControl.h), from 0: a script gives here the frames it gives there.
// The keyboard and gamepads are not read meanwhile. Once the script is used up, readButtons()
// finds nothing held and webScriptPlaying() turns false; webStopScript() goes back to the
// keyboard, the gamepads and the browser's clock.
void webPlayScript(const KeyScript& script);
bool webScriptPlaying();
void webStopScript();

// Called with each presented frame (RGB565, SCREEN_PIXELS) while set; null removes it.
typedef void (*WebFrameObserver)(const uint16_t* frame);
void webSetFrameObserver(WebFrameObserver observer);

// The frame on show (the one presentFrame() showed last).
const uint16_t* webShownFrame();

#endif
