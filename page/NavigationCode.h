// NavigationCode: the one code each button event stands for, as the pages read it.
#ifndef TARVO_PAGE_NAVIGATIONCODE_H
#define TARVO_PAGE_NAVIGATIONCODE_H

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

#endif
