// Button: skin directives, action words for the navigation codes, and drawing by element kind.
#include "page/Button.h"

#include "gfx/BitmapFont.h"
#include "gfx/DLImage.h"
#include "gfx/ImageCache.h"
#include "gfx/PictureFault.h"
#include "page/Page.h"
#include "page/Preview.h"
#include "page/SkinValues.h"
#include "page/SkinWords.h"
#include "platform/BatteryReader.h"
#include "platform/Platform.h"

#include <string.h>

namespace {

// How many typeArgs each kind reads; a TYPE line with fewer draws nothing.
const int imageArguments = 2;
const int textArguments = 5;
const int rectArguments = 5;
const int selectorArguments = 4;
// The box and at least one picture.
const int previewArguments = 5;

// The arguments after the first skipped ones.
WString::Array rest(const WString::Array& arguments, int skipped = 1)
{
    WString::Array values(arguments);
    for (int i = 0; i < skipped && values.count() > 0; ++i)
        values.take(0);
    return values;
}

void setSelect(WString::Array& words, const WString& target)
{
    words.resize(0);
    words.append(WString("select"));
    words.append(target);
}

// Whether text holds a whole file-list reference: "%3%", "%p3%", "%P3%" or "%s3%".
bool holdsListReference(const char* text)
{
    for (const char* mark = strchr(text, '%'); mark; mark = strchr(mark + 1, '%')) {
        const char* digits = mark + 1;
        if (*digits == 'p' || *digits == 'P' || *digits == 's')
            ++digits;
        const char* end = digits;
        while (*end >= '0' && *end <= '9')
            ++end;
        if (end > digits && *end == '%')
            return true;
    }
    return false;
}

// Reads a TYPE line once, as it is read: reports what it does not draw as written (a known kind,
// enough arguments, and numbers, colours and picture names where the kind reads them) and gives
// the kind it draws, with the numbers and colours the kind reads.
Button::Kind readType(const WString& kind, const WString::Array& arguments, int32_t* numbers,
                      uint16_t* colors)
{
    const char* const nothing = "the element draws nothing";
    if (!checkWord(kind, elementKinds, "element kind", "kinds", nothing, DIAGNOSTIC_ERROR, false))
        return Button::KIND_NONE;
    const int given = arguments.count();
    Button::Kind drawn = Button::KIND_SELECTOR;
    int numbersRead = 2;
    if (kind == "image") {
        if (!checkArgumentCount("TYPE", kind, given, imageArguments, imageArguments + 2, false,
                                nothing))
            return Button::KIND_NONE;
        drawn = Button::KIND_IMAGE;
        for (int i = 2; i < given && i < 4; ++i)
            checkSpaces(arguments[i], "picture");
    } else if (kind == "text") {
        if (!checkArgumentCount("TYPE", kind, given, textArguments, textArguments, false, nothing))
            return Button::KIND_NONE;
        drawn = Button::KIND_TEXT;
        colors[0] = checkedColor(arguments[2]);
        colors[1] = checkedColor(arguments[3]);
    } else if (kind == "rect") {
        if (!checkArgumentCount("TYPE", kind, given, rectArguments, rectArguments, false, nothing))
            return Button::KIND_NONE;
        drawn = Button::KIND_RECT;
        numbersRead = 4;
        colors[0] = checkedColor(arguments[4]);
    } else if (kind == "preview") {
        // Any number of pictures may follow the box.
        if (given < previewArguments) {
            diagnose(DIAGNOSTIC_ERROR,
                     "TYPE 'preview' takes at least %d arguments after the kind (x, y, width, "
                     "height and a picture), the line gives %d: %s",
                     previewArguments, given, nothing);
            return Button::KIND_NONE;
        }
        drawn = Button::KIND_PREVIEW;
        numbersRead = 4;
        for (int i = 4; i < given; ++i)
            checkSpaces(arguments[i], "picture");
    } else {
        if (!checkArgumentCount("TYPE", kind, given, selectorArguments, selectorArguments, false,
                                "the element has no list"))
            return Button::KIND_NONE;
        numbersRead = selectorArguments;
    }
    for (int i = 0; i < numbersRead; ++i)
        numbers[i] = checkedNumber(arguments[i]);
    if (drawn == Button::KIND_RECT) {
        const int left = numbers[0], top = numbers[1], right = numbers[2], bottom = numbers[3];
        if (left > right || top > bottom)
            diagnose(DIAGNOSTIC_ERROR,
                     "rectangle from (%d, %d) to (%d, %d) has its corners swapped: the first "
                     "corner is the top left one: %s",
                     left, top, right, bottom, nothing);
        else if (left < 0 || top < 0 || right > SCREEN_WIDTH - 1 || bottom > SCREEN_HEIGHT - 1)
            diagnose(DIAGNOSTIC_ERROR,
                     "rectangle from (%d, %d) to (%d, %d) reaches past the %dx%d screen (corners "
                     "0, 0 to %d, %d): %s",
                     left, top, right, bottom, SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_WIDTH - 1,
                     SCREEN_HEIGHT - 1, nothing);
    } else if (drawn == Button::KIND_TEXT) {
        if (holdsListReference(textOf(arguments[4])))
            diagnose(DIAGNOSTIC_WARNING,
                     "text '%s' holds a file list's reference (%%N%%, %%pN%%, %%PN%% or %%sN%%): "
                     "a text shows it as written; lists fill in the words of actions and the "
                     "pictures of a preview",
                     textOf(arguments[4]));
    }
    if (drawn == Button::KIND_PREVIEW && (numbers[2] <= 0 || numbers[3] <= 0)) {
        diagnose(DIAGNOSTIC_ERROR, "preview box %dx%d is empty: %s", static_cast<int>(numbers[2]),
                 static_cast<int>(numbers[3]), nothing);
        return Button::KIND_NONE;
    }
    return drawn;
}

// What an OPTIONS line sets as written: a known option and the values the list reads from it.
void checkOption(const WString& name, const WString::Array& values)
{
    if (!checkWord(name, listOptions, "list option", "list options", "it has no effect",
                   DIAGNOSTIC_WARNING, false))
        return;
    const int count = values.count();
    if (name == "color") {
        if (count > 3)
            diagnose(DIAGNOSTIC_WARNING,
                     "list option 'color' takes up to 3 colours, the line "
                     "gives %d: only the first 3 are used",
                     count);
        for (int i = 0; i < count && i < 3; ++i)
            checkedColor(values[i]);
    } else if (name == "startdir") {
        if (count != 1) {
            diagnose(DIAGNOSTIC_ERROR,
                     "list option 'startdir' takes one folder, the line gives "
                     "%d: the option is ignored",
                     count);
        } else {
            checkSpaces(values[0], "start folder");
            const int length = values[0].length();
            if (length == 0 || values[0][length - 1] != '/')
                diagnose(DIAGNOSTIC_ERROR,
                         "start folder '%s' does not end in '/': the list stays empty",
                         values[0].text() ? values[0].text() : "");
        }
    } else if (name == "source") {
        const char* const folder = "the list shows a folder";
        if (count != 1)
            diagnose(DIAGNOSTIC_WARNING,
                     "list option 'source' takes one word, the line gives %d: %s", count, folder);
        else
            checkWord(values[0], listSources, "list source", "list sources", folder,
                      DIAGNOSTIC_WARNING, false);
    } else if (name == "type") {
        const char* const both = "the list shows files and folders";
        if (count != 1)
            diagnose(DIAGNOSTIC_WARNING, "list option 'type' takes one word, the line gives %d: %s",
                     count, both);
        else
            checkWord(values[0], listTypes, "list type", "list types", both, DIAGNOSTIC_WARNING,
                      false);
    } else {
        for (int i = 0; i < count; ++i)
            checkFilter(values[i]);
    }
}

} // namespace

Button::Button()
    : type(), typeArgs(), action(), left(), right(), up(), down(), browser(0), preview(0),
      options(0), selectedImage(0), normalImage(0), selectedSlot(-1), normalSlot(-1), loaded(0),
      typeLine(0), leftLine(0), rightLine(0), upLine(0), downLine(0), actionLine(0),
      startdirLine(0), buttonLine(0), kind(KIND_NONE), textShowsBattery(false), kept(), typeKept()
{
    for (int i = 0; i < 4; ++i)
        numbers[i] = 0;
    colors[0] = colors[1] = 0;
}

Button::~Button()
{
    delete browser;
    delete preview;
    delete options;
    Page::letGo(kept, kept);
}

void Button::applyDirective(const WString& keyword, const WString::Array& arguments)
{
    // The reader always delivers a first argument; arrays from anywhere else may lack it.
    const int line = currentPlace().line;
    WString::Array* const words[5] = {&left, &right, &up, &down, &action};
    int32_t* const lines[5] = {&leftLine, &rightLine, &upLine, &downLine, &actionLine};
    static const char* const wordKeywords[5] = {"LEFT", "RIGHT", "UP", "DOWN", "ACTION"};
    for (int i = 0; i < 5; ++i) {
        if (keyword == wordKeywords[i]) {
            if (!Page::keep(kept, Page::KeptWords(arguments), Page::KeptWords(*words[i])))
                return;
            *words[i] = arguments;
            *lines[i] = line;
            checkActionWords(arguments);
            return;
        }
    }
    if (keyword == "TYPE") {
        if (arguments.count() == 0)
            return;
        // A preview keeps a copy of its pictures, the arguments from the fifth after the kind.
        const bool previewWord = arguments[0] == "preview";
        const Page::KeptWords pictures(arguments, 5);
        Page::KeptWords added(arguments);
        if (previewWord)
            added += pictures;
        if (!Page::keep(kept, added, typeKept))
            return;
        type = arguments[0];
        // One copy of the words, the kind then dropped: rest() would copy them twice.
        typeArgs = arguments;
        typeArgs.take(0);
        typeLine = line;
        kind = readType(type, typeArgs, numbers, colors);
        if (previewWord && kind != KIND_PREVIEW) {
            Page::letGo(kept, pictures);
            added -= pictures;
        }
        typeKept = added;
        textShowsBattery =
            kind == KIND_TEXT && typeArgs[4].text() && strstr(typeArgs[4].text(), "%battery%") != 0;
        delete preview;
        preview = 0;
        if (kind == KIND_PREVIEW)
            preview =
                new Preview(numbers[0], numbers[1], numbers[2], numbers[3], rest(typeArgs, 4));
    } else if (keyword == "NAVIGATION") {
        const int used = arguments.count() < 4 ? arguments.count() : 4;
        Page::KeptWords added;
        Page::KeptWords replaced;
        for (int i = 0; i < used; ++i) {
            // setSelect's two words: "select" and the element.
            added.arguments += 2;
            added.bytes += 6 + arguments[i].length();
            replaced += Page::KeptWords(*words[i]);
        }
        if (!Page::keep(kept, added, replaced))
            return;
        if (arguments.count() > 4)
            diagnose(DIAGNOSTIC_WARNING,
                     "NAVIGATION takes up to 4 elements, the line gives %d: "
                     "only the first 4 are used",
                     arguments.count());
        for (int i = 0; i < used; ++i) {
            setSelect(*words[i], arguments[i]);
            *lines[i] = line;
            checkedNumber(arguments[i]);
        }
    } else if (keyword == "OPTIONS") {
        if (arguments.count() == 0)
            return;
        // A name given again replaces the option's values.
        const WString::Array* held = options ? options->findValue(arguments[0].text()) : 0;
        Page::KeptWords replaced;
        if (held) {
            replaced = Page::KeptWords(*held);
            replaced.add(arguments[0]);
        }
        if (!Page::keep(kept, Page::KeptWords(arguments), replaced))
            return;
        WString::Array values = rest(arguments);
        if (arguments[0] == "startdir")
            startdirLine = line;
        checkOption(arguments[0], values);
        if (!options)
            options = new OptionTable();
        options->set(arguments[0].text(), values);
    } else if (!skinKeywords.contains(keyword.text())) {
        // The skin's own keywords come here only from lines the skin's reading reports.
        reportUnknownKeyword(keyword, allSkinKeywords);
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
    const SourcePlace place(context.skinPath, context.skinPath ? typeLine : 0);
    if (kind == KIND_IMAGE) {
        if (!context.images)
            return;
        const bool two = typeArgs.count() > 3;
        if (typeArgs.count() > 2 && typeArgs[2].text()) {
            selectedSlot = context.images->request(typeArgs[2].text(), 15, true);
            selectedImage = context.images->image(selectedSlot);
            if (!selectedImage)
                diagnoseAt(
                    place, DIAGNOSTIC_ERROR, "%s: %s", cannotLoadPicture(typeArgs[2].text()).text(),
                    two ? "the element draws nothing while selected" : "the element draws nothing");
        }
        if (two && typeArgs[3].text()) {
            normalSlot = context.images->request(typeArgs[3].text(), 15, true);
            normalImage = context.images->image(normalSlot);
            if (!normalImage)
                diagnoseAt(place, DIAGNOSTIC_ERROR, "%s: %s",
                           cannotLoadPicture(typeArgs[3].text()).text(),
                           selectedImage ? "the element shows its first picture instead"
                                         : "the element draws nothing");
        }
    } else if (kind == KIND_SELECTOR) {
        if (!options)
            options = new OptionTable();
        browser = new FileBrowser(numbers[0], numbers[1], numbers[2], numbers[3], *options,
                                  context.font, context.clock, context.recent, context.favourites);
        if (browser->startError()) {
            const int line = startdirLine ? startdirLine : typeLine;
            FileBrowser::reportUnlisted(SourcePlace(context.skinPath, context.skinPath ? line : 0),
                                        browser->cwd, browser->startError());
        }
    }
}

void Button::draw(uint16_t* frame, bool selected, const PageContext& context,
                  const Button* const* pageButtons)
{
    loadResources(context);
    switch (kind) {
    case KIND_IMAGE:
        drawImage(frame, selected, context);
        break;
    case KIND_TEXT:
        drawText(frame, selected, context);
        break;
    case KIND_RECT:
        drawRect(frame);
        break;
    case KIND_PREVIEW:
        preview->draw(frame, pageButtons, pageButtons ? Page::BUTTON_COUNT : 0, context);
        break;
    default:
        if (browser && frame)
            browser->draw(frame, selected);
    }
}

void Button::drawImage(uint16_t* frame, bool selected, const PageContext& context)
{
    if (!frame || !context.images)
        return;
    int32_t slot = -1;
    if (selected && selectedImage)
        slot = selectedSlot;
    else if (selectedImage && !normalImage)
        slot = selectedSlot;
    else if (!selected && normalImage)
        slot = normalSlot;
    const DLImage* picture = context.images->picture(slot);
    // DLImage clips at every edge of the frame, so skin coordinates go through as they are.
    if (picture)
        picture->blitBlended(frame, numbers[0], numbers[1]);
}

void Button::drawText(uint16_t* frame, bool selected, const PageContext& context)
{
    // One reading per text drawn, whether or not the text shows it.
    const int reading = context.battery ? context.battery->read() : -1;
    if (!context.font || !frame)
        return;
    context.font->setColor(colors[selected ? 1 : 0]);
    // The font clips at every edge of the frame, negative coordinates included.
    if (!textShowsBattery) {
        context.font->drawText(frame, numbers[0], numbers[1], typeArgs[4].text());
        return;
    }
    WString figure;
    figure.format("%i", reading);
    const WString text = typeArgs[4].replace("%battery%", figure.text());
    context.font->drawText(frame, numbers[0], numbers[1], text.text());
}

void Button::drawRect(uint16_t* frame)
{
    const int x1 = numbers[0];
    const int y1 = numbers[1];
    const int x2 = numbers[2];
    const int y2 = numbers[3];
    if (!frame || x1 > x2 || y1 > y2 || x1 < 0 || y1 < 0 || x2 > SCREEN_WIDTH - 1 ||
        y2 > SCREEN_HEIGHT - 1)
        return;
    // A local copy: the frame's pixels share the colour's type, so the member could not stay in
    // a register across the stores.
    const uint16_t color = colors[0];
    for (int row = y1; row <= y2; ++row) {
        uint16_t* pixel = frame + row * SCREEN_WIDTH + x1;
        for (int column = x1; column <= x2; ++column)
            *pixel++ = color;
    }
}
