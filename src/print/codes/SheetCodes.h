// A header/footer layout held on a sheet, as the header/footer editor's grid holds it: one
// line per sheet row, the left, centre and right parts in three text columns, each cell with
// its own font. These give the code string of what the sheet holds.
#pragma once

#include <QString>
#include <array>

#include "print/codes/PrintCodes.h"

namespace tessel::grid {
class Sheet;
}

namespace tessel::print {

// The layout cell a sheet cell holds: its text and its font's name, size (points), bold,
// italic, underline and strikethrough.
CodeCell sheetCodeCell(const grid::Sheet &sheet, int col, int row);

// The codes of the sheet cell at (`col`, `row`) as the part at `pos` (composeCell); empty for
// an empty cell.
QString composeSheetCell(const grid::Sheet &sheet, int col, int row, CodePos pos);

// The code string of the layout on sheet rows `firstRow`..`lastRow` (line 1 is `firstRow`),
// whose left, centre and right parts are in the sheet columns `cols` (composeLayout): lines
// up to the last one with text, each ending in "/n"; empty when no cell has text. Other
// columns are not read.
QString composeSheetLayout(const grid::Sheet &sheet, const std::array<int, 3> &cols, int firstRow,
                           int lastRow);

}  // namespace tessel::print
