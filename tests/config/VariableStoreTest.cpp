// Tests of the variable store: the %name% expansion, setting and reading values, loading a
// configuration file and the listing.
#include "config/VariableStore.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>
#include <string>

static std::string textOf(const WString& s)
{
    return s.text() ? s.text() : "<null>";
}

TEST(VariableStoreTest, ExpandEachReferenceKindAndHandOutCopies)
{
    VariableStore store;
    store.setValues("A", WString::Array("x", "y", "z", nullptr));
    store.setValues("B", WString::Array());
    store.setText("N", "50");
    store.setText("P", "%N%");
    // An index outside int is held at its ends; undefined names come back without their index; a
    // "%" that is never closed is dropped with the rest; inserted values are not expanded again.
    const char* cases[][2] = {
        {"a%N%b%A%c", "a50bx,y,zc"},
        {"a, b", "a, b"},
        {"", "<null>"},
        {"%B%", "<null>"},
        {"%A[1]%", "y"},
        {"%A[]%", "x"},
        {"%A[3]%%A[-1]%", "<null>"},
        {"<%A[4294967296]%>", "<>"},
        {"%D[2]%", "%D%"},
        {"%[1]%", "%[1]%"},
        {"%N%%%", "50%"},
        {"%N%x%N", "50x"},
        {"%P%", "%N%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c[1], textOf(store.expand(c[0]))) << c[0];

    WString::Array values;
    ASSERT_TRUE(store.find("A", values));
    values[1] = "changed";                 // a copy: the store keeps its own
    EXPECT_FALSE(store.find("a", values)); // names are case-sensitive; values stay as they were
    EXPECT_EQ("x,changed,z x,y,z none <null>",
              textOf(values.join(",")) + " " + textOf(store.getText("A", 0)) + " " +
                  textOf(store.getText("B", "none")) + " " + textOf(store.getText("C", nullptr)));
}

// Loading replaces every variable; only a file that can be read counts as loaded. The listing
// comes in hash order: "SPEED" and "L" in bucket 14, "SKIN" in 20, "V" in 24.
TEST(VariableStoreTest, LoadReplacesEverythingAndDumpListsInHashOrder)
{
    TempFolder folder;
    VariableStore store;
    const struct {
        std::string path;
        bool loaded;
        const char* variables;
    } cases[] = {
        {folder.write("Tarvo.cfg", "SKIN=dark\r\nspeed=1,,2\n// X=1\nSKIN=light\nV=%SKIN%\nL="),
         true, "CFG: SPEED=1,,2\nCFG: L=\nCFG: SKIN=light\nCFG: V=%SKIN%\n"},
        {folder.write("empty.cfg", "// nothing here\n\n"), true, ""},
        {folder / "absent.cfg", false, ""},
        {folder.path(), false, ""},
    };
    for (const auto& c : cases) {
        store.setText("OLD", "gone");
        EXPECT_EQ(c.loaded, store.load(c.path.c_str())) << c.path;
        testing::internal::CaptureStdout();
        store.dump();
        EXPECT_EQ(c.variables, testing::internal::GetCapturedStdout()) << c.path;
    }
}
