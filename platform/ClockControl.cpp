// Processor and display clock programming through the register window.
#include "platform/ClockControl.h"

#include "base/ParseNumber.h"
#include "platform/RegisterWindow.h"

namespace {

const uint32_t pllReferenceHz = 7372800;
// The PLL output is (M + 8) * reference / ((P + 2) * 2^S). With P fixed at 1 (a divisor of 3) and
// S at 0, M + 8 = mhz * 3 / 7.3728, rounded down: the clock comes out slightly below the request.
const uint32_t pllDivisor = 3;

void programProcessorClock(int mhz)
{
    uint32_t m = static_cast<uint32_t>(mhz) * 1000000u * pllDivisor / pllReferenceHz;
    uint32_t setting = (((m - 8) << 8) & 0xFF00) | (((pllDivisor - 2) << 2) & 0xFC);
    writeRegister(ClockControl::CPU_PLL_REGISTER, static_cast<uint16_t>(setting));
}

void programDisplayClock(int select, int offset)
{
    // The offset adds to the high byte modulo 256; unsigned arithmetic keeps any offset defined.
    uint32_t base = select == 0 ? 0x5A00u : 0x8900u;
    uint32_t setting = base + static_cast<uint32_t>(offset) * 256u;
    writeRegister(ClockControl::DISPLAY_CLOCK_REGISTER, static_cast<uint16_t>(setting & 0xFFFF));
}

} // namespace

ClockControl::ClockControl() : displayClockSelect_(-1), displayClockOffset_(-1), cpuMHz_(-1) {}

bool ClockControl::setSpeed(const WString::Array& values)
{
    if (values.count() == 1)
        return applySpeed(displayClockSelect_, displayClockOffset_, parseNumber(values[0].text()));
    if (values.count() == 3)
        return applySpeed(parseNumber(values[1].text()), parseNumber(values[2].text()),
                          parseNumber(values[0].text()));
    return false;
}

bool ClockControl::applySpeed(int select, int offset, int mhz)
{
    if (mhz <= 32 || mhz > 320)
        return false;
    if (mhz == cpuMHz_ && select == displayClockSelect_ && offset == displayClockOffset_)
        return true;
    // The processor clock first, then the display clock.
    if (mhz != cpuMHz_)
        programProcessorClock(mhz);
    if (select != displayClockSelect_ || offset != displayClockOffset_)
        programDisplayClock(select, offset);
    displayClockSelect_ = select;
    displayClockOffset_ = offset;
    cpuMHz_ = mhz;
    return true;
}

uint32_t ClockControl::processorClockHz()
{
    uint32_t setting = readRegister(CPU_PLL_REGISTER);
    uint32_t m = (setting >> 8) & 0xFF;
    uint32_t p = (setting >> 2) & 0x3F;
    uint32_t s = setting & 0x3;
    // At most 263 * 7372800, which still fits 32 bits.
    return (m + 8) * pllReferenceHz / ((p + 2) << s);
}
