// WString::Array: the growable array of strings with value semantics.
#include "base/Check.h"
#include "base/WString.h"

#include <limits.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

// Elements are moved between slots by handing over the owned text pointer: a WString is nothing
// but that pointer, so a move costs no copy of the text and leaves the source a null string.

WString::Array::Array() : items_(0), capacity_(0), length_(0) {}

WString::Array::Array(const char* first, ...) : items_(0), capacity_(0), length_(0)
{
    va_list args;
    va_start(args, first);
    for (const char* s = first; s != 0; s = va_arg(args, const char*)) {
        append(WString(s));
    }
    va_end(args);
}

WString::Array::Array(const Array& other) : items_(0), capacity_(0), length_(0)
{
    *this = other;
}

WString::Array& WString::Array::operator=(const Array& other)
{
    if (this == &other) {
        return *this;
    }
    resize(other.length_);
    for (int i = 0; i < length_; ++i) {
        items_[i] = other.items_[i];
    }
    return *this;
}

WString::Array::~Array()
{
    delete[] items_;
}

void WString::Array::swap(Array& other)
{
    WString* items = items_;
    const int capacity = capacity_;
    const int length = length_;
    items_ = other.items_;
    capacity_ = other.capacity_;
    length_ = other.length_;
    other.items_ = items;
    other.capacity_ = capacity;
    other.length_ = length;
}

int WString::Array::count() const
{
    return length_;
}

int WString::Array::capacity() const
{
    return capacity_;
}

WString& WString::Array::operator[](int i)
{
    TARVO_CHECK(i >= 0 && i < length_);
    return items_[i];
}

const WString& WString::Array::operator[](int i) const
{
    TARVO_CHECK(i >= 0 && i < length_);
    return items_[i];
}

WString* WString::Array::data()
{
    return items_;
}

const WString* WString::Array::data() const
{
    return items_;
}

int WString::Array::append(const WString& s)
{
    // Copy before the slots move: s may be one of our own elements.
    char* text = 0;
    if (s.text_ != 0) {
        size_t n = strlen(s.text_);
        text = static_cast<char*>(malloc(n + 1));
        TARVO_CHECK(text != 0);
        memcpy(text, s.text_, n + 1);
    }
    appendOwned(text);
    return length_ - 1;
}

void WString::Array::appendOwned(char* text)
{
    insertSlots(length_, 1);
    items_[length_ - 1].text_ = text;
}

void WString::Array::resize(int n)
{
    if (n < 0) {
        n = 0;
    }
    if (n > length_) {
        insertSlots(length_, n - length_);
    } else if (n < length_) {
        removeSlots(n, length_ - n);
    }
}

WString WString::Array::take(int i)
{
    TARVO_CHECK(i >= 0 && i < length_);
    WString taken = adopt(items_[i].text_);
    items_[i].text_ = 0;
    removeSlots(i, 1);
    return taken;
}

WString WString::Array::join(const WString& separator) const
{
    return separator.join(*this);
}

void WString::Array::insertSlots(int index, int n)
{
    TARVO_CHECK(index >= 0 && index <= length_ && n >= 0 && n <= INT_MAX - 4 - length_);
    if (capacity_ < length_ + n) {
        // Half as much again, and at least four spare slots beyond the request.
        int grown = capacity_ + capacity_ / 2;
        int needed = length_ + n + 4;
        reallocate(grown > needed ? grown : needed, index, n, length_, 0);
    } else {
        // Slots from length_ on are already null strings; open the gap from the top down.
        for (int i = length_ - 1; i >= index; --i) {
            items_[i + n].text_ = items_[i].text_;
            items_[i].text_ = 0;
        }
    }
    length_ += n;
}

void WString::Array::removeSlots(int index, int n)
{
    TARVO_CHECK(index >= 0 && n >= 0 && n <= length_ - index);
    int remaining = length_ - n;
    if (remaining < capacity_ / 2) {
        reallocate(remaining + 4, length_, 0, index, n);
    } else {
        for (int i = index; i < index + n; ++i) {
            items_[i].clear();
        }
        for (int i = index + n; i < length_; ++i) {
            items_[i - n].text_ = items_[i].text_;
            items_[i].text_ = 0;
        }
    }
    length_ = remaining;
}

void WString::Array::reallocate(int newCapacity, int gapAt, int gap, int dropAt, int dropCount)
{
    WString* block = new WString[newCapacity];
    int to = 0;
    for (int from = 0; from < length_; ++from) {
        if (from == gapAt) {
            to += gap;
        }
        if (from >= dropAt && from < dropAt + dropCount) {
            items_[from].clear();
            continue;
        }
        block[to++].text_ = items_[from].text_;
        items_[from].text_ = 0;
    }
    delete[] items_;
    items_ = block;
    capacity_ = newCapacity;
}
