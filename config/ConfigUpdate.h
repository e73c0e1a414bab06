// Writes one key with new values into the configuration file, keeping every other line of it.
#ifndef TARVO_CONFIG_CONFIGUPDATE_H
#define TARVO_CONFIG_CONFIGUPDATE_H

#include "base/WString.h"

// Every line whose trimmed text starts with key + "=" (case-sensitively) is replaced by
// key=values (joined with ",", unquoted); when none does, that line is appended. Every other
// line is written back as it was read, CRs dropped, each followed by a LF.
//
// The new content goes to newPath first, is flushed to the card, and only then renamed over
// configPath in one step, so at every moment configPath holds either the old file or the new
// one, complete. Gives 1 when configPath now holds the new content. Gives 0, with configPath
// untouched and no newPath left behind, when anything fails: configPath missing or unreadable
// (a directory, a read error, a NUL byte that would cut the rest of the file off), newPath not
// creatable, a write, flush or close error, or the rename.
int updateConfigFile(const char* configPath, const char* newPath, WString key,
                     const WString::Array& values);

#endif
