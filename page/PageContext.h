// PageContext: the process-wide objects that pages draw and act with, handed to them by their
// owner.
#ifndef TARVO_PAGE_PAGECONTEXT_H
#define TARVO_PAGE_PAGECONTEXT_H

class BatteryReader;
class BitmapFont;
class ClockControl;
class ImageCache;

// The launcher core owns the font, the image cache, the battery reader and the clock controller
// for the whole run; pages only borrow them. Rather than reach for globals, a page is handed this
// record at every Page::draw, so a test can draw a page with its own font, cache and battery.
// A file browser keeps the font and clock pointers it was created with (at its page's first
// drawing), so the objects must outlive the pages: the core's process-wide objects do.
//
// Any pointer may be null, which stands for a missing resource rather than an error: without a
// font no text is drawn and file lists have no rows; without an image cache no picture loads;
// without a battery reader every reading is -1; without a clock controller speeds are not set.
//
// skinPath is the skin file's handheld path, owned by the launcher for the whole run: what the
// first drawing finds (a picture that does not load, a folder that cannot be listed) is reported
// at the skin line that asked for it in that file. Null reports such findings without a line.
struct PageContext {
    BitmapFont* font;
    ImageCache* images;
    BatteryReader* battery;
    ClockControl* clock;
    const char* skinPath;

    PageContext() : font(0), images(0), battery(0), clock(0), skinPath(0) {}
    PageContext(BitmapFont* f, ImageCache* i, BatteryReader* b, ClockControl* c,
                const char* skin = 0)
        : font(f), images(i), battery(b), clock(c), skinPath(skin)
    {
    }
};

#endif
