// Which equal neighbouring cells of a sheet show as one. The sheet view and the printed page
// both ask here, so a report merges the same cells on screen and on paper.
#pragma once

#include "grid/Sheet.h"

namespace tessel::grid {

// A block of cells shown as one: its top-left cell (col, row) and bottom-right cell
// (col2, row2), inclusive, in sheet coordinates.
struct CellSpan {
    int col = 0, row = 0, col2 = 0, row2 = 0;
    bool single() const { return col == col2 && row == row2; }
    bool operator==(const CellSpan &) const = default;
};

// The rows and columns a block may reach, inclusive: the whole sheet for the view, one
// printed page for the renderer. A block that goes on past the window is cut at its edge,
// and each window shows its own part.
struct MergeWindow {
    int firstCol = 1, lastCol = 0;
    int firstRow = 0, lastRow = 0;
};

// Whether (col, row) is in a run of equal cells down a merged column: a data cell (col and
// row from 1) with text, in a column whose merge mode is Always, equal to the cell above or
// below it within the sheet's rows. Only data rows form runs: a marked row (RowKind) stands
// apart from the rows around it, so a group column's values merge within their group.
bool inColumnRun(const Sheet &sheet, int col, int row);

// The block (col, row) shows in, cut to `window`, which must hold the cell. In a group's
// header or subtotal row (RowKind::GroupHeader, Subtotal) a label, a text that is no number,
// shows across the empty cells to its right, as far as the window reaches, and those cells
// show in its block: a group's name or "{value} 小计" is read whole even in a narrow column;
// such a row joins nothing else. Elsewhere an empty cell and a row header cell (col 0) stand
// alone. A cell in a run down a merged column shows with its
// run; otherwise, in a row whose merge mode is Always (the column header row 0 included),
// the cell joins its equal neighbours along the row that are not themselves in such a run.
// Neighbours are the sheet's own: a hidden column or row is compared like any other.
// The walk stops at the window's edges, so it costs the length of the block in the window.
CellSpan mergeSpan(const Sheet &sheet, int col, int row, const MergeWindow &window);

// Whether row `row` is a group's header or subtotal row, whose labels show across the empty
// cells beside them (see mergeSpan).
bool spillsLabels(const Sheet &sheet, int row);

}  // namespace tessel::grid
