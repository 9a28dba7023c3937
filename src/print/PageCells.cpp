#include "print/PageCells.h"

#include <algorithm>

#include "grid/CellNumber.h"

namespace tessel::print {

// Rows are placed one under the other from the top of the cell area; pagination puts a row
// taller than a whole page on a page of its own, where it prints cut at the bottom.
std::vector<PageRow> pageRows(const grid::Sheet &sheet, const PageLayout &layout) {
    std::vector<PageRow> rows;
    const double bottom = layout.cells.bottom();
    bool full = false;
    const auto add = [&](int row, double h, PageRowKind kind) {
        const double y = rows.empty() ? layout.cells.top() : rows.back().y + rows.back().h;
        if (y >= bottom - 1e-9) {
            full = true;
            return;
        }
        if (h > 0) {
            rows.push_back({row, y, std::min(h, bottom - y), kind});
        }
    };
    if (layout.carried) {
        add(0, kPageTotalRowHeight, PageRowKind::Carried);
    }
    for (std::size_t i = 0; i < layout.repeatedHeaders.size() && !full; ++i) {
        const int r = layout.repeatedHeaders[i];
        add(r, sheet.rowHeight(r), PageRowKind::RepeatedHeader);
    }
    for (int r = layout.firstRow; r <= layout.lastRow && !full; ++r) {
        add(r, sheet.rowHeight(r), PageRowKind::Sheet);
    }
    for (std::size_t i = 0; i < layout.totals.size() && !full; ++i) {
        add(0, kPageTotalRowHeight,
            layout.totals[i] == ExtraRow::PageTotal ? PageRowKind::PageTotal
                                                    : PageRowKind::RunningTotal);
    }
    return rows;
}

grid::CellDisplay extraRowCell(const grid::Sheet &sheet, const Pagination &pagination,
                               const PageLayout &layout, const std::vector<PageColumn> &cols,
                               PageRowKind kind, int col) {
    const std::optional<grid::PageTotals> &totals = pagination.pageTotals();
    if (!totals || kind == PageRowKind::Sheet || kind == PageRowKind::RepeatedHeader) {
        return {};
    }
    const ExtraRow extra = kind == PageRowKind::Carried     ? ExtraRow::Carried
                           : kind == PageRowKind::PageTotal ? ExtraRow::PageTotal
                                                            : ExtraRow::RunningTotal;
    if (const std::optional<double> sum = pagination.pageTotal(layout.rowBand, extra, col)) {
        return grid::cellDisplay(grid::sumText(*sum), sheet.colFormat(col),
                                 grid::numberSeparators());
    }
    if (cols.empty() || cols.front().col != col) {
        return {};
    }
    const QString &label = extra == ExtraRow::Carried     ? totals->carried
                           : extra == ExtraRow::PageTotal ? totals->label
                                                          : totals->running;
    return {label, false};
}

bool pageJoinsCells(const grid::Sheet &sheet, const std::vector<PageColumn> &cols,
                    const std::vector<PageRow> &rows) {
    for (const PageColumn &c : cols) {
        if (sheet.colMerge(c.col) == grid::MergeMode::Always) {
            return true;
        }
    }
    for (const PageRow &r : rows) {
        if (!r.fromSheet() || grid::spillsLabels(sheet, r.row) ||
            (r.kind == PageRowKind::Sheet && sheet.rowMerge(r.row) == grid::MergeMode::Always)) {
            return true;
        }
    }
    return false;
}

// The blocks of a page's data cells, in drawing order (row by row, left to right). Which
// cells join is decided by mergeSpan within the page's rows and columns, as the view decides
// it on the whole sheet. Each block is looked up once, from its first printed cell; the
// cells it covers are marked and skipped, so a merged column costs one walk per run on the
// page, however long the run is in the sheet.
std::vector<PageBlock> cellBlocks(const grid::Sheet &sheet, const std::vector<PageColumn> &cols,
                                  const std::vector<PageRow> &rows) {
    std::vector<PageBlock> blocks;
    const std::size_t nRows = rows.size();
    const std::size_t nCols = cols.size();
    if (nRows == 0 || nCols == 0) {
        return blocks;
    }
    if (!pageJoinsCells(sheet, cols, rows)) {
        blocks.reserve(nRows * nCols);
        for (std::size_t ri = 0; ri < nRows; ++ri) {
            for (std::size_t ci = 0; ci < nCols; ++ci) {
                blocks.push_back({ci, ri, ci, ri});
            }
        }
        return blocks;
    }
    // The band's rows are the sheet rows among the page's rows, one run in sheet order.
    std::size_t bandFirst = 0;
    while (bandFirst < nRows && rows[bandFirst].kind != PageRowKind::Sheet) {
        ++bandFirst;
    }
    std::size_t bandLast = bandFirst;
    while (bandLast + 1 < nRows && rows[bandLast + 1].kind == PageRowKind::Sheet) {
        ++bandLast;
    }
    const grid::MergeWindow window =
        bandFirst < nRows ? grid::MergeWindow{cols.front().col, cols.back().col,
                                              rows[bandFirst].row, rows[bandLast].row}
                          : grid::MergeWindow{cols.front().col, cols.back().col, 0, -1};
    // covered[ci * nRows + ri]: the cell is part of a block drawn from another cell.
    std::vector<char> covered(nRows * nCols, 0);
    const std::optional<grid::PageTotals> &pageTotals = sheet.grouping().pageTotals;
    const auto sumColumn = [&](int col) {
        return pageTotals && std::find(pageTotals->columns.begin(), pageTotals->columns.end(),
                                       col) != pageTotals->columns.end();
    };
    std::vector<char> colMerged(nCols);
    for (std::size_t ci = 0; ci < nCols; ++ci) {
        colMerged[ci] = sheet.colMerge(cols[ci].col) == grid::MergeMode::Always;
    }
    for (std::size_t ri = 0; ri < nRows; ++ri) {
        const int row = rows[ri].row;
        const bool inBand = ri >= bandFirst && ri <= bandLast;
        const bool rowMerged = inBand && sheet.rowMerge(row) == grid::MergeMode::Always;
        const bool extraRow =
            rows[ri].kind != PageRowKind::Sheet && rows[ri].kind != PageRowKind::RepeatedHeader;
        const bool labels = !extraRow && grid::spillsLabels(sheet, row);
        for (std::size_t ci = 0; ci < nCols; ++ci) {
            if (covered[ci * nRows + ri]) {
                continue;
            }
            if (extraRow) {
                // A page-total row's label shows across the columns that hold no sum.
                PageBlock b{ci, ri, ci, ri};
                if (ci == 0) {
                    while (b.cj + 1 < nCols && !sumColumn(cols[b.cj + 1].col)) {
                        ++b.cj;
                    }
                }
                for (std::size_t cj = b.ci; cj <= b.cj; ++cj) {
                    covered[cj * nRows + ri] = 1;
                }
                blocks.push_back(b);
                continue;
            }
            if (!labels && (!inBand || (!rowMerged && !colMerged[ci]))) {
                blocks.push_back({ci, ri, ci, ri});  // no merge reaches this cell
                continue;
            }
            const grid::CellSpan span = grid::mergeSpan(sheet, cols[ci].col, row, window);
            // Hidden rows and columns inside the span take no room on the page.
            PageBlock b{ci, ri, ci, ri};
            while (b.rj + 1 <= bandLast && rows[b.rj + 1].row <= span.row2) {
                ++b.rj;
            }
            while (b.cj + 1 < nCols && cols[b.cj + 1].col <= span.col2) {
                ++b.cj;
            }
            for (std::size_t cj = b.ci; cj <= b.cj; ++cj) {
                for (std::size_t rj = b.ri; rj <= b.rj; ++rj) {
                    covered[cj * nRows + rj] = 1;
                }
            }
            blocks.push_back(b);
        }
    }
    return blocks;
}

// The blocks of the repeated column header row, left to right (ri and rj unused).
std::vector<PageBlock> headerBlocks(const grid::Sheet &sheet, const std::vector<PageColumn> &cols) {
    std::vector<PageBlock> blocks;
    if (cols.empty()) {
        return blocks;
    }
    const grid::MergeWindow window{cols.front().col, cols.back().col, 0, 0};
    std::size_t ci = 0;
    while (ci < cols.size()) {
        const grid::CellSpan span = grid::mergeSpan(sheet, cols[ci].col, 0, window);
        std::size_t cj = ci;
        while (cj + 1 < cols.size() && cols[cj + 1].col <= span.col2) {
            ++cj;
        }
        blocks.push_back({ci, 0, cj, 0});
        ci = cj + 1;
    }
    return blocks;
}

std::vector<grid::CellSpan> printedBlocks(const grid::Sheet &sheet, const Pagination &pagination,
                                          int page) {
    const PageLayout layout = pagination.layout(page);
    const std::vector<PageColumn> cols = pagination.columns(page);
    const std::vector<PageRow> rows = pageRows(sheet, layout);
    std::vector<grid::CellSpan> out;
    if (pagination.printsColHeader()) {
        for (const PageBlock &b : headerBlocks(sheet, cols)) {
            out.push_back({cols[b.ci].col, 0, cols[b.cj].col, 0});
        }
    }
    for (const PageBlock &b : cellBlocks(sheet, cols, rows)) {
        if (!rows[b.ri].fromSheet()) {
            continue;
        }
        out.push_back({cols[b.ci].col, rows[b.ri].row, cols[b.cj].col, rows[b.rj].row});
    }
    return out;
}

}  // namespace tessel::print
