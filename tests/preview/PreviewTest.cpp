// The preview window driven through its toolbar strip: layout, paging with one and two pages
// per screen, tips, the other buttons, the page setup round trip, the report-variable
// substitution and the one-window rule.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "base/Language.h"
#include "preview/SpreadPreview.h"
#include "print/codes/HeaderFooterCodes.h"
#include "support/PreviewFixture.h"
#include "support/Unzip.h"
#include "widgets/PageView.h"
#include "widgets/SheetView.h"
#include "widgets/ToolbarImages.h"
#include "widgets/Zooms.h"

#include <QMenu>
#include <QToolButton>

#include "export/ExportCommand.h"

using namespace tessel;
using widgets::PageView;
using widgets::SheetView;
using namespace preview;
using namespace widgets;

namespace {

class Preview : public test::ReportFixture {
protected:
    void TearDown() override {
        delete window.data();
        test::flushDeletes();
    }
    // Opens the preview on session.sheet filled to print `pages` pages.
    void open(int pages) {
        test::fillPages(session.sheet, pages);
        window = new SpreadPreview(session);
        window->setVaGridtemp(&session.sheet);
        window->show();
    }
    SheetView *strip() const { return window->findChild<SheetView *>("fpSpread1"); }
    PageView *view() const { return window->findChild<PageView *>("fpSpreadPreview1"); }
    const grid::CellStyle &style(int col) const { return strip()->sheet()->style(col, 1); }
    // A click on strip cell (col, row), reported the way the strip reports it.
    void click(int col, int row = 1) {
        ASSERT_TRUE(
            QMetaObject::invokeMethod(strip(), "ButtonClicked", Q_ARG(int, col), Q_ARG(int, row)));
    }
    // Enabled: unlocked, black caption, its picture; disabled: locked, grey, the "dis" one.
    void expectButton(int col, const QString &key, bool enabled) const {
        EXPECT_EQ(style(col).locked, !enabled) << col;
        EXPECT_EQ(style(col).foreground, enabled ? QColor(Qt::black) : QColor(128, 128, 128));
        EXPECT_EQ(style(col).pictureKey, enabled ? key : key + "dis") << col;
    }
    void expectPaging(int page, int count, bool previous, bool next) const {
        EXPECT_EQ(view()->pageCurrent(), page);
        EXPECT_EQ(view()->pagesInView().value(0), page);
        EXPECT_EQ(strip()->text(kColCounter, 1), QString("Page %1 of %2").arg(page).arg(count));
        expectButton(kColPrevious, "left", previous);
        expectButton(kColNext, "right", next);
    }
    std::pair<QString, bool> tip(int col) {
        std::pair<QString, bool> t;
        emit strip()->TextTipFetch(col, 1, &t.first, &t.second);
        return t;
    }

    QPointer<SpreadPreview> window;
};

TEST_F(Preview, WindowAndToolbarStrip) {
    open(3);
    EXPECT_EQ(window->objectName(), "spreadpreview");
    EXPECT_EQ(window->windowTitle(), "打印预览");
    EXPECT_EQ(view()->sheet(), &session.sheet);
    EXPECT_EQ(view()->viewMode(), PageView::Percentage);  // preset 2 on load
    EXPECT_EQ(view()->zoomPercent(), 100);
    EXPECT_EQ(strip()->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(strip()->scrollBarsVisible() || strip()->borderVisible());
    const grid::Sheet &s = *strip()->sheet();
    EXPECT_EQ(s.maxCols(), 21);
    EXPECT_EQ(s.maxRows(), 1);
    EXPECT_DOUBLE_EQ(s.rowHeight(1), 18);
    EXPECT_FALSE(s.colHeadersVisible() || s.rowHeadersVisible());
    for (int c = 1; c <= 21; ++c) {
        EXPECT_DOUBLE_EQ(s.colWidth(c), c % 2 ? 0.3 : c == 14 ? 15 : grid::kDefaultColWidth);
        EXPECT_EQ(style(c).background, QColor(185, 206, 247)) << c;
        EXPECT_EQ(style(c).font.name, "MS Sans Serif");
        EXPECT_DOUBLE_EQ(style(c).font.size, 8);
    }
    using A = grid::PictureAlign;
    const struct {
        int col;
        const char *caption, *picture;
        A align;
    } buttons[] = {{2, "下一页", "right", A::CaptionLeftPictureRight},
                   {4, "前一页", "leftdis", A::PictureLeftCaptionRight},
                   {6, "缩放", "zoom", A::PictureLeftCaptionRight},
                   {8, "打印", "print", A::PictureLeftCaptionRight},
                   {10, "设置", "setup", A::PictureLeftCaptionRight},
                   {16, "导出xls", "setup", A::PictureLeftCaptionRight},
                   {18, "关闭", "close", A::PictureLeftCaptionRight}};
    for (const auto &b : buttons) {
        EXPECT_EQ(style(b.col).kind, grid::CellKind::Button) << b.col;
        EXPECT_EQ(s.text(b.col, 1), QString::fromUtf8(b.caption));
        EXPECT_EQ(style(b.col).pictureKey, b.picture);
        EXPECT_EQ(style(b.col).pictureAlign, b.align) << b.col;
        EXPECT_FALSE(s.picture(b.picture).isNull()) << b.picture;
    }
    for (int c : {1, 12, 14, 20})
        EXPECT_TRUE(style(c).kind != grid::CellKind::Button && style(c).locked) << c;
    // The strip on top at its own height, the page view below it.
    window->resize(700, 500);
    QCoreApplication::processEvents();
    const int h = SheetView::heightToPixels(18);
    EXPECT_EQ(strip()->geometry(), QRect(0, 0, 700, h));
    EXPECT_EQ(view()->geometry(), QRect(0, h, 700, 500 - h));
}

TEST(ToolbarImages, KeysInOrderWithGreyDisabledForms) {
    QStringList keys;
    for (const auto &[key, pm] : toolbarImages()) {
        keys << key;
        EXPECT_EQ(pm.size(), QSize(16, 16));
        EXPECT_EQ(qAlpha(pm.toImage().pixel(0, 15)), 0) << "transparent corner";
    }
    EXPECT_EQ(keys, QString("left landscape portrait leftdis print right rightdis setup zoom "
                            "close")
                        .split(' '));
    // (pixels drawn, pixels in colour)
    auto census = [](const QString &key) {
        const QImage img = toolbarImage(key).toImage().convertToFormat(QImage::Format_ARGB32);
        std::pair<int, int> n;
        for (int i = 0; i < 256; ++i) {
            const QRgb px = img.pixel(i % 16, i / 16);
            n.first += qAlpha(px) > 0;
            n.second += qAlpha(px) > 0 && (qRed(px) != qBlue(px) || qGreen(px) != qBlue(px));
        }
        return n;
    };
    for (QString key : {"left", "right"}) {
        EXPECT_GT(census(key).second, 0) << "coloured";
        EXPECT_EQ(census(key + "dis"), std::pair(census(key).first, 0)) << "same shape, grey";
    }
}

struct Step {
    int col;  // 0: the state right after opening
    int page;
    bool previous, next;
};

TEST_F(Preview, PagingOnePagePerScreen) {
    open(1);
    expectPaging(1, 1, false, false);
    click(kColNext);
    expectPaging(1, 1, false, false);
    delete window.data();

    open(3);
    const Step steps[] = {{0, 1, false, true},           {kColNext, 2, true, true},
                          {kColNext, 3, true, false},    {kColNext, 3, true, false},
                          {kColPrevious, 2, true, true}, {kColPrevious, 1, false, true},
                          {kColPrevious, 1, false, true}};
    for (const Step &s : steps) {
        if (s.col)
            click(s.col);
        SCOPED_TRACE(s.page);
        expectPaging(s.page, 3, s.previous, s.next);
    }
    // A real mouse click on the strip goes the same way.
    QTest::mouseClick(strip()->viewport(), Qt::LeftButton, {},
                      strip()->cellRect(kColNext, 1).center());
    expectPaging(2, 3, true, true);
}

TEST_F(Preview, PagingTwoPagesPerScreen) {
    open(5);
    SetZoom(*view(), 10);  // "Two Pages"
    window->onActivated();
    const Step steps[] = {{0, 1, false, true},
                          {kColNext, 3, true, true},
                          {kColNext, 5, true, false},
                          {kColPrevious, 3, true, true},
                          {kColPrevious, 1, false, true}};
    for (const Step &s : steps) {
        if (s.col)
            click(s.col);
        SCOPED_TRACE(s.page);
        expectPaging(s.page, 5, s.previous, s.next);
        EXPECT_EQ(view()->pagesInView().size(), s.page == 5 ? 1 : 2);
    }
    // More pages per screen between two clicks: stepping back stops at page 1.
    click(kColNext);
    SetZoom(*view(), 12);  // "Four Pages"
    click(kColPrevious);
    expectPaging(1, 5, false, true);
}

TEST_F(Preview, TipsAndCellsThatAreNoButtons) {
    open(3);
    EXPECT_EQ(tip(kColNext), std::pair(QString("下一页"), true));
    EXPECT_FALSE(tip(kColPrevious).second) << "disabled button";
    EXPECT_EQ(tip(kColCounter), std::pair(QString("Page 1 of 3"), true));
    EXPECT_FALSE(tip(1).second || tip(12).second) << "spacer, empty cell";
    for (int col : {1, 12, 14, 20, 0, 40})
        click(col);
    click(kColNext, 2);
    expectPaging(1, 3, false, true);
    EXPECT_EQ(view()->viewMode(), PageView::Percentage);
}

TEST_F(Preview, ZoomAndCloseButtons) {
    open(2);
    click(kColZoom);
    EXPECT_EQ(view()->viewMode(), PageView::WholePage);
    click(kColZoom);
    EXPECT_EQ(view()->viewMode(), PageView::Percentage);
    click(kColClose);
    test::flushDeletes();
    EXPECT_TRUE(window.isNull());
}

TEST_F(Preview, SubstitutesVariablesIntoHeaderAndFooter) {
    session.tslVar = {QVariantList{"V部门", "销售"}, QVariantList{"V", "无名"},
                      QVariantList{"V甲", "<V乙>"}, QVariantList{"V乙", 42}};
    grid::PrintSettings &p = session.sheet.printSettings();
    p.header = "/c部门：V部门 V甲 V日期";
    p.footer = "/lV部门/rV";
    const print::DateForms forms =
        print::placeholderDateForms(QLocale::system(), base::interfaceLanguage());
    const QString date = forms.locale.toString(QDate::currentDate(), forms.date);
    open(2);
    EXPECT_EQ(session.sheet.print().header, "/c部门：销售 <42> " + date);
    EXPECT_EQ(session.sheet.print().footer, "/l销售/rV");
    EXPECT_EQ(window->headerText(), session.sheet.print().header);
    EXPECT_EQ(window->footerText(), session.sheet.print().footer);

    // No variables: only V时间 and V日期 change; an empty header stays empty.
    delete window.data();
    session.tslVar.clear();
    p.header.clear();
    p.footer = "V部门 V时间";
    const QString before = forms.locale.toString(QDateTime::currentDateTime(), forms.dateTime);
    open(1);
    const QString after = forms.locale.toString(QDateTime::currentDateTime(), forms.dateTime);
    EXPECT_TRUE(session.sheet.print().header.isEmpty());
    const QString footer = session.sheet.print().footer;
    EXPECT_TRUE(footer == "V部门 " + before || footer == "V部门 " + after) << footer.toStdString();
}

TEST_F(Preview, PageSetupRoundTripRecountsAndKeepsThePageValid) {
    // Three pages at half-inch margins, more at three-inch top and bottom margins.
    test::fillPages(session.sheet, 3);
    grid::PrintSettings &p = session.sheet.printSettings();
    p.marginTop = p.marginBottom = 3 * 1440;
    window = new SpreadPreview(session);
    window->setVaGridtemp(&session.sheet);
    window->show();
    const int tall = view()->pageCount();
    ASSERT_GT(tall, 3);
    click(kColSetup);  // cancelled by the scripted user
    EXPECT_EQ(user.dialogsRun, std::vector<QString>{"pagesetup"});
    expectPaging(1, tall, false, true);
    for (int i = 1; i < tall; ++i)
        click(kColNext);
    window->onActivated();  // activation does not rebind to page 1
    expectPaging(tall, tall, true, false);

    user.onDialog = [](QDialog *d) {
        d->findChild<QLineEdit *>("pagemargin_2")->setText("0.50");
        d->findChild<QLineEdit *>("pagemargin_3")->setText("0.50");
        d->findChild<QPushButton *>("Command2_0")->click();
        return d->result();
    };
    click(kColSetup);
    expectPaging(3, 3, true, false);
    EXPECT_DOUBLE_EQ(stored("上").toDouble(), 0.5);
}

TEST_F(Preview, ExportButtonWritesTheWorkbookWithTheSubstitutedHeader) {
    session.tslVar = {QVariantList{"V部门", "销售部"}};
    session.sheet.printSettings().header = "/fn\"宋体\"/c部门：V部门";
    open(1);
    QTemporaryDir dir;
    const QString path = dir.filePath("日报.xlsx");
    user.saveNames.push_back(path);
    click(kColExport);
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(user.texts(), QStringList{"表格数据导出到excel表成功！\n" + path});
    const QString xml =
        QString::fromUtf8(test::unzipPart(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    EXPECT_TRUE(xml.contains("部门：销售部"));
    EXPECT_FALSE(xml.contains("V部门"));

    // The session keeps the name: a preview opened afresh offers it to the next export.
    delete window.data();
    open(1);
    click(kColExport);
    EXPECT_EQ(user.saveNamesOffered, (std::vector<QString>{QString(), path}));
}

TEST_F(Preview, OpenPreviewKeepsOneWindowAndItsZoom) {
    test::fillPages(session.sheet, 2);
    QPointer<QWidget> first = openPreview(session);
    window = qobject_cast<SpreadPreview *>(first.data());
    ASSERT_TRUE(window && window->isVisible());
    SetZoom(*view(), 9);  // whole page
    click(kColNext);
    // The next run builds another report on the same sheet and asks for the preview again.
    test::fillPages(session.sheet, 3);
    QPointer<QWidget> second = openPreview(session);
    test::flushDeletes();
    ASSERT_TRUE(first);
    EXPECT_EQ(second, first);
    int open = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        open += w->objectName() == "spreadpreview";
    EXPECT_EQ(open, 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->pageView()->sheet(), &session.sheet);
    EXPECT_EQ(view()->viewMode(), PageView::WholePage);
    expectPaging(1, 3, false, true);
}

}  // namespace

// A run that failed leaves the sheet without rows: the open preview shows no page and offers
// neither paging nor printing nor export, and an export asked for all the same writes nothing
// and says why.
TEST_F(Preview, AReportWithoutDataShowsNoPageAndOffersNothingToPrintOrExport) {
    open(3);
    session.sheet.setMaxRows(0);  // what a run that failed leaves: an empty sheet
    session.sheet.setMaxCols(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(strip()->text(kColCounter, 1), "Page 0 of 0");
    expectButton(kColNext, "right", false);
    expectButton(kColPrevious, "left", false);
    expectButton(kColPrint, "print", false);
    expectButton(kColExport, "setup", false);

    exports::exportWorkbook(window, session.sheet, {}, {}, session.lastExportName);
    EXPECT_EQ(user.texts(), QStringList{"报表中没有数据，没有可导出的内容。"});
    EXPECT_TRUE(user.saveNamesOffered.empty());

    test::fillPages(session.sheet, 2);  // the next run found rows again
    QCoreApplication::processEvents();
    EXPECT_EQ(strip()->text(kColCounter, 1), "Page 1 of 2");
    expectButton(kColPrint, "print", true);
    expectButton(kColExport, "setup", true);
}

// A window too narrow for the strip offers the buttons it cuts off in the menu beside it; a
// wide one needs no menu.
TEST_F(Preview, ANarrowWindowOffersTheCutOffCommandsInAMenu) {
    open(3);
    auto *more = window->findChild<QToolButton *>("cmdMore");
    ASSERT_NE(more, nullptr);
    window->resize(1200, 400);
    EXPECT_FALSE(more->isVisibleTo(window));
    window->resize(260, 400);
    ASSERT_TRUE(more->isVisibleTo(window));
    emit more->menu()->aboutToShow();
    QStringList offered;
    for (const QAction *a : more->menu()->actions())
        offered << a->text();
    EXPECT_TRUE(offered.contains("导出xls") && offered.contains("关闭"))
        << offered.join(u'|').toStdString();
    EXPECT_FALSE(offered.contains("下一页"));  // still on the strip
    more->menu()->actions().constLast()->trigger();
    EXPECT_FALSE(window->isVisible());  // 关闭, from the menu
}
