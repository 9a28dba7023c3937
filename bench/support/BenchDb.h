// The benchmark data set: a SQLite file of rows x 8 columns (integers, reals, short Latin
// and Chinese texts), generated once per process in the temporary directory.
#pragma once

#include <QString>
#include <cstddef>

#include "db/Connection.h"
#include "db/Recordset.h"

namespace tessel::bench {

// Path of a database holding table 订单 with `rows` rows; generated on first use.
QString benchDatabase(int rows);

// The query every benchmark reads.
inline const char *kBenchQuery = "select 编号, 客户, 产品, 数量, 单价, 金额, 日期, 备注 from 订单";

// Opens kBenchQuery on `conn` as every run reads a report's rows: forward-only, read-only.
inline void openBenchQuery(db::Recordset &rs, const db::Connection &conn) {
    rs.open(QString::fromUtf8(kBenchQuery), conn, db::CursorType::ForwardOnly,
            db::LockType::ReadOnly, db::kCommandText);
}

// The anchor every read benchmark is measured against: one pass of kBenchQuery over the
// file through the raw SQLite C API, every value fetched as text. Returns the bytes seen.
std::size_t rawSqliteScan(const QString &path);

}  // namespace tessel::bench
