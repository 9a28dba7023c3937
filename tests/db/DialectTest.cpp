#include <gtest/gtest.h>

#include "db/SqlDialect.h"

using namespace tessel::db;

namespace {

struct Case {
    const char *in;
    const char *out;
};

class SQLiteTranslation : public ::testing::TestWithParam<Case> {};

TEST_P(SQLiteTranslation, Rewrites) {
    const Case c = GetParam();
    EXPECT_EQ(translateSql(QString::fromUtf8(c.in), Dialect::SQLite), QString::fromUtf8(c.out));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SQLiteTranslation,
    ::testing::Values(
        Case{"select top 50  a,b from t", "select  a,b from t limit 50"},
        Case{"SELECT TOP 5 * FROM 订单 WHERE 金额>1 ORDER BY 编号",
             "SELECT * FROM 订单 WHERE 金额>1 ORDER BY 编号 limit 5"},
        Case{"select distinct top 3 名称 from 产品", "select distinct 名称 from 产品 limit 3"},
        Case{"select top (7) x from t;", "select x from t limit 7;"},
        Case{"select * from (select top 2 x from t) q where x>0",
             "select * from (select x from t limit 2) q where x>0"},
        // `top` as a name, or inside literals and quoted names, is left alone.
        Case{"select top from t", "select top from t"},
        Case{"select 'select top 5 x' as s from t", "select 'select top 5 x' as s from t"},
        Case{"select [top 5] from t", "select [top 5] from t"},
        Case{"select * from t where n = N'张''三'", "select * from t where n = '张''三'"},
        Case{"select N'x', n'y', abcN'z'", "select 'x', 'y', abcN'z'"},
        Case{"select 'a'N'b', N'c'N'd'", "select 'a' 'b', 'c' 'd'"},
        // A trailing line comment keeps what the rewrite appends off its line.
        Case{"select top 5 a from t -- note", "select a from t -- note\n limit 5"},
        Case{"select a -- top 5\nfrom t", "select a -- top 5\nfrom t"},
        Case{"update tsl_report set 列宽='1 2' where 报表名称 = 'a'",
             "update tsl_report set 列宽='1 2' where 报表名称 = 'a'"}));

TEST(Translation, SqlServerPassesUnchanged) {
    const QString sql = QStringLiteral("select top 5 * from dbo.sysobjects where name = N'x'");
    EXPECT_EQ(translateSql(sql, Dialect::SqlServer), sql);
}

TEST(Translation, CatalogueBecomesSubqueries) {
    const QString t = translateSql(
        QStringLiteral(
            "select name from dbo.sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = 1"),
        Dialect::SQLite);
    EXPECT_TRUE(t.startsWith(QLatin1String("select name from (select"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QLatin1String(") as sysobjects where (select count(*)")));
    EXPECT_FALSE(t.contains(QLatin1String("OBJECTPROPERTY")));
    EXPECT_FALSE(t.contains(QLatin1String("N'")));
}

TEST(Translation, LineCommentEndingAnArgumentKeepsItsLineBreak) {
    const QString t =
        translateSql(QStringLiteral("select object_id(name -- note\n) from t"), Dialect::SQLite);
    EXPECT_TRUE(t.contains(QLatin1String("-- note\n collate nocase) from t"))) << t.toStdString();
}

struct TableCase {
    const char *sql;
    const char *table;
};

class SingleTable : public ::testing::TestWithParam<TableCase> {};

// Nested object_id() calls: each level's argument appears once in the translation, so the
// statement grows with the depth, not with two to its power.
TEST(Translation, NestedObjectIdStaysLinear) {
    for (const Dialect d : {Dialect::SQLite, Dialect::PostgreSQL}) {
        QString sql = QStringLiteral("name");
        for (int depth = 0; depth < 24; ++depth)
            sql = QStringLiteral("object_id(%1)").arg(sql);
        EXPECT_LT(
            translateSql(QStringLiteral("select ") + sql + QStringLiteral(" from t"), d).size(),
            24 * 200)
            << int(d);
    }
}

TEST_P(SingleTable, Found) {
    EXPECT_EQ(singleTableOf(QString::fromUtf8(GetParam().sql)),
              QString::fromUtf8(GetParam().table));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, SingleTable,
    ::testing::Values(TableCase{"select * from tsl_report where 报表名称= ?", "tsl_report"},
                      TableCase{"select * from dbo.[订单] o where 1=1", "订单"},
                      TableCase{"select * from \"my table\"", "my table"},
                      TableCase{"select a from t1, t2", ""},
                      TableCase{"select a from t1 join t2 on t1.x=t2.x", ""},
                      TableCase{"select a from (select a from t) q", ""},
                      TableCase{"update t set a=1", ""}));

TEST(BindQuoted, PlaceholdersBecomeParameters) {
    const Statement st = bindQuoted(
        QStringLiteral("update tsl_report set 列宽='%1',行高='%2' where 报表名称 = '%3'"),
        {QStringLiteral("8 12"), 11.5, QStringLiteral("O'Brien")});
    EXPECT_EQ(st.text, QStringLiteral("update tsl_report set 列宽=?,行高=? where 报表名称 = ?"));
    ASSERT_EQ(st.params.size(), 3);
    EXPECT_EQ(st.params[2].toString(), QStringLiteral("O'Brien"));
}

TEST(BindQuoted, RepeatsUnquotedAndOutOfRange) {
    const Statement st =
        bindQuoted(QStringLiteral("select %2, '%1', '%1', '%9', 100%"), {QStringLiteral("a"), 2});
    EXPECT_EQ(st.text, QStringLiteral("select ?, ?, ?, '%9', 100%"));
    ASSERT_EQ(st.params.size(), 3);
    EXPECT_EQ(st.params[0].toInt(), 2);
    EXPECT_EQ(st.params[1].toString(), QStringLiteral("a"));
}

TEST(BindQuoted, HugePlaceholderNumbersBindNothing) {
    // 4294967297 is 2^32 + 1: an index that wrapped around would bind value 1.
    const QString templ = QStringLiteral("select '%4294967297', %99999999999999999999");
    const Statement st = bindQuoted(templ, {QStringLiteral("a")});
    EXPECT_EQ(st.text, templ);
    EXPECT_TRUE(st.params.isEmpty());
}

}  // namespace
