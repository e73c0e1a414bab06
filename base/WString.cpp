// WString: the owned, NUL-terminated byte string.
#include "base/WString.h"

#include "base/Check.h"

#include <ctype.h>
#include <functional>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

// The file browser qsorts Array::data() with an element size of one pointer.
typedef char WStringIsOnePointer[sizeof(WString) == sizeof(char*) ? 1 : -1];

namespace {

// What operator[] hands out for index 0 of the null string: reading it gives the NUL every text
// ends with, and a write cannot reach anybody's text.
char nullStringByte = 0;

// Running out of memory ends the program, as it would on the handheld; it must never turn into a
// write through a null pointer at some offset.
char* allocateText(size_t bytes)
{
    char* block = static_cast<char*>(malloc(bytes));
    TARVO_CHECK(block != 0);
    return block;
}

char* reallocateText(char* text, size_t bytes)
{
    char* block = static_cast<char*>(realloc(text, bytes));
    TARVO_CHECK(block != 0);
    return block;
}

// Every length must fit the int that length() returns.
size_t addLengths(size_t a, size_t b)
{
    TARVO_CHECK(a <= static_cast<size_t>(INT_MAX) && b <= static_cast<size_t>(INT_MAX) - a);
    return a + b;
}

size_t multiplyLength(size_t length, size_t times)
{
    TARVO_CHECK(length == 0 || times <= static_cast<size_t>(INT_MAX) / length);
    return length * times;
}

char* copyBytes(const char* bytes, size_t count)
{
    char* text = allocateText(count + 1);
    memcpy(text, bytes, count);
    text[count] = '\0';
    return text;
}

// The length of text, but reading no further than limit bytes: index checks and slices near the
// start of a long text then cost what they touch, not the whole text.
size_t boundedLength(const char* text, size_t limit)
{
    size_t n = 0;
    while (n < limit && text[n] != '\0') {
        ++n;
    }
    return n;
}

} // namespace

bool WString::isWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

WString::WString() : text_(0) {}

WString::WString(const char* s) : text_(0)
{
    *this = s;
}

WString::WString(const WString& s) : text_(0)
{
    *this = s.text_;
}

WString::WString(char c) : text_(0)
{
    *this = c;
}

WString::~WString()
{
    free(text_);
}

WString WString::adopt(char* text)
{
    WString s;
    s.text_ = text;
    return s;
}

// True when p points into this string's text (its NUL included), given the text's length.
static bool pointsInto(const char* text, size_t length, const char* p)
{
    std::less<const char*> before;
    return text != 0 && !before(p, text) && !before(text + length, p);
}

WString& WString::operator=(const char* s)
{
    if (s == 0) {
        clear();
        return *this;
    }
    if (s == text_) {
        return *this;
    }
    size_t n = strlen(s);
    if (text_ != 0 && pointsInto(text_, strlen(text_), s)) {
        // A tail of our own text: move it down before the block shrinks under it.
        memmove(text_, s, n + 1);
        text_ = reallocateText(text_, n + 1);
    } else {
        text_ = reallocateText(text_, n + 1);
        memcpy(text_, s, n + 1);
    }
    return *this;
}

WString& WString::operator=(const WString& s)
{
    return *this = s.text_;
}

WString& WString::operator=(char c)
{
    text_ = reallocateText(text_, 2);
    text_[0] = c;
    text_[1] = '\0';
    return *this;
}

void WString::clear()
{
    free(text_);
    text_ = 0;
}

const char* WString::text() const
{
    return text_;
}

char* WString::text()
{
    return text_;
}

char& WString::operator[](int i)
{
    if (text_ == 0) {
        TARVO_CHECK(i == 0);
        nullStringByte = '\0';
        return nullStringByte;
    }
    TARVO_CHECK(i >= 0 && boundedLength(text_, static_cast<size_t>(i)) == static_cast<size_t>(i));
    return text_[i];
}

const char& WString::operator[](int i) const
{
    return const_cast<WString*>(this)->operator[](i);
}

int WString::length() const
{
    return text_ == 0 ? 0 : static_cast<int>(strlen(text_));
}

bool WString::isEmpty() const
{
    return text_ == 0 || text_[0] == '\0';
}

WString& WString::operator+=(const char* s)
{
    if (s == 0) {
        return *this;
    }
    size_t oldLength = text_ == 0 ? 0 : strlen(text_);
    size_t added = strlen(s);
    size_t total = addLengths(oldLength, added);
    if (pointsInto(text_, oldLength, s)) {
        // Appending (part of) ourselves: the source moves with the block.
        size_t offset = static_cast<size_t>(s - text_);
        text_ = reallocateText(text_, total + 1);
        memmove(text_ + oldLength, text_ + offset, added);
    } else {
        text_ = reallocateText(text_, total + 1);
        memcpy(text_ + oldLength, s, added);
    }
    text_[total] = '\0';
    return *this;
}

WString& WString::operator+=(const WString& s)
{
    return *this += s.text_;
}

WString& WString::operator+=(char c)
{
    size_t oldLength = text_ == 0 ? 0 : strlen(text_);
    size_t total = addLengths(oldLength, 1);
    text_ = reallocateText(text_, total + 1);
    text_[oldLength] = c;
    text_[total] = '\0';
    return *this;
}

WString WString::operator+(const char* s) const
{
    WString result(*this);
    result += s;
    return result;
}

WString WString::operator+(const WString& s) const
{
    WString result(*this);
    result += s;
    return result;
}

WString WString::operator+(char c) const
{
    WString result(*this);
    result += c;
    return result;
}

WString operator+(const char* left, const WString& right)
{
    WString result(left);
    result += right;
    return result;
}

WString operator+(char left, const WString& right)
{
    WString result(left);
    result += right;
    return result;
}

WString WString::operator*(unsigned n) const
{
    if (n == 0) {
        return WString("");
    }
    if (text_ == 0) {
        return WString();
    }
    size_t length = strlen(text_);
    size_t total = multiplyLength(length, n);
    char* result = allocateText(total + 1);
    for (size_t at = 0; at < total; at += length) {
        memcpy(result + at, text_, length);
    }
    result[total] = '\0';
    return adopt(result);
}

WString& WString::operator*=(unsigned n)
{
    WString repeated = *this * n;
    char* old = text_;
    text_ = repeated.text_;
    repeated.text_ = old;
    return *this;
}

WString WString::left(int n) const
{
    if (text_ == 0 || n < 0) {
        return WString("");
    }
    return adopt(copyBytes(text_, boundedLength(text_, static_cast<size_t>(n))));
}

WString WString::right(int n) const
{
    if (text_ == 0 || n < 0) {
        return WString("");
    }
    size_t length = strlen(text_);
    size_t count = static_cast<size_t>(n) < length ? static_cast<size_t>(n) : length;
    return adopt(copyBytes(text_ + length - count, count));
}

WString WString::mid(int start) const
{
    if (text_ == 0) {
        return WString("");
    }
    size_t from = start < 0 ? 0 : static_cast<size_t>(start);
    if (boundedLength(text_, from) < from) {
        return WString("");
    }
    return WString(text_ + from);
}

WString WString::mid(int start, int count) const
{
    if (text_ == 0 || count < 0) {
        return WString("");
    }
    size_t from = start < 0 ? 0 : static_cast<size_t>(start);
    if (boundedLength(text_, from) < from) {
        return WString("");
    }
    return adopt(copyBytes(text_ + from, boundedLength(text_ + from, static_cast<size_t>(count))));
}

WString& WString::format(const char* fmt, ...)
{
    if (fmt == 0) {
        fmt = "";
    }
    // The room starts at what the text already has and grows in steps of 32 bytes. Each attempt
    // formats into a fresh block so that arguments pointing into our own text stay readable.
    size_t room = text_ == 0 ? 31 : strlen(text_);
    for (;;) {
        char* block = allocateText(room + 1);
        block[room] = '\0';
        va_list args;
        va_start(args, fmt); // a fresh list per attempt: a used va_list cannot be reread
        int written = vsnprintf(block, room + 1, fmt, args);
        va_end(args);
        if (written >= 0 && static_cast<size_t>(written) <= room) {
            free(text_);
            text_ = block;
            return *this;
        }
        free(block);
        // A C library that reports the needed length lets us jump straight to the step that fits;
        // one that reports failure (-1) is walked step by step.
        size_t steps = 1;
        if (written > 0) {
            steps = (static_cast<size_t>(written) - room + 31) / 32;
        }
        room = addLengths(room, multiplyLength(32, steps));
    }
}

void WString::toUpper()
{
    if (text_ == 0) {
        return;
    }
    for (char* p = text_; *p != '\0'; ++p) {
        *p = static_cast<char>(toupper(static_cast<unsigned char>(*p)));
    }
}

void WString::toLower()
{
    if (text_ == 0) {
        return;
    }
    for (char* p = text_; *p != '\0'; ++p) {
        *p = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
    }
}

// The null text equals only itself and sorts before every text; two texts are ranked by order.
static int compareTexts(const char* text, const char* s, int (*order)(const char*, const char*))
{
    if (text == 0) {
        return s == 0 ? 0 : -1;
    }
    if (s == 0) {
        return 1;
    }
    return order(text, s);
}

int WString::compare(const char* s) const
{
    return compareTexts(text_, s, strcmp);
}

int WString::compare(const WString& s) const
{
    return compare(s.text_);
}

int WString::compareNoCase(const char* s) const
{
    return compareTexts(text_, s, strcasecmp);
}

int WString::compareNoCase(const WString& s) const
{
    return compareNoCase(s.text_);
}

bool WString::operator==(const char* s) const
{
    return compare(s) == 0;
}
bool WString::operator!=(const char* s) const
{
    return compare(s) != 0;
}
bool WString::operator<(const char* s) const
{
    return compare(s) < 0;
}
bool WString::operator<=(const char* s) const
{
    return compare(s) <= 0;
}
bool WString::operator>(const char* s) const
{
    return compare(s) > 0;
}
bool WString::operator>=(const char* s) const
{
    return compare(s) >= 0;
}
bool WString::operator==(const WString& s) const
{
    return compare(s) == 0;
}
bool WString::operator!=(const WString& s) const
{
    return compare(s) != 0;
}
bool WString::operator<(const WString& s) const
{
    return compare(s) < 0;
}
bool WString::operator<=(const WString& s) const
{
    return compare(s) <= 0;
}
bool WString::operator>(const WString& s) const
{
    return compare(s) > 0;
}
bool WString::operator>=(const WString& s) const
{
    return compare(s) >= 0;
}

bool operator==(const char* left, const WString& right)
{
    return right == left;
}
bool operator!=(const char* left, const WString& right)
{
    return right != left;
}
bool operator<(const char* left, const WString& right)
{
    return right > left;
}
bool operator<=(const char* left, const WString& right)
{
    return right >= left;
}
bool operator>(const char* left, const WString& right)
{
    return right < left;
}
bool operator>=(const char* left, const WString& right)
{
    return right <= left;
}

int WString::find(char c, int from) const
{
    if (text_ == 0 || from < 0) {
        return -1;
    }
    if (boundedLength(text_, static_cast<size_t>(from)) < static_cast<size_t>(from)) {
        return -1;
    }
    const char* found = strchr(text_ + from, c);
    return found == 0 ? -1 : static_cast<int>(found - text_);
}

int WString::findLast(char c) const
{
    if (text_ == 0) {
        return -1;
    }
    const char* found = strrchr(text_, c);
    return found == 0 ? -1 : static_cast<int>(found - text_);
}

int WString::find(const char* pattern, int from) const
{
    if (text_ == 0 || pattern == 0 || from < 0) {
        return -1;
    }
    if (boundedLength(text_, static_cast<size_t>(from)) < static_cast<size_t>(from)) {
        return -1;
    }
    const char* found = strstr(text_ + from, pattern);
    return found == 0 ? -1 : static_cast<int>(found - text_);
}

int WString::find(const WString& pattern, int from) const
{
    return find(pattern.text_, from);
}

int WString::findFirstOf(const char* set) const
{
    if (text_ == 0 || set == 0) {
        return -1;
    }
    size_t at = strcspn(text_, set);
    return text_[at] == '\0' ? -1 : static_cast<int>(at);
}

int WString::findFirstOf(const WString& set) const
{
    return findFirstOf(set.text_);
}

WString WString::replace(const char* pattern, const char* replacement) const
{
    if (replacement == 0 || pattern == 0 || pattern[0] == '\0') {
        return *this;
    }
    if (text_ == 0) {
        return WString("");
    }
    // Count first, then copy into a block of the exact size: a whole file's text is rewritten
    // this way, so the work must stay linear in the text.
    size_t patternLength = strlen(pattern);
    size_t replacementLength = strlen(replacement);
    size_t occurrences = 0;
    const char* rest = text_;
    for (const char* hit = strstr(rest, pattern); hit != 0; hit = strstr(rest, pattern)) {
        ++occurrences;
        rest = hit + patternLength;
    }
    size_t kept = static_cast<size_t>(rest - text_) + strlen(rest) - occurrences * patternLength;
    size_t total = addLengths(kept, multiplyLength(replacementLength, occurrences));

    char* result = allocateText(total + 1);
    char* out = result;
    rest = text_;
    for (size_t i = 0; i < occurrences; ++i) {
        const char* hit = strstr(rest, pattern);
        memcpy(out, rest, static_cast<size_t>(hit - rest));
        out += hit - rest;
        memcpy(out, replacement, replacementLength);
        out += replacementLength;
        rest = hit + patternLength;
    }
    strcpy(out, rest);
    return adopt(result);
}

WString WString::replace(const WString& pattern, const WString& replacement) const
{
    return replace(pattern.text_, replacement.text_);
}

WString WString::join(const Array& items) const
{
    int count = items.count();
    if (count == 0) {
        return WString();
    }
    // The result stays null only when every piece is null, as appending null pieces one by one
    // would leave it.
    size_t separatorLength = text_ == 0 ? 0 : strlen(text_);
    bool anyText = text_ != 0 && count > 1;
    size_t total = multiplyLength(separatorLength, static_cast<size_t>(count - 1));
    for (int i = 0; i < count; ++i) {
        const char* item = items[i].text_;
        if (item != 0) {
            anyText = true;
            total = addLengths(total, strlen(item));
        }
    }
    if (!anyText) {
        return WString();
    }
    char* result = allocateText(total + 1);
    char* out = result;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && separatorLength > 0) {
            memcpy(out, text_, separatorLength);
            out += separatorLength;
        }
        const char* item = items[i].text_;
        if (item != 0) {
            size_t n = strlen(item);
            memcpy(out, item, n);
            out += n;
        }
    }
    *out = '\0';
    return adopt(result);
}

WString WString::expandTabs(int width) const
{
    if (text_ == 0) {
        return WString("");
    }
    if (width < 1) {
        return *this;
    }
    size_t tabWidth = static_cast<size_t>(width);
    size_t total = 0;
    for (const char* p = text_; *p != '\0'; ++p) {
        total = addLengths(total, *p == '\t' ? tabWidth - total % tabWidth : 1);
    }
    char* result = allocateText(total + 1);
    size_t column = 0;
    for (const char* p = text_; *p != '\0'; ++p) {
        if (*p == '\t') {
            size_t pad = tabWidth - column % tabWidth;
            memset(result + column, ' ', pad);
            column += pad;
        } else {
            result[column++] = *p;
        }
    }
    result[total] = '\0';
    return adopt(result);
}

WString WString::escaped() const
{
    if (text_ == 0 || text_[0] == '\0') {
        return WString();
    }
    size_t total = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text_); *p != 0; ++p) {
        size_t width = 1;
        if (*p == '\n' || *p == '\r' || *p == '\t') {
            width = 2;
        } else if (*p < 0x20) {
            width = 4;
        }
        total = addLengths(total, width);
    }
    char* result = allocateText(total + 1);
    char* out = result;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text_); *p != 0; ++p) {
        unsigned char c = *p;
        if (c == '\n' || c == '\r' || c == '\t') {
            *out++ = '\\';
            *out++ = c == '\n' ? 'n' : (c == '\r' ? 'r' : 't');
        } else if (c < 0x20) {
            *out++ = '\\';
            *out++ = '0';
            *out++ = static_cast<char>('0' + (c >> 3));
            *out++ = static_cast<char>('0' + (c & 7));
        } else {
            *out++ = static_cast<char>(c);
        }
    }
    *out = '\0';
    return adopt(result);
}

void WString::trim()
{
    trimRight();
    trimLeft();
}

void WString::trimLeft()
{
    if (text_ == 0) {
        return;
    }
    size_t skip = 0;
    while (isWhitespace(text_[skip])) {
        ++skip;
    }
    if (skip > 0) {
        memmove(text_, text_ + skip, strlen(text_ + skip) + 1);
    }
}

void WString::trimRight()
{
    if (text_ == 0) {
        return;
    }
    size_t end = strlen(text_);
    while (end > 0 && isWhitespace(text_[end - 1])) {
        --end;
    }
    text_[end] = '\0';
}

void WString::toCRLF()
{
    *this = replace("\n", "\r\n");
}

void WString::toLF()
{
    *this = replace("\r\n", "\n");
}

void WString::center(int width)
{
    if (text_ == 0 || width < 1) {
        return;
    }
    size_t length = boundedLength(text_, static_cast<size_t>(width));
    if (length >= static_cast<size_t>(width)) {
        return;
    }
    size_t total = static_cast<size_t>(width);
    size_t before = (total - length) / 2;
    char* result = allocateText(total + 1);
    memset(result, ' ', before);
    memcpy(result + before, text_, length);
    memset(result + before + length, ' ', total - before - length);
    result[total] = '\0';
    free(text_);
    text_ = result;
}

WString::Array WString::words() const
{
    Array result;
    if (text_ == 0) {
        return result;
    }
    const char* p = text_;
    for (;;) {
        while (isWhitespace(*p)) {
            ++p;
        }
        if (*p == '\0') {
            break;
        }
        const char* start = p;
        while (*p != '\0' && !isWhitespace(*p)) {
            ++p;
        }
        result.appendOwned(copyBytes(start, static_cast<size_t>(p - start)));
    }
    return result;
}

WString::Array WString::split(const char* separator, int maxSplits) const
{
    Array result;
    if (separator == 0 || separator[0] == '\0') {
        result.append(*this);
        return result;
    }
    if (text_ == 0) {
        result.appendOwned(copyBytes("", 0));
        return result;
    }
    // Each piece is copied straight from the text: measuring the whole text for every piece
    // would make reading a large file quadratic.
    size_t separatorLength = strlen(separator);
    const char* rest = text_;
    int splits = 0;
    while (splits != maxSplits) {
        const char* hit =
            separatorLength == 1 ? strchr(rest, separator[0]) : strstr(rest, separator);
        if (hit == 0) {
            break;
        }
        result.appendOwned(copyBytes(rest, static_cast<size_t>(hit - rest)));
        rest = hit + separatorLength;
        ++splits;
    }
    result.appendOwned(copyBytes(rest, strlen(rest)));
    return result;
}

WString::Array WString::split(const WString& separator, int maxSplits) const
{
    return split(separator.text_, maxSplits);
}

WString::Array WString::split(char separator, int maxSplits) const
{
    // A NUL separator is never found inside a text, so the whole text comes back as one piece.
    char pattern[2] = {separator, '\0'};
    if (separator == '\0') {
        Array result;
        result.appendOwned(copyBytes(text_ == 0 ? "" : text_, text_ == 0 ? 0 : strlen(text_)));
        return result;
    }
    return split(pattern, maxSplits);
}
