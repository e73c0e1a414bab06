// Names written into the launcher's own files (Tarvo.resume, Tarvo.recent, Tarvo.favourites) so
// that the line syntax reads every one of them back as it was.
#ifndef TARVO_CONFIG_ESCAPEDTEXT_H
#define TARVO_CONFIG_ESCAPEDTEXT_H

#include "base/TextBuffer.h"
#include "base/WString.h"

// Names are bytes and may hold anything but NUL: the bytes the syntax would take for its own
// ("%", '"', ","), control bytes and white space at the end of a value are written as "%" and two
// upper-case hex digits. The null string is written as nothing.
void appendEscaped(TextBuffer& content, const WString& value);

// The name a value was written from (never the null string); false for a "%" without two hex
// digits or one giving NUL, which no name holds.
bool readEscaped(const WString& value, WString& name);

#endif
