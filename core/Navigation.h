// Navigation: the navigation code (page/NavigationCode.h) of a button state.
#ifndef TARVO_CORE_NAVIGATION_H
#define TARVO_CORE_NAVIGATION_H

#include "page/NavigationCode.h"
#include "platform/Platform.h"

#include <stdint.h>

// The code of a button state. The tests run in a fixed order that is not the numeric one: one
// main direction alone beats every button, then L, R, the action buttons (B or the stick pushed)
// and the options buttons (Start or X). Two main directions together (a diagonal) give no
// direction; A, Y, Select and the volume buttons alone give NAV_NONE.
int32_t navigationCode(ButtonMask buttons);

#endif
