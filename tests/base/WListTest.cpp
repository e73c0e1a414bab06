// Tests of WList: order, removal during a walk and ownership of the elements.
#include "base/WList.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Counts live copies, so that leaks and double destruction show up.
struct Tracked {
    static int alive;
    int value;
    Tracked() : value(0) { ++alive; }
    explicit Tracked(int v) : value(v) { ++alive; }
    Tracked(const Tracked& other) : value(other.value) { ++alive; }
    Tracked& operator=(const Tracked& other) = default;
    ~Tracked() { --alive; }
};
int Tracked::alive = 0;

typedef WList<Tracked, Tracked&> List;

std::string values(List& list)
{
    std::string out;
    List::Iterator it(list);
    while (it.hasNext()) {
        out += std::to_string(it.next().value) + " ";
    }
    return out;
}

void fill(List& list, int n)
{
    for (int i = 1; i <= n; ++i) {
        Tracked t(i);
        list.append(t);
    }
}

} // namespace

TEST(WListTest, IteratorRemoveContinuesWithTheNextElementInOrder)
{
    List list;
    EXPECT_EQ(values(list), "");
    fill(list, 5);
    List::Iterator it(list);
    std::string seen;
    while (it.hasNext()) {
        int value = it.next().value;
        seen += std::to_string(value) + " ";
        if (value % 2 == 0) {
            EXPECT_EQ(it.remove().value, value);
        }
    }
    EXPECT_EQ(seen, "1 2 3 4 5 ");
    EXPECT_EQ(values(list), "1 3 5 ");
    EXPECT_EQ(list.count(), 3);
}

TEST(WListTest, TheListOwnsAndReleasesItsElements)
{
    int before = Tracked::alive;
    {
        List list;
        fill(list, 4);
        // Four elements and the sentinel's unused one.
        EXPECT_EQ(Tracked::alive, before + 5);
        List::Iterator it(list);
        it.next();
        it.remove();
        EXPECT_EQ(Tracked::alive, before + 4);
    }
    EXPECT_EQ(Tracked::alive, before);
}
