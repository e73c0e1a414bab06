// The system-on-chip register window that the GP2X binding and ClockControl share.
#ifndef TARVO_PLATFORM_REGISTERWINDOW_H
#define TARVO_PLATFORM_REGISTERWINDOW_H

#include <stdint.h>

// The window covers 64 KB: registers are 16 bits wide and addressed by their byte offset from
// physical 0xC0000000. Until the GP2X binding maps the real registers, and on every computer
// backend, the window is plain memory of the same size, so clock settings have a harmless effect
// that tests can read back.
enum { REGISTER_WINDOW_BYTES = 0x10000 };

volatile uint16_t* registerWindow();

// window must cover REGISTER_WINDOW_BYTES; null goes back to the plain memory.
void setRegisterWindow(volatile uint16_t* window);

uint16_t readRegister(uint32_t offset);
void writeRegister(uint32_t offset, uint16_t value);

#endif
