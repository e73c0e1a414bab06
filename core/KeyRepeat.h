// KeyRepeat: which polls of the buttons are events, including the automatic repeat of a held
// direction.
#ifndef TARVO_CORE_KEYREPEAT_H
#define TARVO_CORE_KEYREPEAT_H

#include "platform/Platform.h"

#include <stdint.h>

// Time is counted in polls, not clock time: the main loop sleeps one millisecond on every poll
// that finds the buttons unchanged, and each such poll stands for 8 ms of the configured delays
// (they are divided by 8 once, when set). A held main direction (up, left, down or right; a
// diagonal counts through its two neighbours) repeats first on the (delay + 1)-th unchanged poll
// after the event and then on every (period + 1)-th. Once a repeat has fired, the faster period
// stays in force across changes of the buttons until a poll finds no main direction held.
//
// The main loop uses it like this:
//     ButtonMask buttons = readButtons();
//     if (!repeat.changed(buttons)) {
//         sleep one millisecond;
//         if (!repeat.repeatDue(buttons)) the pass ends;
//     }
//     repeat.startEvent(buttons);  ... handle the event
class KeyRepeat {
public:
    enum {
        DEFAULT_DELAY_MS = 250,
        DEFAULT_PERIOD_MS = 33,
        // A state the buttons never produce in normal use, so the first poll is always an event.
        INITIAL_BUTTONS = 4711
    };

    // The default timing: 31 and 4 polls.
    KeyRepeat();

    // Milliseconds, as configured; stored divided by 8 (a logical shift by 3).
    void setTiming(uint32_t delayMs, uint32_t periodMs);

    bool changed(ButtonMask buttons) const { return buttons != previousButtons; }
    // Whether buttons holds a button that the last event did not: a press, not a release.
    bool pressed(ButtonMask buttons) const
    {
        return previousButtons != INITIAL_BUTTONS && (buttons & ~previousButtons) != 0;
    }

    // Counts one unchanged poll; true when a held direction repeats on it.
    bool repeatDue(ButtonMask buttons);

    // Remembers the state of an event (a change or a repeat) and starts counting anew.
    void startEvent(ButtonMask buttons);

    // Whether the last event was a repeat of held buttons rather than a change.
    bool lastEventRepeated() const { return lastRepeated; }

private:
    ButtonMask previousButtons;
    uint32_t holdCount;
    uint32_t repeating;
    uint32_t repeatDelay;
    uint32_t repeatPeriod;
    bool lastRepeated;
};

#endif
