// launchProgram: the launcher replaces itself with a program named by the words of an action.
#ifndef TARVO_CORE_LAUNCH_H
#define TARVO_CORE_LAUNCH_H

#include "base/WString.h"
#include "platform/Files.h"

// The words are those of an "exec" action: word 0 is "exec" (not looked at), word 1 the working
// directory (empty: the directory is not changed), word 2 the program, which is also its own
// argument 0, and every later word one more argument. Program words are the pointers into the
// caller's array, 255 at most: words from 257 on are left out, and a word without any text ends
// the argument list there.
//
// Before the program starts, the battery device is closed, the platform is shut down and the
// CPU speed SPEED_LAUNCH applied, when it is defined. On success this does not return. A working
// directory that cannot be entered fails the start: the program would otherwise run from another
// folder than its action names, and find the wrong files or be another program altogether. When
// the program cannot be started, the launcher takes back its working directory, brings the
// platform and the battery device back, prints "Could not start %s: %s\n" (the program and the
// system's reason) and returns that reason (an errno value), so the main loop can go on drawing
// and say so. Fewer than three words, or a program word without text, name no program: nothing
// happens, and the result is 0. source says which programs may start (executeProgram,
// platform/Files.h).
int launchProgram(const WString::Array& words, ProgramSource source = ANY_PROGRAM);

// Opens the display and the buttons with the launcher's settings: 100 timer ticks a second and 16
// bits a pixel (the sound settings, 44100 Hz and 16 bits, are ignored). At start-up, and again
// whenever a program or the menu could not be started after the platform was shut down for it.
void bringUpPlatform();

// The size of the argument table, its last entry always null.
enum { LAUNCH_ARGUMENT_SLOTS = 256 };

#endif
