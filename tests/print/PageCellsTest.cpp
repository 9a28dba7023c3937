// The rows a printed page holds: the rule the page painter and find share.
#include <gtest/gtest.h>

#include "print/PageCells.h"

using namespace tessel;

TEST(PageCells, RowsOfAPage) {
    // Rows 1..6 of 10 points each, the cell area 35 points high from y = 100.
    const struct {
        const char *name;
        std::vector<std::pair<int, double>> heights;  // rows whose height is not 10
        int first, last;
        std::vector<print::PageRow> expected;
    } cases[] = {
        {"all fit", {}, 1, 3, {{1, 100, 10}, {2, 110, 10}, {3, 120, 10}}},
        {"a hidden row takes no room", {{2, 0}}, 1, 4, {{1, 100, 10}, {3, 110, 10}, {4, 120, 10}}},
        // The fourth row starts at 130 and is cut at the bottom edge (135).
        {"the last row cut at the bottom",
         {},
         1,
         4,
         {{1, 100, 10}, {2, 110, 10}, {3, 120, 10}, {4, 130, 5}}},
        // The band reaches row 6, but row 5 starts at the bottom edge: neither prints.
        {"a row below the bottom ends the page",
         {{1, 15}},
         1,
         6,
         {{1, 100, 15}, {2, 115, 10}, {3, 125, 10}}},
        {"a row taller than the page", {{5, 200}}, 5, 5, {{5, 100, 35}}},
        {"a band without rows", {}, 4, 3, {}},
    };
    for (const auto &c : cases) {
        grid::Sheet sheet;
        sheet.setMaxCols(1);
        sheet.setMaxRows(10);
        for (int r = 1; r <= 10; ++r)
            sheet.setRowHeight(r, 10);
        for (const auto &[row, h] : c.heights)
            sheet.setRowHeight(row, h);
        print::PageLayout layout;
        layout.firstRow = c.first;
        layout.lastRow = c.last;
        layout.cells = QRectF(50, 100, 300, 35);
        const std::vector<print::PageRow> rows = print::pageRows(sheet, layout);
        ASSERT_EQ(rows.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].row, c.expected[i].row) << c.name << " #" << i;
            EXPECT_DOUBLE_EQ(rows[i].y, c.expected[i].y) << c.name << " #" << i;
            EXPECT_DOUBLE_EQ(rows[i].h, c.expected[i].h) << c.name << " #" << i;
        }
    }
}
