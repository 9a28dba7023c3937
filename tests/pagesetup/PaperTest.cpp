// The report's paper: chosen in page setup, kept, applied to the next run, printed on.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "pagesetup/PageSetup.h"
#include "print/Printing.h"
#include "report/PaperStep.h"
#include "support/Pdf.h"
#include "support/PreviewFixture.h"
#include "widgets/PageView.h"

using namespace tessel;

namespace {

using PaperOn = test::OnEveryBackend<test::ReportFixture>;

// Every stored form printed: a text that names no paper prints on A4 and is told once.
TEST_P(PaperOn, StoredPaperPrintsOnItsSize) {
    db.exec("alter table tsl_report add 纸张 varchar(40)");
    session.connection = db.connect();
    test::fillReport(session.sheet, 3);
    const struct {
        const char *stored;
        bool landscape;
        QSizeF mm;
        bool told;
    } cases[] = {{"'A3'", false, {297, 420}, false},        {"' b5 '", true, {257, 182}, false},
                 {"'241x140mm'", false, {241, 140}, false}, {"'241x93mm'", true, {93, 241}, false},
                 {"'100.5X80'", false, {100.5, 80}, false}, {"NULL", false, {210, 297}, false},
                 {"'19x100mm'", false, {210, 297}, true},   {"'A6'", false, {210, 297}, true}};
    QTemporaryDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        db.exec(QString("update tsl_report set 纸张 = %1").arg(c.stored));
        session.sheet.printSettings().paper = {215.9, 279.4};  // what the last report left
        session.sheet.printSettings().orientation =
            c.landscape ? grid::Orientation::Landscape : grid::Orientation::Portrait;
        user.messages.clear();
        report::ApplyPaper(session);
        report::ApplyPaper(session);  // a second run tells nothing new
        EXPECT_EQ(int(user.messages.size()), int(c.told)) << user.texts().join('\n').toStdString();
        test::PrintToPdf to(dir.filePath("paper.pdf"));
        print::printSheet(session.sheet);
        const QSizeF mm = test::pdfPageSize(dir.filePath("paper.pdf")) * (25.4 / 72);
        EXPECT_NEAR(mm.width(), c.mm.width(), 0.4);
        EXPECT_NEAR(mm.height(), c.mm.height(), 0.4);
    }
}

// A custom paper and margins typed in centimetres, with and without the column: the sheet
// and the page view take them on OK, the row keeps inches, the next run gets the paper back.
TEST_P(PaperOn, PageSetupKeepsThePaperAndTakesCentimetres) {
    widgets::PageView view;
    view.setSheet(&session.sheet);
    for (const bool column : {false, true}) {
        SCOPED_TRACE(column);
        if (column)
            db.exec("alter table tsl_report add 纸张 varchar(40)");
        session.connection = db.connect();
        pagesetup::PageSetup d(session, &view);
        const int custom = d.paperCombo()->count() - 1;
        d.paperCombo()->setCurrentIndex(custom);
        emit d.paperCombo()->activated(custom);
        d.paperWidth()->setValue(150), d.paperHeight()->setValue(99.5);
        d.marginUnit()->setCurrentIndex(1);
        emit d.marginUnit()->activated(1);
        EXPECT_EQ(d.pagemargin(1)->text(), "1.27");  // 0.50 inch
        d.pagemargin(0)->setText("25.37");           // beyond what inches take
        d.findChild<QPushButton *>("Command2_0")->click();
        // Without the column the paper lives for the session, and the user is told so once.
        ASSERT_EQ(user.messages.size(), column ? 0u : 1u) << user.texts().join('\n').toStdString();
        if (!column) {
            EXPECT_TRUE(user.texts().front().contains("纸张"));
        }
        user.messages.clear();
        EXPECT_EQ(session.sheet.print().marginLeft, 14383);
        EXPECT_NEAR(stored("左").toDouble(), 9.988, 0.001);
        EXPECT_EQ(view.paper().size(QPageSize::Millimeter), QSizeF(150, 99.5));
        if (column) {
            EXPECT_EQ(stored("纸张").toString(), "150x99.5mm");
        }
        session.sheet.printSettings().paper = {};
        if (column)
            session.papers.clear();  // a new session: the row has it
        report::ApplyPaper(session);
        EXPECT_EQ(session.sheet.print().paper, (grid::Paper{150, 99.5}));
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, PaperOn, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

}  // namespace
