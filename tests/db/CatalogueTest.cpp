// The catalogue reads on every backend: a table's name reaches the column read as data.
#include <gtest/gtest.h>

#include "db/Catalogue.h"
#include "support/TestDb.h"

using namespace tessel;

namespace {

class Catalogue : public ::testing::TestWithParam<test::Backend> {};

TEST_P(Catalogue, ListsTablesAndTheColumnsOfQuotedNames) {
    TESSEL_SKIP_UNLESS_AVAILABLE(GetParam());
    const test::TempDb temp(GetParam());
    temp.exec(
        QStringLiteral("create table \"O'Brien\" (编号 integer, \"Name\" text);"
                       "create table 订单 (客户 text);"));
    const db::Connection conn = temp.connect();
    QStringList tables = db::userTables(conn);
    tables.sort();
    EXPECT_EQ(tables, (QStringList{"O'Brien", "订单"}));
    const struct {
        const char *table;
        QStringList columns;
    } cases[] = {{"O'Brien", {"编号", "Name"}}, {"订单') or (1=1", {}}, {"没有这个表", {}}};
    for (const auto &c : cases)
        EXPECT_EQ(db::columnsOf(conn, QString::fromUtf8(c.table)), c.columns) << c.table;
}

INSTANTIATE_TEST_SUITE_P(Backends, Catalogue, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

}  // namespace
