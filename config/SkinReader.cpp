// Reads a launcher text file (skin, configuration, folder descriptor) and hands out its lines as a
// keyword and arguments.
#include "config/SkinReader.h"

#include "base/TextBuffer.h"
#include "config/ReadLines.h"
#include "platform/Files.h"

#include <string.h>

namespace {

SkinReader* lastReader = 0;

} // namespace

SkinReader::SkinReader(const char* filePath) : open(false), path(filePath), nextIndex(0)
{
    // A new reading says again what an earlier reading of the same lines said.
    forgetReportedDiagnostics();
    FILE* stream = filePath ? openFile(filePath, "rb") : 0;
    if (!stream)
        return;
    bool byteOrderMark = false;
    const LineReadResult result = readLines(stream, lines, &byteOrderMark);
    open = result == LinesRead || result == LinesReadUpToNul;
    fclose(stream);
    if (result == LinesTooLarge)
        diagnoseAt(SourcePlace(path.text(), 0), DIAGNOSTIC_ERROR,
                   "the file is larger than %d bytes or %d lines: it is not read",
                   static_cast<int>(MAX_FILE_BYTES), static_cast<int>(MAX_FILE_LINES));
    if (byteOrderMark)
        diagnoseAt(SourcePlace(path.text(), 1), DIAGNOSTIC_WARNING,
                   "the file starts with a UTF-8 byte order mark: it is skipped");
}

SkinReader::~SkinReader()
{
    if (lastReader == this)
        lastReader = 0;
}

SkinReader* SkinReader::current()
{
    // Whoever sets the place after a reader's line (the configuration's checks, a caller going
    // back to its own place) has moved on from that reading.
    return lastReader && currentPlace().path == lastReader->path.text() ? lastReader : 0;
}

bool SkinReader::isOpen() const
{
    return open;
}

SourcePlace SkinReader::place() const
{
    return SourcePlace(path.text(), nextIndex);
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
        while (WString::isWhitespace(*begin))
            ++begin;
        const char* end = begin + strlen(begin);
        while (end > begin && WString::isWhitespace(end[-1]))
            --end;
        if (begin == end || (end - begin >= 2 && begin[0] == '/' && begin[1] == '/'))
            continue;

        setCurrentPlace(place());
        lastReader = this;
        const char* equals = static_cast<const char*>(memchr(begin, '=', end - begin));
        if (!equals || equals == begin) {
            arguments.resize(0);
            const int shown = end - begin > 40 ? 40 : static_cast<int>(end - begin);
            diagnose(DIAGNOSTIC_ERROR,
                     equals ? "'%.*s%s' has no keyword before its '=': the line is ignored%s"
                            : "'%.*s%s' has no '=': the line is ignored%s",
                     shown, begin, shown < end - begin ? "..." : "",
                     *begin == '#' ? " (comments start with //)" : "");
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
        bool tooMany = false;
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
            } else if (count == MAX_ARGUMENTS) {
                tooMany = true;
                break;
            } else {
                scratch.append('\0');
                ++count;
            }
            ++p;
        }

        if (tooMany)
            diagnose(DIAGNOSTIC_ERROR,
                     "the line has more than %d arguments: the rest of the line is ignored",
                     static_cast<int>(MAX_ARGUMENTS));
        else if (quoted)
            diagnose(DIAGNOSTIC_WARNING,
                     "a quote is never closed: the argument runs to the end of the line");
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
