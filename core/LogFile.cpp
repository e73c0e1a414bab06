// The handheld's log: every diagnostic of a run, one line each, in a file on the card.
#include "core/LogFile.h"

#include "platform/Files.h"

#include <sys/stat.h>

// Made anew, never written through a link, and closed on exec (createFile): a launched program
// has no business with it.
LogFile::LogFile(const char* logPath) : path(logPath), stream(0), made(false), written(0)
{
    struct stat info;
    if (statPath(logPath, &info) == 0 && (info.st_size != 0 || !S_ISREG(info.st_mode))) {
        stream = createFile(logPath);
        made = true;
    }
    WString limit;
    limit.format("the log has reached its limit of %d bytes: the later diagnostics of this run "
                 "are not written",
                 static_cast<int>(LIMIT));
    cutLine = formatDiagnostic(logPath, 0, "warning", limit.text());
}

LogFile::~LogFile()
{
    close();
}

void LogFile::report(const SourcePlace& place, DiagnosticSeverity severity, const char* message)
{
    if (!made) {
        stream = createFile(path.text());
        made = true;
    }
    if (!stream)
        return;
    const WString line = formatDiagnostic(place.path, place.line, severityWord(severity), message);
    // Room for the cut line is always kept, so a full log ends with it rather than with half a
    // line.
    if (written + line.length() + 1 + cutLine.length() + 1 <= LIMIT) {
        write(line);
    } else {
        write(cutLine);
        close();
    }
}

void LogFile::write(const WString& line)
{
    // A line that cannot be written whole ends the log: a full card takes no later line either.
    if (fputs(line.text(), stream) < 0 || fputc('\n', stream) == EOF || fflush(stream) != 0)
        close();
    else
        written += line.length() + 1;
}

void LogFile::close()
{
    if (stream)
        fclose(stream);
    stream = 0;
}
