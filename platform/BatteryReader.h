// BatteryReader: the raw battery figure that page texts show in place of %battery%.
#ifndef TARVO_PLATFORM_BATTERYREADER_H
#define TARVO_PLATFORM_BATTERYREADER_H

#include <stdio.h>

// Reads a stream of 16-bit readings, low byte first, from a device ("/dev/batt" on the handheld;
// any file on a computer). The device is opened at construction and closed before the launcher
// replaces itself; open() brings it back when a launch fails. Failures are silent: every reading
// is then -1.
class BatteryReader {
public:
    // The path is copied. Opening it may fail; reads then give -1.
    explicit BatteryReader(const char* devicePath = "/dev/batt");
    ~BatteryReader();

    // The next reading, 0 to 65535, or -1 when the device is closed, missing or at its end
    // (including a stream that ends between the two bytes of a reading).
    int read();

    // Closing twice is harmless.
    void close();

    // Reopens the device after close(); does nothing while it is open. True when it is open.
    bool open();

    bool isOpen() const { return file != 0; }

private:
    BatteryReader(const BatteryReader&);
    BatteryReader& operator=(const BatteryReader&);

    char* path;
    FILE* file;
};

#endif
