// PreviewCache: a few pictures by name within a byte bound, the least recently used out first.
#include "gfx/PreviewCache.h"

#include "base/Diagnostics.h"
#include "config/VariableStore.h"
#include "gfx/DLImage.h"
#include "platform/ClockControl.h"

namespace {

// What a decoded picture takes: its 16-bit pixels and, where it has one, its opacity plane.
uint32_t pictureBytes(const DLImage& image)
{
    const uint32_t pixels =
        static_cast<uint32_t>(image.width) * static_cast<uint32_t>(image.height);
    return pixels * 2 + (image.alpha ? pixels : 0);
}

} // namespace

PreviewCache::PreviewCache(const VariableStore& variableStore, ClockControl& clockControl)
    : heldBytes(0), useClock(0), decodeCount(0), variables(variableStore), clock(clockControl)
{
    for (int i = 0; i < MAX_ENTRIES; ++i) {
        entries[i].image = 0;
        entries[i].bytes = 0;
        entries[i].lastUse = 0;
        entries[i].serial = 0;
        entries[i].used = false;
    }
}

PreviewCache::~PreviewCache()
{
    clear();
}

void PreviewCache::clear()
{
    for (int i = 0; i < MAX_ENTRIES; ++i)
        remove(i);
}

void PreviewCache::remove(int slot)
{
    Entry& entry = entries[slot];
    if (!entry.used)
        return;
    delete entry.image;
    entry.image = 0;
    heldBytes -= entry.bytes;
    entry.bytes = 0;
    entry.name.clear();
    entry.used = false;
}

int PreviewCache::makeRoom(uint32_t bytes)
{
    for (;;) {
        int free = -1;
        int oldest = -1;
        for (int i = 0; i < MAX_ENTRIES; ++i) {
            if (!entries[i].used)
                free = free < 0 ? i : free;
            else if (oldest < 0 || entries[i].lastUse < entries[oldest].lastUse)
                oldest = i;
        }
        // bytes never passes MAX_BYTES, so an empty cache always has room.
        if (free >= 0 && heldBytes + bytes <= static_cast<uint32_t>(MAX_BYTES))
            return free;
        remove(oldest);
    }
}

PreviewCache::Ticket PreviewCache::load(const char* fileName)
{
    Ticket ticket;
    if (!fileName)
        return ticket;
    for (int i = 0; i < MAX_ENTRIES; ++i) {
        Entry& entry = entries[i];
        if (entry.used && entry.name == fileName) {
            entry.lastUse = ++useClock;
            ticket.slot = i;
            ticket.serial = entry.serial;
            return ticket;
        }
    }

    // The main loop restores the menu speed after the frame.
    WString::Array speed;
    if (variables.find("SPEED_LOADING", speed))
        clock.setSpeed(speed);
    ++decodeCount;
    DLImage* image = new DLImage;
    uint32_t bytes = 0;
    if (image->loadPng(fileName, 15, true)) {
        bytes = pictureBytes(*image);
        if (bytes > static_cast<uint32_t>(MAX_BYTES)) {
            diagnoseAt(SourcePlace(fileName, 0), DIAGNOSTIC_WARNING,
                       "picture is %dx%d, more than the %d KiB a preview may take: it is not shown",
                       static_cast<int>(image->width), static_cast<int>(image->height),
                       static_cast<int>(MAX_BYTES / 1024));
            bytes = 0;
        }
    }
    if (bytes == 0) {
        delete image;
        image = 0;
    }

    const int slot = makeRoom(bytes);
    Entry& entry = entries[slot];
    entry.name = fileName;
    entry.image = image;
    entry.bytes = bytes;
    entry.lastUse = ++useClock;
    entry.used = true;
    ++entry.serial;
    heldBytes += bytes;
    ticket.slot = slot;
    ticket.serial = entry.serial;
    return ticket;
}

bool PreviewCache::holds(const Ticket& ticket) const
{
    return ticket.slot >= 0 && ticket.slot < MAX_ENTRIES && entries[ticket.slot].used &&
        entries[ticket.slot].serial == ticket.serial;
}

const DLImage* PreviewCache::picture(const Ticket& ticket)
{
    if (!holds(ticket))
        return 0;
    Entry& entry = entries[ticket.slot];
    entry.lastUse = ++useClock;
    return entry.image;
}

int PreviewCache::count() const
{
    int held = 0;
    for (int i = 0; i < MAX_ENTRIES; ++i)
        held += entries[i].used ? 1 : 0;
    return held;
}

uint32_t PreviewCache::bytes() const
{
    return heldBytes;
}
