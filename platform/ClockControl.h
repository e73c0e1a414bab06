// ClockControl: sets the GP2X's processor clock, and optionally its display clock, from a speed
// setting such as the values of SPEED_MENU.
#ifndef TARVO_PLATFORM_CLOCKCONTROL_H
#define TARVO_PLATFORM_CLOCKCONTROL_H

#include "base/WString.h"

#include <stdint.h>

// Remembers the last setting it applied, because the main loop re-applies SPEED_MENU after every
// frame: a repeated setting costs three comparisons and writes no register. Registers are written
// through the shared register window (platform/RegisterWindow.h), which is plain memory until the
// GP2X binding maps the hardware, so calling it before platformInit() or after platformShutdown()
// is harmless.
class ClockControl {
public:
    // Every remembered value -1 (not set); touches no register.
    ClockControl();

    // One value (MHz) or three (MHz, display clock select, display clock offset), each read by
    // parseNumber (base/ParseNumber.h). A single value keeps the remembered display clock fields.
    // Any other count is rejected: false, nothing written.
    bool setSpeed(const WString::Array& values);

    // False, with nothing written and nothing remembered, unless 33 <= mhz <= 320. Otherwise
    // programs the processor clock when mhz changed and then the display clock when select or
    // offset changed, and remembers the three values.
    bool applySpeed(int select, int offset, int mhz);

    int displayClockSelect() const { return displayClockSelect_; }
    int displayClockOffset() const { return displayClockOffset_; }
    int cpuMHz() const { return cpuMHz_; }

    // The processor clock the PLL register now produces, in Hz: (M + 8) * 7372800 / ((P + 2) *
    // 2^S).
    static uint32_t processorClockHz();

    // Register offsets within the window.
    enum { CPU_PLL_REGISTER = 0x0910, DISPLAY_CLOCK_REGISTER = 0x0924 };

private:
    int displayClockSelect_;
    int displayClockOffset_;
    int cpuMHz_;
};

#endif
