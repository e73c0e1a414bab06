// Named variables, each a list of text values, and the %name% expansion of texts against them.
#include "config/VariableStore.h"

#include "base/Diagnostics.h"
#include "base/ParseNumber.h"
#include "base/TextBuffer.h"
#include "config/SkinReader.h"

#include <stdio.h>
#include <string.h>

namespace {

// The values joined with ",", with exactly the null/empty outcome of WString::join: nothing at
// all for no values or a single null value. WString::join appends through strlen at every step;
// a variable may hold thousands of values, so the text is built in the buffer instead.
void appendJoined(TextBuffer& out, const WString::Array& values)
{
    int count = values.count();
    if (count == 0)
        return;
    out.append(values[0]);
    for (int i = 1; i < count && !out.wasCut(); ++i) {
        out.append(',');
        out.append(values[i]);
    }
}

// An undefined name stays in the text, so that a misspelt name shows in the result.
// The references that the launcher fills in after the skin is read: "battery" when a text is
// drawn, "cwd" in a folder descriptor, and a file list's "N", "pN", "PN" and "sN" in actions and
// previews.
bool isFilledInLater(const char* name)
{
    if (strcmp(name, "battery") == 0 || strcmp(name, "cwd") == 0)
        return true;
    if (*name == 'p' || *name == 'P' || *name == 's')
        ++name;
    if (!*name)
        return false;
    while (*name >= '0' && *name <= '9')
        ++name;
    return !*name;
}

void appendUndefined(TextBuffer& out, const TextBuffer& name, VariableStore::Reporting reporting)
{
    if (reporting == VariableStore::REPORTING && !isFilledInLater(name.data()))
        diagnose(DIAGNOSTIC_WARNING, "'%%%s%%' is not defined above this line: it stays as written",
                 name.data());
    out.append('%');
    out.append(name.data(), name.length());
    out.append('%');
}

// The bounds of one expansion: how long its result may become, and, for a reporting expansion,
// the reading whose line it expands, which pays for what the result adds.
class ExpansionBound {
public:
    ExpansionBound(int writtenLength, VariableStore::Reporting reporting)
        : written(writtenLength), limit(VariableStore::MAX_EXPANDED_LENGTH),
          reading(reporting == VariableStore::REPORTING ? SkinReader::current() : 0),
          report(reporting == VariableStore::REPORTING), budgetBinds(false)
    {
        if (!reading)
            return;
        const int32_t left = VariableStore::EXPANSION_BUDGET - reading->costs().expansionGrowth;
        if (left < limit - written) {
            budgetBinds = true;
            limit = left > 0 ? written + left : written;
        }
    }

    int maxLength() const { return limit; }

    // Says what was cut, and charges what the result added to the reading.
    void settle(const TextBuffer& result)
    {
        // The reading's budget is reported once, when it runs out; a single long result each
        // time.
        if (result.wasCut() && report && !budgetBinds)
            diagnose(DIAGNOSTIC_ERROR,
                     "the argument expands to more than %d bytes: it is cut there",
                     static_cast<int>(VariableStore::MAX_EXPANDED_LENGTH));
        else if (result.wasCut() && report &&
                 reading->costs().expansionGrowth < VariableStore::EXPANSION_BUDGET)
            diagnose(DIAGNOSTIC_ERROR,
                     "the variables of this file have made its texts %d bytes longer: this "
                     "argument and every later expansion are cut",
                     static_cast<int>(VariableStore::EXPANSION_BUDGET));
        if (reading && result.length() > written)
            reading->costs().expansionGrowth += result.length() - written;
    }

private:
    int written;
    int limit;
    SkinReader* reading;
    bool report;
    bool budgetBinds;
};

// The values and bytes a variable holds as its reading counts them, its name being NAME_VALUES
// values more. The bytes are counted only until they pass the bound, which is all a comparison
// needs.
struct StoredSize {
    StoredSize() : values(0), bytes(0) {}
    StoredSize(const char* name, const WString::Array& held)
        : values(VariableStore::NAME_VALUES + held.count()),
          bytes(static_cast<int32_t>(strlen(name)))
    {
        for (int i = 0; i < held.count() && bytes <= VariableStore::MAX_STORED_BYTES; ++i)
            bytes += held[i].length();
    }

    int32_t values;
    int32_t bytes;
};

} // namespace

VariableStore::VariableStore() : variables(), lines(), loaded(false) {}

VariableStore::~VariableStore() {}

bool VariableStore::load(const char* path)
{
    variables.clear();
    lines.clear();
    loaded = false;
    SkinReader reader(path);
    if (!reader.isOpen())
        return false;
    WString keyword;
    WString::Array arguments;
    while (reader.next(keyword, arguments)) {
        if (!mayStore(keyword.text(), arguments))
            continue;
        variables[keyword.text()] = arguments;
        lines[keyword.text()] = reader.place().line;
    }
    loaded = true;
    return loaded;
}

int VariableStore::lineOf(const char* name) const
{
    const int32_t* line = name ? lines.findValue(name) : 0;
    return line ? *line : 0;
}

const WString::Array* VariableStore::lookup(const char* name) const
{
    // The stored list itself: the expansion looks names up at every reference and must not
    // pay for a copy of the values each time.
    return name ? variables.findValue(name) : 0;
}

bool VariableStore::find(const char* name, WString::Array& values) const
{
    const WString::Array* found = lookup(name);
    if (!found)
        return false;
    values = *found;
    return true;
}

bool VariableStore::mayStore(const char* name, const WString::Array& values)
{
    SkinReader* reading = SkinReader::current();
    if (!reading)
        return true;
    SkinReader::Costs& spent = reading->costs();
    if (spent.storeFull)
        return false;
    const WString::Array* held = lookup(name);
    const StoredSize freed = held ? StoredSize(name, *held) : StoredSize();
    const StoredSize added(name, values);
    const int32_t valuesAfter =
        (spent.storedValues > freed.values ? spent.storedValues - freed.values : 0) + added.values;
    const int32_t bytesAfter =
        (spent.storedBytes > freed.bytes ? spent.storedBytes - freed.bytes : 0) + added.bytes;
    if (valuesAfter > MAX_STORED_VALUES || bytesAfter > MAX_STORED_BYTES) {
        spent.storeFull = true;
        diagnose(DIAGNOSTIC_ERROR,
                 "the variables of this file would hold more than %d values or %d bytes: this "
                 "variable and every later one are not stored",
                 static_cast<int>(MAX_STORED_VALUES), static_cast<int>(MAX_STORED_BYTES));
        return false;
    }
    spent.storedValues = valuesAfter;
    spent.storedBytes = bytesAfter;
    return true;
}

void VariableStore::setValues(const char* name, const WString::Array& values)
{
    // values may be the very list stored under name: array self-assignment is harmless, and
    // creating an entry never moves the others.
    if (name && mayStore(name, values))
        variables[name] = values;
}

void VariableStore::setText(const char* name, const char* text)
{
    // Outside a reading, a variable that holds one value takes the new text in place: a
    // preview sets its lists' variables on every move of a cursor, and a new list for each cost
    // three allocations more (and as many frees).
    WString::Array* held = name && !SkinReader::current() ? variables.findValue(name) : 0;
    if (held && held->count() == 1) {
        (*held)[0] = text;
        return;
    }
    WString::Array values;
    values.append(WString(text));
    setValues(name, values);
}

WString VariableStore::getText(const char* name, const char* fallback) const
{
    const WString::Array* values = lookup(name);
    if (!values || values->count() == 0)
        return WString(fallback);
    TextBuffer joined;
    appendJoined(joined, *values);
    return joined.toString();
}

WString VariableStore::expand(const WString& text, Reporting reporting) const
{
    const char* p = text.text();
    if (!p || !*p)
        return WString();
    if (!strchr(p, '%'))
        return text;

    ExpansionBound bound(text.length(), reporting);
    TextBuffer result;
    result.limitTo(bound.maxLength());
    TextBuffer name;
    name.append("", 0);
    bool inside = false;
    while (*p && !result.wasCut()) {
        if (*p != '%') {
            const char* run = p;
            while (*p && *p != '%')
                ++p;
            (inside ? name : result).append(run, static_cast<int>(p - run));
            continue;
        }
        ++p;
        if (inside) {
            int length = name.length();
            const char* bracket = static_cast<const char*>(memchr(name.data(), '[', length));
            if (length == 0) {
                result.append('%');
            } else if (name.data()[length - 1] == ']' && bracket && bracket != name.data()) {
                int bracketAt = static_cast<int>(bracket - name.data());
                name.truncate(length - 1); // cut the "]" so the index text ends there
                int index = parseNumber(name.data() + bracketAt + 1);
                name.truncate(bracketAt);
                const WString::Array* values = lookup(name.data());
                if (values) {
                    if (index >= 0 && index < values->count())
                        result.append((*values)[index]);
                } else {
                    appendUndefined(result, name, reporting);
                }
            } else {
                const WString::Array* values = lookup(name.data());
                if (values) {
                    appendJoined(result, *values);
                } else {
                    appendUndefined(result, name, reporting);
                }
            }
            name.clear();
            name.append("", 0);
        }
        inside = !inside;
    }
    if (inside && !result.wasCut() && reporting == REPORTING)
        diagnose(DIAGNOSTIC_WARNING,
                 "a '%%' is never closed: it is dropped with the rest of the "
                 "argument");
    bound.settle(result);
    return result.toString();
}

void VariableStore::remove(const char* name)
{
    if (name)
        variables.remove(name);
}

void VariableStore::dump() const
{
    VariableMap::Iterator iterator(variables);
    WString name;
    WString::Array values;
    while (iterator.hasNext()) {
        iterator.next(name, values);
        TextBuffer joined;
        appendJoined(joined, values);
        printf("CFG: %s=%s\n", name.text() ? name.text() : "", joined.data());
    }
}

WString expandBounded(const WString& text, const char* name, const char* value,
                      VariableStore::Reporting reporting, bool* cut)
{
    if (cut)
        *cut = false;
    TextBuffer reference;
    reference.append('%');
    reference.append(name);
    reference.append('%');
    const char* p = text.text();
    if (!p || !name || !*name || !strstr(p, reference.data()))
        return text;
    const int valueLength = value ? static_cast<int>(strlen(value)) : 0;
    ExpansionBound bound(text.length(), reporting);
    TextBuffer result;
    result.limitTo(bound.maxLength());
    for (const char* found; (found = strstr(p, reference.data())) && !result.wasCut();
         p = found + reference.length()) {
        result.append(p, static_cast<int>(found - p));
        result.append(value ? value : "", valueLength);
    }
    result.append(p);
    bound.settle(result);
    if (cut)
        *cut = result.wasCut();
    return result.toString();
}
