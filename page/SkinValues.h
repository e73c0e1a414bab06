// Reading the numbers and colours that skin arguments carry: parseColor and skinNumber.
#ifndef TARVO_PAGE_SKINVALUES_H
#define TARVO_PAGE_SKINVALUES_H

#include "base/WString.h"

#include <stdint.h>

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

#endif
