#include "grid/MergeSpans.h"

#include <algorithm>

namespace tessel::grid {

namespace {

// Whether data cell (col, row) continues a run holding `t`: a marked row (a group's header or
// subtotal, the totals row) never does, so a group column merges only within its group.
bool continuesRun(const Sheet &sheet, int col, int row, std::string_view t) {
    return row >= 1 && row <= sheet.maxRows() && sheet.isDataRow(row) &&
           sheet.textUtf8(col, row) == t;
}

}  // namespace

bool inColumnRun(const Sheet &sheet, int col, int row) {
    if (col < 1 || row < 1 || sheet.colMerge(col) != MergeMode::Always || !sheet.isDataRow(row))
        return false;
    const std::string_view t = sheet.textUtf8(col, row);
    if (t.empty())
        return false;
    return continuesRun(sheet, col, row - 1, t) || continuesRun(sheet, col, row + 1, t);
}

CellSpan mergeSpan(const Sheet &sheet, int col, int row, const MergeWindow &window) {
    CellSpan span{col, row, col, row};
    if (col < 1)
        return span;
    const bool colMerged = row >= 1 && sheet.colMerge(col) == MergeMode::Always;
    const bool rowMerged = sheet.rowMerge(row) == MergeMode::Always;
    if (!colMerged && !rowMerged)
        return span;
    const std::string_view t = sheet.textUtf8(col, row);
    if (t.empty())
        return span;
    // Whether the cell is in a run is a question about the whole sheet, so a run cut by a
    // page break does not join a row merge on the page that shows only one of its cells.
    if (inColumnRun(sheet, col, row)) {
        const int top = std::max(1, window.firstRow);
        const int bottom = std::min(sheet.maxRows(), window.lastRow);
        while (span.row > top && continuesRun(sheet, col, span.row - 1, t))
            --span.row;
        while (span.row2 < bottom && continuesRun(sheet, col, span.row2 + 1, t))
            ++span.row2;
        return span;
    }
    if (rowMerged) {
        const int left = std::max(1, window.firstCol);
        const int right = std::min(sheet.maxCols(), window.lastCol);
        while (span.col > left && sheet.textUtf8(span.col - 1, row) == t &&
               !inColumnRun(sheet, span.col - 1, row))
            --span.col;
        while (span.col2 < right && sheet.textUtf8(span.col2 + 1, row) == t &&
               !inColumnRun(sheet, span.col2 + 1, row))
            ++span.col2;
    }
    return span;
}

}  // namespace tessel::grid
