// The geometry of one axis of a grid view: where each column (or row) starts, how large it is,
// which one holds a position, and how far to scroll to bring one into view.
//
// Units: items are numbered from 1 to count(); every size, offset and position is in the
// view's logical pixels, measured from the start of item 1 (the data area's edge, headers
// not included). A scroll value is the offset shown at the data area's edge.
//
// Every item has the default size except the few whose size was set, so the axis costs
// memory and time in the number of set sizes only: a million rows of default height take
// nothing, and an offset or a hit is a binary search over the set sizes. An item of size 0
// (a hidden column or row) takes no space and is never hit.
#pragma once

#include <cstdint>
#include <vector>

namespace tessel::widgets {

class Axis {
public:
    // Starts over with `count` items (negative counts as 0) of `defaultPx` pixels each
    // (negative counts as 0).
    void reset(int count, int defaultPx);
    // Gives item `index` a size of its own, in pixels. Calls must come in ascending index
    // order, each index once; an index outside 1..count() or a size equal to the default is
    // ignored.
    void add(int index, int px);

    int count() const { return m_count; }
    // Pixels from the start of item 1 to the start of item `index`; the index is clamped to
    // 1..count() + 1, and offset(count() + 1) is the total.
    std::int64_t offset(int index) const;
    // Size of item `index` in pixels; 0 outside 1..count().
    int size(int index) const;
    // Pixels of all items together.
    std::int64_t total() const { return offset(m_count + 1); }
    // The item whose pixels hold `pos` (pixels from the start of item 1): 0 before the first
    // item (pos < 0) or when there are no items, count() + 1 at or past the total. An item of
    // size 0 is never returned.
    int indexAt(std::int64_t pos) const;
    // The scroll value that brings item `index` into a view `viewLength` pixels long that
    // now shows from `value` on: unchanged when the item is wholly in view, else the least
    // move that shows its start edge and as much of it as fits (an item larger than the view
    // shows from its start). `index` must be in 1..count().
    std::int64_t scrollToShow(int index, std::int64_t value, std::int64_t viewLength) const;

private:
    struct Override {
        int index;
        int px;
        std::int64_t deltaBefore;  // sum of (px - default) of the overrides before this one
    };
    std::int64_t startOf(const Override &o) const;
    std::vector<Override> m_overrides;
    std::int64_t m_totalDelta = 0;
    int m_count = 0;
    int m_defaultPx = 1;
};

}  // namespace tessel::widgets
