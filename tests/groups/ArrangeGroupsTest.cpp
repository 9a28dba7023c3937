#include <gtest/gtest.h>

#include "groups/ArrangeGroups.h"

using namespace tessel;
using grid::GroupLevel;
using grid::GroupTotal;
using grid::RowKind;
using F = grid::TotalFunction;

namespace {

// A level on `column` with `totals` (nullopt: the defaults), and a header row when asked.
GroupLevel level(int column, std::optional<std::vector<GroupTotal>> totals = std::nullopt,
                 bool header = false, const char *label = "{value} 小计") {
    GroupLevel l;
    l.column = column;
    l.totals = std::move(totals);
    l.header = header;
    l.label = QString::fromUtf8(label);
    return l;
}

// The rows of a sheet, each as its kind (D data, H header, S subtotal, T totals, with the
// level) and its cells joined by "|".
QString shown(const grid::Sheet &s) {
    QStringList rows;
    for (int r = 1; r <= s.maxRows(); ++r) {
        const grid::RowMark m = s.rowMark(r);
        QString row = QString("DHST"[int(m.kind)]) + (m.level ? QString::number(m.level) : "");
        for (int c = 1; c <= s.maxCols(); ++c)
            row += (c > 1 ? "|" : ":") + s.text(c, r);
        rows << row;
    }
    return rows.join(u' ');
}

}  // namespace

// Columns: 1 department, 2 month, 3 amount, 4 note. Rows given as "a|b|c|d" separated by " ".
TEST(ArrangeGroups, GroupsSortsAndTotals) {
    const struct {
        const char *name, *rows;
        std::vector<GroupLevel> levels;
        bool sort;
        const char *expected;
    } cases[] = {
        {"unsorted input, default sums",
         "B|1|5|x A|2|1.5|y B|1|2|z",
         {level(1)},
         true,
         "D:A|2|1.5|y S1:A 小计||1.5| D:B|1|5|x D:B|1|2|z S1:B 小计||7|"},
        {"two levels, header, every function",
         "A|2|4|n A|1|1|m A|2|x|",
         {level(1, {{{3, F::Count}}}, true), level(2, {{{3, F::Average}, {4, F::Count}}})},
         true,
         "H1:A||| D:A|1|1|m S2:1 小计||1|1 D:A|2|4|n D:A|2|x| S2:2 小计||4|1 S1:A 小计||3|"},
        {"min, max, numbers as numbers, 1,000 is 1000",
         "A|10|3| A|9|-2| A|1,000|7| A|1000|1|",
         {level(1, {{{3, F::Min}, {4, F::Max}}}), level(2, {{{3, F::Max}}})},
         true,
         "D:A|9|-2| S2:9 小计||-2| D:A|10|3| S2:10 小计||3| D:A|1,000|7| D:A|1000|1| "
         "S2:1,000 小计||7| S1:A 小计||-2|"},
        {"empty values group last, no number no sum",
         "|1|a| B|1|| |2|b|",
         {level(1)},
         true,
         "D:B|1|| S1:B 小计||| D:|1|a| D:|2|b| S1: 小计|||"},
        {"unsorted kept as it is",
         "B|1|1| A|1|2| B|1|4|",
         {level(1, {{{3, F::Sum}}}, false, "小计")},
         false,
         "D:B|1|1| S1:小计||1| D:A|1|2| S1:小计||2| D:B|1|4| S1:小计||4|"},
    };
    for (const auto &c : cases) {
        grid::Sheet sheet;
        const QStringList rows = QString::fromUtf8(c.rows).split(u' ');
        sheet.setMaxCols(4);
        sheet.setMaxRows(int(rows.size()));
        for (int r = 0; r < rows.size(); ++r) {
            const QStringList cells = rows[r].split(u'|');
            for (int col = 0; col < cells.size(); ++col)
                sheet.setText(col + 1, r + 1, cells[col]);
        }
        grid::Grouping g;
        g.levels = c.levels;
        g.sort = c.sort;
        groups::arrangeGroups(sheet, g, {3});
        EXPECT_EQ(shown(sheet).toStdString(), c.expected) << c.name;
        EXPECT_EQ(sheet.grouping().levels.size(), c.levels.size()) << c.name;
        for (const auto &[row, mark] : sheet.rowMarks())
            EXPECT_TRUE(sheet.style(2, row).font.bold) << c.name << " row " << row;
        // Arranged again, with a totals row below: the same rows, the totals row still last.
        const QString once = shown(sheet);
        sheet.setMaxRows(sheet.maxRows() + 1);
        sheet.setRowMark(sheet.maxRows(), {RowKind::Totals, 0});
        groups::arrangeGroups(sheet, g, {3});
        EXPECT_EQ(shown(sheet), once + " T:|||") << c.name;
    }
}

TEST(ArrangeGroups, DefaultTotalColumns) {
    grid::Sheet sheet;
    sheet.setMaxCols(4);
    sheet.setMaxRows(3);
    for (const auto &[col, row, text] :
         {std::tuple{1, 1, "1"}, {2, 1, "a"}, {2, 2, "2"}, {3, 2, "1,5"}, {4, 3, "7"}, {1, 3, "x"}})
        sheet.setText(col, row, QString::fromUtf8(text));
    sheet.setRowMark(3, {RowKind::Subtotal, 1});  // not data: its texts do not count
    EXPECT_EQ(groups::defaultTotalColumns(sheet, std::nullopt), std::vector<int>{1});
    EXPECT_EQ(groups::defaultTotalColumns(sheet, std::vector<int>{4, 9, 2, 4}),
              (std::vector<int>{2, 4}));
}
