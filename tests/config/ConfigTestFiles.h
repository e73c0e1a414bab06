// Folders and whole-file helpers shared by the configuration tests.
#ifndef TARVO_TESTS_CONFIG_CONFIGTESTFILES_H
#define TARVO_TESTS_CONFIG_CONFIGTESTFILES_H

#include <string>
#include <vector>

#include "base/WString.h"
#include "config/SkinReader.h"
#include "tests/platform/TempFolder.h"

inline std::string readFile(const std::string& path)
{
    return TempFolder::readFile(path);
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

// Every line a reader of path delivers, as its keyword followed by its arguments.
inline std::vector<std::vector<std::string>> readSkinLines(const std::string& path)
{
    SkinReader reader(path.c_str());
    std::vector<std::vector<std::string>> lines;
    WString keyword;
    WString::Array arguments;
    while (reader.next(keyword, arguments)) {
        lines.push_back(texts(arguments));
        lines.back().insert(lines.back().begin(), keyword.text());
    }
    return lines;
}

#endif
