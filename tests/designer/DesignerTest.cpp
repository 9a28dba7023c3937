// The designer window's commands, driven through its controls on a real definition table.
#include <gtest/gtest.h>
#include <tessel/clsReport.h>

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <functional>
#include <tuple>

#include "DesignerWindows.h"
#include "charts/ChartData.h"
#include "charts/StoredCharts.h"
#include "conditions/CellLooks.h"
#include "conditions/StoredConditions.h"
#include "db/Recordset.h"
#include "definitions/Definitions.h"
#include "definitions/OptionalColumns.h"
#include "designer/PrintSpread.h"
#include "groups/StoredGrouping.h"
#include "report/SheetBuilding.h"
#include "settingdialogs/ChartDialog.h"
#include "settingdialogs/ConditionDialog.h"
#include "settingdialogs/GroupDialog.h"
#include "support/ScriptedInteraction.h"
#include "support/TestDb.h"
#include "widgets/SheetView.h"

using namespace tessel;
using designer::PrintSpread;

namespace {

class Designer : public ::testing::Test {
protected:
    explicit Designer(test::Backend backend = test::Backend::SQLite) : db(backend) {}

    void SetUp() override {
        TESSEL_SKIP_UNLESS_AVAILABLE(db.backend());
        db.exec(db.tslReportDdl());
        session.connection = db.connect();
        window = std::make_unique<PrintSpread>(
            session, designer::DesignerOpeners{[this] { ++previews; }, {}, {}, {}});
        buildSheet();
    }

    // A sheet of three columns, two data rows and a totals row.
    void buildSheet() {
        grid::Sheet &s = session.sheet;
        s.setMaxCols(3);
        s.setMaxRows(3);
        const char *labels[] = {"编号", "名称", "金额"};
        for (int c = 1; c <= 3; ++c) {
            s.setText(c, 0, QString::fromUtf8(labels[c - 1]));
            s.setColWidth(c, 8);
        }
        s.setText(1, 1, QStringLiteral("1"));
        s.setText(2, 1, QStringLiteral("办公椅"));
        s.setText(3, 1, QStringLiteral("120.5"));
        s.setText(1, 3, QStringLiteral("合计"));
    }

    QListWidget *list() { return window->findChild<QListWidget *>(QStringLiteral("lsField")); }
    void click(const char *name) { window->button(name)->click(); }

    db::Recordset row(const QString &name) {
        return definitions::open(definitions::selectReport(name), session.connection,
                                 definitions::Access::ReadOnly);
    }

    test::TempDb db;
    test::DialogUser user;
    report::ReportSession session;
    std::unique_ptr<PrintSpread> window;
    int previews = 0;
};

// The saves, on every backend.
class DesignerSave : public Designer, public ::testing::WithParamInterface<test::Backend> {
protected:
    DesignerSave() : Designer(GetParam()) {}
};

TEST_F(Designer, ControlsCarryTheirNamesAndCaptions) {
    EXPECT_EQ(window->objectName(), QStringLiteral("printSpread"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("报表设计主界面"));
    const struct {
        const char *name, *caption;
    } buttons[] = {{"cmdNew", "新建报表&N"}, {"cmdOpen", "报表列表&L"}, {"cmdSave", "保存&S"},
                   {"cmdPreview", "预览&R"}, {"cmdData", "数据结构&D"}, {"Command1", "列标头&W"},
                   {"cmdMerg", "合并列&H"},  {"cmdClose", "关闭&X"}};
    for (const auto &b : buttons) {
        QPushButton *btn = window->button(b.name);
        ASSERT_NE(btn, nullptr) << b.name;
        EXPECT_EQ(btn->text(), QString::fromUtf8(b.caption));
        EXPECT_TRUE(btn->isEnabled());
    }
    EXPECT_EQ(window->button("cmdPreview")->toolTip(),
              QStringLiteral("在预览界面中设置报表显示属性"));
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("Label1"))->text(),
              QStringLiteral("报表环境设计器"));
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("Label3"))->text(),
              QStringLiteral("在要显示列前打勾："));
    EXPECT_NE(window->findChild<widgets::SheetView *>(QStringLiteral("VaGrid")), nullptr);
    EXPECT_NE(window->findChild<QLineEdit *>(QStringLiteral("txtName")), nullptr);
}

TEST_F(Designer, CheckListFollowsTheSheet) {
    session.sheet.setColWidth(2, 1);  // width 1 counts as hidden
    window->filllist();
    ASSERT_EQ(list()->count(), 3);
    EXPECT_EQ(list()->item(2)->text(), QStringLiteral("3.金额[120.5]"));
    window->SetListValues();  // listini: stored widths stay
    EXPECT_EQ(list()->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(list()->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(session.sheet.colWidth(1), 8);
    EXPECT_EQ(session.sheet.rowMerge(0), grid::MergeMode::Always);

    window->listini = false;
    list()->item(1)->setCheckState(Qt::Checked);
    EXPECT_DOUBLE_EQ(session.sheet.colWidth(2), 1.5 * QStringLiteral("2.名称[办公椅]").size());
}

TEST_F(Designer, HidingTheLabelColumnMovesTheTotalsLabel) {
    window->filllist();
    window->SetListValues();
    list()->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(session.sheet.colWidth(1), 0);
    EXPECT_EQ(session.sheet.text(1, 3), QString());
    EXPECT_EQ(session.sheet.text(2, 3), QStringLiteral("合计"));
    list()->item(1)->setCheckState(Qt::Unchecked);
    list()->item(2)->setCheckState(Qt::Unchecked);
    for (int c = 1; c <= 3; ++c)
        EXPECT_NE(session.sheet.text(c, 3), QStringLiteral("合计")) << c;
}

TEST_F(Designer, MergeAsksForColumnsAndCancelRemovesThem) {
    user.inputs = {QStringLiteral("1,3,x,9")};
    click("cmdMerg");
    ASSERT_EQ(user.inputsAsked.size(), 1u);
    EXPECT_EQ(user.inputsAsked[0].prompt,
              QStringLiteral("请输入要合并的列号，第一列是1，多列时用逗号分开。"));
    EXPECT_EQ(user.inputsAsked[0].title, QStringLiteral("系统提示"));
    EXPECT_EQ(user.inputsAsked[0].defaultText, QStringLiteral("1"));
    EXPECT_EQ(session.mergeList, QStringLiteral("1,3,x,9"));
    EXPECT_EQ(session.sheet.colMerge(1), grid::MergeMode::Always);
    EXPECT_EQ(session.sheet.colMerge(2), grid::MergeMode::None);
    EXPECT_EQ(session.sheet.colMerge(3), grid::MergeMode::Always);
    click("cmdMerg");  // cancelled
    EXPECT_TRUE(session.mergeList.isEmpty());
    EXPECT_EQ(session.sheet.colMerge(1), grid::MergeMode::None);
    EXPECT_EQ(session.sheet.colMerge(3), grid::MergeMode::None);
}

TEST_P(DesignerSave, SaveCreatesARowWithThePrintDefaults) {
    session.reportName = QStringLiteral(" 产品表 ");
    session.querySQL = QStringLiteral("select a,b from t where x=1");
    session.sheet.setColWidth(2, 8.5);
    session.sheet.setColWidth(3, 0);
    session.sheet.setRowHeight(0, 15);
    window->button("cmdPreview")->setEnabled(false);
    click("cmdSave");
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    db::Recordset r = row(QStringLiteral("产品表"));
    ASSERT_FALSE(definitions::notFound(r));
    EXPECT_EQ(r.text(QStringLiteral("查询")), QStringLiteral("select a,b from t "));
    EXPECT_EQ(r.text(QStringLiteral("列宽")), QStringLiteral("8 8.5 0"));
    EXPECT_EQ(r.text(QStringLiteral("行高")), QStringLiteral("15"));
    EXPECT_EQ(r.text(QStringLiteral("合并")), QStringLiteral("1"));
    EXPECT_EQ(r.text(QStringLiteral("列标注")), QStringLiteral("编号，名称，金额，"));
    EXPECT_EQ(r.value(QStringLiteral("列数")).toInt(), 3);
    for (const char *f : {"列标", "行标", "网格线", "边框", "仅打数据格", "彩色打印"}) {
        EXPECT_EQ(r.value(QString::fromUtf8(f)).toInt(), 1) << f;
    }
    EXPECT_EQ(r.value(QStringLiteral("阴影")).toInt(), 0);
    EXPECT_EQ(r.value(QStringLiteral("上")).toDouble(), 0.5);
    EXPECT_EQ(session.mergeList, QStringLiteral("1"));
    EXPECT_TRUE(window->button("cmdPreview")->isEnabled());
}

TEST_P(DesignerSave, SaveOfAnExistingRowRewritesOnlyTheLayout) {
    db.exec(
        QStringLiteral("insert into tsl_report (报表名称, 查询, 列标, 左, 打印方向) values"
                       " ('产品表', 'select * from 产品', 0, 1.25, '2')"));
    session.reportName = QStringLiteral("产品表");
    session.mergeList = QStringLiteral("2");
    click("cmdSave");
    db::Recordset r = row(QStringLiteral("产品表"));
    EXPECT_EQ(r.text(QStringLiteral("查询")), QStringLiteral("select * from 产品"));
    EXPECT_EQ(r.value(QStringLiteral("列标")).toInt(), 0);
    EXPECT_EQ(r.value(QStringLiteral("左")).toDouble(), 1.25);
    EXPECT_EQ(r.text(QStringLiteral("合并")), QStringLiteral("2"));
    EXPECT_EQ(r.text(QStringLiteral("列标注")), QStringLiteral("编号，名称，金额，"));
}

TEST_P(DesignerSave, AFailedSaveStoresNothingAndSaysWhy) {
    // The database refuses the second update: the new row must not stay half written.
    db.refuse(QStringLiteral("before update of 列标注 on tsl_report"),
              QStringLiteral("标注被拒绝"));
    session.reportName = QStringLiteral("新表");
    click("cmdSave");
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].icon, base::MessageIcon::Warning);
    EXPECT_TRUE(user.messages[0].text.contains(QStringLiteral("标注被拒绝")));
    EXPECT_TRUE(definitions::notFound(row(QStringLiteral("新表"))));
    EXPECT_TRUE(session.mergeList.isEmpty());
}

// 关闭 asks only after a change the user made, and does what the answer says; a save shows
// its time in the status line.
TEST_F(Designer, CloseAsksToSaveWhatTheUserChanged) {
    using base::MessageAnswer;
    const struct {
        const char *name;
        std::function<void()> change;
        MessageAnswer answer;  // Ok: not asked
        bool closed, saved;
    } cases[] = {
        {"a host writes a label", [this] { session.sheet.setText(1, 0, "新"); }, MessageAnswer::Ok,
         true, false},
        {"a width", [this] { session.sheet.setColWidth(2, 20); }, MessageAnswer::Discard, true,
         false},
        {"the header row", [this] { session.sheet.setRowHeight(0, 30); }, MessageAnswer::Cancel,
         false, false},
        {"a column unticked", [this] { list()->item(1)->setCheckState(Qt::Unchecked); },
         MessageAnswer::Save, true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        window = std::make_unique<PrintSpread>(session);
        buildSheet();
        session.reportName = c.name;
        window->filllist();
        window->SetListValues();
        window->markClean();  // as a run or the report list leaves it
        c.change();
        user.answers = {c.answer};
        user.messages.clear();
        click("cmdClose");
        ASSERT_EQ(user.messages.size(), c.answer == MessageAnswer::Ok ? 0u : 1u);
        EXPECT_EQ(window->closed(), c.closed);
        EXPECT_EQ(!definitions::notFound(row(c.name)), c.saved);
        const QString status = window->findChild<QLabel *>("lblStatus")->text();
        EXPECT_EQ(status.startsWith("已保存 "), c.saved) << status.toStdString();
    }
}

// The title bar's close (✕, Alt+F4) asks what 关闭 asks: 取消 keeps the window shown, 不保存
// lets it go; nothing is asked without changes.
TEST_F(Designer, TitleBarCloseAsksAsTheCloseButtonDoes) {
    session.reportName = QStringLiteral("关闭表");
    window->markClean();
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(user.messages.empty());

    window->show();
    session.sheet.setColWidth(2, 20);
    user.answers = {base::MessageAnswer::Cancel, base::MessageAnswer::Cancel};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    click("cmdClose");
    ASSERT_EQ(user.messages.size(), 2u);
    const test::ShownMessage &bar = user.messages[0], &button = user.messages[1];
    EXPECT_EQ(std::tie(bar.text, bar.title, bar.buttons),
              std::tie(button.text, button.title, button.buttons));

    user.answers = {base::MessageAnswer::Discard};
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(user.messages.size(), 3u);
}

TEST_F(Designer, SaveWithoutNameDoesNothing) {
    click("cmdSave");
    EXPECT_TRUE(user.messages.empty());
    db::Recordset all = definitions::open(definitions::selectReportNames(), session.connection,
                                          definitions::Access::ReadOnly);
    EXPECT_TRUE(definitions::notFound(all));
}

TEST_F(Designer, NewKeepsTheReportNameAndPreviewOpens) {
    session.reportName = QStringLiteral("当前");
    click("cmdNew");
    EXPECT_EQ(session.reportName, QStringLiteral("当前"));
    click("cmdPreview");
    EXPECT_EQ(previews, 1);
}

// 条件格式… on a column: the dialog shows that column's rules, a rule added there reaches the
// live sample and, saved, 条件格式 (other columns' rules and the host's own keys kept, in their
// places), or without the column the session (told once). OK waits for a rule's values.
TEST_P(DesignerSave, ConditionsDialogEditsAndSavesTheColumnsRules) {
    const QString name = QStringLiteral("条件表");
    const QString stored = QStringLiteral(
        R"([{"column":3,"when":">","value":100,"text":"#C00000","x-host":1},)"
        R"({"column":1,"when":"=","value":"1","bold":true},{"column":3,"bar":"#638EC6"}])");
    for (const bool withColumn : {false, true}) {
        SCOPED_TRACE(withColumn ? "with 条件格式" : "without 条件格式");
        db.exec(QStringLiteral("delete from tsl_report"));
        if (withColumn)
            db.exec(
                QStringLiteral("alter table tsl_report add 条件格式 text;"
                               "insert into tsl_report (报表名称, 条件格式) values ('%1', '%2')")
                    .arg(name, stored));
        definitions::forgetOptionalColumns(session.connection);
        session.reportName = name;
        window = std::make_unique<PrintSpread>(session);
        buildSheet();
        session.sheet.setConditions(conditions::readConditions(stored, 3).rules);  // as a run
        user.messages.clear();

        QStringList shown;
        std::optional<conditions::CellLook> sampleLook;
        user.inDialog = [&](QDialog *d) {
            if (auto *colours = qobject_cast<QColorDialog *>(d)) {
                colours->setCurrentColor(QColor(0xE2, 0xEF, 0xDA));
                return int(QDialog::Accepted);
            }
            auto *list = d->findChild<QListWidget *>("lstRules");
            for (int i = 0; i < list->count(); ++i)
                shown << list->item(i)->text();
            d->findChild<QPushButton *>("cmdAddRule")->click();
            d->findChild<QPushButton *>("cmdOK")->click();  // the rule has no value yet
            EXPECT_EQ(user.messages.size(), 1u);
            auto *when = d->findChild<QComboBox *>("cmbWhen");
            when->setCurrentIndex(when->findText(QStringLiteral("介于")));
            d->findChild<QLineEdit *>("txtValue")->setText(QStringLiteral("1,000"));
            d->findChild<QLineEdit *>("txtValue2")->setText(QStringLiteral("100"));
            d->findChild<QCheckBox *>("chkText")->setChecked(false);
            d->findChild<QCheckBox *>("chkRow")->setChecked(true);
            d->findChild<QPushButton *>("cmdFill")->click();
            d->findChild<QPushButton *>("cmdRuleUp")->click();
            d->findChild<QPushButton *>("cmdRuleUp")->click();  // first of the column's rules
            const grid::Sheet &sample = static_cast<settingdialogs::ConditionDialog *>(d)->sample();
            sampleLook = conditions::looksOf(sample).look(sample, 1, 1);
            d->findChild<QPushButton *>("cmdOK")->click();
            return d->result();
        };
        QMenu *menu = window->showColumnMenu(3, QPoint(0, 0));
        menu->findChild<QAction *>("actConditions")->trigger();
        menu->close();
        EXPECT_EQ(user.dialogsRun, (std::vector<QString>{"frmConditions", "dlgColour"}));
        user.dialogsRun.clear();
        EXPECT_EQ(shown.size(), 2) << shown.join(u'|').toStdString();
        // 120.5 lies between 100 and 1000: the whole first row of the sample takes the fill.
        EXPECT_EQ(sampleLook.value_or(conditions::CellLook{}).fill, QColor(0xE2, 0xEF, 0xDA));
        EXPECT_TRUE(window->hasUnsavedChanges());
        user.messages.clear();
        click("cmdSave");

        const QString text =
            withColumn ? definitions::readOptionalColumn(session.connection, "条件格式", name)
                             .value_or(QVariant())
                             .toString()
                       : session.conditions.value(name);
        const QJsonArray saved = QJsonDocument::fromJson(text.toUtf8()).array();
        QStringList order;
        for (const QJsonValue &rule : saved)
            order << QString::number(rule[QLatin1String("column")].toInt()) +
                         rule[QLatin1String("when")].toString(QStringLiteral("bar"));
        EXPECT_EQ(order.join(u' '), QStringLiteral("3between 1= 3> 3bar")) << text.toStdString();
        grid::ConditionRule added;
        added.column = 3;
        added.when = grid::RuleWhen::Between;
        added.value = 1000.0;
        added.value2 = 100.0;
        added.fill = QColor(0xE2, 0xEF, 0xDA);
        added.row = true;
        EXPECT_EQ(conditions::readConditions(text, 3).rules.front(), added);
        EXPECT_EQ(saved[2][QLatin1String("x-host")].toInt(), 1);
        EXPECT_EQ(user.texts().join(u'|').contains("alter table tsl_report add 条件格式"),
                  !withColumn);
    }
}

// 分组… on a column: the dialog opens on the stored grouping, its edits reach the live sample,
// and the save stores them in 分组 with the host's own keys kept, or, without the column,
// for the session (told once). Reopened, the dialog shows what was saved.
TEST_P(DesignerSave, GroupsDialogEditsAndSavesTheGrouping) {
    const QString name = QStringLiteral("分组表");
    const QString stored =
        QStringLiteral(R"({"levels":[{"column":2}],"sort":false,"x-host":{"a":1}})");
    for (const bool withColumn : {false, true}) {
        SCOPED_TRACE(withColumn ? "with 分组" : "without 分组");
        db.exec(QStringLiteral("delete from tsl_report"));
        if (withColumn) {
            db.exec(QStringLiteral("alter table tsl_report add 分组 text;"
                                   "insert into tsl_report (报表名称, 分组) values ('%1', '%2')")
                        .arg(name, stored));
        } else {
            session.groupings.insert(name, stored);
        }
        definitions::forgetOptionalColumns(session.connection);
        session.reportName = name;
        window = std::make_unique<PrintSpread>(session);
        buildSheet();
        user.messages.clear();

        bool headerShown = false;
        int marked = 0;
        user.inDialog = [&](QDialog *d) {
            auto *levels = d->findChild<QListWidget *>("lstLevels");
            EXPECT_EQ(levels->count(), 1);
            EXPECT_FALSE(d->findChild<QCheckBox *>("chkSort")->isChecked());
            d->findChild<QCheckBox *>("chkHeader")->setChecked(true);
            d->findChild<QCheckBox *>("chkDefaultTotals")->setChecked(false);
            d->findChild<QComboBox *>("cmbFunction_3")->setCurrentIndex(2);  // 平均
            d->findChild<QGroupBox *>("grpPageTotals")->setChecked(true);
            auto *carried = d->findChild<QLineEdit *>("txtCarried");
            carried->selectAll();
            carried->del();
            marked = int(static_cast<settingdialogs::GroupDialog *>(d)->sample().rowMarks().size());
            d->findChild<QPushButton *>("cmdOK")->click();
            return d->result();
        };
        QMenu *menu = window->showColumnMenu(3, QPoint(0, 0));
        menu->findChild<QAction *>("actGroups")->trigger();
        menu->close();
        EXPECT_EQ(user.dialogsRun.back(), QStringLiteral("frmGroups"));
        EXPECT_TRUE(window->hasUnsavedChanges());
        // Two groups in the sample (办公椅 and the empty name), each with a header and a
        // subtotal row.
        EXPECT_EQ(marked, 4);
        click("cmdSave");

        const QString text = withColumn
                                 ? definitions::readOptionalColumn(session.connection, "分组", name)
                                       .value_or(QVariant())
                                       .toString()
                                 : session.groupings.value(name);
        grid::Grouping expected;
        expected.sort = false;
        expected.levels.resize(1);
        expected.levels[0].column = 2;
        expected.levels[0].totals =
            std::vector<grid::GroupTotal>{{3, grid::TotalFunction::Average}};
        expected.levels[0].header = true;
        expected.pageTotals =
            grid::PageTotals{{3}, QStringLiteral("本页小计"), QStringLiteral("累计"), QString()};
        EXPECT_EQ(groups::readGrouping(text, 3).grouping, expected) << text.toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(text.toUtf8()).object().value("x-host").toObject(),
                  QJsonObject({{"a", 1}}));
        EXPECT_EQ(user.texts().join(u'|').contains("alter table tsl_report add 分组"), !withColumn);

        user.inDialog = [&](QDialog *d) {
            headerShown = d->findChild<QCheckBox *>("chkHeader")->isChecked();
            return 0;
        };
        window->onGroups(1);
        EXPECT_TRUE(headerShown);
    }
}

// 图表… on a column: a chart added there takes its columns from it, the dialog's controls set
// it and the picture draws it, OK waits for a value column, and the save stores the charts in
// 图表 with the host's own keys kept, or, without the column, for the session (told once).
TEST_P(DesignerSave, ChartsDialogEditsAndSavesTheCharts) {
    const QString name = QStringLiteral("图表表");
    const QString stored =
        QStringLiteral(R"([{"type":"line","category":2,"values":[3],"x-host":1}])");
    for (const bool withColumn : {false, true}) {
        SCOPED_TRACE(withColumn ? "with 图表" : "without 图表");
        db.exec(QStringLiteral("delete from tsl_report"));
        if (withColumn)
            db.exec(QStringLiteral("alter table tsl_report add 图表 text;"
                                   "insert into tsl_report (报表名称, 图表) values ('%1', '%2')")
                        .arg(name, stored));
        definitions::forgetOptionalColumns(session.connection);
        session.reportName = name;
        window = std::make_unique<PrintSpread>(session);
        buildSheet();
        session.sheet.setCharts(charts::readCharts(stored, 3).charts);  // as a run
        user.messages.clear();

        QString why = QStringLiteral("not shown");
        user.inDialog = [&](QDialog *d) {
            d->findChild<QPushButton *>("cmdAddChart")->click();
            auto *type = d->findChild<QComboBox *>("cmbType");
            type->setCurrentIndex(type->findText(QStringLiteral("条形图")));
            d->findChild<QCheckBox *>("chkStacked")->setChecked(true);
            d->findChild<QLineEdit *>("txtTitle")->setText(QStringLiteral("各类金额"));
            d->findChild<QComboBox *>("cmbPlace")->setCurrentIndex(1);
            d->findChild<QDoubleSpinBox *>("spnWidth")->setValue(12);
            QListWidgetItem *amount = d->findChild<QListWidget *>("lstValues")->item(2);
            amount->setCheckState(Qt::Unchecked);
            d->findChild<QPushButton *>("cmdOK")->click();  // no value column
            EXPECT_EQ(user.messages.size(), 1u);
            amount->setCheckState(Qt::Checked);
            why = static_cast<settingdialogs::ChartDialog *>(d)->picture()->why();
            d->findChild<QPushButton *>("cmdOK")->click();
            return d->result();
        };
        QMenu *menu = window->showColumnMenu(3, QPoint(0, 0));
        menu->findChild<QAction *>("actCharts")->trigger();
        menu->close();
        EXPECT_EQ(user.dialogsRun, (std::vector<QString>{"frmCharts"}));
        user.dialogsRun.clear();
        EXPECT_EQ(why, QString());
        EXPECT_TRUE(window->hasUnsavedChanges());
        user.messages.clear();
        click("cmdSave");

        const QString text = withColumn
                                 ? definitions::readOptionalColumn(session.connection, "图表", name)
                                       .value_or(QVariant())
                                       .toString()
                                 : session.charts.value(name);
        const grid::ChartSpecs saved = charts::readCharts(text, 3).charts;
        ASSERT_EQ(saved.size(), 2u) << text.toStdString();
        EXPECT_EQ(saved[0].otherKeys.value("x-host").toInt(), 1);
        grid::ChartSpec added;
        added.type = grid::ChartType::Bar;
        added.stacked = true;
        added.title = QStringLiteral("各类金额");
        added.category = 1;  // the first column of texts (合计 among its numbers)
        added.values = {3};  // the column clicked
        added.place = grid::ChartPlace::Page;
        added.widthCm = 12;
        EXPECT_EQ(saved[1], added) << text.toStdString();
        EXPECT_EQ(user.texts().join(u'|').contains("alter table tsl_report add 图表"), !withColumn);
    }
}

// 分组… and 图表… accepted in the designer: the sheet the preview shows is regrouped and charted
// at once as a run prints it, and stays so after 保存; a chart of the groups' subtotals draws;
// no grouping puts back the plain rows. The totals row stays last with its sums throughout.
TEST_F(Designer, AcceptedGroupingAndChartsShowOnTheSheetAtOnce) {
    using grid::RowKind;
    grid::Sheet &s = session.sheet;
    s.clear();
    s.setMaxCols(2);
    s.setMaxRows(3);
    s.setText(1, 0, "客户"), s.setText(2, 0, "金额");
    const char *rows[][2] = {{"乙", "10"}, {"甲", "20"}, {"乙", "30"}};  // 乙 sorts first
    for (int r = 1; r <= 3; ++r) {
        s.setText(1, r, QString::fromUtf8(rows[r - 1][0]));
        s.setText(2, r, QString::fromUtf8(rows[r - 1][1]));
    }
    report::AddTotalsRow(s, QVariant(QVariantList{2}));  // as a run with totals
    session.reportName = QStringLiteral("分组表");
    window->markClean();
    const auto kinds = [&] {
        std::vector<RowKind> out;
        for (int r = 1; r <= s.maxRows(); ++r)
            out.push_back(s.rowMark(r).kind);
        return out;
    };
    const std::vector<RowKind> grouped{RowKind::Data, RowKind::Data,     RowKind::Subtotal,
                                       RowKind::Data, RowKind::Subtotal, RowKind::Totals};

    user.inDialog = [](QDialog *d) {
        d->findChild<QPushButton *>("cmdAddLevel")->click();  // by 客户, summing 金额
        d->findChild<QPushButton *>("cmdOK")->click();
        return d->result();
    };
    window->onGroups(1);
    EXPECT_EQ(kinds(), grouped);
    EXPECT_EQ(s.text(2, 3), "40");
    EXPECT_EQ(s.text(2, 6), "60");

    user.inDialog = [](QDialog *d) {
        d->findChild<QComboBox *>("cmbSource")->setCurrentIndex(1);  // the groups' subtotals
        d->findChild<QPushButton *>("cmdOK")->click();
        return d->result();
    };
    window->onCharts(2);
    ASSERT_EQ(s.charts().size(), 1u);
    EXPECT_EQ(s.charts()[0].source, grid::ChartSource::Groups);
    EXPECT_EQ(charts::chartDataProblem(s, s.charts()[0]), QString());

    click("cmdSave");
    click("cmdPreview");
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(kinds(), grouped);
    EXPECT_EQ(s.charts().size(), 1u);

    user.messages.clear();
    user.inDialog = [](QDialog *d) {
        d->findChild<QPushButton *>("cmdRemoveLevel")->click();
        d->findChild<QPushButton *>("cmdOK")->click();
        return d->result();
    };
    window->onGroups(1);
    EXPECT_EQ(kinds(),
              (std::vector<RowKind>{RowKind::Data, RowKind::Data, RowKind::Data, RowKind::Totals}));
    EXPECT_EQ(s.text(2, 4), "60");
    // The chart of the groups cannot be drawn from plain rows: it is left out, and told.
    EXPECT_TRUE(s.charts().empty());
    EXPECT_TRUE(user.texts().join(u'|').contains("图表")) << user.texts().join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, DesignerSave, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

}  // namespace
