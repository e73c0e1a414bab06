// Tests of WMap: hashing and bucket order, both value kinds, removal and iteration.
#include "base/WMap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The image cache's value type is written elsewhere; the map only ever holds pointers to it.
struct DLImage;

typedef WMap<WString, const char*, WString::Array, WString::Array&> ArrayMap;
typedef WMap<WString, const char*, DLImage*, DLImage*> ImageMap;

DLImage* asImage(int* p)
{
    return reinterpret_cast<DLImage*>(p);
}

std::vector<std::string> keysInOrder(ArrayMap& map)
{
    std::vector<std::string> keys;
    ArrayMap::Iterator it(map);
    WString key;
    WString::Array value;
    while (it.hasNext()) {
        EXPECT_EQ(&it.next(key, value), &value);
        keys.push_back(key.text());
    }
    return keys;
}

} // namespace

TEST(WMapTest, HashReadsBytesAsUnsignedAndWraps)
{
    EXPECT_EQ(ArrayMap::hash("abc"), 1266u);
    EXPECT_EQ(ArrayMap::hash("abc") % 31, 26u);
    EXPECT_EQ(ArrayMap::hash("a") % 31, 4u);
    EXPECT_EQ(ArrayMap::hash("b") % 31, 5u);
    EXPECT_EQ(ArrayMap::hash("\xe9"), 233u);
    // 18 printable characters already overflow 32 bits.
    EXPECT_EQ(ArrayMap::hash("SPEED_LOADING_TIME"), 2776567896u);
}

TEST(WMapTest, IterationFollowsBucketsThenInsertionOrder)
{
    ArrayMap map(31);
    EXPECT_TRUE(keysInOrder(map).empty());
    map["b"];
    map["a"];
    EXPECT_EQ(keysInOrder(map), (std::vector<std::string>{"a", "b"}));

    // "#", "B", "\x80" and "a" all land in bucket 4; "abc" in 26, the long key in 10.
    ArrayMap same(31);
    same["abc"];
    same["B"];
    same["SPEED_LOADING_TIME"];
    same["#"];
    same["\x80"];
    EXPECT_EQ(keysInOrder(same),
              (std::vector<std::string>{"B", "#", "\x80", "SPEED_LOADING_TIME", "abc"}));

    // Removal keeps the rest of the bucket in order.
    same.remove("#");
    same.remove("B");
    same.remove("absent");
    EXPECT_EQ(same.count(), 3);
    EXPECT_EQ(keysInOrder(same), (std::vector<std::string>{"\x80", "SPEED_LOADING_TIME", "abc"}));
}

TEST(WMapTest, LookupsAreCaseSensitiveAndOnlyIndexingCreatesEntries)
{
    ArrayMap map(31);
    map["SKIN"] = WString::Array("default", nullptr);
    WString::Array out("untouched", nullptr);
    EXPECT_FALSE(map.find("skin", out));
    EXPECT_EQ(std::string(out[0].text()), "untouched");
    const ArrayMap& constant = map;
    EXPECT_EQ(constant.findValue("skin"), nullptr);
    ASSERT_NE(map.findValue("SKIN"), nullptr);
    map.findValue("SKIN")->append("second");
    EXPECT_TRUE(map.find("SKIN", out));
    EXPECT_EQ(std::string(out.join(",").text()), "default,second");
    EXPECT_EQ(map.count(), 1);

    EXPECT_EQ(map["missing"].count(), 0);
    EXPECT_TRUE(map.find("missing", out));
    EXPECT_EQ(out.count(), 0);
    EXPECT_EQ(map.count(), 2);
}

TEST(WMapTest, ValueReferencesSurviveLaterInsertionsAndClearEmptiesEverything)
{
    ArrayMap map(31);
    WString::Array& first = map["first"];
    for (int i = 0; i < 500; ++i) {
        map[std::to_string(i).c_str()].append("v");
    }
    first.append("still here");
    WString::Array out;
    ASSERT_TRUE(map.find("first", out));
    EXPECT_EQ(std::string(out[0].text()), "still here");
    EXPECT_EQ(map.count(), 501);

    map.clear();
    EXPECT_EQ(map.count(), 0);
    EXPECT_TRUE(keysInOrder(map).empty());
    map["again"];
    EXPECT_EQ(map.count(), 1);
}

TEST(WMapTest, SetTwiceKeepsOneEntryAndTheMapNeverFreesTheImages)
{
    int* one = new int(1);
    int two = 2;
    {
        ImageMap cache(31);
        cache.set("bg.png", asImage(one));
        cache.set("bg.png", asImage(&two));
        EXPECT_EQ(cache.count(), 1);
        DLImage* found = nullptr;
        ASSERT_TRUE(cache.find("bg.png", found));
        EXPECT_EQ(found, asImage(&two));
        cache.set("a.png", asImage(one));
        cache.clear();
        cache.set("c.png", asImage(one));
    }
    EXPECT_EQ(*one, 1);
    delete one;
}

TEST(WMapTest, NullKeyActsAsTheEmptyKey)
{
    ArrayMap map(31);
    map[WString().text()].append("v");
    WString::Array out;
    EXPECT_TRUE(map.find("", out));
    EXPECT_EQ(out.count(), 1);
    EXPECT_TRUE(map.find(nullptr, out));
    map.remove(nullptr);
    EXPECT_EQ(map.count(), 0);
}
