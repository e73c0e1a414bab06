// The word lists of the skin language.
#include "page/SkinWords.h"

#include "base/Diagnostics.h"

#include <string.h>

#define WORDS(array)                                                                               \
    {                                                                                              \
        array, static_cast<int>(sizeof array / sizeof array[0])                                    \
    }

namespace {

const char* const skinKeywordWords[] = {"PAGE", "STARTPAGE", "VARIABLE"};
const char* const pageKeywordWords[] = {"BACKGROUND", "BUTTON", "RETURN"};
const char* const elementKeywordWords[] = {"TYPE", "NAVIGATION", "LEFT",   "RIGHT",
                                           "UP",   "DOWN",       "ACTION", "OPTIONS"};
const char* const descriptorKeywordWords[] = {"FILTER", "DIRECTORY", "ACTION", "SPEED"};
const char* const allSkinKeywordWords[] = {
    "PAGE",       "STARTPAGE", "VARIABLE", "BACKGROUND", "BUTTON", "RETURN", "TYPE",
    "NAVIGATION", "LEFT",      "RIGHT",    "UP",         "DOWN",   "ACTION", "OPTIONS"};
const char* const elementKindWords[] = {"image", "text", "rect", "selector", "preview"};
const char* const backgroundKindWords[] = {"image", "color", "gradient"};
const char* const actionWordWords[] = {"exec", "page",      "select", "config",
                                       "quit", "favourite", "clear"};
const char* const listOptionWords[] = {"color", "startdir", "type", "filter", "source"};
const char* const listTypeWords[] = {"dir", "file"};
const char* const listSourceWords[] = {"recent", "favourites"};
const char* const settingWords[] = {"SKIN",         "KEYBOARD_RATE", "SPEED_MENU",
                                    "SPEED_LAUNCH", "SPEED_LOADING", "RESUME"};

} // namespace

const WordList skinKeywords = WORDS(skinKeywordWords);
const WordList pageKeywords = WORDS(pageKeywordWords);
const WordList elementKeywords = WORDS(elementKeywordWords);
const WordList descriptorKeywords = WORDS(descriptorKeywordWords);
const WordList allSkinKeywords = WORDS(allSkinKeywordWords);
const WordList elementKinds = WORDS(elementKindWords);
const WordList backgroundKinds = WORDS(backgroundKindWords);
const WordList actionWords = WORDS(actionWordWords);
const WordList listOptions = WORDS(listOptionWords);
const WordList listTypes = WORDS(listTypeWords);
const WordList listSources = WORDS(listSourceWords);
const WordList settings = WORDS(settingWords);

#undef WORDS

bool WordList::contains(const char* word) const
{
    for (int i = 0; word && i < count; ++i) {
        if (strcmp(words[i], word) == 0)
            return true;
    }
    return false;
}

const char* WordList::nearest(const char* word) const
{
    return nearestWord(word, words, count);
}
