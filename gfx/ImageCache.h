// ImageCache: the skin's pictures by file name, each decoded once, at the loading speed, and
// shared by every page and element that names it.
#ifndef TARVO_GFX_IMAGECACHE_H
#define TARVO_GFX_IMAGECACHE_H

#include "base/WMap.h"
#include "base/WString.h"

class ClockControl;
class DLImage;
class VariableStore;

// Memory rules: the cache owns every image it hands out. Images stay until the cache is
// destroyed (at a normal exit) or cleared, so callers keep the pointers and never release them.
// Only successful loads are kept; a name that failed is tried again on its next request.
//
// Names are compared byte for byte: "a.png" and "./a.png" are two entries and two decodes.
class ImageCache {
public:
    // The variable store supplies SPEED_LOADING, the clock applies it; both must outlive the
    // cache.
    ImageCache(const VariableStore& variables, ClockControl& clock);
    ~ImageCache();

    // The image stored under fileName, whatever depth and wantAlpha this call asks for. On a
    // miss the processor is switched to SPEED_LOADING (when that variable exists) and the file
    // is decoded with DLImage::loadPng(fileName, depth, wantAlpha); a failure prints
    // "Could not load image <name>" and gives null. A null name gives null.
    DLImage* load(const char* fileName, int depth, bool wantAlpha);

    // Number of images held.
    int count() const;

    // Deletes every image held, so that the next request of each name decodes its file again.
    // Every pointer handed out before is dangling afterwards: whoever holds them (the pages)
    // must be gone first.
    void clear();

private:
    ImageCache(const ImageCache&);
    ImageCache& operator=(const ImageCache&);

    WMap<WString, const char*, DLImage*, DLImage*> images;
    const VariableStore& variables;
    ClockControl& clock;
};

#endif
