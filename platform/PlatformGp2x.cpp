// The GP2X binding of the platform layer: page flipping between the frame buffers of /dev/fb0 and
// /dev/fb1, the buttons read from the GPIO registers, and the hand-over to /usr/gp2x/gp2xmenu.
// Everything goes through the system-on-chip registers mapped from /dev/mem.
//
// The register window lies at physical 0xC0000000, which a 32-bit signed off_t cannot hold.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include "base/Check.h"
#include "platform/Files.h"
#include "platform/Gp2xSeam.h"
#include "platform/Platform.h"
#include "platform/RegisterWindow.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/fb.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/time.h>
#include <sys/types.h>
#include <unistd.h>

uint16_t* backBuffer = 0;

namespace {

// Register offsets (bytes from physical 0xC0000000).
enum {
    GPIO_C_LEVELS = 0x1184, // Start, Select, L, R, A, B, X, Y on lines 8 to 15; 0 = held
    GPIO_D_LEVELS = 0x1186, // volume and stick push among lines 0 to 15; 0 = held
    GPIO_M_LEVELS = 0x1198, // the eight joystick switches on lines 0 to 7; 0 = closed
    RGB_LAYER_CONTROL = 0x28DA,
    RGB_LAYER_WIDTH = 0x290C,
    RGB_ODD_ADDRESS_LOW = 0x290E,
    RGB_ODD_ADDRESS_HIGH = 0x2910,
    RGB_EVEN_ADDRESS_LOW = 0x2912,
    RGB_EVEN_ADDRESS_HIGH = 0x2914,
    STARTUP_REGISTER_1 = 0x0F16,
    STARTUP_REGISTER_2 = 0x0F58
};

const off_t upperMemoryPhysical = 0x03000000;
const size_t upperMemoryBytes = 0x1000000;
const off_t registerWindowPhysical = static_cast<off_t>(0xC0000000UL);
const uint32_t timerCountsPerSecond = 7372800;

// The device slots: 0 to 4 are opened, 5 to 7 are spare.
enum { FB0, FB1, MEM, DSP, MIXER, OPENED_DEVICES, DEVICE_SLOTS = 8 };
const char* const deviceNames[OPENED_DEVICES] = {"fb0", "fb1", "mem", "dsp", "mixer"};
const int deviceModes[OPENED_DEVICES] = {O_RDWR, O_RDWR, O_RDWR, O_WRONLY, O_RDWR};

const char defaultDeviceFolder[] = "/dev/";
const char defaultMenuFolder[] = "/usr/gp2x";
const char menuProgram[] = "gp2xmenu";

struct Gp2xState {
    Gp2xState();

    // -1 while closed. (0 is a real descriptor: standard input, or a device when the launcher was
    // started with standard input closed.)
    int devices[DEVICE_SLOTS];

    // The real mappings, made once and kept for the life of the process: ClockControl still
    // writes through the register window after shutdown, and a later platformInit() reuses them.
    volatile uint16_t* mappedRegisters;
    void* mappedUpperMemory;
    uint16_t* mappedFrameBuffers[2];
    uint32_t mappedPhysical[2];

    // What this run uses: the real mappings or the test's memory.
    const Gp2xMemory* memory;
    uint16_t* frameBuffers[2];
    uint32_t frameBufferPhysical[2];

    uint16_t* slotAddress[4];
    uint32_t slotPhysical[4];
    int currentSlot;
    int timerScale;
    // The identification line is printed at the first start only, not each time the platform
    // comes back after a program or the menu could not be started.
    bool identified;

    char* deviceFolder;
    char* menuFolder;
};

Gp2xState::Gp2xState()
    : mappedRegisters(0), mappedUpperMemory(0), memory(0), currentSlot(0), timerScale(0),
      identified(false), deviceFolder(0), menuFolder(0)
{
    for (int i = 0; i < DEVICE_SLOTS; ++i)
        devices[i] = -1;
    for (int i = 0; i < 2; ++i) {
        mappedFrameBuffers[i] = 0;
        mappedPhysical[i] = 0;
        frameBuffers[i] = 0;
        frameBufferPhysical[i] = 0;
    }
    for (int i = 0; i < 4; ++i) {
        slotAddress[i] = 0;
        slotPhysical[i] = 0;
    }
}

Gp2xState gp2x;

void devicePath(int slot, char* path, size_t size)
{
    const char* folder = gp2x.deviceFolder ? gp2x.deviceFolder : defaultDeviceFolder;
    size_t length = strlen(folder);
    const char* separator = length > 0 && folder[length - 1] == '/' ? "" : "/";
    snprintf(path, size, "%s%s%s", folder, separator, deviceNames[slot]);
}

// The launcher cannot run without its display: say which device failed and why, and stop.
__attribute__((noreturn)) void failDevice(const char* what, int slot)
{
    int error = errno;
    char path[4096];
    devicePath(slot, path, sizeof path);
    fprintf(stderr, "Tarvo: cannot %s %s: %s\n", what, path, strerror(error));
    exit(EXIT_FAILURE);
}

void openDevices()
{
    char path[4096];
    for (int slot = 0; slot < OPENED_DEVICES; ++slot) {
        if (gp2x.devices[slot] >= 0)
            continue;
        devicePath(slot, path, sizeof path);
        int fd = open(path, deviceModes[slot]);
        // The launcher plays no sound: without its sound devices it runs all the same.
        if (fd < 0 && (slot == DSP || slot == MIXER))
            continue;
        if (fd < 0)
            failDevice("open", slot);
        // A launched program has no business with /dev/mem.
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        gp2x.devices[slot] = fd;
    }
}

void* mapDevice(int slot, size_t bytes, off_t offset)
{
    void* address = mmap(0, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, gp2x.devices[slot], offset);
    if (address == MAP_FAILED)
        failDevice("map", slot);
    return address;
}

void mapFrameBuffer(int index)
{
    int slot = index == 0 ? FB0 : FB1;
    struct fb_fix_screeninfo info;
    memset(&info, 0, sizeof info);
    if (ioctl(gp2x.devices[slot], FBIOGET_FSCREENINFO, &info) != 0)
        failDevice("query", slot);
    gp2x.mappedFrameBuffers[index] = static_cast<uint16_t*>(mapDevice(slot, SCREEN_BYTES, 0));
    gp2x.mappedPhysical[index] = static_cast<uint32_t>(info.smem_start);
}

// Everything is acquired before the first register write, so a missing device leaves the
// hardware untouched.
void acquireMemory()
{
    if (gp2x.memory) {
        setRegisterWindow(gp2x.memory->registers);
        gp2x.frameBuffers[0] = gp2x.memory->frameBuffer0;
        gp2x.frameBuffers[1] = gp2x.memory->frameBuffer1;
        gp2x.frameBufferPhysical[0] = gp2x.memory->physicalAddress0;
        gp2x.frameBufferPhysical[1] = gp2x.memory->physicalAddress1;
        return;
    }
    if (!gp2x.mappedRegisters) {
        gp2x.mappedUpperMemory = mapDevice(MEM, upperMemoryBytes, upperMemoryPhysical);
        gp2x.mappedRegisters = static_cast<volatile uint16_t*>(
            mapDevice(MEM, REGISTER_WINDOW_BYTES, registerWindowPhysical));
    }
    for (int i = 0; i < 2; ++i) {
        if (!gp2x.mappedFrameBuffers[i])
            mapFrameBuffer(i);
    }
    setRegisterWindow(gp2x.mappedRegisters);
    for (int i = 0; i < 2; ++i) {
        gp2x.frameBuffers[i] = gp2x.mappedFrameBuffers[i];
        gp2x.frameBufferPhysical[i] = gp2x.mappedPhysical[i];
    }
}

void settle()
{
    if (!gp2x.memory)
        usleep(100000);
}

void restoreMenuDisplayMode()
{
    writeRegister(RGB_LAYER_CONTROL, 0x4AB);
    writeRegister(RGB_LAYER_WIDTH, 640);
}

} // namespace

void gp2xUseMemory(const Gp2xMemory* memory)
{
    gp2x.memory = memory;
}

void gp2xSetDeviceFolder(const char* folder)
{
    free(gp2x.deviceFolder);
    gp2x.deviceFolder = copyText(folder);
}

void gp2xSetMenuFolder(const char* folder)
{
    free(gp2x.menuFolder);
    gp2x.menuFolder = copyText(folder);
}

void platformInit(int ticksPerSecond, int bitsPerPixel, int soundRate, int soundBits)
{
    (void)soundRate;
    (void)soundBits;
    gp2x.timerScale =
        static_cast<int>(timerCountsPerSecond / (ticksPerSecond > 0 ? ticksPerSecond : 1));

    openDevices();
    acquireMemory();

    if (!gp2x.identified)
        puts("Tarvo platform layer: GP2X binding 0.4");
    gp2x.identified = true;
    writeRegister(STARTUP_REGISTER_1, 0x830A);
    settle();
    writeRegister(STARTUP_REGISTER_2, 0x100C);
    settle();

    // Slots 0 and 2 are /dev/fb0's buffer and 1 and 3 /dev/fb1's, so cycling through the four
    // alternates between the devices.
    for (int slot = 0; slot < 4; ++slot) {
        gp2x.slotAddress[slot] = gp2x.frameBuffers[slot & 1];
        gp2x.slotPhysical[slot] = gp2x.frameBufferPhysical[slot & 1];
    }
    gp2x.currentSlot = 0;
    backBuffer = gp2x.slotAddress[2];

    int bytesPerPixel = (bitsPerPixel + 1) / 8;
    writeRegister(RGB_LAYER_CONTROL, static_cast<uint16_t>(bytesPerPixel * 512 + 0xAB));
    writeRegister(RGB_LAYER_WIDTH, static_cast<uint16_t>(bytesPerPixel * 320));

    // Two cleared presents: /dev/fb1's cleared buffer is shown and backBuffer is /dev/fb0's.
    memset(backBuffer, 0, SCREEN_BYTES);
    presentFrame();
    memset(backBuffer, 0, SCREEN_BYTES);
    presentFrame();

    if (bitsPerPixel == 8) {
        // An 8-bit frame is half the size: slots 2 and 3 use the upper halves, giving four
        // distinct buffers.
        const uint32_t halfFrame = SCREEN_BYTES / 2;
        for (int slot = 2; slot < 4; ++slot) {
            gp2x.slotAddress[slot] += halfFrame / 2;
            gp2x.slotPhysical[slot] += halfFrame;
        }
        // backBuffer must follow its slot, or the next present would show a buffer nobody drew.
        backBuffer = gp2x.slotAddress[gp2x.currentSlot];
    }
}

void presentFrame()
{
    // Presenting before platformInit() is a programming error: there is no buffer yet.
    TARVO_CHECK(gp2x.slotAddress[0] != 0);
    uint32_t shown = gp2x.slotPhysical[gp2x.currentSlot];
    gp2x.currentSlot = (gp2x.currentSlot + 1) & 3;
    backBuffer = gp2x.slotAddress[gp2x.currentSlot];
    // The display controller takes the address in two halves, for odd and for even fields.
    writeRegister(RGB_ODD_ADDRESS_LOW, static_cast<uint16_t>(shown & 0xFFFF));
    writeRegister(RGB_ODD_ADDRESS_HIGH, static_cast<uint16_t>(shown >> 16));
    writeRegister(RGB_EVEN_ADDRESS_LOW, static_cast<uint16_t>(shown & 0xFFFF));
    writeRegister(RGB_EVEN_ADDRESS_HIGH, static_cast<uint16_t>(shown >> 16));
}

ButtonMask readButtons()
{
    uint32_t levels = (readRegister(GPIO_C_LEVELS) & 0xFF00u) |
        (readRegister(GPIO_M_LEVELS) & 0xFFu) |
        (static_cast<uint32_t>(readRegister(GPIO_D_LEVELS)) << 16);
    return foldLoneDiagonal(~levels);
}

void platformSleepMs(int milliseconds)
{
    if (milliseconds > 0)
        usleep(static_cast<useconds_t>(milliseconds) * 1000u);
}

uint32_t platformMilliseconds()
{
    struct timeval now;
    if (gettimeofday(&now, 0) != 0)
        return 0;
    return static_cast<uint32_t>(now.tv_sec) * 1000u + static_cast<uint32_t>(now.tv_usec / 1000);
}

void platformShutdown()
{
    restoreMenuDisplayMode();
    for (int slot = 0; slot < DEVICE_SLOTS; ++slot) {
        if (gp2x.devices[slot] >= 0) {
            close(gp2x.devices[slot]);
            gp2x.devices[slot] = -1;
        }
    }
    // Standard input, output and error stay open: a program started with them closed would take
    // its first opened files for them and write its messages into those files.
    fflush(0);
}

void returnToMenu()
{
    platformShutdown();
    const char* folder = gp2x.menuFolder ? gp2x.menuFolder : defaultMenuFolder;
    // Without its folder, "gp2xmenu" would name whatever lies in the launcher's own directory.
    SavedWorkingFolder home;
    if (chdir(folder) == 0) {
        execl(menuProgram, menuProgram, static_cast<char*>(0));
        // The menu did not start: the launcher goes on, from its own directory when it can.
        home.restore();
    }
}
