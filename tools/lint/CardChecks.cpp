// CardChecks: reachability of pages and elements, what leaves the screen, programs, settings
// and descriptor folders.
#include "tools/lint/CardChecks.h"

#include "base/Diagnostics.h"
#include "config/SkinReader.h"
#include "config/VariableStore.h"
#include "core/Launcher.h"
#include "gfx/BitmapFont.h"
#include "gfx/DLImage.h"
#include "gfx/PictureFault.h"
#include "page/Button.h"
#include "page/FileBrowser.h"
#include "page/SkinValues.h"
#include "page/SkinWords.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// The widest battery reading a text may show.
const char widestBatteryReading[] = "65535";

bool isCardPath(const std::string& path)
{
    return path.compare(0, 7, "/mnt/sd") == 0 && (path.size() == 7 || path[7] == '/');
}

// The number of a two-word action such as "select,3" or "page,2", or -1 for any other words.
int targetOf(const WString::Array& words, const char* action)
{
    return words.count() == 2 && words[0] == action ? skinNumber(words[1]) : -1;
}

// The action words of a button with the skin line of each.
struct Words {
    const WString::Array* words;
    int line;
};

std::vector<Words> wordsOf(const Button& button)
{
    return {{&button.action, button.actionLine},
            {&button.left, button.leftLine},
            {&button.right, button.rightLine},
            {&button.up, button.upLine},
            {&button.down, button.downLine}};
}

bool takesPart(const Button& button)
{
    for (const Words& words : wordsOf(button)) {
        if (words.words->count() > 0)
            return true;
    }
    return button.type == "selector";
}

// The first line the skin gave for the button, 0 when none is known.
int firstLine(const Button& button)
{
    int first = button.typeLine;
    for (const Words& words : wordsOf(button)) {
        if (words.line > 0 && (first == 0 || words.line < first))
            first = words.line;
    }
    return first;
}

int firstLine(const Page& page)
{
    int first = 0;
    const int lines[] = {page.backgroundLine, page.returnLine};
    for (int line : lines) {
        if (line > 0 && (first == 0 || line < first))
            first = line;
    }
    for (const Button* button : page.buttons) {
        const int line = button ? firstLine(*button) : 0;
        if (line > 0 && (first == 0 || line < first))
            first = line;
    }
    return first;
}

// The elements that selection reaches from element 0 (selected when the page is first shown),
// through the words of the elements reached and the page's RETURN.
std::vector<bool> reachableElements(const Page& page)
{
    std::vector<bool> reached(Page::BUTTON_COUNT, false);
    std::vector<int> pending{0};
    auto follow = [&](const WString::Array& words) {
        const int target = targetOf(words, "select");
        if (target >= 0 && target < Page::BUTTON_COUNT && page.buttons[target] && !reached[target])
            pending.push_back(target);
    };
    follow(page.returnAction);
    while (!pending.empty()) {
        const int index = pending.back();
        pending.pop_back();
        if (reached[index] || !page.buttons[index])
            continue;
        reached[index] = true;
        for (const Words& words : wordsOf(*page.buttons[index]))
            follow(*words.words);
    }
    return reached;
}

void checkReachablePages(const Launcher& launcher, const char* skinPath)
{
    std::vector<bool> reached(Launcher::PAGE_COUNT, false);
    std::vector<int> pending{launcher.startPage()};
    while (!pending.empty()) {
        const int index = pending.back();
        pending.pop_back();
        if (index < 0 || index >= Launcher::PAGE_COUNT || reached[index])
            continue;
        const Page& page = launcher.page(index);
        if (!page.hasContent())
            continue;
        reached[index] = true;
        const std::vector<bool> elements = reachableElements(page);
        pending.push_back(targetOf(page.returnAction, "page"));
        for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
            if (!elements[i])
                continue;
            for (const Words& words : wordsOf(*page.buttons[i]))
                pending.push_back(targetOf(*words.words, "page"));
        }
    }
    for (int i = 0; i < Launcher::PAGE_COUNT; ++i) {
        const Page& page = launcher.page(i);
        if (page.hasContent() && !reached[i])
            diagnoseAt(SourcePlace(skinPath, firstLine(page)), DIAGNOSTIC_WARNING,
                       "no action leads to page %d from the start page (%d): the page is never "
                       "shown",
                       i, static_cast<int>(launcher.startPage()));
    }
}

void checkReachableElements(const Page& page, const char* skinPath)
{
    const std::vector<bool> reached = reachableElements(page);
    for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
        const Button* button = page.buttons[i];
        if (button && !reached[i] && takesPart(*button))
            diagnoseAt(SourcePlace(skinPath, firstLine(*button)), DIAGNOSTIC_WARNING,
                       "navigation never reaches element %d from element 0: its actions never "
                       "run",
                       i);
    }
}

void checkText(const Button& button, const BitmapFont& font, const char* skinPath)
{
    if (button.type != "text" || button.typeArgs.count() < 5 || font.lineHeight() <= 0)
        return;
    uint32_t missing = 0;
    if (font.findMissing(textOf(button.typeArgs[4]), missing))
        diagnoseAt(SourcePlace(skinPath, button.typeLine), DIAGNOSTIC_WARNING,
                   "text '%s' holds a character the font picture has no glyph for (U+%04lX): it "
                   "is drawn as a box",
                   textOf(button.typeArgs[4]), static_cast<unsigned long>(missing));
    const WString text = button.typeArgs[4].replace("%battery%", widestBatteryReading);
    const int x = skinNumber(button.typeArgs[0]);
    const int y = skinNumber(button.typeArgs[1]);
    const long right = static_cast<long>(x) + font.textWidth(textOf(text));
    const long bottom = static_cast<long>(y) + font.lineHeight();
    if (x >= 0 && y >= 0 && right <= SCREEN_WIDTH && bottom <= SCREEN_HEIGHT)
        return;
    diagnoseAt(SourcePlace(skinPath, button.typeLine), DIAGNOSTIC_WARNING,
               "text '%s' runs off the screen (x %d to %ld, y %d to %ld of %dx%d): it is cut at "
               "the edge",
               textOf(button.typeArgs[4]), x, right - 1, y, bottom - 1, SCREEN_WIDTH,
               SCREEN_HEIGHT);
}

void checkPictures(const Button& button, const char* skinPath)
{
    if (button.type != "image" || button.typeArgs.count() < 2)
        return;
    const int x = skinNumber(button.typeArgs[0]);
    const int y = skinNumber(button.typeArgs[1]);
    const DLImage* pictures[] = {button.selectedImage, button.normalImage};
    for (int i = 0; i < 2; ++i) {
        const DLImage* picture = pictures[i];
        if (!picture || (i == 1 && picture == pictures[0]))
            continue;
        const long right = static_cast<long>(x) + picture->width;
        const long bottom = static_cast<long>(y) + picture->height;
        if (x >= 0 && y >= 0 && right <= SCREEN_WIDTH && bottom <= SCREEN_HEIGHT)
            continue;
        diagnoseAt(SourcePlace(skinPath, button.typeLine), DIAGNOSTIC_WARNING,
                   "picture '%s' (%dx%d at %d, %d) runs past the edge of the %dx%d screen: it "
                   "is cut at the edge",
                   textOf(button.typeArgs[2 + i]), static_cast<int>(picture->width),
                   static_cast<int>(picture->height), x, y, SCREEN_WIDTH, SCREEN_HEIGHT);
    }
}

// The list references (%N%, %pN%, %PN%, %sN%) in a preview's picture pattern, as the element
// numbers they name, read the way the expansion reads references.
std::vector<std::pair<std::string, long>> listReferences(const std::string& pattern)
{
    std::vector<std::pair<std::string, long>> found;
    size_t open = std::string::npos;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%')
            continue;
        if (open == std::string::npos) {
            open = i;
            continue;
        }
        const std::string name = pattern.substr(open + 1, i - open - 1);
        open = std::string::npos;
        const size_t digits = !name.empty() && std::strchr("pPs", name[0]) ? 1 : 0;
        if (name.size() > digits &&
            name.find_first_not_of("0123456789", digits) == std::string::npos)
            found.emplace_back(name, std::strtol(name.c_str() + digits, nullptr, 10));
    }
    return found;
}

// A preview's box on the screen, the lists its pictures name, and its pictures that name no list
// (a fallback such as %skindir%nopreview.png), which must load.
void checkPreview(const Button& button, const Page& page, const char* skinPath)
{
    if (button.type != "preview" || button.typeArgs.count() < 5)
        return;
    const SourcePlace place(skinPath, button.typeLine);
    const int x = skinNumber(button.typeArgs[0]);
    const int y = skinNumber(button.typeArgs[1]);
    const int width = skinNumber(button.typeArgs[2]);
    const int height = skinNumber(button.typeArgs[3]);
    if (width <= 0 || height <= 0)
        return;
    if (x < 0 || y < 0 || static_cast<long>(x) + width > SCREEN_WIDTH ||
        static_cast<long>(y) + height > SCREEN_HEIGHT)
        diagnoseAt(place, DIAGNOSTIC_WARNING,
                   "preview box (%dx%d at %d, %d) runs past the edge of the %dx%d screen: its "
                   "pictures are cut at the edge",
                   width, height, x, y, SCREEN_WIDTH, SCREEN_HEIGHT);
    for (int i = 4; i < button.typeArgs.count(); ++i) {
        const std::string pattern = textOf(button.typeArgs[i]);
        const auto references = listReferences(pattern);
        for (const auto& reference : references) {
            const long element = reference.second;
            const Button* list =
                element >= 0 && element < Page::BUTTON_COUNT ? page.buttons[element] : nullptr;
            if (!list || list->type != "selector")
                diagnoseAt(place, DIAGNOSTIC_WARNING,
                           "'%%%s%%' in picture '%s' names element %ld, which has no file list: "
                           "it stays as written",
                           reference.first.c_str(), pattern.c_str(), element);
        }
        if (!references.empty())
            continue;
        const WString path = VariableStore().expand(button.typeArgs[i]);
        DLImage picture;
        if (!path.text() || !picture.loadPng(path.text(), 15, true))
            diagnoseAt(place, DIAGNOSTIC_ERROR, "%s: the preview never shows it",
                       cannotLoadPicture(textOf(path)).text());
    }
}

// An exec action's program, when its name is known before the action runs.
void checkProgram(const WString::Array& words, const SourcePlace& place)
{
    if (words.count() < 3 || words[0] != "exec")
        return;
    const std::string folder = textOf(words[1]);
    const std::string program = textOf(words[2]);
    if (folder.find('%') != std::string::npos || program.find('%') != std::string::npos)
        return;
    if (program.find('/') == std::string::npos) {
        diagnoseAt(place, DIAGNOSTIC_WARNING,
                   "program '%s' is a bare name, looked up along the handheld's PATH: it is not "
                   "on the card and is not checked",
                   program.c_str());
        return;
    }
    std::string path = program;
    if (program[0] != '/') {
        path = program;
        while (path.compare(0, 2, "./") == 0)
            path.erase(0, 2);
        path = folder + (folder.empty() || folder.back() == '/' ? "" : "/") + path;
    }
    if (!isCardPath(path)) {
        diagnoseAt(place, DIAGNOSTIC_WARNING,
                   "program '%s' lies outside the card: it is not checked", path.c_str());
        return;
    }
    struct stat info;
    if (statPath(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        diagnoseAt(place, DIAGNOSTIC_ERROR,
                   "program '%s' is not on the card: the action cannot start it", path.c_str());
        return;
    }
    // Through a link that leads off the card, or through "..": the handheld starts it, but
    // tarvo-desktop --exec, which runs only what the card itself holds, refuses it.
    const MappedPath mapped(path.c_str());
    char* resolved = realpath(mapped.text(), nullptr);
    if (resolved && !realPathOnCard(resolved))
        diagnoseAt(place, DIAGNOSTIC_WARNING,
                   "program '%s' is '%s', outside the card: tarvo-desktop --exec does not start "
                   "it",
                   path.c_str(), resolved);
    std::free(resolved);
}

void checkSetting(const WString::Array& words, const SourcePlace& place)
{
    if (words.count() < 2 || words[0] != "config" || words[1].isEmpty() || words[1].find('%') >= 0)
        return;
    WString name(words[1]);
    name.toUpper();
    if (settings.contains(name.text()))
        return;
    const char* nearest = settings.nearest(name.text());
    diagnoseAt(place, DIAGNOSTIC_WARNING,
               "setting '%s' is not one the launcher reads%s%s%s: saving it changes nothing",
               textOf(words[1]), nearest ? " (did you mean '" : "", nearest ? nearest : "",
               nearest ? "'?)" : "");
}

} // namespace

void checkSkin(const Launcher& launcher, const BitmapFont& font)
{
    const char* skinPath = launcher.skinFile().text();
    checkReachablePages(launcher, skinPath);
    for (int i = 0; i < Launcher::PAGE_COUNT; ++i) {
        const Page& page = launcher.page(i);
        if (!page.hasContent())
            continue;
        checkReachableElements(page, skinPath);
        std::vector<Words> pageWords{{&page.returnAction, page.returnLine}};
        for (const Button* button : page.buttons) {
            if (!button)
                continue;
            checkText(*button, font, skinPath);
            checkPictures(*button, skinPath);
            checkPreview(*button, page, skinPath);
            for (const Words& words : wordsOf(*button))
                pageWords.push_back(words);
        }
        for (const Words& words : pageWords) {
            checkProgram(*words.words, SourcePlace(skinPath, words.line));
            checkSetting(*words.words, SourcePlace(skinPath, words.line));
        }
    }
}

void checkDescriptor(const char* path)
{
    // Entered from the folder above, by name, as a list enters it: the browser reports what it
    // cannot use, a DIRECTORY that cannot be listed included.
    const char* name = std::strrchr(path, '/') + 1;
    const std::string folder(path, name);
    const size_t above = folder.rfind('/', folder.size() - 2);
    OptionTable options;
    WString::Array startFolder;
    startFolder.append(WString(folder.substr(0, above + 1).c_str()));
    options.set("startdir", startFolder);
    FileBrowser browser(0, 0, 0, 0, options, 0, 0);
    browser.changeDirectory(WString(folder.substr(above + 1).c_str()));

    // The line the browser took its ACTION from: the last.
    int actionLine = 0;
    SkinReader reader(path);
    WString keyword;
    WString::Array arguments;
    while (reader.next(keyword, arguments)) {
        if (keyword == "ACTION")
            actionLine = reader.place().line;
    }
    // "%cwd%" is filled in as the browser fills it when the action is picked: cut at 64 KiB and
    // said at the line. A program that was cut names nothing to look for.
    WString::Array action(browser.action);
    const SourcePlace place(path, actionLine);
    const SourcePlace outer = currentPlace();
    setCurrentPlace(place);
    bool programCut = false;
    for (int i = 1; i < action.count() && i < 3; ++i) {
        bool cut = false;
        action[i] = expandBounded(action[i], "cwd", folder.c_str(), VariableStore::REPORTING, &cut);
        programCut = programCut || (cut && i == 2);
    }
    setCurrentPlace(outer);
    if (!programCut)
        checkProgram(action, place);
}
