#include <gtest/gtest.h>

#include "grid/MergeSpans.h"

using namespace tessel::grid;

// Sheets of 4 columns, column 2 hidden; rows from row 0 (the column header row) split by '/',
// one letter per column from column 1, '.' for an empty cell; merged columns and rows as digits;
// marked rows (a subtotal row) as digits too.
TEST(MergeSpans, BlocksOfEqualNeighbours) {
    const MergeWindow all{1, 4, 0, 4}, cols2to4{2, 4, 0, 4}, rows2to4{1, 4, 2, 4};
    const struct {
        const char *name, *rows, *mergedCols, *mergedRows;
        MergeWindow window;
        int col, row;
        CellSpan expected;
        const char *markedRows = "";
    } cases[] = {
        {"merged row joins neighbours, hidden too", "/AAAB", "", "1", all, 3, 1, {1, 1, 3, 1}},
        {"row block cut at the window", "/AAAB", "", "1", cols2to4, 3, 1, {2, 1, 3, 1}},
        {"empty cell stands alone", "/A..A", "", "1", all, 2, 1, {2, 1, 2, 1}},
        {"header row merges along the row", "HHx.", "", "0", all, 2, 0, {1, 0, 2, 0}},
        {"merged column joins the run down", "/A/A/A/B", "1", "", all, 1, 2, {1, 1, 1, 3}},
        {"column run cut at the window", "/A/A/A/B", "1", "", rows2to4, 1, 3, {1, 2, 1, 3}},
        {"a column run keeps out of the row block", "/AA/A", "1", "1", all, 2, 1, {2, 1, 2, 1}},
        {"so does a run the window cuts", "/.B/BB/", "2", "2", rows2to4, 1, 2, {1, 2, 1, 2}},
        {"a marked row ends a run", "/A/A/A/A", "1", "", all, 1, 1, {1, 1, 1, 2}, "3"},
        {"its label runs on over the empty cells",
         "/A/A/A/A",
         "1",
         "",
         all,
         1,
         3,
         {1, 3, 4, 3},
         "3"},
        {"an empty cell it covers is in its block",
         "/A/A/A/A",
         "1",
         "",
         all,
         3,
         3,
         {1, 3, 4, 3},
         "3"},
        {"a number does not run on", "/A/1", "", "", all, 1, 2, {1, 2, 1, 2}, "2"},
        {"runs go on past it", "/A/A/A/A", "1", "", all, 1, 4, {1, 4, 1, 4}, "3"},
        {"a marked row joins no equal neighbour", "/A/AA", "1", "2", all, 2, 2, {2, 2, 4, 2}, "2"},
    };
    for (const auto &c : cases) {
        Sheet sheet;
        const QStringList rows = QString::fromLatin1(c.rows).split(u'/');
        sheet.setMaxCols(4);
        sheet.setMaxRows(int(rows.size()) - 1);
        sheet.setColWidth(2, 0);
        for (int r = 0; r < rows.size(); ++r) {
            for (int col = 1; col <= rows[r].size(); ++col)
                sheet.setText(col, r, rows[r].mid(col - 1, 1).remove(u'.'));
        }
        for (const char *d = c.mergedCols; *d; ++d)
            sheet.setColMerge(*d - '0', MergeMode::Always);
        for (const char *d = c.mergedRows; *d; ++d)
            sheet.setRowMerge(*d - '0', MergeMode::Always);
        for (const char *d = c.markedRows; *d; ++d)
            sheet.setRowMark(*d - '0', {RowKind::Subtotal, 1});
        EXPECT_EQ(mergeSpan(sheet, c.col, c.row, c.window), c.expected) << c.name;
    }
}
