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

struct Picture {
    int width;
};

DLImage* asImage(Picture* p)
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
        it.next(key, value);
        keys.push_back(key.text());
    }
    return keys;
}

} // namespace

TEST(WMapTest, HashReadsBytesAsUnsignedAndWraps)
{
    EXPECT_EQ(ArrayMap::hash("abc"), 1266u);
    EXPECT_EQ(ArrayMap::hash("abc") % 31, 26u);
    EXPECT_EQ(ArrayMap::hash(""), 0u);
    EXPECT_EQ(ArrayMap::hash("a") % 31, 4u);
    EXPECT_EQ(ArrayMap::hash("b") % 31, 5u);
    EXPECT_EQ(ArrayMap::hash("\xe9"), 233u);
    // 18 printable characters already overflow 32 bits.
    EXPECT_EQ(ArrayMap::hash("SPEED_LOADING_TIME"), 2776567896u);
    EXPECT_EQ(ImageMap::hash("/mnt/sd/Tarvo/skins/default/bg.png"), 2810012471u);
}

TEST(WMapTest, IterationFollowsBucketsThenInsertionOrder)
{
    ArrayMap map(31);
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
}

TEST(WMapTest, IteratingAnEmptyMapFindsNothing)
{
    ArrayMap map(31);
    ArrayMap::Iterator it(map);
    EXPECT_FALSE(it.hasNext());
    EXPECT_FALSE(it.hasNext());
    EXPECT_EQ(map.count(), 0);
}

TEST(WMapTest, FindIsCaseSensitiveAndLeavesOutAloneWhenAbsent)
{
    ArrayMap map(31);
    map["SKIN"] = WString::Array("default", nullptr);
    WString::Array out("untouched", nullptr);
    EXPECT_FALSE(map.find("skin", out));
    EXPECT_EQ(std::string(out[0].text()), "untouched");
    EXPECT_TRUE(map.find("SKIN", out));
    ASSERT_EQ(out.count(), 1);
    EXPECT_EQ(std::string(out[0].text()), "default");
}

TEST(WMapTest, FindValueGivesTheStoredValueWithoutCreatingOne)
{
    ArrayMap map(31);
    map["SKIN"] = WString::Array("default", nullptr);
    const ArrayMap& constant = map;
    EXPECT_EQ(constant.findValue("skin"), nullptr);
    EXPECT_EQ(map.count(), 1);
    WString::Array* values = map.findValue("SKIN");
    ASSERT_NE(values, nullptr);
    values->append("second");
    ASSERT_NE(constant.findValue("SKIN"), nullptr);
    EXPECT_EQ(constant.findValue("SKIN")->count(), 2);
}

TEST(WMapTest, IndexingAnAbsentKeyCreatesAnEmptyEntry)
{
    ArrayMap map(31);
    EXPECT_EQ(map["missing"].count(), 0);
    EXPECT_EQ(map.count(), 1);
    WString::Array out("x", nullptr);
    EXPECT_TRUE(map.find("missing", out));
    EXPECT_EQ(out.count(), 0);
    map["missing"].append("v");
    EXPECT_EQ(map.count(), 1);
    EXPECT_EQ(map["missing"].count(), 1);
}

TEST(WMapTest, ValueReferencesSurviveLaterInsertions)
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
}

TEST(WMapTest, SetTwiceKeepsOneEntryWithTheSecondValue)
{
    ImageMap cache(31);
    Picture one = {1};
    Picture two = {2};
    cache.set("bg.png", asImage(&one));
    cache.set("bg.png", asImage(&two));
    EXPECT_EQ(cache.count(), 1);
    DLImage* found = nullptr;
    ASSERT_TRUE(cache.find("bg.png", found));
    EXPECT_EQ(found, asImage(&two));
    DLImage* untouched = asImage(&one);
    EXPECT_FALSE(cache.find("BG.png", untouched));
    EXPECT_EQ(untouched, asImage(&one));
}

TEST(WMapTest, DestroyingAnImageMapLeavesTheImagesAlone)
{
    Picture* picture = new Picture{7};
    {
        ImageMap cache(31);
        cache.set("a.png", asImage(picture));
        cache.set("b.png", asImage(picture));
        cache.clear();
        cache.set("c.png", asImage(picture));
    }
    EXPECT_EQ(picture->width, 7);
    delete picture;
}

TEST(WMapTest, RemoveKeepsTheRestOfTheBucketInOrder)
{
    ArrayMap map(31);
    map["#"];
    map["B"];
    map["a"];
    map.remove("B");
    EXPECT_EQ(map.count(), 2);
    EXPECT_EQ(keysInOrder(map), (std::vector<std::string>{"#", "a"}));
    map.remove("absent");
    map.remove("b");
    EXPECT_EQ(map.count(), 2);
    map.remove("#");
    map.remove("a");
    EXPECT_EQ(map.count(), 0);
    EXPECT_TRUE(keysInOrder(map).empty());
}

TEST(WMapTest, IteratorHandsBackKeyAndValue)
{
    ArrayMap map(31);
    map["list"] = WString::Array("x", "y", nullptr);
    ArrayMap::Iterator it(map);
    WString key;
    WString::Array value;
    ASSERT_TRUE(it.hasNext());
    WString::Array& returned = it.next(key, value);
    EXPECT_EQ(&returned, &value);
    EXPECT_EQ(std::string(key.text()), "list");
    EXPECT_TRUE(value.join(",") == "x,y");
    EXPECT_FALSE(it.hasNext());
}

TEST(WMapTest, ClearEmptiesEveryBucket)
{
    ArrayMap map(31);
    for (int i = 0; i < 100; ++i) {
        map[std::to_string(i).c_str()].append("v");
    }
    map.clear();
    EXPECT_EQ(map.count(), 0);
    EXPECT_TRUE(keysInOrder(map).empty());
    map["again"];
    EXPECT_EQ(map.count(), 1);
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
