#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "widgets/Axis.h"

using tessel::widgets::Axis;

TEST(Axis, OffsetsSizesHitsAndScrolling) {
    const struct {
        int count, defaultPx;
        std::vector<std::pair<int, int>> set;  // (index, px), added in this order
    } axes[] = {
        {5, 10, {{2, 0}, {4, 30}}},          // 0: starts 0, 10, 10, 20, 50; total 60
        {3, 10, {{0, 5}, {2, 10}, {4, 5}}},  // 1: no size taken
        {3, 0, {{2, 15}}},                   // 2: hidden by default, item 2 shown
        {2'000'000'000, 20, {{7, 40}}},      // 3: total 40'000'000'020
        {0, 10, {}},                         // 4: no items
    };
    enum Ask { Offset, Size, Hit, Scroll };  // Scroll: item `arg` into 25 px shown from `value`
    const struct {
        const char *name;
        int axis;
        Ask ask;
        std::int64_t arg, expected, value = 0;
    } cases[] = {
        {"hidden item takes no space", 0, Offset, 3, 10},
        {"set size moves what follows", 0, Offset, 5, 50},
        {"sizes equal to the default or outside are ignored", 1, Offset, 4, 30},
        {"offsets beyond the int range", 3, Offset, 2'000'000'000, 40'000'000'000},
        {"size of a set item", 0, Size, 4, 30},
        {"size outside the items", 0, Size, 6, 0},
        {"hit before the first item", 0, Hit, -1, 0},
        {"hidden item is never hit", 0, Hit, 10, 3},
        {"hit inside a set item", 0, Hit, 49, 4},
        {"hit at the total is past the end", 0, Hit, 60, 6},
        {"hidden by default: the shown item is hit", 2, Hit, 0, 2},
        {"hits beyond the int range", 3, Hit, 40'000'000'019, 2'000'000'000},
        {"no items: nothing is hit", 4, Hit, 0, 0},
        {"item in view: no scroll", 0, Scroll, 5, 40, 40},
        {"item above the view: scroll to its start", 0, Scroll, 1, 0, 30},
        {"item below the view: scroll until its end shows", 0, Scroll, 5, 35, 0},
        {"item longer than the view: its start shows", 0, Scroll, 4, 20, 0},
    };
    for (const auto &c : cases) {
        Axis a;
        a.reset(axes[c.axis].count, axes[c.axis].defaultPx);
        for (const auto &[index, px] : axes[c.axis].set)
            a.add(index, px);
        const int i = int(c.arg);
        const std::int64_t got = c.ask == Offset ? a.offset(i)
                                 : c.ask == Size ? a.size(i)
                                 : c.ask == Hit  ? a.indexAt(c.arg)
                                                 : a.scrollToShow(i, c.value, 25);
        EXPECT_EQ(got, c.expected) << c.name;
    }
}
