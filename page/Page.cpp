// Page: page directives, input and actions, and the drawing of a whole page.
#include "page/Page.h"

#include "config/VariableStore.h"
#include "gfx/DLImage.h"
#include "gfx/ImageCache.h"
#include "gfx/PictureFault.h"
#include "page/Button.h"
#include "page/FileBrowser.h"
#include "page/ListReferences.h"
#include "page/PlayedList.h"
#include "page/SkinValues.h"
#include "page/SkinWords.h"
#include "platform/Platform.h"

#include <string.h>

namespace {

// The gradient's last row holds the bottom colour exactly.
const int gradientDivisor = SCREEN_HEIGHT - 1;

void fillRow(uint16_t* row, uint16_t color)
{
    for (int x = 0; x < SCREEN_WIDTH; ++x)
        row[x] = color;
}

// One row is filled pixel by pixel; the others are copies of it, which the C library moves
// many pixels at a time even where the compiler cannot vectorise the loop (the handheld's ARM9).
void fillFrame(uint16_t* frame, uint16_t color)
{
    fillRow(frame, color);
    for (int row = 1; row < SCREEN_HEIGHT; ++row)
        memcpy(frame + row * SCREEN_WIDTH, frame, SCREEN_WIDTH * sizeof(uint16_t));
}

// Each 5-bit channel (green without its lowest bit) from top to bottom, row 239 the bottom
// colour. With 32 levels a channel changes only every few rows, so a row of the same colour as
// the one above is copied from it.
void fillGradient(uint16_t* frame, uint16_t top, uint16_t bottom)
{
    const int shifts[3] = {11, 6, 0};
    unsigned previous = 0;
    for (int row = 0; row < SCREEN_HEIGHT; ++row) {
        unsigned color = 0;
        for (int c = 0; c < 3; ++c) {
            const int t = (top >> shifts[c]) & 31;
            const int b = (bottom >> shifts[c]) & 31;
            const int value = ((gradientDivisor - row) * t + row * b) / gradientDivisor;
            color |= static_cast<unsigned>(value) << shifts[c];
        }
        uint16_t* const line = frame + row * SCREEN_WIDTH;
        if (row > 0 && color == previous)
            memcpy(line, line - SCREEN_WIDTH, SCREEN_WIDTH * sizeof(uint16_t));
        else
            fillRow(line, static_cast<uint16_t>(color));
        previous = color;
    }
}

// What all the pages alive keep of the skin's lines (Page::MAX_KEPT_ARGUMENTS).
int32_t keptArguments = 0;
int32_t keptBytes = 0;

} // namespace

Page::KeptWords& Page::KeptWords::operator+=(const KeptWords& other)
{
    arguments += other.arguments;
    bytes += other.bytes;
    return *this;
}

Page::KeptWords& Page::KeptWords::operator-=(const KeptWords& other)
{
    arguments -= other.arguments;
    bytes -= other.bytes;
    return *this;
}

bool Page::keep(KeptWords& held, const KeptWords& added, const KeptWords& replaced)
{
    const int32_t arguments = keptArguments - replaced.arguments + added.arguments;
    const int32_t bytes = keptBytes - replaced.bytes + added.bytes;
    if (arguments > MAX_KEPT_ARGUMENTS || bytes > MAX_KEPT_BYTES) {
        diagnose(DIAGNOSTIC_ERROR,
                 "the pages would keep more than %d arguments or %d bytes of the skin's lines: "
                 "the line is ignored",
                 static_cast<int>(MAX_KEPT_ARGUMENTS), static_cast<int>(MAX_KEPT_BYTES));
        return false;
    }
    keptArguments = arguments;
    keptBytes = bytes;
    held -= replaced;
    held += added;
    return true;
}

void Page::letGo(KeptWords& held, KeptWords given)
{
    keptArguments -= given.arguments;
    keptBytes -= given.bytes;
    held -= given;
}

Page::Page()
    : backgroundKind(), backgroundArgs(), returnAction(), backgroundLoaded(0), backgroundImage(0),
      backgroundSlot(-1), selected(0), currentButton(-1), currentButtonLine(0), backgroundLine(0),
      returnLine(0), backgroundFill(FILL_BLACK), anyButtonLine(false), kept(), backgroundKept()
{
    backgroundColors[0] = backgroundColors[1] = 0;
    for (int i = 0; i < BUTTON_COUNT; ++i)
        buttons[i] = 0;
}

Page::~Page()
{
    for (int i = 0; i < BUTTON_COUNT; ++i)
        delete buttons[i];
    letGo(kept, kept);
}

void Page::applyDirective(const WString& keyword, const WString::Array& arguments)
{
    if (keyword == "BACKGROUND") {
        // The reader always delivers a first argument; arrays from anywhere else may lack it.
        if (arguments.count() == 0)
            return;
        const KeptWords added(arguments);
        if (!keep(kept, added, backgroundKept))
            return;
        backgroundKept = added;
        backgroundKind = arguments[0];
        backgroundArgs = arguments;
        backgroundArgs.take(0);
        backgroundLine = currentPlace().line;
        readBackground();
    } else if (keyword == "BUTTON") {
        if (arguments.count() == 0)
            return;
        currentButton = checkedNumber(arguments[0]);
        currentButtonLine = currentPlace().line;
        anyButtonLine = true;
        if (currentButton < 0 || currentButton >= BUTTON_COUNT)
            diagnose(DIAGNOSTIC_ERROR,
                     "BUTTON=%d is not an element (elements are 0 to %d): the lines up to the "
                     "next BUTTON are ignored",
                     static_cast<int>(currentButton), BUTTON_COUNT - 1);
        else if (buttons[currentButton])
            diagnose(DIAGNOSTIC_WARNING,
                     "element %d is already defined at line %d: these lines change it",
                     static_cast<int>(currentButton),
                     static_cast<int>(buttons[currentButton]->buttonLine));
    } else if (keyword == "RETURN") {
        if (!keep(kept, KeptWords(arguments), KeptWords(returnAction)))
            return;
        returnAction = arguments;
        returnLine = currentPlace().line;
        checkActionWords(arguments);
    } else if (keyword == "PAGE" || keyword == "STARTPAGE" || keyword == "VARIABLE") {
        // The skin's own keywords (skinKeywords), on a line whose arguments kept it from the
        // skin's reading, which reports it. It is no element's line either: it must not make
        // one.
    } else if (currentButton >= 0 && currentButton < BUTTON_COUNT) {
        if (!buttons[currentButton]) {
            buttons[currentButton] = new Button();
            buttons[currentButton]->buttonLine = currentButtonLine;
        }
        buttons[currentButton]->applyDirective(keyword, arguments);
    } else if (!elementKeywords.contains(keyword.text())) {
        reportUnknownKeyword(keyword, allSkinKeywords);
    } else if (!anyButtonLine) {
        diagnose(DIAGNOSTIC_ERROR,
                 "'%s' comes before any BUTTON line of this page: the line is "
                 "ignored",
                 keyword.text());
    }
}

bool Page::hasContent() const
{
    if (backgroundKind.text() || returnAction.count() > 0)
        return true;
    for (int i = 0; i < BUTTON_COUNT; ++i) {
        if (buttons[i])
            return true;
    }
    return false;
}

void Page::handleInput(WString::Array& actions, int& code)
{
    if (selected >= 0 && selected < BUTTON_COUNT && buttons[selected])
        buttons[selected]->handleInput(actions, code);
    if (code == NAV_OPTIONS) {
        actions = returnAction;
        code = NAV_NONE;
    }
    if (actions.count() == 0)
        return;
    if (actions[0] == "exec" || actions[0] == "config") {
        expandBrowserVariables(actions);
    } else if (actions[0] == "select" && actions.count() == 2) {
        const int target = skinNumber(actions[1]);
        if (target >= 0 && target < BUTTON_COUNT && buttons[target])
            selected = target;
    }
}

void Page::expandBrowserVariables(WString::Array& actions) const
{
    if (actions.count() < 3)
        return;
    VariableStore variables;
    if (!setListVariables(buttons, BUTTON_COUNT, variables))
        return;
    fillListReferences(variables, actions, 1);
}

bool Page::entryToStart(int element, PlayedEntry& entry) const
{
    const Button* button = element >= 0 && element < BUTTON_COUNT ? buttons[element] : 0;
    if (!button || !button->browser || !button->browser->pickedEntry(entry))
        return false;
    if (entry.words.count() == 0)
        entry.words = button->action;
    if (entry.words.count() < 3 || !(entry.words[0] == "exec"))
        return false;
    expandBrowserVariables(entry.words);
    return entry.words.count() >= 3 && !entry.words[2].isEmpty();
}

// Reads a BACKGROUND line once, as it is read: reports what it does not draw as written (a known
// kind with its count of arguments, each a picture name or a colour) and keeps the fill and the
// colours it draws with.
void Page::readBackground()
{
    backgroundFill = FILL_BLACK;
    const char* const black = "the screen is black";
    if (!checkWord(backgroundKind, backgroundKinds, "background kind", "kinds", black,
                   DIAGNOSTIC_ERROR, false))
        return;
    // A picture background reads its first argument whatever follows it; colours draw only
    // when they are exactly as many as the kind reads.
    const bool image = backgroundKind == "image";
    const bool gradient = backgroundKind == "gradient";
    const int wanted = gradient ? 2 : 1;
    if (!checkArgumentCount("BACKGROUND", backgroundKind, backgroundArgs.count(), wanted, wanted,
                            !image, black))
        return;
    if (image) {
        checkSpaces(backgroundArgs[0], "picture");
        return;
    }
    for (int i = 0; i < wanted; ++i)
        backgroundColors[i] = checkedColor(backgroundArgs[i]);
    backgroundFill = gradient ? FILL_GRADIENT : FILL_COLOR;
}

void Page::loadBackground(const PageContext& context)
{
    if (backgroundLoaded)
        return;
    backgroundLoaded = 1;
    if (backgroundKind != "image" || backgroundArgs.count() == 0 || !backgroundArgs[0].text() ||
        !context.images)
        return;
    const char* const name = backgroundArgs[0].text();
    backgroundSlot = context.images->request(name, 15, false);
    backgroundImage = context.images->image(backgroundSlot);
    const SourcePlace place(context.skinPath, context.skinPath ? backgroundLine : 0);
    if (!backgroundImage) {
        diagnoseAt(place, DIAGNOSTIC_ERROR, "%s: the screen is black",
                   cannotLoadPicture(name).text());
    } else if (backgroundImage->width != SCREEN_WIDTH || backgroundImage->height != SCREEN_HEIGHT) {
        const bool smaller =
            backgroundImage->width < SCREEN_WIDTH || backgroundImage->height < SCREEN_HEIGHT;
        diagnoseAt(place, DIAGNOSTIC_WARNING, "background picture '%s' is %dx%d, not %dx%d: %s",
                   name, static_cast<int>(backgroundImage->width),
                   static_cast<int>(backgroundImage->height), SCREEN_WIDTH, SCREEN_HEIGHT,
                   smaller ? "the rest of the screen is black" : "it is cut at the screen's edges");
    }
}

void Page::drawBackground(uint16_t* frame, const PageContext& context)
{
    if (backgroundImage) {
        const DLImage* picture = context.images ? context.images->picture(backgroundSlot) : 0;
        // A picture smaller than the screen leaves the rest of the frame black rather than
        // showing whatever an earlier frame left in this buffer.
        if (!picture || picture->width < SCREEN_WIDTH || picture->height < SCREEN_HEIGHT ||
            !picture->pixels)
            memset(frame, 0, SCREEN_BYTES);
        if (picture)
            picture->blit(frame, 0, 0);
    } else if (backgroundFill == FILL_COLOR) {
        fillFrame(frame, backgroundColors[0]);
    } else if (backgroundFill == FILL_GRADIENT) {
        fillGradient(frame, backgroundColors[0], backgroundColors[1]);
    } else {
        memset(frame, 0, SCREEN_BYTES);
    }
}

void Page::draw(uint16_t* frame, const PageContext& context)
{
    if (context.images)
        context.images->newFrame();
    loadBackground(context);
    if (frame)
        drawBackground(frame, context);
    for (int i = 0; i < BUTTON_COUNT; ++i) {
        if (buttons[i])
            buttons[i]->draw(frame, i == selected, context, buttons);
    }
}
