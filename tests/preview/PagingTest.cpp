// The preview's paging rules: where a page button takes the view and which buttons can be
// pressed.
#include <gtest/gtest.h>

#include "preview/Paging.h"

using namespace tessel::preview;

TEST(Paging, StepsAndButtons) {
    const struct {
        const char *name;
        int current, count, perScreen;
        int next, previous;
        PageButtons buttons;
    } cases[] = {
        {"one page", 1, 1, 1, 1, 1, {false, false}},
        {"first of many", 1, 10, 1, 2, 1, {false, true}},
        {"middle", 5, 10, 1, 6, 4, {true, true}},
        {"last", 10, 10, 1, 10, 9, {true, false}},
        // Four pages in view: the next step passes the last page (the view clamps it).
        {"two screens of four", 1, 6, 4, 5, 1, {false, true}},
        {"a screen that reaches the end", 5, 6, 4, 9, 1, {true, false}},
        // The pages per screen grew since the last step forward: back stops at page 1.
        {"back from page 3 by four", 3, 10, 4, 7, 1, {true, true}},
        {"no pages", 1, 0, 1, 1, 1, {false, false}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(nextPage(c.current, c.count, c.perScreen), c.next) << c.name;
        EXPECT_EQ(previousPage(c.current, c.perScreen), c.previous) << c.name;
        EXPECT_EQ(pageButtons(c.current, c.count, c.perScreen), c.buttons) << c.name;
    }
}
