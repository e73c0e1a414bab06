// PlayedList: the programs the player started lately ("Tarvo.recent") or marked as favourites
// ("Tarvo.favourites"), kept on the card, which file lists show with OPTIONS=source,recent or
// source,favourites.
#ifndef TARVO_PAGE_PLAYEDLIST_H
#define TARVO_PAGE_PLAYEDLIST_H

#include "base/WString.h"

// One program start as it can be made again.
struct PlayedEntry {
    // What the list shows: the entry's name when the start came from a list, otherwise the
    // program's file name.
    WString name;
    // The entry's file, a handheld path (or a bare program name, looked up along PATH): what the
    // list references %N%, %pN%, %PN% and %sN% name, and what makes two entries the same.
    WString file;
    // The processor speed its list set for the start (a folder descriptor's SPEED), as the
    // numbers ClockControl::setSpeed reads: none, one or three.
    WString::Array speed;
    // The words of the exec action as carried out: "exec", the folder the program ran in, the
    // program and its arguments.
    WString::Array words;
};

// The file: one entry a line, its fields separated by "," and each written escaped
// (config/EscapedText.h):
//
//   NAME,FILE,SPEED,FOLDER,PROGRAM,ARGUMENT,...
//
// SPEED is empty or the speed's numbers separated by spaces ("200", "200 1 5"). Empty lines and
// lines starting with "//" are skipped; a line that is not an entry as written here (too few
// fields, a bad escape or one giving NUL, an empty name or one holding "/", an empty file or
// program, a speed that is not 1 or 3 numbers) is reported at its line and skipped, the rest kept.
//
// Reading is bounded by the entries it may keep: a line of more than MAX_LINE_BYTES is skipped
// without being held, and reading stops at the list's most entries, at maxEntries *
// MAX_LINE_BYTES bytes, or at the MAX_DAMAGED_LINES-th damaged line (each said at the file), so
// that no file, however large, costs more than the list it can give. The file is read once, when
// the list is first needed (load): a card whose pages show no such list never reads it.
//
// Every change is written whole to newPath, synced and renamed over path (replaceFile,
// config/ConfigUpdate.h): path holds either the old list or the new one, complete. When the file
// cannot be written the list stays as it was, in memory and on the card.
class PlayedList {
public:
    // NEWEST_FIRST keeps the last added first ("Tarvo.recent"); SORTED keeps the entries in the
    // order of file lists, by name (FileBrowser::compareEntries).
    enum Order { NEWEST_FIRST, SORTED };
    enum { MAX_LINE_BYTES = 4096, MAX_DAMAGED_LINES = 10 };
    enum Result { SAVED, NOT_SAVED, LIST_FULL, TOO_LONG };

    // path and newPath are handheld paths; nothing is read yet.
    PlayedList(const char* path, const char* newPath, int maxEntries, Order order);

    // Reads the file the first time; later calls do nothing. A missing file is an empty list.
    void load();

    const WString& path() const { return filePath; }
    int count() const { return lines.count(); }
    int maxEntries() const { return most; }
    // Entry index (0 to count() - 1), decoded; false (entry unchanged) only for a line the list
    // never holds.
    bool entry(int index, PlayedEntry& played) const;
    // The index of the entry whose file is file, or -1.
    int find(const WString& file) const;

    // NEWEST_FIRST: the entry goes first and an earlier one of the same file goes; past the most
    // entries the oldest goes. SORTED: the entry takes its place by name; LIST_FULL when the list
    // holds its most entries already. TOO_LONG when its line would pass MAX_LINE_BYTES.
    Result add(const PlayedEntry& played);
    Result remove(int index);
    // Every entry goes.
    Result clear();
    // The lines as they were before the last change that was saved, put back (a program that was
    // recorded and then did not start).
    Result undo();

    // Whether the entry's file (and its program, when that is a path) is still there: entries that
    // are not stay in the file, but lists leave them out.
    static bool isPresent(const PlayedEntry& played);

private:
    PlayedList(const PlayedList&);
    PlayedList& operator=(const PlayedList&);

    Result save(const WString::Array& newLines);

    WString filePath;
    WString newFilePath;
    int most;
    Order order;
    bool loaded;
    // Each entry's line as written, without its line end.
    WString::Array lines;
    WString::Array previous;
};

#endif
