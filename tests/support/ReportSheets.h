// Report sheets for tests: a three-column report of a chosen number of rows, or of as many
// rows as print to a chosen number of pages.
#pragma once

#include <gtest/gtest.h>

#include "grid/Sheet.h"
#include "print/Pagination.h"

namespace tessel::test {

// Fills `sheet` with a three-column report (labels 编号, 名称, 金额) of `rows` data rows.
inline void fillReport(grid::Sheet &sheet, int rows) {
    sheet.setMaxCols(3);
    sheet.setText(1, 0, QStringLiteral("编号"));
    sheet.setText(2, 0, QStringLiteral("名称"));
    sheet.setText(3, 0, QStringLiteral("金额"));
    for (int c = 1; c <= 3; ++c)
        sheet.setColWidth(c, 12);
    for (int r = 1; r <= rows; ++r) {
        sheet.setText(1, r, QString::number(r));
        sheet.setText(2, r, QStringLiteral("办公用品%1").arg(r));
        sheet.setText(3, r, QString::number(r * 12.5, 'f', 2));
    }
    sheet.setMaxRows(rows);
}

// The number of data rows that makes `sheet`, with its print settings, print to `pages`
// pages on A4 (rows fill `pages` - 1 pages and half of the last).
inline int rowsForPages(grid::Sheet &sheet, int pages) {
    fillReport(sheet, 400);
    const print::Pagination probe(sheet);
    const print::PageLayout first = probe.layout(1);
    const int perPage = first.lastRow - first.firstRow + 1;
    return perPage * (pages - 1) + perPage / 2;
}

// Fills `sheet` so that it prints to exactly `pages` pages.
inline void fillPages(grid::Sheet &sheet, int pages) {
    fillReport(sheet, rowsForPages(sheet, pages));
    ASSERT_EQ(print::Pagination(sheet).pageCount(), pages);
}

}  // namespace tessel::test
