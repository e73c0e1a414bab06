// CardLint: tarvo-lint's whole check of a card, for the linter and the studio in the browser.
#ifndef TARVO_TOOLS_LINT_CARDLINT_H
#define TARVO_TOOLS_LINT_CARDLINT_H

class Findings;

// Checks the card below /mnt/sd (mapped by platform/Files.h) into findings: Tarvo.cfg and every
// skin below Tarvo/skins/ are read by the launcher's own start-up (once as the handheld starts,
// with SKIN from Tarvo.cfg, then once for each skin folder) on the platform backend linked in;
// every page with content is drawn once, so that what drawing finds (pictures, lists) is
// reported too; every Tarvo.dat on the card is read as a file list reads it; the checks of
// tools/lint/CardChecks.h come on top. The launcher's own lines on standard output go nowhere
// meanwhile. The diagnostic sink in force before is in force again after. The process-wide
// objects (the variables, the font, the image cache) are left as the last reading made them.
void lintCard(Findings& findings);

// The launcher prints its own lines ("Loaded font: ...") on standard output, which belongs to
// others while the card is only read to be checked: while this lives, standard output goes
// nowhere.
class SilencedStandardOutput {
public:
    SilencedStandardOutput();
    ~SilencedStandardOutput();
    SilencedStandardOutput(const SilencedStandardOutput&) = delete;
    SilencedStandardOutput& operator=(const SilencedStandardOutput&) = delete;

private:
    int saved;
};

#endif
