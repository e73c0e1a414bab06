// The configuration update: parts are the old file, the key, the values (one a line) and a way to
// fail. After a success every line that does not set the key is as it was, in its place, every
// line that sets it is key=values, and the line is added when none did; after a failure the old
// file is byte for byte as it was and no new file is left behind.
#include "config/ConfigUpdate.h"
#include "fuzz/FuzzSupport.h"

#include <csignal>
#include <sys/resource.h>

namespace {

bool setsKey(const std::string& line, const std::string& key)
{
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.size() - start <= key.size() ||
        line[start + key.size()] != '=')
        return false;
    for (size_t i = 0; i < key.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(line[start + i])) !=
            std::toupper(static_cast<unsigned char>(key[i])))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::Card card;
    static auto ignoreFileSizeSignal = std::signal(SIGXFSZ, SIG_IGN);
    (void)ignoreFileSizeSignal;
    std::vector<std::string> part = fuzz::parts(data, size, 4);
    const std::string& old = part[0];
    std::string key = part[1].substr(0, part[1].find_first_of(std::string("\n\0", 2)));
    // The values, one a line; an empty part gives none.
    WString::Array values;
    std::string joinedValues;
    for (const std::string& value : fuzz::lines(part[2])) {
        values.append(WString(value.c_str()));
        joinedValues += (values.count() > 1 ? "," : "") + std::string(value.c_str());
    }
    const std::string newPath = card / "Tarvo.newcfg";
    card.clear("");
    card.write("Tarvo.cfg", old);

    // The way to fail: a file size limit (the card is full), or a folder where the new file goes.
    const char way = part[3].empty() ? 0 : part[3][0];
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    if (way == 'f') {
        struct rlimit limit = saved;
        limit.rlim_cur = part[3].size() > 1 ? static_cast<unsigned char>(part[3][1]) * 4 : 0;
        setrlimit(RLIMIT_FSIZE, &limit);
    } else if (way == 'd') {
        card.clear("Tarvo.newcfg");
    }
    int result =
        updateConfigFile("/mnt/sd/Tarvo.cfg", "/mnt/sd/Tarvo.newcfg", WString(key.c_str()), values);
    setrlimit(RLIMIT_FSIZE, &saved);

    const std::string now = card.read("Tarvo.cfg");
    if (!result) {
        FUZZ_CHECK(now == old);
        FUZZ_CHECK(way == 'd' || !std::filesystem::exists(newPath));
        return 0;
    }
    FUZZ_CHECK(!std::filesystem::exists(newPath));
    // The old file as the reader splits it: CRs dropped, a byte order mark not part of line 1.
    std::string text = old.compare(0, 3, "\xEF\xBB\xBF") == 0 ? old.substr(3) : old;
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    FUZZ_CHECK(text.find('\0') == std::string::npos);
    const std::string bareKey = key.substr(std::min(key.find_first_not_of(" \t\r"), key.size()));
    std::string expected;
    bool replaced = false;
    for (const std::string& line : fuzz::lines(text)) {
        bool sets = setsKey(line, bareKey);
        replaced = replaced || sets;
        expected += (sets ? key + "=" + joinedValues : line) + "\n";
    }
    if (!replaced)
        expected += key + "=" + joinedValues + "\n";
    FUZZ_CHECK(now == expected);
    return 0;
}
