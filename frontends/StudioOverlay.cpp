// The element overlay: boxes, numbers and NAVIGATION letters drawn with a 3x5 font of its own.
#include "frontends/StudioOverlay.h"

#include "core/ProcessObjects.h"
#include "gfx/DLImage.h"
#include "page/Button.h"
#include "page/Page.h"
#include "page/SkinValues.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Inclusive corners, wide enough for any sum of skin numbers; right < left: nothing to outline.
struct Box {
    long long left, top, right, bottom;
};

// Glyphs of 3x5 pixels, one octal digit a row (the top row first, its high bit the left column).
int glyphOf(char c)
{
    static const char letters[] = "0123456789LRUD";
    static const int glyphs[] = {075557, 026227, 071747, 071717, 055711, 074717, 074757,
                                 071111, 075757, 075717, 044447, 065655, 055557, 065556};
    const char* found = std::strchr(letters, c);
    return found && c ? glyphs[found - letters] : 0;
}

class OverlayCanvas {
public:
    explicit OverlayCanvas(uint32_t* pixels) : pixels(pixels) {}

    void set(long long x, long long y, uint32_t color)
    {
        if (x >= 0 && x < SCREEN_WIDTH && y >= 0 && y < SCREEN_HEIGHT)
            pixels[y * SCREEN_WIDTH + x] = color;
    }

    void fill(const Box& box, uint32_t color)
    {
        // Clipped first: a skin's box may reach far past the screen.
        for (long long y = std::max(box.top, 0LL); y <= std::min(box.bottom, SCREEN_HEIGHT - 1LL);
             ++y)
            for (long long x = std::max(box.left, 0LL);
                 x <= std::min(box.right, SCREEN_WIDTH - 1LL); ++x)
                set(x, y, color);
    }

    void outline(Box box, uint32_t color, int width)
    {
        for (int ring = 0; ring < width && box.left <= box.right && box.top <= box.bottom; ++ring) {
            fill({box.left, box.top, box.right, box.top}, color);
            fill({box.left, box.bottom, box.right, box.bottom}, color);
            fill({box.left, box.top, box.left, box.bottom}, color);
            fill({box.right, box.top, box.right, box.bottom}, color);
            box = {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
        }
    }

    // A small dark box with text in color, its top-left corner at (x, y).
    void label(long long x, long long y, const std::string& text, uint32_t color)
    {
        fill({x, y, x + 4 * static_cast<long long>(text.size()), y + 6}, OVERLAY_LABEL);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const int glyph = glyphOf(text[i]);
            for (int bit = 0; bit < 15; ++bit) {
                if (glyph >> (14 - bit) & 1)
                    set(x + 1 + 4 * static_cast<long long>(i) + bit % 3, y + 1 + bit / 3, color);
            }
        }
    }

private:
    uint32_t* pixels;
};

long long argument(const Button& button, int index)
{
    return skinNumber(button.typeArgs[index]);
}

// The box of an element as it draws now (selected or not), and a file list's rows; false for an
// element that draws nothing.
bool boxOf(const Button& button, bool selected, Box* box, Box* rows)
{
    const int given = button.typeArgs.count();
    const int lineHeight = font.lineHeight();
    *rows = {0, 0, -1, -1};
    if (button.type == "image" && given >= 2) {
        const DLImage* picture = (selected && button.selectedImage) || !button.normalImage
            ? button.selectedImage
            : button.normalImage;
        const long long x = argument(button, 0), y = argument(button, 1);
        *box = {x, y, x + (picture ? picture->width : 0) - 1,
                y + (picture ? picture->height : 0) - 1};
    } else if (button.type == "text" && given >= 5) {
        WString figure;
        figure.format("%i", batteryReader.read());
        const WString text = button.typeArgs[4].replace("%battery%", figure.text());
        const long long x = argument(button, 0), y = argument(button, 1);
        *box = {x, y, x + font.textWidth(text.text() ? text.text() : "") - 1, y + lineHeight - 1};
    } else if (button.type == "rect" && given >= 5) {
        *box = {argument(button, 0), argument(button, 1), argument(button, 2), argument(button, 3)};
    } else if (button.type == "preview" && given >= 4) {
        const long long x = argument(button, 0), y = argument(button, 1);
        *box = {x, y, x + argument(button, 2) - 1, y + argument(button, 3) - 1};
    } else if (button.type == "selector" && given >= 4) {
        *box = {argument(button, 0), argument(button, 1), argument(button, 2), argument(button, 3)};
        const long long count = button.browser ? button.browser->rows : 0;
        *rows = {box->left, box->top, box->right, box->top + count * lineHeight - 1};
    } else {
        return false;
    }
    return true;
}

uint32_t kindColor(const WString& kind)
{
    return kind == "image"  ? OVERLAY_IMAGE
        : kind == "text"    ? OVERLAY_TEXT
        : kind == "rect"    ? OVERLAY_RECT
        : kind == "preview" ? OVERLAY_PREVIEW
                            : OVERLAY_SELECTOR;
}

} // namespace

void drawOverlay(const Page& page, std::vector<uint32_t>& pixels)
{
    pixels.assign(SCREEN_PIXELS, 0);
    OverlayCanvas canvas(pixels.data());
    Box boxes[Page::BUTTON_COUNT];
    bool hasBox[Page::BUTTON_COUNT] = {};
    for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
        Box rows;
        if (!page.buttons[i] || !boxOf(*page.buttons[i], i == page.selected, &boxes[i], &rows))
            continue;
        hasBox[i] = true;
        canvas.fill(rows, OVERLAY_ROWS);
    }
    // The selected element last, so that its outline lies on top.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
            const bool selected = i == page.selected;
            if (hasBox[i] && selected == (pass == 1))
                canvas.outline(boxes[i],
                               selected ? OVERLAY_SELECTED : kindColor(page.buttons[i]->type),
                               selected ? 2 : 1);
        }
    }
    for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
        if (hasBox[i])
            canvas.label(boxes[i].left + 2, boxes[i].top + 2, std::to_string(i),
                         i == page.selected ? OVERLAY_SELECTED : kindColor(page.buttons[i]->type));
    }

    // Where the selected element's NAVIGATION goes (each direction a plain "select,n").
    if (page.selected < 0 || page.selected >= Page::BUTTON_COUNT || !page.buttons[page.selected])
        return;
    const Button& from = *page.buttons[page.selected];
    const WString::Array* directions[4] = {&from.left, &from.right, &from.up, &from.down};
    std::string letters[Page::BUTTON_COUNT];
    for (int d = 0; d < 4; ++d) {
        const WString::Array& words = *directions[d];
        if (words.count() != 2 || !(words[0] == "select"))
            continue;
        const int target = skinNumber(words[1]);
        if (target >= 0 && target < Page::BUTTON_COUNT && hasBox[target])
            letters[target] += "LRUD"[d];
    }
    for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
        if (!letters[i].empty())
            canvas.label(boxes[i].right - 4 * static_cast<long long>(letters[i].size()),
                         boxes[i].bottom - 6, letters[i], OVERLAY_SELECTED);
    }
}
