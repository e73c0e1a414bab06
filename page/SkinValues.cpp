// Reading the numbers and colours that skin arguments carry, and their checked readings.
#include "page/SkinValues.h"

#include "base/ParseNumber.h"
#include "page/SkinWords.h"

#include <stdlib.h>
#include <string.h>

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

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Where white space surrounds text: "start", "end", "start and end", or null.
const char* spaceSide(const WString& text)
{
    const int length = text.length();
    if (length == 0)
        return 0;
    const bool start = WString::isWhitespace(text[0]);
    const bool end = WString::isWhitespace(text[length - 1]);
    if (start && end)
        return length == 1 ? "start" : "start and end";
    return start ? "start" : end ? "end" : 0;
}

// The screen colour as RRGGBB, each channel shifted up to eight bits.
unsigned widened(uint16_t color)
{
    return ((color >> 11) & 31u) << 19 | ((color >> 5) & 63u) << 10 | (color & 31u) << 3;
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

uint16_t checkedColor(const WString& text)
{
    const uint16_t color = parseColor(text);
    bool sixDigits = text.length() == 6;
    for (int i = 0; sixDigits && i < 6; ++i)
        sixDigits = isHexDigit(text[i]);
    if (sixDigits)
        return color;
    if (const char* side = spaceSide(text))
        diagnose(DIAGNOSTIC_WARNING, "colour '%s' has a space at its %s: it is drawn as %06X",
                 textOf(text), side, widened(color));
    else
        diagnose(DIAGNOSTIC_WARNING,
                 "colour '%s' is not six hexadecimal digits: it is drawn as %06X", textOf(text),
                 widened(color));
    return color;
}

int checkedNumber(const WString& text)
{
    const int value = skinNumber(text);
    const char* digits = textOf(text);
    while (WString::isWhitespace(*digits))
        ++digits;
    if (*digits == '-' || *digits == '+')
        ++digits;
    const char* end = digits;
    while (*end >= '0' && *end <= '9')
        ++end;
    const bool anyDigit = end > digits;
    while (WString::isWhitespace(*end))
        ++end;
    if (!anyDigit || *end)
        diagnose(DIAGNOSTIC_WARNING, "'%s' is not a number: it counts as %d", textOf(text), value);
    else if (const char* side = spaceSide(text))
        diagnose(DIAGNOSTIC_WARNING, "number '%s' has a space at its %s: it counts as %d",
                 textOf(text), side, value);
    return value;
}

void checkSpaces(const WString& text, const char* what)
{
    if (const char* side = spaceSide(text))
        diagnose(DIAGNOSTIC_WARNING, "%s '%s' has a space at its %s: it is used as written", what,
                 textOf(text), side);
}

void checkFilter(const WString& filter)
{
    checkSpaces(filter, "filter");
    const char* text = textOf(filter);
    if (!*text || strcmp(text, "*") == 0)
        return;
    const char* dot = strrchr(text, '.');
    if (strpbrk(text, "*?"))
        diagnose(DIAGNOSTIC_ERROR,
                 "filter '%s' is not a pattern: a filter is the end of a name as written, so "
                 "only names ending in '%s' are listed%s%s%s",
                 text, text, dot ? ": write '" : "", dot ? dot : "", dot ? "'" : "");
    else if (!dot)
        diagnose(DIAGNOSTIC_WARNING,
                 "filter '%s' has no dot: a filter is the end of a name as written, so 'x%s' is "
                 "listed too: write '.%s'",
                 text, text, text);
}

bool checkWord(const WString& word, const WordList& words, const char* what, const char* plural,
               const char* consequence, DiagnosticSeverity severity, bool onlyNear)
{
    if (words.contains(word.text()))
        return true;
    const char* text = textOf(word);
    WString trimmed(word);
    trimmed.trim();
    WString lower(word);
    lower.toLower();
    if (words.contains(trimmed.text())) {
        diagnose(severity, "%s '%s' has a space at its %s: %s", what, text, spaceSide(word),
                 consequence);
    } else if (words.contains(lower.text())) {
        diagnose(severity, "%s '%s' is not known (%s are lower case: did you mean '%s'?): %s", what,
                 text, plural, lower.text(), consequence);
    } else if (const char* nearest = words.nearest(text)) {
        diagnose(severity, "%s '%s' is not known (did you mean '%s'?): %s", what, text, nearest,
                 consequence);
    } else if (!onlyNear) {
        diagnose(severity, "%s '%s' is not known: %s", what, text, consequence);
    }
    return false;
}

void reportUnknownKeyword(const WString& keyword, const WordList& known)
{
    const char* text = textOf(keyword);
    WString trimmed(keyword);
    trimmed.trim();
    if (*text == '#')
        diagnose(DIAGNOSTIC_ERROR,
                 "'%s' is read as a keyword: comments start with //, not #: the line is ignored",
                 text);
    else if (known.contains(trimmed.text()))
        diagnose(DIAGNOSTIC_ERROR, "keyword '%s' has a space at its %s: the line is ignored", text,
                 spaceSide(keyword));
    else if (const char* nearest = known.nearest(text))
        diagnose(DIAGNOSTIC_ERROR, "unknown keyword '%s' (did you mean '%s'?): the line is ignored",
                 text, nearest);
    else
        diagnose(DIAGNOSTIC_ERROR, "unknown keyword '%s': the line is ignored", text);
}

bool checkArgumentCount(const char* keyword, const WString& kind, int given, int minimum,
                        int maximum, bool exact, const char* consequence)
{
    if (given >= minimum && given <= maximum)
        return true;
    WString wanted;
    if (minimum == maximum)
        wanted.format("%d argument%s", minimum, minimum == 1 ? "" : "s");
    else
        wanted.format("%d to %d arguments", minimum, maximum);
    if (given < minimum || exact) {
        diagnose(DIAGNOSTIC_ERROR, "%s '%s' takes %s after the kind, the line gives %d: %s",
                 keyword, textOf(kind), wanted.text(), given, consequence);
        return false;
    }
    WString used;
    if (maximum == 1)
        used = "only the first is used";
    else
        used.format("only the first %d are used", maximum);
    diagnose(DIAGNOSTIC_WARNING, "%s '%s' takes %s after the kind, the line gives %d: %s", keyword,
             textOf(kind), wanted.text(), given, used.text());
    return true;
}

void checkActionWords(const WString::Array& words)
{
    if (words.count() == 0 || words[0].isEmpty())
        return;
    if (!checkWord(words[0], actionWords, "action", "action words",
                   "it is printed and does nothing else", DIAGNOSTIC_WARNING, true))
        return;
    if (words[0] == "clear") {
        if (words.count() != 2 || !(words[1] == "recent"))
            diagnose(DIAGNOSTIC_ERROR,
                     "action 'clear' takes the one word 'recent': it is printed and does nothing "
                     "else");
        return;
    }
    const bool page = words[0] == "page";
    if (!page && words[0] != "select" && words[0] != "favourite")
        return;
    if (words.count() != 2)
        diagnose(DIAGNOSTIC_ERROR, "action '%s' takes one %s number, the line gives %d: %s",
                 words[0].text(), page ? "page" : "element", words.count() - 1,
                 page ? "it is printed and does nothing else" : "it does nothing");
    else
        checkedNumber(words[1]);
}
