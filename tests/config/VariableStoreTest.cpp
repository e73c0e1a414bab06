// Tests of the variable store: loading, setting, reading and the %name% expansion.
#include "config/VariableStore.h"

#include <gtest/gtest.h>

#include "tests/config/ConfigTestFiles.h"

namespace {

typedef std::vector<std::string> Words;

// A = [x, y, z], B = [] (defined, no values), N = [50].
class VariableStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store.setValues("A", WString::Array("x", "y", "z", static_cast<const char*>(0)));
        store.setValues("B", WString::Array());
        store.setText("N", "50");
    }

    std::string expand(const char* text)
    {
        WString result = store.expand(WString(text));
        return result.text() ? result.text() : "<null>";
    }

    VariableStore store;
};

TEST_F(VariableStoreTest, ExpandPlainReferenceJoinsAllValues)
{
    EXPECT_EQ("x,y,z", expand("%A%"));
    EXPECT_EQ("a50bxc", expand("a%N%b%A[0]%c"));
    EXPECT_EQ("<null>", expand("%B%"));
}

TEST_F(VariableStoreTest, ExpandIndexedReferencePicksOneValue)
{
    EXPECT_EQ("y", expand("%A[1]%"));
    EXPECT_EQ("x", expand("%A[]%"));
    EXPECT_EQ("<null>", expand("%A[3]%"));
    EXPECT_EQ("<null>", expand("%A[-1]%"));
    EXPECT_EQ("<null>", expand("%B[0]%"));
    // The index reads as atoi reads it.
    EXPECT_EQ("z", expand("%A[ +2]%"));
    EXPECT_EQ("y", expand("%A[1x]%"));
    EXPECT_EQ("x", expand("%A[-0]%"));
}

TEST_F(VariableStoreTest, ExpandIndexTooLargeForAnIntInsertsNothing)
{
    // atoi's result is undefined here; glibc's wraps 4294967296 to 0 on a 64-bit host.
    EXPECT_EQ("[]", expand("[%A[4294967296]%]"));
    EXPECT_EQ("[]", expand("[%A[-4294967296]%]"));
    EXPECT_EQ("[]", expand("[%A[99999999999999999999999]%]"));
}

TEST_F(VariableStoreTest, ExpandKeepsUndefinedReferencesWithoutIndex)
{
    EXPECT_EQ("%D%", expand("%D%"));
    EXPECT_EQ("%D%", expand("%D[2]%"));
    EXPECT_EQ("%[1]%", expand("%[1]%"));
    store.setText("[1]", "one");
    EXPECT_EQ("one", expand("%[1]%"));
}

TEST_F(VariableStoreTest, ExpandPercentSigns)
{
    EXPECT_EQ("50%", expand("%N%%%"));
    EXPECT_EQ("100%", expand("100%%"));
    EXPECT_EQ("50", expand("50%"));
    EXPECT_EQ("50x", expand("%N%x%"));
    EXPECT_EQ("a", expand("a%N"));
}

TEST_F(VariableStoreTest, ExpandDoesNotRescanInsertedValues)
{
    store.setText("P", "%N%");
    EXPECT_EQ("%N%!", expand("%P%!"));
}

TEST_F(VariableStoreTest, ExpandWithoutReferencesGivesTheTextBackAndEmptyGivesNull)
{
    EXPECT_EQ("plain text, no refs", expand("plain text, no refs"));
    EXPECT_EQ("<null>", expand(""));
    EXPECT_EQ("<null>", expand(nullptr));
    // An empty value still makes the result a text, as appending it to the null string does.
    store.setText("E", "");
    EXPECT_EQ("", expand("%E%"));
}

TEST_F(VariableStoreTest, FindCopiesAndLeavesTheArrayAloneWhenUndefined)
{
    WString::Array values("keep", static_cast<const char*>(0));
    EXPECT_FALSE(store.find("a", values));
    EXPECT_EQ(Words{"keep"}, texts(values));
    ASSERT_TRUE(store.find("A", values));
    values[0] = "changed";
    EXPECT_EQ("x,y,z", expand("%A%"));
    EXPECT_TRUE(store.find("B", values));
    EXPECT_EQ(0, values.count());
}

TEST_F(VariableStoreTest, SetValuesReplacesAndAcceptsItsOwnList)
{
    WString::Array values;
    ASSERT_TRUE(store.find("A", values));
    store.setValues("N", values);
    EXPECT_EQ("x,y,z", expand("%N%"));
    store.setText("A", nullptr);
    ASSERT_TRUE(store.find("A", values));
    EXPECT_EQ(Words{"<null>"}, texts(values));
}

TEST_F(VariableStoreTest, GetTextFallsBackWhenUndefinedOrWithoutValues)
{
    EXPECT_EQ(WString("x,y,z"), store.getText("A", "concept"));
    EXPECT_EQ(WString("concept"), store.getText("B", "concept"));
    EXPECT_EQ(WString("concept"), store.getText("SKIN", "concept"));
    EXPECT_EQ(nullptr, store.getText("SKIN", nullptr).text());
}

TEST_F(VariableStoreTest, RemoveDeletesOnlyThatVariable)
{
    store.remove("A");
    store.remove("never there");
    EXPECT_EQ("%A%,50", expand("%A%,%N%"));
}

TEST_F(VariableStoreTest, LookupsOfUndefinedNamesLeaveNoTrace)
{
    expand("%Q% %Q[1]%");
    WString::Array values;
    EXPECT_FALSE(store.find("Q", values));
    testing::internal::CaptureStdout();
    store.dump();
    fflush(stdout);
    EXPECT_EQ(std::string::npos, testing::internal::GetCapturedStdout().find("CFG: Q="));
}

TEST(VariableStoreLoadTest, LoadReplacesEverythingAndLaterLinesWin)
{
    TempFolder folder;
    writeFile(folder.file("Tarvo.cfg"),
              "SKIN=dark\r\nspeed_menu=100,200\n// X=1\nSKIN=light\nVERSION=%SKIN%\n");
    VariableStore store;
    store.setText("old", "gone");
    EXPECT_TRUE(store.load(folder.file("Tarvo.cfg").c_str()));
    WString::Array values;
    EXPECT_FALSE(store.find("old", values));
    ASSERT_TRUE(store.find("SKIN", values));
    EXPECT_EQ(Words{"light"}, texts(values));
    ASSERT_TRUE(store.find("SPEED_MENU", values));
    EXPECT_EQ((Words{"100", "200"}), texts(values));
    ASSERT_TRUE(store.find("VERSION", values));
    EXPECT_EQ(Words{"%SKIN%"}, texts(values));
}

TEST(VariableStoreLoadTest, MissingFileEmptiesTheStoreAndFileWithoutLinesLoads)
{
    TempFolder folder;
    VariableStore store;
    store.setText("old", "gone");
    EXPECT_FALSE(store.load(folder.file("absent.cfg").c_str()));
    WString::Array values;
    EXPECT_FALSE(store.find("old", values));

    writeFile(folder.file("empty.cfg"), "// nothing here\n\n");
    store.setText("old", "gone");
    EXPECT_TRUE(store.load(folder.file("empty.cfg").c_str()));
    EXPECT_FALSE(store.find("old", values));
}

TEST(VariableStoreDumpTest, DumpPrintsEveryVariableInHashOrder)
{
    VariableStore store;
    store.setText("b", "2");
    store.setValues("a", WString::Array("1", "", "3", static_cast<const char*>(0)));
    store.setValues("empty", WString::Array());
    testing::internal::CaptureStdout();
    store.dump();
    fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    // "a" lands in bucket 4, "b" in bucket 5, "empty" in bucket 15.
    EXPECT_EQ("CFG: a=1,,3\nCFG: b=2\nCFG: empty=\n", out);
}

} // namespace
