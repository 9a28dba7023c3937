// parseStoredQuery: a stored query taken apart by position, odd queries included.
#include <gtest/gtest.h>

#include "designer/StoredQuery.h"

using tessel::designer::parseStoredQuery;

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
        {"select fromage from t", "-", "select||ge from t"},
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

}  // namespace
