// Which cells a printed page holds and which of them print as one block: the one rule that
// the page painter, find and the thumbnails share, so a match is always a printed cell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "grid/MergeSpans.h"
#include "grid/Sheet.h"
#include "print/Pagination.h"

namespace tessel::print {

// What a printed row is: a sheet row of the page's band, a group header row repeated above
// the band, or one of the page's extra rows, which are no sheet row (see ExtraRow).
enum class PageRowKind : std::uint8_t { Sheet, RepeatedHeader, Carried, PageTotal, RunningTotal };

// One printed row of a page: sheet row `row` at `y` points from the paper's top, `h` points
// high (cut at the body's bottom edge when the row is taller than the room left). `row` is 0
// for the rows that are no sheet row.
struct PageRow {
    int row;
    double y;
    double h;
    PageRowKind kind = PageRowKind::Sheet;
    // Whether the row's cells are the sheet's (a band row or a repeated header row).
    bool fromSheet() const {
        return kind == PageRowKind::Sheet || kind == PageRowKind::RepeatedHeader;
    }
};

// The rows a page prints, top to bottom, with their place on the paper: the carried row and
// the repeated header rows when the layout has them, rows layout.firstRow..layout.lastRow,
// then the page-total rows; rows of height 0 left out; a row that starts at or below the
// bottom of the page's cell area ends the list (it and the rows after it do not print).
std::vector<PageRow> pageRows(const grid::Sheet &sheet, const PageLayout &layout);

// What column `col` of an extra row (Carried, PageTotal, RunningTotal) of `layout`'s page
// prints: in the page's first printed column (cols.front()) the row's label from the
// pagination's page totals, unless the row shows a sum there; in a page-total column its
// sum, as grid::sumText writes it, shown by the column's number format as a data cell is
// (grid::cellDisplay); otherwise nothing. For any other row, nothing.
grid::CellDisplay extraRowCell(const grid::Sheet &sheet, const Pagination &pagination,
                               const PageLayout &layout, const std::vector<PageColumn> &cols,
                               PageRowKind kind, int col);

// A block of printed cells drawn as one: columns ci..cj and rows ri..rj, inclusive, as
// indices into the page's printed columns and rows.
struct PageBlock {
    std::size_t ci, ri, cj, rj;
};

// Whether any printed cells of a page may join into one block (cellBlocks): a merged column
// among `cols`, a band row whose merge mode is Always, a row whose labels spill, or an extra
// row. When none may, each printed cell is a block of its own.
bool pageJoinsCells(const grid::Sheet &sheet, const std::vector<PageColumn> &cols,
                    const std::vector<PageRow> &rows);

// The blocks of a page's data cells, in drawing order (row by row, left to right). Which
// cells join is decided by mergeSpan within the page's band rows and columns, as the view
// decides it on the whole sheet; repeated header rows and extra rows join nothing; every
// printed cell is in exactly one block.
std::vector<PageBlock> cellBlocks(const grid::Sheet &sheet, const std::vector<PageColumn> &cols,
                                  const std::vector<PageRow> &rows);

// The blocks of the repeated column header row (row 0), left to right (ri and rj unused).
std::vector<PageBlock> headerBlocks(const grid::Sheet &sheet, const std::vector<PageColumn> &cols);

// The blocks of sheet cells printed page `page` draws as one, in sheet coordinates (extra
// rows, being no sheet cells, left out): the column header row's blocks first (when it is
// printed), then the data cells' row by row (repeated header rows among them), every
// printed cell in exactly one block (a cell that joins none is a block of its own). A merged
// group that a page break or the page's columns cut shows as its part on this page.
std::vector<grid::CellSpan> printedBlocks(const grid::Sheet &sheet, const Pagination &pagination,
                                          int page);

}  // namespace tessel::print
