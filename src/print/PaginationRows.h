// What the files of the pagination share: how rows are measured and taken into a band.
// Private to print.
#pragma once

#include <map>

#include "grid/Sheet.h"

namespace tessel::print::detail {

// Slack for comparing sums of heights: rows that fit exactly must not spill over because of
// rounding in the running sum.
constexpr double kEpsilon = 1e-6;

// Rows with a height of their own: (row, height in points).
using Overrides = std::map<int, double>;

// Takes rows from `r` on, at most through `limit`, while they fit in `available` points; a
// first row taller than that is taken alone. Returns the first row not taken and sets `used`
// to the height taken. `it` is an override at or before `r`'s and is moved along; runs of
// rows without a height of their own are measured by arithmetic, so the work is proportional
// to the overrides passed, not to the rows.
int takeRows(const Overrides &overrides, Overrides::const_iterator &it, int r, int limit,
             double available, double &used);

// Height in points of rows a..b, inclusive: the overrides among them walked, the rest counted.
double rowsHeight(const Overrides &overrides, int a, int b);

}  // namespace tessel::print::detail
