// What parameters add to a run: the stored 参数 of six parameters read, the values resolved
// (date presets among them), the statement composed, and that statement prepared with its
// values bound on SQLite (the direct path's binding), against the same statement prepared
// without parameters. Target: composing and binding add at most 1 ms to a run (`target_ms`).
// Run: build/<dir>/bench/tessel_params_bench
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include "db/SqlBinding.h"
#include "params/ComposeQuery.h"
#include "params/StoredParameters.h"

using namespace tessel;

namespace {

const char *const kStored = R"json([
  {"name": "期间", "label": "订单日期", "type": "date", "range": true,
   "column": "订单.日期", "default": ["monthStart", "today"], "required": true},
  {"name": "客户", "type": "text", "column": "订单.客户", "multi": true,
   "list": {"query": "select 名称 from 客户 where 部门 = :部门 order by 名称"}},
  {"name": "部门", "type": "text", "column": "客户.部门", "list": {"values": ["华东销售部", "华北销售部"]}},
  {"name": "最低金额", "type": "number", "column": "订单.金额", "op": ">="},
  {"name": "关键字", "type": "text", "column": "订单.备注", "op": "contains"},
  {"name": "区域", "type": "text", "condition": "(客户.省份 = :区域 or 客户.城市 = :区域)"}
])json";

const QString kQuery = QStringLiteral(
    "select 订单.编号, 订单.日期, 订单.客户, 客户.部门, 订单.金额, 订单.备注 from 订单 "
    "join 客户 on 客户.名称 = 订单.客户 where 1 = 1");
const QString kHostWhere = QStringLiteral("where 订单.金额 > 0 order by 订单.日期, 订单.编号");

const QVariantMap kGiven = {
    {QStringLiteral("客户"),
     QVariantList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}},
    {QStringLiteral("部门"), QStringLiteral("华东销售部")},
    {QStringLiteral("最低金额"), 100},
    {QStringLiteral("关键字"), QStringLiteral("50%")},
    {QStringLiteral("区域"), QStringLiteral("江苏")},
};

db::Statement compose() {
    const params::Parameters parameters =
        params::readParameters(QString::fromUtf8(kStored)).parameters;
    const params::ParamValues values =
        params::resolveValues(parameters, kGiven, QDate(2024, 3, 15));
    return params::composeQuery(kQuery, kHostWhere, parameters, values, db::Dialect::SQLite);
}

struct Db {
    Db() {
        sqlite3_open(":memory:", &handle);
        sqlite3_exec(handle,
                     "create table 订单 (编号 integer, 日期 text, 客户 text, 金额 real, 备注 text);"
                     "create table 客户 (名称 text, 部门 text, 省份 text, 城市 text);",
                     nullptr, nullptr, nullptr);
    }
    ~Db() { sqlite3_close(handle); }
    sqlite3 *handle = nullptr;
};

void BM_ComposeAndBind(benchmark::State &state) {
    Db db;
    for (auto _ : state) {
        const db::Statement st = compose();
        sqlite3_stmt *prepared = db::prepareSqlite(db.handle, st.text, st.params);
        sqlite3_finalize(prepared);
    }
    state.counters["target_ms"] = 1.0;
}
BENCHMARK(BM_ComposeAndBind)->Unit(benchmark::kMillisecond);

// What a run without parameters already does: the stored query cut and prepared.
void BM_PlainPrepare(benchmark::State &state) {
    Db db;
    const QString text = kQuery.left(kQuery.indexOf(QStringLiteral("where"))) + kHostWhere;
    for (auto _ : state) {
        sqlite3_stmt *prepared = db::prepareSqlite(db.handle, text, {});
        sqlite3_finalize(prepared);
    }
}
BENCHMARK(BM_PlainPrepare)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
