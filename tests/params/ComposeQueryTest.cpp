// The composition of a run's statement: where the conditions go, what is bound, and the where
// found as the dialect's splitter finds it.
#include <gtest/gtest.h>
#include <tessel/Error.h>

#include "db/SqlClauses.h"
#include "params/ComposeQuery.h"
#include "params/StoredParameters.h"

using namespace tessel;
using namespace tessel::params;

namespace {

const char *const kParams = R"json([
  {"name": "期间", "type": "date", "range": true, "column": "日期"},
  {"name": "客户", "type": "text", "column": "客户", "multi": true},
  {"name": "最低", "type": "number", "column": "金额", "op": ">="},
  {"name": "关键字", "type": "text", "column": "备注", "op": "contains"},
  {"name": "区域", "type": "text", "condition": "(省份 = :区域 or 城市 = :区域)"},
  {"name": "部门", "type": "text"}
])json";

QString shown(const QVariantList &values) {
    QStringList out;
    for (const QVariant &v : values)
        out << v.toString();
    return out.join(u'|');
}

TEST(ComposeQuery, WhereTheConditionsGoAndWhatIsBound) {
    struct Case {
        const char *name, *stored, *host;
        QVariantMap given;
        const char *text, *bound;
    };
    const QVariantMap none;
    const Case cases[] = {
        {"nothing given: as runs always sent it", "select * from 订单 where 1=0", "where a = 1",
         none, "select * from 订单  where a = 1", ""},
        {"no host where",
         "select * from 订单",
         "",
         {{"最低", 5}},
         "select * from 订单 where 金额 >= ?",
         "5"},
        {"host where with order by",
         "select * from 订单",
         "WHERE a = 1 or b = 2 order by a",
         {{"最低", 5}},
         "select * from 订单 where (a = 1 or b = 2) and 金额 >= ? order by a",
         "5"},
        {"literal holding where",
         "select * from 订单 where x = 'where'",
         "",
         {{"最低", 5}},
         "select * from 订单 where 金额 >= ?",
         "5"},
        {"a column named nowhere",
         "select nowhere from t",
         "",
         {{"最低", 5}},
         "select nowhere from t where 金额 >= ?",
         "5"},
        {"stored group by kept after",
         "select 客户, sum(金额) from 订单 group by 客户",
         "",
         {{"最低", 5}},
         "select 客户, sum(金额) from 订单 where 金额 >= ? group by 客户",
         "5"},
        {"literal 'order by' in the host's condition",
         "select * from t",
         "where b = 'order by' limit 3",
         {{"最低", 5}},
         "select * from t where (b = 'order by') and 金额 >= ? limit 3",
         "5"},
        {"placeholder in the stored query",
         "select * from 订单 join 客户 on 部门 = :部门",
         "",
         {{"部门", "华东"}},
         "select * from 订单 join 客户 on 部门 = ? ",
         "华东"},
        {"host condition ending in a comment",
         "select * from t",
         "where a = 1 -- x",
         {{"最低", 5}},
         "select * from t where (a = 1 -- x\n) and 金额 >= ?",
         "5"},
        {"multi",
         "select * from t",
         "",
         {{"客户", QVariantList{"甲", "乙"}}},
         "select * from t where 客户 in (?, ?)",
         "甲|乙"},
        {"date range takes the whole last day",
         "select * from t",
         "",
         {{"期间", QVariantList{"2024-03-01", "2024-03-31"}}},
         "select * from t where 日期 >= ? and 日期 < ?",
         "2024-03-01|2024-04-01"},
        {"open range end",
         "select * from t",
         "",
         {{"期间", "..2024-02-29"}},
         "select * from t where 日期 < ?",
         "2024-03-01"},
        {"contains escapes wildcards",
         "select * from t",
         "",
         {{"关键字", "5%_!"}},
         "select * from t where 备注 like ? escape '!'",
         "%5!%!_!!%"},
        {"condition fragment",
         "select * from t",
         "",
         {{"区域", "江苏"}},
         "select * from t where ((省份 = ? or 城市 = ?))",
         "江苏|江苏"},
        {"empty means all",
         "select * from t",
         "where a=1",
         {{"最低", ""}, {"客户", QVariantList{}}, {"关键字", QVariant()}},
         "select * from t where a=1",
         ""},
        {"names not defined are ignored",
         "select * from t",
         "",
         {{"其他", 1}},
         "select * from t ",
         ""},
    };
    const Parameters parameters = readParameters(QString::fromUtf8(kParams)).parameters;
    ASSERT_EQ(parameters.size(), 6u);
    for (const Case &c : cases) {
        const ParamValues values = resolveValues(parameters, c.given, QDate(2024, 3, 15));
        const db::Statement st =
            composeQuery(QString::fromUtf8(c.stored), QString::fromUtf8(c.host), parameters, values,
                         db::Dialect::SQLite);
        EXPECT_EQ(st.text, QString::fromUtf8(c.text)) << c.name;
        EXPECT_EQ(shown(st.params), QString::fromUtf8(c.bound)) << c.name;
    }
}

TEST(ComposeQuery, AMissingValueThatCannotBeLeftOutNamesTheParameter) {
    Parameters parameters = readParameters(QString::fromUtf8(kParams)).parameters;
    const auto fails = [&](const QString &stored) {
        try {
            composeQuery(stored, {}, parameters, {}, db::Dialect::SQLite);
        } catch (const Error &e) {
            return e.userMessage();
        }
        return QString();
    };
    EXPECT_TRUE(fails(QStringLiteral("select * from t where 部门 = :部门")).isEmpty());
    EXPECT_TRUE(fails(QStringLiteral("select :部门 from t")).contains(QStringLiteral("部门")));
    parameters[2].required = true;
    EXPECT_TRUE(fails(QStringLiteral("select * from t")).contains(QStringLiteral("最低")));
}

TEST(ComposeQuery, ClausesAreFoundOutsideLiteralsNamesAndComments) {
    EXPECT_EQ(db::findWhere(QStringLiteral("select [where], \"where\" from t -- where")), -1);
    EXPECT_EQ(db::findWhere(QStringLiteral("select a from (select b from u where c) v Where d")),
              42);
    EXPECT_EQ(db::findTrailingClauses(QStringLiteral("select a from t /* order by */ order  by a")),
              31);
    EXPECT_EQ(db::findTrailingClauses(QStringLiteral("select a from t where grouping = 1")), -1);
    EXPECT_TRUE(db::isSelectStatement(QStringLiteral(" (Select 1)")));
    EXPECT_FALSE(db::isSelectStatement(QStringLiteral("订单.金额 > 60000")));
    EXPECT_EQ(
        placeholderNames(QStringLiteral("select a::int, ':x' from t where b = :甲 or c = :甲")),
        QStringList{QStringLiteral("甲")});
}

}  // namespace
