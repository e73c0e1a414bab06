// Named variables, each a list of text values, and the %name% expansion of texts against them.
#ifndef TARVO_CONFIG_VARIABLESTORE_H
#define TARVO_CONFIG_VARIABLESTORE_H

#include "base/WMap.h"
#include "base/WString.h"

#include <stdint.h>

// Names are compared exactly (case-sensitively) and exist at most once; values keep the order
// in which they were given. The store owns copies of everything it is given and hands out
// copies, so nothing a caller holds changes when the store does.
//
// References that expand() replaces:
//   %name%      all values of name joined with ","
//   %name[i]%   value i (from 0, read by parseNumber), nothing when i is outside the values
//   %%          a single "%"
// An undefined name comes back as %name% (without an index), so a misspelt name shows in the
// result; a "%" that is never closed is dropped with everything after it. Inserted values are
// not scanned again.
//
// A null name is never stored: setting it does nothing and looking it up finds nothing.
class VariableStore {
public:
    VariableStore();
    ~VariableStore();

    // Replaces every variable by those of a configuration file, one per keyword (a later line
    // with the same keyword wins; nothing is expanded). False, with an empty store, when the
    // file could not be read.
    bool load(const char* path);

    // What the variables of one reading of a file (load(), or a skin's lines, config/SkinReader.h:
    // while its reader's line is the current place) may hold together: MAX_STORED_VALUES values,
    // each name counting as NAME_VALUES more (an entry of the map costs about as much as four
    // values), and MAX_STORED_BYTES bytes of names and values. A variable that would pass either
    // is not stored, nor is any later one of that reading, and the first is reported at its line.
    // Replacing a variable frees what it held. Variables set outside a reading (the launcher's
    // own) count against none.
    enum { MAX_STORED_VALUES = 32768, MAX_STORED_BYTES = 1024 * 1024, NAME_VALUES = 4 };

    // The line (from 1) of the last line of the file last loaded that set name, so that a value
    // found wrong later can be reported where it was written; 0 when that file had no such line.
    // Only load() changes it: a variable set afterwards keeps the line of the file.
    int lineOf(const char* name) const;

    // Copies the values of name into values and gives true; false leaves values alone.
    bool find(const char* name, WString::Array& values) const;
    // Stores the values under name, unless the reading that sets them has no room left for them.
    void setValues(const char* name, const WString::Array& values);
    // A one-element list holding text (a null text gives one null element).
    void setText(const char* name, const char* text);
    // The values joined with ","; the fallback (or the null string for a null fallback) when
    // the variable is undefined or has no values.
    WString getText(const char* name, const char* fallback) const;
    // Whether expand() reports at the current place (base/Diagnostics.h) what it cannot resolve:
    // a reference to a name that is not defined, unless the launcher fills it in later
    // (%battery%, %cwd%, a file list's %N%, %pN%, %PN%, %sN%), and a "%" that is never closed. The
    // skin's lines are expanded reporting; the launcher's later expansions are quiet.
    //
    // Bounds, so that no skin can make the expansion grow without end (each reference may insert
    // a value that is itself the result of an expansion): a result is never longer than
    // MAX_EXPANDED_LENGTH bytes, and the reporting expansions of the lines of one reading of a
    // file (config/SkinReader.h: the reader whose line is the current place) may together make
    // them at most EXPANSION_BUDGET bytes longer than they were written; the next reading of the
    // same file starts afresh. What passes either bound is cut, and a reporting expansion says so
    // at the line; the quiet ones cut silently and count against no reading.
    enum Reporting { QUIET, REPORTING };
    enum { MAX_EXPANDED_LENGTH = 64 * 1024, EXPANSION_BUDGET = 4 * 1024 * 1024 };
    WString expand(const WString& text, Reporting reporting = QUIET) const;
    void remove(const char* name);

    // Prints "CFG: name=values" for each variable, in the map's own order.
    void dump() const;

private:
    typedef WMap<WString, const char*, WString::Array, WString::Array&> VariableMap;
    typedef WMap<WString, const char*, int32_t, int32_t> LineMap;

    VariableStore(const VariableStore&);
    VariableStore& operator=(const VariableStore&);

    const WString::Array* lookup(const char* name) const;
    // Whether name may now hold values, as the current reading's stored values allow; counts them.
    bool mayStore(const char* name, const WString::Array& values);

    // Mutable because WMap's iterator walks a map it may change; dump() only reads.
    mutable VariableMap variables;
    LineMap lines;
    bool loaded;
};

// The launcher's own fill of one name in a text outside any store (a folder descriptor's %cwd%):
// every "%name%" in text becomes value (a null value counts as empty), scanned from the left as
// WString::replace does, and nothing else changes: "%%", a lone "%" and other references stay as
// written. A text without the reference comes back as it is. The result is bounded as expand()'s
// are: cut at VariableStore::MAX_EXPANDED_LENGTH bytes, and a REPORTING call counts against the
// reading whose line is the current place and says at that place what it cut. cut, when given,
// tells whether the result was cut.
WString expandBounded(const WString& text, const char* name, const char* value,
                      VariableStore::Reporting reporting = VariableStore::QUIET, bool* cut = 0);

#endif
