// SkinWords: every word the skin language knows, in one place, for the launcher's diagnostics and
// for tarvo-lint ("did you mean ...?", kinds written in the wrong case, settings nobody reads).
#ifndef TARVO_PAGE_SKINWORDS_H
#define TARVO_PAGE_SKINWORDS_H

// A list of words and its length.
struct WordList {
    const char* const* words;
    int count;

    // Whether word is one of the list, compared exactly (case-sensitively).
    bool contains(const char* word) const;
    // nearestWord (base/Diagnostics.h) over the list.
    const char* nearest(const char* word) const;
};

// Keywords, as the reader delivers them (upper-cased).
extern const WordList skinKeywords;    // PAGE, STARTPAGE, VARIABLE: the skin's own
extern const WordList pageKeywords;    // BACKGROUND, BUTTON, RETURN
extern const WordList elementKeywords; // TYPE, NAVIGATION, LEFT, RIGHT, UP, DOWN, ACTION, OPTIONS
extern const WordList descriptorKeywords; // FILTER, DIRECTORY, ACTION, SPEED: Tarvo.dat
// Every keyword a skin line may start with: the three lists above it together.
extern const WordList allSkinKeywords;

// Argument words that select behaviour, compared case-sensitively, all lower case.
extern const WordList elementKinds;    // image, text, rect, selector, preview
extern const WordList backgroundKinds; // image, color, gradient
extern const WordList actionWords;     // exec, page, select, config, quit, favourite, clear
extern const WordList listOptions;     // color, startdir, type, filter, source
extern const WordList listTypes;       // dir, file
extern const WordList listSources;     // recent, favourites

// The settings of Tarvo.cfg that the launcher reads.
// SKIN, KEYBOARD_RATE, SPEED_MENU, SPEED_LAUNCH, SPEED_LOADING, RESUME
extern const WordList settings;

#endif
