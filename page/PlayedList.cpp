// PlayedList: reading, changing and writing Tarvo.recent and Tarvo.favourites.
#include "page/PlayedList.h"

#include "base/Diagnostics.h"
#include "base/ParseNumber.h"
#include "base/TextBuffer.h"
#include "config/ConfigUpdate.h"
#include "config/EscapedText.h"
#include "page/FileBrowser.h"
#include "platform/Files.h"

#include <stdio.h>
#include <string.h>

namespace {

const char header[] = "// Written by Tarvo, one program a line: NAME,FILE,SPEED,FOLDER,PROGRAM,"
                      "ARGUMENTS...\n";

// A speed as written: one or three whole numbers separated by single spaces.
bool readSpeed(const WString& field, WString::Array& speed)
{
    speed.resize(0);
    const char* text = field.text() ? field.text() : "";
    if (!*text)
        return true;
    for (;;) {
        const char* start = text;
        if (*text == '-')
            ++text;
        const char* digits = text;
        while (*text >= '0' && *text <= '9')
            ++text;
        if (text == digits || text - start > 11)
            return false;
        speed.append(
            field.mid(static_cast<int>(start - field.text()), static_cast<int>(text - start)));
        if (!*text)
            break;
        if (*text != ' ')
            return false;
        ++text;
    }
    return speed.count() == 1 || speed.count() == 3;
}

// The line of an entry, without its line end; false when it would pass MAX_LINE_BYTES.
bool encode(const PlayedEntry& played, WString& line)
{
    TextBuffer content;
    content.append("");
    appendEscaped(content, played.name);
    content.append(',');
    appendEscaped(content, played.file);
    content.append(',');
    for (int i = 0; i < played.speed.count(); ++i) {
        char number[16];
        snprintf(number, sizeof number, i ? " %d" : "%d", parseNumber(played.speed[i].text()));
        content.append(number);
    }
    for (int i = 1; i < played.words.count(); ++i) {
        content.append(',');
        appendEscaped(content, played.words[i]);
    }
    if (content.length() > PlayedList::MAX_LINE_BYTES)
        return false;
    line = content.toString();
    return true;
}

// An entry as encode writes it; false for anything else.
bool decode(const WString& line, PlayedEntry& played)
{
    const char* text = line.text();
    if (!text)
        return false;
    WString::Array fields;
    WString field;
    TextBuffer written;
    for (const char* start = text;;) {
        const char* comma = strchr(start, ',');
        const int length =
            comma ? static_cast<int>(comma - start) : static_cast<int>(strlen(start));
        // Each field on its own: copying the rest of the line for every field would make a line
        // of commas cost its length squared.
        written.clear();
        written.append(start, length);
        if (!readEscaped(written.toString(), field))
            return false;
        fields.append(field);
        if (!comma)
            break;
        start = comma + 1;
    }
    if (fields.count() < 5 || fields[0].isEmpty() || fields[0].find('/') >= 0 || fields[0] == "." ||
        fields[0] == ".." || fields[1].isEmpty() || fields[4].isEmpty())
        return false;
    WString::Array speed;
    if (!readSpeed(fields[2], speed))
        return false;
    played.name = fields[0];
    played.file = fields[1];
    played.speed = speed;
    played.words = fields;
    played.words.take(0);
    played.words.take(0);
    played.words[0] = "exec";
    return true;
}

} // namespace

PlayedList::PlayedList(const char* path, const char* newPath, int maxEntries, Order listOrder)
    : filePath(path), newFilePath(newPath), most(maxEntries), order(listOrder), loaded(false)
{
}

void PlayedList::load()
{
    if (loaded)
        return;
    loaded = true;
    FILE* stream = openFile(filePath.text(), "rb");
    if (!stream)
        return;
    // Bounded by what the list can hold, so that a file of any size costs no more.
    const long maxBytes = static_cast<long>(most) * MAX_LINE_BYTES;
    long bytes = 0;
    int lineNumber = 0;
    int damaged = 0;
    const char* stoppedBecause = 0;
    TextBuffer line;
    line.limitTo(MAX_LINE_BYTES);
    PlayedEntry played;
    int c = 0;
    while (c != EOF && !stoppedBecause) {
        line.clear();
        line.append("");
        while ((c = getc(stream)) != EOF && c != '\n' && ++bytes <= maxBytes) {
            if (c != '\r')
                line.append(static_cast<char>(c));
        }
        ++lineNumber;
        const SourcePlace place(filePath.text(), lineNumber);
        const bool comment = line.length() >= 2 && line.data()[0] == '/' && line.data()[1] == '/';
        if (bytes > maxBytes) {
            stoppedBecause = "the file is longer than the list can be";
        } else if ((line.length() == 0 && !line.wasCut()) || comment) {
            continue;
        } else if (line.wasCut()) {
            diagnoseAt(place, DIAGNOSTIC_WARNING, "the line is longer than %d bytes: it is skipped",
                       static_cast<int>(MAX_LINE_BYTES));
            ++damaged;
        } else if (memchr(line.data(), '\0', line.length()) || !decode(line.toString(), played)) {
            diagnoseAt(place, DIAGNOSTIC_WARNING,
                       "the line is not an entry as the launcher writes them: it is skipped");
            ++damaged;
        } else if (lines.count() == most) {
            stoppedBecause = "the file holds more entries than the list keeps";
        } else {
            lines.append(line.toString());
        }
        if (damaged == MAX_DAMAGED_LINES && !stoppedBecause)
            stoppedBecause = "too many lines are damaged";
    }
    fclose(stream);
    if (stoppedBecause)
        diagnoseAt(SourcePlace(filePath.text(), lineNumber), DIAGNOSTIC_WARNING,
                   "%s (%d entries): the rest of the file is not read", stoppedBecause, most);
}

bool PlayedList::entry(int index, PlayedEntry& played) const
{
    return index >= 0 && index < lines.count() && decode(lines[index], played);
}

int PlayedList::find(const WString& file) const
{
    PlayedEntry played;
    for (int i = 0; i < lines.count(); ++i) {
        if (decode(lines[i], played) && played.file == file)
            return i;
    }
    return -1;
}

bool PlayedList::isPresent(const PlayedEntry& played)
{
    struct stat info;
    // A bare name is looked up along PATH when it starts: nothing on the card to miss.
    if (played.file.find('/') >= 0 && statPath(played.file.text(), &info) != 0)
        return false;
    const WString& program = played.words.count() > 2 ? played.words[2] : played.file;
    if (program.find('/') < 0)
        return true;
    const WString& folder = played.words[1];
    const WString path = program[0] == '/' || folder.isEmpty()
        ? program
        : folder + (folder[folder.length() - 1] == '/' ? "" : "/") + program;
    return statPath(path.text(), &info) == 0;
}

PlayedList::Result PlayedList::add(const PlayedEntry& played)
{
    load();
    WString line;
    if (!encode(played, line))
        return TOO_LONG;
    // The new lines: the entry where it belongs, the others in their order, an earlier line of
    // the same file left out.
    const int earlier = find(played.file);
    if (order == SORTED && earlier < 0 && lines.count() >= most)
        return LIST_FULL;
    WString::Array newLines;
    if (order == NEWEST_FIRST)
        newLines.append(line);
    PlayedEntry other;
    bool placed = order == NEWEST_FIRST;
    for (int i = 0; i < lines.count() && newLines.count() < most; ++i) {
        if (i == earlier)
            continue;
        if (!placed && decode(lines[i], other) &&
            FileBrowser::compareEntries(&played.name, &other.name) < 0) {
            newLines.append(line);
            placed = true;
        }
        newLines.append(lines[i]);
    }
    if (!placed)
        newLines.append(line);
    return save(newLines);
}

PlayedList::Result PlayedList::remove(int index)
{
    load();
    if (index < 0 || index >= lines.count())
        return SAVED;
    WString::Array newLines(lines);
    newLines.take(index);
    return save(newLines);
}

PlayedList::Result PlayedList::clear()
{
    load();
    return save(WString::Array());
}

PlayedList::Result PlayedList::undo()
{
    WString::Array old(previous);
    return save(old);
}

PlayedList::Result PlayedList::save(const WString::Array& newLines)
{
    TextBuffer content;
    content.append(header);
    for (int i = 0; i < newLines.count(); ++i) {
        content.append(newLines[i]);
        content.append('\n');
    }
    if (!replaceFile(filePath.text(), newFilePath.text(), content.data(), content.length())) {
        diagnoseAt(SourcePlace(filePath.text(), 0), DIAGNOSTIC_ERROR,
                   "the file cannot be written: it is left as it was");
        return NOT_SAVED;
    }
    previous = lines;
    lines = newLines;
    return SAVED;
}
