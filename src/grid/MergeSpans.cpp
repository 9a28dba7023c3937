#include "grid/MergeSpans.h"

#include <algorithm>

#include "grid/CellNumber.h"

namespace tessel::grid {

namespace {

// Whether data cell (col, row) continues a run holding `t`: a marked row (a group's header or
// subtotal, the totals row) never does, so a group column merges only within its group.
bool continuesRun(const Sheet &sheet, int col, int row, std::string_view t) {
    return row >= 1 && row <= sheet.maxRows() && sheet.isDataRow(row) &&
           sheet.textUtf8(col, row) == t;
}

// The block of (col, row) in a row whose labels spill: the label at or left of the cell with
// the empty cells after it, or the cell alone.
CellSpan labelSpan(const Sheet &sheet, int col, int row, const MergeWindow &window) {
    CellSpan span{col, row, col, row};
    const int left = std::max(1, window.firstCol);
    const int right = std::min(sheet.maxCols(), window.lastCol);
    int start = col;
    while (start > left && sheet.textUtf8(start, row).empty())
        --start;
    const std::string_view label = sheet.textUtf8(start, row);
    if (label.empty() || cellNumber(label))
        return span;
    int end = start;
    while (end < right && sheet.textUtf8(end + 1, row).empty())
        ++end;
    if (col > end)
        return span;
    return {start, row, end, row};
}

}  // namespace

bool spillsLabels(const Sheet &sheet, int row) {
    if (row < 1 || sheet.isDataRow(row))
        return false;
    const RowKind kind = sheet.rowMark(row).kind;
    return kind == RowKind::GroupHeader || kind == RowKind::Subtotal;
}

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
    if (spillsLabels(sheet, row))
        return labelSpan(sheet, col, row, window);
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
