// Reading the numbers and colours that skin arguments carry.
#include "page/SkinValues.h"

#include "base/ParseNumber.h"

#include <stdlib.h>

namespace {

// One two-character piece of a colour; the caller guarantees that text[start + 1] exists.
long colorPiece(const char* text, int start)
{
    char piece[3];
    piece[0] = text[start];
    piece[1] = text[start + 1];
    piece[2] = 0;
    return strtol(piece, 0, 16);
}

} // namespace

uint16_t parseColor(const WString& text)
{
    if (text.length() != 6)
        return badColor;
    const char* digits = text.text();
    const unsigned long red = static_cast<unsigned long>(colorPiece(digits, 0));
    const unsigned long green = static_cast<unsigned long>(colorPiece(digits, 2));
    const unsigned long blue = static_cast<unsigned long>(colorPiece(digits, 4));
    return static_cast<uint16_t>(((red & 0xF8) << 8) | ((green & 0xF8) << 3) |
                                 ((blue & 0xF8) >> 3));
}

int skinNumber(const WString& text)
{
    return parseNumber(text.text());
}
