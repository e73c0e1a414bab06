// ListReferences: what the file lists of a page fill in, for the action words of the page and
// for the pictures of its preview elements.
#ifndef TARVO_PAGE_LISTREFERENCES_H
#define TARVO_PAGE_LISTREFERENCES_H

#include "base/WString.h"

class Button;
class VariableStore;

// For every element i of the count slots of buttons that has a file list, sets in variables:
//   i    the entry under the list's cursor as listed (a folder with its "/"; empty for an empty
//        list)
//   pi   the folder of that entry (FileBrowser::entryDirectory)
//   Pi   the folder followed by the entry
//   si   the entry's name without its last extension and without a trailing "/" (entryStem)
// so that one VariableStore::expand of a text fills in every list's %i%, %pi%, %Pi% and %si%,
// and what a name inserts is never read again as a reference. used (listReferencesUsed) limits it
// to the kinds some text refers to. False when no element has a list (nothing is set then).
enum ListReference {
    LIST_ENTRY = 1,
    LIST_FOLDER = 2,
    LIST_PATH = 4,
    LIST_STEM = 8,
    ALL_LIST_REFERENCES = 15
};
bool setListVariables(const Button* const* buttons, int count, VariableStore& variables,
                      int used = ALL_LIST_REFERENCES);

// The kinds of list reference (ListReference) the texts may hold: a "%" followed by a digit, or
// by "p", "P" or "s" and a digit. Expansion never reads what a name inserts again, so no other
// text can come to refer to a list.
int listReferencesUsed(const WString::Array& texts);

// What the references of the count slots of buttons are made from: for every element with a
// file list, the entry under its cursor and that entry's folder, appended to cursors. While two
// such arrays are equal, setListVariables sets the same values.
void listCursors(const Button* const* buttons, int count, WString::Array& cursors);

// Fills in the references of words from word `from` on (variables.expand each), bounded together
// as one expansion is: the words are cut where together they reach
// VariableStore::MAX_EXPANDED_LENGTH bytes, and the words after the cut are dropped. Thousands of
// references in a folder thousands of bytes deep would otherwise make hundreds of megabytes.
void fillListReferences(const VariableStore& variables, WString::Array& words, int from);

// An entry as %si% gives it: "Snake.gpe" gives "Snake", "a.tar.gz" "a.tar", "games/" "games",
// "v1.2/" "v1". Dots at the start of a name begin no extension: ".hidden" and "../" give
// ".hidden" and "..".
WString entryStem(const WString& entry);

#endif
