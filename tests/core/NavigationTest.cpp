// The navigation code of each button state, with the priorities between buttons.
#include "core/Navigation.h"

#include <gtest/gtest.h>

TEST(NavigationTest, SingleMainDirectionsGiveTheirCodes)
{
    EXPECT_EQ(navigationCode(BUTTON_LEFT), NAV_LEFT);
    EXPECT_EQ(navigationCode(BUTTON_RIGHT), NAV_RIGHT);
    EXPECT_EQ(navigationCode(BUTTON_UP), NAV_UP);
    EXPECT_EQ(navigationCode(BUTTON_DOWN), NAV_DOWN);
}

TEST(NavigationTest, DiagonalGivesNoDirection)
{
    EXPECT_EQ(navigationCode(BUTTON_UP | BUTTON_LEFT), NAV_NONE);
    EXPECT_EQ(navigationCode(BUTTON_DOWN | BUTTON_RIGHT), NAV_NONE);
    // An unfolded diagonal switch is not a main direction either...
    EXPECT_EQ(navigationCode(BUTTON_UP_LEFT), NAV_NONE);
    // ...nor does it spoil one held with it.
    EXPECT_EQ(navigationCode(BUTTON_UP | BUTTON_UP_LEFT), NAV_UP);
    // A diagonal with a button gives the button's code.
    EXPECT_EQ(navigationCode(BUTTON_UP | BUTTON_RIGHT | BUTTON_B), NAV_ACTION);
}

TEST(NavigationTest, DirectionBeatsEveryButton)
{
    ButtonMask everyButton = BUTTON_L | BUTTON_R | BUTTON_B | BUTTON_STICK_PUSH | BUTTON_START
                             | BUTTON_X | BUTTON_A | BUTTON_Y | BUTTON_SELECT;
    EXPECT_EQ(navigationCode(BUTTON_LEFT | everyButton), NAV_LEFT);
    EXPECT_EQ(navigationCode(BUTTON_DOWN | BUTTON_B), NAV_DOWN);
}

TEST(NavigationTest, ButtonsTakeTheirTurnInFixedOrder)
{
    EXPECT_EQ(navigationCode(BUTTON_L | BUTTON_R), NAV_PAGE_BACK);
    EXPECT_EQ(navigationCode(BUTTON_R | BUTTON_B | BUTTON_START), NAV_PAGE_FORWARD);
    EXPECT_EQ(navigationCode(BUTTON_B | BUTTON_START), NAV_ACTION);
    EXPECT_EQ(navigationCode(BUTTON_STICK_PUSH | BUTTON_X), NAV_ACTION);
    EXPECT_EQ(navigationCode(BUTTON_START), NAV_OPTIONS);
    EXPECT_EQ(navigationCode(BUTTON_X), NAV_OPTIONS);
    EXPECT_EQ(navigationCode(BUTTON_START | BUTTON_SELECT), NAV_OPTIONS);
}

TEST(NavigationTest, ButtonsWithoutMeaningGiveNone)
{
    for (ButtonMask buttons : { 0u, static_cast<unsigned>(BUTTON_A), static_cast<unsigned>(BUTTON_Y),
                                static_cast<unsigned>(BUTTON_SELECT),
                                static_cast<unsigned>(BUTTON_VOLUME_UP),
                                static_cast<unsigned>(BUTTON_VOLUME_DOWN), 0x00010000u })
        EXPECT_EQ(navigationCode(buttons), NAV_NONE) << buttons;
}
