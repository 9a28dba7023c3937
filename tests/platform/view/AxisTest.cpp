#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/view/Axis.h"

using tessel::platform::Axis;

namespace {

struct Sizes {
    int count, defaultPx;
    std::vector<std::pair<int, int>> set;  // (index, px), added in this order
};

// Items of 10 px, item 2 hidden, item 4 30 px: starts 0, 10, 10, 20, 50; total 60.
const Sizes kMixed{5, 10, {{2, 0}, {4, 30}}};
const Sizes kHiddenByDefault{3, 0, {{2, 15}}};
const Sizes kIgnored{3, 10, {{0, 5}, {2, 10}, {4, 5}}};  // none is taken
const Sizes kHuge{2'000'000'000, 20, {{7, 40}}};         // total 40'000'000'020
constexpr int kView = 25;                                // view length for scrolling

enum Ask { Offset, Size, Hit, Scroll };

}  // namespace

TEST(Axis, OffsetsSizesHitsAndScrolling) {
    const struct {
        const char *name;
        Sizes sizes;
        Ask ask;
        std::int64_t arg;  // index, or position for Hit
        std::int64_t expected;
        std::int64_t scrollValue = 0;
    } cases[] = {
        {"first item starts at 0", kMixed, Offset, 1, 0},
        {"hidden item takes no space", kMixed, Offset, 3, 10},
        {"set size moves what follows", kMixed, Offset, 5, 50},
        {"offset past the end is the total", kMixed, Offset, 9, 60},
        {"offset before the first is 0", kMixed, Offset, -2, 0},
        {"size of a hidden item", kMixed, Size, 2, 0},
        {"size of a set item", kMixed, Size, 4, 30},
        {"size outside the items", kMixed, Size, 6, 0},
        {"hit before the first item", kMixed, Hit, -1, 0},
        {"hit on the last pixel of item 1", kMixed, Hit, 9, 1},
        {"hidden item is never hit", kMixed, Hit, 10, 3},
        {"hit inside a set item", kMixed, Hit, 49, 4},
        {"hit after a set item", kMixed, Hit, 55, 5},
        {"hit at the total is past the end", kMixed, Hit, 60, 6},
        {"no items: nothing is hit", {0, 10, {}}, Hit, 0, 0},
        {"sizes equal to the default or outside are ignored", kIgnored, Offset, 4, 30},
        {"hidden by default: the shown item is hit", kHiddenByDefault, Hit, 0, 2},
        {"hidden by default: past the shown item", kHiddenByDefault, Hit, 15, 4},
        {"offsets beyond the int range", kHuge, Offset, 2'000'000'000, 40'000'000'000},
        {"hits beyond the int range", kHuge, Hit, 40'000'000'019, 2'000'000'000},
        {"item in view: no scroll", kMixed, Scroll, 5, 40, 40},
        {"item above the view: scroll to its start", kMixed, Scroll, 1, 0, 30},
        {"item below the view: scroll until its end shows", kMixed, Scroll, 5, 35, 0},
        {"item longer than the view: its start shows", kMixed, Scroll, 4, 20, 0},
        {"hidden item: scroll to where it stands", kMixed, Scroll, 2, 10, 30},
    };
    for (const auto &c : cases) {
        Axis axis;
        axis.reset(c.sizes.count, c.sizes.defaultPx);
        for (const auto &[index, px] : c.sizes.set)
            axis.add(index, px);
        const int index = int(c.arg);
        const std::int64_t got = c.ask == Offset ? axis.offset(index)
                                 : c.ask == Size ? axis.size(index)
                                 : c.ask == Hit  ? axis.indexAt(c.arg)
                                                 : axis.scrollToShow(index, c.scrollValue, kView);
        EXPECT_EQ(got, c.expected) << c.name;
    }
}
