// The notice bar drawn over a page.
#include "core/Notice.h"

#include "gfx/BitmapFont.h"
#include "platform/Platform.h"

#include <string.h>

void drawNotice(uint16_t* frame, BitmapFont& font, const char* text)
{
    if (!frame)
        return;
    const int textHeight = font.lineHeight() > 0 ? font.lineHeight() : 12;
    const int top = SCREEN_HEIGHT - textHeight - 4;
    for (uint16_t* pixel = frame + top * SCREEN_WIDTH; pixel < frame + SCREEN_PIXELS; ++pixel)
        *pixel = noticeBarColor;
    font.setColor(noticeTextColor);
    font.drawText(frame, 2, top + 2, fitNotice(font, text, SCREEN_WIDTH - 4).text());
}

namespace {

bool continuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// text with the bytes from cutFrom to cutTo of it (length bytes in all) replaced by "...", the
// cut widened so that it splits no character.
WString withCut(const char* text, int length, int cutFrom, int cutTo)
{
    while (cutFrom > 0 && continuationByte(text[cutFrom]))
        --cutFrom;
    while (cutTo < length && continuationByte(text[cutTo]))
        ++cutTo;
    const WString whole(text);
    return whole.left(cutFrom) + "..." + whole.mid(cutTo);
}

// The text with the middle of the bytes from start to end (a word, or the whole text) cut so that
// as much as fits is kept; empty when even the shortest cut does not fit.
WString cutMiddle(const BitmapFont& font, const char* text, int length, int start, int end,
                  int width)
{
    // keep: how many of the word's bytes stay; the widest text that fits is found by halving.
    int fewest = 0;
    int most = end - start - 1;
    WString best;
    while (fewest <= most) {
        const int keep = (fewest + most) / 2;
        const int head = (keep + 1) / 2;
        const WString candidate = withCut(text, length, start + head, end - (keep - head));
        if (font.textWidth(candidate.text()) <= width) {
            best = candidate;
            fewest = keep + 1;
        } else {
            most = keep - 1;
        }
    }
    return best;
}

} // namespace

WString fitNotice(const BitmapFont& font, const char* text, int width)
{
    if (!text || font.textWidth(text) <= width)
        return WString(text);
    const int length = static_cast<int>(strlen(text));
    // The longest word: the run of bytes without a space.
    int wordStart = 0;
    int wordEnd = 0;
    for (int i = 0; i < length;) {
        int end = i;
        while (end < length && text[end] != ' ')
            ++end;
        if (end - i > wordEnd - wordStart) {
            wordStart = i;
            wordEnd = end;
        }
        i = end + 1;
    }
    WString fitted = cutMiddle(font, text, length, wordStart, wordEnd, width);
    if (fitted.isEmpty())
        fitted = cutMiddle(font, text, length, 0, length, width);
    return fitted;
}
