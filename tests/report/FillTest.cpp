// FillFromRecordset, SetHeadersFromFields and SetLabelsAndWidths on sheets filled from a real
// database, on every backend.
#include <gtest/gtest.h>

#include "definitions/Definitions.h"
#include "report/SheetDb.h"
#include "support/ScriptedInteraction.h"

using namespace tessel;
using tessel::test::Backend;

namespace {

class Fill : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        TESSEL_SKIP_UNLESS_AVAILABLE(GetParam());
        data = std::make_unique<test::SheetDb>(GetParam());
        data->db.exec(
            QStringLiteral("create table t (编号 integer, 名称 text, 金额 real);"
                           "insert into t values (1, '甲', 10.5);"
                           "insert into t values (2, null, 2);"
                           "insert into t values (3, 'O''Brien', null);"));
    }
    std::unique_ptr<test::SheetDb> data;
    grid::Sheet sheet;
};

TEST_P(Fill, RecordsGoToRowsFieldsToColumns) {
    test::ScriptedInteraction user;
    data->fill(sheet, QStringLiteral("select 名称, 金额 from t order by 编号"));
    EXPECT_EQ(sheet.maxCols(), 2);
    EXPECT_EQ(sheet.maxRows(), 3);
    EXPECT_EQ(sheet.text(1, 1), QStringLiteral("甲"));
    EXPECT_EQ(sheet.text(2, 1), QStringLiteral("10.5"));
    // A NULL field leaves its cell empty and the rest of its record is written.
    EXPECT_EQ(sheet.text(1, 2), QString());
    EXPECT_EQ(sheet.text(2, 2), QStringLiteral("2"));
    EXPECT_EQ(sheet.text(1, 3), QStringLiteral("O'Brien"));
    EXPECT_EQ(sheet.text(2, 3), QString());
    EXPECT_EQ(user.busyMaxDepth, 1);  // the hourglass was shown, and is gone
    EXPECT_EQ(user.busyDepth, 0);
}

TEST_P(Fill, SecondShorterFillShowsOnlyItsRows) {
    data->fill(sheet, QStringLiteral("select 名称, 编号, 金额 from t order by 编号"));
    data->fill(sheet, QStringLiteral("select 名称, 编号 from t where 编号 = 2"));
    EXPECT_EQ(sheet.maxCols(), 2);
    EXPECT_EQ(sheet.maxRows(), 1);
    EXPECT_EQ(sheet.text(1, 1), QString());  // the NULL replaced the earlier 甲
    EXPECT_EQ(sheet.text(2, 1), QStringLiteral("2"));
    EXPECT_EQ(sheet.lastDataRow(), 1);

    data->fill(sheet, QStringLiteral("select 编号, 名称, 金额 from t where 编号 > 9"));
    EXPECT_EQ(sheet.maxCols(), 3);
    EXPECT_EQ(sheet.maxRows(), 0);
}

TEST_P(Fill, StartsFromTheFirstRecord) {
    db::Recordset rs = data->query(QStringLiteral("select 编号 from t order by 编号"));
    rs.moveNext();
    report::FillFromRecordset(rs, sheet);
    EXPECT_EQ(sheet.maxRows(), 3);
    EXPECT_EQ(sheet.text(1, 1), QStringLiteral("1"));
}

TEST_P(Fill, HeadersFromFieldNames) {
    db::Recordset rs = data->query(QStringLiteral("select 编号 as 部门编号, 名称 from t"));
    report::SetHeadersFromFields(rs, sheet);
    EXPECT_EQ(sheet.maxCols(), 2);
    EXPECT_EQ(sheet.text(1, 0), QStringLiteral("部门编号"));
    EXPECT_EQ(sheet.colWidth(1), 14.0);
    EXPECT_EQ(sheet.text(2, 0), QStringLiteral("名称"));
    EXPECT_EQ(sheet.colWidth(2), 7.0);
}

INSTANTIATE_TEST_SUITE_P(Backends, Fill, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

TEST(FillLarge, HundredThousandRowsAreAllFilled) {
    test::SheetDb data;
    data.db.exec(QStringLiteral(
        "create table n (i integer, s text);"
        "with recursive c(i) as (select 1 union all select i + 1 from c where i < 100000) "
        "insert into n select i, 'r' || i from c;"));
    grid::Sheet sheet;
    data.fill(sheet, QStringLiteral("select i, s from n order by i"));
    EXPECT_EQ(sheet.maxRows(), 100000);
    EXPECT_EQ(sheet.text(1, 32768), QStringLiteral("32768"));
    EXPECT_EQ(sheet.text(2, 100000), QStringLiteral("r100000"));
}

TEST(FillNotices, OneChangeForTheWholeFillAndRedrawRestored) {
    test::SheetDb data;
    data.db.exec(QStringLiteral("create table t (a, b); insert into t values (1, 2), (3, 4);"));
    grid::Sheet sheet;
    int changes = 0;
    QObject::connect(&sheet, &grid::Sheet::changed, [&] { ++changes; });
    data.fill(sheet, QStringLiteral("select a, b from t"));
    EXPECT_TRUE(sheet.redraw());
    EXPECT_EQ(changes, 1);
    // A caller that suspended redraw keeps it suspended.
    sheet.setRedraw(false);
    data.fill(sheet, QStringLiteral("select b from t"));
    EXPECT_FALSE(sheet.redraw());
    EXPECT_EQ(changes, 1);
}

TEST(SetLabelsAndWidths, Cases) {
    const double d = grid::kDefaultColWidth;
    const struct {
        const char *name;
        QVariant labels, widths;
        int count;
        QStringList labelsAfter;  // columns 1..4; "old" is untouched
        QList<double> widthsAfter;
    } cases[] = {
        {"both",
         QStringLiteral("编号，名称，金额，"),
         QStringLiteral("6 10 8"),
         3,
         {"编号", "名称", "金额", "old"},
         {6, 10, 8, d}},
        {"empty element",
         QStringLiteral("编号，，金额，"),
         QVariant(),
         3,
         {"编号", " ", "金额", "old"},
         {d, d, d, d}},
        {"short lists",
         QStringLiteral("编号，名称，金额"),
         QStringLiteral("6"),
         4,
         {"编号", "名称", "金额", "old"},
         {6, d, d, d}},
        {"count limits",
         QStringLiteral("编号，名称，"),
         QStringLiteral("6 7 8"),
         1,
         {"编号", "old", "old", "old"},
         {6, d, d, d}},
        {"two blanks shift",
         QVariant(),
         QStringLiteral("8.5  12 10"),
         4,
         {"old", "old", "old", "old"},
         {8.5, d, 12, 10}},
        {"bad width",
         QString(),
         QStringLiteral("5 x 7"),
         3,
         {"old", "old", "old", "old"},
         {5, d, 7, d}},
        {"NULL",
         QVariant(QMetaType::fromType<QString>()),
         QVariant(),
         2,
         {"old", "old", "old", "old"},
         {d, d, d, d}},
    };
    for (const auto &c : cases) {
        grid::Sheet sheet;
        for (int col = 1; col <= 4; ++col)
            sheet.setText(col, 0, QStringLiteral("old"));
        report::SetLabelsAndWidths(c.labels, c.widths, c.count, sheet);
        EXPECT_EQ(sheet.maxCols(), c.count) << c.name;
        for (int col = 1; col <= 4; ++col) {
            EXPECT_EQ(sheet.text(col, 0), c.labelsAfter[col - 1]) << c.name << col;
            EXPECT_EQ(sheet.colWidth(col), c.widthsAfter[col - 1]) << c.name << col;
        }
    }
}

TEST(SetLabelsAndWidths, FromAStoredDefinition) {
    test::SheetDb data;
    data.db.exec(
        QStringLiteral("insert into tsl_report (报表名称, 列标注, 列宽) "
                       "values ('r', '编号，名称，', '8.5 12');"));
    db::Recordset rs = definitions::open(definitions::selectReport(QStringLiteral("r")), data.conn,
                                         definitions::Access::ReadOnly);
    grid::Sheet sheet;
    report::SetLabelsAndWidths(rs.value(QStringLiteral("列标注")), rs.value(QStringLiteral("列宽")),
                               2, sheet);
    EXPECT_EQ(sheet.text(2, 0), QStringLiteral("名称"));
    EXPECT_EQ(sheet.colWidth(1), 8.5);
    // NULL columns (none stored) change nothing but the count.
    report::SetLabelsAndWidths(rs.value(QStringLiteral("页头文本")),
                               rs.value(QStringLiteral("页脚文本")), 3, sheet);
    EXPECT_EQ(sheet.text(2, 0), QStringLiteral("名称"));
    EXPECT_EQ(sheet.colWidth(2), 12.0);
    EXPECT_EQ(sheet.maxCols(), 3);
}

}  // namespace
