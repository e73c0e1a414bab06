// Which polls are events: changes of the buttons and the automatic repeat of held directions.
#include "core/KeyRepeat.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Plays polls through the repeat logic the way the main loop does and gives the numbers (from 1)
// of the polls that were events.
std::vector<int> eventPolls(KeyRepeat& repeat, const std::vector<ButtonMask>& polls)
{
    std::vector<int> events;
    for (std::size_t i = 0; i < polls.size(); ++i) {
        if (!repeat.changed(polls[i]) && !repeat.repeatDue(polls[i]))
            continue;
        repeat.startEvent(polls[i]);
        events.push_back(static_cast<int>(i) + 1);
    }
    return events;
}

std::vector<ButtonMask> held(ButtonMask buttons, int polls)
{
    return std::vector<ButtonMask>(static_cast<std::size_t>(polls), buttons);
}

std::vector<ButtonMask> operator+(std::vector<ButtonMask> first, const std::vector<ButtonMask>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

} // namespace

TEST(KeyRepeatTest, DefaultTimingIsThirtyOneAndFourPolls)
{
    KeyRepeat repeat;
    EXPECT_EQ(repeat.delayPolls(), 31u);
    EXPECT_EQ(repeat.periodPolls(), 4u);
}

TEST(KeyRepeatTest, FirstPollIsAnEventWhateverTheButtons)
{
    for (ButtonMask buttons : { 0u, 0x1267u - 1, 0xFFFFFFFFu, static_cast<unsigned>(BUTTON_A) }) {
        KeyRepeat repeat;
        EXPECT_EQ(eventPolls(repeat, held(buttons, 3)), std::vector<int>{ 1 }) << buttons;
    }
}

TEST(KeyRepeatTest, HeldLeftRepeatsOnThe32ndUnchangedPollThenEveryFifth)
{
    KeyRepeat repeat;
    // Poll 1 is the press; the first repeat comes on the 32nd unchanged poll after it.
    std::vector<int> events = eventPolls(repeat, held(BUTTON_LEFT, 1 + 32 + 5 + 5));
    EXPECT_EQ(events, (std::vector<int>{ 1, 33, 38, 43 }));
}

TEST(KeyRepeatTest, HeldButtonThatIsNoDirectionNeverRepeats)
{
    KeyRepeat repeat;
    std::vector<int> events = eventPolls(repeat, held(0, 1) + held(BUTTON_A, 500) + held(0, 10));
    EXPECT_EQ(events, (std::vector<int>{ 1, 2, 502 }));
}

TEST(KeyRepeatTest, ChangeWhileRepeatingKeepsTheFasterPeriod)
{
    KeyRepeat repeat;
    // Left repeats at poll 33; B joins at poll 35 (an event), and the next repeat comes five
    // unchanged polls later, not thirty-two.
    std::vector<ButtonMask> polls = held(BUTTON_LEFT, 34) + held(BUTTON_LEFT | BUTTON_B, 11);
    EXPECT_EQ(eventPolls(repeat, polls), (std::vector<int>{ 1, 33, 35, 40, 45 }));
    EXPECT_TRUE(repeat.isRepeating());
}

TEST(KeyRepeatTest, ReleasedDirectionEndsTheRepeatOnlyAtAnUnchangedPoll)
{
    KeyRepeat repeat;
    // After the repeat at 33, releasing (34) is an event but keeps the faster period; the release
    // is then seen unchanged at 35, which clears it, so the next press waits the full delay.
    std::vector<ButtonMask> polls = held(BUTTON_LEFT, 33) + held(0, 2) + held(BUTTON_RIGHT, 40);
    EXPECT_EQ(eventPolls(repeat, polls), (std::vector<int>{ 1, 33, 34, 36, 68, 73 }));
}

TEST(KeyRepeatTest, ChangeBeforeTheRepeatKeepsTheFullDelay)
{
    KeyRepeat repeat;
    std::vector<ButtonMask> polls = held(BUTTON_LEFT, 10) + held(BUTTON_UP, 40);
    EXPECT_EQ(eventPolls(repeat, polls), (std::vector<int>{ 1, 11, 43, 48 }));
}

TEST(KeyRepeatTest, ConfiguredMillisecondsAreDividedByEight)
{
    KeyRepeat repeat;
    repeat.setTiming(500, 100);
    EXPECT_EQ(repeat.delayPolls(), 62u);
    EXPECT_EQ(repeat.periodPolls(), 12u);
    EXPECT_EQ(eventPolls(repeat, held(BUTTON_DOWN, 1 + 63 + 13 + 13)),
              (std::vector<int>{ 1, 64, 77, 90 }));
}

TEST(KeyRepeatTest, ZeroThresholdRepeatsOnEveryUnchangedPoll)
{
    KeyRepeat repeat;
    repeat.setTiming(0, 5);
    EXPECT_EQ(eventPolls(repeat, held(BUTTON_UP, 4)), (std::vector<int>{ 1, 2, 3, 4 }));
}

TEST(KeyRepeatTest, FoldedDiagonalRepeatsLikeADirection)
{
    KeyRepeat repeat;
    std::vector<int> events = eventPolls(repeat, held(BUTTON_UP | BUTTON_LEFT, 33));
    EXPECT_EQ(events, (std::vector<int>{ 1, 33 }));
}

TEST(KeyRepeatTest, LargeDelayCountsWithoutWrapping)
{
    KeyRepeat repeat;
    repeat.setTiming(9999, 1000);
    EXPECT_EQ(repeat.delayPolls(), 1249u);
    EXPECT_EQ(eventPolls(repeat, held(BUTTON_RIGHT, 1251)), (std::vector<int>{ 1, 1251 }));
}
