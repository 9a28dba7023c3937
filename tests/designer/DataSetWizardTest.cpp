// The data-set wizard driven through its controls, and a report's whole life: built in the
// wizard, saved in the designer, listed, opened and deleted.
#include <QLabel>
#include <QPointer>

#include "designer/DesignerWindows.h"
#include "widgets/PageView.h"

using namespace tessel;
using test::DesignerWindows;

namespace {

const QString kEmployees = QStringLiteral("员工");

class Wizard : public DesignerWindows {
protected:
    using DesignerWindows::DesignerWindows;
    // Opens the wizard as the designer's Data structure command does.
    QWidget *open() {
        designer->button("cmdData")->click();
        QWidget *w = window("frmReportDataSet");
        EXPECT_NE(w, nullptr);
        return w;
    }
    QLineEdit *text(QWidget *w, const char *name) { return control<QLineEdit>(w, name); }
    QListWidget *list(QWidget *w, const char *name) { return control<QListWidget>(w, name); }
    QComboBox *combo(QWidget *w, const char *name) { return control<QComboBox>(w, name); }

    // Picks a table and adds the named columns one by one.
    void add(QWidget *w, const QString &table, const QStringList &columns) {
        pick(combo(w, "cmbTable"), table);
        for (const QString &c : columns) {
            select(list(w, "lstField"), c);
            click(w, "cmdAdd");
        }
    }
};

// The whole life of a report, on every backend.
class ReportLife : public Wizard, public ::testing::WithParamInterface<test::Backend> {
protected:
    ReportLife() : Wizard(GetParam()) {}
};

// The wizard's reads and writes of the database, on every backend.
class WizardOn : public Wizard, public ::testing::WithParamInterface<test::Backend> {
protected:
    WizardOn() : Wizard(GetParam()) {}
};

TEST_P(ReportLife, AReportIsBuiltSavedListedOpenedAndDeleted) {
    // New report: the wizard starts empty even while the designer holds a report.
    session.reportName = QStringLiteral("旧报表");
    designer->button("cmdNew")->click();
    EXPECT_EQ(session.reportName, QStringLiteral("旧报表"));
    QWidget *w = window("frmReportDataSet");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("报表数据结构"));
    EXPECT_TRUE(text(w, "txtReportName")->text().isEmpty());
    const QStringList tables = entries(combo(w, "cmbTable"));
    for (const char *t : {"tsl_report", "员工", "部门", "员工工资"})
        EXPECT_TRUE(tables.contains(QString::fromUtf8(t))) << t;
    EXPECT_TRUE(combo(w, "cmbTable")->currentText().isEmpty());

    // Pick the table: its columns in table order.
    pick(combo(w, "cmbTable"), kEmployees);
    EXPECT_EQ(entries(list(w, "lstField")), (QStringList{"编号", "姓名", "工资", "部门"}));

    // Add 姓名: the column list moves on to 工资, which is added next, after 姓名.
    list(w, "lstField")->setCurrentRow(1);
    click(w, "cmdAdd");
    EXPECT_EQ(list(w, "lstField")->currentRow(), 2);
    click(w, "cmdAdd");
    EXPECT_EQ(entries(list(w, "lstFieldSel")), (QStringList{"员工.姓名", "员工.工资"}));
    EXPECT_EQ(entries(combo(w, "cmbTableSel")), QStringList{kEmployees});

    // A Chinese name for 姓名, a condition, then generate.
    list(w, "lstFieldSel")->setCurrentRow(0);
    text(w, "txtCNField")->setText(QStringLiteral("名字"));
    EXPECT_EQ(list(w, "lstFieldSel")->item(0)->text(), QStringLiteral("员工.姓名 as 名字"));
    text(w, "txtWhere")->setText(QStringLiteral("工资>3000"));
    click(w, "cmdSQL");
    const QString query =
        QStringLiteral("select  员工.姓名 as 名字,员工.工资 from 员工 where 工资>3000");
    EXPECT_EQ(text(w, "txtSQL")->text(), query);
    EXPECT_FALSE(control<QPushButton>(w, "cmdSQL")->isEnabled());

    // Finish: the row holds the name, the query with its condition, the labels and the
    // column count and nothing else; the sheet shows every row (no run condition).
    text(w, "txtReportName")->setText(QStringLiteral("  员工工资表 "));
    designer->button("cmdSave")->setEnabled(false);
    designer->button("cmdData")->setEnabled(false);
    QPointer<QWidget> wizard = w;
    click(w, "cmdDesign");
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    flushDeletes();
    EXPECT_TRUE(wizard.isNull());

    const QString name = QStringLiteral("员工工资表");
    {
        db::Recordset r = row(name);
        ASSERT_FALSE(definitions::notFound(r));
        EXPECT_EQ(r.text(QStringLiteral("查询")), query);
        EXPECT_EQ(r.text(QStringLiteral("列标注")), QString());
        EXPECT_EQ(r.value(QStringLiteral("列数")).toInt(), 2);
        for (const char *c :
             {"列宽", "行高", "合并", "列标", "网格线", "左", "打印方向", "页头文本"})
            EXPECT_TRUE(r.value(QString::fromUtf8(c)).isNull()) << c;
    }
    grid::Sheet &sheet = session.sheet;
    EXPECT_EQ(session.reportName, name);
    EXPECT_EQ(designer->findChild<QLineEdit *>(QStringLiteral("txtName"))->text(), name);
    EXPECT_EQ(sheet.maxCols(), 2);
    EXPECT_EQ(sheet.maxRows(), 120);
    EXPECT_EQ(sheet.text(1, 0), QStringLiteral("名字"));
    EXPECT_EQ(sheet.text(2, 0), QStringLiteral("工资"));
    EXPECT_EQ(sheet.text(1, 1), QStringLiteral("员工1"));
    for (const char *b : {"cmdSave", "cmdPreview", "cmdData"})
        EXPECT_TRUE(designer->button(b)->isEnabled()) << b;
    EXPECT_FALSE(designer->listini);
    auto *checks = designer->findChild<QListWidget *>(QStringLiteral("lsField"));
    ASSERT_EQ(checks->count(), 2);
    EXPECT_EQ(checks->item(0)->text(), QStringLiteral("1.名字[员工1]"));
    EXPECT_EQ(checks->item(0)->checkState(), Qt::Checked);

    // Save the layout in the designer: widths, header height, merges and labels.
    sheet.setColWidth(2, 12.5);
    sheet.setRowHeight(0, 20);
    designer->button("cmdSave")->click();
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    {
        db::Recordset r = row(name);
        EXPECT_EQ(r.text(QStringLiteral("列宽")), QStringLiteral("%1 12.5").arg(sheet.colWidth(1)));
        EXPECT_EQ(r.text(QStringLiteral("行高")), QStringLiteral("20"));
        EXPECT_EQ(r.text(QStringLiteral("合并")), QString());
        EXPECT_EQ(r.text(QStringLiteral("列标注")), QStringLiteral("名字，工资，"));
        EXPECT_EQ(r.text(QStringLiteral("查询")), query);
    }

    // List it and open it: at most 50 rows, with the stored labels and widths.
    sheet.setMaxRows(0);
    sheet.setColWidth(2, 3);
    session.reportName.clear();
    designer->button("cmdOpen")->click();
    QWidget *l = window("frmTableList");
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(entries(control<QListWidget>(l, "lsTable")), QStringList{name});
    control<QListWidget>(l, "lsTable")->setCurrentRow(0);
    QPointer<QWidget> reportList = l;
    click(l, "cmdOK");
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    flushDeletes();
    EXPECT_TRUE(reportList.isNull());
    EXPECT_EQ(session.reportName, name);
    EXPECT_EQ(sheet.maxRows(), 50);
    EXPECT_EQ(sheet.maxCols(), 2);
    EXPECT_EQ(sheet.colWidth(2), 12.5);
    EXPECT_EQ(sheet.text(1, 0), QStringLiteral("名字"));
    // The stored condition holds (wages above 3000: employees 22 on), 50 of its 99 rows.
    EXPECT_EQ(sheet.text(1, 1), QStringLiteral("员工22"));
    EXPECT_EQ(sheet.text(1, 50), QStringLiteral("员工71"));
    EXPECT_TRUE(rowExists(name));

    // Delete it: asked first, then told; the row is gone and the list is empty.
    designer->button("cmdOpen")->click();
    l = window("frmTableList");
    ASSERT_NE(l, nullptr);
    control<QListWidget>(l, "lsTable")->setCurrentRow(0);
    click(l, "Command1");
    ASSERT_EQ(user.messages.size(), 2u);
    EXPECT_EQ(user.messages[0].text, QStringLiteral("真的要删除当前报表吗？"));
    EXPECT_EQ(user.messages[0].title, QStringLiteral("系统警告"));
    EXPECT_EQ(user.messages[0].icon, base::MessageIcon::Question);
    EXPECT_EQ(user.messages[0].buttons, base::MessageButtons::YesNo);
    EXPECT_EQ(user.messages[1].text, QStringLiteral("报表删除成功！"));
    EXPECT_EQ(user.messages[1].title, QStringLiteral("提示"));
    EXPECT_FALSE(rowExists(name));
    EXPECT_EQ(control<QListWidget>(l, "lsTable")->count(), 0);
    EXPECT_TRUE(l->isVisible());
}

TEST_P(ReportLife, AMixedCaseTableIsOfferedAsWrittenAndItsReportRuns) {
    db.exec(
        QStringLiteral("create table \"Dept\" (\"DeptName\" text, 人数 integer);"
                       "insert into \"Dept\" values ('Sales', 5), ('Tech', 9), ('财务', 2);"));
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(entries(combo(w, "cmbTable")).contains(QStringLiteral("Dept")));
    pick(combo(w, "cmbTable"), QStringLiteral("Dept"));
    EXPECT_EQ(entries(list(w, "lstField")), (QStringList{"DeptName", "人数"}));
    add(w, QStringLiteral("Dept"), {QStringLiteral("DeptName"), QStringLiteral("人数")});
    text(w, "txtReportName")->setText(QStringLiteral("部门表"));
    click(w, "cmdDesign");
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    // Every row of the three, none cut short by the definition row written meanwhile.
    EXPECT_EQ(session.sheet.maxRows(), 3);
    EXPECT_EQ(session.sheet.text(2, 2), QStringLiteral("9"));

    // Restored from the stored query and finished again: the same names, the same rows.
    flushDeletes();
    w = open();
    ASSERT_NE(w, nullptr);
    click(w, "cmdDesign");
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    EXPECT_EQ(session.sheet.maxRows(), 3);
}

INSTANTIATE_TEST_SUITE_P(Backends, ReportLife, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

TEST_F(Wizard, ControlsCarryTheirNamesAndCaptions) {
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    const struct {
        const char *name, *caption;
    } labels[] = {{"Label7", "设计报表数据结构"},
                  {"Label10", "报表名称"},
                  {"Label3", "数据表"},
                  {"Label4", "全部字段"},
                  {"Label5", "已选字段"},
                  {"Label9", "数据表(已选)"},
                  {"Label6", "字段中文："},
                  {"Label8", "附加条件："},
                  {"Label1", "SQL语句："},
                  {"Label11", "列标头："},
                  {"Label12", "(用全角逗号分隔)"},
                  {"Label2", "报表路径："}},
      buttons[] = {{"cmdAdd", ">"},       {"cmdAddAll", ">>"},   {"cmdDel", "<"},
                   {"cmdDelAll", "<<"},   {"cmdUp", "上"},       {"cmdDown", "下"},
                   {"cmdSQL", "生成SQL"}, {"cmdDesign", "完成"}, {"cmdexit", "关闭"}};
    for (const auto &l : labels) {
        QLabel *label = control<QLabel>(w, l.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromUtf8(l.caption)) << l.name;
    }
    for (const auto &b : buttons) {
        QPushButton *button = control<QPushButton>(w, b.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption)) << b.name;
    }
    for (const char *t :
         {"txtReportName", "txtCNField", "txtWhere", "txtSQL", "txtColSTR", "txtPath"})
        EXPECT_NE(w->findChild<QLineEdit *>(QString::fromLatin1(t)), nullptr) << t;
    // Opening again brings the open wizard forward rather than a second one.
    designer->button("cmdData")->click();
    EXPECT_EQ(designer->findChildren<designer::DataSetWizard *>().size(), 1);
    click(w, "cmdexit");
    flushDeletes();
    EXPECT_EQ(designer->findChildren<designer::DataSetWizard *>().size(), 0);
    // Closing stores nothing.
    EXPECT_TRUE(definitions::notFound(definitions::open(
        definitions::selectReportNames(), session.connection, definitions::Access::ReadOnly)));
}

// A stored report taken apart again: the condition after "where", the fields between
// "select" and "from" and the tables (lower-cased) after "from".
TEST_P(WizardOn, AStoredReportIsRestoredByItsTextPositions) {
    const struct {
        const char *query;
        const char *where;
        QStringList fields;
        QStringList tables;
        const char *sqlStart;
    } cases[] = {
        {"select  员工.姓名 as 名字,员工.工资 from 员工 where 工资>3000",
         " 工资>3000",
         {"员工.姓名 as 名字", "员工.工资"},
         {"员工"},
         "select"},
        {"select a,b from T", "", {"a", "b"}, {"t"}, "select"},
        {"select top 50 a,b from T", "", {"a", "b"}, {"t"}, "select top 50"},
        {"select distinct top (10) 员工.姓名 as 名字 from 员工",
         "",
         {"员工.姓名 as 名字"},
         {"员工"},
         "select distinct top (10)"},
        {"SELECT A, B FROM Orders,Lines WHERE A>1",
         " A>1",
         {"A", " B"},
         {"orders", "lines"},
         "select"},
        {"select 员工.姓名,部门.部门名称 from 员工,部门 where 员工.部门=部门.部门编号",
         " 员工.部门=部门.部门编号",
         {"员工.姓名", "部门.部门名称"},
         {"员工", "部门"},
         "select"},
    };
    for (const auto &c : cases) {
        const QString query = QString::fromUtf8(c.query);
        SCOPED_TRACE(query.toStdString());
        db.exec(QStringLiteral("delete from tsl_report"));
        storeReport(QStringLiteral("报表"), QStringLiteral("  ") + query + u' ',
                    QStringLiteral(" 甲，乙， "));
        session.reportName = QStringLiteral("报表 ");
        auto *w = new designer::DataSetWizard(*designer);
        EXPECT_EQ(text(w, "txtReportName")->text(), QStringLiteral("报表 "));
        EXPECT_EQ(text(w, "txtSQL")->text(), query);
        EXPECT_EQ(text(w, "txtWhere")->text(), QString::fromUtf8(c.where));
        EXPECT_EQ(entries(list(w, "lstFieldSel")), c.fields);
        EXPECT_EQ(entries(combo(w, "cmbTableSel")), c.tables);
        EXPECT_EQ(w->sqlStart, QString::fromUtf8(c.sqlStart));
        EXPECT_EQ(text(w, "txtColSTR")->text(), QStringLiteral("甲，乙，"));
        delete w;
    }
}

TEST_F(Wizard, WithoutAStoredRowTheLastRunsQueryIsRestored) {
    storeReport(QStringLiteral("有行"), QStringLiteral("select 编号 from 员工"),
                QStringLiteral("号，"));
    session.querySQL = QStringLiteral(" select 姓名,工资 from 员工 where 部门=2 ");

    // A stored row wins over the last run's query.
    session.reportName = QStringLiteral("有行");
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(text(w, "txtSQL")->text(), QStringLiteral("select 编号 from 员工"));
    click(w, "cmdexit");
    flushDeletes();

    session.reportName = QStringLiteral("没有行");
    w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(text(w, "txtSQL")->text(), QStringLiteral("select 姓名,工资 from 员工 where 部门=2"));
    EXPECT_EQ(text(w, "txtWhere")->text(), QStringLiteral(" 部门=2"));
    EXPECT_EQ(entries(list(w, "lstFieldSel")), (QStringList{"姓名", "工资"}));
    EXPECT_TRUE(text(w, "txtColSTR")->text().isEmpty());

    // A query without "from" restores no selection.
    click(w, "cmdexit");
    flushDeletes();
    session.querySQL = QStringLiteral("exec 报表过程");
    w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(text(w, "txtSQL")->text(), QStringLiteral("exec 报表过程"));
    EXPECT_EQ(list(w, "lstFieldSel")->count(), 0);
    EXPECT_EQ(combo(w, "cmbTableSel")->count(), 0);
    EXPECT_TRUE(user.messages.empty());
}

// A report restored with an aliased first field finishes into a query the database
// accepts, and the finish overwrites only 查询, 列标注 and 列数 of the existing row.
TEST_P(WizardOn, ARestoredReportFinishesAgainKeepingItsOtherColumns) {
    storeReport(QStringLiteral("工资"),
                QStringLiteral("select  员工.姓名 as 名字,员工.工资 from 员工 where 工资>3000"),
                QStringLiteral("名，工，"), QStringLiteral("8 9"));
    db.exec(QStringLiteral("update tsl_report set 左 = 1.5, 合并 = '2', 列数 = 9"));
    session.reportName = QStringLiteral("工资");
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    text(w, "txtColSTR")->clear();
    click(w, "cmdDesign");
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    db::Recordset r = row(QStringLiteral("工资"));
    EXPECT_EQ(r.text(QStringLiteral("查询")),
              QStringLiteral("select  员工.姓名 as 名字,员工.工资 from 员工 where  工资>3000"));
    EXPECT_EQ(r.text(QStringLiteral("列标注")), QString());
    EXPECT_EQ(r.value(QStringLiteral("列数")).toInt(), 2);
    EXPECT_EQ(r.text(QStringLiteral("列宽")), QStringLiteral("8 9"));
    EXPECT_EQ(r.text(QStringLiteral("合并")), QStringLiteral("2"));
    EXPECT_EQ(r.value(QStringLiteral("左")).toDouble(), 1.5);
    EXPECT_EQ(session.sheet.text(1, 0), QStringLiteral("名字"));
}

TEST_F(Wizard, SelectedFieldsFollowTheListCommands) {
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    QListWidget *sel = list(w, "lstFieldSel");
    QComboBox *used = combo(w, "cmbTableSel");

    // The same column twice: removing one keeps its table while the other remains.
    add(w, kEmployees, {"姓名"});
    select(list(w, "lstField"), QStringLiteral("姓名"));
    click(w, "cmdAdd");
    EXPECT_EQ(entries(sel), (QStringList{"员工.姓名", "员工.姓名"}));
    sel->setCurrentRow(1);
    click(w, "cmdDel");
    EXPECT_EQ(entries(used), QStringList{kEmployees});
    sel->setCurrentRow(0);
    click(w, "cmdDel");
    EXPECT_TRUE(entries(used).isEmpty());
    click(w, "cmdDel");  // nothing selected: nothing happens
    EXPECT_EQ(sel->count(), 0);

    // A table whose name starts another's keeps nothing alive: 员工 goes with its last field.
    add(w, QStringLiteral("员工工资"), {"月份"});
    add(w, kEmployees, {"姓名"});
    EXPECT_EQ(entries(used), (QStringList{"员工工资", "员工"}));
    select(sel, QStringLiteral("员工.姓名"));
    click(w, "cmdDel");
    EXPECT_EQ(entries(used), QStringList{"员工工资"});

    // Add all: every column of the table, each inserted at the selected entry.
    pick(combo(w, "cmbTable"), kEmployees);
    sel->setCurrentRow(0);
    click(w, "cmdAddAll");
    EXPECT_EQ(entries(sel),
              (QStringList{"员工.编号", "员工.姓名", "员工.工资", "员工.部门", "员工工资.月份"}));
    EXPECT_EQ(entries(used), (QStringList{"员工工资", "员工"}));

    // Up and down move the selected entry and keep it selected; the ends stay put.
    select(sel, QStringLiteral("员工工资.月份"));
    click(w, "cmdDown");
    EXPECT_EQ(sel->currentRow(), 4);
    click(w, "cmdUp");
    click(w, "cmdUp");
    EXPECT_EQ(sel->currentRow(), 2);
    EXPECT_EQ(sel->item(2)->text(), QStringLiteral("员工工资.月份"));
    sel->setCurrentRow(0);
    click(w, "cmdUp");
    EXPECT_EQ(sel->item(0)->text(), QStringLiteral("员工.编号"));

    // Remove all of the current table: its fields and its entry in the used tables.
    click(w, "cmdDelAll");
    EXPECT_EQ(entries(sel), QStringList{"员工工资.月份"});
    EXPECT_EQ(entries(used), QStringList{"员工工资"});

    // With nothing selected the columns go in at the top, still in the table's order.
    sel->setCurrentRow(-1);
    click(w, "cmdAddAll");
    EXPECT_EQ(entries(sel),
              (QStringList{"员工.编号", "员工.姓名", "员工.工资", "员工.部门", "员工工资.月份"}));
}

// A new report's finish: the host's condition only when the host ran this report; a clean
// sheet, or the settings stored under the name (page setup's paper among them, in the page
// view), never those of the report shown before; a column without a typed label named after
// its field.
TEST_P(WizardOn, FinishStartsTheReportClean) {
    db.exec(
        "insert into tsl_report (报表名称, 查询, 打印方向, 左, 页头页脚, 页头文本) "
        "values ('工资表', 'select 1', '1', 1.5, 1, '/c工资')");
    const struct {
        const char *report, *hostRan, *where;
        int rows;
        const char *header;
        grid::Orientation orientation;
        grid::Paper paper;
    } cases[] = {
        // A new report prints as a stored row of NULLs does: landscape, as its later runs do.
        {"新表",
         "订单明细",
         "where 订单.金额 > 5000",
         120,
         "",
         grid::Orientation::Landscape,
         {210, 297}},
        {"工资表",
         "工资表",
         "where 工资 > 11000",
         19,
         "/c工资",
         grid::Orientation::Portrait,
         {297, 420}}};
    grid::Sheet &s = session.sheet;
    session.papers.insert("工资表", {297, 420});  // page setup's, kept for the session
    widgets::PageView view;
    view.setSheet(&s);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.report);
        session.reportName = "订单明细";  // what it left
        grid::PrintSettings old;
        old.header = "/c订单明细";
        old.orientation = c.orientation == grid::Orientation::Portrait
                              ? grid::Orientation::Landscape
                              : grid::Orientation::Portrait;  // never the one expected
        old.marginLeft = 99;
        old.paper = {215.9, 279.4};
        s.setPrint(old);
        session.mergeList = "1";
        session.whereSQL = c.where;
        session.whereReport = c.hostRan;
        designer->button("cmdNew")->click();
        QWidget *w = window("frmReportDataSet");
        ASSERT_NE(w, nullptr);
        add(w, kEmployees, {"编号", "姓名", "工资"});
        text(w, "txtColSTR")->setText("号，，");
        text(w, "txtReportName")->setText(c.report);
        click(w, "cmdDesign");
        EXPECT_EQ(s.maxRows(), c.rows) << user.texts().join(u'|').toStdString();
        EXPECT_EQ(s.print().header, c.header);
        EXPECT_EQ(s.print().orientation, c.orientation);
        EXPECT_NE(s.print().marginLeft, 99);
        EXPECT_EQ(view.paper().size(QPageSize::Millimeter),
                  QSizeF(c.paper.widthMm, c.paper.heightMm));
        EXPECT_TRUE(session.mergeList.isEmpty());
        EXPECT_EQ((QStringList{s.text(1, 0), s.text(2, 0), s.text(3, 0)}),
                  (QStringList{"号", "姓名", "工资"}));
        flushDeletes();
    }
}

TEST_F(Wizard, NamesAndConditionsRewriteTheirTexts) {
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    add(w, kEmployees, {"姓名"});
    QListWidget *sel = list(w, "lstFieldSel");
    QLineEdit *cn = text(w, "txtCNField");
    // Every keystroke rewrites the entry; only the last " as " counts, in any case.
    for (const char *typed : {"名", "名字", "  员工名 "})
        cn->setText(QString::fromUtf8(typed));
    EXPECT_EQ(sel->item(0)->text(), QStringLiteral("员工.姓名 as 员工名"));
    sel->item(0)->setText(QStringLiteral("员工.姓名 AS 旧名"));
    cn->setText(QStringLiteral("新名"));
    EXPECT_EQ(sel->item(0)->text(), QStringLiteral("员工.姓名 as 新名"));
    cn->clear();
    EXPECT_EQ(sel->item(0)->text(), QStringLiteral("员工.姓名 as 新名"));

    // The condition replaces the statement's last "where" part; emptying it changes nothing.
    QLineEdit *sql = text(w, "txtSQL");
    QLineEdit *where = text(w, "txtWhere");
    sql->setText(QStringLiteral(" select  员工.姓名 from 员工 where 工资>1 "));
    where->setText(QStringLiteral("部门=2"));
    EXPECT_EQ(sql->text(), QStringLiteral("select  员工.姓名 from 员工 where 部门=2"));
    where->clear();
    EXPECT_EQ(sql->text(), QStringLiteral("select  员工.姓名 from 员工 where 部门=2"));
}

TEST_P(WizardOn, FinishUsesTheHeaderTextsTheRunConditionAndAHandEditedQuery) {
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    add(w, kEmployees, {"编号", "姓名", "工资"});
    click(w, "cmdSQL");
    // Edited by hand after generating: stored as typed, not generated again.
    text(w, "txtSQL")->setText(QStringLiteral("select 编号,姓名 from 员工 where 部门=1"));
    text(w, "txtColSTR")->setText(QStringLiteral("号，名，"));
    text(w, "txtReportName")->setText(QStringLiteral("手改"));
    // The host ran this report with its condition.
    session.whereSQL = QStringLiteral("where 工资 > 11000");
    session.whereReport = QStringLiteral("手改");
    click(w, "cmdDesign");
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    db::Recordset r = row(QStringLiteral("手改"));
    EXPECT_EQ(r.text(QStringLiteral("查询")),
              QStringLiteral("select 编号,姓名 from 员工 where 部门=1"));
    EXPECT_EQ(r.text(QStringLiteral("列标注")), QStringLiteral("号，名，"));
    EXPECT_EQ(r.value(QStringLiteral("列数")).toInt(), 3);
    // The sheet: the stored query before "where" under the run's condition (wages above
    // 11000: employees 102..120), labelled from the header texts.
    const grid::Sheet &sheet = session.sheet;
    EXPECT_EQ(sheet.maxRows(), 19);
    EXPECT_EQ(sheet.maxCols(), 2);
    EXPECT_EQ(sheet.text(1, 0), QStringLiteral("号"));
    EXPECT_EQ(sheet.text(2, 0), QStringLiteral("名"));
    EXPECT_EQ(sheet.text(1, 1), QStringLiteral("102"));
}

TEST_F(Wizard, FinishWithoutANameAsksForOne) {
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    add(w, kEmployees, {"姓名"});
    text(w, "txtReportName")->setText(QStringLiteral("   "));
    click(w, "cmdDesign");
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, QStringLiteral("请在报表名称中输入信息，再点击完成按钮。"));
    EXPECT_EQ(user.messages[0].title, QStringLiteral("提示"));
    EXPECT_EQ(user.messages[0].icon, base::MessageIcon::Information);
    EXPECT_TRUE(w->isVisible());
    // The statement was generated on the way.
    EXPECT_FALSE(control<QPushButton>(w, "cmdSQL")->isEnabled());
}

// The database refuses the data query or the row: the user reads the database's reason,
// nothing is stored, the designer keeps its report and sheet, and the wizard stays open.
TEST_P(WizardOn, ARefusedFinishStoresNothingAndSaysWhy) {
    session.sheet.setMaxCols(1);
    session.sheet.setMaxRows(1);
    session.sheet.setText(1, 1, QStringLiteral("原样"));
    session.reportName = QStringLiteral("旧报表");
    db.refuse(QStringLiteral("before insert on tsl_report"), QStringLiteral("不许新建报表"));
    const struct {
        const char *sql;
        const char *reason;
    } cases[] = {
        {"select 不存在的列 from 员工", "不存在的列"},
        {"select 姓名 from 员工", "不许新建报表"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sql);
        user.messages.clear();
        QWidget *w = new designer::DataSetWizard(*designer);
        w->show();
        click(w, "cmdSQL");
        text(w, "txtSQL")->setText(QString::fromUtf8(c.sql));
        text(w, "txtReportName")->setText(QStringLiteral("新报表"));
        click(w, "cmdDesign");
        ASSERT_EQ(user.messages.size(), 1u);
        EXPECT_EQ(user.messages[0].icon, base::MessageIcon::Warning);
        EXPECT_EQ(user.messages[0].title, QStringLiteral("系统警告"));
        EXPECT_TRUE(user.messages[0].text.contains(QString::fromUtf8(c.reason)))
            << user.messages[0].text.toStdString();
        EXPECT_TRUE(w->isVisible());
        EXPECT_FALSE(rowExists(QStringLiteral("新报表")));
        EXPECT_EQ(session.reportName, QStringLiteral("旧报表"));
        EXPECT_EQ(session.sheet.maxCols(), 1);
        EXPECT_EQ(session.sheet.text(1, 1), QStringLiteral("原样"));
        delete w;
    }
}

// Rows that cannot all be read (the third overflows) fail the finish with the wizard's
// message and leave no partial sheet standing as the report's data.
TEST_P(WizardOn, AQueryFailingAfterItsFirstRowsIsToldAndFillsNothing) {
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    click(w, "cmdSQL");
    text(w, "txtSQL")
        ->setText(
            QStringLiteral("select case when 编号 < 3 then 编号 else abs(-9223372036854775807 - 1) "
                           "end from 员工"));
    text(w, "txtReportName")->setText(QStringLiteral("溢出"));
    click(w, "cmdDesign");
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_TRUE(user.messages[0].text.startsWith(QStringLiteral("报表数据查询失败")))
        << user.messages[0].text.toStdString();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(session.sheet.maxRows(), 0);
}

TEST_P(WizardOn, AnUnreadableCatalogueSendsTheUserToTheConnection) {
    const QString noTables = QStringLiteral("没有可用的表，请查看连接是否正确。");
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    // A typed table that has no columns.
    QComboBox *table = combo(w, "cmbTable");
    table->setEditText(QStringLiteral("没有这个表"));
    emit table->activated(table->currentIndex());
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, noTables);
    EXPECT_EQ(user.messages[0].title, QStringLiteral("系统提示"));
    EXPECT_EQ(list(w, "lstField")->count(), 0);
    click(w, "cmdexit");

    // No connection at all: the table list stays empty, the commands still work.
    session.connection = db::Connection();
    session.reportName = QStringLiteral("任意");
    user.messages.clear();
    w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, noTables);
    EXPECT_EQ(combo(w, "cmbTable")->count(), 0);
    EXPECT_TRUE(text(w, "txtReportName")->text().isEmpty());
    click(w, "cmdSQL");
    EXPECT_EQ(text(w, "txtSQL")->text(), QStringLiteral("select   from "));
}

INSTANTIATE_TEST_SUITE_P(Backends, WizardOn, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

}  // namespace
