// Preview: the element that shows a picture of the entry under a file list's cursor, such as a
// game's title screen beside the list of games, or a skin's own preview in a list of skins.
#ifndef TARVO_PAGE_PREVIEW_H
#define TARVO_PAGE_PREVIEW_H

#include "base/WString.h"
#include "config/VariableStore.h"
#include "gfx/PreviewCache.h"
#include "page/PageContext.h"

#include <stdint.h>

class Button;

// TYPE=preview,x,y,width,height,PICTURE[,PICTURE...]: each PICTURE is a file name in which the
// page's list references (%i%, %pi%, %Pi%, %si%; page/ListReferences.h) are filled in when the
// page is drawn. The first one that names a picture that loads is drawn centred in the box and
// clipped to it (an odd pixel of difference goes to the right and the bottom); when none loads,
// nothing is drawn.
//
// Pictures come from the preview cache of the context (gfx/PreviewCache.h), never from the
// skin's image cache, and are looked for again only when the names change: a frame drawn for a
// held direction's repeat (PageContext::directionRepeat) keeps the picture shown before without
// filling in or looking for anything, so scrolling costs no decode; every other frame shows the
// picture of the entry under the cursor, filling the names in again only when an entry under a
// list's cursor changed. The first frame always looks.
//
// Memory rules: the element owns its texts; it holds a ticket of the cache, not a picture, so
// the cache may drop the picture at any time (the element then shows nothing until it looks
// again).
class Preview {
public:
    // The box and the PICTURE patterns, as the skin line gave them.
    Preview(int32_t x, int32_t y, int32_t width, int32_t height, const WString::Array& pictures);

    // Draws into frame (null: only looks the picture up). pageButtons: the buttonCount slots of
    // the page, whose file lists fill in the references.
    void draw(uint16_t* frame, const Button* const* pageButtons, int buttonCount,
              const PageContext& context);

private:
    // Looks for the first of names that loads.
    void choose(PreviewCache& cache);
    static bool sameWords(const WString::Array& a, const WString::Array& b);
    void drawPicture(uint16_t* frame, const DLImage& picture) const;

    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    WString::Array patterns;
    // The names the patterns gave when a picture was last looked for, and what was found.
    WString::Array names;
    // The lists' entries those names were filled in from (page/ListReferences.h: listCursors),
    // and the store that filled them in, kept from frame to frame.
    WString::Array cursors;
    VariableStore variables;
    // The kinds of list reference the patterns hold (page/ListReferences.h).
    int referencesUsed;
    bool looked;
    bool found;
    PreviewCache::Ticket shown;
};

#endif
