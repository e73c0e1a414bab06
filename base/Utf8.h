// decodeCharacter: the one reading of the characters of a text, for drawing and measuring it.
#ifndef TARVO_BASE_UTF8_H
#define TARVO_BASE_UTF8_H

#include <stdint.h>

// Reads the character that starts at text, which must not be the text's terminating 0, into
// code and returns how many bytes it took (1 to 4). A valid UTF-8 sequence (the shortest form of
// a code point up to U+10FFFF that is no surrogate) is that code point; any other byte is the
// Latin-1 character of its value, alone: a name from a card mounted with a Latin-1 character set,
// a skin saved by an old editor, a truncated or overlong sequence, a surrogate, a byte 0xF5 to
// 0xFF or a stray continuation byte. A sequence ends at the first byte that does not continue it,
// the terminating 0 included, so nothing past the end of the text is read.
int decodeCharacter(const unsigned char* text, uint32_t& code);

#endif
