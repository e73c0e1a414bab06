// Navigation codes: the one code each button event stands for, as the pages read it.
#ifndef TARVO_CORE_NAVIGATION_H
#define TARVO_CORE_NAVIGATION_H

#include "platform/Platform.h"

#include <stdint.h>

// The values are fixed: skins and pages depend on them. A page handler that uses a code sets it
// to NAV_NONE.
enum NavigationCode {
    NAV_NONE = 0,
    NAV_LEFT = 1,
    NAV_RIGHT = 2,
    NAV_UP = 3,
    NAV_DOWN = 4,
    NAV_ACTION = 5,
    NAV_OPTIONS = 6,
    NAV_PAGE_BACK = 7,
    NAV_PAGE_FORWARD = 8
};

// The code of a button state. The tests run in a fixed order that is not the numeric one: one
// main direction alone beats every button, then L, R, the action buttons (B or the stick pushed)
// and the options buttons (Start or X). Two main directions together (a diagonal) give no
// direction; A, Y, Select and the volume buttons alone give NAV_NONE.
int32_t navigationCode(ButtonMask buttons);

#endif
