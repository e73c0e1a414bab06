// Why a picture did not load: the file's absence, its first bytes, or damage.
#include "gfx/PictureFault.h"

#include "platform/Files.h"

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

namespace {

// The last picture refused for a reason said on its own.
WString refused;

// The name in path's folder that equals path's own name but for letter case; null when none does.
WString sameNameInOtherCase(const char* path)
{
    const char* slash = strrchr(path, '/');
    const WString folder = slash ? WString(path).left(static_cast<int>(slash - path) + 1) : ".";
    const char* name = slash ? slash + 1 : path;
    WString found;
    DIR* listing = openDirectory(folder.text());
    if (!listing)
        return found;
    while (const struct dirent* entry = readdir(listing)) {
        if (strcasecmp(entry->d_name, name) == 0 && strcmp(entry->d_name, name) != 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(listing);
    return found;
}

} // namespace

void notePictureRefused(const char* path)
{
    refused = path;
}

WString whyPictureFails(const char* path)
{
    WString why;
    if (!path || !*path)
        return why.format("the name is empty");
    if (refused == path)
        return why;
    struct stat info;
    if (statPath(path, &info) == 0 && S_ISDIR(info.st_mode))
        return why.format("it is a folder");
    FILE* file = openFile(path, "rb");
    if (!file) {
        if (errno != ENOENT)
            return why.format("the file cannot be read (%s)", strerror(errno));
        const WString other = sameNameInOtherCase(path);
        if (other.isEmpty())
            return why.format("the file does not exist");
        return why.format("the file does not exist (did you mean '%s'?)", other.text());
    }
    unsigned char head[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    const size_t read = fread(head, 1, sizeof head, file);
    fclose(file);
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (read == sizeof head && memcmp(head, png, sizeof png) == 0)
        return why.format("the PNG file is damaged");
    const char* kind = 0;
    if (read >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        kind = "JPEG";
    else if (read >= 4 && memcmp(head, "GIF8", 4) == 0)
        kind = "GIF";
    else if (read >= 2 && head[0] == 'B' && head[1] == 'M')
        kind = "BMP";
    if (kind)
        return why.format("the file is a %s picture, not a PNG", kind);
    return why.format(read == 0 ? "the file is empty" : "the file is not a PNG picture");
}

WString cannotLoadPicture(const char* path)
{
    const WString why = whyPictureFails(path);
    WString text;
    text.format("picture '%s' cannot be loaded", path ? path : "");
    if (!why.isEmpty())
        text += WString(": ") + why;
    return text;
}
