// ImageCache: the skin's pictures by file, each decoded once while it is wanted, at the loading
// speed, shared by every page and element that names it, and held within a bound of memory.
#ifndef TARVO_GFX_IMAGECACHE_H
#define TARVO_GFX_IMAGECACHE_H

#include "base/WMap.h"
#include "base/WString.h"

#include <stdint.h>

class ClockControl;
class DLImage;
class VariableStore;

// Memory rules: the cache owns every image it hands out, and each image object stays until the
// cache is destroyed (at a normal exit) or cleared, so callers keep the pointers and never release
// them. Only successful loads are kept; a name that failed is tried again on its next request.
//
// A picture is known by its file, not by its name: "a.png", "./a.png", "x//a.png" and a link to
// it are one entry and one decode. Each request looks the file up (platform/Files.h statPath):
// a name whose file has gone gives nothing, even while the picture is held.
//
// The decoded pixels and opacity planes of all the pictures held take at most MAX_BYTES. A
// picture that would pass the bound makes the cache let go of the pixels of pictures that the
// page on show has not drawn (newFrame() starts a page's drawing), taking turns in the order
// they were first loaded; their image objects stay, with their sizes, and picture() decodes them
// again when a page draws them once more. A picture that cannot fit beside those of the page on
// show is not loaded, said at its path. The bound is checked before decoding, from the size the PNG
// file's header gives, so that a decode does not pass it on its way.
class ImageCache {
public:
    // A 2048 x 2048 picture with an opacity plane, the largest that loads, fits alone; the demo
    // card's pictures take less than 1 MiB in all.
    enum { MAX_BYTES = 12 * 1024 * 1024 };

    // The variable store supplies SPEED_LOADING, the clock applies it; both must outlive the
    // cache.
    ImageCache(const VariableStore& variables, ClockControl& clock);
    ~ImageCache();

    // The entry of fileName, for picture(): the one held for that file, whatever depth and
    // wantAlpha this call asks for, or a new one. For a new one the processor
    // is switched to SPEED_LOADING (when that variable exists) and the file is decoded with
    // DLImage::loadPng(fileName, depth, wantAlpha); a failure prints "Could not load image
    // <name>" and gives -1. A null name gives -1.
    int32_t request(const char* fileName, int depth, bool wantAlpha);

    // The picture of entry slot (from request), ready to draw and marked as drawn for the page
    // on show: its pixels are decoded again (at SPEED_LOADING) when the cache let go of them.
    // Null for -1, or when the picture cannot come back (the file no longer decodes, or the
    // pictures on show leave no room).
    const DLImage* picture(int32_t slot);

    // The image object of entry slot, for its size: its pixels may have been let go. Null for -1.
    DLImage* image(int32_t slot) const;

    // request() and picture() in one: the image ready to draw, or null.
    DLImage* load(const char* fileName, int depth, bool wantAlpha);

    // A page's drawing begins: the pictures it draws from now on are the ones on show.
    void newFrame();

    // Number of pictures known (each file once), whether their pixels are held or not.
    int count() const;
    // The bytes of the pixels and opacity planes held.
    uint32_t bytes() const;
    // The decodes tried (failed ones too) since the cache was made or cleared.
    uint32_t decodes() const { return decodeCount; }

    // Deletes every image held, so that the next request of each name decodes its file again.
    // Every pointer handed out before is dangling afterwards: whoever holds them (the pages)
    // must be gone first.
    void clear();

private:
    ImageCache(const ImageCache&);
    ImageCache& operator=(const ImageCache&);

    struct Entry {
        DLImage* image;
        // The name it was first loaded by, to decode it again from.
        WString path;
        int32_t depth;
        bool wantAlpha;
        // What its pixels take while held; 0 once let go.
        uint32_t bytes;
        // The frame that last drew it.
        uint32_t lastUse;
        // A decode again failed: it is not tried once more.
        bool broken;
    };
    typedef WMap<WString, const char*, int32_t, int32_t> SlotMap;

    // Decodes entry's file into its image when room for it can be made: false, with the image
    // empty, when it cannot. fresh: the first load, said when there is no room.
    bool decode(Entry& entry, bool fresh);
    // Lets go of pictures not drawn in this frame until bytes more fit; false when they do not.
    bool makeRoom(uint32_t bytes);
    void letGo(Entry& entry);
    int32_t add(const char* fileName, int depth, bool wantAlpha);

    Entry** entries;
    int32_t entryCount;
    int32_t entryCapacity;
    // File identities (device, inode, size) to entries.
    SlotMap files;
    uint32_t heldBytes;
    uint32_t frame;
    // Where the search for a picture to let go goes on from.
    int32_t sweep;
    uint32_t decodeCount;
    const VariableStore& variables;
    ClockControl& clock;
};

#endif
