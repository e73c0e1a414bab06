// Reads a launcher text file (skin, configuration, folder descriptor) and hands out its lines as a
// keyword and arguments.
#ifndef TARVO_CONFIG_SKINREADER_H
#define TARVO_CONFIG_SKINREADER_H

#include <stdio.h>

#include "base/WString.h"
#include "config/TextBuffer.h"

// Line syntax: KEYWORD=argument,argument,... The keyword is everything before the first "="
// (at least one byte), upper-cased; the arguments are split at commas outside double quotes,
// the quotes themselves dropped. A line is trimmed first; an empty line, or one starting with
// "//", is a comment. Lines without a valid "=" are skipped silently.
//
// The whole file is read when the reader is constructed and closed again at once, so no file
// stays open while the launcher runs. Only one pass over the lines is possible.
class SkinReader {
public:
    // A file that cannot be opened or read (missing, a directory, a read error) gives a reader
    // that is not open and delivers no lines.
    explicit SkinReader(const char* path);
    ~SkinReader();

    bool isOpen() const;

    // The next line that has a keyword. False at the end of the lines. The arguments always
    // hold at least one element; the first is the null string when nothing stands before the
    // first unquoted comma. The argument array is also cleared by lines that are skipped for
    // having no valid "=".
    bool next(WString& keyword, WString::Array& arguments);

private:
    SkinReader(const SkinReader&);
    SkinReader& operator=(const SkinReader&);

    bool open;
    WString::Array lines;
    int nextIndex;
    // Reused from line to line, so that parsing a line rarely allocates.
    TextBuffer scratch;
};

enum LineReadResult {
    LinesRead,        // the whole stream
    LinesReadUpToNul, // everything before the stream's first NUL byte; the rest is ignored
    LinesUnreadable   // not a regular file, a read error, or too large to hold: no lines
};

// Splits a whole stream into lines: reading stops at the first NUL byte, every CR is dropped,
// and the rest is split at every LF, so a stream ending in LF gives a last, empty line. An
// empty stream gives no lines. lines is replaced in every case (empty when unreadable).
LineReadResult readLines(FILE* stream, WString::Array& lines);

// The same, for callers that only want the lines: unreadable streams give no lines.
WString::Array readLines(FILE* stream);

#endif
