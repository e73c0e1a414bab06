// Tests of the variable store: the %name% expansion, setting and reading values, loading a
// configuration file and the listing.
#include "base/Diagnostics.h"
#include "config/SkinReader.h"
#include "config/VariableStore.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>
#include <string>

static std::string stringOf(const WString& s)
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
        EXPECT_EQ(c[1], stringOf(store.expand(c[0]))) << c[0];

    WString::Array values;
    ASSERT_TRUE(store.find("A", values));
    values[1] = "changed";                 // a copy: the store keeps its own
    EXPECT_FALSE(store.find("a", values)); // names are case-sensitive; values stay as they were
    EXPECT_EQ("x,changed,z x,y,z none <null>",
              stringOf(values.join(",")) + " " + stringOf(store.getText("A", 0)) + " " +
                  stringOf(store.getText("B", "none")) + " " +
                  stringOf(store.getText("C", nullptr)));
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

// The fill of one name outside a store touches nothing but that reference, and its result stops
// at 64 KiB as every expansion's does.
TEST(VariableStoreTest, ExpandBoundedFillsOneNameAndIsCutAt64KiB)
{
    bool cut = true;
    EXPECT_EQ(
        "/a/x/a/%%/%b%/50%",
        stringOf(expandBounded("%cwd%x%cwd%%%/%b%/50%", "cwd", "/a/", VariableStore::QUIET, &cut)));
    EXPECT_FALSE(cut);
    EXPECT_EQ("<null> 50%cwd x",
              stringOf(expandBounded(WString(), "cwd", "/")) + " " +
                  stringOf(expandBounded("50%cwd", "cwd", "/")) + " " +
                  stringOf(expandBounded("%cwd%x", "cwd", nullptr)));
    std::string many, folder(1000, 'f');
    for (int i = 0; i < 100; ++i)
        many += "%cwd%";
    const WString filled =
        expandBounded(many.c_str(), "cwd", folder.c_str(), VariableStore::QUIET, &cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(65536, filled.length());
    EXPECT_EQ(std::string::npos, stringOf(filled).find_first_not_of('f'));
}

namespace {

// Every diagnostic's message, one line each, for as long as it lives.
struct CollectedDiagnostics : DiagnosticSink {
    CollectedDiagnostics() { setDiagnosticSink(this); }
    ~CollectedDiagnostics() override { setDiagnosticSink(nullptr); }
    void report(const SourcePlace& place, DiagnosticSeverity, const char* message) override
    {
        text += std::to_string(place.line) + ": " + message + "\n";
    }
    std::string text;
};

} // namespace

// A skin of a few hundred bytes that makes a value four times longer a line would grow it to a
// gibibyte: every result stops at 64 KiB, and the expansions of one reading of a file together add
// at most 4 MiB, reported once, when that runs out; reading the file again starts afresh.
TEST(VariableStoreTest, ExpansionGrowthIsCutAtEachResultAndForEachReadingOfAFile)
{
    CollectedDiagnostics diagnostics;
    VariableStore store;
    store.setText("a", "0123456789abcdef");
    for (int line = 2; line <= 9; ++line) {
        setCurrentPlace(SourcePlace("skin", line));
        store.setText("a", store.expand("%a%%a%%a%%a%", VariableStore::REPORTING).text());
    }
    std::string copies;
    while (copies.size() < 65536)
        copies += "0123456789abcdef";
    EXPECT_EQ(copies, stringOf(store.getText("a", nullptr)));
    const std::string cut = ": the argument expands to more than 65536 bytes: it is cut there\n";
    EXPECT_EQ("8" + cut + "9" + cut, diagnostics.text);

    diagnostics.text.clear();
    TempFolder folder;
    std::string lines;
    for (int line = 1; line <= 70; ++line)
        lines += "A=%a%\n";
    const std::string path = folder.write("big.skin", lines);
    for (int reading = 1; reading <= 2; ++reading) {
        SkinReader reader(path.c_str());
        WString keyword;
        WString::Array arguments;
        size_t added = 0;
        while (reader.next(keyword, arguments))
            added += store.expand(arguments[0], VariableStore::REPORTING).length() - 3;
        EXPECT_EQ(size_t(VariableStore::EXPANSION_BUDGET), added) << "reading " << reading;
    }
    const std::string spent = "65: the variables of this file have made its texts 4194304 "
                              "bytes longer: this argument and every later expansion are cut\n";
    EXPECT_EQ(spent + spent, diagnostics.text);
    EXPECT_EQ(65536, store.expand("%a%").length()) << "the launcher's own expansions";
    setCurrentPlace(SourcePlace(path.c_str(), 1));
    EXPECT_EQ(65536, store.expand("%a%", VariableStore::REPORTING).length()) << "no reading";
    setCurrentPlace(SourcePlace());
}
