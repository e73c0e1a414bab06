// Coming back where the launcher was left: Tarvo/Tarvo.resume, written before the launcher hands
// over and read at the next start, both only with RESUME=1 in Tarvo.cfg.
#ifndef TARVO_CORE_RESUME_H
#define TARVO_CORE_RESUME_H

#include "base/WString.h"
#include "page/Page.h"

#include <stdint.h>

// The file is in the launcher's line syntax, read by SkinReader:
//
//   SKIN=concept                      the skin on show
//   PAGE=1                            the page on show
//   SELECTED=3                        its selected element
//   LIST=3,/mnt/sd/games/,Doom.gpe    for each element with a file list: its folder and the
//                                     entry under its cursor
//
// Names are written escaped (config/EscapedText.h), so that every name reads back as it was.

// Writes what page (pages[pageIndex] of the skin named skin) shows to path, through newPath as
// the configuration is written (config/ConfigUpdate.h): path holds either its old content or the
// new one, complete. Gives 1 when path holds the new content, 0 when anything failed.
int writeResumeFile(const char* path, const char* newPath, const WString& skin, int pageIndex,
                    const Page& page);

// Shows again what the file at path says, as far as it still exists in pages (pageCount of them,
// of the skin named skin, read and not yet shown): currentPage becomes its page, that page's
// selection its element, and each of its lists goes to its folder and entry (the nearest entry by
// name when that one has gone) as the first LIST line for it says; later ones are ignored. A
// missing file changes nothing and says nothing. A file written for another skin, without a SKIN or
// PAGE line, or naming a page with nothing on it changes nothing; a line that is damaged, names no
// element or no list, or a folder that can no longer be listed (on a computer also one outside the
// card: page/FileBrowser.h) is ignored on its own. Each of these is reported at its line of path.
void restoreFromResumeFile(const char* path, const WString& skin, Page* pages, int pageCount,
                           int32_t& currentPage, const PageContext& context);

#endif
