// Moving about the preview other than by the page buttons: the thumbnail panel, the page
// keys, the wheel, Ctrl+wheel zoom and the page view's context menu. The page buttons and the
// counter follow every page change.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "preview/SpreadPreview.h"
#include "support/PreviewFixture.h"
#include "widgets/PageThumbnails.h"
#include "widgets/PageView.h"
#include "widgets/SheetView.h"
#include "widgets/Zooms.h"

using namespace tessel;
using preview::kColCounter;
using widgets::PageView;

namespace {

class Navigation : public test::ReportFixture {
protected:
    void TearDown() override { delete window.data(); }
    void open(int pages) {
        test::fillPages(session.sheet, pages);
        window = new preview::SpreadPreview(session);
        window->setVaGridtemp(&session.sheet);
        window->resize(960, 720);
        window->show();
        QApplication::setActiveWindow(window);  // for the window's shortcut keys
    }
    PageView *view() const { return window->pageView(); }
    widgets::PageThumbnails *thumbs() const { return window->thumbnails(); }
    // The page in view, the counter and the page buttons' states (locked = disabled).
    void expectPage(int page) const {
        const grid::Sheet &strip = *window->toolbar()->sheet();
        EXPECT_EQ(view()->pageCurrent(), page);
        EXPECT_EQ(strip.text(kColCounter, 1),
                  QString("Page %1 of %2").arg(page).arg(view()->pageCount()));
        EXPECT_EQ(strip.style(preview::kColPrevious, 1).locked, page == 1);
        EXPECT_EQ(strip.style(preview::kColNext, 1).locked,
                  page + view()->pagesPerScreen() > view()->pageCount());
    }
    void wheel(int notches, Qt::KeyboardModifiers mods = {}) {
        const QPointF at = view()->viewport()->rect().center();
        QWheelEvent e(at, view()->mapToGlobal(at), {}, {0, 120 * notches}, Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(view()->viewport(), &e);
    }

    QPointer<preview::SpreadPreview> window;
};

TEST_F(Navigation, F4ShowsThumbnailsDrawnOnlyInSightAndAClickJumps) {
    open(200);
    EXPECT_FALSE(window->thumbnailsVisible());
    QTest::keyClick(view(), Qt::Key_F4);
    ASSERT_TRUE(window->thumbnailsVisible());
    EXPECT_EQ(view()->geometry().left(), thumbs()->geometry().right() + 1);
    ASSERT_EQ(thumbs()->model()->rowCount(), 200);
    thumbs()->viewport()->grab();
    const int rowHeight = thumbs()->visualRect(thumbs()->model()->index(0, 0)).height();
    EXPECT_GT(thumbs()->renderCount(), 0);
    EXPECT_LE(thumbs()->renderCount(), thumbs()->viewport()->height() / rowHeight + 2);

    for (int page : {150, 3, 200}) {
        const QModelIndex row = thumbs()->model()->index(page - 1, 0);
        thumbs()->scrollTo(row);
        QTest::mouseClick(thumbs()->viewport(), Qt::LeftButton, {},
                          thumbs()->visualRect(row).center());
        SCOPED_TRACE(page);
        expectPage(page);
    }
    QTest::keyClick(view(), Qt::Key_Home);
    EXPECT_EQ(thumbs()->currentIndex().row(), 0);  // the mark follows the page view
    QTest::keyClick(view(), Qt::Key_F4);
    EXPECT_FALSE(window->thumbnailsVisible());
    EXPECT_EQ(view()->geometry().left(), 0);
}

TEST_F(Navigation, ThumbnailsFollowAPageSetupChangeInCount) {
    open(3);
    window->setThumbnailsVisible(true);
    ASSERT_EQ(thumbs()->model()->rowCount(), 3);
    user.onDialog = [](QDialog *d) {
        d->findChild<QLineEdit *>("pagemargin_2")->setText("3.00");
        d->findChild<QLineEdit *>("pagemargin_3")->setText("3.00");
        d->findChild<QPushButton *>("Command2_0")->click();
        return d->result();
    };
    emit window->toolbar()->ButtonClicked(preview::kColSetup, 1);
    QCoreApplication::processEvents();
    EXPECT_GT(view()->pageCount(), 3);
    EXPECT_EQ(thumbs()->model()->rowCount(), view()->pageCount());
}

TEST_F(Navigation, PageKeysFromAStartPage) {
    open(5);
    const struct {
        int preset, start, key;
        Qt::KeyboardModifiers mods;
        int page;
    } cases[] = {
        {2, 1, Qt::Key_PageDown, {}, 2},  {2, 2, Qt::Key_PageUp, {}, 1},
        {2, 1, Qt::Key_PageUp, {}, 1},    {2, 5, Qt::Key_PageDown, {}, 5},
        {2, 3, Qt::Key_Home, {}, 1},      {2, 3, Qt::Key_Home, Qt::ControlModifier, 1},
        {2, 2, Qt::Key_End, {}, 5},       {2, 2, Qt::Key_End, Qt::ControlModifier, 5},
        {2, 3, Qt::Key_Down, {}, 3},      {2, 3, Qt::Key_Up, {}, 3},
        {10, 1, Qt::Key_PageDown, {}, 3}, {10, 1, Qt::Key_End, {}, 4},  // two pages a screen
    };
    for (const auto &c : cases) {
        widgets::SetZoom(*view(), c.preset);
        view()->setPageCurrent(c.start);
        view()->verticalScrollBar()->setValue(0);
        QTest::keyClick(view(), Qt::Key(c.key), c.mods);
        SCOPED_TRACE(QString("key %1 from page %2").arg(c.key, 0, 16).arg(c.start).toStdString());
        expectPage(c.page);
        // The arrows scroll instead (at 100 % the page is taller than the pane).
        EXPECT_EQ(view()->verticalScrollBar()->value() > 0, c.key == Qt::Key_Down);
    }
}

TEST_F(Navigation, WheelScrollsThenPagesAndCtrlWheelStepsZoomPresets) {
    open(3);
    QScrollBar *bar = view()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    for (int i = 0; i < 100 && bar->value() < bar->maximum(); ++i)
        wheel(-1);
    expectPage(1);
    wheel(-1);  // at the page's end: on to the top of the next
    expectPage(2);
    EXPECT_EQ(bar->value(), 0);
    wheel(1);  // at its top: back to the end of the one before
    expectPage(1);
    EXPECT_EQ(bar->value(), bar->maximum());

    // Ctrl+wheel: from preset `preset`, `notches` on, the percentage shown.
    const int cases[][3] = {{2, 1, 150}, {2, 2, 200}, {0, 1, 200}, {2, -1, 75},
                            {6, -1, 10}, {9, 1, 75},  {9, -1, 50}};  // whole page: about 60 %
    for (const auto &[preset, notches, percent] : cases) {
        widgets::SetZoom(*view(), preset);
        wheel(notches, Qt::ControlModifier);
        EXPECT_EQ(view()->viewMode(), PageView::Percentage) << preset;
        EXPECT_EQ(view()->zoomPercent(), percent) << preset << " " << notches;
    }
}

TEST_F(Navigation, ContextMenuFitsPageWidthOrWholePage) {
    open(2);
    for (auto [text, mode] :
         {std::pair("页宽", PageView::PageWidth), {"整页", PageView::WholePage}}) {
        for (QAction *a : view()->actions())
            if (a->text() == text)
                a->trigger();
        EXPECT_EQ(view()->viewMode(), mode) << text;
    }
}

}  // namespace
