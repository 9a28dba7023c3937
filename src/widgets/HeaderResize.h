// Sizing columns and the label row from a sheet view's headers: which border a position is
// on, the size a drag gives and the width that fits a column's texts.
//
// Units: positions and pixel sizes are the view's logical pixels; column widths are the
// sheet's character units (7 pixels each), row heights points (96 pixels to 72 points).
#pragma once

#include <cstdint>

#include "grid/Sheet.h"
#include "widgets/Axis.h"

namespace tessel::widgets::headerResize {

// Pixels either side of a border that still grab it.
constexpr int kGrip = 4;

// The widest a fitted column gets, in character units: 700 pixels, about the printable width
// of a portrait A4 page, so one long text (a remark, an address) cannot make its column
// wider than a page; the user can still drag it wider.
constexpr double kFitMaxWidth = 100.0;
// The narrowest a fitted column gets, in character units: above the 1 unit at which a
// column counts as hidden, so fitting an empty column never hides it.
constexpr double kFitMinWidth = 2.0;
// Fitting measures the label, the first kFitSampleRows data rows and the rows the caller
// names (those in view), so a sheet of a million rows fits at once; rows further down are
// not measured.
constexpr int kFitSampleRows = 5000;

// Whether pixel `pos` grabs the border at `border` (the first pixel after the item that
// ends there): from kGrip pixels before it to kGrip - 1 pixels after it.
bool nearBorder(std::int64_t pos, std::int64_t border);

// The item (column) whose far border `pos` grabs, `pos` in pixels from the start of item 1
// as in Axis; the nearer border wins where two are in reach. Items of size 0 have no border
// of their own (the border of the shown item before them is taken). 0 when none is in reach.
int borderAt(const Axis &axis, std::int64_t pos);

// The width in character units of a column `px` pixels wide (negative counts as 0), to
// 0.01 unit, so that it shows exactly `px` pixels wide again.
double widthForPixels(int px);
// The height in points of a row `px` pixels high (negative counts as 0), to 0.01 point.
double heightForPixels(int px);

// The width in character units that shows column `col`'s widest text whole: its label
// (row 0, or its letters when it has none), and the texts of rows 1..kFitSampleRows,
// firstRow..lastRow and every group header, subtotal and totals row, as the column's format
// shows them, each in its cell's font with the cell's padding; hidden rows are skipped. Kept within
// kFitMinWidth..kFitMaxWidth.
double fitColumnWidth(const grid::Sheet &sheet, int col, int firstRow, int lastRow);

}  // namespace tessel::widgets::headerResize
