// The component as a host sees it: public API only, plus the shared state it leaves.
#include <gtest/gtest.h>
#include <tessel/clsReport.h>

#include <QApplication>
#include <QDate>
#include <QMetaObject>
#include <QMetaProperty>
#include <QWidget>
#include <thread>

#include "component/SharedState.h"
#include "grid/ColumnFormat.h"
#include "support/TestDb.h"

using tessel::clsReport;
using tessel::Error;

namespace {

QWidget *topLevel(const QString &name) {
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name)
            return w;
    }
    return nullptr;
}

TEST(Component, ObjectsOnOneThreadShareState) {
    tessel::test::TempDb db;
    clsReport a;
    clsReport b;
    a.setNameOfReport(QStringLiteral("销售日报"));
    EXPECT_EQ(b.NameOfReport(), QStringLiteral("销售日报"));
    a.ConDb(db.connectionString(tessel::test::Backend::SQLite));
    EXPECT_TRUE(b.tsDBc().isOpen());
    a.setTsCols(3);
    b.setText(2, 1, QStringLiteral("x"));
    EXPECT_EQ(a.getText(2, 1).toString(), QStringLiteral("x"));
    EXPECT_EQ(b.tsCols(), 3);
    // Per-object strings are the object's own and change nothing shared.
    a.setSqlAfter1(QStringLiteral("where 1=1"));
    EXPECT_EQ(a.sqlAfter1(), QStringLiteral("where 1=1"));
    EXPECT_TRUE(b.sqlAfter1().isEmpty());
    EXPECT_TRUE(tessel::component::sharedState().session.whereSQL.isEmpty());
}

TEST(Component, ThreadsDoNotShareState) {
    clsReport here;
    here.setNameOfReport(QStringLiteral("主线程"));
    QString seenThere = QStringLiteral("unset");
    bool visibleThrew = false;
    std::thread t([&] {
        clsReport there;  // no window off the GUI thread, the rest works
        seenThere = there.NameOfReport();
        there.setNameOfReport(QStringLiteral("工作线程"));
        there.setTsCols(4);
        // A run needs the designer window, which this thread cannot have: it reports the
        // failure without opening a message box here and returns.
        there.PrintPreSQL1(QStringLiteral("select 1"), QStringLiteral("报表"), 0, false);
        try {
            there.setVisible(true);
        } catch (const Error &) {
            visibleThrew = true;
        }
    });
    t.join();
    EXPECT_TRUE(seenThere.isEmpty());
    EXPECT_TRUE(visibleThrew);
    EXPECT_EQ(here.NameOfReport(), QStringLiteral("主线程"));
}

TEST(Component, PutVarReplacesTheList) {
    clsReport r;
    const QDate day(2024, 3, 5);
    r.PutVar(QVariantList{QVariantList{QStringLiteral("日期"), day}, QVariantList{QString(), 5},
                          QVariantList{QStringLiteral("部门"), QStringLiteral("销售")}});
    const QVariantList &vars = tessel::component::sharedState().session.tslVar;
    ASSERT_EQ(vars.size(), 3);
    EXPECT_EQ(vars[0].toList()[0].toString(), QStringLiteral("V日期"));
    EXPECT_EQ(vars[0].toList()[1].toDate(), day);
    EXPECT_EQ(vars[1].toList()[0].toString(), QStringLiteral("V"));
    EXPECT_EQ(vars[1].toList()[1].toInt(), 5);

    // Only a row's first two entries are read; a wider array is fine.
    r.PutVar(QVariantList{QVariantList{QStringLiteral("单位"), QStringLiteral("总部"), 3}});
    ASSERT_EQ(tessel::component::sharedState().session.tslVar.size(), 1);
    EXPECT_EQ(tessel::component::sharedState().session.tslVar[0].toList().size(), 2);

    // A wrong shape is refused and the list stays as it was.
    for (const QVariant &bad :
         {QVariant(QStringLiteral("x")), QVariant(5), QVariant(QVariantList{QVariantList{1}}),
          QVariant(QVariantList{QStringLiteral("ab")})}) {
        EXPECT_THROW(r.PutVar(bad), Error);
        EXPECT_EQ(tessel::component::sharedState().session.tslVar.size(), 1);
    }
}

TEST(Component, CellsCountsAndHeaders) {
    clsReport r;
    r.setTsCols(2);
    r.setTsRows(40000);  // beyond the old 16-bit limit
    EXPECT_EQ(r.tsRows(), 40000);
    r.setText(0, 0, QStringLiteral("角"));
    r.setText(1, 0, QStringLiteral("编号"));
    r.setText(1, 40000, 12.5);
    EXPECT_EQ(r.getText(0, 0).toString(), QStringLiteral("角"));
    EXPECT_EQ(r.getText(1, 0).toString(), QStringLiteral("编号"));
    EXPECT_EQ(r.getText(1, 40000).toString(), QStringLiteral("12.5"));
    EXPECT_THROW(r.setTsCols(-1), Error);
    EXPECT_THROW(r.setText(-1, 0, 1), Error);
    EXPECT_THROW(r.getText(0, -2), Error);
}

TEST(Component, ConDbFailureLeavesAnUnopenedConnection) {
    tessel::test::TempDb db;
    clsReport r;
    r.ConDb(db.connectionString(tessel::test::Backend::SQLite));
    ASSERT_TRUE(r.tsDBc().isOpen());
    try {
        r.ConDb(db.path() + QStringLiteral(".missing"));
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.category(), Error::Category::Connection);
    }
    EXPECT_FALSE(r.tsDBc().isOpen());
}

TEST(Component, HostConnectionIsShared) {
    tessel::test::TempDb db;
    {
        QSqlDatabase host =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("host"));
        host.setDatabaseName(db.path());
        ASSERT_TRUE(host.open());
        clsReport r;
        r.setTsDBc(host);
        EXPECT_EQ(r.tsDBc().connectionName(), QStringLiteral("host"));
        r.setTsDBc(QSqlDatabase());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("host"));
}

TEST(Component, DesignerWindowIsHiddenUntilVisibleAndKeepsTheName) {
    clsReport r;
    QWidget *w = topLevel(QStringLiteral("printSpread"));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("报表设计主界面"));
    EXPECT_FALSE(r.Visible());
    r.setVisible(true);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(r.Visible());
    r.setVisible(false);

    r.setNameOfReport(QStringLiteral("月报"));
    r.setTsCols(5);
    auto &sheet = tessel::component::sharedState().session.sheet;
    sheet.setSelection({1, 2, 1, 3});
    tessel::component::sharedState().reloadDesigner();
    EXPECT_TRUE(sheet.selection().isEmpty());  // no block chosen on another report survives
    EXPECT_EQ(r.NameOfReport(), QStringLiteral("月报"));
    EXPECT_EQ(r.tsCols(), 0);  // the sheet starts from its design state
    EXPECT_NE(topLevel(QStringLiteral("printSpread")), nullptr);
}

TEST(Component, LateBoundByName) {
    clsReport r;
    ASSERT_TRUE(r.setProperty("NameOfReport", QStringLiteral("按名调用")));
    EXPECT_EQ(r.property("NameOfReport").toString(), QStringLiteral("按名调用"));
    ASSERT_TRUE(r.setProperty("tsCols", 3));
    ASSERT_TRUE(QMetaObject::invokeMethod(&r, "setText", Q_ARG(int, 3), Q_ARG(int, 0),
                                          Q_ARG(QVariant, QVariant(QStringLiteral("金额")))));
    QVariant got;
    ASSERT_TRUE(QMetaObject::invokeMethod(&r, "getText", Q_RETURN_ARG(QVariant, got), Q_ARG(int, 3),
                                          Q_ARG(int, 0)));
    EXPECT_EQ(got.toString(), QStringLiteral("金额"));
    // The members stand in their fixed order.
    const QMetaObject *mo = r.metaObject();
    QStringList order;
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i)
        order << mo->property(i).name();
    EXPECT_EQ(order, (QStringList{"sqlAfter1", "sqlReport1", "tsDBc", "tsCols", "tsRows", "Visible",
                                  "NameOfReport"}));
}

}  // namespace

TEST(Component, HostChoosesNumberSeparators) {
    namespace grid = tessel::grid;
    const grid::ColumnFormat fixed2{grid::FormatKind::Number, 2};
    clsReport::setNumberSeparators(u',', u'.');
    EXPECT_EQ(grid::formatted("1234.5", fixed2, grid::numberSeparators()), "1.234,50");
    for (const auto &[point, group] : {std::pair(u'.', u'.'), std::pair(u'.', u'0')})
        EXPECT_THROW(clsReport::setNumberSeparators(point, group), Error);
    EXPECT_EQ(grid::numberSeparators(), (grid::Separators{u',', u'.'}));
    clsReport::setNumberSeparators(u'.', u',');
}
