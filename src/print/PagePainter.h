// The one paint path of a printed page: the page view, the printer and PDF output all draw
// a page through paintPage.
#pragma once

#include "grid/MergeSpans.h"
#include "grid/Sheet.h"
#include "print/Pagination.h"

#include <QFont>
#include <QPainter>
#include <vector>

namespace tessel::print {

// Paints printed page `page` (1..pagination.pageCount()) of `sheet` as `pagination` broke
// it. The painter's coordinates are points on the paper, origin at its top-left corner
// (scale the painter beforehand: for a device of D dots per inch, scale by D / 72). The
// page's background is not filled. Draws the cells of the page's rows and columns with
// their fonts, colours (grey when colour printing is off), backgrounds and borders, as the
// sheet's conditional formats leave them (cellPaint; a data bar is a filled rectangle under
// the cell's text), merged
// cells as one, grid lines, the table border and shadow, the repeated column and row
// headers, the group header rows a page repeats (as the sheet styles them) and its carried
// and page-total rows (extraRowCell's texts, styled as the sheet's subtotal rows are, else
// bold on a light fill), and the header and footer lines with their page numbers, as the print
// settings switch them on, and the page's charts (PageLayout::charts) with charts::paintChart
// from the sheet's rows as they are when painted. The table (cells and repeated headers) is drawn
// at the pagination's scale (see Pagination::tableTransform); header and footer lines at their own
// size. A text in a general-aligned data cell that starts right to left is aligned right and laid
// out right to left. Texts holding characters no font can draw are recorded (noteUndrawable).
// Error(Argument) for a page outside 1..pageCount().
void paintPage(const grid::Sheet &sheet, const Pagination &pagination, int page, QPainter &painter);

}  // namespace tessel::print
