// SkinWatch: inotify on the skin's folders, and the rest that turns the writes of a save into one
// reload.
#include "frontends/desktop/SkinWatch.h"

#include <algorithm>
#include <filesystem>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Every way a file can change: written, finished, created, removed, renamed in or out.
const uint32_t changes =
    IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
const auto restTime = std::chrono::milliseconds(100);
const auto longestWait = std::chrono::milliseconds(400);

} // namespace

SkinWatch::SkinWatch() : descriptor(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

SkinWatch::~SkinWatch()
{
    if (descriptor >= 0)
        close(descriptor);
}

void SkinWatch::add(const std::string& path, const std::vector<std::string>& names)
{
    const int watch = inotify_add_watch(descriptor, path.c_str(), changes | IN_ONLYDIR);
    if (watch < 0)
        return;
    // A folder watched twice counts the names of both; every file, if one of them does.
    auto [found, added] = watches.emplace(watch, names);
    if (!added && names.empty())
        found->second.clear();
    else if (!added && !found->second.empty())
        found->second.insert(found->second.end(), names.begin(), names.end());
    if (!names.empty())
        return;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(path, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error))
            add(it->path().string(), {});
    }
}

void SkinWatch::watch(const std::vector<Folder>& folders)
{
    if (descriptor < 0)
        return;
    for (const auto& entry : watches)
        inotify_rm_watch(descriptor, entry.first);
    watches.clear();
    for (const Folder& folder : folders)
        add(folder.path, folder.names);
}

bool SkinWatch::due()
{
    if (descriptor < 0)
        return false;
    alignas(inotify_event) char buffer[4096];
    ssize_t length;
    while ((length = read(descriptor, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            auto found = watches.find(event->wd);
            if (found == watches.end() || !(event->mask & changes))
                continue;
            const std::vector<std::string>& names = found->second;
            if (!names.empty() &&
                (!event->len || std::find(names.begin(), names.end(), event->name) == names.end()))
                continue;
            lastWrite = Clock::now();
            if (!pending)
                firstWrite = lastWrite;
            pending = true;
        }
    }
    const Clock::time_point now = Clock::now();
    if (!pending || (now - lastWrite < restTime && now - firstWrite < longestWait))
        return false;
    pending = false;
    return true;
}
