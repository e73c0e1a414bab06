// WString, the launcher's one string type, and WString::Array, its growable array of strings.
#ifndef TARVO_BASE_WSTRING_H
#define TARVO_BASE_WSTRING_H

// Memory rules
// ------------
// A WString is exactly one owned pointer to a NUL-terminated heap text (malloc/realloc/free), or
// null. The null string (no text) and the empty string (a text holding only the NUL) are distinct:
// comparisons tell them apart and the null string sorts before every text. Slicing never returns
// the null string. No length or capacity is stored; the text is measured when needed.
//
// Because the object is a single pointer with no self-reference, it may be relocated by copying
// its bytes: WString::Array moves slots that way and the file browser qsorts Array::data().
//
// Texts are bytes; nothing assumes a character set, and bytes above 127 are ordinary bytes.
//
// Misuse that could come from data (a null pattern, a null string where a text is expected, a
// tab width below 1) takes the harmless fallback documented at each operation. An index outside
// the valid range is a programming error and stops the program through TARVO_CHECK.
class WString {
public:
    class Array;

    WString();
    WString(const char* s);
    WString(const WString& s);
    WString(char c);
    ~WString();

    // Assigning a null pointer gives the null string; a zero-length text gives the empty string.
    // Assigning a pointer into the string's own text is allowed.
    WString& operator=(const char* s);
    WString& operator=(const WString& s);
    // c == NUL gives the empty string.
    WString& operator=(char c);
    void clear();

    // Null for the null string.
    const char* text() const;
    char* text();

    // i must lie within 0..length(). On the null string index 0 reads a NUL byte that is not part
    // of any string (writes to it are lost); any other index is a programming error.
    char& operator[](int i);
    const char& operator[](int i) const;

    int length() const;
    // True for the null string and for the empty string.
    bool isEmpty() const;

    // Appending a null pointer or the null string changes nothing; appending a zero-length text
    // to the null string gives the empty string. Appending the string to itself is allowed.
    WString& operator+=(const char* s);
    WString& operator+=(const WString& s);
    WString& operator+=(char c);

    WString operator+(const char* s) const;
    WString operator+(const WString& s) const;
    WString operator+(char c) const;

    // n == 0 gives the empty string; otherwise n copies in a row (the null string stays null).
    WString operator*(unsigned n) const;
    WString& operator*=(unsigned n);

    // Slices are new strings, never the null string; out-of-range starts and negative counts
    // give the empty string or are clamped to the text.
    WString left(int n) const;
    WString right(int n) const;
    WString mid(int start) const;
    WString mid(int start, int count) const;

    // printf-style; replaces the whole text and never leaves the null string. The arguments may
    // point into this string's own text.
    WString& format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // ASCII letters only (default locale); the null string is left alone.
    void toUpper();
    void toLower();

    // Null equals null and sorts before every text; otherwise strcmp (bytes as unsigned values).
    int compare(const char* s) const;
    int compare(const WString& s) const;
    // The same null rules; otherwise strcasecmp.
    int compareNoCase(const char* s) const;
    int compareNoCase(const WString& s) const;

    bool operator==(const char* s) const;
    bool operator!=(const char* s) const;
    bool operator<(const char* s) const;
    bool operator<=(const char* s) const;
    bool operator>(const char* s) const;
    bool operator>=(const char* s) const;
    bool operator==(const WString& s) const;
    bool operator!=(const WString& s) const;
    bool operator<(const WString& s) const;
    bool operator<=(const WString& s) const;
    bool operator>(const WString& s) const;
    bool operator>=(const WString& s) const;

    // Searches return a byte index or -1. A start above the length (a negative one included)
    // finds nothing; a null pattern or set finds nothing; a zero-length pattern is found at from.
    int find(char c, int from = 0) const;
    int findLast(char c) const;
    int find(const char* pattern, int from = 0) const;
    int find(const WString& pattern, int from = 0) const;
    int findFirstOf(const char* set) const;
    int findFirstOf(const WString& set) const;

    // Every non-overlapping occurrence of pattern, scanned from the left, replaced; a null
    // replacement, or a null or zero-length pattern, gives an unchanged copy. A null string
    // comes back as the empty string (as the null string for a null replacement).
    WString replace(const char* pattern, const char* replacement) const;
    WString replace(const WString& pattern, const WString& replacement) const;

    // This string is the separator: items[0], then separator and item for each further item.
    // An empty array gives the null string.
    WString join(const Array& items) const;

    // Each TAB becomes 1..width spaces up to the next multiple of width (columns counted from the
    // start). A width below 1 gives an unchanged copy. The null string gives the empty string.
    WString expandTabs(int width) const;

    // LF, CR and TAB as \n, \r, \t; other bytes below 0x20 as \0 and two octal digits. The empty
    // string, and the null string, give the null string.
    WString escaped() const;

    // The whitespace of trim() and words(), and of the launcher's text files: exactly space, TAB,
    // LF and CR (vertical tab and form feed are not whitespace).
    static bool isWhitespace(char c);

    // Whitespace as isWhitespace() says. The block is not reallocated.
    void trim();
    void trimLeft();
    void trimRight();

    // LF to CR LF, and back; like replace(), they turn the null string into the empty string.
    void toCRLF();
    void toLF();

    // Pads with spaces to width, the odd space on the right; a longer text, a width below 1 and
    // the null string are left unchanged.
    void center(int width);

    // Maximal runs of non-whitespace bytes.
    Array words() const;
    // A text with k separators gives k + 1 elements when maxSplits is negative or at least k;
    // otherwise maxSplits + 1 elements, the last holding the unsplit rest. A zero-length (or null)
    // separator gives one element, a copy of the whole string (null for the null string).
    Array split(const char* separator, int maxSplits = -1) const;
    Array split(const WString& separator, int maxSplits = -1) const;
    Array split(char separator, int maxSplits = -1) const;

private:
    friend class Array;

    // Takes ownership of a malloc'ed text.
    static WString adopt(char* text);

    char* text_;
};

WString operator+(const char* left, const WString& right);
WString operator+(char left, const WString& right);

bool operator==(const char* left, const WString& right);
bool operator!=(const char* left, const WString& right);
bool operator<(const char* left, const WString& right);
bool operator<=(const char* left, const WString& right);
bool operator>(const char* left, const WString& right);
bool operator>=(const char* left, const WString& right);

// Memory rules
// ------------
// An ordered array of WString with value semantics: it owns its elements, copying copies every
// text. Storage comes from array new; when full it grows to the larger of capacity * 3 / 2 and
// the needed count + 4 (capacities 5, 10, 15, 22, 33, ... under appends), and when fewer than half
// of its slots remain in use it shrinks to the remaining count + 4. Growing or shrinking moves
// elements to a new block, so references and data() pointers go stale on every change of count.
// Slots beyond count() are null strings.
//
// Indices must lie within 0..count() - 1; anything else is a programming error (TARVO_CHECK).
class WString::Array {
public:
    Array();
    // NUL-terminated texts ended by a null pointer; a null first gives the empty array.
    Array(const char* first, ...);
    Array(const Array& other);
    Array& operator=(const Array& other);
    ~Array();

    int count() const;
    int capacity() const;

    WString& operator[](int i);
    const WString& operator[](int i) const;

    // The slots themselves (null for an array that never held anything): each is one pointer, so
    // they may be sorted in place with qsort.
    WString* data();
    const WString* data() const;

    // Returns the new element's index. s may be an element of this array.
    int append(const WString& s);
    // Grows with null strings or drops elements from the end; a negative n counts as 0.
    void resize(int n);
    // Removes element i and returns it; the later elements move down by one.
    WString take(int i);
    // The elements with separator between them; an empty array gives the null string.
    WString join(const WString& separator) const;
    // Exchanges the elements of the two arrays, copying none.
    void swap(Array& other);

private:
    friend class WString;

    // Appends an element that owns text (a malloc'ed block, or null) without copying it.
    void appendOwned(char* text);
    void insertSlots(int index, int n);
    void removeSlots(int index, int n);
    // Moves the elements into a fresh block of newCapacity slots, leaving a gap of gap slots at
    // index gapAt and dropping the dropCount elements from dropAt.
    void reallocate(int newCapacity, int gapAt, int gap, int dropAt, int dropCount);

    WString* items_;
    int capacity_;
    int length_;
};

// The text of s for printf and the C string functions: "" for the null string.
inline const char* textOf(const WString& s)
{
    return s.text() ? s.text() : "";
}

#endif
