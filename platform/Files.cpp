// The SD-card folder mapping behind every file access of the launcher.
#include "platform/Files.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

extern char** environ;

namespace {

const char sdPrefix[] = "/mnt/sd";
const size_t sdPrefixLength = sizeof(sdPrefix) - 1;

char* rootFolder = 0;

// Starts the program at path, relative to the working folder, only if the file opened there
// lies on the card once every link is resolved: the check and the start use the same opened
// file. The descriptor is left open across the start, since a script's interpreter reads the
// script through it.
int executeCardProgram(const char* path, char* const arguments[])
{
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return -1;
    char link[32];
    char real[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t length = readlink(link, real, sizeof real - 1);
    if (length > 0)
        real[length] = '\0';
    if (length <= 0 || !realPathOnCard(real)) {
        close(fd);
        errno = EACCES;
        return -1;
    }
    fexecve(fd, arguments, environ);
    int error = errno;
    close(fd);
    errno = error;
    return -1;
}

} // namespace

bool isOnSdCard(const char* path)
{
    if (!path || strncmp(path, sdPrefix, sdPrefixLength) != 0)
        return false;
    return path[sdPrefixLength] == '\0' || path[sdPrefixLength] == '/';
}

char* copyText(const char* text)
{
    if (!text || !*text)
        return 0;
    size_t size = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(size));
    if (copy)
        memcpy(copy, text, size);
    return copy;
}

void setSdRoot(const char* folder)
{
    free(rootFolder);
    rootFolder = copyText(folder);
    // A trailing slash on the folder would double the one that starts the rest of the path.
    for (size_t length = rootFolder ? strlen(rootFolder) : 0;
         length > 1 && rootFolder[length - 1] == '/'; --length)
        rootFolder[length - 1] = '\0';
}

const char* sdRoot()
{
    return rootFolder;
}

bool realPathOnCard(const char* real)
{
    if (!rootFolder)
        return true;
    char* root = realpath(rootFolder, 0);
    size_t rootLength = root ? strlen(root) : 0;
    // "/" as the root holds everything.
    bool inside = real && root && strncmp(real, root, rootLength) == 0 &&
        (real[rootLength] == '\0' || real[rootLength] == '/' || rootLength == 1);
    free(root);
    return inside;
}

MappedPath::MappedPath(const char* path) : original(path), mapped(0)
{
    if (!rootFolder || !isOnSdCard(path))
        return;
    const char* rest = path + sdPrefixLength;
    size_t rootLength = strlen(rootFolder);
    size_t restLength = strlen(rest);
    mapped = static_cast<char*>(malloc(rootLength + restLength + 1));
    if (!mapped)
        return;
    memcpy(mapped, rootFolder, rootLength);
    memcpy(mapped + rootLength, rest, restLength + 1);
}

MappedPath::~MappedPath()
{
    free(mapped);
}

FILE* openFile(const char* path, const char* mode)
{
    MappedPath mappedPath(path);
    return fopen(mappedPath.text(), mode);
}

FILE* createFile(const char* path)
{
    MappedPath mappedPath(path);
    unlink(mappedPath.text());
    int fd = open(mappedPath.text(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return 0;
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        int error = errno;
        close(fd);
        unlink(mappedPath.text());
        errno = error;
    }
    return file;
}

DIR* openDirectory(const char* path)
{
    MappedPath mappedPath(path);
    return opendir(mappedPath.text());
}

int statPath(const char* path, struct stat* info)
{
    MappedPath mappedPath(path);
    return stat(mappedPath.text(), info);
}

int renamePath(const char* from, const char* to)
{
    MappedPath mappedFrom(from);
    MappedPath mappedTo(to);
    return rename(mappedFrom.text(), mappedTo.text());
}

int unlinkPath(const char* path)
{
    MappedPath mappedPath(path);
    return unlink(mappedPath.text());
}

int changeDirectory(const char* path)
{
    MappedPath mappedPath(path);
    return chdir(mappedPath.text());
}

int executeProgram(const char* program, char* const arguments[], ProgramSource source)
{
    if (!program || !arguments) {
        errno = EINVAL;
        return -1;
    }
    MappedPath mappedProgram(program);
    if (!rootFolder)
        return execvp(mappedProgram.text(), arguments);
    // A bare name is looked up on PATH and so never lies on the card.
    if (source == CARD_PROGRAMS_ONLY && !strchr(program, '/')) {
        errno = EACCES;
        return -1;
    }

    size_t count = 0;
    while (arguments[count])
        ++count;
    // Each mapped argument is a malloc'ed copy; the others point at the caller's texts.
    char** mapped = static_cast<char**>(calloc(count + 1, sizeof(char*)));
    char** owned = static_cast<char**>(calloc(count + 1, sizeof(char*)));
    int result = -1;
    int error = ENOMEM;
    bool complete = mapped && owned;
    for (size_t i = 0; complete && i < count; ++i) {
        const char* argument = arguments[i];
        if (strncmp(argument, sdPrefix, sdPrefixLength) == 0 && argument[sdPrefixLength] == '/') {
            MappedPath mappedArgument(argument);
            owned[i] = copyText(mappedArgument.text());
            complete = owned[i] != 0;
            mapped[i] = owned[i];
        } else {
            mapped[i] = arguments[i];
        }
    }
    if (complete) {
        result = source == CARD_PROGRAMS_ONLY ? executeCardProgram(mappedProgram.text(), mapped)
                                              : execvp(mappedProgram.text(), mapped);
        error = errno;
    }
    if (owned) {
        for (size_t i = 0; i < count; ++i)
            free(owned[i]);
    }
    free(owned);
    free(mapped);
    errno = error;
    return result;
}

bool programLiesOnCard(const char* folder, const char* program)
{
    if (!rootFolder)
        return true;
    if (!program || !strchr(program, '/'))
        return false;
    MappedPath mappedProgram(program);
    MappedPath mappedFolder(folder);
    const char* path = mappedProgram.text();
    char* joined = 0;
    if (program[0] != '/' && folder && *folder) {
        size_t folderLength = strlen(mappedFolder.text());
        size_t size = folderLength + 1 + strlen(path) + 1;
        joined = static_cast<char*>(malloc(size));
        if (!joined)
            return false;
        memcpy(joined, mappedFolder.text(), folderLength);
        joined[folderLength] = '/';
        strcpy(joined + folderLength + 1, path);
        path = joined;
    }
    char* real = realpath(path, 0);
    bool inside = realPathOnCard(real);
    free(real);
    free(joined);
    return inside;
}

SavedWorkingFolder::SavedWorkingFolder() : descriptor(open(".", O_RDONLY))
{
    if (descriptor >= 0)
        fcntl(descriptor, F_SETFD, FD_CLOEXEC);
}

SavedWorkingFolder::~SavedWorkingFolder()
{
    if (descriptor >= 0)
        close(descriptor);
}

bool SavedWorkingFolder::restore()
{
    int error = errno;
    bool back = descriptor >= 0 && fchdir(descriptor) == 0;
    errno = error;
    return back;
}
