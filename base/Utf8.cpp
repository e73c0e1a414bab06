// decodeCharacter: UTF-8 with Latin-1 for every byte that does not belong to a valid sequence.
#include "base/Utf8.h"

int decodeCharacter(const unsigned char* text, uint32_t& code)
{
    const uint32_t lead = text[0];
    code = lead;
    if (lead < 0xC2 || lead > 0xF4)
        return 1; // ASCII, a continuation byte, an overlong two-byte lead or past U+10FFFF
    const int length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    // The second byte's range also refuses the overlong three- and four-byte forms, the
    // surrogates (ED A0 to ED BF) and what lies past U+10FFFF (F4 90 and above).
    const uint32_t low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const uint32_t high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (text[1] < low || text[1] > high)
        return 1;
    uint32_t value = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80)
            return 1;
        value = value << 6 | (text[i] & 0x3F);
    }
    code = value;
    return length;
}
