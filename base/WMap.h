// WMap, the fixed-size hash table keyed by text, with WList buckets.
#ifndef TARVO_BASE_WMAP_H
#define TARVO_BASE_WMAP_H

#include "base/Check.h"
#include "base/HashSeed.h"
#include "base/WList.h"
#include "base/WString.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

// Memory rules
// ------------
// The table has a fixed number of buckets (DEFAULT_BUCKET_COUNT, 31, for every map of the
// launcher), chosen at construction and never resized; each bucket is a WList of entries in
// insertion order. An entry owns its key (K, a WString) and its value (V): a WString::Array value
// is destroyed with the entry, a pointer value is simply dropped (the map does not own what it
// points to). A reference returned by operator[] or an iterator stays valid until that entry is
// removed: adding entries never moves existing ones. A map is never copied.
//
// Keys are looked up byte for byte (case-sensitive). A null key is treated as the empty key.
// Iteration visits bucket 0 to the last bucket, each bucket in insertion order.
//
// Lookups do not walk the buckets: the bucket hash (h * 3 + byte) is easy to collide on purpose,
// and a skin whose thousands of names share one bucket would make every lookup walk all of them.
// Beside the buckets the map keeps an index, an open-addressing table (linear probing) of
// pointers to the entries keyed by a second, well-mixed hash, at most half full and doubled as it
// fills. That hash starts from the process's own seed (base/HashSeed.h), so names cannot be
// chosen in advance to want one place of the index either. The index only finds entries; the
// buckets alone decide the iteration order. If the index cannot be grown (memory ran out), it is
// dropped and lookups walk the buckets from then on.
template <typename K, typename KArg, typename V, typename VArg>
class WMap {
public:
    class Entry {
    public:
        Entry() : key(), value() {}
        Entry(const char* k, const V& v) : key(k), value(v) {}
        Entry(const Entry& other) : key(other.key), value(other.value) {}
        Entry& operator=(const Entry& other)
        {
            key = other.key;
            value = other.value;
            return *this;
        }
        virtual ~Entry() {}

        K key;
        V value;
    };

    typedef WList<Entry, Entry&> List;

    class Iterator {
    public:
        explicit Iterator(WMap& map) : map_(&map), bucket_(0), inner_(map.buckets_[0]) {}

        bool hasNext()
        {
            advance();
            return inner_.hasNext();
        }

        V& next(WString& key, V& value)
        {
            advance();
            Entry& entry = inner_.next();
            key = entry.key;
            value = entry.value;
            return value;
        }

    private:
        // Moves to the next bucket that still has entries, or to the last bucket.
        void advance()
        {
            while (!inner_.hasNext() && bucket_ < map_->bucketCount_ - 1) {
                ++bucket_;
                inner_ = typename List::Iterator(map_->buckets_[bucket_]);
            }
        }

        WMap* map_;
        int bucket_;
        typename List::Iterator inner_;
    };

    // The bucket count of every map of the launcher.
    static const int DEFAULT_BUCKET_COUNT = 31;

    explicit WMap(int bucketCount = DEFAULT_BUCKET_COUNT)
        : bucketCount_(bucketCount), buckets_(0), entryCount_(0), index_(0), indexMask_(0),
          indexSeed_(0), indexDropped_(false)
    {
        TARVO_CHECK(bucketCount > 0);
        buckets_ = new List[bucketCount];
    }

    virtual ~WMap()
    {
        clear();
        delete[] buckets_;
        free(index_);
    }

    int count() const { return entryCount_; }
    int bucketCount() const { return bucketCount_; }

    // h = h * 3 + byte over the key's bytes read as unsigned values, wrapping at 32 bits.
    static uint32_t hash(const char* key)
    {
        uint32_t h = 0;
        if (key != 0) {
            for (const unsigned char* p = reinterpret_cast<const unsigned char*>(key); *p != 0;
                 ++p) {
                h = h * 3u + *p;
            }
        }
        return h;
    }

    // Copies the value of key's entry to out and returns true; false (out untouched) without one.
    bool find(KArg key, V& out)
    {
        Entry* entry = lookup(key);
        if (entry == 0) {
            return false;
        }
        out = entry->value;
        return true;
    }

    // The stored value of key's entry itself, or null without one: a lookup that neither copies
    // the value nor creates an entry. Valid until that entry is removed.
    V* findValue(KArg key)
    {
        Entry* entry = lookup(key);
        return entry == 0 ? 0 : &entry->value;
    }

    const V* findValue(KArg key) const { return const_cast<WMap*>(this)->findValue(key); }

    // Overwrites the value of key's entry, or appends a new entry to its bucket.
    void set(KArg key, VArg value)
    {
        Entry* entry = lookup(key);
        if (entry != 0) {
            entry->value = value;
            return;
        }
        Entry added(textOf(key), value);
        addToIndex(&bucketFor(key).append(added));
    }

    // The value of key's entry, created with a default value (an empty array, a null pointer)
    // when there is none, even if the caller only reads it.
    V& operator[](KArg key)
    {
        Entry* entry = lookup(key);
        if (entry != 0) {
            return entry->value;
        }
        Entry added(textOf(key), V());
        Entry& stored = bucketFor(key).append(added);
        addToIndex(&stored);
        return stored.value;
    }

    // Removes key's entry; nothing happens without one.
    void remove(KArg key)
    {
        Entry* entry = lookup(key);
        if (entry == 0) {
            return;
        }
        removeFromIndex(entry);
        typename List::Iterator it(bucketFor(key));
        while (&it.next() != entry) {}
        it.remove();
        --entryCount_;
    }

    // How many places of the index the lookups of all keys visit together, each at least its own
    // (0 without an index): how well the index hash spreads the keys, which the tests weigh.
    unsigned long indexVisits() const
    {
        unsigned long visits = 0;
        for (uint32_t i = 0; index_ != 0 && i <= indexMask_; ++i) {
            if (index_[i].entry != 0)
                visits += ((i - index_[i].hash) & indexMask_) + 1;
        }
        return visits;
    }

    void clear()
    {
        for (int b = 0; b < bucketCount_; ++b) {
            typename List::Iterator it(buckets_[b]);
            while (it.hasNext()) {
                it.next();
                it.remove();
            }
        }
        entryCount_ = 0;
        if (index_ != 0) {
            memset(index_, 0, (indexMask_ + 1) * sizeof(Slot));
        }
    }

private:
    WMap(const WMap&);
    WMap& operator=(const WMap&);

    static const char* textOf(KArg key) { return key == 0 ? "" : key; }

    List& bucketFor(KArg key) { return buckets_[hash(key) % static_cast<uint32_t>(bucketCount_)]; }

    // One place of the index: an entry and its index hash; a null entry marks a free place.
    struct Slot {
        uint32_t hash;
        Entry* entry;
    };

    // FNV-1a from the seed, then the final mixing of MurmurHash3, so that keys that differ in any
    // byte differ in the low bits that pick a place; it has nothing in common with the bucket hash.
    uint32_t indexHash(const char* key) const
    {
        uint32_t h = 2166136261u ^ indexSeed_;
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(key); *p != 0; ++p) {
            h = (h ^ *p) * 16777619u;
        }
        h ^= h >> 16;
        h *= 0x85ebca6bu;
        h ^= h >> 13;
        h *= 0xc2b2ae35u;
        h ^= h >> 16;
        return h;
    }

    Entry* lookup(KArg key)
    {
        const char* wanted = textOf(key);
        if (index_ != 0) {
            const uint32_t h = indexHash(wanted);
            for (uint32_t i = h & indexMask_; index_[i].entry != 0; i = (i + 1) & indexMask_) {
                if (index_[i].hash == h && strcmp(index_[i].entry->key.text(), wanted) == 0) {
                    return index_[i].entry;
                }
            }
            return 0;
        }
        typename List::Iterator it(bucketFor(key));
        while (it.hasNext()) {
            Entry& entry = it.next();
            if (strcmp(entry.key.text(), wanted) == 0) {
                return &entry;
            }
        }
        return 0;
    }

    static void placeInIndex(Slot* index, uint32_t mask, Entry* entry, uint32_t h)
    {
        uint32_t i = h & mask;
        while (index[i].entry != 0) {
            i = (i + 1) & mask;
        }
        index[i].hash = h;
        index[i].entry = entry;
    }

    // Counts the entry just appended to its bucket and records it in the index, doubling the
    // index first when it would be more than half full.
    void addToIndex(Entry* entry)
    {
        ++entryCount_;
        if (indexDropped_) {
            return;
        }
        const uint32_t capacity = index_ == 0 ? 0 : indexMask_ + 1;
        if (capacity == 0)
            indexSeed_ = processHashSeed();
        if (static_cast<uint32_t>(entryCount_) * 2 > capacity) {
            const uint32_t grown = capacity == 0 ? 16 : capacity * 2;
            Slot* index = grown > capacity ? static_cast<Slot*>(calloc(grown, sizeof(Slot))) : 0;
            if (index == 0) {
                free(index_);
                index_ = 0;
                indexDropped_ = true;
                return;
            }
            for (uint32_t i = 0; i < capacity; ++i) {
                if (index_[i].entry != 0) {
                    placeInIndex(index, grown - 1, index_[i].entry, index_[i].hash);
                }
            }
            free(index_);
            index_ = index;
            indexMask_ = grown - 1;
        }
        placeInIndex(index_, indexMask_, entry, indexHash(entry->key.text()));
    }

    // Frees the entry's place and moves later entries of its probe run back into the gap, so
    // that every entry stays reachable from its home place without markers of removed ones.
    void removeFromIndex(Entry* entry)
    {
        if (index_ == 0) {
            return;
        }
        uint32_t gap = indexHash(entry->key.text()) & indexMask_;
        while (index_[gap].entry != entry) {
            gap = (gap + 1) & indexMask_;
        }
        for (uint32_t next = (gap + 1) & indexMask_; index_[next].entry != 0;
             next = (next + 1) & indexMask_) {
            // An entry may fill the gap unless its home lies after the gap, up to itself.
            const uint32_t home = index_[next].hash & indexMask_;
            const bool homeBetween =
                gap <= next ? (gap < home && home <= next) : (gap < home || home <= next);
            if (!homeBetween) {
                index_[gap] = index_[next];
                gap = next;
            }
        }
        index_[gap].entry = 0;
    }

    int bucketCount_;
    List* buckets_;
    int entryCount_;
    Slot* index_;
    uint32_t indexMask_;
    uint32_t indexSeed_;
    bool indexDropped_;
};

template <typename K, typename KArg, typename V, typename VArg>
const int WMap<K, KArg, V, VArg>::DEFAULT_BUCKET_COUNT;

#endif
