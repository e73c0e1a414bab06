// Reads a launcher text file (skin, configuration, folder descriptor) and hands out its lines as a
// keyword and arguments.
#ifndef TARVO_CONFIG_SKINREADER_H
#define TARVO_CONFIG_SKINREADER_H

#include "base/Diagnostics.h"
#include "base/TextBuffer.h"
#include "base/WString.h"

#include <stdint.h>

// Line syntax: KEYWORD=argument,argument,... The keyword is everything before the first "="
// (at least one byte), upper-cased; the arguments are split at commas outside double quotes,
// the quotes themselves dropped. A line is trimmed first; an empty line, or one starting with
// "//", is a comment. Lines without a valid "=" are skipped.
//
// The reader says what it skips or cannot read as written (base/Diagnostics.h): a line without a
// valid "=", a quote never closed, a byte order mark before the first line (which is dropped).
// Each line it hands out becomes the current place, so that whoever interprets the line can
// report at it; that place's path lives as long as the reader.
//
// The whole file is read when the reader is constructed and closed again at once, so no file
// stays open while the launcher runs. Only one pass over the lines is possible.
class SkinReader {
public:
    // A file that cannot be opened or read (missing, a directory, a read error, too large: see
    // config/ReadLines.h, which is reported) gives a reader that is not open and delivers no
    // lines.
    explicit SkinReader(const char* path);
    ~SkinReader();

    bool isOpen() const;

    // The file and the line (from 1) of the line next() delivered last; line 0 before the first.
    SourcePlace place() const;

    // A line gives at most MAX_ARGUMENTS arguments; the rest of a longer line is ignored and
    // reported, as each argument costs a string of its own wherever the line's words are kept.
    enum { MAX_ARGUMENTS = 65536 };

    // The next line that has a keyword. False at the end of the lines. The arguments always
    // hold at least one element; the first is the null string when nothing stands before the
    // first unquoted comma. The argument array is also cleared by lines that are skipped for
    // having no valid "=".
    bool next(WString& keyword, WString::Array& arguments);

    // What the lines of this reading have cost so far, which config/VariableStore.h weighs against
    // its bounds: the bytes that their expansions added, and the values and bytes of the variables
    // stored from them (storeFull once a variable did not fit). Every reading starts at nothing,
    // however much earlier readings of the same file cost.
    struct Costs {
        Costs() : expansionGrowth(0), storedValues(0), storedBytes(0), storeFull(false) {}
        int32_t expansionGrowth;
        int32_t storedValues;
        int32_t storedBytes;
        bool storeFull;
    };
    Costs& costs() { return spent; }

    // The reader whose line is being interpreted: the last reader that handed out a line, while it
    // lives and while the current place (base/Diagnostics.h) is still its line; null otherwise.
    static SkinReader* current();

private:
    SkinReader(const SkinReader&);
    SkinReader& operator=(const SkinReader&);

    bool open;
    WString path;
    WString::Array lines;
    int nextIndex;
    // Reused from line to line, so that parsing a line rarely allocates.
    TextBuffer scratch;
    Costs spent;
};

#endif
