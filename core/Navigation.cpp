// The mapping from a button state to a navigation code.
#include "core/Navigation.h"

namespace {

// Up, left, down and right; the diagonal switches in between are left out, so a lone diagonal
// counts only through the two neighbours the platform folds it into.
const ButtonMask mainDirections = BUTTON_UP | BUTTON_LEFT | BUTTON_DOWN | BUTTON_RIGHT;

} // namespace

int32_t navigationCode(ButtonMask buttons)
{
    switch (buttons & mainDirections) {
    case BUTTON_LEFT:
        return NAV_LEFT;
    case BUTTON_RIGHT:
        return NAV_RIGHT;
    case BUTTON_UP:
        return NAV_UP;
    case BUTTON_DOWN:
        return NAV_DOWN;
    default:
        break;
    }
    if (buttons & BUTTON_L)
        return NAV_PAGE_BACK;
    if (buttons & BUTTON_R)
        return NAV_PAGE_FORWARD;
    if (buttons & (BUTTON_STICK_PUSH | BUTTON_B))
        return NAV_ACTION;
    if (buttons & (BUTTON_START | BUTTON_X))
        return NAV_OPTIONS;
    return NAV_NONE;
}
