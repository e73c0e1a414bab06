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

bool startsWithKey(const char* line, const char* key, size_t keyLength)
{
    if (!line)
        return false;
    while (WString::isWhitespace(*line))
        ++line;
    return strncmp(line, key, keyLength) == 0;
}

// Writes and closes the new file; true only when every byte reached the card.
bool writeNewFile(FILE* stream, const WString::Array& lines, const TextBuffer& keyLine,
                  const char* key, size_t keyLength)
{
    bool ok = true;
    bool replaced = false;
    for (int i = 0; ok && i < lines.count(); ++i) {
        const WString& line = lines[i];
        if (startsWithKey(line.text(), key, keyLength)) {
            ok = writeBytes(stream, keyLine.data(), keyLine.length());
            replaced = true;
        } else {
            ok = writeBytes(stream, line.text(), line.length()) && writeBytes(stream, "\n", 1);
        }
    }
    if (ok && !replaced)
        ok = writeBytes(stream, keyLine.data(), keyLine.length());
    // The rename below must never put a file in place whose data is still in the page cache
    // only: a power cut on the handheld would leave an empty or torn configuration.
    ok = ok && fflush(stream) == 0 && fsync(fileno(stream)) == 0;
    ok = fclose(stream) == 0 && ok;
    return ok;
}

} // namespace

int updateConfigFile(const char* configPath, const char* newPath, WString key,
                     const WString::Array& values)
{
    // Writing the new content under the configuration's own name would destroy the old one
    // before the new one is complete.
    if (!configPath || !newPath || strcmp(configPath, newPath) == 0)
        return 0;
    key += "=";
    size_t keyLength = static_cast<size_t>(key.length());

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
    for (int i = 0; i < values.count(); ++i) {
        if (i > 0)
            keyLine.append(',');
        keyLine.append(values[i]);
    }
    keyLine.append('\n');

    FILE* output = openFile(newPath, "wt");
    if (!output)
        return 0;
    if (!writeNewFile(output, lines, keyLine, key.text(), keyLength)) {
        unlinkPath(newPath);
        return 0;
    }
    if (renamePath(newPath, configPath) != 0) {
        unlinkPath(newPath);
        return 0;
    }
    return 1;
}
