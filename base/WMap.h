// WMap, the fixed-size hash table keyed by text, with WList buckets.
#ifndef TARVO_BASE_WMAP_H
#define TARVO_BASE_WMAP_H

#include "base/Check.h"
#include "base/WList.h"
#include "base/WString.h"

#include <stdint.h>
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
        : bucketCount_(bucketCount), buckets_(0), entryCount_(0)
    {
        TARVO_CHECK(bucketCount > 0);
        buckets_ = new List[bucketCount];
    }

    virtual ~WMap()
    {
        clear();
        delete[] buckets_;
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
        bucketFor(key).append(added);
        ++entryCount_;
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
        List& bucket = bucketFor(key);
        bucket.append(added);
        ++entryCount_;
        // The new entry is the bucket's last: walk to it rather than search by key again.
        typename List::Iterator it(bucket);
        Entry* last = 0;
        while (it.hasNext()) {
            last = &it.next();
        }
        return last->value;
    }

    // Removes key's entry; nothing happens without one.
    void remove(KArg key)
    {
        const char* wanted = textOf(key);
        typename List::Iterator it(bucketFor(key));
        while (it.hasNext()) {
            if (strcmp(it.next().key.text(), wanted) == 0) {
                it.remove();
                --entryCount_;
                return;
            }
        }
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
    }

private:
    WMap(const WMap&);
    WMap& operator=(const WMap&);

    static const char* textOf(KArg key) { return key == 0 ? "" : key; }

    List& bucketFor(KArg key) { return buckets_[hash(key) % static_cast<uint32_t>(bucketCount_)]; }

    Entry* lookup(KArg key)
    {
        const char* wanted = textOf(key);
        typename List::Iterator it(bucketFor(key));
        while (it.hasNext()) {
            Entry& entry = it.next();
            if (strcmp(entry.key.text(), wanted) == 0) {
                return &entry;
            }
        }
        return 0;
    }

    int bucketCount_;
    List* buckets_;
    int entryCount_;
};

template <typename K, typename KArg, typename V, typename VArg>
const int WMap<K, KArg, V, VArg>::DEFAULT_BUCKET_COUNT;

#endif
