// Reads a launcher text file (skin, configuration, folder descriptor) and hands out its lines as a
// keyword and arguments.
#ifndef TARVO_CONFIG_SKINREADER_H
#define TARVO_CONFIG_SKINREADER_H

#include "base/Diagnostics.h"
#include "base/TextBuffer.h"
#include "base/WString.h"

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

private:
    SkinReader(const SkinReader&);
    SkinReader& operator=(const SkinReader&);

    bool open;
    WString path;
    WString::Array lines;
    int nextIndex;
    // Reused from line to line, so that parsing a line rarely allocates.
    TextBuffer scratch;
};

#endif
