// Which polls are events: changes of the buttons and the automatic repeat of held directions.
#include "core/KeyRepeat.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Plays polls (each a run of equal button states) through the repeat logic the way the main
// loop does and gives the numbers (from 1) of the polls that were events.
std::vector<int> eventPolls(KeyRepeat& repeat, const std::vector<std::pair<ButtonMask, int>>& runs)
{
    std::vector<int> events;
    int poll = 0;
    for (const auto& run : runs) {
        for (int i = 0; i < run.second; ++i) {
            ++poll;
            if (!repeat.changed(run.first) && !repeat.repeatDue(run.first))
                continue;
            repeat.startEvent(run.first);
            events.push_back(poll);
        }
    }
    return events;
}

} // namespace

TEST(KeyRepeatTest, EventsComeOnChangesAndOnTheRepeatOfHeldDirections)
{
    const ButtonMask left = BUTTON_LEFT;
    const struct {
        const char* what;
        int delayMs, periodMs; // -1: the defaults
        std::vector<std::pair<ButtonMask, int>> polls;
        std::vector<int> events;
    } rows[] = {
        {"nothing held: the first poll only", -1, -1, {{0u, 3}}, {1}},
        {"all held: the first poll only", -1, -1, {{0xFFFFFFFFu, 3}}, {1}},
        {"left: the 32nd unchanged poll, then every fifth", -1, -1, {{left, 43}}, {1, 33, 38, 43}},
        {"a button that is no direction never repeats",
         -1,
         -1,
         {{0u, 1}, {BUTTON_A, 500}, {0u, 10}},
         {1, 2, 502}},
        {"a change while repeating keeps the faster period",
         -1,
         -1,
         {{left, 34}, {left | BUTTON_B, 11}},
         {1, 33, 35, 40, 45}},
        {"a release ends the repeat only at an unchanged poll",
         -1,
         -1,
         {{left, 33}, {0u, 2}, {BUTTON_RIGHT, 40}},
         {1, 33, 34, 36, 68, 73}},
        {"a change before the repeat waits the full delay",
         -1,
         -1,
         {{left, 10}, {BUTTON_UP, 40}},
         {1, 11, 43, 48}},
        {"a folded diagonal repeats", -1, -1, {{BUTTON_UP | left, 33}}, {1, 33}},
        {"milliseconds are divided by eight", 500, 100, {{BUTTON_DOWN, 90}}, {1, 64, 77, 90}},
        {"no delay repeats on every poll", 0, 5, {{BUTTON_UP, 4}}, {1, 2, 3, 4}},
        {"a large delay counts without wrapping", 9999, 1000, {{BUTTON_RIGHT, 1251}}, {1, 1251}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        KeyRepeat repeat;
        if (row.delayMs >= 0)
            repeat.setTiming(row.delayMs, row.periodMs);
        EXPECT_EQ(eventPolls(repeat, row.polls), row.events);
    }
}

TEST(KeyRepeatTest, DefaultTimingIsThirtyOneAndFourPolls)
{
    KeyRepeat repeat;
    EXPECT_EQ(repeat.delayPolls(), 31u);
    EXPECT_EQ(repeat.periodPolls(), 4u);
}
