// Reading the numbers and colours that skin arguments carry: parseColor and skinNumber, and the
// checked readings that say what a skin line does not mean as written.
#ifndef TARVO_PAGE_SKINVALUES_H
#define TARVO_PAGE_SKINVALUES_H

#include "base/Diagnostics.h"
#include "base/WString.h"

#include <stdint.h>

struct WordList;

// The colour a malformed colour text draws in, chosen to stand out on any skin.
const uint16_t badColor = 0xD431;

// A skin colour RRGGBB in the screen format. Each two-character piece is read as strtol reads it
// in base 16 (up to the first non-hex-digit; no digit gives 0), so "GG0000" is black. A text that
// is not exactly six bytes long gives badColor. Green keeps its upper five bits only, so bit 5 of
// the result is always 0: FFFFFF gives 0xFFDF.
uint16_t parseColor(const WString& text);

// A number in a skin argument, read by parseNumber (base/ParseNumber.h): as atoi reads it
// (leading white space, a sign, the digits up to the first non-digit, 0 without digits). The null
// string gives 0, and a value beyond the range of int is held at INT_MIN or INT_MAX instead of
// being undefined.
int skinNumber(const WString& text);

// The checked readings: each gives exactly what the plain reading gives and reports, at the
// current place (base/Diagnostics.h), what the text does not say as written. Nothing is
// formatted unless something is reported, so a clean skin costs only the scan of its texts.

// parseColor; reports a text that is not six hexadecimal digits (or has spaces around it) with
// the colour it is drawn in, as RRGGBB widened from the screen value.
uint16_t checkedColor(const WString& text);

// skinNumber; reports a text that is not a decimal number (or has spaces around it) with the
// number it counts as.
int checkedNumber(const WString& text);

// Reports a text with white space at its start or end where a file name, filter or folder is
// expected: "WHAT 'TEXT' has a space at its start: it is used as written".
void checkSpaces(const WString& text, const char* what);

// Reports a file-list filter that does not mean what it looks like: a filter is the end of a
// name, compared as written, so "*.gpe" matches no name an author meant, and "gpe" matches
// "xgpe" too. "*" alone (every file) and the empty filter are what they are. Spaces as
// checkSpaces.
void checkFilter(const WString& filter);

// Whether word is one of words. When it is not, reports it with severity, as what (e.g. "element
// kind") followed by the reason: spaces around a known word, a known word in the wrong case
// (plural names the list: "kinds are lower case"), or the nearest word. onlyNear: stay silent
// when there is no near word, for lists that skins extend with words of their own.
bool checkWord(const WString& word, const WordList& words, const char* what, const char* plural,
               const char* consequence, DiagnosticSeverity severity, bool onlyNear);

// Reports a keyword that none of the lines' keywords recognise: "unknown keyword 'X' (did you
// mean 'Y'?)", or the known keyword that spaces hide. known: the candidates.
void reportUnknownKeyword(const WString& keyword, const WordList& known);

// Reports an argument count outside minimum..maximum for the kind of a keyword's line:
// "TYPE 'text' takes 5 arguments after the kind, the line gives 4: CONSEQUENCE". Too few
// arguments, and too many for an exact kind, is an error with the consequence; too many
// otherwise a warning (the first maximum are used). Returns whether the kind draws.
bool checkArgumentCount(const char* keyword, const WString& kind, int given, int minimum,
                        int maximum, bool exact, const char* consequence);

// The action words of a LEFT, RIGHT, UP, DOWN, ACTION or RETURN line or of a folder descriptor's
// ACTION: a first word that is near a known action word, page, select or favourite with other
// than one number, and clear with other than the word recent. Where the page or element lies is
// checked after the reading (page/PageTargets.h).
void checkActionWords(const WString::Array& words);

#endif
