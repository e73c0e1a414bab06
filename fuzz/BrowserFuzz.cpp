// Descriptors and the file browser on hostile names: parts are the names (one a line; a name ending
// in "/" is a folder, and the folder "d/" gets the descriptor), the folder's Tarvo.dat, the list's
// filter endings (one a line; none: every file) and the moves (one a byte). The first listing
// must hold each name the filter and the kind accept exactly once (folders with their "/" when
// files are listed too, and "../" with them), and nothing else.
#include "fuzz/FuzzSupport.h"
#include "gfx/BitmapFont.h"
#include "page/FileBrowser.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

bool endsWith(const std::string& name, const std::string& ending)
{
    return name.size() >= ending.size() &&
        name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::Card card;
    static BitmapFont font;
    static bool loaded = font.loadBuiltIn();
    (void)loaded;
    std::vector<std::string> part = fuzz::parts(data, size, 4);
    card.clear("list");
    const int mode = part[3].empty() ? 0 : static_cast<unsigned char>(part[3][0]) % 3;
    std::vector<std::string> filters;
    for (const std::string& ending : fuzz::lines(part[2]))
        filters.push_back(ending.c_str());
    // "../" is a folder, listed with the others.
    std::vector<std::string> expected;
    if (mode == FileBrowser::FILES_AND_DIRECTORIES)
        expected.push_back("../");
    for (std::string name : fuzz::lines(part[0])) {
        const bool folder = !name.empty() && name.back() == '/';
        name = name.substr(0, std::min<size_t>(name.find_first_of(std::string("/\0", 2)), 255));
        if (name.empty() || name == "." || name == "..")
            continue;
        const std::string path = card / ("list/" + name);
        int made = folder ? mkdir(path.c_str(), 0755)
                          : open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
        if (made < 0)
            continue;
        if (!folder)
            close(made);
        bool accepted = folder ? mode != FileBrowser::FILES_ONLY
                               : mode != FileBrowser::DIRECTORIES_ONLY &&
                (filters.empty() || (filters.size() == 1 && filters[0] == "*") ||
                 std::any_of(filters.begin(), filters.end(),
                             [&](const std::string& e) { return endsWith(name, e); }));
        if (accepted)
            expected.push_back(folder && mode == 0 ? name + "/" : name); // mode 1: bare names
    }
    if (std::filesystem::is_directory(card / "list/d"))
        card.write("list/d/Tarvo.dat", part[1]);

    const char* type = mode == FileBrowser::DIRECTORIES_ONLY ? "dir"
        : mode == FileBrowser::FILES_ONLY                    ? "file"
                                                             : "both"; // not a type: both kinds
    WString::Array startdir("/mnt/sd/list/", static_cast<char*>(0)),
        kind(type, static_cast<char*>(0)), endings;
    for (const std::string& ending : filters)
        endings.append(WString(ending.c_str()));
    OptionTable options;
    options.set("startdir", startdir);
    options.set("type", kind);
    if (!filters.empty())
        options.set("filter", endings);
    FileBrowser browser(0, 0, 319, 239, options, &font, nullptr);

    std::vector<std::string> listed;
    for (int i = 0; i < browser.entries.count(); ++i)
        listed.push_back(fuzz::str(browser.entries[i]));
    std::sort(expected.begin(), expected.end());
    std::sort(listed.begin(), listed.end());
    FUZZ_CHECK(listed == expected);

    std::vector<uint16_t> frame(SCREEN_WIDTH * SCREEN_HEIGHT);
    for (size_t i = 1; i < part[3].size() && i < 32; ++i) {
        WString::Array actions;
        int code = static_cast<unsigned char>(part[3][i]) % 9;
        browser.handleInput(actions, code);
        FUZZ_CHECK(browser.entries.count() == 0
                       ? browser.cursor == 0
                       : browser.cursor >= 0 && browser.cursor < browser.entries.count());
        browser.draw(frame.data(), i % 2);
    }
    return 0;
}
