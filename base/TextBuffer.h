// A growable byte buffer that tracks its own length, for building texts in linear time.
#ifndef TARVO_BASE_TEXTBUFFER_H
#define TARVO_BASE_TEXTBUFFER_H

#include "base/WString.h"

// WString measures itself with strlen on every append, so a text built piece by piece through
// += costs time quadratic in its length. The readers and the expansion build their texts here
// instead and turn them into a WString once.
//
// Memory: texts up to inlineSize - 1 bytes live inside the object itself; longer ones move to
// one heap block owned by the buffer, grown by doubling and never shrunk until the destructor.
// clear() keeps the block for reuse. Most skin words are short, so most never touch the heap. The
// buffer also remembers whether anything at all has been appended (a zero-length text counts), so
// that toString() can give the null string exactly where a WString built by += from the null string
// would have stayed null. A buffer may be given a limit: what would grow the text past it is cut
// there, and the buffer remembers that it was, so that text built from outside data stays small
// whatever the data holds. Running out of memory ends the program, as it does for WString; the
// limits of the callers keep such blocks far below what the handheld has.
class TextBuffer {
public:
    TextBuffer();
    ~TextBuffer();

    // Appends count bytes, which may include NUL bytes and must not lie inside this buffer;
    // marks the buffer as holding a text even when count is 0.
    void append(const char* bytes, int count);
    // Appends a NUL-terminated text; a null pointer changes nothing (as WString += does).
    void append(const char* text);
    void append(const WString& text);
    void append(char c);

    // From now on the text holds at most maxLength bytes (at least 0); a longer text already
    // held is cut at once.
    void limitTo(int maxLength);
    // Whether anything was cut by the limit since construction or the last clear().
    bool wasCut() const { return cut; }

    // Back to the null state, nothing cut; the block and the limit are kept.
    void clear();
    // Cuts the text to its first count bytes (count must not exceed the length).
    void truncate(int count);

    int length() const { return used; }
    bool isNull() const { return !present; }
    // The bytes so far, NUL-terminated; never a null pointer.
    const char* data() const;

    // The null string when nothing was ever appended, otherwise the text (which stops at
    // the first NUL byte appended, if any).
    WString toString() const;

private:
    TextBuffer(const TextBuffer&);
    TextBuffer& operator=(const TextBuffer&);

    enum { inlineSize = 64 };

    void reserve(int extra);

    char inlineBytes[inlineSize];
    char* bytes;
    int used;
    int capacity;
    int limit;
    bool present;
    bool cut;
};

#endif
