// Findings: every diagnostic about a card, from the launcher's own reading and from tarvo-lint's
// checks, kept once each and printed sorted by file and line with a summary line.
#ifndef TARVO_TOOLS_LINT_FINDINGS_H
#define TARVO_TOOLS_LINT_FINDINGS_H

#include "base/Diagnostics.h"

#include <cstdio>
#include <set>
#include <string>
#include <vector>

// Installed as the diagnostic sink while the card is checked. A place's handheld path is turned
// into the real file below the card folder as it arrives (the place's text may not outlive the
// report). The same finding (file, line, severity and message) reported again, as when two
// skins read the same Tarvo.cfg, is kept once.
class Findings : public DiagnosticSink {
public:
    void report(const SourcePlace& place, DiagnosticSeverity severity,
                const char* message) override;

    // A text file that was checked (a handheld path), counted in the summary whether or not it
    // gave a finding.
    void countFile(const char* path);

    // Writes the findings, by file and then line (in the order they came for the same place), as
    // "PATH:LINE: error: ..." or "PATH:LINE: warning: ...", then "E errors, W warnings in F
    // files" with F the files checked or named by a finding. The exit status: 1 when there is an
    // error, or a warning and warningsAreErrors; 0 otherwise.
    int print(std::FILE* out, bool warningsAreErrors) const;

    struct Finding {
        std::string path; // the real file
        int line;
        DiagnosticSeverity severity;
        std::string message;
    };

    // The findings by file and then line, in the order they came for the same place.
    std::vector<Finding> sorted() const;

private:
    std::vector<Finding> findings;
    std::set<std::string> seen;
    std::set<std::string> files;
};

#endif
