// Button: skin directives, action words for the navigation codes, and drawing by element kind.
#include "page/Button.h"

#include "gfx/BitmapFont.h"
#include "gfx/DLImage.h"
#include "gfx/ImageCache.h"
#include "page/SkinValues.h"
#include "platform/BatteryReader.h"
#include "platform/Platform.h"

#include <string.h>

namespace {

// How many typeArgs each kind reads; a TYPE line with fewer draws nothing.
const int imageArguments = 2;
const int textArguments = 5;
const int rectArguments = 5;
const int selectorArguments = 4;

// The arguments after the first.
WString::Array rest(const WString::Array& arguments)
{
    WString::Array values(arguments);
    if (values.count() > 0)
        values.take(0);
    return values;
}

void setSelect(WString::Array& words, const WString& target)
{
    words.resize(0);
    words.append(WString("select"));
    words.append(target);
}

} // namespace

Button::Button()
    : type(), typeArgs(), action(), left(), right(), up(), down(), browser(0), options(),
      selectedImage(0), normalImage(0), loaded(0)
{
}

Button::~Button()
{
    delete browser;
}

void Button::applyDirective(const WString& keyword, const WString::Array& arguments)
{
    // The reader always delivers a first argument; arrays from anywhere else may lack it.
    if (keyword == "TYPE") {
        if (arguments.count() == 0)
            return;
        type = arguments[0];
        typeArgs = rest(arguments);
    } else if (keyword == "NAVIGATION") {
        WString::Array* const targets[4] = {&left, &right, &up, &down};
        for (int i = 0; i < 4 && i < arguments.count(); ++i)
            setSelect(*targets[i], arguments[i]);
    } else if (keyword == "LEFT") {
        left = arguments;
    } else if (keyword == "RIGHT") {
        right = arguments;
    } else if (keyword == "UP") {
        up = arguments;
    } else if (keyword == "DOWN") {
        down = arguments;
    } else if (keyword == "ACTION") {
        action = arguments;
    } else if (keyword == "OPTIONS") {
        if (arguments.count() == 0)
            return;
        WString::Array values = rest(arguments);
        options.set(arguments[0].text(), values);
    }
}

void Button::handleInput(WString::Array& actions, int& code)
{
    if (browser &&
        (code == NAV_UP || code == NAV_DOWN || code == NAV_ACTION || code == NAV_PAGE_BACK ||
         code == NAV_PAGE_FORWARD))
        browser->handleInput(actions, code);
    switch (code) {
    case NAV_LEFT:
        actions = left;
        break;
    case NAV_RIGHT:
        actions = right;
        break;
    case NAV_UP:
        actions = up;
        break;
    case NAV_DOWN:
        actions = down;
        break;
    case NAV_ACTION:
        actions = action;
        break;
    default:
        return;
    }
    code = NAV_NONE;
}

void Button::loadResources(const PageContext& context)
{
    if (loaded)
        return;
    loaded = 1;
    if (type == "image") {
        if (!context.images)
            return;
        if (typeArgs.count() > 2 && typeArgs[2].text())
            selectedImage = context.images->load(typeArgs[2].text(), 15, true);
        if (typeArgs.count() > 3 && typeArgs[3].text())
            normalImage = context.images->load(typeArgs[3].text(), 15, true);
    } else if (type == "selector") {
        if (typeArgs.count() < selectorArguments)
            return;
        browser = new FileBrowser(skinNumber(typeArgs[0]), skinNumber(typeArgs[1]),
                                  skinNumber(typeArgs[2]), skinNumber(typeArgs[3]), options,
                                  context.font, context.clock);
    }
}

void Button::draw(uint16_t* frame, bool selected, const PageContext& context)
{
    loadResources(context);
    if (type == "image") {
        drawImage(frame, selected);
    } else if (type == "text") {
        drawText(frame, selected, context);
    } else if (type == "rect") {
        drawRect(frame);
    } else if (browser && frame) {
        browser->draw(frame, selected);
    }
}

void Button::drawImage(uint16_t* frame, bool selected)
{
    if (typeArgs.count() < imageArguments || !frame)
        return;
    const DLImage* picture = 0;
    if (selected && selectedImage)
        picture = selectedImage;
    else if (selectedImage && !normalImage)
        picture = selectedImage;
    else if (!selected && normalImage)
        picture = normalImage;
    // DLImage clips at every edge of the frame, so skin coordinates go through as they are.
    if (picture)
        picture->blitBlended(frame, skinNumber(typeArgs[0]), skinNumber(typeArgs[1]));
}

void Button::drawText(uint16_t* frame, bool selected, const PageContext& context)
{
    if (typeArgs.count() < textArguments)
        return;
    // One reading per text drawn, whether or not the text shows it.
    const int reading = context.battery ? context.battery->read() : -1;
    if (!context.font || !frame)
        return;
    WString figure;
    figure.format("%i", reading);
    const WString text = typeArgs[4].replace("%battery%", figure.text());
    context.font->setColor(parseColor(typeArgs[selected ? 3 : 2]));
    // The font clips at every edge of the frame, negative coordinates included.
    context.font->drawText(frame, skinNumber(typeArgs[0]), skinNumber(typeArgs[1]), text.text());
}

void Button::drawRect(uint16_t* frame)
{
    if (typeArgs.count() < rectArguments || !frame)
        return;
    const int x1 = skinNumber(typeArgs[0]);
    const int y1 = skinNumber(typeArgs[1]);
    const int x2 = skinNumber(typeArgs[2]);
    const int y2 = skinNumber(typeArgs[3]);
    if (x1 > x2 || y1 > y2 || x1 < 0 || y1 < 0 || x2 > SCREEN_WIDTH - 1 || y2 > SCREEN_HEIGHT - 1)
        return;
    const uint16_t color = parseColor(typeArgs[4]);
    for (int row = y1; row <= y2; ++row) {
        uint16_t* pixel = frame + row * SCREEN_WIDTH + x1;
        for (int column = x1; column <= x2; ++column)
            *pixel++ = color;
    }
}
