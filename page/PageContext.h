// PageContext: the process-wide objects that pages draw and act with, handed to them by their
// owner.
#ifndef TARVO_PAGE_PAGECONTEXT_H
#define TARVO_PAGE_PAGECONTEXT_H

class BatteryReader;
class BitmapFont;
class ClockControl;
class ImageCache;
class PlayedList;
class PreviewCache;

// The launcher core owns the font, the image cache, the battery reader and the clock controller
// for the whole run; pages only borrow them. Rather than reach for globals, a page is handed this
// record at every Page::draw, so a test can draw a page with its own font, cache and battery.
// A file browser keeps the font and clock pointers it was created with (at its page's first
// drawing), so the objects must outlive the pages: the core's process-wide objects do.
//
// Any pointer may be null, which stands for a missing resource rather than an error: without a
// font no text is drawn and file lists have no rows; without an image cache no picture loads;
// without a preview cache previews show nothing; without a battery reader every reading is -1;
// without a clock controller speeds are not set.
//
// skinPath is the skin file's handheld path, owned by the launcher for the whole run: what the
// first drawing finds (a picture that does not load, a folder that cannot be listed) is reported
// at the skin line that asked for it in that file. Null reports such findings without a line.
//
// recent and favourites: the played lists (page/PlayedList.h) that file lists with OPTIONS=source
// show; the launcher owns them for the whole run. Without them such lists are empty.
//
// directionRepeat: the frame is drawn for an automatic repeat of a held direction. Previews then
// keep the picture they show, so that a list scrolled by a held direction never waits for a
// picture to decode; the frame after the release shows the entry the cursor stopped on.
struct PageContext {
    BitmapFont* font;
    ImageCache* images;
    BatteryReader* battery;
    ClockControl* clock;
    const char* skinPath;
    PreviewCache* previews;
    PlayedList* recent;
    PlayedList* favourites;
    bool directionRepeat;

    PageContext()
        : font(0), images(0), battery(0), clock(0), skinPath(0), previews(0), recent(0),
          favourites(0), directionRepeat(false)
    {
    }
    PageContext(BitmapFont* f, ImageCache* i, BatteryReader* b, ClockControl* c,
                const char* skin = 0, PreviewCache* p = 0)
        : font(f), images(i), battery(b), clock(c), skinPath(skin), previews(p), recent(0),
          favourites(0), directionRepeat(false)
    {
    }
};

#endif
