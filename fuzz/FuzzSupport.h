// What the fuzz harnesses share: the input cut into parts, a scratch folder that stands for the
// SD card, quiet diagnostics, and the check that turns a wrong result into a crash libFuzzer keeps.
#ifndef TARVO_FUZZ_FUZZSUPPORT_H
#define TARVO_FUZZ_FUZZSUPPORT_H

#include "base/Diagnostics.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

// A wrong result is a crash, so that libFuzzer saves the input that gave it.
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : fuzz::fail(#condition, __FILE__, __LINE__))

namespace fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

// The separator between the parts of an input: a line of four tildes.
const char partSeparator[] = "\n~~~~\n";

// data cut at each separator into exactly count parts: missing ones are empty, and the last part
// keeps any separators after it.
inline std::vector<std::string> parts(const uint8_t* data, size_t size, size_t count)
{
    std::string rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> result;
    while (result.size() + 1 < count) {
        size_t at = rest.find(partSeparator);
        result.push_back(rest.substr(0, at));
        rest = at == std::string::npos ? std::string() : rest.substr(at + sizeof partSeparator - 1);
    }
    result.push_back(rest);
    return result;
}

// text split at each LF; a last LF ends the last line, and no text gives no lines.
inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        result.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

// The text of a WString-like value as a std::string ("" for the null string).
template <typename Text>
std::string str(const Text& text)
{
    return text.text() ? std::string(text.text(), text.length()) : std::string();
}

class DiscardDiagnostics : public DiagnosticSink {
public:
    void report(const SourcePlace&, DiagnosticSeverity, const char*) override {}
};

// One folder per process below the temporary directory, mapped as the SD card and removed at
// exit. Diagnostics and the launcher's standard output are dropped: a run prints only what
// libFuzzer says.
class Card {
public:
    Card() : root((std::filesystem::temp_directory_path() / "tarvo-fuzz-XXXXXX").string())
    {
        static DiscardDiagnostics discard;
        FUZZ_CHECK(mkdtemp(root.data()) && std::freopen("/dev/null", "w", stdout));
        setSdRoot(root.c_str());
        setDiagnosticSink(&discard);
    }
    ~Card()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    // The real path of a card path given without "/mnt/sd/".
    std::string operator/(const std::string& name) const { return root + "/" + name; }

    void write(const std::string& name, const std::string& content) const
    {
        std::filesystem::create_directories(std::filesystem::path(*this / name).parent_path());
        std::ofstream(*this / name, std::ios::binary) << content;
    }

    // Empties a folder of the card (made when missing).
    void clear(const std::string& name) const
    {
        std::error_code ignored;
        std::filesystem::remove_all(*this / name, ignored);
        std::filesystem::create_directories(*this / name);
    }

    std::string read(const std::string& name) const
    {
        std::ifstream in(*this / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string root;
};

} // namespace fuzz

#endif
