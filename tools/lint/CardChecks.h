// CardChecks: what tarvo-lint finds on a card beyond what the launcher reports while it runs:
// pages and elements that can never be reached, texts and pictures that leave the screen,
// programs that are not on the card, settings nobody reads.
#ifndef TARVO_TOOLS_LINT_CARDCHECKS_H
#define TARVO_TOOLS_LINT_CARDCHECKS_H

class BitmapFont;
class Launcher;

// Reports (base/Diagnostics.h) about the skin the launcher has started with and whose pages
// have been drawn once (so that their pictures are loaded), at the skin lines that gave each
// finding:
// - a page with content that no "page" action reaches from the start page, going only through
//   elements that can be selected (warning);
// - an element with action words or a file list that no selection reaches from element 0
//   (NAVIGATION, "select" words, the page's RETURN) (warning);
// - a text that does not fit on the screen as the font measures it, "%battery%" counted as its
//   widest reading (warning), and a picture placed past an edge of the screen (warning);
// - a preview whose box runs past an edge of the screen (warning), whose pictures name the list
//   of an element that has none (warning), or whose picture that names no list (a fallback)
//   does not load (error);
// - an "exec" program named by a card path that is not a file on the card (error), and one that
//   cannot be checked because it is a bare name (looked up along PATH) or lies outside the card
//   (warning); programs whose name is filled in from a list ("%P0%") are not checked;
// - a "config" action naming a setting the launcher does not read (warning).
void checkSkin(const Launcher& launcher, const BitmapFont& font);

// Reads the folder descriptor at path (a handheld path ending in "/Tarvo.dat") the way a file list
// does when it enters the folder, so that everything the list reports about it is reported
// (a DIRECTORY folder that cannot be listed among it), and checks the program of its exec
// ACTION as for a skin.
void checkDescriptor(const char* path);

#endif
