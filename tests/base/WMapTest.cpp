// Tests of WMap and its WList buckets: hashing and bucket order, lookups, both value kinds,
// removal in the middle of a bucket and clearing.
#include "base/WMap.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

typedef WMap<WString, const char*, WString::Array, WString::Array&> ArrayMap;

// The keys in iteration order; each value must be the one-element list of its own key.
static std::string keysInOrder(ArrayMap& map)
{
    std::string keys;
    WString key;
    WString::Array value;
    for (ArrayMap::Iterator it(map); it.hasNext();) {
        it.next(key, value);
        keys += std::string(key.text()) + (value.count() == 1 && value[0] == key ? " " : "? ");
    }
    return keys;
}

TEST(WMapTest, KeysHashAsUnsignedBytesAndIterationFollowsBucketsThenInsertionOrder)
{
    EXPECT_EQ(1266u, ArrayMap::hash("abc"));
    EXPECT_EQ(2776567896u, ArrayMap::hash("SPEED_LOADING_TIME")); // wrapped at 32 bits
    ArrayMap map;
    EXPECT_EQ("", keysInOrder(map));
    // "B", "#", "\x80" and "a" land in bucket 4, "b" in 5, "SPEED_LOADING_TIME" in 10, "abc" in 26.
    for (const char* key : {"abc", "b", "B", "SPEED_LOADING_TIME", "#", "\x80", "a"})
        map[key].append(key);
    map.remove("#");
    map.remove("absent");
    EXPECT_EQ("B \x80 a b SPEED_LOADING_TIME abc ", keysInOrder(map));
    map.clear();
    EXPECT_EQ("", keysInOrder(map));
    EXPECT_EQ(0, map.count());
}

TEST(WMapTest, LookupsAreCaseSensitiveAndOnlyIndexingCreatesEntries)
{
    ArrayMap map;
    WString::Array& first = map["SKIN"];
    for (int i = 0; i < 300; ++i)
        map[std::to_string(i).c_str()].append("v");
    first.append("dark"); // still the entry's own value after all those insertions
    WString::Array out("untouched", nullptr);
    EXPECT_TRUE(!map.find("skin", out) && !map.findValue("skin") && out[0] == "untouched");
    map.findValue("SKIN")->append("light");
    WString::Array night("night", nullptr);
    map.set("NIGHT", night);
    map.set("NIGHT", out); // a second set replaces the value in place
    EXPECT_TRUE(map.find("SKIN", out));
    EXPECT_EQ("dark,light", std::string(out.join(",").text()));
    EXPECT_EQ(0, map["missing"].count());
    EXPECT_EQ(303, map.count());
    EXPECT_TRUE(map.find("NIGHT", out) && out.count() == 1 && out[0] == "untouched");
}

// Keys made of the blocks "ad" and "ba" all share one bucket hash (3 * 'a' + 'd' = 3 * 'b' + 'a'),
// as a hostile skin's names may: lookups, removals from the middle and new insertions must still
// find exactly the keys a plain model holds, and iteration keeps the bucket's insertion order.
TEST(WMapTest, KeysOfOneFullHashAreFoundRemovedAndVisitedInInsertionOrder)
{
    ArrayMap map;
    std::vector<std::string> model; // the keys present, in insertion order
    auto key = [](int n) {
        std::string k;
        for (int bit = 0; bit < 12; ++bit)
            k += (n >> bit) & 1 ? "ad" : "ba";
        return k;
    };
    for (int n = 0; n < 3000; ++n) {
        map[key(n).c_str()].append(key(n).c_str());
        model.push_back(key(n));
    }
    for (int n = 0; n < 3000; n += 3) {
        map.remove(key(n).c_str());
        model.erase(std::find(model.begin(), model.end(), key(n)));
    }
    for (int n = 0; n < 600; n += 2) { // some come back, at the end of the bucket
        WString::Array value(key(n).c_str(), nullptr);
        map.set(key(n).c_str(), value);
        if (n % 3 == 0)
            model.push_back(key(n));
    }
    ASSERT_EQ(ArrayMap::hash(key(0).c_str()), ArrayMap::hash(key(4095).c_str()));
    std::string expected;
    for (const std::string& k : model)
        expected += k + " ";
    EXPECT_EQ(expected, keysInOrder(map));
    EXPECT_EQ(int(model.size()), map.count());
    for (int n = 0; n < 4096; ++n) {
        const bool present = std::find(model.begin(), model.end(), key(n)) != model.end();
        EXPECT_EQ(present, map.findValue(key(n).c_str()) != nullptr) << n;
    }
}

// Names built to share the low 11 bits of the index hash as it was without a seed (FNV-1a, then
// MurmurHash3's final mixing) would all want one place of the 2,048 that 1,000 keys take, and
// finding them would visit half a million places. With the seed of the process they must cost at
// most twice what ordinary names cost.
TEST(WMapTest, NamesCollidingWithoutTheSeedCostNoMoreThanTwiceOrdinaryNames)
{
    auto unseededHash = [](const std::string& key) {
        uint32_t h = 2166136261u;
        for (unsigned char c : key)
            h = (h ^ c) * 16777619u;
        h = (h ^ (h >> 16)) * 0x85ebca6bu;
        h = (h ^ (h >> 13)) * 0xc2b2ae35u;
        return h ^ (h >> 16);
    };
    ArrayMap colliding, ordinary;
    for (int n = 0; colliding.count() < 1000; ++n) {
        const std::string key = "v" + std::to_string(n);
        if (n < 1000)
            ordinary[key.c_str()].append("x");
        if ((unseededHash(key) & 2047) == 0)
            colliding[key.c_str()].append("x");
    }
    EXPECT_LE(colliding.indexVisits(), 2 * ordinary.indexVisits());
    EXPECT_GE(ordinary.indexVisits(), 1000u);
}
