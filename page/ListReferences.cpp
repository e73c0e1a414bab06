// ListReferences: the variables a page's file lists fill in.
#include "page/ListReferences.h"

#include "config/VariableStore.h"
#include "page/Button.h"
#include "page/FileBrowser.h"

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

bool setListVariables(const Button* const* buttons, int count, VariableStore& variables)
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
        variables.setText(variableName(name, 0, i), entry.text());
        variables.setText(variableName(name, 'p', i), directory.text());
        variables.setText(variableName(name, 'P', i), (directory + entry).text());
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
