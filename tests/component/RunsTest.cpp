// The three report runs end to end, through the public API, on a real database (SQLite, and
// for the runs that read and write it, every backend).
#include <gtest/gtest.h>
#include <tessel/clsReport.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "component/SharedState.h"
#include "definitions/Definitions.h"
#include "definitions/OptionalColumns.h"
#include "export/WorkbookExport.h"
#include "preview/SpreadPreview.h"
#include "support/Pdf.h"
#include "support/ScriptedInteraction.h"
#include "support/TestDb.h"
#include "support/Unzip.h"
#include "widgets/SheetView.h"

using namespace tessel;

namespace {

const QString kNoDefinition = QStringLiteral("不存在这个报表数据，请新建报表。");
const QString kQueryFailed = QStringLiteral("查询有误，不能生成报表，请确认是否点击查询按钮。");

QWidget *designerWindow() {
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("printSpread") &&
            !w->testAttribute(Qt::WA_WState_Hidden)) {
            return w;
        }
    }
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("printSpread"))
            return w;
    }
    return nullptr;
}

QWidget *previewWindow() {
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("spreadpreview") && w->isVisible())
            return w;
    }
    return nullptr;
}

bool buttonEnabled(const char *name) {
    auto *b = designerWindow()->findChild<QPushButton *>(QString::fromLatin1(name));
    return b && b->isEnabled();
}

// A grid object of the kind older hosts pass: properties cols and Rows, TextMatrix(row, col).
class FlexGrid : public QObject {
    Q_OBJECT
    Q_PROPERTY(int cols MEMBER cols)
    Q_PROPERTY(int Rows MEMBER rows)
public:
    int cols = 2;
    int rows = 3;
    Q_INVOKABLE QString TextMatrix(int row, int col) const {
        return QStringLiteral("r%1c%2").arg(row).arg(col);
    }
};

// The scripted user, who also works the modal dialogs: each one goes to onDialog.
struct DrivingUser : test::ScriptedInteraction {
    std::function<void(QDialog *)> onDialog = [](QDialog *) {};
    int execDialog(QDialog *d) override {
        dialogsRun.push_back(d->objectName());
        onDialog(d);
        return d->result();
    }
};

void press(QWidget *window, const char *button) {
    window->findChild<QPushButton *>(QString::fromLatin1(button))->click();
}

class Runs : public ::testing::Test {
protected:
    explicit Runs(test::Backend backend = test::Backend::SQLite) : db(backend) {}

    void SetUp() override {
        TESSEL_SKIP_UNLESS_AVAILABLE(db.backend());
        db.exec(db.tslReportDdl());
        db.exec(QStringLiteral(
            "create table 订单 (编号 integer primary key, 客户 text, 金额 real);"
            "insert into 订单 values (1, '张三', 80), (2, '李四', 120.5), (3, '王五', 300),"
            " (4, '赵六', 99.5);"
            "insert into tsl_report (报表名称, 查询, 列标注, 列宽, 行高, 列数, 合并, 列标, 行标,"
            " 网格线, 边框, 仅打数据格, 彩色打印, 阴影, 范围类型, 左, 右, 上, 下, 打印方向,"
            " 页头页脚, 页头文本, 页脚文本) values ('订单报表', 'select 编号,金额 from 订单 where "
            "1=1',"
            " '编号，金额，', '6 10', 15, 2, '', 1, 1, 1, 1, 0, 1, 0, 0, 0.5, 0.5, 0.5, 0.5, '1',"
            " 3, '/c订单报表/n', '/r/p/n');"));
        report.ConDb(db.connectionString());
        report.setNameOfReport(QString());
    }
    void TearDown() override { component::sharedState().unloadDesigner(); }

    QStringList column(int col) {
        QStringList out;
        for (int r = 1; r <= report.tsRows(); ++r)
            out << report.getText(col, r).toString();
        return out;
    }

    test::TempDb db;
    DrivingUser user;
    clsReport report;
    QTemporaryDir dir;
};

// The runs that read and write the database, on every backend.
class RunsOn : public Runs, public ::testing::WithParamInterface<test::Backend> {
protected:
    RunsOn() : Runs(GetParam()) {}
};

TEST_P(RunsOn, PrintPreSQL1TakesTheHostsWhereTail) {
    report.PrintPreSQL1(QStringLiteral("select * from 订单 where 金额>100"),
                        QStringLiteral("订单报表"), 0, false);
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    EXPECT_EQ(component::sharedState().session.whereSQL, QStringLiteral("where 金额>100"));
    // The condition is this report's: the designer's wizard gives it to no other.
    EXPECT_EQ(component::sharedState().session.whereReport, QStringLiteral("订单报表"));
    EXPECT_EQ(report.tsCols(), 2);
    EXPECT_EQ(column(1), (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_EQ(report.getText(2, 0).toString(), QStringLiteral("金额"));
    EXPECT_EQ(report.NameOfReport(), QStringLiteral("订单报表"));
    EXPECT_TRUE(report.Visible());
    auto *list = designerWindow()->findChild<QListWidget *>(QStringLiteral("lsField"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("2.金额[120.5]"));
    EXPECT_EQ(user.busyDepth, 0);
}

// A condition in capitals selects its rows (it was once ignored, and every row printed); a bare
// condition, without where and no select, is refused with a message that says so.
TEST_F(Runs, UppercaseWhereIsATailAndABareConditionIsRefused) {
    report.setNameOfReport(QStringLiteral("订单报表"));
    report.PrintPreSQL1(QStringLiteral("select * from 订单 WHERE 金额>100"), QString(), 5, false);
    EXPECT_EQ(component::sharedState().session.whereSQL, QStringLiteral("WHERE 金额>100"));
    EXPECT_EQ(report.tsRows(), 2);
    EXPECT_FALSE(report.Visible());  // isshow 5 shows nothing
    EXPECT_TRUE(user.texts().isEmpty());

    report.PrintPreSQL1(QStringLiteral("订单.金额 > 60000"), QString(), 5, false);
    ASSERT_EQ(user.texts().size(), 1);
    EXPECT_TRUE(user.texts()[0].contains(QStringLiteral("where 订单.金额 > 60000")));
    EXPECT_EQ(component::sharedState().session.whereSQL, QStringLiteral("WHERE 金额>100"));
}

TEST_F(Runs, WithoutADefinitionTheQueryIsShownForSaving) {
    const QString pdf = dir.filePath(QStringLiteral("none.pdf"));
    test::PrintToPdf printer(pdf);
    report.PrintPreSQL1(QStringLiteral("select 客户, 金额 from 订单"), QStringLiteral("新报表"), 2,
                        false);
    ASSERT_EQ(user.texts(), QStringList{kNoDefinition});
    EXPECT_EQ(user.messages[0].title, QStringLiteral("系统信息"));
    EXPECT_FALSE(QFileInfo::exists(pdf));  // nothing printed
    EXPECT_TRUE(report.Visible());
    EXPECT_FALSE(buttonEnabled("cmdNew"));
    EXPECT_FALSE(buttonEnabled("cmdPreview"));
    EXPECT_TRUE(buttonEnabled("cmdSave"));
    EXPECT_EQ(report.getText(1, 0).toString(), QStringLiteral("客户"));
    EXPECT_EQ(report.tsRows(), 4);
    EXPECT_EQ(component::sharedState().session.sheet.rowHeight(0), 11.5);
}

TEST_P(RunsOn, QueryErrorsAreShownAndTheCallReturns) {
    // The run's message, then the database's reason on a line of its own.
    const auto shown = [&] {
        QStringList firstLines;
        for (const QString &text : user.texts()) {
            firstLines << text.section(u'\n', 0, 0);
            EXPECT_TRUE(!text.startsWith(kQueryFailed) ||
                        !text.section(u'\n', 1).trimmed().isEmpty())
                << "no reason given: " << text.toStdString();
        }
        return firstLines;
    };
    report.PrintPreSQL1(QStringLiteral("select * from 不存在 where x=1"), QStringLiteral("没有"), 0,
                        false);
    EXPECT_EQ(shown(), (QStringList{kNoDefinition, kQueryFailed}));
    EXPECT_EQ(user.busyDepth, 0);
    user.messages.clear();
    // A stored query the database refuses takes the same path.
    db.exec(QStringLiteral("update tsl_report set 查询 = 'select nothing from 订单'"));
    report.PrintPreSQL1(QString(), QStringLiteral("订单报表"), 0, true);
    EXPECT_EQ(shown(), QStringList{kQueryFailed});
    // So do rows that break off after the first two (the third overflows): no short report.
    user.messages.clear();
    db.exec(
        QStringLiteral("update tsl_report set 查询 = 'select case when 编号 < 3 then 编号 "
                       "else abs(-9223372036854775807 - 1) end from 订单'"));
    report.PrintPreSQL1(QString(), QStringLiteral("订单报表"), 0, true);
    EXPECT_EQ(shown(), QStringList{kQueryFailed});
}

TEST_F(Runs, PrintingLeavesOutTheTotalsRowTheSheetGets) {
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    test::PrintToPdf printer(pdf);
    report.PrintPreSQL1(QStringLiteral("select * from 订单"), QStringLiteral("订单报表"), 2, true);
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    ASSERT_EQ(test::pdfPageCount(pdf), 1);
    const QString text = test::pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("订单报表"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("300")));
    EXPECT_FALSE(text.contains(QStringLiteral("合计")));
    EXPECT_EQ(report.tsRows(), 5);
    EXPECT_EQ(report.getText(1, 5).toString(), QStringLiteral("合计"));
    EXPECT_EQ(report.getText(2, 5).toString(), QStringLiteral("600"));
    EXPECT_EQ(user.busyDepth, 0);
}

TEST_F(Runs, PreviewOpensBeforeTheTotalsRowArrives) {
    report.PrintPreSQL1(QStringLiteral("select * from 订单"), QStringLiteral("订单报表"), 1, true);
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    QWidget *preview = previewWindow();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("打印预览"));
    auto *strip = preview->findChild<widgets::SheetView *>(QStringLiteral("fpSpread1"));
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->text(14, 1), QStringLiteral("Page 1 of 1"));
    // The preview shows the designer's own sheet, which received the totals row afterwards.
    EXPECT_EQ(report.tsRows(), 5);
    EXPECT_EQ(report.getText(1, 5).toString(), QStringLiteral("合计"));
    preview->close();
}

TEST_F(Runs, APreviewWithAnOpenDialogIsShownAgainNotDestroyed) {
    report.PrintPreSQL1(QStringLiteral("select * from 订单"), QStringLiteral("订单报表"), 1, false);
    QPointer<QWidget> preview = previewWindow();
    ASSERT_TRUE(preview);
    // The user has page setup open on the preview when the host runs another preview.
    QDialog dialog(preview);
    dialog.setModal(true);
    QTimer::singleShot(0, &dialog, [&] {
        report.PrintPreSQL1(QStringLiteral("select * from 订单 where 编号 < 3"),
                            QStringLiteral("订单报表"), 1, false);
        dialog.reject();
    });
    dialog.exec();
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(report.tsRows(), 2);
    preview->close();
}

TEST_F(Runs, APrinterProblemIsToldAsSuch) {
    test::PrintToPdf printer(QStringLiteral("no-such-printer-here"));
    report.PrintPreSQL1(QStringLiteral("select * from 订单"), QStringLiteral("订单报表"), 2, false);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_NE(user.messages[0].text, kQueryFailed);
    EXPECT_TRUE(user.messages[0].text.contains(QStringLiteral("打印失败")))
        << user.messages[0].text.toStdString();
    EXPECT_EQ(user.messages[0].icon, base::MessageIcon::Warning);
    EXPECT_EQ(user.busyDepth, 0);
}

TEST_P(RunsOn, TotalsOverChosenColumns) {
    report.PrintPreSQL1(QStringLiteral("select * from 订单"), QStringLiteral("订单报表"), 0, true,
                        QVariantList{2});
    EXPECT_EQ(report.getText(2, 5).toString(), QStringLiteral("600"));
    report.PrintPreSQL1(QStringLiteral("select * from 订单"), QStringLiteral("订单报表"), 0, true,
                        QVariant());  // given empty: the row, no sums
    EXPECT_EQ(report.getText(1, 5).toString(), QStringLiteral("合计"));
    EXPECT_EQ(report.getText(2, 5).toString(), QString());
}

TEST_P(RunsOn, PrintPreGridCopiesAModelBelowTheStoredLabels) {
    QStandardItemModel model(4, 3);
    model.setHorizontalHeaderLabels(
        {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c)
            model.setItem(r, c, new QStandardItem(QStringLiteral("%1-%2").arg(r + 1).arg(c)));
    }
    report.PrintPreGrid(&model, QStringLiteral(" 订单报表 "), 0, false);
    EXPECT_TRUE(user.messages.empty());
    EXPECT_EQ(report.NameOfReport(), QStringLiteral("订单报表"));
    EXPECT_EQ(report.tsRows(), 4);
    EXPECT_EQ(report.tsCols(), 2);  // the stored 列数
    EXPECT_EQ(report.getText(1, 0).toString(), QStringLiteral("编号"));
    EXPECT_EQ(report.getText(1, 1).toString(), QStringLiteral("1-0"));
    EXPECT_EQ(report.getText(3, 4).toString(), QStringLiteral("4-2"));
    EXPECT_FALSE(buttonEnabled("cmdData"));
    EXPECT_EQ(user.busyDepth, 0);
}

TEST_F(Runs, PrintPreGridWithoutDefinitionTakesGridRowZeroAsLabels) {
    FlexGrid grid;
    report.PrintPreGrid(&grid, QStringLiteral("无此报表"), 1, false);
    EXPECT_TRUE(user.messages.empty());
    EXPECT_TRUE(report.Visible());
    EXPECT_EQ(report.tsRows(), 2);
    EXPECT_EQ(report.tsCols(), 2);
    EXPECT_EQ(report.getText(1, 0).toString(), QStringLiteral("r0c0"));
    EXPECT_EQ(report.getText(2, 2).toString(), QStringLiteral("r2c1"));
}

TEST_F(Runs, PrintPreGridRefusesAnObjectThatIsNoGrid) {
    QObject notAGrid;
    report.PrintPreGrid(&notAGrid, QStringLiteral("订单报表"), 0, false);
    EXPECT_EQ(user.texts(), QStringList{kQueryFailed});
    EXPECT_EQ(user.busyDepth, 0);
}

TEST_P(RunsOn, GetReportKeepsTheRowsAndAddsALabelledRowEachTime) {
    report.PrintPreSQL1(QStringLiteral("select * from 订单"), QStringLiteral("订单报表"), 5, false);
    report.getReport(QString(), 2, 5);
    EXPECT_EQ(report.tsRows(), 5);
    EXPECT_EQ(report.getText(1, 5).toString(), QStringLiteral("合计"));
    EXPECT_EQ(report.getText(2, 5).toString(), QString());
    EXPECT_EQ(report.getText(1, 4).toString(), QStringLiteral("4"));
    report.getReport(QStringLiteral("订单报表"), 2, 5);
    EXPECT_EQ(report.tsRows(), 6);
}

// A stored 参数 on every run: the parameters' defaults select the rows, joined to the host's
// condition and bound; what cannot be used is told once naming 参数; a required parameter
// without value fails the run naming it.
TEST_P(RunsOn, StoredParametersChooseTheRows) {
    report::ReportSession &session = component::sharedState().session;
    db.exec(definitions::addColumnStatement(QStringLiteral("参数"), session.connection.dialect()));
    report.ConDb(db.connectionString());
    session.paramNotices.clear();
    const auto run = [&](const char *stored) {
        db.exec(QStringLiteral("update tsl_report set 参数 = '%1'").arg(QString::fromUtf8(stored)));
        user.messages.clear();
        report.PrintPreSQL1(QStringLiteral("where 编号 < 4"), QStringLiteral("订单报表"), 5, false);
        return report.tsRows();
    };
    EXPECT_EQ(run(R"([{"name":"最低","type":"number","column":"金额","op":">=","default":100}])"),
              2);
    EXPECT_TRUE(user.texts().isEmpty());
    EXPECT_EQ(
        run(R"([{"name":"最低","type":"number","column":"金额","default":"x"},{"name":"日期"}])"),
        3);
    ASSERT_EQ(user.texts().size(), 1);
    EXPECT_TRUE(user.texts()[0].contains(QStringLiteral("参数")));
    EXPECT_TRUE(user.texts()[0].contains(QStringLiteral("日期")));
    run(R"([{"name":"最低","type":"number","column":"金额","required":true}])");
    ASSERT_EQ(user.texts().size(), 1);
    EXPECT_TRUE(user.texts()[0].contains(QStringLiteral("参数“最低”必须有值")));
}

// A stored 条件格式 on every run: the rules that can be used reach the sheet the report prints
// from; what cannot be used is told once per report and text (three runs, one message), naming
// 条件格式, and the report still prints.
TEST_P(RunsOn, StoredConditionalFormatsOnEveryRun) {
    report::ReportSession &session = component::sharedState().session;
    db.exec(
        definitions::addColumnStatement(QStringLiteral("条件格式"), session.connection.dialect()));
    report.ConDb(db.connectionString());  // the table's columns looked up afresh
    session.conditionNotices.clear();     // told by another backend's run
    QStandardItemModel model(2, 2);
    const struct {
        const char *stored;
        std::size_t rules;
    } cases[] = {
        {R"('[{"column":2,"when":">","value":100,"fill":"#FFC7CE"},{"column":2,"bar":"#638EC6"}]')",
         2},
        {R"('[{"column":2,"when":"huge"},{"column":9,"bar":"#638EC6"},{"column":1,"when":"top","value":1}]')",
         1},
        {"'[{'", 0},
        {"NULL", 0}};
    for (const auto &c : cases) {
        const QString pdf = dir.filePath(QStringLiteral("rules.pdf"));
        const bool told = c.rules < 2 && QLatin1String(c.stored) != QLatin1String("NULL");
        db.exec(QStringLiteral("update tsl_report set 条件格式 = %1").arg(c.stored));
        user.messages.clear();
        {
            test::PrintToPdf printer(pdf);
            report.PrintPreSQL1(QStringLiteral("select * from 订单"), QStringLiteral("订单报表"), 2,
                                false);
        }
        EXPECT_EQ(session.sheet.conditions().size(), c.rules) << c.stored;
        EXPECT_TRUE(test::pdfText(pdf).contains(QStringLiteral("300"))) << c.stored;
        report.PrintPreGrid(&model, QStringLiteral("订单报表"), 0, false);
        EXPECT_EQ(session.sheet.conditions().size(), c.rules) << c.stored;
        report.getReport(QString(), 2, 0);
        EXPECT_EQ(session.sheet.conditions().size(), c.rules) << c.stored;
        EXPECT_EQ(user.messages.size(), told ? 1u : 0u) << user.texts().join('|').toStdString();
        EXPECT_EQ(user.texts().join(u'|').contains(QStringLiteral("条件格式")), told) << c.stored;
    }
}

// A stored 图表 on every run: the charts that can be drawn reach the sheet, print with the
// report and go into the workbook as native charts (none when the runs leave charts out);
// what cannot be drawn is told once per report and text, naming 图表; the report still prints.
TEST_P(RunsOn, StoredChartsOnEveryRun) {
    report::ReportSession &session = component::sharedState().session;
    db.exec(definitions::addColumnStatement(QStringLiteral("图表"), session.connection.dialect()));
    report.ConDb(db.connectionString());
    session.chartNotices.clear();
    QStandardItemModel model(2, 2);
    const QString good =
        QStringLiteral(R"({"type":"line","title":"订单金额图","category":1,"values":[2]})");
    const struct {
        QString stored;
        std::size_t charts;
        bool told, off = false;
    } cases[] = {{"'[" + good + "]'", 1, false},
                 {"'[" + good + "]'", 0, false, true},
                 {R"('[{"type":"donut","category":1,"values":[2]},)" + good + "]'", 1, true},
                 {R"('[{"type":"pie","category":1,"values":[2],"source":"groups"}]')", 0, true},
                 {"'[{'", 0, true},
                 {"NULL", 0, false}};
    for (const auto &c : cases) {
        const QString pdf = dir.filePath(QStringLiteral("charts.pdf")), xlsx = pdf + ".xlsx";
        db.exec(QStringLiteral("update tsl_report set 图表 = %1").arg(c.stored));
        user.messages.clear();
        session.chartsOff = c.off;
        {
            test::PrintToPdf printer(pdf);
            report.PrintPreSQL1("select * from 订单", QStringLiteral("订单报表"), 2, false);
        }
        const std::string name = c.stored.toStdString();
        EXPECT_EQ(session.sheet.charts().size(), c.charts) << name;
        const QString text = test::pdfText(pdf);
        EXPECT_TRUE(text.contains(QStringLiteral("300"))) << name;
        EXPECT_EQ(text.contains(QStringLiteral("订单金额图")), c.charts > 0) << name;
        exports::writeWorkbook(xlsx, session.sheet, {}, {});
        EXPECT_EQ(test::unzipPart(xlsx, "xl/charts/chart1.xml").isEmpty(), c.charts == 0) << name;
        report.PrintPreGrid(&model, QStringLiteral("订单报表"), 0, false);
        EXPECT_EQ(session.sheet.charts().size(), c.charts) << name;
        report.getReport(QString(), 2, 0);
        EXPECT_EQ(session.sheet.charts().size(), c.charts) << name;
        EXPECT_EQ(user.messages.size(), c.told ? 1u : 0u) << user.texts().join('|').toStdString();
        EXPECT_EQ(user.texts().join(u'|').contains(QStringLiteral("图表")), c.told) << name;
    }
    session.chartsOff = false;
}

TEST_F(Runs, GetReportWithoutDefinitionShowsAnEmptyDesigner) {
    report.getReport(QStringLiteral("无此报表"), 3, 0, 14.0f);
    EXPECT_EQ(report.NameOfReport(), QStringLiteral("无此报表"));
    EXPECT_EQ(user.texts(), QStringList{kNoDefinition});
    EXPECT_TRUE(report.Visible());
    EXPECT_FALSE(buttonEnabled("cmdPreview"));
    EXPECT_EQ(component::sharedState().session.sheet.rowHeight(0), 14.0);
    EXPECT_FALSE(component::sharedState().loadedDesigner()->hasUnsavedChanges());  // the host's
}

TEST_F(Runs, GetReportReturnsErrorsToTheHost) {
    component::sharedState().session.connection = db::Connection();
    EXPECT_THROW(report.getReport(QStringLiteral("订单报表"), 2, 0), Error);
}

// A run without a connection tells the user why in the interface's language.
TEST_F(Runs, ARunWithoutAConnectionSaysSoInChinese) {
    component::sharedState().session.connection = db::Connection();
    report.PrintPreSQL1(QStringLiteral("select * from 订单"), QStringLiteral("订单报表"), 0, false);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_TRUE(user.texts().front().contains(QStringLiteral("没有打开的数据库连接")))
        << user.texts().front().toStdString();
}

TEST_P(RunsOn, WizardMadeReportWithoutLayoutRuns) {
    db.exec(
        QStringLiteral("insert into tsl_report (报表名称, 查询, 列标注, 列数) values"
                       " ('草稿', 'select 客户 from 订单', '客户名，', 1)"));
    report.PrintPreSQL1(QStringLiteral("select * from 订单 where 编号=3"), QStringLiteral("草稿"),
                        0, false);
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    EXPECT_EQ(column(1), QStringList{QStringLiteral("王五")});
    EXPECT_EQ(report.getText(1, 0).toString(), QStringLiteral("客户名"));
}

TEST_F(Runs, HostCellsWrittenAfterTheDesignerClosedAreKept) {
    report.PrintPreSQL1(QStringLiteral("select * from 订单"), QStringLiteral("订单报表"), 0, false);
    press(designerWindow(), "cmdClose");
    report.setTsCols(2);
    report.setTsRows(3);
    report.setText(1, 2, QStringLiteral("甲"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    report.getReport(QString(), 2, 5);
    EXPECT_EQ(report.tsRows(), 4);
    EXPECT_EQ(report.getText(1, 2).toString(), QStringLiteral("甲"));
}

TEST_F(Runs, ReportNamesLoseOnlyTheirSpaces) {
    db.exec(QStringLiteral("update tsl_report set 报表名称 = 报表名称 || char(9)"));
    QStandardItemModel model(2, 2);
    report.PrintPreGrid(&model, QStringLiteral(" 订单报表\t"), 5, false);
    EXPECT_EQ(report.getText(1, 0).toString(), QStringLiteral("编号"));  // its row was found
    component::sharedState().loadedDesigner()->onSave();
    EXPECT_TRUE(definitions::notFound(definitions::open(
        definitions::selectReport(QStringLiteral("订单报表")),
        component::sharedState().session.connection, definitions::Access::ReadOnly)));
}

TEST_F(Runs, BadStoredRowsRunOrSayWhy) {
    db.exec(
        QStringLiteral("insert into tsl_report (报表名称) values ('空');"
                       "insert into tsl_report (报表名称, 查询, 列数, 列宽, 左, 范围类型, 开始页,"
                       " 结束页) values ('乱', 'select * from 订单', 'abc', 'x y', '-1', 3,"
                       " 99999999, 'z'); insert into tsl_report (报表名称, 查询, 列数, 页头页脚,"
                       " 页头文本) values ('长', 'select * from 订单', 2, 3, '%1');")
            .arg(QStringLiteral("/c页头V日期/n").repeated(120'000)));  // over 1 MB
    test::PrintToPdf printer(dir.filePath(QStringLiteral("bad.pdf")));
    QStandardItemModel model(3, 2);
    // A flow runs the report, or opens its preview and clicks strip column `col` there and,
    // for page setup, `setup`'s button before OK. `told`: what each row's run must say.
    const struct {
        const char *name;
        int col;
        const char *setup;
        const char *told[3];
    } flows[] = {
        {"PrintPreSQL1", -1, nullptr, {"查询有误", "", ""}},
        {"PrintPreGrid", -2, nullptr, {"查询有误", "查询有误", ""}},
        {"getReport", 0, nullptr, {"", "", ""}},
        {"paging", 2, nullptr, {"", "", ""}},
        {"print", 8, nullptr, {"", "打印失败：没有可打印的页", ""}},  // pages from 99999999 on
        {"export", 16, nullptr, {"表格数据导出", "表格数据导出", "表格数据导出"}},
        {"page setup", 10, nullptr, {"", "", ""}},
        {"print options", 10, "cmdPageset", {"", "", ""}},
        {"header/footer", 10, "Command1", {"", "", ""}}};
    user.saveNames.assign(27, dir.filePath(QStringLiteral("bad.xlsx")));
    const char *setup = nullptr;
    user.onDialog = [&](QDialog *d) {
        const QString n = d->objectName();
        if (n == "pagesetup" && setup)
            press(d, setup);
        press(d, n == "pagesetup" ? "Command2_0" : n == "PrintDlg" ? "cmdOK" : "Command1");
    };
    for (int row = 0; row < 3; ++row) {
        const QString name = QStringList{"空", "乱", "长"}[row];
        for (const auto &f : flows) {
            const std::string at = name.toStdString() + " / " + f.name;
            user.messages.clear();
            setup = f.setup;
            if (f.col == -1)
                report.PrintPreSQL1(QStringLiteral("select * from 订单 where 1=1"), name, 1, true);
            if (f.col == -2)
                report.PrintPreGrid(&model, name, 1, true);
            report.setTsRows(40);
            if (f.col >= 0) {
                EXPECT_NO_THROW(report.getReport(name, 2, f.col ? 1 : 0)) << at;
            }
            // A dialog's event processing may delete windows: the preview is guarded.
            if (QPointer<QWidget> preview = previewWindow()) {
                QMetaObject::invokeMethod(preview->findChild<QObject *>("fpSpread1"),
                                          "ButtonClicked", Q_ARG(int, std::max(0, f.col)),
                                          Q_ARG(int, 1));
                if (preview)
                    preview->close();
            }
            const QString told = QString::fromUtf8(f.told[row]);
            // 长's header, past a workbook's print header, is shortened there, which the export
            // tells after its success.
            const std::size_t notices = row == 2 && f.col == 16 ? 1u : 0u;
            EXPECT_EQ(user.messages.size(), (told.isEmpty() ? 0u : 1u) + notices) << at;
            EXPECT_EQ(user.texts().join(u'|').left(told.size()), told) << at;
            EXPECT_EQ(user.busyDepth, 0) << at;
        }
    }
}

// The user cancels a run while its query runs or while its rows are read: the designer keeps
// the report it showed, nothing opens as if complete, and the run returns normally.
TEST_F(Runs, ACancelledRunKeepsThePreviousReport) {
    const struct {
        const char *stage;
        qint64 atCount;
        const char *where;
    } cases[] = {
        {"读取数据", 1024, ""},
        {"执行查询", 0, "where 金额 > (select count(*) from 订单 a, 订单 b)"},
    };
    db.exec(
        QStringLiteral("insert into 订单 (客户, 金额) with recursive n(i) as (select 1 union "
                       "all select i + 1 from n where i < 5000) select 'x', i from n"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stage);
        user.cancelWhen = nullptr;
        report.PrintPreSQL1(QStringLiteral("select * from 订单 where 金额>100"),
                            QStringLiteral("订单报表"), 0, false);
        ASSERT_EQ(report.tsRows(), 4902);
        user.messages.clear();
        user.cancelWhen = [&](const test::ScriptedInteraction::ProgressStage &s) {
            return s.what == QString::fromUtf8(c.stage) && s.done >= c.atCount;
        };
        report.PrintPreSQL1(QString::fromUtf8(c.where), QStringLiteral("订单报表"), 1, true);
        ASSERT_EQ(user.texts(), QStringList{QStringLiteral("报表已取消")});
        EXPECT_EQ(user.messages[0].icon, base::MessageIcon::Information);
        EXPECT_EQ(report.tsRows(), 4902);
        EXPECT_EQ(report.getText(1, 1).toString(), QStringLiteral("2"));
        EXPECT_EQ(component::sharedState().session.whereSQL, QStringLiteral("where 金额>100"));
        EXPECT_TRUE(report.Visible());
        EXPECT_EQ(designerWindow()->findChild<QListWidget *>(QStringLiteral("lsField"))->count(),
                  2);
        EXPECT_EQ(previewWindow(), nullptr);
        EXPECT_EQ(user.busyDepth, 0);
    }
}

// A stored grouping on the runs that apply it: the rows grouped and subtotalled, the grand
// total over data rows only; a value that cannot be used is told once (naming 分组), and the
// report still runs and prints, without it.
TEST_P(RunsOn, StoredGroupingOnEveryRun) {
    db.exec(definitions::addColumnStatement(QStringLiteral("分组"),
                                            component::sharedState().session.connection.dialect()));
    db.exec(
        QStringLiteral("insert into 订单 values (5, '张三', 20);"
                       "update tsl_report set 查询 = 'select 客户,金额 from 订单 where 1=1',"
                       " 列宽 = '14 10'"));
    report.ConDb(db.connectionString());  // the table's columns looked up afresh
    component::sharedState().session.groupingNotices.clear();  // told by another backend's run
    QStandardItemModel model(5, 2);  // below its header row, the grid's rows 1 to 5
    const QStringList names{"张三", "李四", "王五", "赵六", "张三"},
        amounts{"80", "120.5", "300", "99.5", "20"};
    for (int r = 0; r < 5; ++r) {
        model.setItem(r, 0, new QStandardItem(names[r]));
        model.setItem(r, 1, new QStandardItem(amounts[r]));
    }
    const struct {
        const char *stored;
        bool told;
        int rows;  // with the totals row
    } cases[] = {{R"('{"levels":[{"column":1,"totals":{"2":"sum"}}]}')", false, 10},
                 {R"('{"levels":[{"column":7}]}')", true, 6},
                 {"'{levels'", true, 6},
                 {"NULL", false, 6}};
    const QString pdf = dir.filePath(QStringLiteral("grouped.pdf"));
    for (const auto &c : cases) {
        db.exec(QStringLiteral("update tsl_report set 分组 = %1").arg(c.stored));
        user.messages.clear();
        {
            test::PrintToPdf printer(pdf);
            report.PrintPreSQL1(QStringLiteral("select * from 订单"), QStringLiteral("订单报表"), 2,
                                true);
        }
        EXPECT_EQ(report.tsRows(), c.rows) << c.stored;
        EXPECT_EQ(report.getText(2, c.rows).toString(), QStringLiteral("620")) << c.stored;
        EXPECT_EQ(test::pdfText(pdf).contains(QStringLiteral("小计")), c.rows > 6) << c.stored;
        report.PrintPreGrid(&model, QStringLiteral("订单报表"), 0, true);
        EXPECT_EQ(report.tsRows(), c.rows) << c.stored;
        EXPECT_EQ(report.getText(2, 3).toString(), QString(c.rows > 6 ? "100" : "300")) << c.stored;
        EXPECT_EQ(user.messages.size(), c.told ? 1u : 0u) << user.texts().join('|').toStdString();
        EXPECT_EQ(user.texts().join(u'|').contains(QStringLiteral("分组")), c.told) << c.stored;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, RunsOn, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

// Column formats, set through the designer's controls: with 列格式 in tsl_report (param
// true) the format is stored in the row; without it the session keeps it.
class ColumnFormats : public Runs, public ::testing::WithParamInterface<bool> {};

// The number format code of the cell whose value is `value` in a worksheet part, through
// the cell's style index and styles.xml (built-in code 4 is "#,##0.00").
QString numberFormatOf(const QString &xlsx, const QString &value) {
    const QString sheet = QString::fromUtf8(test::unzipPart(xlsx, "xl/worksheets/sheet1.xml"));
    const QString styles = QString::fromUtf8(test::unzipPart(xlsx, "xl/styles.xml"));
    const QRegularExpressionMatch cell =
        QRegularExpression(R"re(<c r="[A-Z]+\d+" s="(\d+)"><v>)re" +
                           QRegularExpression::escape(value) + "</v>")
            .match(sheet);
    if (!cell.hasMatch())
        return QStringLiteral("no number cell ") + value;
    const QString xfs = styles.section(QStringLiteral("<cellXfs"), 1).section("</cellXfs>", 0, 0);
    const QString xf = xfs.split(QStringLiteral("<xf ")).value(cell.captured(1).toInt() + 1);
    const QString id = QRegularExpression(R"re(numFmtId="(\d+)")re").match(xf).captured(1);
    if (id == QLatin1String("4"))
        return QStringLiteral("#,##0.00");
    return QRegularExpression(QString(R"re(numFmtId="%1" formatCode="([^"]*)")re").arg(id))
        .match(styles)
        .captured(1);
}

TEST_P(ColumnFormats, SetInTheDesignerSavedAndUsedEverywhere) {
    const bool stored = GetParam();
    if (stored)
        db.exec(QStringLiteral("alter table tsl_report add 列格式 varchar(200)"));
    db.exec(
        QStringLiteral("insert into 订单 values (5, '孙七', 24318246.5);"
                       "update tsl_report set 列宽 = '6 20'"));
    const QString sql = QStringLiteral("select * from 订单");
    const QString name = QStringLiteral("订单报表");
    report.PrintPreSQL1(sql, name, 0, false);
    QWidget *designer = designerWindow();
    auto *grid = designer->findChild<widgets::SheetView *>(QStringLiteral("VaGrid"));
    QMetaObject::invokeMethod(grid, "RightClick", Q_ARG(int, 1), Q_ARG(int, 2), Q_ARG(int, 0),
                              Q_ARG(int, 60), Q_ARG(int, 5));
    auto *menu = designer->findChild<QMenu *>(QStringLiteral("mnuColumn"));
    ASSERT_NE(menu, nullptr);
    QString sample;
    user.onDialog = [&](QDialog *d) {
        auto *choice = d->findChild<QComboBox *>(QStringLiteral("cmbFormat"));
        choice->setCurrentIndex(choice->findText(QStringLiteral("数值 #,##0.00")));
        sample = d->findChild<QLabel *>(QStringLiteral("lblSample"))->text();
        d->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
    };
    menu->findChild<QAction *>(QStringLiteral("actFormat"))->trigger();
    EXPECT_EQ(user.dialogsRun, std::vector<QString>{QStringLiteral("frmColumnFormat")});
    EXPECT_EQ(sample, QStringLiteral("80.00"));
    press(designer, "cmdSave");
    // Without the column the user learns the format lasts for the session, and how to keep it.
    EXPECT_EQ(user.texts().join(u'|').contains("alter table tsl_report add 列格式 varchar(400)"),
              !stored);
    user.messages.clear();
    const std::optional<QVariant> row = definitions::readOptionalColumn(
        component::sharedState().session.connection, QStringLiteral("列格式"), name);
    EXPECT_EQ(row.has_value(), stored);
    EXPECT_EQ(row.value_or(QVariant()).toString(),
              stored ? QStringLiteral("|#,##0.00") : QString());

    // Printed: the format survives the run that builds the sheet afresh (from the row, or
    // from the session when the table has no column for it).
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    {
        test::PrintToPdf printer(pdf);
        report.PrintPreSQL1(sql, name, 2, false);
    }
    const QString text = test::pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("24,318,246.50"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("120.50"))) << text.toStdString();

    // Previewed with totals and exported: numbers carrying the format, the total too.
    report.PrintPreSQL1(sql, name, 1, true);
    QWidget *preview = previewWindow();
    ASSERT_NE(preview, nullptr);
    const QString xlsx = dir.filePath(QStringLiteral("out.xlsx"));
    user.saveNames.push_back(xlsx);
    QMetaObject::invokeMethod(preview->findChild<widgets::SheetView *>("fpSpread1"),
                              "ButtonClicked", Q_ARG(int, preview::kColExport), Q_ARG(int, 1));
    EXPECT_EQ(numberFormatOf(xlsx, "24318246.5"), QStringLiteral("#,##0.00"));
    EXPECT_EQ(numberFormatOf(xlsx, "24318846.5"), QStringLiteral("#,##0.00"));
    const QString csv = dir.filePath(QStringLiteral("out.csv"));
    user.saveNames.push_back(csv);
    QMetaObject::invokeMethod(preview->findChild<widgets::SheetView *>("fpSpread1"),
                              "ButtonClicked", Q_ARG(int, preview::kColExport), Q_ARG(int, 1));
    QFile csvFile(csv);
    ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(csvFile.readAll().contains("\r\n5,\"24,318,246.50\"\r\n"));
    preview->close();

    // A report opened afresh, the session's memory of it gone: only the row keeps it.
    component::sharedState().session.columnFormats.clear();
    report.PrintPreSQL1(sql, name, 0, false);
    const grid::ColumnFormat expected =
        stored ? grid::ColumnFormat{grid::FormatKind::Number, 2} : grid::ColumnFormat{};
    EXPECT_EQ(component::sharedState().session.sheet.colFormat(2), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ColumnFormats, ::testing::Bool(), [](const auto &info) {
    return info.param ? "WithColumn" : "WithoutColumn";
});

}  // namespace

#include "RunsTest.moc"
