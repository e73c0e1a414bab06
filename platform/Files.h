// Where the launcher's files really are: every path it opens, lists, stats, renames, removes,
// changes into or executes goes through this file.
//
// On the handheld nothing is mapped. On a computer a folder stands for the SD card: the path
// "/mnt/sd" and every path that begins with "/mnt/sd/" are resolved inside that folder
// ("/mnt/sd/Tarvo/Tarvo.cfg" -> FOLDER + "/Tarvo/Tarvo.cfg"); all other paths stay as they are.
// Only the system calls see the mapped path: the launcher's own texts (variables, printed lines,
// action words) keep the handheld's paths, so a skin behaves the same everywhere.
#ifndef TARVO_PLATFORM_FILES_H
#define TARVO_PLATFORM_FILES_H

#include <dirent.h>
#include <stdio.h>
#include <sys/stat.h>

// A malloc'ed copy of text, for free(); null for a null or empty text, or when memory runs out.
char* copyText(const char* text);

// The folder that stands for the SD card, or null (the default) for no mapping. The text is
// copied. Host front-ends call this once before start-up; the handheld never does.
void setSdRoot(const char* folder);
const char* sdRoot();

// Whether path, a handheld path, is "/mnt/sd" or lies below it, as written (no link resolved).
bool isOnSdCard(const char* path);

// Whether real, a path with every link resolved (null: none), is the SD-card folder or lies below
// it; a sibling whose name begins with the folder's ("card2" beside "card") does not. Always true
// without a mapping: on the handheld the card is all there is.
bool realPathOnCard(const char* real);

// A path as the system must see it. Owns the mapped text when the path was mapped; otherwise
// text() is the original pointer (null stays null). Not copyable: use it within one statement
// or one scope.
class MappedPath {
public:
    explicit MappedPath(const char* path);
    ~MappedPath();
    const char* text() const { return mapped ? mapped : original; }

private:
    MappedPath(const MappedPath&);
    MappedPath& operator=(const MappedPath&);

    const char* original;
    char* mapped;
};

// The system calls the launcher uses, each taking a handheld path. Results and errno are the
// system's own.
FILE* openFile(const char* path, const char* mode);
// Every file the launcher writes is made this way, so that a card cannot make it write anywhere
// else through a link: whatever has that name already (a file left by a killed save, a link) is
// removed first, a link itself and never what it points to, and the file is made anew for
// writing with O_CREAT | O_EXCL | O_NOFOLLOW, closed on exec. Should something take the name
// in between, the file is not made. Null, errno set, when it cannot be made.
FILE* createFile(const char* path);
DIR* openDirectory(const char* path);
int statPath(const char* path, struct stat* info);
int renamePath(const char* from, const char* to);
int unlinkPath(const char* path);
int changeDirectory(const char* path);

// Which programs executeProgram starts: any (execvp's search of PATH included), or only programs
// that lie on the card, checked as they are started.
enum ProgramSource { ANY_PROGRAM, CARD_PROGRAMS_ONLY };

// execvp with a handheld path: the program is mapped like any path, and so is every argument that
// begins with "/mnt/sd/" (argument 0, the program's own name, included), so that the program finds
// the files it is given. arguments ends with a null pointer. Returns only on failure (-1, errno
// set); the launcher's own array is never changed.
//
// With CARD_PROGRAMS_ONLY and a mapping, the program is opened from the working folder as it is
// now, the opened file's real path must lie in the SD-card folder, and that very file runs
// (fexecve), so nothing can change between the check and the start; any other program fails with
// EACCES. Without a mapping the card is all there is, and the program is started as with
// ANY_PROGRAM.
int executeProgram(const char* program, char* const arguments[],
                   ProgramSource source = ANY_PROGRAM);

// Whether program, started from folder as an exec action starts it (both handheld paths; an
// empty folder keeps the working folder), is inside the SD-card folder once mapped and with every
// symbolic link resolved. A bare name is looked up on PATH and so never lies on the card. Always
// true without a mapping: on the handheld the card is all there is. A computer front-end uses it
// to start only what a skin brings along, never the computer's own programs.
bool programLiesOnCard(const char* folder, const char* program);

// The working folder at construction, to come back to after a launch attempt changed it. The
// descriptor is closed on exec, so a program that starts never inherits it. restore() returns
// whether the launcher is back in that folder; it leaves errno as the failed attempt set it.
class SavedWorkingFolder {
public:
    SavedWorkingFolder();
    ~SavedWorkingFolder();
    bool restore();

private:
    SavedWorkingFolder(const SavedWorkingFolder&);
    SavedWorkingFolder& operator=(const SavedWorkingFolder&);

    int descriptor;
};

#endif
