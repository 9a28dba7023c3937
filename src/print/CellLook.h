// The style a cell is painted with: the one routine the page painter and the sheet view ask, so
// that a cell's colours, weight, slant and data bar are the same on screen, on paper and in PDF.
#pragma once

#include <QColor>
#include <QRectF>
#include <optional>

#include "grid/Sheet.h"

namespace tessel::print {

// What a cell is painted with: its style with the look of the sheet's conditional formats put
// over it (text colour, fill, bold, italic), and the data bar to draw under its text.
struct CellPaint {
    grid::CellStyle style;
    std::optional<double> bar;  // the bar's length as a share of the cell's width, 0..1
    QColor barColor;
};

// The paint of cell (col, row) of `sheet`: Sheet::style, and on a data cell (columns and rows
// from 1) what conditions::looksOf(sheet) gives it. Header cells keep their style.
CellPaint cellPaint(const grid::Sheet &sheet, int col, int row);

// Where a data bar of `share` (0..1) of `cell`'s width is drawn, in the cell's units: from the
// cell's left edge, inset by `inset` on every side, `share` of the width inside that inset.
// Empty when the cell is too small or the share is not above 0.
QRectF barRect(const QRectF &cell, double share, double inset);

}  // namespace tessel::print
