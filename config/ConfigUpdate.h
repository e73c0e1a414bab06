// Writes one key with new values into the configuration file, keeping every other line of it.
#ifndef TARVO_CONFIG_CONFIGUPDATE_H
#define TARVO_CONFIG_CONFIGUPDATE_H

#include "base/WString.h"

// Every line that sets key as the launcher reads it is replaced by key=values (joined with ",",
// unquoted); when none does, that line is appended. A line sets key when its text, leading white
// space skipped, up to its first "=" is key (leading white space skipped too), ASCII letters
// compared without regard to case, as the reader upper-cases keywords: "skin=night" and
// " Skin=night" set SKIN, "SKIN =x" (the space belongs to the keyword) and "SKINNY=1" do not.
// Every other line is written back as it was read, CRs dropped, each followed by a LF. The file
// ends in one LF either way: a file that ended in a LF does not gain an empty line, so saving the
// same value again leaves the file byte for byte as it was (it used to grow by a line each time).
//
// The new content goes to newPath first, is flushed to the card, and only then renamed over
// configPath in one step, so at every moment configPath holds either the old file or the new
// one, complete. Gives 1 when configPath now holds the new content. Gives 0, with configPath
// untouched and no newPath left behind, when anything fails: configPath missing or unreadable
// (a directory, a read error, a NUL byte that would cut the rest of the file off), newPath not
// creatable, a write, flush or close error, or the rename.
int updateConfigFile(const char* configPath, const char* newPath, WString key,
                     const WString::Array& values);

// Puts length bytes in place of the file at path as updateConfigFile puts the new configuration
// in place: written to newPath (made by createFile, platform/Files.h, so never through a link),
// flushed to the card, then renamed over path in one step, so that path never holds a part of
// them. Every file the launcher replaces whole is written this way. Gives 1 when path now holds the
// bytes; 0, with path untouched and no newPath left behind, when a write, the flush, the close or
// the rename fails (or path and newPath are the same file name).
int replaceFile(const char* path, const char* newPath, const char* bytes, int length);

#endif
