// The handheld's log: every diagnostic of a run, one line each, in a file on the card.
#ifndef TARVO_CORE_LOGFILE_H
#define TARVO_CORE_LOGFILE_H

#include "base/Diagnostics.h"
#include "base/WString.h"

#include <stdio.h>

// On the handheld nobody sees a terminal, so the launcher writes what it finds in its files to a
// log the skin author reads on a computer: "PATH:LINE: warning: MESSAGE" lines (formatDiagnostic),
// PATH the handheld path ("/mnt/sd/..."), each with its severity's word as on standard error.
//
// The log always tells about the last start only: a start without findings leaves it empty,
// which shows the author that the skin as it is now reads cleanly (an old log kept until the
// next finding would blame lines that have since been mended). The card is written only when
// that needs it: an existing log that is not empty is emptied at start, and the file is made at
// the first finding, so a clean start on a clean log writes nothing at all. Every line is
// flushed at once: the launcher may be replaced by a program at any moment. The file never grows
// beyond LIMIT bytes: when the next line would not leave room for one more, that one last line
// says the log is cut, and nothing is written after it. A log that cannot be made or written (no
// card, a read-only or full card) drops its lines; the launcher goes on.
//
// The path goes through createFile (platform/Files.h), so a computer maps it into its card folder.
// The programs the launcher starts do not inherit the open file.
class LogFile : public DiagnosticSink {
public:
    enum { LIMIT = 64 * 1024 };

    explicit LogFile(const char* path);
    ~LogFile();

    void report(const SourcePlace& place, DiagnosticSeverity severity, const char* message);

private:
    LogFile(const LogFile&);
    LogFile& operator=(const LogFile&);

    void write(const WString& line);
    void close();

    WString path;
    FILE* stream;
    // Whether the file was made (or tried) in this run: a log that failed stays closed.
    bool made;
    long written;
    // The line that ends a log that reached its limit.
    WString cutLine;
};

#endif
