// Grouping the data rows of a report sheet: sorting them by the group columns, and putting a
// header row above and a subtotal row below every group.
#pragma once

#include <optional>
#include <vector>

#include "grid/Grouping.h"
#include "grid/Sheet.h"

namespace tessel::groups {

// Arranges data rows 1..maxRows() of `sheet` by `grouping`, whose columns lie in
// 1..maxCols():
//  - with grouping.sort, the rows are stably sorted by the level columns, outermost first
//    (numbers as numbers before texts, texts by code point, empty values last);
//  - a new group of a level starts where its column's value changes from one row to the next,
//    or an outer level's group starts; an empty value is a group of its own;
//  - each group gets a subtotal row below it (marked RowKind::Subtotal with its level): the
//    level's label, "{value}" replaced by the group's value, in the first shown column (width
//    above 1), and in each total column the total over the group's data cells (formatted as
//    the totals row shows sums); with the level's header, a row above it (RowKind::GroupHeader)
//    showing the value in the level's column;
//  - header and subtotal rows get a row style: the default style in bold with a light fill.
// A level without totals takes `defaultTotals` (sheet columns) as sums. The sheet's grouping
// becomes `grouping` with every level's totals resolved. Nothing is done for an empty
// grouping. Cost: one pass to sort keys, one to total, one rearrangement of the sheet.
void arrangeGroups(grid::Sheet &sheet, const grid::Grouping &grouping,
                   const std::vector<int> &defaultTotals);

// The columns a level without totals sums: `totalsColumns` (the totals row's columns) when
// given, else every column 1..maxCols() whose non-empty data cells all read as numbers (and
// that has at least one).
std::vector<int> defaultTotalColumns(const grid::Sheet &sheet,
                                     const std::optional<std::vector<int>> &totalsColumns);

}  // namespace tessel::groups
