// The key-repeat counting of the main loop.
#include "core/KeyRepeat.h"

namespace {

const ButtonMask mainDirections = BUTTON_UP | BUTTON_LEFT | BUTTON_DOWN | BUTTON_RIGHT;

} // namespace

KeyRepeat::KeyRepeat()
    : previousButtons(INITIAL_BUTTONS), holdCount(0), repeating(0), repeatDelay(0), repeatPeriod(0),
      lastRepeated(false)
{
    setTiming(DEFAULT_DELAY_MS, DEFAULT_PERIOD_MS);
}

void KeyRepeat::setTiming(uint32_t delayMs, uint32_t periodMs)
{
    repeatDelay = delayMs >> 3;
    repeatPeriod = periodMs >> 3;
}

bool KeyRepeat::repeatDue(ButtonMask buttons)
{
    if ((buttons & mainDirections) == 0) {
        repeating = 0;
        return false;
    }
    uint32_t threshold = repeating ? repeatPeriod : repeatDelay;
    // The comparison takes the count from before this poll, so a threshold of 0 repeats on every
    // unchanged poll.
    if (holdCount < threshold) {
        ++holdCount;
        return false;
    }
    ++holdCount;
    // Only zero or not matters; a count could wrap back to zero after 2^32 repeats.
    repeating = 1;
    return true;
}

void KeyRepeat::startEvent(ButtonMask buttons)
{
    lastRepeated = buttons == previousButtons;
    previousButtons = buttons;
    holdCount = 0;
}
