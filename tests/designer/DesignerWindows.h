// A designer window on a real database (SQLite unless a test names another) with Chinese table and
// column names, its commands wired to the data-set wizard, the report list and the column header
// editor as the component wires them, and helpers to reach the windows' controls by name.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>
#include <memory>

#include "db/Recordset.h"
#include "definitions/Definitions.h"
#include "designer/ColumnHeaderEditor.h"
#include "designer/DataSetWizard.h"
#include "designer/PrintSpread.h"
#include "designer/ReportList.h"
#include "support/ScriptedInteraction.h"
#include "support/TestDb.h"

namespace tessel::test {

// A scripted user who also works inside modal dialogs: `inDialog` runs on the dialog that
// is shown and decides its result.
class DialogUser : public ScriptedInteraction {
public:
    std::function<int(QDialog *)> inDialog;
    int execDialog(QDialog *dialog) override {
        dialogsRun.push_back(dialog->objectName());
        return inDialog ? inDialog(dialog) : 0;
    }
};

class DesignerWindows : public ::testing::Test {
protected:
    // The database is reached through `backend`.
    explicit DesignerWindows(Backend backend = Backend::SQLite) : db(backend) {}

    void SetUp() override {
        TESSEL_SKIP_UNLESS_AVAILABLE(db.backend());
        db.exec(db.tslReportDdl());
        // 员工: 120 employees, wages 1000, 1100, ... in departments 1..3.
        QString sql = QStringLiteral(
            "begin;"
            "create table 员工 (编号 integer primary key, 姓名 text, 工资 real, 部门 integer);"
            "create table 部门 (部门编号 integer primary key, 部门名称 text);"
            "create table 员工工资 (编号 integer, 月份 text, 金额 real);"
            "insert into 部门 values (1, '财务部'), (2, '销售部'), (3, '技术部');");
        for (int i = 1; i <= 120; ++i) {
            sql += QStringLiteral("insert into 员工 values (%1, '员工%1', %2, %3);")
                       .arg(i)
                       .arg(900 + 100 * i)
                       .arg(i % 3 + 1);
        }
        db.exec(sql + QStringLiteral("commit;"));
        session.connection = db.connect();
        designer = std::make_unique<designer::PrintSpread>(
            session, designer::DesignerOpeners{
                         {},
                         [this] { designer::openDataSetWizard(*designer); },
                         [this] { designer::openReportList(*designer); },
                         [this] { designer::runColumnHeaderEditor(*designer); },
                     });
    }

    void TearDown() override {
        designer.reset();
        flushDeletes();
    }

    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The visible window of the designer with this name, or nullptr.
    QWidget *window(const char *name) const {
        for (QWidget *w : designer->findChildren<QWidget *>(QString::fromLatin1(name),
                                                            Qt::FindDirectChildrenOnly)) {
            if (w->isVisible())
                return w;
        }
        return nullptr;
    }

    template <class W>
    static W *control(QWidget *window, const char *name) {
        W *w = window->findChild<W *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static void click(QWidget *window, const char *name) {
        QPushButton *b = control<QPushButton>(window, name);
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    static QStringList entries(const QListWidget *list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    static QStringList entries(const QComboBox *combo) {
        QStringList out;
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
        return out;
    }
    static void pick(QComboBox *combo, const QString &text) {
        const int i = combo->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        combo->setCurrentIndex(i);
    }
    static void select(QListWidget *list, const QString &text) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        list->setCurrentItem(found.first());
    }

    // The definition row of `name`, read as a run reads it.
    db::Recordset row(const QString &name) {
        return definitions::open(definitions::selectReport(name), session.connection,
                                 definitions::Access::ReadOnly);
    }
    bool rowExists(const QString &name) { return !definitions::notFound(row(name)); }

    // Stores a definition row with a query and labels, as a wizard finish would.
    void storeReport(const QString &name, const QString &query, const QString &labels = {},
                     const QString &widths = {}) {
        db::Recordset rs = definitions::open(definitions::selectReportForSave(name),
                                             session.connection, definitions::Access::Editable);
        rs.addNew();
        rs.setValue(QStringLiteral("报表名称"), name);
        rs.setValue(QStringLiteral("查询"), query);
        if (!labels.isNull())
            rs.setValue(QStringLiteral("列标注"), labels);
        if (!widths.isNull())
            rs.setValue(QStringLiteral("列宽"), widths);
        rs.update();
    }

    TempDb db;
    DialogUser user;
    report::ReportSession session;
    std::unique_ptr<designer::PrintSpread> designer;
};

}  // namespace tessel::test
