// The battery device as a stream of 16-bit little-endian readings.
#include "platform/BatteryReader.h"

#include "platform/Files.h"

#include <stdlib.h>

BatteryReader::BatteryReader(const char* devicePath) : path(copyText(devicePath)), file(0)
{
    open();
}

BatteryReader::~BatteryReader()
{
    close();
    free(path);
}

bool BatteryReader::open()
{
    if (!file && path)
        file = openFile(path, "rb");
    return file != 0;
}

void BatteryReader::close()
{
    if (file) {
        fclose(file);
        file = 0;
    }
}

int BatteryReader::read()
{
    if (!file || feof(file))
        return -1;
    int low = fgetc(file);
    if (low == EOF)
        return -1;
    int high = fgetc(file);
    // The device delivers whole pairs; a lone low byte at the end is no reading.
    if (high == EOF)
        return -1;
    return low + high * 256;
}
