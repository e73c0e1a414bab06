// Findings: collecting, de-duplicating, sorting and printing the diagnostics of a card.
#include "tools/lint/Findings.h"

#include "platform/Files.h"

#include <algorithm>

namespace {

std::string realPath(const char* handheldPath)
{
    MappedPath path(handheldPath);
    return path.text() ? path.text() : "";
}

// "1 error", "2 errors".
std::string counted(size_t count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

} // namespace

void Findings::report(const SourcePlace& place, DiagnosticSeverity severity, const char* message)
{
    Finding finding{realPath(place.path), place.line, severity, message ? message : ""};
    const std::string key = finding.path + '\n' + std::to_string(finding.line) + '\n' +
        std::to_string(severity) + '\n' + finding.message;
    if (!seen.insert(key).second)
        return;
    files.insert(finding.path);
    findings.push_back(finding);
}

void Findings::countFile(const char* path)
{
    files.insert(realPath(path));
}

std::vector<Findings::Finding> Findings::sorted() const
{
    std::vector<Finding> list(findings);
    std::stable_sort(list.begin(), list.end(), [](const Finding& a, const Finding& b) {
        return a.path != b.path ? a.path < b.path : a.line < b.line;
    });
    return list;
}

int Findings::print(std::FILE* out, bool warningsAreErrors) const
{
    const std::vector<Finding> list = sorted();
    size_t errors = 0;
    for (const Finding& finding : list) {
        const bool error = finding.severity == DIAGNOSTIC_ERROR;
        errors += error ? 1 : 0;
        std::fprintf(out, "%s\n",
                     formatDiagnostic(finding.path.c_str(), finding.line,
                                      severityWord(finding.severity), finding.message.c_str())
                         .text());
    }
    const size_t warnings = list.size() - errors;
    std::fprintf(out, "%s, %s in %s\n", counted(errors, "error").c_str(),
                 counted(warnings, "warning").c_str(), counted(files.size(), "file").c_str());
    return errors > 0 || (warnings > 0 && warningsAreErrors) ? 1 : 0;
}
