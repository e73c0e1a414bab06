// The navigation code of each button state, with the priorities between buttons.
#include "core/Navigation.h"

#include <gtest/gtest.h>

TEST(NavigationTest, EachButtonStateGivesItsCodeInTheFixedOrder)
{
    const ButtonMask everyButton = BUTTON_L | BUTTON_R | BUTTON_B | BUTTON_STICK_PUSH |
        BUTTON_START | BUTTON_X | BUTTON_A | BUTTON_Y | BUTTON_SELECT;
    const struct {
        ButtonMask buttons;
        int code;
    } rows[] = {
        {BUTTON_LEFT, NAV_LEFT},
        {BUTTON_RIGHT, NAV_RIGHT},
        {BUTTON_UP, NAV_UP},
        {BUTTON_DOWN, NAV_DOWN},
        // A diagonal gives no direction; an unfolded diagonal switch does not spoil a direction
        // held with it.
        {BUTTON_UP | BUTTON_LEFT, NAV_NONE},
        {BUTTON_UP | BUTTON_UP_LEFT, NAV_UP},
        // A direction beats every button; then L, R, B or the stick push, Start or X.
        {BUTTON_LEFT | everyButton, NAV_LEFT},
        {BUTTON_L | BUTTON_R, NAV_PAGE_BACK},
        {BUTTON_R | BUTTON_B | BUTTON_START, NAV_PAGE_FORWARD},
        {BUTTON_B | BUTTON_START, NAV_ACTION},
        {BUTTON_STICK_PUSH | BUTTON_X, NAV_ACTION},
        {BUTTON_START | BUTTON_SELECT, NAV_OPTIONS},
        {BUTTON_X, NAV_OPTIONS},
        // Buttons without a meaning, and the GPIO port D lines.
        {0u, NAV_NONE},
        {BUTTON_A | BUTTON_Y | BUTTON_SELECT | BUTTON_VOLUME_UP | BUTTON_VOLUME_DOWN | 0x10000u,
         NAV_NONE},
    };
    for (const auto& row : rows)
        EXPECT_EQ(navigationCode(row.buttons), row.code) << std::hex << row.buttons;
}
