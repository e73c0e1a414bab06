// SkinWatch: tells the desktop window when the files of the skin on show have been saved, so that
// it can read them again (tarvo-desktop --watch). Linux only: inotify.
#ifndef TARVO_FRONTENDS_DESKTOP_SKINWATCH_H
#define TARVO_FRONTENDS_DESKTOP_SKINWATCH_H

#include <chrono>
#include <map>
#include <string>
#include <vector>

// A save is rarely one write: an editor writes a file in pieces, or writes a temporary file and
// renames it over the old one, and a picture editor may write several files. The watch waits until
// the writing has rested for a tenth of a second (at most 0.4 s after the first write) and then
// says once that a reload is due. Whatever is read at that moment may still be half-written; the
// launcher's reading copes with any content, and the next write makes the next reload.
class SkinWatch {
public:
    // A folder (a real path) and the names in it that count; no names: every file in it and in
    // every folder below it.
    struct Folder {
        std::string path;
        std::vector<std::string> names;
    };

    SkinWatch();
    ~SkinWatch();
    SkinWatch(const SkinWatch&) = delete;
    SkinWatch& operator=(const SkinWatch&) = delete;

    // Watches these folders instead of those of the last call. Folders that do not exist are
    // left out (watch the folder above them, with their name, to see them come).
    void watch(const std::vector<Folder>& folders);

    // Reads what happened so far without waiting; true once per save, when it has rested.
    bool due();

private:
    using Clock = std::chrono::steady_clock;

    void add(const std::string& path, const std::vector<std::string>& names);

    int descriptor;
    // Per watch descriptor, the names that count (empty: all).
    std::map<int, std::vector<std::string>> watches;
    bool pending = false;
    Clock::time_point firstWrite;
    Clock::time_point lastWrite;
};

#endif
