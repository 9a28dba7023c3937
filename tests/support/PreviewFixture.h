// What the preview and page setup tests share: a session on a temporary database holding a
// tsl_report row for the report, and report sheets that print to a chosen number of pages
// (support/ReportSheets.h).
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QVariant>
#include <functional>

#include "db/Recordset.h"
#include "definitions/Definitions.h"
#include "report/ReportSession.h"
#include "support/ReportSheets.h"
#include "support/ScriptedInteraction.h"
#include "support/TestDb.h"

namespace tessel::test {

inline const QString kReportName = QStringLiteral("销售日报");

// Runs the deletions that closed windows asked for.
inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The scripted user, who can also work a modal dialog: `onDialog` is handed each dialog the
// component runs and returns its result (the dialog is not executed). Without it the dialog
// is recorded and rejected.
class DrivingInteraction : public ScriptedInteraction {
public:
    std::function<int(QDialog *)> onDialog;
    int printerDialogs = 0;

    int execDialog(QDialog *dialog) override {
        if (!onDialog)
            return ScriptedInteraction::execDialog(dialog);
        dialogsRun.push_back(dialog->objectName());
        return onDialog(dialog);
    }
    bool choosePrinter(QWidget *, QPrinter *) override {
        ++printerDialogs;
        return false;
    }
};

// A session on a fresh database with the tsl_report table and a row for kReportName
// (flags 1, shadows 0, margins 0.5 inch, portrait, range 0).
class ReportFixture : public ::testing::Test {
protected:
    explicit ReportFixture(Backend backend = Backend::SQLite) : db(backend) {}

    void SetUp() override {
        TESSEL_SKIP_UNLESS_AVAILABLE(db.backend());
        db.exec(db.tslReportDdl());
        db.exec(QStringLiteral(
            "insert into tsl_report (报表名称, 查询, 列标, 行标, 网格线, 边框, 仅打数据格, "
            "彩色打印, 阴影, 范围类型, 开始页, 结束页, 左, 右, 上, 下, 打印方向) values "
            "('销售日报', 'select * from t', 1, 1, 1, 1, 1, 1, 0, 0, 7, 9, 0.5, 0.5, 0.5, "
            "0.5, '1')"));
        session.connection = db.connect();
        session.reportName = kReportName;
    }

    // The report's row, read afresh.
    db::Recordset row() {
        return definitions::open(definitions::selectReport(kReportName), session.connection,
                                 definitions::Access::ReadOnly);
    }
    QVariant stored(const QString &column) { return row().value(column); }

    TempDb db;
    DrivingInteraction user;
    report::ReportSession session;
};

}  // namespace tessel::test
