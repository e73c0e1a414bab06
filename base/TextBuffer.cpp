// A growable byte buffer that tracks its own length, for building texts in linear time.
#include "base/TextBuffer.h"

#include "base/Check.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

TextBuffer::TextBuffer()
    : bytes(inlineBytes), used(0), capacity(inlineSize), limit(INT_MAX - 1), present(false),
      cut(false)
{
    inlineBytes[0] = '\0';
}

TextBuffer::~TextBuffer()
{
    if (bytes != inlineBytes)
        free(bytes);
}

void TextBuffer::reserve(int extra)
{
    // One byte beyond the text is always kept for the terminating NUL.
    if (extra < 0 || extra > INT_MAX - 1 - used)
        abort();
    int needed = used + extra + 1;
    if (needed <= capacity)
        return;
    int grown = capacity;
    while (grown < needed)
        grown = grown > INT_MAX / 2 ? INT_MAX : grown * 2;
    char* block;
    if (bytes == inlineBytes) {
        block = static_cast<char*>(malloc(grown));
        if (block)
            memcpy(block, inlineBytes, used + 1);
    } else {
        block = static_cast<char*>(realloc(bytes, grown));
    }
    if (!block)
        abort();
    bytes = block;
    capacity = grown;
}

void TextBuffer::append(const char* from, int count)
{
    if (count > limit - used) {
        count = limit - used;
        cut = true;
    }
    reserve(count);
    if (count > 0)
        memcpy(bytes + used, from, count);
    used += count;
    bytes[used] = '\0';
    present = true;
}

void TextBuffer::append(const char* text)
{
    if (!text)
        return;
    size_t count = strlen(text);
    append(text, count > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(count));
}

void TextBuffer::append(const WString& text)
{
    append(text.text());
}

void TextBuffer::append(char c)
{
    append(&c, 1);
}

void TextBuffer::limitTo(int maxLength)
{
    limit = maxLength < 0 ? 0 : maxLength > INT_MAX - 1 ? INT_MAX - 1 : maxLength;
    if (used > limit) {
        truncate(limit);
        cut = true;
    }
}

void TextBuffer::clear()
{
    used = 0;
    bytes[0] = '\0';
    present = false;
    cut = false;
}

void TextBuffer::truncate(int count)
{
    TARVO_CHECK(count >= 0 && count <= used);
    used = count;
    bytes[used] = '\0';
}

const char* TextBuffer::data() const
{
    return bytes;
}

WString TextBuffer::toString() const
{
    if (!present)
        return WString();
    return WString(data());
}
