// Button: one element of a page (a picture, a text, a rectangle or a file list), its skin
// directives, its action words for the navigation codes, and its drawing.
#ifndef TARVO_PAGE_BUTTON_H
#define TARVO_PAGE_BUTTON_H

#include "base/WString.h"
#include "page/FileBrowser.h"
#include "page/Page.h"
#include "page/PageContext.h"

#include <stdint.h>

class DLImage;
class Preview;

// Memory rules: a button owns its texts, arrays, option table (created by the first OPTIONS
// line, or with the browser of a "selector" button that has none), file browser (created at
// the first drawing of a "selector" button) and preview (created by a "preview" TYPE line). All
// are destroyed with the button. Its pictures belong to the image cache and outlive it. A button
// is never copied.
//
// typeArgs by kind (positions after the kind word; numbers as skinNumber reads them, colours as
// parseColor does, both once, when the TYPE line is read):
//   image     x, y [, selected picture [, normal picture]]
//   text      x, y, colour, selected colour, text ("%battery%" becomes the battery reading)
//   rect      x1, y1, x2, y2, colour (inclusive corners; drawn only when wholly on screen)
//   selector  x, y, right, bottom (a FileBrowser, further settings from OPTIONS)
//   preview   x, y, width, height, picture [, picture ...] (a Preview, page/Preview.h)
// A kind given fewer arguments than it reads draws nothing (a selector then has no list); no
// other kind word, and no TYPE at all, draws anything, but the button still takes part in
// navigation through its action words.
class Button {
public:
    // What a TYPE line draws: KIND_NONE for a kind word that is not known or a line that gives
    // fewer arguments than its kind reads.
    enum Kind { KIND_NONE, KIND_IMAGE, KIND_TEXT, KIND_RECT, KIND_SELECTOR, KIND_PREVIEW };

    Button();
    ~Button();

    // TYPE, NAVIGATION, LEFT, RIGHT, UP, DOWN, ACTION and OPTIONS; other keywords are ignored.
    // keyword is upper-case (the reader makes it so); arguments as the skin line gave them.
    // What the line cannot do as written is reported at the current place (base/Diagnostics.h):
    // an unknown keyword, element kind, action word or list option, an argument count that
    // draws nothing or drops arguments, a bad colour, number or list setting, spaces around an
    // argument, and a line the pages have no room to keep (Page::MAX_KEPT_ARGUMENTS), which is
    // ignored.
    void applyDirective(const WString& keyword, const WString::Array& arguments);

    // Lets the file browser act first on NAV_UP, NAV_DOWN, NAV_ACTION, NAV_PAGE_BACK and
    // NAV_PAGE_FORWARD, then answers NAV_LEFT to NAV_ACTION when still unused with a copy of left,
    // right, up, down or action and sets the code to NAV_NONE.
    void handleInput(WString::Array& actions, int& code);

    // Draws the button into frame (null draws nothing); selected: whether it is the page's
    // selected button. The first call loads the pictures or creates the file browser
    // (loadResources). pageButtons: the Page::BUTTON_COUNT slots of the button's page, whose
    // file lists a preview shows pictures of (null: a preview fills in no list).
    void draw(uint16_t* frame, bool selected, const PageContext& context,
              const Button* const* pageButtons = 0);

    // Once per button: the pictures of an "image" button from the image cache, or the browser
    // of a "selector" button. Later calls do nothing, whatever they are given. A picture that
    // does not load is reported at the TYPE line, a start folder that cannot be listed at the
    // OPTIONS line that named it (the TYPE line without one), in context.skinPath.
    void loadResources(const PageContext& context);

    WString type;
    WString::Array typeArgs;
    WString::Array action;
    WString::Array left;
    WString::Array right;
    WString::Array up;
    WString::Array down;
    FileBrowser* browser;
    // The element of a "preview" TYPE line that draws.
    Preview* preview;
    // Null until an OPTIONS line comes: most elements have no list and need no table.
    OptionTable* options;
    // The pictures of an "image" button, as the image cache gives them: the objects, for their
    // size, and their entries, through which drawing gets them ready (ImageCache::picture).
    DLImage* selectedImage;
    DLImage* normalImage;
    int32_t selectedSlot;
    int32_t normalSlot;
    int32_t loaded;
    // The skin lines (from 1; 0 while not given) that last set type, left, right, up, down,
    // action (a NAVIGATION line sets the first four) and the startdir option.
    int32_t typeLine;
    int32_t leftLine;
    int32_t rightLine;
    int32_t upLine;
    int32_t downLine;
    int32_t actionLine;
    int32_t startdirLine;
    // The BUTTON line whose block made the element.
    int32_t buttonLine;

private:
    Button(const Button&);
    Button& operator=(const Button&);

    // The last TYPE line's values as the kind reads them, so that drawing parses nothing: the
    // numbers of typeArgs 0 to 3 (x, y for image and text), the colours (text: normal and
    // selected; rect: its fill), and whether the text holds "%battery%".
    int32_t kind;
    int32_t numbers[4];
    uint16_t colors[2];
    bool textShowsBattery;

    // What the element keeps of its lines (Page::MAX_KEPT_ARGUMENTS), and of that, what the last
    // TYPE line keeps.
    Page::KeptWords kept;
    Page::KeptWords typeKept;

    void drawImage(uint16_t* frame, bool selected, const PageContext& context);
    void drawText(uint16_t* frame, bool selected, const PageContext& context);
    void drawRect(uint16_t* frame);
};

#endif
