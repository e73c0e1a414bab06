// A real folder below the system's temporary directory for one test, removed with everything in it,
// and folder listing and removal that also work on the GP2X build, whose std::filesystem cannot
// read folders.
#ifndef TARVO_TESTS_PLATFORM_TEMPFOLDER_H
#define TARVO_TESTS_PLATFORM_TEMPFOLDER_H

#include <algorithm>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// The names in folder, sorted, without "." and "..".
inline std::vector<std::string> listFolder(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* listing = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(listing);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Removes path and, for a folder, everything in it; links are removed, never followed.
inline void removeTree(const std::string& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        for (const std::string& name : listFolder(path))
            removeTree(path + "/" + name);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = std::filesystem::canonical(pattern).string();
    }
    ~TempFolder()
    {
        if (!path_.empty())
            removeTree(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // Writes a file below the folder, making its folders; mode as for chmod.
    std::string write(const std::string& name, const std::string& content, int mode = 0644) const
    {
        std::string full = *this / name;
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        std::ofstream(full, std::ios::binary) << content;
        chmod(full.c_str(), static_cast<mode_t>(mode));
        return full;
    }

    std::string read(const std::string& name) const { return readFile(*this / name); }

    static std::string readFile(const std::string& full)
    {
        std::ifstream in(full, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string path_;
};

#endif
