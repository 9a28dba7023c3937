// AddTotalsRow on sheets filled from a real database, and the numeric test of its cells.
#include <gtest/gtest.h>

#include "grid/CellNumber.h"
#include "groups/ArrangeGroups.h"
#include "report/SheetDb.h"

using namespace tessel;

namespace {

class Totals : public ::testing::Test {
protected:
    // Fills the sheet from untyped columns a, b, c holding exactly these SQL values.
    void fillRows(const QStringList &rows) {
        QString sql = QStringLiteral("create table t (n integer primary key, a, b, c);");
        for (const QString &r : rows)
            sql += QStringLiteral("insert into t (a, b, c) values (%1);").arg(r);
        data.db.exec(sql);
        data.fill(sheet, QStringLiteral("select a, b, c from t order by n"));
    }
    QString totals(int col) const { return sheet.text(col, sheet.maxRows()); }

    test::SheetDb data;
    grid::Sheet sheet;
};

TEST_F(Totals, EveryColumnByDefaultLabelledAndColoured) {
    fillRows({"'x', 1, 10", "'y', 2, 2.5", "'z', 3, ''"});
    report::AddTotalsRow(sheet, std::nullopt);
    ASSERT_EQ(sheet.maxRows(), 4);
    EXPECT_EQ(totals(0), QString());
    EXPECT_EQ(totals(1), QStringLiteral("合计"));
    EXPECT_EQ(totals(2), QStringLiteral("6"));
    EXPECT_EQ(totals(3), QStringLiteral("12.5"));
    for (int c = 1; c <= 4; ++c)  // columns 1 to the column count + 1
        EXPECT_EQ(sheet.style(c, 4).foreground, QColor(0, 123, 28)) << c;
    EXPECT_FALSE(sheet.style(0, 4).foreground.isValid());
    EXPECT_FALSE(sheet.style(3, 3).foreground.isValid());
}

// Subtotal rows are not data: the grand total over grouped rows is the plain one, and a
// refill leaves no row marked.
TEST_F(Totals, OverGroupedRowsTheSameAsOverPlainRows) {
    fillRows({"'x', 1, 10", "'y', 2, 2.5", "'x', 2, 4", "'y', 1, 1"});
    report::AddTotalsRow(sheet, std::nullopt);
    const QStringList plain{totals(1), totals(2), totals(3)};
    data.fill(sheet, QStringLiteral("select a, b, c from t order by n"));
    EXPECT_TRUE(sheet.rowMarks().empty());
    grid::Grouping g;
    g.levels.resize(2);
    g.levels[0] = {1, std::nullopt, QStringLiteral("{value}"), true, false, false};
    g.levels[1].column = 2;
    groups::arrangeGroups(sheet, g, {2, 3});
    ASSERT_EQ(sheet.maxRows(), 4 + 2 + 4 + 2);  // data, headers, subtotals
    report::AddTotalsRow(sheet, std::nullopt);
    EXPECT_EQ((QStringList{totals(1), totals(2), totals(3)}), plain);
    EXPECT_EQ(sheet.rowMark(sheet.maxRows()).kind, grid::RowKind::Totals);
    data.fill(sheet, QStringLiteral("select a, b, c from t order by n"));
    EXPECT_TRUE(sheet.rowMarks().empty());
}

TEST_F(Totals, NumericTextsAndShownSums) {
    // Thousands separators count whole, blanks around are allowed; 12abc adds nothing. Sums
    // show the digits their addends carry; a zero sum is empty.
    fillRows({"'-', '1,234', '1e3'", "0.1, ' 6 ', '12abc'", "0.2, '1,23', '-1e3'"});
    sheet.setColWidth(1, 0);
    sheet.setColWidth(2, 0);
    report::AddTotalsRow(sheet, std::nullopt);
    EXPECT_EQ(totals(1), QStringLiteral("0.3"));
    EXPECT_EQ(totals(2), QStringLiteral("1240"));
    EXPECT_EQ(totals(3), QString());
    for (int c = 1; c <= 3; ++c)  // only the last column is shown: no label
        EXPECT_NE(totals(c), QStringLiteral("合计"));
}

TEST_F(Totals, LabelGoesToTheFirstShownColumn) {
    fillRows({"1, 2, 3"});
    sheet.setColWidth(1, 0);
    sheet.setColWidth(2, 8);
    report::AddTotalsRow(sheet, std::nullopt);
    EXPECT_EQ(totals(1), QStringLiteral("1"));
    EXPECT_EQ(totals(2), QStringLiteral("合计"));  // replaces the sum
    EXPECT_EQ(totals(3), QStringLiteral("3"));
}

TEST_F(Totals, GivenColumnLists) {
    fillRows({"1, 2, 15", "1, 2, 15"});
    const struct {
        const char *name;
        QVariant columns;
        const char *col2, *col3;
    } cases[] = {
        {"one column", QVariantList{3}, "", "30"},
        {"bad entries skipped", QVariantList{"x", 99, -1, 2.0, QVariant()}, "4", ""},
        {"texts", QStringList{"2", "3"}, "4", "30"},
        {"int list", QVariant::fromValue(QList<int>{3}), "", "30"},
        {"empty value", QVariant(), "", ""},
        {"a text", QStringLiteral("2"), "", ""},
        {"a number", 3, "", ""},
    };
    for (const auto &c : cases) {
        grid::Sheet copy;
        for (int col = 1; col <= 3; ++col) {
            for (int r = 1; r <= 2; ++r)
                copy.setText(col, r, sheet.text(col, r));
        }
        copy.setMaxCols(3);
        copy.setMaxRows(2);
        report::AddTotalsRow(copy, c.columns);
        EXPECT_EQ(copy.maxRows(), 3) << c.name;
        EXPECT_EQ(copy.text(1, 3), QStringLiteral("合计")) << c.name;
        EXPECT_EQ(copy.text(2, 3), QLatin1String(c.col2)) << c.name;
        EXPECT_EQ(copy.text(3, 3), QLatin1String(c.col3)) << c.name;
    }
}

TEST(TotalsValue, NumericTest) {
    const struct {
        const char *text;
        std::optional<double> value;
    } cases[] = {
        {" 7 ", 7},
        {"\t-3", -3},
        {"+4", 4},
        {"1,234", 1234},
        {"-1,234,567.5", -1234567.5},
        {"1e3", 1000},
        {"1.5E-2", 0.015},
        {".5", 0.5},
        {"5.", 5},
        {"", {}},
        {"12abc", {}},
        {"1,23", {}},
        {"1234,567", {}},
        {",123", {}},
        {"1,234,", {}},
        {"1e", {}},
        {"-", {}},
        {".", {}},
        {"1e999", {}},
        {"inf", {}},
        {"0x10", {}},
        {"1 2", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(grid::cellNumber(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
