// Which polls are events: changes of the buttons and the automatic repeat of held directions.
#include "core/KeyRepeat.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

TEST(KeyRepeatTest, EventsComeOnChangesAndOnTheRepeatOfHeldDirections)
{
    const ButtonMask left = BUTTON_LEFT;
    const struct {
        uint32_t delayMs, periodMs;
        std::vector<std::pair<ButtonMask, int>> polls; // runs of equal button states
        std::vector<int> events;                       // the polls (from 1) that are events
    } rows[] = {
        // The defaults: the 32nd unchanged poll, then every 5th.
        {250, 33, {{left, 43}}, {1, 33, 38, 43}},
        // A change while repeating keeps the faster period.
        {250, 33, {{left, 34}, {left | BUTTON_B, 11}}, {1, 33, 35, 40, 45}},
        // A release ends the repeating only at an unchanged poll.
        {250, 33, {{left, 33}, {0u, 2}, {BUTTON_RIGHT, 40}}, {1, 33, 34, 36, 68, 73}},
        // A change before the repeat waits the full delay again.
        {250, 33, {{left, 10}, {BUTTON_UP, 40}}, {1, 11, 43, 48}},
        // Milliseconds are divided by eight; below eight, a repeat on every unchanged poll.
        {500, 100, {{BUTTON_DOWN, 90}}, {1, 64, 77, 90}},
        {0, 5, {{BUTTON_UP, 4}}, {1, 2, 3, 4}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows);
        KeyRepeat repeat;
        repeat.setTiming(row.delayMs, row.periodMs);
        // Polls played the way the main loop plays them.
        std::vector<int> events;
        int poll = 0;
        for (const auto& run : row.polls) {
            for (int i = 0; i < run.second; ++i) {
                ++poll;
                if (!repeat.changed(run.first) && !repeat.repeatDue(run.first))
                    continue;
                repeat.startEvent(run.first);
                events.push_back(poll);
            }
        }
        EXPECT_EQ(events, row.events);
    }
}
