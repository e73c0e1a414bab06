// readLines: a whole launcher text file split into its lines, for the line reader and the update.
#ifndef TARVO_CONFIG_READLINES_H
#define TARVO_CONFIG_READLINES_H

#include "base/WString.h"

#include <stdio.h>

enum LineReadResult {
    LinesRead,        // the whole stream
    LinesReadUpToNul, // everything before the stream's first NUL byte; the rest is ignored
    LinesUnreadable,  // not a regular file, or a read error: no lines
    LinesTooLarge     // more than MAX_FILE_BYTES bytes or MAX_FILE_LINES lines: no lines
};

// No launcher text file comes near these; a larger one is not read, so that no file can make
// the launcher hold more than a few MiB for its lines (a file of line feeds costs a string for
// every byte).
enum { MAX_FILE_BYTES = 4 * 1024 * 1024, MAX_FILE_LINES = 131072 };

// Splits a whole stream into lines: reading stops at the first NUL byte, every CR is dropped,
// and the rest is split at every LF, so a stream ending in LF gives a last, empty line. An
// empty stream gives no lines. lines is replaced in every case (empty when unreadable).
// A UTF-8 byte order mark at the very start (editors add one, and it would make the first line's
// keyword unknown) is not part of the first line; byteOrderMark, when given, tells whether there
// was one.
LineReadResult readLines(FILE* stream, WString::Array& lines, bool* byteOrderMark = 0);

#endif
