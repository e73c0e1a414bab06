// parseNumber: the one reading of a decimal number in skin and configuration text.
#ifndef TARVO_BASE_PARSENUMBER_H
#define TARVO_BASE_PARSENUMBER_H

// Reads text as atoi does: leading white space (space, TAB, LF, VT, FF, CR), an optional sign,
// then the digits up to the first non-digit; no digits give 0, and so does a null pointer. A
// value beyond the range of int is held at INT_MIN or INT_MAX, where atoi's result would be
// undefined. Skin coordinates, page numbers and the index of a %name[i]% reference all read
// their numbers here.
int parseNumber(const char* text);

#endif
