// parseNumber: the one reading of a decimal number in skin and configuration text.
#include "base/ParseNumber.h"

#include <limits.h>

namespace {

bool isNumberSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

int parseNumber(const char* text)
{
    if (text == 0)
        return 0;
    while (isNumberSpace(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    // The magnitude is gathered unsigned against the limit of its sign, which lets INT_MIN read
    // exactly. The test comes before the multiplication: long is no wider than int on the
    // handheld, so no wider type could catch the overflow afterwards.
    const unsigned limit = static_cast<unsigned>(INT_MAX) + (negative ? 1u : 0u);
    unsigned magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        unsigned digit = static_cast<unsigned>(*text - '0');
        if (magnitude > (limit - digit) / 10)
            return negative ? INT_MIN : INT_MAX;
        magnitude = magnitude * 10 + digit;
    }
    if (!negative)
        return static_cast<int>(magnitude);
    return magnitude == limit ? INT_MIN : -static_cast<int>(magnitude);
}
