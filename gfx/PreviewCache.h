// PreviewCache: the pictures that preview elements show beside file lists, by file name, held
// within a bound of bytes and entries, the least recently used going first.
#ifndef TARVO_GFX_PREVIEWCACHE_H
#define TARVO_GFX_PREVIEWCACHE_H

#include "base/WString.h"

#include <stdint.h>

class ClockControl;
class DLImage;
class VariableStore;

// Unlike the image cache, which keeps the skin's pictures for the whole run, this one keeps only
// a few: a list of a thousand games has a thousand pictures, and the handheld has 64 MiB.
//
// Memory rules: the cache owns its pictures. At most MAX_ENTRIES names are held, and the decoded
// pixels and opacity planes of the pictures held take at most MAX_BYTES together; a name that did
// not load is held too (as missing, taking no bytes), so that it is not tried again on every
// frame. Making room deletes the entries used least recently. While a decode runs, the picture
// being decoded comes on top of the bound. Callers never hold a picture: they hold a Ticket and
// ask for the picture when they draw, so an entry can go at any load without leaving anything
// dangling.
//
// Names are compared byte for byte: with so few pictures held, another spelling of one costs a
// decode at most, never memory beyond the bound.
class PreviewCache {
public:
    enum { MAX_ENTRIES = 16, MAX_BYTES = 2 * 1024 * 1024 };

    // An entry as it was when load() gave it; it goes stale when the entry is deleted.
    struct Ticket {
        int32_t slot;
        uint32_t serial;
        Ticket() : slot(-1), serial(0) {}
    };

    // The variable store supplies SPEED_LOADING, the clock applies it; both must outlive the
    // cache.
    PreviewCache(const VariableStore& variables, ClockControl& clock);
    ~PreviewCache();

    // The entry of fileName: the one held, or a new one. For a name not held, the processor is
    // switched to SPEED_LOADING (when that variable exists) and the file is decoded with an
    // opacity plane where it has one; a file that does not decode, and a picture larger than
    // MAX_BYTES, are entered as missing. Nothing is printed: a list's missing previews are
    // ordinary. A null name gives a stale ticket.
    Ticket load(const char* fileName);

    // The picture of the entry, marked as just used; null when the entry is missing or has gone
    // since (stale). Never decodes.
    const DLImage* picture(const Ticket& ticket);
    // Whether the entry is still held (as a picture or as missing).
    bool holds(const Ticket& ticket) const;

    int count() const;
    // The bytes of the pictures held.
    uint32_t bytes() const;
    // The files read (decoded, or tried and found missing) since the cache was made.
    uint32_t decodes() const { return decodeCount; }

    // Deletes every entry: every ticket goes stale.
    void clear();

private:
    PreviewCache(const PreviewCache&);
    PreviewCache& operator=(const PreviewCache&);

    struct Entry {
        WString name;
        DLImage* image;
        uint32_t bytes;
        uint32_t lastUse;
        uint32_t serial;
        bool used;
    };

    void remove(int slot);
    // An empty slot, after deleting the least recently used entries until bytes more fit.
    int makeRoom(uint32_t bytes);

    Entry entries[MAX_ENTRIES];
    uint32_t heldBytes;
    uint32_t useClock;
    uint32_t decodeCount;
    const VariableStore& variables;
    ClockControl& clock;
};

#endif
