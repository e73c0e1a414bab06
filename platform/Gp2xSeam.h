// Where the GP2X binding finds its devices, memory and menu program; tests point it elsewhere so
// that the binding itself runs on a computer and under qemu.
//
// The handheld never calls these: by default the devices are /dev/fb0, /dev/fb1, /dev/mem,
// /dev/dsp and /dev/mixer, the register window and the frame buffers are mapped from /dev/mem and
// the two frame-buffer devices, and the menu program is /usr/gp2x/gp2xmenu.
//
// Settings take effect at the next platformInit() (the folders also at the next returnToMenu())
// and stay until changed. A test sets them before platformInit() and never on the real handheld.
#ifndef TARVO_PLATFORM_GP2XSEAM_H
#define TARVO_PLATFORM_GP2XSEAM_H

#include <stdint.h>

// Plain memory standing in for the three mappings. The binding opens its devices all the same
// (from the device folder), but queries and maps none of them, and skips the settling waits
// after the start-up register writes, which only real hardware needs.
struct Gp2xMemory {
    volatile uint16_t* registers; // REGISTER_WINDOW_BYTES (64 KB), the window at 0xC0000000
    uint16_t* frameBuffer0;       // SCREEN_BYTES, the mapping of /dev/fb0
    uint16_t* frameBuffer1;       // SCREEN_BYTES, the mapping of /dev/fb1
    uint32_t physicalAddress0;    // what the frame-buffer query reports for /dev/fb0
    uint32_t physicalAddress1;    // ... and for /dev/fb1
};

// Null (the default) goes back to the real mappings. The memory is not copied: it must outlive
// every use of the platform layer. A mapping made earlier in the process is kept and reused by
// later platformInit() calls only while the same memory setting is in force.
void gp2xUseMemory(const Gp2xMemory* memory);

// The folder holding fb0, fb1, mem, dsp and mixer (the last two may be missing); "/dev/" by
// default. A null or empty folder
// restores the default. The text is copied.
void gp2xSetDeviceFolder(const char* folder);

// The folder holding the menu program "gp2xmenu"; "/usr/gp2x" by default. The text is copied.
void gp2xSetMenuFolder(const char* folder);

#endif
