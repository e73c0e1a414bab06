// Page: one full-screen page of the skin: its 64 button slots, background and return action, the
// page directives, the turning of navigation codes into action words, and the drawing of the page.
#ifndef TARVO_PAGE_PAGE_H
#define TARVO_PAGE_PAGE_H

#include "base/WString.h"
#include "page/NavigationCode.h"
#include "page/PageContext.h"

#include <stdint.h>
#include <string.h>

class Button;
class DLImage;
struct PlayedEntry;

// Memory rules: a page owns its buttons (created by the first button directive that reaches an
// empty slot, destroyed with the page) and its texts and arrays; the background picture belongs
// to the image cache. A page is never copied; the launcher keeps its 128 pages for the whole run.
//
// Use: the launcher core feeds every skin line after a PAGE line to applyDirective, then, for
// the page on show, calls handleInput with each navigation code and draw after each event. The
// process-wide objects the page needs for drawing come in a PageContext (page/PageContext.h).
// Nothing is read from disk before the first draw: pictures and file lists load then, once
// (the image cache may decode a picture again when it has let go of it: gfx/ImageCache.h).
class Page {
public:
    enum { BUTTON_COUNT = 64 };

    Page();
    ~Page();

    // What pages keep of the skin's lines is bounded, so that no skin can make them hold more
    // than a few MiB: all the pages alive, their elements included, keep at most
    // MAX_KEPT_ARGUMENTS arguments of the lines that set a background, a return action, and an
    // element's kind, actions and options (a preview's pictures count twice: the preview holds a
    // copy of its own), and at most MAX_KEPT_BYTES bytes of them. A line that would take them past
    // either is ignored and reported at its line, the page or element keeping what it had; a line
    // that replaces an earlier one gives back what that one kept, and a page or element gives back
    // everything when it goes. The launcher makes its pages anew before it reads a skin, so each
    // reading of a skin has the whole of both.
    enum { MAX_KEPT_ARGUMENTS = 32768, MAX_KEPT_BYTES = 1024 * 1024 };

    // What words cost against those bounds: an argument each, and their bytes (counted only
    // until they pass MAX_KEPT_BYTES, which is all a comparison needs).
    // (Defined here: every line a page or element keeps is counted.)
    struct KeptWords {
        KeptWords() : arguments(0), bytes(0) {}
        // The words from first on.
        explicit KeptWords(const WString::Array& words, int first = 0) : arguments(0), bytes(0)
        {
            const WString* word = words.data();
            for (int i = first; i < words.count(); ++i)
                add(word[i]);
        }
        void add(const WString& word)
        {
            ++arguments;
            const char* text = word.text();
            if (text && bytes <= MAX_KEPT_BYTES)
                bytes += static_cast<int32_t>(strlen(text));
        }
        KeptWords& operator+=(const KeptWords& other);
        KeptWords& operator-=(const KeptWords& other);

        int32_t arguments;
        int32_t bytes;
    };

    // Whether a page or element that keeps held may keep added in place of replaced (part of
    // held): if so, held and the pages' total change and true; otherwise the line is reported at
    // the current place (base/Diagnostics.h) and false.
    static bool keep(KeptWords& held, const KeptWords& added, const KeptWords& replaced);
    // What a page or element lets go of: given (part of held) leaves held and the pages' total.
    static void letGo(KeptWords& held, KeptWords given);

    // BACKGROUND, BUTTON and RETURN belong to the page; any other keyword goes to the button
    // named by the last BUTTON line, when that is 0 to 63, and is dropped otherwise. What the
    // line cannot do as written is reported at the current place (base/Diagnostics.h): an
    // unknown keyword, an element line before any BUTTON, a BUTTON outside 0 to 63 (once, at
    // that line), a background kind or argument count that draws black, a bad colour or number,
    // an unknown action word, a line the pages have no room to keep (MAX_KEPT_ARGUMENTS), which
    // is ignored. The skin's own keywords (PAGE, STARTPAGE, VARIABLE), which reach the page only
    // when their line is malformed, are left to the skin's reading to report.
    void applyDirective(const WString& keyword, const WString::Array& arguments);

    // Whether the page has anything on it: a background, an element, or a return action.
    bool hasContent() const;

    // actions (empty on entry) receives the action words; code is a NavigationCode and becomes
    // NAV_NONE once used. The selected button acts first; NAV_OPTIONS gives returnAction; a select
    // of two words moves the selection to an existing button; exec and config words get the
    // file-list variables filled in (expandBrowserVariables).
    void handleInput(WString::Array& actions, int& code);

    // Fills in, in words 1 onward of an action of at least three words, the variables of every
    // button that has a file list: for button i, %i% (its selected entry), %pi% (the entry's
    // directory), %Pi% (the full path) and %si% (the entry's name without its extension;
    // page/ListReferences.h). All buttons' variables are filled in by one expansion
    // of each word, so what a name inserts is never read as a reference: a file named "%P3%"
    // or "50%.gpe" comes through as it is. Other references are treated as VariableStore::expand
    // treats them ("%%" gives "%"). Without any file list nothing is expanded. The words filled in
    // are bounded together as one expansion is: they are cut where they reach
    // VariableStore::MAX_EXPANDED_LENGTH bytes, and the words after the cut are dropped, so that
    // an action of thousands of references to a long path cannot take thousands of such paths.
    void expandBrowserVariables(WString::Array& actions) const;

    // What B on the entry under the cursor of the list of element would start, as it would start
    // it (FileBrowser::pickedEntry, with the element's own action when the list gives none, the
    // list references filled in), without starting it. False when the element has no list, the
    // list is empty, the entry is a folder, or B would start no program.
    bool entryToStart(int element, PlayedEntry& entry) const;

    // Draws the whole page into frame (SCREEN_WIDTH x SCREEN_HEIGHT pixels; null draws nothing):
    // the background, then buttons 0 to 63 in order. The image cache is told that a page's
    // drawing begins, so that the pictures it draws are the ones on show.
    void draw(uint16_t* frame, const PageContext& context);

    // Once per page: the picture of an image background (later calls do nothing). A picture
    // that does not load, or is not 320x240, is reported at the BACKGROUND line of
    // context.skinPath.
    void loadBackground(const PageContext& context);

    Button* buttons[BUTTON_COUNT];
    WString backgroundKind;
    WString::Array backgroundArgs;
    WString::Array returnAction;
    int32_t backgroundLoaded;
    // The background picture as the image cache gives it: the object, for its size, and its
    // entry, through which drawing gets it ready (ImageCache::picture).
    DLImage* backgroundImage;
    int32_t backgroundSlot;
    int32_t selected;
    int32_t currentButton;
    // The line of the last BUTTON line.
    int32_t currentButtonLine;
    // The skin lines (from 1; 0 while not given) of the last BACKGROUND and RETURN lines, for
    // what is found about them after the reading.
    int32_t backgroundLine;
    int32_t returnLine;

private:
    Page(const Page&);
    Page& operator=(const Page&);

    void readBackground();
    void drawBackground(uint16_t* frame, const PageContext& context);

    // What the last BACKGROUND line fills the screen with when there is no picture, read once at
    // the line: black (a picture kind, or a line that does not draw as written), one colour or a
    // gradient from backgroundColors[0] at the top to backgroundColors[1] at the bottom.
    enum Fill { FILL_BLACK, FILL_COLOR, FILL_GRADIENT };
    int32_t backgroundFill;
    uint16_t backgroundColors[2];

    // Whether a BUTTON line has come, so that element lines before it can be told from those
    // after a BUTTON outside 0 to 63 (already reported at that line).
    bool anyButtonLine;

    // What the page itself keeps of its lines (its elements keep count of their own), and of
    // that, what the last BACKGROUND line keeps.
    KeptWords kept;
    KeptWords backgroundKept;
};

#endif
