// ImageCache: one decode per file while it is wanted, at the processor speed SPEED_LOADING names,
// within a bound of memory.
#include "gfx/ImageCache.h"

#include "base/Diagnostics.h"
#include "config/VariableStore.h"
#include "gfx/DLImage.h"
#include "gfx/PictureFault.h"
#include "gfx/PngReader.h"
#include "platform/ClockControl.h"
#include "platform/Files.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

// What a decoded picture takes: its 16-bit pixels and, where it has one, its opacity plane.
uint32_t pictureBytes(const DLImage& image)
{
    const uint32_t pixels =
        static_cast<uint32_t>(image.width) * static_cast<uint32_t>(image.height);
    return pixels * 2 + (image.alpha ? pixels : 0);
}

// What the PNG file at path takes at most once decoded, from the width and height of its header
// (an opacity plane counted whenever one is wanted); 0 for a file that is no PNG or larger than
// any picture that loads, whose decode fails and says why without taking anything.
uint32_t sizeBeforeDecoding(const char* path, bool wantAlpha, uint32_t& width, uint32_t& height)
{
    static const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char header[24];
    // 24 bytes: a stream's buffer would cost more than the read.
    const MappedPath mapped(path);
    const int fd = mapped.text() ? open(mapped.text(), O_RDONLY) : -1;
    if (fd < 0)
        return 0;
    const bool whole = read(fd, header, sizeof header) == static_cast<ssize_t>(sizeof header);
    close(fd);
    if (!whole || memcmp(header, signature, sizeof signature) != 0 ||
        memcmp(header + 12, "IHDR", 4) != 0)
        return 0;
    width = static_cast<uint32_t>(header[16]) << 24 | static_cast<uint32_t>(header[17]) << 16 |
        static_cast<uint32_t>(header[18]) << 8 | header[19];
    height = static_cast<uint32_t>(header[20]) << 24 | static_cast<uint32_t>(header[21]) << 16 |
        static_cast<uint32_t>(header[22]) << 8 | header[23];
    if (width == 0 || height == 0 || width > maxPngSide || height > maxPngSide)
        return 0;
    return width * height * (wantAlpha ? 3 : 2);
}

// The file's identity as a key: its device, its inode and its size, in hexadecimal.
const char* fileKey(const struct stat& info, char (&key)[64])
{
    const uint64_t parts[] = {static_cast<uint64_t>(info.st_dev),
                              static_cast<uint64_t>(info.st_ino),
                              static_cast<uint64_t>(info.st_size)};
    char* end = key;
    for (int i = 0; i < 3; ++i) {
        uint64_t part = parts[i];
        do {
            *end++ = "0123456789abcdef"[part & 15];
            part >>= 4;
        } while (part);
        *end++ = i < 2 ? ':' : '\0';
    }
    return key;
}

} // namespace

ImageCache::ImageCache(const VariableStore& variableStore, ClockControl& clockControl)
    : entries(0), entryCount(0), entryCapacity(0), files(), heldBytes(0), frame(1), sweep(0),
      decodeCount(0), variables(variableStore), clock(clockControl)
{
}

ImageCache::~ImageCache()
{
    clear();
    delete[] entries;
}

void ImageCache::clear()
{
    for (int32_t i = 0; i < entryCount; ++i) {
        delete entries[i]->image;
        delete entries[i];
    }
    entryCount = 0;
    files.clear();
    heldBytes = 0;
    sweep = 0;
    decodeCount = 0;
}

void ImageCache::newFrame()
{
    ++frame;
}

int ImageCache::count() const
{
    return entryCount;
}

uint32_t ImageCache::bytes() const
{
    return heldBytes;
}

DLImage* ImageCache::image(int32_t slot) const
{
    return slot >= 0 && slot < entryCount ? entries[slot]->image : 0;
}

void ImageCache::letGo(Entry& entry)
{
    // The object and its size stay for those who hold it; only the pixels go, as DLImage's own
    // release() would free them.
    free(entry.image->pixels);
    free(entry.image->alpha);
    entry.image->pixels = 0;
    entry.image->alpha = 0;
    heldBytes -= entry.bytes;
    entry.bytes = 0;
}

bool ImageCache::makeRoom(uint32_t bytes)
{
    if (bytes > static_cast<uint32_t>(MAX_BYTES))
        return false;
    // One turn round the entries, from where the last search stopped, letting go of those not
    // drawn in this frame: what the page on show draws stays.
    for (int32_t visited = 0;
         heldBytes + bytes > static_cast<uint32_t>(MAX_BYTES) && visited < entryCount; ++visited) {
        Entry& entry = *entries[sweep];
        sweep = sweep + 1 < entryCount ? sweep + 1 : 0;
        if (entry.bytes > 0 && entry.lastUse != frame)
            letGo(entry);
    }
    return heldBytes + bytes <= static_cast<uint32_t>(MAX_BYTES);
}

bool ImageCache::decode(Entry& entry, bool fresh)
{
    const char* path = entry.path.text();
    uint32_t width = 0, height = 0;
    const uint32_t needed = sizeBeforeDecoding(path, entry.wantAlpha, width, height);
    if (!makeRoom(needed)) {
        notePictureRefused(path);
        if (fresh)
            diagnoseAt(SourcePlace(path, 0), DIAGNOSTIC_ERROR,
                       "picture is %dx%d pixels, and with those on show it would pass the %d KiB "
                       "that pictures may take: it is not loaded",
                       static_cast<int>(width), static_cast<int>(height),
                       static_cast<int>(MAX_BYTES / 1024));
        return false;
    }
    // Decoding is the slow part of drawing a page for the first time; the main loop restores
    // the menu speed after the frame.
    WString::Array speed;
    if (variables.find("SPEED_LOADING", speed))
        clock.setSpeed(speed);
    ++decodeCount;
    if (!entry.image->loadPng(path, entry.depth, entry.wantAlpha))
        return false;
    entry.bytes = pictureBytes(*entry.image);
    heldBytes += entry.bytes;
    return true;
}

int32_t ImageCache::add(const char* fileName, int depth, bool wantAlpha)
{
    Entry* entry = new Entry;
    entry->image = new DLImage;
    entry->path = fileName;
    entry->depth = depth;
    entry->wantAlpha = wantAlpha;
    entry->bytes = 0;
    entry->lastUse = frame;
    entry->broken = false;
    if (!decode(*entry, true)) {
        printf("Could not load image %s\n", fileName);
        delete entry->image;
        delete entry;
        return -1;
    }
    if (entryCount == entryCapacity) {
        const int32_t capacity = entryCapacity ? entryCapacity * 2 : 32;
        Entry** grown = new Entry*[capacity];
        for (int32_t i = 0; i < entryCount; ++i)
            grown[i] = entries[i];
        delete[] entries;
        entries = grown;
        entryCapacity = capacity;
    }
    entries[entryCount] = entry;
    return entryCount++;
}

int32_t ImageCache::request(const char* fileName, int depth, bool wantAlpha)
{
    // Looked up by the file, so that every name of it finds the same entry; a file that cannot be
    // found does not load either.
    if (!fileName)
        return -1;
    struct stat info;
    char key[64];
    int32_t slot = -1;
    if (statPath(fileName, &info) != 0) {
        slot = add(fileName, depth, wantAlpha);
    } else if (!files.find(fileKey(info, key), slot)) {
        slot = add(fileName, depth, wantAlpha);
        if (slot >= 0)
            files.set(key, slot);
    }
    if (slot >= 0)
        entries[slot]->lastUse = frame;
    return slot;
}

const DLImage* ImageCache::picture(int32_t slot)
{
    if (slot < 0 || slot >= entryCount)
        return 0;
    Entry& entry = *entries[slot];
    entry.lastUse = frame;
    if (entry.bytes == 0 && !entry.broken && !decode(entry, false)) {
        // Kept as it was let go, for its size; a file that no longer decodes is not read on
        // every frame.
        entry.broken = entry.image->width == 0;
        return 0;
    }
    return entry.bytes > 0 ? entry.image : 0;
}

DLImage* ImageCache::load(const char* fileName, int depth, bool wantAlpha)
{
    const int32_t slot = request(fileName, depth, wantAlpha);
    return picture(slot) ? image(slot) : 0;
}
