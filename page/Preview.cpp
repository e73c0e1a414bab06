// Preview: a picture of the entry under a list's cursor, found by name patterns.
#include "page/Preview.h"

#include "config/VariableStore.h"
#include "gfx/DLImage.h"
#include "page/ListReferences.h"
#include "platform/Platform.h"

#include <stdint.h>

Preview::Preview(int32_t boxX, int32_t boxY, int32_t boxWidth, int32_t boxHeight,
                 const WString::Array& pictures)
    : x(boxX), y(boxY), width(boxWidth), height(boxHeight), patterns(pictures), names(), cursors(),
      variables(), referencesUsed(listReferencesUsed(pictures)), looked(false), found(false),
      shown()
{
}

void Preview::draw(uint16_t* frame, const Button* const* pageButtons, int buttonCount,
                   const PageContext& context)
{
    if (!context.previews)
        return;
    PreviewCache& cache = *context.previews;
    if (!looked || !context.directionRepeat) {
        // The names are filled in again only when an entry under a cursor changed: a release,
        // or a press the lists do not follow, costs a comparison.
        WString::Array now;
        if (pageButtons)
            listCursors(pageButtons, buttonCount, now);
        if (!looked || !sameWords(now, cursors)) {
            cursors.swap(now);
            if (pageButtons)
                setListVariables(pageButtons, buttonCount, variables, referencesUsed);
            WString::Array filledIn(patterns);
            fillListReferences(variables, filledIn, 0);
            if (!looked || !sameWords(filledIn, names)) {
                names.swap(filledIn);
                choose(cache);
            }
        }
        if (found && !cache.holds(shown))
            choose(cache);
    }
    const DLImage* picture = found ? cache.picture(shown) : 0;
    if (frame && picture)
        drawPicture(frame, *picture);
}

bool Preview::sameWords(const WString::Array& a, const WString::Array& b)
{
    if (a.count() != b.count())
        return false;
    for (int i = 0; i < a.count(); ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

void Preview::choose(PreviewCache& cache)
{
    looked = true;
    found = false;
    for (int i = 0; i < names.count() && !found; ++i) {
        shown = cache.load(names[i].text());
        found = cache.picture(shown) != 0;
    }
}

void Preview::drawPicture(uint16_t* frame, const DLImage& picture) const
{
    // The part of the box on the screen.
    int skipColumns, columns, skipRows, rows;
    if (!DLImage::clipSpan(x, width, SCREEN_WIDTH, skipColumns, columns) ||
        !DLImage::clipSpan(y, height, SCREEN_HEIGHT, skipRows, rows))
        return;
    const int left = x + skipColumns;
    const int top = y + skipRows;
    // Centred in the whole box, in 64 bits: the box comes from the skin and may be as large as
    // an int allows.
    const int64_t pictureX =
        static_cast<int64_t>(x) + (static_cast<int64_t>(width) - picture.width) / 2;
    const int64_t pictureY =
        static_cast<int64_t>(y) + (static_cast<int64_t>(height) - picture.height) / 2;
    // A picture that far from the visible box cannot reach it (no side is over 2048 pixels), and
    // one that is nearer has coordinates that fit an int.
    const int64_t reach = 4096;
    if (pictureX < left - reach || pictureX > left + columns || pictureY < top - reach ||
        pictureY > top + rows)
        return;
    picture.blitBlendedInside(frame, static_cast<int>(pictureX), static_cast<int>(pictureY), left,
                              top, columns, rows);
}
