// Studio: what the desktop window offers a person working on a skin, around the launcher's own
// loop: F5 reads the card again, --watch does so whenever a file of the skin is saved, F1 outlines
// the elements of the page, F12 saves the frame as a picture, and the title names the skin, the
// page and the selected element.
#ifndef TARVO_FRONTENDS_DESKTOP_STUDIO_H
#define TARVO_FRONTENDS_DESKTOP_STUDIO_H

#include "frontends/desktop/SkinWatch.h"

#include <memory>
#include <stdint.h>
#include <string>
#include <vector>

class Launcher;

struct StudioOptions {
    bool watch = false;      // --watch
    std::string shotsFolder; // --shots DIR; empty: the current folder
};

// The overlay's colours (0xAARRGGBB): an element's box is outlined in the colour of its kind,
// the selected element's in white and two pixels wide; a file list's rows are shaded. Each box
// carries its element's number at its top-left corner, inside, in a small box of its own; the
// elements the selected one's NAVIGATION reaches carry letters (L, R, U, D) at their bottom-right
// corner, inside.
enum OverlayColor : uint32_t {
    OVERLAY_IMAGE = 0xFF00D0FF,
    OVERLAY_TEXT = 0xFFFFD000,
    OVERLAY_RECT = 0xFFFF40FF,
    OVERLAY_SELECTOR = 0xFF40FF40,
    OVERLAY_PREVIEW = 0xFFFF8000,
    OVERLAY_SELECTED = 0xFFFFFFFF,
    OVERLAY_ROWS = 0x6040FF40,
    OVERLAY_LABEL = 0xD0000000
};

// Boxes: an image is its picture's size at x,y; a text its width in the font by the font's line
// height; a rect its corners; a file list x,y to right,bottom, its rows from y down as many lines
// as fit; a preview its box, x,y and width by height. An element that draws nothing has no box.
//
// Use: the launcher started, then update() after every pass. The launcher must outlive the studio.
class Studio {
public:
    Studio(Launcher& launcher, const StudioOptions& options);
    ~Studio();
    Studio(const Studio&) = delete;
    Studio& operator=(const Studio&) = delete;

    // After each pass (event: what the pass returned): the window's F1, F5 and F12, a due reload
    // of the watch; after an event, the overlay and the title follow the page.
    void update(bool event);

    // Launcher::reload(), its diagnostics printed as ever and the first of them as a notice, and
    // the new frame shown.
    void reload();
    int reloads() const { return reloadCount; }

    // Writes the frame on show as an 8-bit RGB PNG named tarvo-NNNN.png, the first number from 1
    // that no file in the folder has (a file is never replaced), each 5- or 6-bit channel widened
    // by repeating its top bits. The title says where it went, or why it did not. The path; empty
    // when it could not be written.
    std::string saveShot();

private:
    void watchFiles();
    void showStructure();
    std::string title() const;

    Launcher& launcher;
    std::string shotsFolder;
    std::unique_ptr<SkinWatch> skinWatch;
    bool overlayOn = false;
    std::vector<uint32_t> overlay;
    int reloadCount = 0;
    int nextShot = 1;
    // What the last screenshot did, in the title until the next event.
    std::string shotNote;
};

#endif
