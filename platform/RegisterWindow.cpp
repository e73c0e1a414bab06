// The shared register window: the real mapping on the handheld, plain memory elsewhere.
#include "platform/RegisterWindow.h"

#include "base/Check.h"

namespace {

uint16_t plainRegisters[REGISTER_WINDOW_BYTES / 2];
volatile uint16_t* window = plainRegisters;

} // namespace

volatile uint16_t* registerWindow()
{
    return window;
}

void setRegisterWindow(volatile uint16_t* newWindow)
{
    window = newWindow ? newWindow : plainRegisters;
}

uint16_t readRegister(uint32_t offset)
{
    // Offsets are the program's own constants; an odd or outside one would touch the wrong device.
    TARVO_CHECK(offset < REGISTER_WINDOW_BYTES && (offset & 1) == 0);
    return window[offset >> 1];
}

void writeRegister(uint32_t offset, uint16_t value)
{
    TARVO_CHECK(offset < REGISTER_WINDOW_BYTES && (offset & 1) == 0);
    window[offset >> 1] = value;
}
