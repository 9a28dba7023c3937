// The report list: stored names, opening a sample of a report, deleting one.
#include <QLabel>

#include "designer/DesignerWindows.h"

using namespace tessel;
using test::DesignerWindows;

namespace {

class List : public DesignerWindows {
protected:
    using DesignerWindows::DesignerWindows;
    QWidget *open() {
        designer->button("cmdOpen")->click();
        QWidget *w = window("frmTableList");
        EXPECT_NE(w, nullptr);
        return w;
    }
    QListWidget *names(QWidget *w) { return control<QListWidget>(w, "lsTable"); }
};

// The list's reads and deletes, on every backend.
class ListOn : public List, public ::testing::WithParamInterface<test::Backend> {
protected:
    ListOn() : List(GetParam()) {}
};

TEST(SampleQuery, LimitsAStoredQueryToFiftyRows) {
    const struct {
        const char *stored, *sample;
    } cases[] = {
        {"select  a,b from t", "select top 50  a,b from t"},
        {"  select a from t where x=1 ", "select top 50 a from t where x=1"},
        {"SELECT a FROM t", "SELECT top 50 a FROM t"},
        {"select topic from t", "select top 50 topic from t"},
        // A top of its own gets no second one; a larger count is lowered.
        {"select top 10 a from t", "select top 10 a from t"},
        {"select  TOP 500 a from t", "select  TOP 50 a from t"},
        {"select top(80) a from t", "select top(50) a from t"},
        {"select top 80 percent a from t", "select top 80 percent a from t"},
        {"select top (@n) a from t", "select top (@n) a from t"},
        // The clause goes after distinct, where the server expects it.
        {"select distinct a from t", "select distinct top 50 a from t"},
        {"select distinct top 5 a from t", "select distinct top 5 a from t"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(designer::sampleQuery(QString::fromUtf8(c.stored)), QString::fromUtf8(c.sample))
            << c.stored;
    }
}

TEST_P(ListOn, NamesComeInDatabaseOrderAndAnEmptyTableIsReported) {
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Form1"));
    EXPECT_EQ(control<QLabel>(w, "Label2")->text(), QStringLiteral("数据报表列表"));
    EXPECT_EQ(control<QLabel>(w, "Label1")->text(), QStringLiteral("已经存在的报表："));
    EXPECT_EQ(control<QPushButton>(w, "cmdOK")->text(), QStringLiteral("确定&O"));
    EXPECT_EQ(control<QPushButton>(w, "Command1")->text(), QStringLiteral("删除&D"));
    EXPECT_EQ(control<QPushButton>(w, "cmdCanel")->text(), QStringLiteral("取消"));
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, QStringLiteral("没有报表数据"));
    EXPECT_EQ(user.messages[0].title, QStringLiteral("提示信息"));
    EXPECT_EQ(user.messages[0].icon, base::MessageIcon::Information);
    EXPECT_EQ(names(w)->count(), 0);
    click(w, "cmdCanel");
    flushDeletes();
    EXPECT_EQ(window("frmTableList"), nullptr);

    for (const char *n : {"乙报表", "甲报表", "丙报表 "})
        storeReport(QString::fromUtf8(n), QStringLiteral("select 编号 from 员工"));
    QStringList expected;
    db::Recordset all = definitions::open(definitions::selectReportNames(), session.connection,
                                          definitions::Access::ReadOnly);
    for (; !all.eof(); all.moveNext())
        expected << all.text(0);
    user.messages.clear();
    w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(user.messages.empty());
    EXPECT_EQ(entries(names(w)), expected);
    EXPECT_EQ(expected.size(), 3);
}

TEST_P(ListOn, OpenAppliesTheDefinitionAndShowsFiftyRows) {
    storeReport(QStringLiteral("员工表"), QStringLiteral("select  编号,姓名,工资 from 员工"),
                QStringLiteral("号，，钱，"), QString());
    db.exec(QStringLiteral("update tsl_report set 合并 = '2', 行高 = 18, 左 = 1"));
    grid::Sheet &sheet = session.sheet;
    sheet.setMaxCols(3);
    for (int c = 1; c <= 3; ++c)
        sheet.setColWidth(c, 6 + c);

    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    select(names(w), QStringLiteral("员工表"));
    click(w, "cmdOK");
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(session.reportName, QStringLiteral("员工表"));
    EXPECT_EQ(sheet.maxRows(), 50);
    EXPECT_EQ(sheet.maxCols(), 3);
    EXPECT_EQ(sheet.text(2, 50), QStringLiteral("员工50"));
    // Labels from the row (an empty one shows a blank); no stored widths: widths stay.
    EXPECT_EQ(sheet.text(1, 0), QStringLiteral("号"));
    EXPECT_EQ(sheet.text(2, 0), QStringLiteral(" "));
    EXPECT_EQ(sheet.text(3, 0), QStringLiteral("钱"));
    for (int c = 1; c <= 3; ++c)
        EXPECT_EQ(sheet.colWidth(c), 6 + c) << c;
    // The definition itself: merges, header height, margins.
    EXPECT_EQ(session.mergeList, QStringLiteral("2"));
    EXPECT_EQ(sheet.colMerge(2), grid::MergeMode::Always);
    EXPECT_EQ(sheet.rowHeight(0), 18);
    EXPECT_EQ(sheet.print().marginLeft, 1440);
    // The designer's name box and check list are not refreshed by an open.
    EXPECT_TRUE(designer->findChild<QLineEdit *>(QStringLiteral("txtName"))->text().isEmpty());
}

TEST_P(ListOn, AStoredTopClauseIsNotDoubled) {
    storeReport(QStringLiteral("前百"), QStringLiteral("select top 100 姓名 from 员工"));
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    names(w)->setCurrentRow(0);
    click(w, "cmdOK");
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    EXPECT_EQ(session.sheet.maxRows(), 50);
    EXPECT_EQ(session.sheet.text(1, 50), QStringLiteral("员工50"));
}

// A report that cannot be opened leaves the designer as it was and says why; the list
// stays open.
TEST_P(ListOn, AFailedOpenChangesNothing) {
    storeReport(QStringLiteral("坏报表"), QStringLiteral("select 没有的列 from 员工"));
    db.exec(QStringLiteral("update tsl_report set 合并 = '1', 行高 = 30"));
    session.reportName = QStringLiteral("当前");
    session.mergeList = QStringLiteral("3");
    session.sheet.setMaxRows(2);
    session.sheet.setRowHeight(0, 12);

    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    names(w)->setCurrentRow(0);
    click(w, "cmdOK");
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].icon, base::MessageIcon::Warning);
    EXPECT_TRUE(user.messages[0].text.contains(QStringLiteral("没有的列")));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(session.reportName, QStringLiteral("当前"));
    EXPECT_EQ(session.mergeList, QStringLiteral("3"));
    EXPECT_EQ(session.sheet.maxRows(), 2);
    EXPECT_EQ(session.sheet.rowHeight(0), 12);

    // Deleted meanwhile by someone else: the same.
    db.exec(QStringLiteral("delete from tsl_report"));
    user.messages.clear();
    click(w, "cmdOK");
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_TRUE(user.messages[0].text.contains(QStringLiteral("坏报表")));
    EXPECT_EQ(session.reportName, QStringLiteral("当前"));

    // Nothing selected: nothing happens.
    names(w)->setCurrentRow(-1);
    user.messages.clear();
    click(w, "cmdOK");
    EXPECT_TRUE(user.messages.empty());
}

TEST_P(ListOn, DeleteUsesTheExactNameAndReportsFailures) {
    storeReport(QStringLiteral(" 带空格 "), QStringLiteral("select 编号 from 员工"));
    storeReport(QStringLiteral("带空格"), QStringLiteral("select 编号 from 员工"));
    QWidget *w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(names(w)->count(), 2);

    // Answered No: nothing happens.
    select(names(w), QStringLiteral(" 带空格 "));
    user.answers = {base::MessageAnswer::No};
    click(w, "Command1");
    EXPECT_EQ(user.messages.size(), 1u);
    EXPECT_TRUE(rowExists(QStringLiteral(" 带空格 ")));

    // Yes: exactly the selected row goes.
    user.messages.clear();
    click(w, "Command1");
    EXPECT_EQ(user.texts(), (QStringList{"真的要删除当前报表吗？", "报表删除成功！"}));
    EXPECT_FALSE(rowExists(QStringLiteral(" 带空格 ")));
    EXPECT_TRUE(rowExists(QStringLiteral("带空格")));
    EXPECT_EQ(entries(names(w)), QStringList{"带空格"});

    // Nothing selected, or a database that refuses: "操作失败！", the list keeps its entries.
    user.messages.clear();
    click(w, "Command1");
    EXPECT_EQ(user.texts(), (QStringList{"真的要删除当前报表吗？", "操作失败！"}));
    EXPECT_EQ(user.messages[1].icon, base::MessageIcon::Warning);
    EXPECT_EQ(user.messages[1].title, QStringLiteral("系统警告"));
    db.refuse(QStringLiteral("before delete on tsl_report"), QStringLiteral("不许删除"));
    names(w)->setCurrentRow(0);
    user.messages.clear();
    click(w, "Command1");
    EXPECT_EQ(user.texts(), (QStringList{"真的要删除当前报表吗？", "操作失败！"}));
    EXPECT_EQ(names(w)->count(), 1);
    EXPECT_TRUE(rowExists(QStringLiteral("带空格")));
}

INSTANTIATE_TEST_SUITE_P(Backends, ListOn, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

}  // namespace
