// Controls of the desktop backend (PlatformDesktop.cpp): the window's scale, its title, the keys
// of a skin author (F1, F5, F12), a layer drawn over the frame in the window only, and synthetic
// input and a window capture for tests.
//
// The window shows the 320x240 frame scaled by a whole factor, pixel for pixel (nearest
// neighbour). readButtons() handles the window's pending events each time it is called, so the
// window stays responsive while the launcher polls. Closing the window returns to the menu
// (returnToMenu(): the named menu program, or a normal exit with status 0); should the menu
// program fail to start, the launcher ends with status 1.
//
// Keyboard                                   Game controller (any that SDL knows)
//   arrows, keypad 8 4 6 2   joystick          d-pad, left stick   joystick
//   keypad 7 9 1 3           diagonals         a b x y             A B X Y
//   A                        A                 left/right shoulder L R
//   B, Return, keypad Enter  B                 start               Start
//   X                        X                 back                Select
//   Y                        Y                 left stick press    stick push
//   L, Page Up               L
//   R, Page Down             R
//   S, Escape                Start
//   Backspace                Select
//   Space, keypad 5          stick push
//   minus, keypad minus      volume down
//   equals, keypad plus      volume up
//   F1, F5, F12              no button: requests taken by desktopTakeRequests()
// A keypad diagonal sets both neighbouring directions, as a lone diagonal reads on the handheld.
// The keys are told apart by what they produce (SDL key codes), so the letters follow the
// keyboard's layout. Keys are forgotten when the window loses the focus.
#ifndef TARVO_PLATFORM_DESKTOPCONTROL_H
#define TARVO_PLATFORM_DESKTOPCONTROL_H

#include <stdint.h>
#include <vector>

// The whole factor for the next platformInit(); 0 (the default) takes the largest that fits the
// display's usable area, at least 1.
void desktopSetScale(int factor);

// The factor of the open window; 0 while there is none.
int desktopScale();
// The open window's id; 0 while there is none. Shutting the platform down for a program that then
// fails to start leaves the window, and so its id, as they were.
uint32_t desktopWindowId();
// Closes the window (the next platformInit() opens a new one at the scale then set); the frame
// stays in memory. For tests, which open windows one after another.
void desktopCloseWindow();

// The keys that are not the handheld's: each press (not its repeats) adds its request, which
// stays until taken. What they do is the front-end's (frontends/desktop/Studio.h).
enum DesktopRequest {
    DESKTOP_TOGGLE_OVERLAY = 1, // F1
    DESKTOP_RELOAD = 2,         // F5
    DESKTOP_SCREENSHOT = 4      // F12
};
// The requests of the presses since the last call, as DesktopRequest bits; 0 for none.
unsigned desktopTakeRequests();

// A 320x240 layer of 0xAARRGGBB pixels, row by row, blended over the frame in the window only:
// the launcher's frame and the screenshots never hold it. Copied; null takes it away. The window
// is drawn again at once. Forgotten when the window closes.
void desktopSetOverlay(const uint32_t* pixels);

// The window's title, now and whenever the window opens again.
void desktopSetTitle(const char* title);
const char* desktopTitle();

// The frame on show (the one presentFrame() showed last), SCREEN_WIDTH x SCREEN_HEIGHT RGB565.
const uint16_t* desktopShownFrame();

// Synthetic input for tests: each event goes through SDL's event queue and is read by the next
// readButtons() like real input. Names are SDL's: key names such as "Left", "Return", "B",
// "Keypad 7"; controller button names such as "a", "dpup", "leftshoulder", "start", "back".
// False for an unknown name or when there is no window.
bool desktopPushKey(const char* keyName, bool pressed);
bool desktopPushControllerButton(const char* buttonName, bool pressed);
bool desktopPushWindowClose();

// What the window shows now, as 0xRRGGBB pixels row by row; false when there is no window or the
// renderer cannot read back.
bool desktopCaptureWindow(std::vector<uint32_t>* pixels, int* width, int* height);

#endif
