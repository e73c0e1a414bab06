// Start-up, the main loop and the actions it carries out.
#include "core/Launcher.h"

#include "config/ConfigUpdate.h"
#include "config/SkinReader.h"
#include "core/Launch.h"
#include "core/Navigation.h"
#include "core/Notice.h"
#include "core/ProcessObjects.h"
#include "page/SkinValues.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

const char baseDirectory[] = "/mnt/sd/Tarvo/";
const char fontFile[] = "ARIALN.TTF_0_12_255_255_255.png";
const char versionText[] = "Tarvo 0.4";

// A word as printf may print it: one that holds no text at all (an empty action, ACTION=) prints
// as nothing.
const char* printable(const WString& text)
{
    return text.text() ? text.text() : "";
}

bool isPageIndex(int32_t index)
{
    return index >= 0 && index < Launcher::PAGE_COUNT;
}

} // namespace

Launcher::Launcher(const LauncherOptions& launcherOptions)
    : options(launcherOptions), currentPage(0)
{
}

void Launcher::start()
{
    currentPage = 0;
    baseDir = baseDirectory;
    bringUpPlatform();
    font.load((baseDir + fontFile).text());
    variableStore.load((baseDir + "Tarvo.cfg").text());
    // After the configuration, so that these replace any variables of the same names in it.
    variableStore.setText("basedir", baseDir.text());
    variableStore.setText("version", versionText);
    WString skinName = variableStore.getText("SKIN", "concept");
    skinDir = baseDir + "skins/" + skinName + "/";
    variableStore.setText("skindir", skinDir.text());
    readSkin();
    readKeyboardRate();
}

void Launcher::readSkin()
{
    SkinReader reader((skinDir + "Tarvo.skin").text());
    int32_t targetPage = -1;
    WString keyword;
    WString::Array arguments;
    while (reader.next(keyword, arguments)) {
        // Once, against what is defined so far: a VARIABLE line sees only the lines above it.
        for (int i = 0; i < arguments.count(); ++i)
            arguments[i] = variableStore.expand(WString(arguments[i]));

        if (keyword == "PAGE" && arguments.count() == 1) {
            targetPage = skinNumber(arguments[0]);
        } else if (keyword == "STARTPAGE" && arguments.count() == 1) {
            int32_t start = skinNumber(arguments[0]);
            if (isPageIndex(start))
                currentPage = start;
        } else if (keyword == "VARIABLE" && arguments.count() >= 2) {
            WString name = arguments.take(0);
            variableStore.setValues(name.text(), arguments);
        } else if (isPageIndex(targetPage)) {
            pages[targetPage].applyDirective(keyword, arguments);
        }
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
    for (;;)
        pass();
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
        if (!repeat.repeatDue(buttons))
            return false;
    }
    repeat.startEvent(buttons);
    notice.clear();

    if ((buttons & (BUTTON_SELECT | BUTTON_START)) == (BUTTON_SELECT | BUTTON_START))
        returnToMenuOrRecover();

    WString::Array actions;
    int code = navigationCode(buttons);
    if (code != NAV_NONE)
        pages[currentPage].handleInput(actions, code);
    if (actions.count() > 0)
        carryOut(actions);

    pages[currentPage].draw(backBuffer,
                            PageContext(&font, &imageCache, &batteryReader, &clockControl));
    if (!notice.isEmpty())
        drawNotice(backBuffer, font, notice.text());
    presentFrame();

    WString::Array speed;
    if (variableStore.find("SPEED_MENU", speed))
        clockControl.setSpeed(speed);
    return true;
}

void Launcher::carryOut(WString::Array& actions)
{
    if (actions.count() == 2 && actions[0] == "page") {
        selectPage(actions[1]);
        return;
    }
    printf("Action is %s\n", printable(actions.join("--")));
    if (actions[0] == "exec") {
        if (options.dryRunExec) {
            printf("Would run: %s\n", printable(actions.join(" ")));
            if (options.notStartedNotice)
                showNotice(options.notStartedNotice);
        } else if (options.cardProgramsOnly && actions.count() >= 3 &&
                   !programLiesOnCard(actions[1].text(), actions[2].text())) {
            printf("Would run: %s\n", printable(actions.join(" ")));
            showNotice(
                WString().format("Not started: %s is not on the card", printable(actions[2])));
        } else {
            launchProgram(actions);
        }
    } else if (actions[0] == "quit") {
        returnToMenuOrRecover();
    } else if (actions[0] == "config") {
        updateConfiguration(actions);
    }
}

void Launcher::showNotice(const WString& text)
{
    notice = text;
}

void Launcher::selectPage(const WString& number)
{
    int32_t index = skinNumber(number);
    if (isPageIndex(index))
        currentPage = index;
}

void Launcher::updateConfiguration(WString::Array& actions)
{
    // A bare "config", or one whose key is empty, names nothing to write (a line "=value" would
    // only be skipped when the file is read), and so gives no reason to leave for the menu.
    if (actions.count() < 2 || actions[1].length() == 0)
        return;
    actions.take(0);
    WString key = actions.take(0);
    updateConfigFile((baseDir + "Tarvo.cfg").text(), (baseDir + "Tarvo.newcfg").text(), key,
                     actions);
    startMenu();
}

void Launcher::startMenu()
{
    if (options.menuThroughPlatform) {
        returnToMenuOrRecover();
        return;
    }
    WString::Array words("exec", "/usr/gp2x/", "/usr/gp2x/gp2xmenu", static_cast<char*>(0));
    launchProgram(words);
}

void Launcher::returnToMenuOrRecover()
{
    returnToMenu();
    // The menu did not start and the platform is shut down: bring it back before drawing again.
    bringUpPlatform();
}
