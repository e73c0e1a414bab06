// The program that stands in for the handheld's menu (/usr/gp2x/gp2xmenu) when the launcher runs
// on a computer; shared by the desktop and headless backends.
#ifndef TARVO_PLATFORM_MENUPROGRAM_H
#define TARVO_PLATFORM_MENUPROGRAM_H

// The path of the program, or null (the default) for none. The text is copied. Front-ends call
// this before start-up.
void setMenuProgram(const char* path);
const char* menuProgram();

// Starts the menu program like the handheld starts its own: the program's directory becomes the
// working directory and its file name is the only argument. With no program named, the launcher
// ends normally with status 0. Returns only when the program could not be started, after one
// line on standard error saying why; the working directory is then the launcher's again.
void startMenuProgram();

#endif
