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

bool setListVariables(const Button* const* buttons, int count, VariableStore& variables)
{
    bool anyList = false;
    WString name;
    for (int i = 0; i < count; ++i) {
        const FileBrowser* browser = buttons[i] ? buttons[i]->browser : 0;
        if (!browser)
            continue;
        anyList = true;
        const WString entry = browser->selectedEntry();
        const WString directory = browser->entryDirectory();
        variables.setText(name.format("%i", i).text(), entry.text());
        variables.setText(name.format("p%i", i).text(), directory.text());
        variables.setText(name.format("P%i", i).text(), (directory + entry).text());
        variables.setText(name.format("s%i", i).text(), entryStem(entry).text());
    }
    return anyList;
}
