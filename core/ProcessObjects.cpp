// The definitions of the process-wide objects. Their order here is their order of construction.
#include "core/ProcessObjects.h"

#include <new>

BatteryReader batteryReader;
BitmapFont font;
ImageCache imageCache(variableStore, clockControl);
PreviewCache previewCache(variableStore, clockControl);
ClockControl clockControl;
VariableStore variableStore;

void useBatteryDevice(const char* path)
{
    // The reader cannot change its device, and it cannot be assigned; a fresh reader in the same
    // storage takes the new path while the object, and so its place in the teardown, stays.
    batteryReader.~BatteryReader();
    new (&batteryReader) BatteryReader(path);
}
