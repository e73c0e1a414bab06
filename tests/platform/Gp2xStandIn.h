// Plain memory and ordinary files standing in for the GP2X's registers, frame buffers and devices.
#ifndef TARVO_TESTS_PLATFORM_GP2XSTANDIN_H
#define TARVO_TESTS_PLATFORM_GP2XSTANDIN_H

#include "TempFolder.h"
#include "platform/Gp2xSeam.h"
#include "platform/Platform.h"
#include "platform/RegisterWindow.h"

#include <vector>

// Hands the binding its stand-ins through the seam for the life of the object; afterwards the
// platform is shut down and the binding back on its defaults. The device folder also serves as
// the menu folder: it holds no gp2xmenu, so the menu cannot start unless a test puts one there or
// names another folder.
class Gp2xStandIn {
public:
    // High and low halves both non-zero and distinct.
    static const uint32_t physical0 = 0x0112A000;
    static const uint32_t physical1 = 0x01FD5000;

    // fill: what the frame buffers hold before platformInit() clears them.
    explicit Gp2xStandIn(uint16_t fill = 0xFFFF)
        : registers(REGISTER_WINDOW_BYTES / 2, 0), frameBuffer0(SCREEN_PIXELS, fill),
          frameBuffer1(SCREEN_PIXELS, fill)
    {
        for (const char* name : {"fb0", "fb1", "mem", "dsp", "mixer"})
            devices.write(name, "");
        memory = {registers.data(), frameBuffer0.data(), frameBuffer1.data(), physical0, physical1};
        gp2xSetDeviceFolder(devices.path().c_str());
        gp2xSetMenuFolder(devices.path().c_str());
        gp2xUseMemory(&memory);
    }
    ~Gp2xStandIn()
    {
        platformShutdown();
        gp2xUseMemory(nullptr);
        gp2xSetDeviceFolder(nullptr);
        gp2xSetMenuFolder(nullptr);
        setRegisterWindow(nullptr);
    }
    Gp2xStandIn(const Gp2xStandIn&) = delete;
    Gp2xStandIn& operator=(const Gp2xStandIn&) = delete;

    bool ok() const { return devices.ok(); }

    uint16_t reg(uint32_t offset) const { return registers[offset / 2]; }
    void setReg(uint32_t offset, uint16_t value) { registers[offset / 2] = value; }

    // The GPIO lines read 0 while their button is held, 1 otherwise; so do the lines of ports C
    // (its low half) and M (its high half) that carry no button, and the binding must not take
    // them for buttons.
    void hold(ButtonMask buttons)
    {
        setReg(0x1184, static_cast<uint16_t>(~buttons | 0x00FF));
        setReg(0x1186, static_cast<uint16_t>(~(buttons >> 16)));
        setReg(0x1198, static_cast<uint16_t>(~buttons | 0xFF00));
    }

    // The address the display controller was last pointed at; ~0 when its two fields disagree.
    uint32_t shownAddress() const
    {
        uint32_t odd = reg(0x290E) | (static_cast<uint32_t>(reg(0x2910)) << 16);
        uint32_t even = reg(0x2912) | (static_cast<uint32_t>(reg(0x2914)) << 16);
        return odd == even ? odd : ~0u;
    }

    TempFolder devices;
    std::vector<uint16_t> registers;
    std::vector<uint16_t> frameBuffer0;
    std::vector<uint16_t> frameBuffer1;
    Gp2xMemory memory = {};
};

#endif
