// Columns widened so that their formatted numbers print whole: a report's run calls this once
// its rows, subtotals and totals are in, so that no number of a formatted column prints as
// "#" marks.
#pragma once

#include <vector>

namespace tessel::grid {
class Sheet;
}

namespace tessel::print {

// Widens each shown column of `sheet` with a number, percent or date format whose widest
// formatted text (over the data, subtotal and totals rows, in the font each row prints with)
// does not fit even drawn at kSmallestNumberScale of its size: to the width that holds it at
// full size, as paper measures it. Returns those columns, in order; the sheet is unchanged
// when none needs it. Reads each cell's number once (the widest text of a number format is
// that of the largest or the smallest number), so a million rows take milliseconds.
std::vector<int> widenForNumbers(grid::Sheet &sheet);

}  // namespace tessel::print
