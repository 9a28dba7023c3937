// A temporary database with tsl_report and a table of plain (untyped) values, and sheets
// filled from it the way reports are.
#pragma once

#include <QString>

#include "db/Recordset.h"
#include "grid/Sheet.h"
#include "report/SheetBuilding.h"
#include "support/TestDb.h"

namespace tessel::test {

struct SheetDb {
    SheetDb(Backend backend = Backend::SQLite) : db(backend) {
        db.exec(db.tslReportDdl());
        conn = db.connect();
    }

    db::Recordset query(const QString &sql) {
        db::Recordset rs;
        rs.open(sql, conn, db::CursorType::ForwardOnly, db::LockType::ReadOnly, db::kCommandText);
        return rs;
    }

    // Fills `sheet` from `sql` with FillFromRecordset.
    void fill(grid::Sheet &sheet, const QString &sql) {
        db::Recordset rs = query(sql);
        report::FillFromRecordset(rs, sheet);
    }

    TempDb db;
    db::Connection conn;
};

}  // namespace tessel::test
