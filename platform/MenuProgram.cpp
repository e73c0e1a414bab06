// Starting the computer's stand-in for the handheld's menu program.
#include "platform/MenuProgram.h"

#include "platform/Files.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

char* programPath = 0;

void reportFailure(const char* path, int error)
{
    fprintf(stderr, "Tarvo: cannot start the menu program %s: %s\n", path, strerror(error));
}

} // namespace

void setMenuProgram(const char* path)
{
    free(programPath);
    programPath = 0;
    if (!path || !*path)
        return;
    size_t length = strlen(path) + 1;
    programPath = static_cast<char*>(malloc(length));
    if (programPath)
        memcpy(programPath, path, length);
}

const char* menuProgram()
{
    return programPath;
}

void startMenuProgram()
{
    if (!programPath) {
        fflush(0);
        exit(EXIT_SUCCESS);
    }

    const char* slash = strrchr(programPath, '/');
    const char* name = slash ? slash + 1 : programPath;
    if (!*name) {
        reportFailure(programPath, EISDIR);
        return;
    }
    // "/x" lives in "/"; "x" in the launcher's own directory.
    size_t folderLength = slash ? static_cast<size_t>(slash - programPath) : 0;
    char* folder = static_cast<char*>(malloc(folderLength + 2));
    if (!folder) {
        reportFailure(programPath, ENOMEM);
        return;
    }
    if (!slash) {
        strcpy(folder, ".");
    } else if (folderLength == 0) {
        strcpy(folder, "/");
    } else {
        memcpy(folder, programPath, folderLength);
        folder[folderLength] = '\0';
    }

    int home = open(".", O_RDONLY);
    if (home >= 0)
        fcntl(home, F_SETFD, FD_CLOEXEC);
    int error = 0;
    if (changeDirectory(folder) != 0) {
        error = errno;
    } else {
        // The name alone, as the handheld passes it: execl takes it relative to the new directory.
        execl(name, name, static_cast<char*>(0));
        error = errno;
        if (home >= 0 && fchdir(home) != 0)
            errno = 0;
    }
    if (home >= 0)
        close(home);
    free(folder);
    reportFailure(programPath, error);
}
