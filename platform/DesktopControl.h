// Controls of the desktop backend (PlatformDesktop.cpp): the window's scale, and synthetic input
// and a window capture for tests.
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
