// ListReferences: the variables a page's file lists fill in.
#include "page/ListReferences.h"

#include "config/VariableStore.h"
#include "page/Button.h"
#include "page/FileBrowser.h"

#include <string.h>

WString entryStem(const WString& entry)
{
    int end = entry.length();
    if (end > 0 && entry[end - 1] == '/')
        --end;
    int start = 0;
    while (start < end && entry[start] == '.')
        ++start;
    for (int i = end - 1; i > start; --i) {
        if (entry[i] == '.') {
            end = i;
            break;
        }
    }
    return entry.left(end);
}

void fillListReferences(const VariableStore& variables, WString::Array& words, int from)
{
    int left = VariableStore::MAX_EXPANDED_LENGTH;
    for (int w = from; w < words.count(); ++w) {
        words[w] = variables.expand(words[w]);
        const int length = words[w].length();
        if (length > left) {
            words[w] = words[w].left(left);
            words.resize(w + 1);
            return;
        }
        left -= length;
    }
}

namespace {

// The name of a list variable of element: the letter (0 for none) and the element's number,
// "7", "p7", "P7" or "s7". A preview sets them on every move of a cursor, where a printf costs a
// fifth of its fill.
const char* variableName(char (&name)[16], char letter, int element)
{
    char digits[12];
    int count = 0;
    unsigned value = static_cast<unsigned>(element);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    int at = 0;
    if (letter)
        name[at++] = letter;
    while (count)
        name[at++] = digits[--count];
    name[at] = '\0';
    return name;
}

} // namespace

int listReferencesUsed(const WString::Array& texts)
{
    int used = 0;
    for (int t = 0; t < texts.count(); ++t) {
        const char* text = texts[t].text();
        for (const char* mark = text ? strchr(text, '%') : 0; mark; mark = strchr(mark + 1, '%')) {
            const char kind = mark[1];
            const int letter = kind == 'p' ? LIST_FOLDER
                : kind == 'P'              ? LIST_PATH
                : kind == 's'              ? LIST_STEM
                                           : 0;
            if (kind >= '0' && kind <= '9')
                used |= LIST_ENTRY;
            else if (letter && mark[2] >= '0' && mark[2] <= '9')
                used |= letter;
        }
    }
    return used;
}

bool setListVariables(const Button* const* buttons, int count, VariableStore& variables, int used)
{
    bool anyList = false;
    char name[16];
    for (int i = 0; i < count; ++i) {
        const FileBrowser* browser = buttons[i] ? buttons[i]->browser : 0;
        if (!browser)
            continue;
        anyList = true;
        const WString entry = browser->selectedEntry();
        const WString directory = browser->entryDirectory();
        if (used & LIST_ENTRY)
            variables.setText(variableName(name, 0, i), entry.text());
        if (used & LIST_FOLDER)
            variables.setText(variableName(name, 'p', i), directory.text());
        if (used & LIST_PATH)
            variables.setText(variableName(name, 'P', i), (directory + entry).text());
        if (used & LIST_STEM)
            variables.setText(variableName(name, 's', i), entryStem(entry).text());
    }
    return anyList;
}

void listCursors(const Button* const* buttons, int count, WString::Array& cursors)
{
    for (int i = 0; i < count; ++i) {
        const FileBrowser* browser = buttons[i] ? buttons[i]->browser : 0;
        if (!browser)
            continue;
        cursors.append(browser->selectedEntry());
        cursors.append(browser->entryDirectory());
    }
}
