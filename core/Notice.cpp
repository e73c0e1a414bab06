// The notice bar drawn over a page.
#include "core/Notice.h"

#include "gfx/BitmapFont.h"
#include "platform/Platform.h"

void drawNotice(uint16_t* frame, BitmapFont& font, const char* text)
{
    if (!frame)
        return;
    const int textHeight = font.lineHeight() > 0 ? font.lineHeight() : 12;
    const int top = SCREEN_HEIGHT - textHeight - 4;
    for (uint16_t* pixel = frame + top * SCREEN_WIDTH; pixel < frame + SCREEN_PIXELS; ++pixel)
        *pixel = noticeBarColor;
    font.setColor(noticeTextColor);
    font.drawText(frame, 2, top + 2, text);
}
