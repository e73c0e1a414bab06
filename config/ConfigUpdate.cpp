// Writes one key with new values into the configuration file, keeping every other line of it.
#include "config/ConfigUpdate.h"

#include "base/TextBuffer.h"
#include "config/ReadLines.h"
#include "platform/Files.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

namespace {

bool writeBytes(FILE* stream, const char* bytes, size_t count)
{
    return count == 0 || fwrite(bytes, 1, count, stream) == count;
}

char upperCase(char c)
{
    // Only the ASCII letters, as the reader upper-cases keywords.
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

const char* skipWhitespace(const char* text)
{
    while (WString::isWhitespace(*text))
        ++text;
    return text;
}

// Whether the reader would take line as setting key: its keyword, everything before the first
// "=" once leading white space is gone, is key in any letter case.
bool setsKey(const char* line, const char* key, size_t keyLength)
{
    if (!line)
        return false;
    line = skipWhitespace(line);
    for (size_t i = 0; i < keyLength; ++i) {
        if (upperCase(line[i]) != upperCase(key[i]))
            return false;
    }
    return line[keyLength] == '=';
}

// The new content: every line as it was, CRs dropped, but those that set key, which become
// keyLine (appended when no line sets key).
void composeNewFile(TextBuffer& content, const WString::Array& lines, const TextBuffer& keyLine,
                    const char* key, size_t keyLength)
{
    bool replaced = false;
    // A file that ends in a LF reads as a last, empty line, which the LF of the line before it
    // already gives back.
    int count = lines.count();
    if (count > 0 && lines[count - 1].isEmpty())
        --count;
    for (int i = 0; i < count; ++i) {
        const WString& line = lines[i];
        if (setsKey(line.text(), key, keyLength)) {
            content.append(keyLine.data(), keyLine.length());
            replaced = true;
        } else {
            content.append(line);
            content.append('\n');
        }
    }
    if (!replaced)
        content.append(keyLine.data(), keyLine.length());
}

} // namespace

int updateConfigFile(const char* configPath, const char* newPath, WString key,
                     const WString::Array& values)
{
    // Writing the new content under the configuration's own name would destroy the old one
    // before the new one is complete.
    if (!configPath || !newPath || strcmp(configPath, newPath) == 0)
        return 0;

    // The old configuration is read completely before anything is created, so a file that
    // cannot be read leaves no trace of the attempt.
    FILE* input = openFile(configPath, "rb");
    if (!input)
        return 0;
    WString::Array lines;
    LineReadResult read = readLines(input, lines);
    fclose(input);
    if (read != LinesRead)
        return 0;

    TextBuffer keyLine;
    keyLine.append(key);
    keyLine.append('=');
    for (int i = 0; i < values.count(); ++i) {
        if (i > 0)
            keyLine.append(',');
        keyLine.append(values[i]);
    }
    keyLine.append('\n');

    TextBuffer content;
    const char* bareKey = skipWhitespace(key.text() ? key.text() : "");
    composeNewFile(content, lines, keyLine, bareKey, strlen(bareKey));
    return replaceFile(configPath, newPath, content.data(), content.length());
}

int replaceFile(const char* path, const char* newPath, const char* bytes, int length)
{
    if (!path || !newPath || strcmp(path, newPath) == 0 || length < 0)
        return 0;
    // A newPath left by a save that was killed, or put there as a link, is removed, never
    // written through.
    FILE* output = createFile(newPath);
    if (!output)
        return 0;
    bool ok = writeBytes(output, bytes, static_cast<size_t>(length));
    // The rename below must never put a file in place whose data is still in the page cache
    // only: a power cut on the handheld would leave an empty or torn file.
    ok = ok && fflush(output) == 0 && fsync(fileno(output)) == 0;
    ok = fclose(output) == 0 && ok;
    if (!ok || renamePath(newPath, path) != 0) {
        unlinkPath(newPath);
        return 0;
    }
    return 1;
}
