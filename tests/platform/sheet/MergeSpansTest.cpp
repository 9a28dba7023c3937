#include <gtest/gtest.h>

#include <vector>

#include "platform/sheet/MergeSpans.h"

using namespace tessel::platform;

namespace {

constexpr MergeWindow kAll{1, 4, 0, 4};

}  // namespace

// Sheets of 4 columns: one text per row from row 0 (the column header row), one letter per
// column from column 1, '.' for an empty cell. Merged columns and rows are given as digits.
TEST(MergeSpans, BlocksOfEqualNeighbours) {
    const struct {
        const char *name;
        std::vector<const char *> rows;
        const char *mergedCols, *mergedRows;
        MergeWindow window;
        int col, row;
        CellSpan expected;
    } cases[] = {
        {"nothing merged: the cell alone", {"....", "AAAB"}, "", "", kAll, 2, 1, {2, 1, 2, 1}},
        {"merged row joins equal neighbours", {"....", "AAAB"}, "", "1", kAll, 2, 1, {1, 1, 3, 1}},
        {"row block cut at the window's columns",
         {"....", "AAAB"},
         "",
         "1",
         {2, 4, 0, 4},
         3,
         1,
         {2, 1, 3, 1}},
        {"empty cell stands alone", {"....", "A..A"}, "", "1", kAll, 2, 1, {2, 1, 2, 1}},
        {"row header cell stands alone", {"....", "AAAA"}, "", "1", kAll, 0, 1, {0, 1, 0, 1}},
        {"header row merges along the row", {"HHx.", "...."}, "", "0", kAll, 2, 0, {1, 0, 2, 0}},
        {"merged column joins the run down",
         {"....", "A", "A", "A", "B"},
         "1",
         "",
         kAll,
         1,
         2,
         {1, 1, 1, 3}},
        {"column run cut at the window's rows",
         {"....", "A", "A", "A", "B"},
         "1",
         "",
         {1, 4, 2, 4},
         1,
         3,
         {1, 2, 1, 3}},
        {"header row is not part of a column run",
         {"A...", "A", "B"},
         "1",
         "",
         kAll,
         1,
         1,
         {1, 1, 1, 1}},
        {"a cell in a column run keeps out of the row block",
         {"....", "AA", "A."},
         "1",
         "1",
         kAll,
         2,
         1,
         {2, 1, 2, 1}},
        {"run cut by the window still keeps out of the row block",
         {"....", ".B", "BB", "...."},
         "2",
         "2",
         {1, 4, 2, 4},
         1,
         2,
         {1, 2, 1, 2}},
        {"a hidden column is compared like any other",
         {"....", "AAA."},
         "",
         "1",
         kAll,
         1,
         1,
         {1, 1, 3, 1}},
    };
    for (const auto &c : cases) {
        Sheet sheet;
        sheet.setMaxCols(4);
        sheet.setMaxRows(int(c.rows.size()) - 1);
        sheet.setColWidth(2, 0);
        for (int r = 0; r < int(c.rows.size()); ++r) {
            for (int col = 1; c.rows[r][col - 1] != '\0'; ++col) {
                if (c.rows[r][col - 1] != '.')
                    sheet.setText(col, r, QString(QChar(c.rows[r][col - 1])));
            }
        }
        for (const char *d = c.mergedCols; *d; ++d)
            sheet.setColMerge(*d - '0', MergeMode::Always);
        for (const char *d = c.mergedRows; *d; ++d)
            sheet.setRowMerge(*d - '0', MergeMode::Always);
        EXPECT_EQ(mergeSpan(sheet, c.col, c.row, c.window), c.expected) << c.name;
    }
}
