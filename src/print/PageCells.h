// Which cells a printed page holds and which of them print as one block: the one rule that
// the page painter, find and the thumbnails share, so a match is always a printed cell.
#pragma once

#include <cstddef>
#include <vector>

#include "grid/MergeSpans.h"
#include "grid/Sheet.h"
#include "print/Pagination.h"

namespace tessel::print {

// One printed row of a page: sheet row `row` at `y` points from the paper's top, `h` points
// high (cut at the body's bottom edge when the row is taller than the room left).
struct PageRow {
    int row;
    double y;
    double h;
};

// The rows a page prints, top to bottom, with their place on the paper: rows
// layout.firstRow..layout.lastRow, less those of height 0; a row that starts at or below the
// bottom of the page's cell area ends the list (it and the rows after it do not print).
std::vector<PageRow> pageRows(const grid::Sheet &sheet, const PageLayout &layout);

// A block of printed cells drawn as one: columns ci..cj and rows ri..rj, inclusive, as
// indices into the page's printed columns and rows.
struct PageBlock {
    std::size_t ci, ri, cj, rj;
};

// The blocks of a page's data cells, in drawing order (row by row, left to right). Which
// cells join is decided by mergeSpan within the page's rows and columns, as the view decides
// it on the whole sheet; every printed cell is in exactly one block.
std::vector<PageBlock> cellBlocks(const grid::Sheet &sheet, const std::vector<PageColumn> &cols,
                                  const std::vector<PageRow> &rows);

// The blocks of the repeated column header row (row 0), left to right (ri and rj unused).
std::vector<PageBlock> headerBlocks(const grid::Sheet &sheet, const std::vector<PageColumn> &cols);

// The blocks of cells printed page `page` draws as one, in sheet coordinates: the column
// header row's blocks first (when it is printed), then the data cells' row by row, every
// printed cell in exactly one block (a cell that joins none is a block of its own). A merged
// group that a page break or the page's columns cut shows as its part on this page.
std::vector<grid::CellSpan> printedBlocks(const grid::Sheet &sheet, const Pagination &pagination,
                                          int page);

}  // namespace tessel::print
