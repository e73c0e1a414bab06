// Coming back where the launcher was left: writing and reading Tarvo/Tarvo.resume.
#include "core/Resume.h"

#include "base/Diagnostics.h"
#include "base/TextBuffer.h"
#include "config/ConfigUpdate.h"
#include "config/EscapedText.h"
#include "config/SkinReader.h"
#include "page/Button.h"
#include "platform/Files.h"

#include <stdio.h>

namespace {

void appendNumber(TextBuffer& content, int number)
{
    char digits[16];
    snprintf(digits, sizeof digits, "%d", number);
    content.append(digits);
}

// A number as written: one to three decimal digits and nothing else.
bool readIndex(const WString& value, int& index)
{
    const char* text = value.text();
    if (!text || !*text || value.length() > 3)
        return false;
    index = 0;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
        index = index * 10 + (*text - '0');
    }
    return true;
}

// A LIST line: the element, its folder and its entry, and the line itself.
struct ListLine {
    int element;
    int line;
    WString folder;
    WString entry;
    // The folder as the line gives it, for the message: the name may hold a line end.
    WString writtenFolder;
};

} // namespace

int writeResumeFile(const char* path, const char* newPath, const WString& skin, int pageIndex,
                    const Page& page)
{
    TextBuffer content;
    content.append("// Where Tarvo was left: read at the next start when Tarvo.cfg says RESUME=1.\n"
                   "SKIN=");
    appendEscaped(content, skin);
    content.append("\nPAGE=");
    appendNumber(content, pageIndex);
    content.append("\nSELECTED=");
    appendNumber(content, page.selected);
    content.append('\n');
    for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
        const Button* button = page.buttons[i];
        if (!button || !button->browser)
            continue;
        content.append("LIST=");
        appendNumber(content, i);
        content.append(',');
        appendEscaped(content, button->browser->cwd);
        content.append(',');
        appendEscaped(content, button->browser->selectedEntry());
        content.append('\n');
    }
    return replaceFile(path, newPath, content.data(), content.length());
}

void restoreFromResumeFile(const char* path, const WString& skin, Page* pages, int pageCount,
                           int32_t& currentPage, const PageContext& context)
{
    struct stat info;
    if (statPath(path, &info) != 0)
        return;
    SkinReader reader(path);
    if (!reader.isOpen()) {
        diagnoseAt(SourcePlace(path, 0), DIAGNOSTIC_ERROR,
                   "the file cannot be read: the launcher shows its start page");
        return;
    }

    int skinLine = 0, pageLine = 0, selectedLine = 0;
    int pageIndex = 0, selected = 0;
    WString skinName;
    // One line an element at most applies, the first: a file of many LIST lines costs no more
    // listings than the page has lists.
    ListLine lists[Page::BUTTON_COUNT];
    bool listed[Page::BUTTON_COUNT] = {false};
    int listCount = 0;
    WString keyword;
    WString::Array arguments;
    while (reader.next(keyword, arguments)) {
        const int line = reader.place().line;
        const int count = arguments.count();
        ListLine list;
        if (keyword == "SKIN" && count == 1 && readEscaped(arguments[0], skinName)) {
            skinLine = line;
        } else if (keyword == "PAGE" && count == 1 && readIndex(arguments[0], pageIndex)) {
            pageLine = line;
        } else if (keyword == "SELECTED" && count == 1 && readIndex(arguments[0], selected)) {
            selectedLine = line;
        } else if (keyword == "LIST" && count == 3 && readIndex(arguments[0], list.element) &&
                   readEscaped(arguments[1], list.folder) &&
                   readEscaped(arguments[2], list.entry)) {
            if (list.element >= Page::BUTTON_COUNT) {
                diagnose(DIAGNOSTIC_ERROR, "element %d is not 0 to %d: the line is ignored",
                         list.element, Page::BUTTON_COUNT - 1);
            } else if (listed[list.element]) {
                diagnose(DIAGNOSTIC_ERROR, "element %d has a LIST line above: this one is ignored",
                         list.element);
            } else {
                listed[list.element] = true;
                list.line = line;
                list.writtenFolder = arguments[1];
                lists[listCount++] = list;
            }
        } else {
            diagnose(DIAGNOSTIC_ERROR,
                     "'%s' is not a resume line as the launcher writes them: "
                     "the line is ignored",
                     keyword.text());
        }
    }

    if (skinLine == 0 || pageLine == 0) {
        diagnoseAt(SourcePlace(path, 0), DIAGNOSTIC_ERROR,
                   "the file has no %s line: the launcher shows its start page",
                   skinLine == 0 ? "SKIN" : "PAGE");
        return;
    }
    if (!(skinName == skin)) {
        diagnoseAt(SourcePlace(path, skinLine), DIAGNOSTIC_WARNING,
                   "the file was written for the skin '%s', not '%s': the launcher shows its "
                   "start page",
                   skinName.text() ? skinName.text() : "", skin.text() ? skin.text() : "");
        return;
    }
    if (pageIndex >= pageCount || !pages[pageIndex].hasContent()) {
        diagnoseAt(SourcePlace(path, pageLine), DIAGNOSTIC_ERROR,
                   "PAGE=%d has nothing on it in this skin: the launcher shows its start page",
                   pageIndex);
        return;
    }
    currentPage = pageIndex;
    Page& page = pages[pageIndex];
    if (selectedLine > 0 && selected < Page::BUTTON_COUNT && page.buttons[selected])
        page.selected = selected;
    else if (selectedLine > 0)
        diagnoseAt(SourcePlace(path, selectedLine), DIAGNOSTIC_ERROR,
                   "SELECTED=%d is not an element of page %d: element %d stays selected", selected,
                   pageIndex, static_cast<int>(page.selected));

    for (int i = 0; i < listCount; ++i) {
        const ListLine& list = lists[i];
        const SourcePlace place(path, list.line);
        Button* button = list.element < Page::BUTTON_COUNT ? page.buttons[list.element] : 0;
        if (button)
            button->loadResources(context);
        FileBrowser* browser = button ? button->browser : 0;
        if (!browser) {
            diagnoseAt(place, DIAGNOSTIC_ERROR,
                       "element %d of page %d has no file list: the line is ignored", list.element,
                       pageIndex);
        } else if (!browser->moveTo(list.folder, list.entry) && !(browser->cwd == list.folder)) {
            // An entry that has gone leaves the list in the folder, on the nearest entry. A
            // folder that has gone gives way to the nearest folder above it that can still be
            // listed, on the nearest entry to the one that led down; only a folder off the card
            // leaves the list where it was.
            const bool offCard =
                FileBrowser::folderProblem(list.folder) == FileBrowser::FOLDER_OFF_CARD;
            WString folder = list.folder;
            while (!offCard && folder.length() > 1) {
                const int slash = folder.left(folder.length() - 1).findLast('/');
                if (slash < 0)
                    break;
                const WString below = folder.mid(slash + 1);
                folder = folder.left(slash + 1);
                if (FileBrowser::folderProblem(folder) == FileBrowser::FOLDER_OFF_CARD)
                    break;
                if (browser->moveTo(folder, below) || browser->cwd == folder)
                    break;
            }
            diagnoseAt(place, DIAGNOSTIC_WARNING, "the folder '%s' %s: the list shows '%s'",
                       list.writtenFolder.text() ? list.writtenFolder.text() : "",
                       offCard ? "lies outside the card" : "can no longer be listed",
                       browser->cwd.text() ? browser->cwd.text() : "");
        }
    }
}
