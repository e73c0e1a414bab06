// Studio: what the desktop window offers a person working on a skin, around the launcher's own
// loop: F5 reads the card again, --watch does so whenever a file of the skin is saved, F1 outlines
// the elements of the page, F12 saves the frame as a picture, and the title names the skin, the
// page and the selected element.
#ifndef TARVO_FRONTENDS_DESKTOP_STUDIO_H
#define TARVO_FRONTENDS_DESKTOP_STUDIO_H

#include "frontends/StudioOverlay.h"
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
