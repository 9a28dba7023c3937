// The definition record's statements on a real tsl_report table, and its list codecs.
#include <gtest/gtest.h>
#include <tessel/Error.h>

#include "definitions/Definitions.h"
#include "definitions/OptionalColumns.h"
#include "grid/Sheet.h"
#include "support/TestDb.h"

using namespace tessel;
using namespace tessel::definitions;
using tessel::test::Backend;

namespace {

class DefinitionTable : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        TESSEL_SKIP_UNLESS_AVAILABLE(GetParam());
        db.exec(db.tslReportDdl());
        db.exec(QStringLiteral(
            "insert into tsl_report (报表名称, 查询) values ('O''Brien', 'select 1');"
            "insert into tsl_report (报表名称, 查询) values ('销售', 'select 2');"
            "insert into tsl_report (报表名称, 查询) values (' 销售', 'select 3');"));
        conn = db.connect();
    }
    QString queryOf(const db::Statement &st, Access access = Access::ReadOnly) {
        db::Recordset rs = open(st, conn, access);
        return notFound(rs) ? QStringLiteral("<none>") : rs.text(QStringLiteral("查询"));
    }
    test::TempDb db{GetParam()};
    db::Connection conn;
};

TEST_P(DefinitionTable, LookupsFindExactlyTheNamedRow) {
    // A quote in a name is data; blanks around a name are part of the key.
    for (const auto &select : {selectReport, selectReportForSave, selectReportForWizard}) {
        EXPECT_EQ(queryOf(select(QStringLiteral("O'Brien"))), QStringLiteral("select 1"));
        EXPECT_EQ(queryOf(select(QStringLiteral("销售"))), QStringLiteral("select 2"));
        EXPECT_EQ(queryOf(select(QStringLiteral(" 销售"))), QStringLiteral("select 3"));
        EXPECT_EQ(queryOf(select(QStringLiteral("无此报表"))), QStringLiteral("<none>"));
    }
    for (Access a : {Access::ReadOnly, Access::Editable, Access::WizardLoad, Access::AllDefaults})
        EXPECT_EQ(queryOf(selectReport(QStringLiteral("销售")), a), QStringLiteral("select 2"));
}

TEST_P(DefinitionTable, UpdatesAndDeleteTouchOnlyTheNamedRow) {
    const QString name = QStringLiteral("O'Brien");
    EXPECT_EQ(conn.execute(updateLayout(QStringLiteral("8.5 12"), QStringLiteral("20.25"),
                                        QStringLiteral("1,3"), name)),
              1);
    EXPECT_EQ(conn.execute(updateLabels(QStringLiteral("编号，名'称，"), name)), 1);
    db::Recordset rs = open(selectReport(name), conn, Access::ReadOnly);
    EXPECT_EQ(rs.text(QStringLiteral("列宽")), QStringLiteral("8.5 12"));
    EXPECT_EQ(rs.value(QStringLiteral("行高")).toDouble(), 20.25);
    EXPECT_EQ(rs.text(QStringLiteral("合并")), QStringLiteral("1,3"));
    EXPECT_EQ(rs.text(QStringLiteral("列标注")), QStringLiteral("编号，名'称，"));
    // A name without a row changes nothing and is no error.
    EXPECT_EQ(conn.execute(updateLabels(QStringLiteral("x"), QStringLiteral("无此报表"))), 0);

    EXPECT_EQ(conn.execute(deleteReport(QStringLiteral("销售"))), 1);
    QStringList names;
    db::Recordset list = open(selectReportNames(), conn, Access::ReadOnly);
    for (; !list.eof(); list.moveNext())
        names << list.text(0);
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral(" 销售"), name}));
}

INSTANTIATE_TEST_SUITE_P(Backends, DefinitionTable, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

// An optional column is looked up once per connection: a column added later is seen by a
// new connection (or after forgetting), and read and written only where the table has it.
TEST_P(DefinitionTable, OptionalColumnsAreFoundOncePerConnection) {
    const QString fit = "页宽缩放";
    EXPECT_FALSE(readOptionalColumn(conn, fit, "销售"));
    EXPECT_FALSE(writeOptionalColumn(conn, fit, "销售", 2));
    db.exec("alter table tsl_report add 页宽缩放 int");
    EXPECT_FALSE(hasOptionalColumn(conn, fit)) << "known for the connection";
    db::Connection other = db.connect();
    EXPECT_TRUE(hasOptionalColumn(other, fit));
    forgetOptionalColumns(conn);
    EXPECT_TRUE(writeOptionalColumn(conn, fit, "O'Brien", 3));
    EXPECT_EQ(readOptionalColumn(other, fit, "O'Brien")->toInt(), 3);
    EXPECT_TRUE(readOptionalColumn(other, fit, "销售")->isNull());
    EXPECT_FALSE(readOptionalColumn(other, fit, "无此报表"));
}

// Every optional column, on a table that lacks it: the user is told once which column and the
// statement that adds it; that statement runs on this very database, and then nothing is told.
TEST_P(DefinitionTable, AMissingOptionalColumnIsToldOnceWithTheStatementThatAddsIt) {
    for (const OptionalColumn &column : optionalColumns()) {
        SCOPED_TRACE(column.name.toStdString());
        const QString statement = addColumnStatement(column.name, conn.dialect());
        ASSERT_TRUE(statement.startsWith("alter table tsl_report add " + column.name + ' '));
        const std::optional<QString> notice = sessionOnlyNotice(conn, column.name);
        ASSERT_TRUE(notice);
        EXPECT_TRUE(notice->contains(statement)) << notice->toStdString();
        EXPECT_FALSE(sessionOnlyNotice(conn, column.name)) << "told once per connection";

        conn.execute(db::Statement{statement, {}});
        forgetOptionalColumns(conn);
        ASSERT_TRUE(hasOptionalColumn(conn, column.name));
        EXPECT_TRUE(writeOptionalColumn(conn, column.name, "销售", 7));
        EXPECT_FALSE(sessionOnlyNotice(db.connect(), column.name)) << "the column is there";
    }
}

TEST(ListCodecs, SplitAsStored) {
    const struct {
        QStringList (*decode)(const QString &);
        QString text;
        QStringList elements;
    } cases[] = {
        {decodeLabels, QStringLiteral("编号，名称，"), {"编号", "名称", ""}},
        {decodeLabels, QStringLiteral("编号，，金额，"), {"编号", "", "金额", ""}},
        {decodeLabels, QString(), {}},
        {decodeWidths, QStringLiteral("8.5 12 10"), {"8.5", "12", "10"}},
        {decodeWidths, QStringLiteral("8.5  12"), {"8.5", "", "12"}},  // later widths shift
        {decodeWidths, QString(), {}},
        {decodeMerges, QStringLiteral("2,a,4"), {"2", "a", "4"}},
        {decodeMerges, QString(), {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.decode(c.text), c.elements) << c.text.toStdString();
}

TEST(ListCodecs, EncodeFromTheSheet) {
    grid::Sheet sheet;
    sheet.setColWidth(1, 8.5);
    sheet.setColWidth(3, 0.1 + 0.2);
    sheet.setText(1, 0, QStringLiteral("  编 号"));
    sheet.setText(3, 0, QStringLiteral("金额"));
    sheet.setRowHeight(0, 20.25);
    const QString widths = encodeWidths(sheet, 3);
    EXPECT_EQ(widths, QStringLiteral("8.5 8.43 0.30000000000000004"));
    EXPECT_EQ(decodeWidths(widths)[2].toDouble(), 0.1 + 0.2);  // reads back exactly
    // Blanks around the whole are trimmed; an empty label is nothing between two commas.
    EXPECT_EQ(encodeLabels(sheet, 3), QStringLiteral("编 号，，金额，"));
    EXPECT_EQ(encodeHeaderHeight(sheet), QStringLiteral("20.25"));
}

TEST(StoredQuery, CutAtItsOwnWhereInAnyCase) {
    const QString q = QStringLiteral("select a from t where x=1 and y in (select b where c)");
    EXPECT_EQ(cutBeforeWhere(q), QStringLiteral("select a from t "));
    EXPECT_EQ(tailFromWhere(q), QStringLiteral("where x=1 and y in (select b where c)"));
    // A condition written in capitals is the query's condition too: it was once ignored.
    const QString upper = QStringLiteral("select a from t WHERE x=1");
    EXPECT_EQ(cutBeforeWhere(upper), QStringLiteral("select a from t "));
    EXPECT_EQ(tailFromWhere(upper), QStringLiteral("WHERE x=1"));
    const QString none = QStringLiteral("select nowhere from t -- where");
    EXPECT_EQ(cutBeforeWhere(none), none);
    EXPECT_EQ(tailFromWhere(none), QString());
}

}  // namespace
