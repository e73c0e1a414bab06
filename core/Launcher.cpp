// Start-up, the main loop and the actions it carries out.
#include "core/Launcher.h"

#include "base/Check.h"
#include "base/Diagnostics.h"
#include "config/ConfigUpdate.h"
#include "config/SkinReader.h"
#include "core/Launch.h"
#include "core/Navigation.h"
#include "core/Notice.h"
#include "core/ProcessObjects.h"
#include "core/Resume.h"
#include "page/Button.h"
#include "page/PageTargets.h"
#include "page/SkinValues.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <errno.h>
#include <new>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

const char baseDirectory[] = "/mnt/sd/Tarvo/";
const char fontPicture[] = "ARIALN.TTF_0_12_255_255_255.png";
const char versionText[] = "Tarvo 0.4";
// The skin read when none is set, and instead of one that cannot be shown.
const char defaultSkin[] = "concept";
const char resumeFile[] = "Tarvo.resume";
const char newResumeFile[] = "Tarvo.newresume";
const int mostRecent = 50;
const int mostFavourites = 1000;

bool isPageIndex(int32_t index)
{
    return index >= 0 && index < Launcher::PAGE_COUNT;
}

// What stops a skin from being shown, as a diagnostic says it (the skin folder, or the skin
// file's path) and as the notice says it.
const char* const skinFaultMessages[] = {
    "", "skin folder '%s' does not exist", "skin folder '%s' has no Tarvo.skin",
    "'%s' cannot be read", "skin '%s' has no page with anything on it"};
const char* const skinFaultNotices[] = {"", "not found", "not found", "cannot be read",
                                        "has nothing to show"};

// A start as it can be made again: the words as launchProgram passes them (up to the first
// without text, at most the argument table's), the folder the program runs in filled in when the
// words leave it to the working folder.
void completeStart(PlayedEntry& entry)
{
    WString::Array& words = entry.words;
    int count = 0;
    while (count < words.count() && count < LAUNCH_ARGUMENT_SLOTS + 1 &&
           (count < 2 || words[count].text()))
        ++count;
    words.resize(count);
    if (count < 2 || !words[1].isEmpty())
        return;
    char folder[4096];
    if (getcwd(folder, sizeof folder - 1)) {
        words[1] = folder;
        if (words[1][words[1].length() - 1] != '/')
            words[1] += '/';
    }
}

// The file a start names when no list gave it: the program, in the folder it starts from when
// it is a relative path.
WString programFile(const WString& folder, const WString& program)
{
    if (program.find('/') < 0 || program[0] == '/')
        return program;
    WString path = folder;
    if (path.length() > 0 && path[path.length() - 1] != '/')
        path += '/';
    WString relative = program;
    while (relative.find("./") == 0)
        relative = relative.mid(2);
    return path + relative;
}

// A speed setting as ClockControl::setSpeed takes it: one value or three, the first 33 to 320 MHz.
void checkSpeed(const char* name, const WString::Array& values)
{
    if (values.count() != 1 && values.count() != 3) {
        diagnose(DIAGNOSTIC_ERROR, "%s takes 1 or 3 values, not %d: the speed is not set", name,
                 values.count());
        return;
    }
    const int mhz = checkedNumber(values[0]);
    if (mhz < 33 || mhz > 320)
        diagnose(DIAGNOSTIC_ERROR, "%s '%s' is not 33 to 320 MHz: the speed is not set", name,
                 textOf(values[0]));
}

void checkKeyboardRate(const WString::Array& values)
{
    if (values.count() >= 1) {
        const int delay = checkedNumber(values[0]);
        if (delay < 0 || delay > 9999)
            diagnose(DIAGNOSTIC_ERROR,
                     "KEYBOARD_RATE delay '%s' is not 0 to 9999 ms: the delay stays %d ms",
                     textOf(values[0]), static_cast<int>(KeyRepeat::DEFAULT_DELAY_MS));
    }
    if (values.count() >= 2) {
        const int perSecond = checkedNumber(values[1]);
        if (perSecond < 1 || perSecond > 999)
            diagnose(DIAGNOSTIC_ERROR,
                     "KEYBOARD_RATE rate '%s' is not 1 to 999 a second: repeats stay %d ms apart",
                     textOf(values[1]), static_cast<int>(KeyRepeat::DEFAULT_PERIOD_MS));
    }
    if (values.count() > 2)
        diagnose(DIAGNOSTIC_WARNING,
                 "KEYBOARD_RATE takes a delay and a rate, not %d values: the rest are ignored",
                 values.count());
}

} // namespace

Launcher::Launcher(const LauncherOptions& launcherOptions)
    : options(launcherOptions),
      recent("/mnt/sd/Tarvo/Tarvo.recent", "/mnt/sd/Tarvo/Tarvo.newrecent", mostRecent,
             PlayedList::NEWEST_FIRST),
      favourites("/mnt/sd/Tarvo/Tarvo.favourites", "/mnt/sd/Tarvo/Tarvo.newfavourites",
                 mostFavourites, PlayedList::SORTED),
      currentPage(0), firstPage(0), noticeSince(0)
{
}

void Launcher::start()
{
    currentPage = 0;
    baseDir = baseDirectory;
    configPath = baseDir + "Tarvo.cfg";
    bringUpPlatform();
    readFiles();
}

void Launcher::readFiles()
{
    // What the files said before is no longer news: this reading says it again if it still holds.
    forgetReportedDiagnostics();
    notice.clear();
    loadFont();
    variableStore.load(configPath.text());
    checkSettings();
    // After the configuration, so that these replace any variables of the same names in it.
    variableStore.setText("basedir", baseDir.text());
    variableStore.setText("version", versionText);
    chooseSkin();
    readKeyboardRate();
}

void Launcher::reload()
{
    // What was on show, to be found again: the page, each page's selection and the folder and
    // entry of every file list that has been drawn. Lists are kept by slot, page * 64 + element.
    const int32_t shownPage = currentPage;
    int32_t selections[PAGE_COUNT];
    int32_t* listSlots = new int32_t[PAGE_COUNT * Page::BUTTON_COUNT];
    WString::Array listFolders;
    WString::Array listEntries;
    for (int p = 0; p < PAGE_COUNT; ++p) {
        selections[p] = pages[p].selected;
        for (int b = 0; b < Page::BUTTON_COUNT; ++b) {
            const Button* button = pages[p].buttons[b];
            if (button && button->browser) {
                listSlots[listFolders.count()] = p * Page::BUTTON_COUNT + b;
                listFolders.append(button->browser->cwd);
                listEntries.append(button->browser->selectedEntry());
            }
        }
    }

    // The pages hold pictures of the cache: they go first.
    resetPages();
    imageCache.clear();
    previewCache.clear();
    readFiles();

    if (isPageIndex(shownPage) && pages[shownPage].hasContent())
        currentPage = shownPage;
    for (int p = 0; p < PAGE_COUNT; ++p) {
        const int32_t selected = selections[p];
        if (selected >= 0 && selected < Page::BUTTON_COUNT && pages[p].buttons[selected])
            pages[p].selected = selected;
    }
    const PageContext context = drawingContext();
    for (int i = 0; i < listFolders.count(); ++i) {
        Button* button =
            pages[listSlots[i] / Page::BUTTON_COUNT].buttons[listSlots[i] % Page::BUTTON_COUNT];
        if (!button || !(button->type == "selector"))
            continue;
        button->loadResources(context);
        if (button->browser)
            button->browser->moveTo(listFolders[i], listEntries[i]);
    }
    delete[] listSlots;
    pages[currentPage].draw(0, context);
}

WString Launcher::fontFile() const
{
    return baseDir + fontPicture;
}

const Page& Launcher::page(int index) const
{
    TARVO_CHECK(isPageIndex(index));
    return pages[index];
}

void Launcher::loadFont()
{
    const WString path = fontFile();
    if (font.load(path.text()))
        return;
    struct stat info;
    diagnoseAt(SourcePlace(path.text(), 0), DIAGNOSTIC_WARNING,
               statPath(path.text(), &info) != 0
                   ? "the font picture is missing: text is drawn with the font built into the "
                     "launcher"
                   : "the font picture cannot be read: text is drawn with the font built into "
                     "the launcher");
    font.loadBuiltIn();
}

// Values the launcher would ignore, reported at their line of Tarvo.cfg.
void Launcher::checkSettings()
{
    static const char* const speeds[] = {"SPEED_MENU", "SPEED_LAUNCH", "SPEED_LOADING"};
    WString::Array values;
    if (variableStore.find("KEYBOARD_RATE", values)) {
        setCurrentPlace(SourcePlace(configPath.text(), variableStore.lineOf("KEYBOARD_RATE")));
        checkKeyboardRate(values);
    }
    for (int i = 0; i < 3; ++i) {
        if (variableStore.find(speeds[i], values)) {
            setCurrentPlace(SourcePlace(configPath.text(), variableStore.lineOf(speeds[i])));
            checkSpeed(speeds[i], values);
        }
    }
    const WString resume = variableStore.getText("RESUME", "0");
    if (!(resume == "0") && !(resume == "1"))
        diagnoseAt(SourcePlace(configPath.text(), variableStore.lineOf("RESUME")), DIAGNOSTIC_ERROR,
                   "RESUME '%s' is not 0 or 1: the launcher starts at the start page",
                   textOf(resume));
}

void Launcher::chooseSkin()
{
    const WString name(options.skinName ? WString(options.skinName)
                                        : variableStore.getText("SKIN", defaultSkin));
    shownSkin.clear();
    const SkinFault fault = readSkin(name);
    if (fault == SKIN_SHOWN) {
        shownSkin = name;
        return;
    }

    // Reported where the skin was chosen: the SKIN line, or the skin file when none chose it.
    const int skinLine = options.skinName ? 0 : variableStore.lineOf("SKIN");
    const SourcePlace chosenAt =
        skinLine > 0 ? SourcePlace(configPath.text(), skinLine) : SourcePlace(skinPath.text(), 0);
    const bool fallBack = !options.skinName && !(name == defaultSkin);
    WString what;
    what.format(skinFaultMessages[fault],
                textOf(fault == SKIN_UNREADABLE  ? skinPath
                           : fault == SKIN_EMPTY ? name
                                                 : skinDir));
    if (!fallBack) {
        diagnoseAt(chosenAt, DIAGNOSTIC_ERROR, "%s: the screen stays black", what.text());
        showNotice(WString().format("Skin '%s' %s: nothing to show", textOf(name),
                                    skinFaultNotices[fault]));
        return;
    }

    // Nothing of the skin that failed may show through the fallback. What reading the fallback
    // finds is said after the line that says it is read, and that line says what came of it.
    resetPages();
    HeldDiagnostics fallbackFindings;
    DiagnosticSink* sink = diagnosticSink();
    setDiagnosticSink(&fallbackFindings);
    const SkinFault fallbackFault = readSkin(WString(defaultSkin));
    setDiagnosticSink(sink);
    if (fallbackFault == SKIN_SHOWN) {
        diagnoseAt(chosenAt, DIAGNOSTIC_ERROR, "%s: the skin '%s' is read instead", what.text(),
                   defaultSkin);
        fallbackFindings.release(sink);
        shownSkin = defaultSkin;
        showNotice(WString().format("Skin '%s' %s: showing '%s'", textOf(name),
                                    skinFaultNotices[fault], defaultSkin));
        return;
    }
    diagnoseAt(chosenAt, DIAGNOSTIC_ERROR,
               "%s, and the skin '%s' cannot be shown either: the screen stays black", what.text(),
               defaultSkin);
    fallbackFindings.release(sink);
    what.format(skinFaultMessages[fallbackFault],
                fallbackFault == SKIN_UNREADABLE  ? textOf(skinPath)
                    : fallbackFault == SKIN_EMPTY ? defaultSkin
                                                  : textOf(skinDir));
    diagnoseAt(SourcePlace(skinPath.text(), 0), DIAGNOSTIC_ERROR, "%s: the screen stays black",
               what.text());
    showNotice(WString().format("Skin '%s' %s, and '%s' %s: nothing to show", textOf(name),
                                skinFaultNotices[fault], defaultSkin,
                                skinFaultNotices[fallbackFault]));
}

Launcher::SkinFault Launcher::readSkin(const WString& name)
{
    currentPage = 0;
    firstPage = 0;
    skinDir = baseDir + "skins/" + name + "/";
    skinPath = skinDir + "Tarvo.skin";
    variableStore.setText("skindir", skinDir.text());

    SkinReader reader(skinPath.text());
    if (!reader.isOpen())
        return whySkinIsUnreadable();
    // The line of the last STARTPAGE naming each page (0: none), weighed once the pages are read.
    int32_t startPageLines[PAGE_COUNT];
    for (int i = 0; i < PAGE_COUNT; ++i)
        startPageLines[i] = 0;
    int32_t targetPage = -1;
    bool anyPageLine = false;
    WString keyword;
    WString::Array arguments;
    while (reader.next(keyword, arguments)) {
        // Once, against what is defined so far: a VARIABLE line sees only the lines above it.
        for (int i = 0; i < arguments.count(); ++i)
            arguments[i] = variableStore.expand(WString(arguments[i]), VariableStore::REPORTING);

        const bool skinKeyword =
            keyword == "PAGE" || keyword == "STARTPAGE" || keyword == "VARIABLE";
        if (keyword == "PAGE" && arguments.count() == 1) {
            targetPage = checkedNumber(arguments[0]);
            anyPageLine = true;
            if (!isPageIndex(targetPage))
                diagnose(DIAGNOSTIC_ERROR,
                         "PAGE=%s is not a page (pages are 0 to 127): the lines up to the next "
                         "PAGE are ignored",
                         textOf(arguments[0]));
        } else if (keyword == "STARTPAGE" && arguments.count() == 1) {
            int32_t start = checkedNumber(arguments[0]);
            if (isPageIndex(start))
                startPageLines[start] = reader.place().line;
            else
                diagnose(DIAGNOSTIC_ERROR,
                         "STARTPAGE=%s is not a page (pages are 0 to 127): the line is ignored",
                         textOf(arguments[0]));
        } else if (keyword == "VARIABLE" && arguments.count() >= 2) {
            WString name = arguments.take(0);
            // Stored as ever, but "%%" is a lone '%', so nothing can read it back.
            if (name.length() == 0)
                diagnose(DIAGNOSTIC_ERROR,
                         "VARIABLE has an empty name: no %%name%% reference "
                         "can use its values, so the line does nothing");
            variableStore.setValues(name.text() ? name.text() : "", arguments);
        } else {
            // The skin's own keywords reach a page only malformed; the page says nothing of them.
            if (keyword == "VARIABLE")
                diagnose(DIAGNOSTIC_ERROR,
                         "VARIABLE takes a name and at least one value: the line is ignored");
            else if (skinKeyword)
                diagnose(DIAGNOSTIC_ERROR,
                         "%s takes one number, not %d arguments: the line is "
                         "ignored",
                         keyword.text(), arguments.count());
            else if (!anyPageLine)
                diagnose(DIAGNOSTIC_ERROR, "'%s' comes before any PAGE line: the line is ignored%s",
                         keyword.text(),
                         keyword[0] == '#' ? " (comments start with //, not #)" : "");
            if (isPageIndex(targetPage))
                pages[targetPage].applyDirective(keyword, arguments);
        }
    }

    bool anyContent = false;
    for (int i = 0; i < PAGE_COUNT && !anyContent; ++i)
        anyContent = pages[i].hasContent();
    if (!anyContent)
        return SKIN_EMPTY;
    chooseStartPage(startPageLines);
    checkPageTargets(pages, PAGE_COUNT, skinPath.text());
    return SKIN_SHOWN;
}

Launcher::SkinFault Launcher::whySkinIsUnreadable() const
{
    struct stat info;
    if (statPath(skinDir.text(), &info) != 0 || !S_ISDIR(info.st_mode))
        return SKIN_NO_FOLDER;
    if (statPath(skinPath.text(), &info) != 0 && errno == ENOENT)
        return SKIN_NO_FILE;
    return SKIN_UNREADABLE;
}

// The last STARTPAGE that names a page with something on it wins; one naming an empty page is
// ignored, as one outside the pages is.
void Launcher::chooseStartPage(const int32_t* startPageLines)
{
    int32_t latest = 0;
    for (int i = 0; i < PAGE_COUNT; ++i) {
        if (startPageLines[i] == 0)
            continue;
        if (!pages[i].hasContent()) {
            diagnoseAt(SourcePlace(skinPath.text(), startPageLines[i]), DIAGNOSTIC_ERROR,
                       "STARTPAGE=%d names a page with nothing on it: the line is ignored", i);
        } else if (startPageLines[i] > latest) {
            latest = startPageLines[i];
            currentPage = i;
        }
    }
    firstPage = currentPage;
}

void Launcher::resetPages()
{
    for (int i = 0; i < PAGE_COUNT; ++i) {
        pages[i].~Page();
        new (&pages[i]) Page();
    }
}

void Launcher::readKeyboardRate()
{
    uint32_t delayMs = KeyRepeat::DEFAULT_DELAY_MS;
    uint32_t periodMs = KeyRepeat::DEFAULT_PERIOD_MS;
    WString::Array rate;
    if (variableStore.find("KEYBOARD_RATE", rate)) {
        if (rate.count() >= 1) {
            int32_t delay = skinNumber(rate[0]);
            if (delay >= 0 && delay <= 9999)
                delayMs = static_cast<uint32_t>(delay);
        }
        if (rate.count() >= 2) {
            // Repeats per second.
            int32_t perSecond = skinNumber(rate[1]);
            if (perSecond >= 1 && perSecond <= 999)
                periodMs = static_cast<uint32_t>(1000 / perSecond);
        }
        printf("Keyboard rate set to %i, %i\n", static_cast<int>(delayMs),
               static_cast<int>(periodMs));
    }
    repeat.setTiming(delayMs, periodMs);
}

void Launcher::run()
{
    start();
    resumeWhereLeft();
    for (;;)
        pass();
}

void Launcher::resumeWhereLeft()
{
    if (resumeIsOn() && !shownSkin.isEmpty())
        restoreFromResumeFile((baseDir + resumeFile).text(), shownSkin, pages, PAGE_COUNT,
                              currentPage, drawingContext());
}

void Launcher::runProcess(const LauncherOptions& options)
{
    static Launcher launcher(options);
    launcher.run();
}

bool Launcher::pass()
{
    ButtonMask buttons = readButtons();
    if (!repeat.changed(buttons)) {
        platformSleepMs(1);
        if (!repeat.repeatDue(buttons)) {
            if (notice.isEmpty() || platformMilliseconds() - noticeSince < NOTICE_SHOWN_MS)
                return false;
            notice.clear();
            showFrame();
            return true;
        }
    }
    if (!notice.isEmpty() && repeat.pressed(buttons) &&
        platformMilliseconds() - noticeSince >= NOTICE_READ_MS)
        notice.clear();
    repeat.startEvent(buttons);

    if ((buttons & (BUTTON_SELECT | BUTTON_START)) == (BUTTON_SELECT | BUTTON_START))
        returnToMenuOrRecover();

    WString::Array actions;
    int code = navigationCode(buttons);
    const bool fromList = code == NAV_ACTION;
    if (code != NAV_NONE)
        pages[currentPage].handleInput(actions, code);
    if (actions.count() > 0)
        carryOut(actions, fromList);

    showFrame();
    return true;
}

PageContext Launcher::drawingContext()
{
    PageContext context(&font, &imageCache, &batteryReader, &clockControl, skinPath.text(),
                        &previewCache);
    context.recent = &recent;
    context.favourites = &favourites;
    // A held direction scrolling a list draws without decoding previews.
    context.directionRepeat = repeat.lastEventRepeated();
    return context;
}

void Launcher::showFrame()
{
    pages[currentPage].draw(backBuffer, drawingContext());
    if (!notice.isEmpty())
        drawNotice(backBuffer, font, notice.text());
    presentFrame();

    WString::Array speed;
    if (variableStore.find("SPEED_MENU", speed))
        clockControl.setSpeed(speed);
}

void Launcher::carryOut(WString::Array& actions, bool fromList)
{
    if (actions.count() == 2 && actions[0] == "page") {
        selectPage(skinNumber(actions[1]));
        return;
    }
    printf("Action is %s\n", textOf(actions.join("--")));
    if (actions[0] == "exec") {
        if (options.dryRunExec) {
            printf("Would run: %s\n", textOf(actions.join(" ")));
            if (options.notStartedNotice)
                showNotice(options.notStartedNotice);
        } else if (options.cardProgramsOnly && actions.count() >= 3 &&
                   !programLiesOnCard(actions[1].text(), actions[2].text())) {
            printf("Would run: %s\n", textOf(actions.join(" ")));
            showNotice(WString().format("Not started: %s is not on the card", textOf(actions[2])));
        } else {
            const bool recorded = recordStart(actions, fromList);
            // The check above names what is refused; the start checks again the very file it
            // runs, since the card may change in between.
            startProgram(actions, options.cardProgramsOnly ? CARD_PROGRAMS_ONLY : ANY_PROGRAM);
            // Still here: nothing was played.
            if (recorded) {
                recent.undo();
                refreshPlayedLists();
            }
        }
    } else if (actions[0] == "quit") {
        returnToMenuOrRecover();
    } else if (actions[0] == "config") {
        updateConfiguration(actions);
    } else if (actions[0] == "favourite") {
        toggleFavourite(actions);
    } else if (actions[0] == "clear") {
        clearRecent(actions);
    }
}

// Before the hand-over; whether Tarvo.recent now holds the start. The program starts whether or
// not it could be recorded.
bool Launcher::recordStart(const WString::Array& words, bool fromList)
{
    if (words.count() < 3 || words[2].text() == 0)
        return false;
    PlayedEntry entry;
    const Page& page = pages[currentPage];
    const Button* button =
        page.selected >= 0 && page.selected < Page::BUTTON_COUNT ? page.buttons[page.selected] : 0;
    const bool listed =
        fromList && button && button->browser && button->browser->pickedEntry(entry);
    entry.words = words;
    completeStart(entry);
    if (!listed) {
        entry.file = programFile(entry.words[1], entry.words[2]);
        entry.name = entry.file.mid(entry.file.findLast('/') + 1);
        entry.speed.resize(0);
    }
    const PlayedList::Result result = recent.add(entry);
    if (result == PlayedList::TOO_LONG)
        diagnoseAt(SourcePlace(recent.path().text(), 0), DIAGNOSTIC_WARNING,
                   "the start of '%s' takes more than %d bytes: it is not recorded",
                   textOf(entry.name), static_cast<int>(PlayedList::MAX_LINE_BYTES));
    else if (result != PlayedList::SAVED)
        showNotice(WString().format("Recently played not saved: %s", textOf(entry.name)));
    return result == PlayedList::SAVED;
}

void Launcher::toggleFavourite(const WString::Array& actions)
{
    if (actions.count() != 2)
        return;
    const int element = skinNumber(actions[1]);
    const Page& page = pages[currentPage];
    PlayedEntry entry;
    if (!page.entryToStart(element, entry)) {
        // Said when the skin was read (checkPageTargets) when the element has no list.
        const FileBrowser* list =
            element >= 0 && element < Page::BUTTON_COUNT && page.buttons[element]
            ? page.buttons[element]->browser
            : 0;
        if (list && list->entries.count() > 0)
            showNotice(WString().format("Not a program: %s", textOf(list->selectedEntry())));
        return;
    }
    completeStart(entry);
    const int at = favourites.find(entry.file);
    const PlayedList::Result result = at >= 0 ? favourites.remove(at) : favourites.add(entry);
    const char* const name = textOf(entry.name);
    if (result == PlayedList::SAVED)
        showNotice(WString().format(
            at >= 0 ? "Removed from favourites: %s" : "Added to favourites: %s", name));
    else if (result == PlayedList::LIST_FULL)
        showNotice(
            WString().format("Favourites are full (%d): %s is not added", mostFavourites, name));
    else if (result == PlayedList::TOO_LONG)
        showNotice(WString().format("Too long for the favourites: %s", name));
    else
        showNotice(WString().format("Favourites not saved: %s", name));
    refreshPlayedLists();
}

void Launcher::clearRecent(const WString::Array& actions)
{
    if (actions.count() != 2 || !(actions[1] == "recent"))
        return;
    showNotice(recent.clear() == PlayedList::SAVED ? "Recently played cleared"
                                                   : "Recently played not cleared");
    refreshPlayedLists();
}

void Launcher::refreshPlayedLists()
{
    for (int p = 0; p < PAGE_COUNT; ++p) {
        for (int b = 0; b < Page::BUTTON_COUNT; ++b) {
            Button* button = pages[p].buttons[b];
            if (button && button->browser)
                button->browser->refresh();
        }
    }
}

void Launcher::showNotice(const WString& text)
{
    notice = text;
    noticeSince = platformMilliseconds();
}

void Launcher::selectPage(int32_t index)
{
    // A page with nothing on it was reported when the skin was read (checkPageTargets).
    if (isPageIndex(index) && pages[index].hasContent())
        currentPage = index;
}

void Launcher::showPage(int32_t index)
{
    selectPage(index);
    showFrame();
}

void Launcher::updateConfiguration(WString::Array& actions)
{
    // A bare "config", or one whose key is empty, names nothing to write (a line "=value" would
    // only be skipped when the file is read), and so gives no reason to leave for the menu.
    if (actions.count() < 2 || actions[1].length() == 0)
        return;
    actions.take(0);
    WString key = actions.take(0);
    if (options.dryRunConfig) {
        printf("Would set: %s=%s\n", textOf(key), textOf(actions.join(",")));
        return;
    }
    if (!updateConfigFile(configPath.text(), (baseDir + "Tarvo.newcfg").text(), key, actions)) {
        // The file is as it was: leaving for the menu would pretend otherwise.
        showNotice(
            WString().format("Setting not saved: %s=%s", textOf(key), textOf(actions.join(","))));
        return;
    }
    // Switching RESUME takes effect at this hand-over already.
    WString name(key);
    name.trim();
    name.toUpper();
    if (name == "RESUME")
        variableStore.setValues("RESUME", actions);
    startMenu();
}

void Launcher::startProgram(const WString::Array& words, ProgramSource source)
{
    writeResume();
    const int reason = launchProgram(words, source);
    if (reason != 0)
        showNotice(WString().format("Could not start %s: %s", textOf(words[2]), strerror(reason)));
}

void Launcher::startMenu()
{
    if (options.menuThroughPlatform) {
        returnToMenuOrRecover();
        return;
    }
    WString::Array words("exec", "/usr/gp2x/", "/usr/gp2x/gp2xmenu", static_cast<char*>(0));
    startProgram(words);
}

void Launcher::returnToMenuOrRecover()
{
    writeResume();
    returnToMenu();
    // The menu did not start and the platform is shut down: bring it back before drawing again.
    bringUpPlatform();
}

bool Launcher::resumeIsOn() const
{
    return variableStore.getText("RESUME", "0") == "1";
}

// Before every hand-over, so that a program that does not start leaves the file right too.
void Launcher::writeResume()
{
    if (!resumeIsOn() || shownSkin.isEmpty())
        return;
    const WString path = baseDir + resumeFile;
    if (writeResumeFile(path.text(), (baseDir + newResumeFile).text(), shownSkin, currentPage,
                        pages[currentPage]))
        return;
    // An older file would bring the next start back to somewhere else.
    unlinkPath(path.text());
    diagnoseAt(SourcePlace(path.text(), 0), DIAGNOSTIC_ERROR,
               "the file cannot be written: the next start shows the start page");
}
