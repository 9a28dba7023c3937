// The page setup dialog: loading from the sheet, the margin pattern, OK and Cancel against a
// real definition row, and the buttons that lead on to the other dialogs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include "pagesetup/PageSetup.h"
#include "print/Printing.h"
#include "report/SheetBuilding.h"
#include "support/Pdf.h"
#include "support/PreviewFixture.h"
#include "widgets/PageView.h"

using namespace tessel;
using pagesetup::PageSetup;

namespace {

class PageSetupDialog : public test::ReportFixture {
protected:
    using ReportFixture::ReportFixture;
    void reopen() { d = std::make_unique<PageSetup>(session, &pageView); }
    QLineEdit *margin(int i) { return d->findChild<QLineEdit *>(QString("pagemargin_%1").arg(i)); }
    QRadioButton *orientation(int i) {
        return d->findChild<QRadioButton *>(QString("porientation_%1").arg(i));
    }
    QComboBox *combo() { return d->findChild<QComboBox *>("Combo1"); }
    void press(const char *name) { d->findChild<QPushButton *>(name)->click(); }

    widgets::PageView pageView;
    std::unique_ptr<PageSetup> d;
};

// The dialog's saves, on every backend.
using PageSetupOn = test::OnEveryBackend<PageSetupDialog>;

TEST_F(PageSetupDialog, LoadsInchesOrientationAndTheDefaultPreset) {
    grid::PrintSettings &p = session.sheet.printSettings();
    p.marginLeft = 1000;
    p.marginRight = 1440;
    p.marginBottom = 14386;
    reopen();
    EXPECT_EQ(
        QStringList({margin(0)->text(), margin(1)->text(), margin(2)->text(), margin(3)->text()}),
        QStringList({"0.69", "1.00", "0.50", "9.99"}));
    EXPECT_TRUE(orientation(0)->isChecked());
    ASSERT_EQ(combo()->count(), 14);
    EXPECT_EQ(combo()->currentText(), "100%");
    p.orientation = grid::Orientation::Landscape;
    reopen();
    EXPECT_TRUE(orientation(1)->isChecked());
}

TEST_P(PageSetupOn, OkPutsMarginsOrientationAndZoomOnSheetAndRow) {
    session.sheet.printSettings().marginLeft = 1000;
    reopen();
    margin(1)->setText("1.25");
    margin(2)->setText("0.75");
    margin(3)->setText("2.00");
    orientation(1)->click();
    combo()->setCurrentIndex(12);
    press("Command2_0");
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_TRUE(user.messages.empty());

    const grid::PrintSettings &s = session.sheet.print();
    // 0.69 inch is 993.6 twips; the sheet keeps whole twips.
    EXPECT_EQ(QList<int>({s.marginLeft, s.marginRight, s.marginTop, s.marginBottom}),
              QList<int>({994, 1800, 1080, 2880}));
    EXPECT_EQ(s.orientation, grid::Orientation::Landscape);
    auto rs = row();
    EXPECT_EQ(rs.text("打印方向"), "2");
    EXPECT_EQ(QList<double>({rs.value("左").toDouble(), rs.value("右").toDouble(),
                             rs.value("上").toDouble(), rs.value("下").toDouble()}),
              QList<double>({0.69, 1.25, 0.75, 2.0}));
    EXPECT_EQ(pageView.viewMode(), widgets::PageView::MultiplePages);
    EXPECT_EQ(pageView.pagesAcross() * 10 + pageView.pagesDown(), 22);

    reopen();
    orientation(0)->click();
    press("Command2_0");
    EXPECT_EQ(session.sheet.print().orientation, grid::Orientation::Portrait);
    EXPECT_EQ(stored("打印方向").toString(), "1");
}

TEST_P(PageSetupOn, MissingRowIncompleteMarginAndCancelChangeNothing) {
    const grid::PrintSettings before = session.sheet.print();
    auto change = [this] {
        reopen();
        margin(0)->setText("2.00");
        orientation(1)->click();
        combo()->setCurrentIndex(9);
    };
    change();
    press("Command2_1");
    EXPECT_EQ(d->result(), QDialog::Rejected);

    change();
    margin(2)->setText("1.");
    press("Command2_0");
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].title, "提示信息");

    session.reportName = "未保存的报表";
    change();
    d->show();
    press("Command2_0");
    ASSERT_EQ(user.messages.size(), 2u);
    EXPECT_EQ(user.messages[1].text, "系统错误，报表不存在");
    EXPECT_EQ(user.messages[1].title, "提示信息");
    EXPECT_EQ(user.messages[1].icon, base::MessageIcon::Information);
    EXPECT_EQ(user.messages[1].buttons, base::MessageButtons::Ok);
    EXPECT_TRUE(d->isVisible()) << "the window stays open";

    EXPECT_EQ(session.sheet.print(), before);
    EXPECT_EQ(pageView.viewMode(), widgets::PageView::Percentage);
    EXPECT_DOUBLE_EQ(stored("左").toDouble(), 0.5);
    EXPECT_EQ(stored("打印方向").toString(), "1");
}

TEST_P(PageSetupOn, ButtonsOpenTheOtherDialogsAndCancelKeepsWhatTheyStored) {
    reopen();
    press("Command1");
    press("Command4");
    EXPECT_EQ(user.printerDialogs, 1);
    user.onDialog = [](QDialog *options) {
        options->findChild<QCheckBox *>("Check1_2")->setChecked(false);
        options->findChild<QPushButton *>("cmdOK")->click();
        return options->result();
    };
    press("cmdPageset");
    EXPECT_EQ(user.dialogsRun, (std::vector<QString>{"headerfooter", "PrintDlg"}));
    press("Command2_1");
    EXPECT_FALSE(session.sheet.print().gridLines);
    EXPECT_EQ(stored("网格线").toInt(), 0);
}

// 适合页宽 with and without the table's column 页宽缩放: a 20-column report prints one page
// wide either way; the next run takes the setting from the row, or from the session.
TEST_P(PageSetupOn, FitToPagesWideShrinksTheColumnsAndIsKeptWhereTheTableAllows) {
    grid::Sheet &sheet = session.sheet;
    for (const bool column : {false, true}) {
        SCOPED_TRACE(column);
        if (column)
            db.exec("alter table tsl_report add 页宽缩放 int");
        session.connection = db.connect();  // the table's columns are looked up afresh
        session.reportName = test::kReportName;
        sheet.printSettings().fitPagesWide = 0;
        test::fillReport(sheet, 30);
        sheet.setMaxCols(20);
        for (int c = 1; c <= 20; ++c)
            sheet.setColWidth(c, 12), sheet.setText(c, 0, QString("列%1").arg(c));
        ASSERT_GT(print::Pagination(sheet).colBandCount(), 1);
        reopen();
        d->findChild<QSpinBox *>("spnFitWide")->setValue(1);
        press("Command2_0");
        // Without the column the setting lives for the session, and the user is told so once,
        // with the statement that adds the column.
        ASSERT_EQ(user.messages.size(), column ? 0u : 1u);
        if (!column) {
            EXPECT_TRUE(user.texts().front().contains("页宽缩放"))
                << user.texts().front().toStdString();
        }
        user.messages.clear();
        QTemporaryDir dir;
        {
            test::PrintToPdf to(dir.filePath("fit.pdf"));
            EXPECT_EQ(print::printSheet(sheet), 1);
        }
        const QString text = test::pdfText(dir.filePath("fit.pdf"));
        EXPECT_TRUE(text.contains("列1") && text.contains("列20")) << text.toStdString();

        sheet.printSettings().fitPagesWide = 0;  // the next run starts afresh
        report::ApplyFitPagesWide(session);
        EXPECT_EQ(sheet.print().fitPagesWide, 1);
        session.fitPagesWide.clear();  // a new session
    }
    session.reportName = test::kReportName;
    report::ApplyFitPagesWide(session);
    EXPECT_EQ(sheet.print().fitPagesWide, 1) << "from the row";
}

INSTANTIATE_TEST_SUITE_P(Backends, PageSetupOn, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

}  // namespace
