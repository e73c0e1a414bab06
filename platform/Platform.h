// The platform layer's whole contract: one frame, the buttons, start-up, shut-down and the
// hand-over to the handheld's menu. One backend implements it per build (PlatformGp2x.cpp on the
// handheld, PlatformDesktop.cpp in a window, PlatformHeadless.cpp in memory); the rest of the
// launcher never sees which.
#ifndef TARVO_PLATFORM_PLATFORM_H
#define TARVO_PLATFORM_PLATFORM_H

#include <stdint.h>

// Fixed frame geometry: RGB565, 320 pixels a line, lines without gaps. Pixel (x, y) is
// backBuffer[y * SCREEN_WIDTH + x].
enum {
    SCREEN_WIDTH = 320,
    SCREEN_HEIGHT = 240,
    SCREEN_PIXELS = SCREEN_WIDTH * SCREEN_HEIGHT,
    SCREEN_BYTES = SCREEN_PIXELS * 2
};

// The button state: a set bit means held at the moment of reading. Bits 16 to 31 carry the GP2X's
// GPIO port D lines; only the three named below have a button meaning.
typedef uint32_t ButtonMask;

enum {
    BUTTON_UP = 0x1,
    BUTTON_UP_LEFT = 0x2,
    BUTTON_LEFT = 0x4,
    BUTTON_DOWN_LEFT = 0x8,
    BUTTON_DOWN = 0x10,
    BUTTON_DOWN_RIGHT = 0x20,
    BUTTON_RIGHT = 0x40,
    BUTTON_UP_RIGHT = 0x80,
    BUTTON_START = 0x100,
    BUTTON_SELECT = 0x200,
    BUTTON_L = 0x400,
    BUTTON_R = 0x800,
    BUTTON_A = 0x1000,
    BUTTON_B = 0x2000,
    BUTTON_X = 0x4000,
    BUTTON_Y = 0x8000,
    BUTTON_VOLUME_DOWN = 0x400000,
    BUTTON_VOLUME_UP = 0x800000,
    BUTTON_STICK_PUSH = 0x8000000
};

// The frame being drawn. It never points at the frame on show, and it moves on every
// presentFrame(): its content is then undefined, so callers redraw the whole frame.
extern uint16_t* backBuffer;

// Opens the display and the buttons, puts the display into bitsPerPixel (16 for the launcher),
// clears both buffers and leaves backBuffer on a cleared buffer that is not shown. ticksPerSecond
// sets the timer scale; the sound arguments are accepted and ignored. A display that cannot be
// opened ends the program with one line on standard error naming the device and the reason; the
// launcher plays no sound, so missing sound devices do not stop it.
// May be called again after platformShutdown() to bring the display and buttons back.
void platformInit(int ticksPerSecond, int bitsPerPixel, int soundRate, int soundBits);

// Shows the frame just drawn into backBuffer and moves backBuffer to another buffer.
void presentFrame();

// The buttons held at this instant: no buffering, debouncing or repeat. Every backend returns the
// mask through foldLoneDiagonal().
ButtonMask readButtons();

// A diagonal switch that is the only joystick line held reads as its two neighbouring directions
// (up-left alone as up and left), so that consumers testing only the four main directions still
// see it. A diagonal together with any other joystick line is left as it is, and so are the
// other buttons.
inline ButtonMask foldLoneDiagonal(ButtonMask buttons)
{
    const ButtonMask rest = buttons & ~static_cast<ButtonMask>(0xFF);
    switch (buttons & 0xFF) {
    case BUTTON_UP_LEFT:
        return rest | BUTTON_UP | BUTTON_LEFT;
    case BUTTON_DOWN_LEFT:
        return rest | BUTTON_DOWN | BUTTON_LEFT;
    case BUTTON_DOWN_RIGHT:
        return rest | BUTTON_DOWN | BUTTON_RIGHT;
    case BUTTON_UP_RIGHT:
        return rest | BUTTON_UP | BUTTON_RIGHT;
    default:
        return buttons;
    }
}

// The main loop's idle wait. On the headless backend time is virtual and this costs nothing.
void platformSleepMs(int milliseconds);

// A clock in milliseconds from an arbitrary start, wrapping at 2^32: compare two readings by
// their difference. On the headless backend it is virtual, moved on only by platformSleepMs, so a
// script's idle polls are its milliseconds.
uint32_t platformMilliseconds();

// Puts the display back the way the handheld's menu expects it, flushes every standard stream
// and closes the devices. Standard input, output and error stay open for the program that
// replaces the launcher. backBuffer stays writable, and the clock registers stay reachable.
void platformShutdown();

// platformShutdown(), then replaces the launcher with the handheld's menu program (on a computer:
// the program named for it, or a normal exit with status 0 when none is). Returns only when the
// menu program could not be started; the platform is then shut down.
void returnToMenu();

#endif
