// A real folder below the system's temporary directory for one test, removed with everything in it.
#ifndef TARVO_TESTS_PLATFORM_TEMPFOLDER_H
#define TARVO_TESTS_PLATFORM_TEMPFOLDER_H

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>

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
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
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
