// FileBrowser: the scrolling list of a directory that a "selector" button shows, with its folder
// descriptors ("Tarvo.dat") that redirect a listing and supply an action and a processor speed.
#ifndef TARVO_PAGE_FILEBROWSER_H
#define TARVO_PAGE_FILEBROWSER_H

#include "base/Diagnostics.h"
#include "base/WMap.h"
#include "base/WString.h"
#include "page/NavigationCode.h"

#include <stdint.h>

class BitmapFont;
class ClockControl;
class PlayedList;
struct PlayedEntry;

// A button's OPTIONS lines: option name to its values.
typedef WMap<WString, const char*, WString::Array, WString::Array&> OptionTable;

// Memory rules: the browser owns its texts and arrays; font and clock are borrowed from the
// launcher's process-wide objects (see page/PageContext.h) and either may be null.
//
// Invariants kept by every operation: 0 <= cursor < entries.count() whenever entries is not
// empty (cursor is 0 for an empty list), and rows >= 0. Directory paths are joined by plain
// concatenation, so a directory is meaningful only when it ends in "/"; names are bytes and are
// never interpreted, whatever they hold (commas, quotes, "%", newlines, bytes above 127).
//
// Listing costs one stat per directory entry and one sort; moving the cursor and drawing cost
// nothing proportional to the length of the list.
class FileBrowser {
public:
    enum Mode { FILES_AND_DIRECTORIES = 0, DIRECTORIES_ONLY = 1, FILES_ONLY = 2 };
    // What the list shows: a folder, or (OPTIONS=source,recent or source,favourites) the
    // programs of a PlayedList, whose entries are started as they were started before.
    enum Source { SOURCE_FOLDER, SOURCE_RECENT, SOURCE_FAVOURITES };

    // Reads the options color, startdir, type, filter and source and lists the start directory,
    // or the played list the source names (read then, if it has not been yet: page/PlayedList.h);
    // without that list (null) it lists nothing. A font without lines (none, or lineHeight 0)
    // gives a list of no rows.
    FileBrowser(int x, int y, int right, int bottom, OptionTable& options, BitmapFont* font,
                ClockControl* clock, PlayedList* recent = 0, PlayedList* favourites = 0);
    // Gives the entries' share of the bounds back to the other lists.
    ~FileBrowser();

    // NAV_UP, NAV_DOWN, NAV_PAGE_BACK and NAV_PAGE_FORWARD move the cursor, NAV_ACTION enters a
    // directory or produces the descriptor's action, or on a played list the entry's own words,
    // with its speed set as a descriptor's is; a code that is used becomes NAV_NONE. At the
    // ends of the list, on an empty list, and for a file picked without a descriptor action the
    // code is left for the button's own words, except NAV_ACTION on an empty list: it is used
    // and does nothing, since the button's action would pick the folder itself. The
    // "%cwd%" of a descriptor's exec action is filled in with every "%" of the directory doubled,
    // because the page expands the words once more (Page::expandBrowserVariables); a word that
    // the fill makes longer than VariableStore::MAX_EXPANDED_LENGTH is cut there, as every
    // expansion is, and said at the descriptor's ACTION line.
    void handleInput(WString::Array& actions, int& code);

    // The visible rows drawn into frame, the cursor always on the middle one. selected: whether
    // the owning button is the page's selected button (the cursor colour depends on it).
    void draw(uint16_t* frame, bool selected);

    // The entry under the cursor as listed (directories with their slash); empty for an empty list.
    // On a played list, the name of the entry's file.
    WString selectedEntry() const;
    // The directory the selected entry lives in: the descriptor's directory while the list shows
    // a descriptor's listing (with or without an action), otherwise cwd. On a played list, the
    // folder of the entry's file.
    WString entryDirectory() const;

    // What B on the entry under the cursor starts, for the record of recently played programs and
    // for favourites: its name, its file (entryDirectory() + selectedEntry()), and, when the list
    // gives the words itself (a descriptor's action, a played entry), those words, ready for the
    // page's expansion (Page::expandBrowserVariables), and the speed it sets with them; otherwise
    // no words and no speed (the element's own action applies). False for an empty list and a
    // folder entered by B.
    bool pickedEntry(PlayedEntry& picked) const;

    // A played list reads its list again (after the launcher changed it), the cursor kept at its
    // place, or on the last entry when the list got shorter. A folder list is left as it is.
    void refresh();

    // Goes into the entry ("../" goes up), prints "Changed to <cwd>", honours a folder
    // descriptor in the directory entered, and lists the result. A folder picked in a
    // descriptor's listing is entered where it was listed (the descriptor's directory); "../"
    // always goes up from cwd, so leaving a descriptor's listing returns to where it was entered.
    // A folder entered that cannot be listed (the end of a loop of links, one gone since) shows
    // "../" alone, said at the folder, so that the list never strands; on a computer "../" does
    // nothing where it would leave the card.
    void changeDirectory(const WString& entry);

    // Goes straight to folder (a handheld path ending in "/") and puts the cursor on entry, as
    // written by cwd and selectedEntry(), for a list that comes back to where it was: after a
    // reload of the skin, or after a program started from it. The folder is entered as
    // changeDirectory enters one (its folder descriptor, if any, lists and acts), but nothing is
    // printed. A folder that cannot be listed (folderProblem) leaves the list as it was; an entry
    // that is no longer there leaves the cursor on the nearest entry by name, the one now listed
    // where it was (the last one when it was listed last). True when both were found. On a played
    // list only the cursor moves, to the entry that selectedEntry() gives as entry.
    bool moveTo(const WString& folder, const WString& entry);

    // Appends the accepted names of the directory path to list and sorts the whole list. A
    // directory that cannot be opened, and entries whose stat fails (dangling links, link loops),
    // add nothing; entries behind too many links (a loop) are said at the path. mode is one of
    // Mode; filters are name endings, or the single word "*"; a file is listed once, however many
    // endings it matches. At most MAX_LISTED_ENTRIES names, and MAX_LISTED_NAME_BYTES bytes of
    // them, are added, the first that the folder gives; a folder that holds more is reported at its
    // path and the rest is left out, so that no folder can make a list take more than a few MiB or
    // its reading take without end. The same bounds hold for the entries of all the browsers alive
    // together (the lists of every page drawn): a listing gets what the others leave, and one cut
    // by that is reported at its folder too. Returns whether the directory could be opened; errno
    // tells why not.
    enum { MAX_LISTED_ENTRIES = 65536, MAX_LISTED_NAME_BYTES = 4 * 1024 * 1024 };
    static bool readDirectory(const WString& path, const WString::Array& filters,
                              WString::Array& list, int mode);

    // What keeps a list from showing folder (a handheld path): 0 when it can be listed, the errno
    // value of a failed opening, or FOLDER_OFF_CARD when, on a computer (platform/Files.h: a
    // folder stands for the card), it is no card path or leads outside the card folder once every
    // link and ".." is resolved. A list never shows the computer around the card: the start
    // folder, a descriptor's DIRECTORY and a folder to move to are not listed then, and "../"
    // is not listed at the card's root. On the handheld nothing is mapped, so nothing is off it.
    enum { FOLDER_OFF_CARD = -1 };
    static int folderProblem(const WString& folder);

    // Why the start directory could not be listed (as folderProblem gives it), or 0 when it was.
    int startError() const;

    // Reports at place that folder could not be listed for error (as folderProblem gives it): it
    // does not exist, is not a folder, lies outside the card, cannot be read, ...
    static void reportUnlisted(const SourcePlace& place, const WString& folder, int error);

    // qsort order of WString slots: directories (a trailing "/") first, then strcasecmp.
    static int compareEntries(const void* a, const void* b);

    int32_t x;
    int32_t y;
    int32_t right;
    int32_t bottom;
    uint16_t textColor;
    uint16_t cursorColor;
    uint16_t idleCursorColor;
    int32_t cursor;
    WString::Array entries;
    int32_t rows;
    WString::Array filters;
    int32_t mode;
    WString cwd;
    WString::Array action;
    WString directory;
    WString::Array speed;
    int32_t source;

private:
    FileBrowser(const FileBrowser&);
    FileBrowser& operator=(const FileBrowser&);

    // True while entries come from a folder descriptor's directory.
    bool listingDescriptor;
    // The line of the descriptor's ACTION, where what its "%cwd%" fill cuts is said.
    int actionLine;

    void applyOptions(OptionTable& options);
    // Reads the descriptor in cwd; false when there is none (nothing changed then). Its
    // unknown keywords, action words, a DIRECTORY that cannot be listed and one that "%cwd%"
    // makes longer than an expansion may be (cut, and not listed) are reported at the
    // descriptor's own lines.
    bool enterDescriptor();
    // Lists cwd with the list's own filters and mode, the cursor on the first entry; gives what
    // kept it from being listed (folderProblem), or 0.
    int listPlainFolder();
    // Every listing: entries become the accepted names of folder (an empty list when it cannot
    // be listed), within what the other lists leave of the bounds, the cursor the first. Gives
    // what kept folder from being listed, or 0.
    int listFolder(const WString& folder, const WString::Array& listFilters, int listMode);
    // Empties entries and gives their share of the bounds back.
    void releaseEntries();

    // What one reading may add (entries, bytes of names), what it added, and whether the folder
    // held more.
    struct ListingBounds {
        ListingBounds(int32_t maxEntries, uint32_t maxNameBytes)
            : entries(maxEntries), nameBytes(maxNameBytes), addedBytes(0), cut(false)
        {
        }
        int32_t entries;
        uint32_t nameBytes;
        uint32_t addedBytes;
        bool cut;
    };
    static bool readBounded(const WString& path, const WString::Array& filters,
                            WString::Array& list, int mode, ListingBounds& bounds);
    static void reportFullFolder(const WString& path);

    int startListingError;
    // This list's share of the bounds: what its entries hold.
    int32_t chargedEntries;
    uint32_t chargedNameBytes;

    BitmapFont* font;
    ClockControl* clock;

    // A played list: the list, and for each of entries the index of its PlayedList entry.
    PlayedList* played;
    int32_t* shownEntries;
    // Lists the entries of played whose files are still there (PlayedList::isPresent), within
    // the bounds of every list, as listFolder lists a folder.
    void listPlayed();
    // The words of the descriptor's action, "%cwd%" filled in.
    void descriptorWords(WString::Array& words) const;
};

#endif
