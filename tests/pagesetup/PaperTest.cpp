// The report's paper: chosen in page setup, kept in 纸张 (or for the session), applied to the
// next run, and printed on: every stored form read back from the PDF's page size.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "pagesetup/PageSetup.h"
#include "print/Printing.h"
#include "report/SheetBuilding.h"
#include "support/Pdf.h"
#include "support/PreviewFixture.h"
#include "widgets/PageView.h"

using namespace tessel;

namespace {

using PaperOn = test::OnEveryBackend<test::ReportFixture>;

// The printed page's size in millimetres.
QSizeF printedMm(const grid::Sheet &sheet, const QString &path) {
    print::writePdf(sheet, path);
    return test::pdfPageSize(path) * (25.4 / 72);
}

TEST_P(PaperOn, StoredPaperPrintsOnItsSizeAndWhatNamesNoneOnA4) {
    db.exec("alter table tsl_report add 纸张 varchar(40)");
    session.connection = db.connect();
    test::fillReport(session.sheet, 3);
    const struct {
        const char *name, *stored;
        grid::Orientation orientation;
        QSizeF mm;
        bool told;
    } cases[] = {
        {"named", "'A3'", grid::Orientation::Portrait, {297, 420}, false},
        {"named, landscape", "' b5 '", grid::Orientation::Landscape, {257, 182}, false},
        {"continuous", "'241x140mm'", grid::Orientation::Portrait, {241, 140}, false},
        {"continuous, landscape", "'241x93mm'", grid::Orientation::Landscape, {93, 241}, false},
        {"custom", "'100.5X80'", grid::Orientation::Portrait, {100.5, 80}, false},
        {"NULL", "NULL", grid::Orientation::Portrait, {210, 297}, false},
        {"no paper", "'A6'", grid::Orientation::Portrait, {210, 297}, true},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        db.exec(QString("update tsl_report set 纸张 = %1").arg(c.stored));
        session.sheet.printSettings().paper = {215.9, 279.4};  // what the last report left
        session.sheet.printSettings().orientation = c.orientation;
        user.messages.clear();
        report::ApplyPaper(session);
        report::ApplyPaper(session);  // a second run tells nothing new
        EXPECT_EQ(int(user.messages.size()), c.told ? 1 : 0)
            << user.texts().join('\n').toStdString();
        const QSizeF mm = printedMm(session.sheet, dir.filePath("paper.pdf"));
        EXPECT_NEAR(mm.width(), c.mm.width(), 0.4);
        EXPECT_NEAR(mm.height(), c.mm.height(), 0.4);
    }
}

// Page setup's paper, with and without the column: the sheet and the page view take it on OK,
// and the next run of the report gets it back from the row or from the session.
TEST_P(PaperOn, PageSetupChoosesThePaperAndTheNextRunKeepsIt) {
    widgets::PageView view;
    view.setSheet(&session.sheet);
    for (const bool column : {false, true}) {
        SCOPED_TRACE(column);
        if (column)
            db.exec("alter table tsl_report add 纸张 varchar(40)");
        session.connection = db.connect();
        const struct {
            int index;  // in cboPaper; -1 自定义
            double width, height;
            const char *stored;
        } choices[] = {{6, 241, 280, "241x280mm"}, {-1, 150, 99.5, "150x99.5mm"}};
        for (const auto &c : choices) {
            pagesetup::PageSetup d(session, &view);
            QComboBox *paper = d.paperCombo();
            const int index = c.index < 0 ? paper->count() - 1 : c.index;
            paper->setCurrentIndex(index);
            emit paper->activated(index);
            EXPECT_EQ(d.paperWidth()->isEnabled(), c.index < 0);
            if (c.index < 0)
                d.paperWidth()->setValue(c.width), d.paperHeight()->setValue(c.height);
            d.findChild<QPushButton *>("Command2_0")->click();
            const grid::Paper chosen{c.width, c.height};
            EXPECT_EQ(session.sheet.print().paper, chosen);
            EXPECT_NEAR(view.paper().size(QPageSize::Millimeter).width(), c.width, 0.1);
            if (column) {
                EXPECT_EQ(stored("纸张").toString(), c.stored);
            }
            session.sheet.printSettings().paper = {};
            report::ApplyPaper(session);
            EXPECT_EQ(session.sheet.print().paper, chosen);
        }
        session.papers.clear();  // a new session
    }
    report::ApplyPaper(session);
    EXPECT_EQ(session.sheet.print().paper, (grid::Paper{150, 99.5})) << "from the row";
}

// Margins in centimetres (the Chinese interface): the boxes show the sheet's margins in the
// unit chosen, take up to 99.99 cm, and the sheet and the row keep twips and inches.
TEST_P(PaperOn, MarginsInCentimetresAreKeptInInches) {
    session.sheet.printSettings().marginLeft = 720;
    session.sheet.printSettings().marginTop = 14386;  // 9.99 inches, 25.37 cm
    pagesetup::PageSetup d(session, nullptr);
    ASSERT_TRUE(d.marginUnit()->isVisibleTo(&d));
    d.marginUnit()->setCurrentIndex(1);
    emit d.marginUnit()->activated(1);
    const struct {
        int box;
        const char *shown, *typed;
        int twips;
        double inches;
    } cases[] = {{0, "1.27", "2.54", 1440, 1.0},
                 {1, "1.27", "12.70", 7200, 5.0},
                 {2, "25.37", "25.37", 14383, 9.988},
                 {3, "1.27", "0.00", 0, 0.0}};
    for (const auto &c : cases) {
        EXPECT_EQ(d.pagemargin(c.box)->text(), c.shown) << c.box;
        d.pagemargin(c.box)->setText(c.typed);
        EXPECT_TRUE(d.pagemargin(c.box)->hasAcceptableInput()) << c.box;
    }
    d.findChild<QPushButton *>("Command2_0")->click();
    ASSERT_TRUE(user.messages.empty()) << user.texts().join('\n').toStdString();
    const grid::PrintSettings &p = session.sheet.print();
    const int twips[4] = {p.marginLeft, p.marginRight, p.marginTop, p.marginBottom};
    const char *columns[4] = {"左", "右", "上", "下"};
    for (const auto &c : cases) {
        EXPECT_EQ(twips[c.box], c.twips) << c.box;
        EXPECT_NEAR(stored(columns[c.box]).toDouble(), c.inches, 0.001) << c.box;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, PaperOn, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

}  // namespace
