// Reads a launcher text file (skin, configuration, folder descriptor) and hands out its lines as a
// keyword and arguments.
#include "config/SkinReader.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "config/TextBuffer.h"
#include "platform/Files.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Reads exactly size bytes into a new NUL-terminated block, or gives null. The size comes from
// fstat, not from seeking to the end: on Linux a directory opens like a file and its "size"
// says nothing about what fread would deliver. A stream that turns out longer than that (a
// file still being written, or one of the kernel's files that report no size) counts as
// unreadable rather than silently cut short.
char* readWholeStream(FILE* stream, long* sizeOut)
{
    struct stat info;
    if (!stream || fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    if (info.st_size < 0 || info.st_size > INT_MAX - 2)
        return 0;
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

LineReadResult readLines(FILE* stream, WString::Array& lines)
{
    lines.resize(0);
    long size = 0;
    char* block = readWholeStream(stream, &size);
    if (!block)
        return LinesUnreadable;
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

WString::Array readLines(FILE* stream)
{
    WString::Array lines;
    readLines(stream, lines);
    return lines;
}

SkinReader::SkinReader(const char* path) : open(false), nextIndex(0)
{
    FILE* stream = path ? openFile(path, "rb") : 0;
    if (!stream)
        return;
    open = readLines(stream, lines) != LinesUnreadable;
    fclose(stream);
}

SkinReader::~SkinReader() {}

bool SkinReader::isOpen() const
{
    return open;
}

bool SkinReader::next(WString& keyword, WString::Array& arguments)
{
    while (nextIndex < lines.count()) {
        const char* line = lines[nextIndex].text();
        ++nextIndex;
        if (!line)
            continue;
        // Trim by moving two pointers: the line is parsed from the range, never rebuilt.
        const char* begin = line;
        while (isBlank(*begin))
            ++begin;
        const char* end = begin + strlen(begin);
        while (end > begin && isBlank(end[-1]))
            --end;
        if (begin == end || (end - begin >= 2 && begin[0] == '/' && begin[1] == '/'))
            continue;

        const char* equals = static_cast<const char*>(memchr(begin, '=', end - begin));
        if (!equals || equals == begin) {
            arguments.resize(0);
            continue;
        }

        scratch.clear();
        for (const char* p = begin; p < equals; ++p) {
            char c = *p;
            // Only the ASCII letters change, as toupper does in the default locale; testing
            // the range directly keeps bytes above 127 away from toupper's signed-char trap.
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            scratch.append(c);
        }
        keyword = scratch.data();

        // The arguments are collected one after another in the scratch buffer, each ended by a
        // NUL byte (a line holds none of its own), and then copied into the array's slots, which
        // keep their blocks from the previous line. The first argument starts as the null
        // string and becomes a text only when a byte is added to it; every later argument
        // starts as the empty string.
        scratch.clear();
        bool quoted = false;
        bool firstHasText = false;
        int count = 1;
        const char* p = equals + 1;
        while (p < end) {
            const char* run = p;
            while (p < end && *p != '"' && (quoted || *p != ','))
                ++p;
            if (p > run) {
                scratch.append(run, static_cast<int>(p - run));
                firstHasText = firstHasText || count == 1;
            }
            if (p == end)
                break;
            if (*p == '"') {
                quoted = !quoted;
            } else {
                scratch.append('\0');
                ++count;
            }
            ++p;
        }

        arguments.resize(count);
        const char* argument = scratch.data();
        for (int i = 0; i < count; ++i) {
            if (i == 0 && !firstHasText)
                arguments[i] = static_cast<const char*>(0);
            else
                arguments[i] = argument;
            argument += strlen(argument) + 1;
        }
        return true;
    }
    return false;
}
