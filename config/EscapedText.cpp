// Names written into the launcher's own files, and read back.
#include "config/EscapedText.h"

namespace {

const char hexDigits[] = "0123456789ABCDEF";

// Whether the byte at position i of a value of length bytes must be written as "%XX".
bool needsEscape(const char* text, int i, int length)
{
    const unsigned char c = static_cast<unsigned char>(text[i]);
    return c == '%' || c == '"' || c == ',' || c < 0x20 || c == 0x7F ||
        (i == length - 1 && WString::isWhitespace(text[i]));
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

void appendEscaped(TextBuffer& content, const WString& value)
{
    const char* text = value.text() ? value.text() : "";
    const int length = value.length();
    for (int i = 0; i < length; ++i) {
        if (needsEscape(text, i, length)) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            content.append('%');
            content.append(hexDigits[c >> 4]);
            content.append(hexDigits[c & 15]);
        } else {
            content.append(text[i]);
        }
    }
}

bool readEscaped(const WString& value, WString& name)
{
    TextBuffer bytes;
    bytes.append("");
    const char* text = value.text() ? value.text() : "";
    for (int i = 0; text[i]; ++i) {
        if (text[i] != '%') {
            bytes.append(text[i]);
            continue;
        }
        const int high = hexValue(text[i + 1]);
        const int low = high < 0 ? -1 : hexValue(text[i + 2]);
        if (low < 0 || (high == 0 && low == 0))
            return false;
        bytes.append(static_cast<char>(high * 16 + low));
        i += 2;
    }
    name = bytes.toString();
    return true;
}
