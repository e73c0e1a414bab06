// The six objects that live for the whole run of the launcher, shared by every part of it.
#ifndef TARVO_CORE_PROCESSOBJECTS_H
#define TARVO_CORE_PROCESSOBJECTS_H

#include "config/VariableStore.h"
#include "gfx/BitmapFont.h"
#include "gfx/ImageCache.h"
#include "gfx/PreviewCache.h"
#include "platform/BatteryReader.h"
#include "platform/ClockControl.h"

// They are constructed before main() runs, in the order below, all in one translation unit so
// that the order holds: the battery reader first (it opens "/dev/batt" at once), then the font,
// the image cache, the preview cache, the clock controller and the variable store. A normal exit
// destroys them in the reverse order (the variable store first, the battery reader last). Replacing
// the process with another program skips that; the launch closes the battery device itself.
//
// The image and preview caches hold references to the clock controller and the variable store,
// which are constructed after them: they only keep the references until they load a picture,
// long after main() has begun.
extern BatteryReader batteryReader;
extern BitmapFont font;
extern ImageCache imageCache;
extern PreviewCache previewCache;
extern ClockControl clockControl;
extern VariableStore variableStore;

// For computer front-ends: reads the battery figure from another file than "/dev/batt". The
// reader keeps its place among the process-wide objects (and so its teardown); only its device
// changes. Call it before start-up.
void useBatteryDevice(const char* path);

#endif
