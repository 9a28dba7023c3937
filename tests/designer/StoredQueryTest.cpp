// The stored query's text rules: taken apart by position (odd queries included), and the
// wizard's entries, conditions and generated select.
#include <gtest/gtest.h>

#include "designer/StoredQuery.h"

using namespace tessel::designer;
using tessel::db::Dialect;

namespace {

TEST(ParseStoredQuery, TakesQueriesApartByPosition) {
    // selection: "head|fields|tables", fields and tables joined with "/"; "-" for none.
    const struct {
        const char *query, *condition, *selection;
    } cases[] = {
        {"select a,b from t1,t2 where x=1", " x=1", "select|a/b|t1/t2"},
        {"SELECT Name FROM Emp WHERE Id>1", " Id>1", "select|Name|emp"},
        {"select \"Dept\".x from \"Dept\",Emp", "-", "select|\"Dept\".x|\"Dept\"/emp"},
        {"select distinct top 5 a, b from t", "-", "select distinct top 5|a/ b|t"},
        {"select top (5) percent with ties a from t", "-", "select top (5) percent with ties|a|t"},
        {"select top 5 from t", "-", "select top|5|t"},
        {"select 名称 as 名 from 表 where 名称='X'", " 名称='X'", "select|名称 as 名|表"},
        {"select a from t where", "", "select|a|t"},
        {"select a from  where x", " x", "select|a|"},
        {"select a from where x", " x", "-"},
        {"select a where x from t", " x from t", "-"},
        // Keywords are whole words outside literals and quoted names.
        {"select fromage from t", "-", "select|fromage|t"},
        {"select fromdate,todate from t where wherever=1", " wherever=1",
         "select|fromdate/todate|t"},
        {"select somewhere from t", "-", "select|somewhere|t"},
        {"select 'from' as k from t where b='where'", " b='where'", "select|'from' as k|t"},
        {"select \"where\",[from] from t", "-", "select|\"where\"/[from]|t"},
        {"from t", "-", "-"},
        {"select 1", "-", "-"},
        {"", "-", "-"},
    };
    for (const auto &c : cases) {
        const auto parts = parseStoredQuery(QString::fromUtf8(c.query));
        EXPECT_EQ(parts.condition.value_or(QStringLiteral("-")).toStdString(), c.condition)
            << c.query;
        const QString selection = parts.selection ? parts.selection->head + u'|' +
                                                        parts.selection->fields.join(u'/') + u'|' +
                                                        parts.selection->tables.join(u'/')
                                                  : QStringLiteral("-");
        EXPECT_EQ(selection.toStdString(), c.selection) << c.query;
    }
}

TEST(StoredQuery, EntriesNameTheirTablesAndTakeOneAlias) {
    // entry, its table, whether it is a field of 员工, the entry renamed to " 新名 ".
    const struct {
        const char *entry, *table;
        bool ofEmployees;
        const char *renamed;
    } cases[] = {
        {" 员工.姓名 as 旧名 ", "员工", true, "员工.姓名 as 新名"},
        {"员工.姓 AS 名 as 旧名", "员工", true, "员工.姓 AS 名 as 新名"},
        {"员工工资.月份", "员工工资", false, "员工工资.月份 as 新名"},
        {"dbo.员工.姓名", "dbo", false, "dbo.员工.姓名 as 新名"},
        {"姓名", "姓", false, "姓名 as 新名"},
    };
    for (const auto &c : cases) {
        const QString entry = QString::fromUtf8(c.entry);
        EXPECT_EQ(entryTable(entry).toStdString(), c.table) << c.entry;
        EXPECT_EQ(isFieldOf(entry, QStringLiteral("员工")), c.ofEmployees) << c.entry;
        EXPECT_EQ(withAlias(entry, QStringLiteral(" 新名 ")).toStdString(), c.renamed) << c.entry;
    }
}

TEST(StoredQuery, ConditionsAndTheGeneratedSelect) {
    // A condition replaces the last "where"; the keyword rule is parseStoredQuery's.
    const char *conditions[][3] = {
        {" select a from t where x=1 ", " y ", "select a from t where  y "},
        {"select a from t where x=1", "  ", "select a from t where x=1"},
        {"select a from (select b from u where c=1) v where x", "y",
         "select a from (select b from u where c=1) v where y"},
        {"SELECT a FROM t WHERE x=1", "y", "SELECT a FROM t where y"},
        {"select nowhere from t", "y", "select nowhere from t where y"},
        {"select a from t where b='where'", "c", "select a from t where c"},
    };
    for (const auto &c : conditions) {
        EXPECT_EQ(withCondition(QString::fromUtf8(c[0]), QString::fromUtf8(c[1])).toStdString(),
                  c[2])
            << c[0];
    }
    EXPECT_EQ(
        composeSelect({"员工.姓名 as 名字", "员工.工资"}, {"员工"}, "工资>0", Dialect::SqlServer)
            .toStdString(),
        "select  员工.姓名 as 名字,员工.工资 from 员工 where 工资>0");
    EXPECT_EQ(composeSelect({"Dept.Name AS N", "Emp.id"}, {"Dept", "Emp"}, "", Dialect::PostgreSQL)
                  .toStdString(),
              "select  \"Dept\".\"Name\" AS N,\"Emp\".id from \"Dept\",\"Emp\"");
}

}  // namespace
