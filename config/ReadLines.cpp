// readLines: a whole launcher text file split into its lines, for the line reader and the update.
#include "config/ReadLines.h"

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

namespace {

// Reads exactly size bytes into a new NUL-terminated block, or gives null. The size comes from
// fstat, not from seeking to the end: on Linux a directory opens like a file and its "size"
// says nothing about what fread would deliver. A stream that turns out longer than that (a
// file still being written, or one of the kernel's files that report no size) counts as
// unreadable rather than silently cut short.
char* readWholeStream(FILE* stream, long* sizeOut, bool* tooLarge)
{
    struct stat info;
    if (!stream || fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    if (info.st_size < 0)
        return 0;
    if (info.st_size > MAX_FILE_BYTES) {
        *tooLarge = true;
        return 0;
    }
    long size = static_cast<long>(info.st_size);
    if (fseek(stream, 0, SEEK_SET) != 0)
        return 0;
    char* block = static_cast<char*>(malloc(size + 1));
    if (!block)
        return 0;
    long got = 0;
    while (got < size) {
        size_t count = fread(block + got, 1, size - got, stream);
        if (count == 0)
            break;
        got += static_cast<long>(count);
    }
    if (got != size || ferror(stream) || fgetc(stream) != EOF || ferror(stream)) {
        free(block);
        return 0;
    }
    block[size] = '\0';
    *sizeOut = size;
    return block;
}

} // namespace

LineReadResult readLines(FILE* stream, WString::Array& lines, bool* byteOrderMark)
{
    lines.resize(0);
    if (byteOrderMark)
        *byteOrderMark = false;
    long size = 0;
    bool tooLarge = false;
    char* block = readWholeStream(stream, &size, &tooLarge);
    if (!block)
        return tooLarge ? LinesTooLarge : LinesUnreadable;
    if (size >= 3 && memcmp(block, "\xEF\xBB\xBF", 3) == 0) {
        size -= 3;
        memmove(block, block + 3, static_cast<size_t>(size) + 1);
        if (byteOrderMark)
            *byteOrderMark = true;
    }
    if (size == 0) {
        free(block);
        return LinesRead;
    }

    const char* nul = static_cast<const char*>(memchr(block, '\0', size));
    LineReadResult result = nul ? LinesReadUpToNul : LinesRead;
    long end = nul ? nul - block : size;

    // Drop the CRs and count the lines in one pass, then cut the block at each LF so that
    // every line can be copied out as a text of its own.
    long kept = 0;
    int lineCount = 1;
    for (long i = 0; i < end; ++i) {
        char c = block[i];
        if (c == '\r')
            continue;
        if (c == '\n')
            ++lineCount;
        block[kept++] = c;
    }
    block[kept] = '\0';
    if (lineCount > MAX_FILE_LINES) {
        free(block);
        return LinesTooLarge;
    }

    lines.resize(lineCount);
    char* start = block;
    for (int index = 0; index < lineCount; ++index) {
        char* feed = static_cast<char*>(memchr(start, '\n', block + kept - start));
        if (feed)
            *feed = '\0';
        lines[index] = start;
        if (feed)
            start = feed + 1;
    }
    free(block);
    return result;
}
