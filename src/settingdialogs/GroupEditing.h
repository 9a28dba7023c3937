// The edits the groups dialog makes to a report's grouping, as plain functions of the
// grouping (grid::Grouping), and the sample of a report's rows the dialog arranges to show
// the grouping at work. Columns are sheet columns from 1, levels 0-based positions in
// Grouping::levels (outermost first).
#pragma once

#include <array>
#include <optional>

#include "grid/Grouping.h"
#include "grid/Sheet.h"

namespace tessel::settingdialogs {

// A function a subtotal offers and its caption (a text marked for translation), in the order
// the dialog lists them.
struct TotalChoice {
    grid::TotalFunction function;
    const char *caption;
};
const std::array<TotalChoice, 5> &totalChoices();
// The position of `function` in totalChoices().
int totalChoiceIndex(grid::TotalFunction function);

// Adds a level on `column` as the innermost one, with the defaults of a new level (the
// report's default totals, the default label, no header or breaks). Returns its position,
// or nullopt and changes nothing when the grouping has kMaxGroupLevels levels already.
std::optional<int> addLevel(grid::Grouping &grouping, int column);
// Removes level `index`; false when there is none.
bool removeLevel(grid::Grouping &grouping, int index);
// Moves level `index` one place outward (step -1) or inward (step +1); false, changing
// nothing, when that leaves the levels.
bool moveLevel(grid::Grouping &grouping, int index, int step);

// The function the level's subtotal row applies to `column`; nullopt when the column is not
// totalled or the level takes the report's default totals.
std::optional<grid::TotalFunction> totalOf(const grid::GroupLevel &level, int column);
// Totals `column` with `function` in the level's subtotal row, or leaves it out with nullopt;
// the totals stay in column order. A level on the default totals first takes `defaults` as
// sums (the columns the default totals, as the dialog showed them), so a change to one column
// keeps the others as they were.
void setTotal(grid::GroupLevel &level, int column, std::optional<grid::TotalFunction> function,
              const std::vector<int> &defaults);

// Puts on `to` what the groups dialog shows a grouping on: the columns of `from` (labels,
// widths, formats, merges, the label row's height) and its first `rows` data rows in their
// order, without header, subtotal or totals rows. `to` is cleared first.
void takeDataSample(const grid::Sheet &from, int rows, grid::Sheet &to);

}  // namespace tessel::settingdialogs
