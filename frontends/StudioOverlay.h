// The element overlay of a skin author's studio (the desktop window's F1, the browser studio's):
// the page's structure drawn over a transparent layer, for the front-end to lay over the frame.
#ifndef TARVO_FRONTENDS_STUDIOOVERLAY_H
#define TARVO_FRONTENDS_STUDIOOVERLAY_H

#include <stdint.h>
#include <vector>

class Page;

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
// Draws the structure of page into pixels (resized to SCREEN_PIXELS, 0xAARRGGBB, row by row),
// transparent where there is nothing.
void drawOverlay(const Page& page, std::vector<uint32_t>& pixels);

#endif
