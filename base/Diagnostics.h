// Diagnostics: what the launcher says about the files it reads (the skin, the configuration, the
// folder descriptors) when it drops, ignores or cannot fully use something, one line each.
#ifndef TARVO_BASE_DIAGNOSTICS_H
#define TARVO_BASE_DIAGNOSTICS_H

#include "base/WString.h"

// What a finding costs the skin. An error makes something disappear or do nothing (a line that
// is ignored, an element that draws nothing, a picture that is missing, an action that goes
// nowhere); a warning is everything else. The launcher goes on either way; every front-end and
// the handheld's log print the same word for a finding (severityWord).
enum DiagnosticSeverity { DIAGNOSTIC_WARNING, DIAGNOSTIC_ERROR };

// A place in a file: its path as the launcher opened it (a handheld path, "/mnt/sd/..."), and the
// line, counted from 1, or 0 for the file as a whole. The path is not owned: a place that is kept
// (an element remembers the line that defined it) points at text that lives as long as it does,
// such as the launcher's own copy of the skin's path.
struct SourcePlace {
    SourcePlace() : path(0), line(0) {}
    SourcePlace(const char* placePath, int placeLine) : path(placePath), line(placeLine) {}

    const char* path;
    int line;
};

// Receives every diagnostic. The launcher's front-ends install their own: standard error with the
// path as the person can open it on a computer, a log file on the handheld, a collection that
// tarvo-lint sorts. message holds no line end.
class DiagnosticSink {
public:
    virtual ~DiagnosticSink() {}
    virtual void report(const SourcePlace& place, DiagnosticSeverity severity,
                        const char* message) = 0;
};

// The sink in force; null restores the default, which writes formatDiagnostic() lines with the
// paths as they are to standard error. The sink is not owned.
void setDiagnosticSink(DiagnosticSink* sink);

// The sink in force.
DiagnosticSink* diagnosticSink();

// A message given again for the same line (two arguments of one line naming the same undefined
// variable, say) reaches the sink once: of the reports that follow each other at one place, each
// message passes once. Every reading of a file (and the launcher's reading of all its files)
// calls this, so that it reports everything again even when its first finding is the last one
// of the reading before.
void forgetReportedDiagnostics();

// Holds the diagnostics it receives (copies of their paths and messages) until release() hands
// them to a sink in order, for a reading whose findings must come after a line that can be
// written only once the reading is over. Install it with setDiagnosticSink.
class HeldDiagnostics : public DiagnosticSink {
public:
    void report(const SourcePlace& place, DiagnosticSeverity severity, const char* message);
    void release(DiagnosticSink* sink);

private:
    // Three entries a report: the path, the message, and the line and severity as "LINE SEVERITY".
    WString::Array held;
};

// The place whose line is being interpreted. Whoever hands a line on (the skin reading, the
// configuration, a descriptor) sets it first, so that the code that interprets the line can
// report without being told where the line came from; it stays until set again.
void setCurrentPlace(const SourcePlace& place);
SourcePlace currentPlace();

// printf-style messages, at the current place or at a given one. Only a call that reports costs
// anything: the launcher's usual path never formats.
void diagnose(DiagnosticSeverity severity, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void diagnoseAt(const SourcePlace& place, DiagnosticSeverity severity, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// "error" or "warning".
const char* severityWord(DiagnosticSeverity severity);

// The compilers' format: "PATH:LINE: WORD: MESSAGE", or "PATH: WORD: MESSAGE" for line 0, where
// WORD is "warning" or "error" as the caller chooses.
WString formatDiagnostic(const char* path, int line, const char* word, const char* message);

// Of the candidates, the one a slip of the keyboard most likely turned into word: the nearest by
// edit distance (a letter added, dropped, changed, or two neighbours swapped) when that distance
// is at most 2 and smaller than the word's length; letter case is ignored, so "Image" finds
// "image". Null when none is that near.
const char* nearestWord(const char* word, const char* const* candidates, int count);

#endif
