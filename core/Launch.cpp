// Replacing the launcher with a program.
#include "core/Launch.h"

#include "core/ProcessObjects.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

void bringUpPlatform()
{
    platformInit(100, 16, 44100, 16);
}

int launchProgram(const WString::Array& words, ProgramSource source)
{
    if (words.count() < 3 || words[2].text() == 0)
        return 0;

    // Null after the last word, so the table ends itself; the last slot is never filled.
    char* arguments[LAUNCH_ARGUMENT_SLOTS];
    for (int i = 0; i < LAUNCH_ARGUMENT_SLOTS; ++i)
        arguments[i] = 0;
    for (int i = 2; i < words.count() && i - 2 < LAUNCH_ARGUMENT_SLOTS - 1; ++i)
        arguments[i - 2] = const_cast<char*>(words[i].text());

    // Only needed when the start fails: relative paths (an SD-card folder given relative on a
    // computer) would otherwise point elsewhere from then on.
    SavedWorkingFolder home;

    batteryReader.close();
    platformShutdown();
    WString::Array speed;
    if (variableStore.find("SPEED_LAUNCH", speed))
        clockControl.setSpeed(speed);
    int reason = 0;
    if (words[1].length() > 0 && changeDirectory(words[1].text()) != 0)
        reason = errno;
    else if (executeProgram(arguments[0], arguments, source) != 0)
        reason = errno;

    // Still here: the program did not start.
    home.restore();
    bringUpPlatform();
    batteryReader.open();
    printf("Could not start %s: %s\n", arguments[0], strerror(reason));
    return reason;
}
