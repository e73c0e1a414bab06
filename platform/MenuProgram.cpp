// Starting the computer's stand-in for the handheld's menu program.
#include "platform/MenuProgram.h"

#include "platform/Files.h"

#include <errno.h>
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
    programPath = copyText(path);
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
    char* folder = copyText(slash ? programPath : ".");
    if (!folder) {
        reportFailure(programPath, ENOMEM);
        return;
    }
    if (slash)
        folder[slash == programPath ? 1 : slash - programPath] = '\0';

    SavedWorkingFolder home;
    int error = 0;
    if (changeDirectory(folder) != 0) {
        error = errno;
    } else {
        // The name alone, as the handheld passes it: execl takes it relative to the new directory.
        execl(name, name, static_cast<char*>(0));
        error = errno;
        home.restore();
    }
    free(folder);
    reportFailure(programPath, error);
}
