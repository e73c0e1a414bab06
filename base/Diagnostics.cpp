// Diagnostics: the sink in force, the current place, the message format and the nearest word.
#include "base/Diagnostics.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

class StandardErrorSink : public DiagnosticSink {
public:
    void report(const SourcePlace& place, DiagnosticSeverity severity, const char* message)
    {
        fprintf(stderr, "%s\n",
                formatDiagnostic(place.path, place.line, severityWord(severity), message).text());
    }
};

StandardErrorSink standardError;
DiagnosticSink* sink = &standardError;
SourcePlace current;

// The place of the last report and the messages given there (severity and text).
WString lastPath;
int lastLine = -1;
WString::Array messagesAtLastPlace;

// Whether message was given at place already, in the reports just before this one; remembers it.
bool repeated(const SourcePlace& place, DiagnosticSeverity severity, const char* message)
{
    const char* path = place.path ? place.path : "";
    if (place.line != lastLine || !(lastPath == path)) {
        lastPath = path;
        lastLine = place.line;
        messagesAtLastPlace.resize(0);
    }
    WString text;
    text.format("%s %s", severityWord(severity), message);
    for (int i = 0; i < messagesAtLastPlace.count(); ++i) {
        if (messagesAtLastPlace[i] == text)
            return true;
    }
    messagesAtLastPlace.append(text);
    return false;
}

void reportOnce(const SourcePlace& place, DiagnosticSeverity severity, const char* message)
{
    if (!repeated(place, severity, message))
        sink->report(place, severity, message);
}

// Formats with the first list into a small buffer and, for a longer message, with the second
// into one of its size: a va_list cannot be read twice, so the caller starts two.
void deliver(const SourcePlace& place, DiagnosticSeverity severity, const char* format,
             va_list first, va_list second)
{
    char small[256];
    int needed = vsnprintf(small, sizeof small, format, first);
    if (needed < 0)
        return;
    if (needed < static_cast<int>(sizeof small)) {
        reportOnce(place, severity, small);
        return;
    }
    char* large = static_cast<char*>(malloc(static_cast<size_t>(needed) + 1));
    if (large)
        vsnprintf(large, static_cast<size_t>(needed) + 1, format, second);
    reportOnce(place, severity, large ? large : small);
    free(large);
}

char lowerCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The edit distance with neighbour swaps, case ignored; anything above limit counts as limit + 1.
int distance(const char* a, const char* b, int limit)
{
    enum { LONGEST = 63 };
    const int lengthA = static_cast<int>(strlen(a));
    const int lengthB = static_cast<int>(strlen(b));
    if (lengthA > LONGEST || lengthB > LONGEST || abs(lengthA - lengthB) > limit)
        return limit + 1;
    int rows[3][LONGEST + 1];
    for (int j = 0; j <= lengthB; ++j)
        rows[0][j] = j;
    for (int i = 1; i <= lengthA; ++i) {
        int* row = rows[i % 3];
        const int* previous = rows[(i + 2) % 3];
        const int* beforePrevious = rows[(i + 1) % 3];
        row[0] = i;
        for (int j = 1; j <= lengthB; ++j) {
            const int cost = lowerCase(a[i - 1]) == lowerCase(b[j - 1]) ? 0 : 1;
            int best = previous[j - 1] + cost;
            if (previous[j] + 1 < best)
                best = previous[j] + 1;
            if (row[j - 1] + 1 < best)
                best = row[j - 1] + 1;
            if (i > 1 && j > 1 && lowerCase(a[i - 1]) == lowerCase(b[j - 2]) &&
                lowerCase(a[i - 2]) == lowerCase(b[j - 1]) && beforePrevious[j - 2] + 1 < best)
                best = beforePrevious[j - 2] + 1;
            row[j] = best;
        }
    }
    return rows[lengthA % 3][lengthB];
}

} // namespace

void setDiagnosticSink(DiagnosticSink* newSink)
{
    sink = newSink ? newSink : &standardError;
}

DiagnosticSink* diagnosticSink()
{
    return sink;
}

void forgetReportedDiagnostics()
{
    lastPath.clear();
    lastLine = -1;
    messagesAtLastPlace.resize(0);
}

void HeldDiagnostics::report(const SourcePlace& place, DiagnosticSeverity severity,
                             const char* message)
{
    held.append(WString(place.path ? place.path : ""));
    held.append(WString(message));
    held.append(WString().format("%d %d", place.line, static_cast<int>(severity)));
}

void HeldDiagnostics::release(DiagnosticSink* to)
{
    for (int i = 0; i + 2 < held.count(); i += 3) {
        int line = 0;
        int severity = 0;
        sscanf(held[i + 2].text(), "%d %d", &line, &severity);
        to->report(SourcePlace(held[i].text() ? held[i].text() : "", line),
                   static_cast<DiagnosticSeverity>(severity),
                   held[i + 1].text() ? held[i + 1].text() : "");
    }
    held.resize(0);
}

void setCurrentPlace(const SourcePlace& place)
{
    current = place;
}

SourcePlace currentPlace()
{
    return current;
}

void diagnose(DiagnosticSeverity severity, const char* format, ...)
{
    va_list first;
    va_list second;
    va_start(first, format);
    va_start(second, format);
    deliver(current, severity, format, first, second);
    va_end(second);
    va_end(first);
}

void diagnoseAt(const SourcePlace& place, DiagnosticSeverity severity, const char* format, ...)
{
    va_list first;
    va_list second;
    va_start(first, format);
    va_start(second, format);
    deliver(place, severity, format, first, second);
    va_end(second);
    va_end(first);
}

const char* severityWord(DiagnosticSeverity severity)
{
    return severity == DIAGNOSTIC_ERROR ? "error" : "warning";
}

WString formatDiagnostic(const char* path, int line, const char* word, const char* message)
{
    WString text;
    if (line > 0)
        text.format("%s:%d: %s: %s", path ? path : "", line, word, message ? message : "");
    else
        text.format("%s: %s: %s", path ? path : "", word, message ? message : "");
    return text;
}

const char* nearestWord(const char* word, const char* const* candidates, int count)
{
    if (!word || !*word)
        return 0;
    const int length = static_cast<int>(strlen(word));
    const int limit = length - 1 < 2 ? length - 1 : 2;
    const char* best = 0;
    int bestDistance = limit + 1;
    for (int i = 0; i < count; ++i) {
        const int d = distance(word, candidates[i], limit);
        if (d < bestDistance) {
            best = candidates[i];
            bestDistance = d;
        }
    }
    return best;
}
