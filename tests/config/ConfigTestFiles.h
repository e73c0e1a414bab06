// Temporary folders and whole-file helpers shared by the configuration tests.
#ifndef TARVO_TESTS_CONFIG_CONFIGTESTFILES_H
#define TARVO_TESTS_CONFIG_CONFIGTESTFILES_H

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <stdlib.h>

#include "base/WString.h"

// A fresh folder below the system's temporary folder, removed with its contents at the end.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-config-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()))
            path_ = buffer.data();
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
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline bool pathExists(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

// The elements as std::strings; a null element shows as "<null>" so that it cannot be taken
// for the empty string.
inline std::vector<std::string> texts(const WString::Array& array)
{
    std::vector<std::string> out;
    for (int i = 0; i < array.count(); ++i)
        out.push_back(array[i].text() ? array[i].text() : "<null>");
    return out;
}

#endif
