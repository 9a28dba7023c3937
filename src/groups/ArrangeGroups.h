// Grouping the data rows of a report sheet: sorting them by the group columns, and putting a
// header row above and a subtotal row below every group.
#pragma once

#include <QColor>
#include <optional>
#include <vector>

#include "grid/Grouping.h"
#include "grid/Sheet.h"

namespace tessel::groups {

// The fill of group header and subtotal rows.
inline const QColor kGroupRowFill{242, 242, 242};

// Arranges the data rows of `sheet` (1..maxRows(), marked rows left out) by `grouping`, whose
// columns lie in 1..maxCols() (a column outside is passed over):
//  - with grouping.sort, the rows are stably sorted by the level columns, outermost first
//    (numbers as numbers before texts, texts by code point, empty values last);
//  - a new group of a level starts where its column's value changes from one row to the next,
//    or an outer level's group starts; an empty value is a group of its own;
//  - each group gets a subtotal row below it (marked RowKind::Subtotal with its level): the
//    level's label, "{value}" replaced by the group's value (the text of its first row), in
//    grid::subtotalLabelColumn, and in each other total column the total over the group's
//    data cells (grid::appendTotal; a sum, mean, least or greatest value over no number is
//    empty, a count always shows); with the level's header, a row above it
//    (RowKind::GroupHeader) showing the value in the level's column;
//  - header and subtotal rows get a row style: the default style in bold on kGroupRowFill;
//  - header and subtotal rows of an earlier arrangement are dropped, a totals row is kept
//    after the last group.
// A level without totals takes `defaultTotals` (sheet columns) as sums. The sheet's grouping
// becomes `grouping` with every level's totals resolved (page totals alone change no row).
// Nothing is done for an empty grouping. Cost: one pass to rank the values (each distinct
// text read as a number once), a sort of row positions (none when the rows are in order
// already), one pass to total, one rearrangement of the sheet.
void arrangeGroups(grid::Sheet &sheet, const grid::Grouping &grouping,
                   const std::vector<int> &defaultTotals);

// Takes an arrangement off `sheet`: the header and subtotal rows of its grouping are dropped,
// the data rows keep their present order, a totals row stays after them, and the sheet's
// grouping becomes empty. Costs one pass over the row marks; one rearrangement of the sheet
// when there are such rows.
void removeGroups(grid::Sheet &sheet);

// The columns a level without totals sums: `totalsColumns` (the totals row's columns) when
// given and naming a column of the sheet (in column order, each once), else every column
// 1..maxCols() whose non-empty data cells all read as numbers (and that has at least one).
std::vector<int> defaultTotalColumns(const grid::Sheet &sheet,
                                     const std::optional<std::vector<int>> &totalsColumns);

}  // namespace tessel::groups
