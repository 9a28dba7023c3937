// What page setup and the print content options change reaches the printed pages: the
// preview's print button writes a PDF, which is read back with poppler's tools.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "pagesetup/PageSetup.h"
#include "pagesetup/PrintOptions.h"
#include "preview/SpreadPreview.h"
#include "support/Pdf.h"
#include "support/PreviewFixture.h"
#include "widgets/PageView.h"
#include "widgets/SheetView.h"

using namespace tessel;

namespace {

// Left edge (points) of the first occurrence of `word` on page 1; -1 when absent.
double wordLeft(const QString &pdf, const QString &word) {
    const auto m = QRegularExpression("<word xMin=\"([\\d.]+)\"[^>]*>" + word + "</word>")
                       .match(test::pdfWordBoxes(pdf, 1));
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

// Dark pixels of page 1 rendered in grey at 50 dpi.
int darkPixels(const QString &pdf) {
    const QImage img = test::pdfPageImage(pdf, 1, 50);
    int dark = 0;
    for (int i = 0; i < img.width() * img.height(); ++i)
        dark += qGray(img.pixel(i % img.width(), i / img.width())) < 200;
    return dark;
}

class PrintedOutput : public test::ReportFixture {
protected:
    void TearDown() override {
        delete window.data();
        test::flushDeletes();
    }

    void openPreview() {
        window = qobject_cast<preview::SpreadPreview *>(preview::openPreview(session));
        ASSERT_TRUE(window);
    }
    void clickStrip(int col) {
        ASSERT_TRUE(QMetaObject::invokeMethod(window->toolbar(), "ButtonClicked", Q_ARG(int, col),
                                              Q_ARG(int, 1)));
    }
    // Prints through the preview's print button; returns the PDF written.
    QString print(const QString &name) {
        const QString path = dir.filePath(name + ".pdf");
        test::PrintToPdf to(path);
        clickStrip(preview::kColPrint);
        EXPECT_TRUE(user.messages.empty()) << user.texts().join('\n').toStdString();
        return path;
    }

    // Page setup from the preview's button, worked by `work` before OK.
    void pageSetup(const std::function<void(QDialog *)> &work) {
        user.onDialog = [work](QDialog *d) {
            work(d);
            d->findChild<QPushButton *>("Command2_0")->click();
            return d->result();
        };
        clickStrip(preview::kColSetup);
        user.onDialog = nullptr;
    }
    // The print content options, worked by `work` before 保存.
    void printOptions(const std::function<void(QDialog *)> &work) {
        pagesetup::PrintOptionsDialog d(session);
        work(&d);
        d.findChild<QPushButton *>("cmdOK")->click();
        ASSERT_EQ(d.result(), QDialog::Accepted);
    }
    static void choose(QDialog *d, const QString &name) {
        d->findChild<QRadioButton *>(name)->click();
    }

    QTemporaryDir dir;
    QPointer<preview::SpreadPreview> window;
};

TEST_F(PrintedOutput, Orientation) {
    test::fillPages(session.sheet, 2);
    openPreview();
    const QSizeF portrait = test::pdfPageSize(print("portrait"));
    EXPECT_NEAR(portrait.width(), 595.3, 1);
    EXPECT_NEAR(portrait.height(), 841.9, 1);
    pageSetup([](QDialog *d) { choose(d, "porientation_1"); });
    const QSizeF landscape = test::pdfPageSize(print("landscape"));
    EXPECT_NEAR(landscape.width(), 841.9, 1);
    EXPECT_NEAR(landscape.height(), 595.3, 1);
}

TEST_F(PrintedOutput, MarginsMoveTheTable) {
    test::fillPages(session.sheet, 1);
    openPreview();
    const double at05 = wordLeft(print("half"), "编号");
    pageSetup([](QDialog *d) { d->findChild<QLineEdit *>("pagemargin_0")->setText("2.00"); });
    const double at2 = wordLeft(print("two"), "编号");
    ASSERT_GT(at05, 0);
    EXPECT_NEAR(at2 - at05, 1.5 * 72, 1.0);
}

TEST_F(PrintedOutput, PageRangePrintsOnlyThosePages) {
    test::fillPages(session.sheet, 5);
    const int perPage = print::Pagination(session.sheet).layout(1).lastRow;
    printOptions([](QDialog *d) {
        choose(d, "Option1_3");
        d->findChild<QLineEdit *>("Text1_0")->setText("2");
        d->findChild<QLineEdit *>("Text1_1")->setText("3");
    });
    openPreview();
    EXPECT_EQ(window->pageView()->pageCount(), 2);
    EXPECT_EQ(window->toolbar()->text(preview::kColCounter, 1), "Page 1 of 2");
    const QString pdf = print("range");
    EXPECT_EQ(test::pdfPageCount(pdf), 2);
    const QString text = test::pdfText(pdf);
    EXPECT_TRUE(text.contains(QString("办公用品%1").arg(perPage + 1)));
    EXPECT_FALSE(text.contains(QRegularExpression("办公用品1\\s")));
}

TEST_F(PrintedOutput, GridLinesAndColumnHeaders) {
    test::fillPages(session.sheet, 1);
    openPreview();
    const QString withAll = print("all");
    printOptions([](QDialog *d) {
        d->findChild<QCheckBox *>("Check1_0")->setChecked(false);  // 列标
        d->findChild<QCheckBox *>("Check1_2")->setChecked(false);  // 网格线
    });
    const QString without = print("bare");
    EXPECT_TRUE(test::pdfText(withAll).contains("编号"));
    EXPECT_FALSE(test::pdfText(without).contains("编号"));
    EXPECT_TRUE(test::pdfText(without).contains("办公用品1"));
    const int darkWith = darkPixels(withAll);
    const int darkWithout = darkPixels(without);
    ASSERT_GT(darkWithout, 0);
    EXPECT_GT(darkWith, darkWithout + darkWithout / 4) << "grid lines are drawn";
}

TEST_F(PrintedOutput, SubstitutedHeaderIsPrinted) {
    session.tslVar = {QVariantList{"V部门", "销售部"}};
    session.sheet.printSettings().header = "/c部门：V部门";
    session.sheet.printSettings().footer = "/r制表：V部门";
    test::fillPages(session.sheet, 2);
    openPreview();
    const QString text = test::pdfText(print("header"));
    EXPECT_TRUE(text.contains("部门：销售部"));
    EXPECT_FALSE(text.contains("V部门"));
    EXPECT_TRUE(text.contains("制表：销售部"));
}

TEST_F(PrintedOutput, PageNumberInsideFooterTextPrintsOnEveryPage) {
    session.sheet.printSettings().footer = "/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/c第/p页/n";
    test::fillPages(session.sheet, 2);
    openPreview();
    const QStringList pages = test::pdfText(print("footer")).split(u'\f');
    EXPECT_TRUE(pages.value(0).contains("第1页")) << pages.value(0).toStdString();
    EXPECT_TRUE(pages.value(1).contains("第2页")) << pages.value(1).toStdString();
}

TEST_F(PrintedOutput, PrinterFailureIsToldAndTheCursorRestored) {
    test::fillPages(session.sheet, 1);
    openPreview();
    test::PrintToPdf to("no-such-printer-here");
    clickStrip(preview::kColPrint);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].title, "系统警告");
    EXPECT_EQ(user.messages[0].icon, base::MessageIcon::Warning);
    EXPECT_EQ(user.busyMaxDepth, 1);
    EXPECT_EQ(user.busyDepth, 0);
}

}  // namespace
