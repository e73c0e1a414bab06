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
        store.setValues("A", WString::Array("x", "y", "z", nullptr));
        store.setValues("B", WString::Array());
        store.setText("N", "50");
    }

    std::string expand(const char* text)
    {
        WString result = store.expand(WString(text));
        return result.text() ? result.text() : "<null>";
    }

    Words values(const char* name)
    {
        WString::Array found("<undefined>", nullptr);
        store.find(name, found);
        return texts(found);
    }

    VariableStore store;
};

TEST_F(VariableStoreTest, ExpandEachReferenceKind)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        // %name% joins all values; an empty list gives nothing, an empty value the empty text.
        {"a%N%b%A%c", "a50bx,y,zc"},
        {"%B%", "<null>"},
        {"", "<null>"},
        {"plain text, no refs", "plain text, no refs"},
        // %name[i]% picks one value, the index read as atoi reads it.
        {"%A[1]%", "y"},
        {"%A[]%", "x"},
        {"%A[3]%", "<null>"},
        {"%A[-1]%", "<null>"},
        {"%B[0]%", "<null>"},
        {"%A[ +2]%", "z"},
        {"%A[1x]%", "y"},
        // An index too large for an int is outside the values, whatever atoi makes of it.
        {"[%A[4294967296]%]", "[]"},
        {"[%A[-4294967296]%]", "[]"},
        {"[%A[99999999999999999999999]%]", "[]"},
        // Undefined names come back without their index.
        {"%D%", "%D%"},
        {"%D[2]%", "%D%"},
        {"%[1]%", "%[1]%"},
        // %% is one percent sign, also right after a reference.
        {"%N%%%", "50%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.expected, expand(c.text));
    }
    EXPECT_EQ("<null>", expand(nullptr));
    store.setText("E", "");
    EXPECT_EQ("", expand("%E%"));
}

TEST_F(VariableStoreTest, ExpandDoesNotRescanInsertedValues)
{
    store.setText("P", "%N%");
    EXPECT_EQ("%N%!", expand("%P%!"));
    store.setText("[1]", "one");
    EXPECT_EQ("one", expand("%[1]%"));
}

TEST_F(VariableStoreTest, FindCopiesAndLeavesTheArrayAloneWhenUndefined)
{
    EXPECT_EQ(Words{"<undefined>"}, values("a"));
    EXPECT_EQ(Words{}, values("B"));
    WString::Array found;
    ASSERT_TRUE(store.find("A", found));
    found[0] = "changed";
    store.setValues("N", found);
    EXPECT_EQ("x,y,z", expand("%A%"));
    EXPECT_EQ("changed,y,z", expand("%N%"));
    store.setText("A", nullptr);
    EXPECT_EQ(Words{"<null>"}, values("A"));
}

TEST_F(VariableStoreTest, GetTextFallsBackWhenUndefinedOrWithoutValues)
{
    EXPECT_EQ(WString("x,y,z"), store.getText("A", "concept"));
    EXPECT_EQ(WString("concept"), store.getText("B", "concept"));
    EXPECT_EQ(WString("concept"), store.getText("SKIN", "concept"));
    EXPECT_EQ(nullptr, store.getText("SKIN", nullptr).text());
}

TEST_F(VariableStoreTest, RemoveDeletesOnlyThatVariableAndLookupsLeaveNoTrace)
{
    store.remove("A");
    store.remove("never there");
    EXPECT_EQ("%A%,50 %Q%", expand("%A%,%N% %Q[1]%"));
    EXPECT_EQ(Words{"<undefined>"}, values("Q"));
}

TEST(VariableStoreLoadTest, LoadReplacesEverythingAndLaterLinesWin)
{
    TempFolder folder;
    VariableStore store;
    store.setText("old", "gone");
    EXPECT_TRUE(store.load(folder
                               .write("Tarvo.cfg",
                                      "SKIN=dark\r\nspeed_menu=100,200\n// X=1\n"
                                      "SKIN=light\nVERSION=%SKIN%\n")
                               .c_str()));
    WString::Array values;
    EXPECT_FALSE(store.find("old", values));
    EXPECT_EQ(WString("light"), store.getText("SKIN", nullptr));
    EXPECT_EQ(WString("100,200"), store.getText("SPEED_MENU", nullptr));
    EXPECT_EQ(WString("%SKIN%"), store.getText("VERSION", nullptr));

    store.setText("old", "gone");
    EXPECT_FALSE(store.load((folder / "absent.cfg").c_str()));
    EXPECT_FALSE(store.find("old", values));
    store.setText("old", "gone");
    EXPECT_TRUE(store.load(folder.write("empty.cfg", "// nothing here\n\n").c_str()));
    EXPECT_FALSE(store.find("old", values));
}

TEST(VariableStoreDumpTest, DumpPrintsEveryVariableInHashOrder)
{
    VariableStore store;
    store.setText("b", "2");
    store.setValues("a", WString::Array("1", "", "3", nullptr));
    store.setValues("empty", WString::Array());
    testing::internal::CaptureStdout();
    store.dump();
    fflush(stdout);
    // "a" lands in bucket 4, "b" in bucket 5, "empty" in bucket 15.
    EXPECT_EQ("CFG: a=1,,3\nCFG: b=2\nCFG: empty=\n", testing::internal::GetCapturedStdout());
}

} // namespace
