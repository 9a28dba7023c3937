// A temporary database with tsl_report and a table of plain (untyped) values, and sheets
// filled from it the way reports are.
#pragma once

#include <QString>

#include "platform/db/Recordset.h"
#include "platform/sheet/Sheet.h"
#include "sheet/SheetBuilding.h"
#include "support/TestDb.h"

namespace tessel::test {

struct SheetDb {
    SheetDb(Backend backend = Backend::SQLite) : db(backend) {
        db.exec(db.tslReportDdl());
        conn = db.connect();
    }

    platform::Recordset query(const QString &sql) {
        platform::Recordset rs;
        rs.open(sql, conn, platform::CursorType::ForwardOnly, platform::LockType::ReadOnly,
                platform::kCommandText);
        return rs;
    }

    // Fills `sheet` from `sql` with FillFromRecordset.
    void fill(platform::Sheet &sheet, const QString &sql) {
        platform::Recordset rs = query(sql);
        sheet::FillFromRecordset(rs, sheet);
    }

    TempDb db;
    platform::Connection conn;
};

}  // namespace tessel::test
