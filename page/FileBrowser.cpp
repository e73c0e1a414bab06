// FileBrowser: listing, sorting and walking directories, folder descriptors, and the list's rows.
#include "page/FileBrowser.h"

#include "config/SkinReader.h"
#include "config/VariableStore.h"
#include "gfx/BitmapFont.h"
#include "page/PlayedList.h"
#include "page/SkinValues.h"
#include "page/SkinWords.h"
#include "platform/ClockControl.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char* const parentEntry = "../";
const char* const descriptorName = "Tarvo.dat";

// What the entries of every list alive hold together (FileBrowser::MAX_LISTED_ENTRIES).
int32_t totalEntries = 0;
uint32_t totalNameBytes = 0;

bool endsWithSlash(const WString& s)
{
    const int length = s.length();
    return length > 0 && s[length - 1] == '/';
}

// Rounds toward minus infinity, unlike "/", so that rows above the frame are counted right.
int64_t floorDivide(int64_t numerator, int64_t denominator)
{
    int64_t quotient = numerator / denominator;
    if ((numerator % denominator != 0) && ((numerator < 0) != (denominator < 0)))
        --quotient;
    return quotient;
}

// On a computer, what keeps folder (a handheld path) from being a folder of the card:
// FOLDER_OFF_CARD for a path that is not the card's ("/mnt/sd" or below it) or that leads
// outside the card folder once every link and ".." is resolved, the errno value when it cannot be
// resolved, 0 when it lies on the card. Always 0 on the handheld, where nothing is mapped.
int cardProblem(const char* folder)
{
    if (!sdRoot())
        return 0;
    if (!isOnSdCard(folder))
        return FileBrowser::FOLDER_OFF_CARD;
    MappedPath mapped(folder);
    errno = 0;
    char* real = realpath(mapped.text(), 0);
    if (!real)
        return errno ? errno : ENOENT;
    const bool inside = realPathOnCard(real);
    free(real);
    return inside ? 0 : static_cast<int>(FileBrowser::FOLDER_OFF_CARD);
}

// What keeps a folder from being listed, as the diagnostics say it.
const char* problemText(int problem)
{
    switch (problem) {
    case ENOENT:
        return "does not exist";
    case ENOTDIR:
        return "is not a folder";
    case ELOOP:
        return "is reached through too many links";
    case ENAMETOOLONG:
        return "has too long a path";
    case FileBrowser::FOLDER_OFF_CARD:
        return "lies outside the card";
    default:
        return "cannot be read";
    }
}

// The directory path followed by one name, rebuilt in place for every entry of a listing so that
// a folder of thousands of files costs no allocation per stat.
class PathBuilder {
public:
    explicit PathBuilder(const char* directory)
        : buffer(0), capacity(0), directoryLength(strlen(directory))
    {
        reserve(directoryLength + 256);
        if (buffer)
            memcpy(buffer, directory, directoryLength);
    }
    ~PathBuilder() { free(buffer); }

    // Null only when memory ran out.
    const char* with(const char* name)
    {
        const size_t nameLength = strlen(name);
        if (!reserve(directoryLength + nameLength + 1))
            return 0;
        memcpy(buffer + directoryLength, name, nameLength + 1);
        return buffer;
    }

private:
    PathBuilder(const PathBuilder&);
    PathBuilder& operator=(const PathBuilder&);

    bool reserve(size_t needed)
    {
        if (needed <= capacity)
            return true;
        char* grown = static_cast<char*>(realloc(buffer, needed));
        if (!grown)
            return false;
        buffer = grown;
        capacity = needed;
        return true;
    }

    char* buffer;
    size_t capacity;
    size_t directoryLength;
};

// Whether name ends in one of the endings (case-sensitive; the empty ending matches every name).
// A name is listed once however many endings it matches.
bool hasEnding(const char* name, const WString::Array& endings)
{
    const size_t nameLength = strlen(name);
    for (int i = 0; i < endings.count(); ++i) {
        const char* ending = textOf(endings[i]);
        const size_t endingLength = strlen(ending);
        if (endingLength <= nameLength &&
            memcmp(name + nameLength - endingLength, ending, endingLength) == 0)
            return true;
    }
    return false;
}

int compareNames(const void* a, const void* b)
{
    return strcasecmp(textOf(*static_cast<const WString*>(a)),
                      textOf(*static_cast<const WString*>(b)));
}

// The order of compareEntries, reached faster: directories are moved in front first, so that
// the sort of each part compares names only instead of measuring both for a trailing slash at
// every comparison. Entries that compare equal may end up in either order, as with any qsort.
void sortEntries(WString::Array& list)
{
    const int count = list.count();
    if (count < 2)
        return;
    WString* slots = list.data();
    int directories = 0;
    for (int i = 0; i < count; ++i) {
        if (endsWithSlash(slots[i])) {
            if (i != directories) {
                // WString is one pointer and may be moved by its bytes.
                char swapped[sizeof(WString)];
                memcpy(swapped, &slots[i], sizeof(WString));
                memcpy(static_cast<void*>(&slots[i]), &slots[directories], sizeof(WString));
                memcpy(static_cast<void*>(&slots[directories]), swapped, sizeof(WString));
            }
            ++directories;
        }
    }
    qsort(slots, static_cast<size_t>(directories), sizeof(WString), compareNames);
    qsort(slots + directories, static_cast<size_t>(count - directories), sizeof(WString),
          compareNames);
}

} // namespace

FileBrowser::FileBrowser(int x_, int y_, int right_, int bottom_, OptionTable& options,
                         BitmapFont* font_, ClockControl* clock_, PlayedList* recent,
                         PlayedList* favourites)
    : x(x_), y(y_), right(right_), bottom(bottom_), textColor(0x0000), cursorColor(0xFFDF),
      idleCursorColor(0x7BCF), cursor(0), entries(), rows(0), filters(),
      mode(FILES_AND_DIRECTORIES), cwd("/mnt/sd/"), action(), directory(""), speed(),
      source(SOURCE_FOLDER), listingDescriptor(false), actionLine(0), startListingError(0),
      chargedEntries(0), chargedNameBytes(0), font(font_), clock(clock_), played(0), shownEntries(0)
{
    // A list whose bottom lies above its top, or a font without lines, has no rows: a negative
    // count would let the half-page moves push the cursor out of the list.
    const int lineHeight = font ? font->lineHeight() : 0;
    if (lineHeight > 0 && bottom > y) {
        const uint32_t span = static_cast<uint32_t>(bottom) - static_cast<uint32_t>(y);
        const uint32_t count = span / static_cast<uint32_t>(lineHeight);
        rows = count > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int32_t>(count);
    }
    applyOptions(options);
    if (source == SOURCE_FOLDER) {
        startListingError = listFolder(cwd, filters, mode);
        return;
    }
    played = source == SOURCE_RECENT ? recent : favourites;
    listPlayed();
}

FileBrowser::~FileBrowser()
{
    releaseEntries();
    delete[] shownEntries;
}

void FileBrowser::listPlayed()
{
    releaseEntries();
    if (!played)
        return;
    played->load();
    delete[] shownEntries;
    shownEntries = new int32_t[played->count() + 1];
    const int32_t maxEntries = MAX_LISTED_ENTRIES - totalEntries;
    const uint32_t maxBytes = MAX_LISTED_NAME_BYTES - totalNameBytes;
    PlayedEntry entry;
    for (int i = 0; i < played->count(); ++i) {
        if (!played->entry(i, entry) || !PlayedList::isPresent(entry))
            continue;
        const uint32_t length = static_cast<uint32_t>(entry.name.length());
        if (entries.count() >= maxEntries || chargedNameBytes + length > maxBytes) {
            diagnoseAt(SourcePlace(played->path().text(), 0), DIAGNOSTIC_ERROR,
                       "the file lists together hold as many entries as the launcher keeps (%d, "
                       "or %d bytes of names): the rest of this list is left out",
                       static_cast<int>(MAX_LISTED_ENTRIES),
                       static_cast<int>(MAX_LISTED_NAME_BYTES));
            break;
        }
        shownEntries[entries.count()] = i;
        entries.append(entry.name);
        chargedNameBytes += length;
    }
    chargedEntries = entries.count();
    totalEntries += chargedEntries;
    totalNameBytes += chargedNameBytes;
}

void FileBrowser::refresh()
{
    if (source == SOURCE_FOLDER)
        return;
    const int32_t kept = cursor;
    listPlayed();
    cursor = kept < entries.count() ? kept : (entries.count() > 0 ? entries.count() - 1 : 0);
}

int FileBrowser::startError() const
{
    return startListingError;
}

void FileBrowser::reportUnlisted(const SourcePlace& place, const WString& folder, int error)
{
    diagnoseAt(place, DIAGNOSTIC_ERROR, "folder '%s' %s: the list is empty", textOf(folder),
               problemText(error));
}

int FileBrowser::folderProblem(const WString& folder)
{
    // A folder that cannot be opened is said as such wherever it would be.
    errno = 0;
    DIR* probe = folder.text() ? openDirectory(folder.text()) : 0;
    if (!probe)
        return errno ? errno : ENOENT;
    closedir(probe);
    return cardProblem(folder.text());
}

void FileBrowser::releaseEntries()
{
    entries.resize(0);
    cursor = 0;
    totalEntries -= chargedEntries;
    totalNameBytes -= chargedNameBytes;
    chargedEntries = 0;
    chargedNameBytes = 0;
}

int FileBrowser::listFolder(const WString& folder, const WString::Array& listFilters, int listMode)
{
    releaseEntries();
    // Only a computer has a card to stay on; the handheld opens the folder once.
    int problem = sdRoot() ? folderProblem(folder) : 0;
    // This list may take what the others leave.
    ListingBounds bounds(MAX_LISTED_ENTRIES - totalEntries, MAX_LISTED_NAME_BYTES - totalNameBytes);
    if (problem == 0 && !readBounded(folder, listFilters, entries, listMode, bounds))
        problem = errno ? errno : ENOENT;
    chargedEntries = entries.count();
    chargedNameBytes = bounds.addedBytes;
    totalEntries += chargedEntries;
    totalNameBytes += chargedNameBytes;
    if (bounds.cut && totalEntries == chargedEntries)
        reportFullFolder(folder);
    else if (bounds.cut)
        diagnoseAt(SourcePlace(folder.text(), 0), DIAGNOSTIC_ERROR,
                   "the file lists together hold as many entries as the launcher keeps (%d, or "
                   "%d bytes of names): the rest of this folder is left out",
                   static_cast<int>(MAX_LISTED_ENTRIES), static_cast<int>(MAX_LISTED_NAME_BYTES));
    if (problem || !sdRoot())
        return problem;
    // "../" goes up from cwd, also in a descriptor's listing: on a computer it is not listed
    // where that would leave the card.
    const int slash = cwd.left(cwd.length() - 1).findLast('/');
    if (slash >= 0 && cardProblem(cwd.left(slash + 1).text()) == FOLDER_OFF_CARD) {
        for (int i = 0; i < entries.count(); ++i) {
            if (entries[i] == parentEntry) {
                entries.take(i);
                break;
            }
        }
    }
    return 0;
}

void FileBrowser::applyOptions(OptionTable& options)
{
    WString::Array values;
    if (options.find("color", values)) {
        if (values.count() > 0)
            textColor = parseColor(values[0]);
        if (values.count() > 1)
            cursorColor = parseColor(values[1]);
        if (values.count() > 2)
            idleCursorColor = parseColor(values[2]);
    }
    if (options.find("startdir", values) && values.count() == 1)
        cwd = textOf(values[0]);
    if (options.find("type", values) && values.count() == 1) {
        if (values[0] == "dir")
            mode = DIRECTORIES_ONLY;
        else if (values[0] == "file")
            mode = FILES_ONLY;
    }
    if (options.find("filter", values))
        filters = values;
    if (options.find("source", values) && values.count() == 1) {
        if (values[0] == "recent")
            source = SOURCE_RECENT;
        else if (values[0] == "favourites")
            source = SOURCE_FAVOURITES;
    }
    // The empty ending matches every name.
    if (filters.count() == 0)
        filters.append(WString(""));
}

bool FileBrowser::readDirectory(const WString& path, const WString::Array& filters,
                                WString::Array& list, int mode)
{
    ListingBounds bounds(MAX_LISTED_ENTRIES, MAX_LISTED_NAME_BYTES);
    const bool opened = readBounded(path, filters, list, mode, bounds);
    if (bounds.cut)
        reportFullFolder(path);
    return opened;
}

void FileBrowser::reportFullFolder(const WString& path)
{
    diagnoseAt(SourcePlace(path.text(), 0), DIAGNOSTIC_ERROR,
               "the folder holds more than a list can show (%d entries or %d bytes of names): "
               "the rest is left out",
               static_cast<int>(MAX_LISTED_ENTRIES), static_cast<int>(MAX_LISTED_NAME_BYTES));
}

bool FileBrowser::readBounded(const WString& path, const WString::Array& filters,
                              WString::Array& list, int mode, ListingBounds& bounds)
{
    errno = 0;
    DIR* folder = path.text() ? openDirectory(path.text()) : 0;
    if (folder) {
        PathBuilder fullPath(path.text());
        const bool everyFile = filters.count() == 1 && filters[0] == "*";
        const int listedBefore = list.count();
        // Entries behind a loop of links: a list walked round the loop ends there, and says why.
        WString firstLooped;
        int looped = 0;
        struct dirent* item;
        while ((item = readdir(folder)) != 0) {
            const char* name = item->d_name;
            if (strcmp(name, ".") == 0)
                continue;
            const char* statName = fullPath.with(name);
            struct stat info;
            if (!statName || statPath(statName, &info) != 0) {
                if (statName && errno == ELOOP && looped++ == 0)
                    firstLooped = name;
                continue;
            }
            const bool isDirectory = S_ISDIR(info.st_mode);
            if (isDirectory &&
                (mode == FILES_ONLY || (mode == DIRECTORIES_ONLY && strcmp(name, "..") == 0)))
                continue;
            if (!isDirectory &&
                (mode == DIRECTORIES_ONLY || !(everyFile || hasEnding(name, filters))))
                continue;
            const size_t nameLength = strlen(name);
            if (list.count() - listedBefore >= bounds.entries ||
                bounds.addedBytes + nameLength > bounds.nameBytes) {
                bounds.cut = true;
                break;
            }
            bounds.addedBytes += static_cast<uint32_t>(nameLength);
            WString entry(name);
            if (isDirectory && mode == FILES_AND_DIRECTORIES)
                entry += '/';
            list.append(entry);
        }
        closedir(folder);
        if (looped == 1)
            diagnoseAt(SourcePlace(path.text(), 0), DIAGNOSTIC_WARNING,
                       "'%s' is reached through too many links (a loop of links?): it is left out",
                       firstLooped.text());
        else if (looped > 1)
            diagnoseAt(SourcePlace(path.text(), 0), DIAGNOSTIC_WARNING,
                       "'%s' and %d more are reached through too many links (a loop of links?): "
                       "they are left out",
                       firstLooped.text(), looped - 1);
    }
    sortEntries(list);
    return folder != 0;
}

int FileBrowser::compareEntries(const void* a, const void* b)
{
    const WString& first = *static_cast<const WString*>(a);
    const WString& second = *static_cast<const WString*>(b);
    const bool firstIsDirectory = endsWithSlash(first);
    const bool secondIsDirectory = endsWithSlash(second);
    if (firstIsDirectory != secondIsDirectory)
        return firstIsDirectory ? -1 : 1;
    return strcasecmp(textOf(first), textOf(second));
}

WString FileBrowser::selectedEntry() const
{
    if (entries.count() == 0)
        return WString("");
    PlayedEntry entry;
    if (played && played->entry(shownEntries[cursor], entry))
        return entry.file.mid(entry.file.findLast('/') + 1);
    return entries[cursor];
}

WString FileBrowser::entryDirectory() const
{
    PlayedEntry entry;
    if (played)
        return entries.count() > 0 && played->entry(shownEntries[cursor], entry)
            ? entry.file.left(entry.file.findLast('/') + 1)
            : WString("");
    // A descriptor without an ACTION line still lists its DIRECTORY: the entries live there.
    return listingDescriptor ? directory : cwd;
}

bool FileBrowser::pickedEntry(PlayedEntry& picked) const
{
    if (entries.count() == 0)
        return false;
    if (played) {
        if (!played->entry(shownEntries[cursor], picked))
            return false;
        // The page expands the words once more, which turns "%%" back into "%": the words come
        // out as they were recorded.
        for (int i = 1; i < picked.words.count(); ++i)
            picked.words[i] = picked.words[i].replace("%", "%%");
        return true;
    }
    const WString& entry = entries[cursor];
    if (endsWithSlash(entry))
        return false;
    picked.name = entry;
    picked.file = entryDirectory() + entry;
    picked.words.resize(0);
    picked.speed.resize(0);
    if (listingDescriptor && action.count() > 0) {
        descriptorWords(picked.words);
        if (picked.words.count() > 1 && picked.words[0] == "exec")
            picked.speed = speed;
    }
    return true;
}

void FileBrowser::descriptorWords(WString::Array& words) const
{
    words = action;
    if (words.count() < 2 || !(words[0] == "exec"))
        return;
    // The page expands the words of an action of three or more once more, which turns "%%" back
    // into "%": a directory named "50%" must not lose everything after its "%". Shorter actions
    // are not expanded, so they take the name as it is.
    const WString escaped = words.count() >= 3 ? cwd.replace("%", "%%") : cwd;
    bool anyCut = false;
    for (int i = 1; i < words.count(); ++i) {
        bool cut = false;
        words[i] = expandBounded(words[i], "cwd", textOf(escaped), VariableStore::QUIET, &cut);
        anyCut = anyCut || cut;
    }
    // While the descriptor's action is in force, cwd is the descriptor's folder.
    if (anyCut) {
        const WString descriptor = cwd + descriptorName;
        diagnoseAt(SourcePlace(descriptor.text(), actionLine), DIAGNOSTIC_ERROR,
                   "the argument expands to more than %d bytes: it is cut there",
                   static_cast<int>(VariableStore::MAX_EXPANDED_LENGTH));
    }
}

bool FileBrowser::enterDescriptor()
{
    const WString path = cwd + descriptorName;
    SkinReader reader(path.text());
    if (!reader.isOpen())
        return false;
    directory = cwd;
    listingDescriptor = true;
    // The reader's place dies with it: whoever reported before us finds theirs again.
    const SourcePlace outer = currentPlace();
    int directoryLine = 0;
    bool directoryCut = false;
    WString::Array descriptorFilters;
    WString keyword;
    WString::Array arguments;
    while (reader.next(keyword, arguments)) {
        if (keyword == "FILTER") {
            descriptorFilters = arguments;
            for (int i = 0; i < arguments.count(); ++i)
                checkFilter(arguments[i]);
        } else if (keyword == "DIRECTORY") {
            if (arguments.count() > 0) {
                // Cut at 64 KiB and said at the line, as every expansion is: a few "%cwd%" in a
                // folder thousands of bytes deep would otherwise make gigabytes.
                directory = expandBounded(arguments[0], "cwd", textOf(cwd),
                                          VariableStore::REPORTING, &directoryCut);
                directoryLine = reader.place().line;
                checkSpaces(arguments[0], "folder");
            }
        } else if (keyword == "ACTION") {
            action = arguments;
            actionLine = reader.place().line;
            checkActionWords(arguments);
        } else if (keyword == "SPEED") {
            speed = arguments;
        } else {
            reportUnknownKeyword(keyword, descriptorKeywords);
        }
    }
    // A folder that was cut names nothing: the cut has been said, and the folder is not looked for.
    const int problem =
        listFolder(directoryCut ? WString() : directory, descriptorFilters, FILES_AND_DIRECTORIES);
    if (problem && !directoryCut)
        reportUnlisted(SourcePlace(path.text(), directoryLine), directory, problem);
    setCurrentPlace(outer);
    return true;
}

void FileBrowser::changeDirectory(const WString& entry)
{
    // The entry may be one of our own entries, which the new listing replaces.
    const WString name(entry);
    const bool goingUp = name == parentEntry;
    WString leftName;
    bool rememberLeft = false;
    if (!goingUp) {
        // A folder picked in a descriptor's listing lives in the listed directory, which need
        // not be cwd; appending to cwd would look for it where it does not exist.
        if (listingDescriptor)
            cwd = directory;
        cwd += name;
    } else {
        const int slash = cwd.left(cwd.length() - 1).findLast('/');
        // On a computer a list never goes up off the card (its "../" is not listed there).
        if (slash >= 0 && cardProblem(cwd.left(slash + 1).text()) == FOLDER_OFF_CARD)
            return;
        if (slash >= 0) {
            leftName = cwd.mid(slash + 1);
            rememberLeft = true;
            cwd = cwd.left(slash + 1);
        }
    }
    printf("Changed to %s\n", textOf(cwd));

    if (!goingUp && enterDescriptor())
        return;

    const int problem = listPlainFolder();
    // A folder entered that cannot be listed (the end of a loop of links, a link off the card, a
    // folder gone since) keeps the way back.
    if (problem && !goingUp && mode == FILES_AND_DIRECTORIES) {
        entries.append(WString(parentEntry));
        diagnoseAt(SourcePlace(cwd.text(), 0), DIAGNOSTIC_ERROR,
                   "the folder %s: the list shows only '../'", problemText(problem));
    }
    if (rememberLeft) {
        for (int i = 0; i < entries.count(); ++i) {
            if (entries[i] == leftName) {
                cursor = i;
                break;
            }
        }
    }
}

int FileBrowser::listPlainFolder()
{
    listingDescriptor = false;
    action.resize(0);
    return listFolder(cwd, filters, mode);
}

bool FileBrowser::moveTo(const WString& folder, const WString& entry)
{
    if (played) {
        const int32_t kept = cursor;
        for (cursor = 0; cursor < entries.count(); ++cursor) {
            if (selectedEntry() == entry)
                return true;
        }
        cursor = kept;
        return false;
    }
    if (!endsWithSlash(folder) || folderProblem(folder) != 0)
        return false;
    cwd = folder;
    if (!enterDescriptor())
        listPlainFolder();
    for (int i = 0; i < entries.count(); ++i) {
        if (entries[i] == entry) {
            cursor = i;
            return true;
        }
    }
    // The entry has gone: the cursor goes to the one now listed where it was (the last one
    // when it was listed last).
    while (cursor < entries.count() - 1 && compareEntries(&entries[cursor], &entry) < 0)
        ++cursor;
    return false;
}

void FileBrowser::handleInput(WString::Array& actions, int& code)
{
    const int count = entries.count();
    const int half = rows / 2;
    switch (code) {
    case NAV_UP:
        if (cursor > 0) {
            --cursor;
            code = NAV_NONE;
        }
        break;
    case NAV_DOWN:
        if (cursor < count - 1) {
            ++cursor;
            code = NAV_NONE;
        }
        break;
    case NAV_PAGE_BACK:
        if (cursor > 0) {
            cursor = cursor > half ? cursor - half : 0;
            code = NAV_NONE;
        }
        break;
    case NAV_PAGE_FORWARD:
        if (cursor < count - 1) {
            cursor = half < count - 1 - cursor ? cursor + half : count - 1;
            code = NAV_NONE;
        }
        break;
    case NAV_ACTION:
        // No entry to pick: nothing happens. The button's own action would run with an empty
        // entry, which names the folder itself as the program.
        if (count == 0) {
            code = NAV_NONE;
            break;
        }
        if (endsWithSlash(entries[cursor])) {
            changeDirectory(entries[cursor]);
            code = NAV_NONE;
            break;
        }
        if (played || action.count() > 0) {
            PlayedEntry picked;
            if (pickedEntry(picked)) {
                actions = picked.words;
                if (clock && actions.count() > 1 && actions[0] == "exec")
                    clock->setSpeed(picked.speed);
            }
            code = NAV_NONE;
        }
        break;
    default:
        break;
    }
}

void FileBrowser::draw(uint16_t* frame, bool selected)
{
    const int lineHeight = font ? font->lineHeight() : 0;
    if (lineHeight <= 0 || rows <= 0 || entries.count() == 0)
        return;
    const int64_t half = rows / 2;
    const int64_t height = lineHeight;
    // Row i shows entry i + cursor - half; only rows that hold an entry and reach into the
    // frame are visited, so a long list or a tall, off-screen list costs no more than a short one.
    int64_t first = half - cursor;
    int64_t last = static_cast<int64_t>(entries.count()) - 1 + half - cursor;
    if (first < 0)
        first = 0;
    if (last > rows - 1)
        last = rows - 1;
    const int64_t firstOnScreen = floorDivide(-static_cast<int64_t>(y) - height, height) + 1;
    const int64_t lastOnScreen = floorDivide(SCREEN_HEIGHT - 1 - static_cast<int64_t>(y), height);
    if (first < firstOnScreen)
        first = firstOnScreen;
    if (last > lastOnScreen)
        last = lastOnScreen;
    for (int64_t i = first; i <= last; ++i) {
        const int entry = static_cast<int>(i + cursor - half);
        if (i == half)
            font->setColor(selected ? cursorColor : idleCursorColor);
        else
            font->setColor(textColor);
        font->drawText(frame, x, static_cast<int>(y + i * height), textOf(entries[entry]));
    }
}
