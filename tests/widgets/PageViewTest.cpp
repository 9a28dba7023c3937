#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "grid/Sheet.h"
#include "print/Pagination.h"
#include "widgets/PageView.h"
#include "widgets/SheetView.h"

using namespace tessel::grid;
using namespace tessel::print;
using namespace tessel::widgets;

namespace {

void fillRows(Sheet &sheet, int rows) {
    sheet.setMaxCols(4);
    sheet.setMaxRows(rows);
    for (int r = 1; r <= rows; ++r)
        sheet.setTextUtf8(1, r, std::to_string(r));
}

class PageViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        fillRows(sheet, 400);
        view.setSheet(&sheet);
        view.resize(800, 600);
        view.show();
        QCoreApplication::processEvents();
    }

    Sheet sheet;
    PageView view;
};

TEST_F(PageViewTest, PageCountFollowsTheSheet) {
    const int pages = Pagination(sheet).pageCount();
    ASSERT_GT(pages, 3);
    EXPECT_EQ(view.pageCount(), pages);
    EXPECT_EQ(view.property("pageCount").toInt(), pages);

    fillRows(sheet, 10);
    EXPECT_EQ(view.pageCount(), 1);

    fillRows(sheet, 400);
    sheet.printSettings().orientation = Orientation::Landscape;
    sheet.notifyPrintChanged();
    EXPECT_EQ(view.pageCount(), Pagination(sheet).pageCount());
    EXPECT_GT(view.pageCount(), pages);  // fewer rows fit on a landscape page
}

TEST_F(PageViewTest, CurrentPageIsClampedToThePages) {
    const int pages = view.pageCount();
    QSignalSpy changes(&view, &PageView::pageCurrentChanged);
    struct Case {
        int set;
        int expected;
    };
    const Case cases[] = {{2, 2}, {0, 1}, {-5, 1}, {pages, pages}, {pages + 7, pages}, {3, 3}};
    for (const Case &c : cases) {
        ASSERT_TRUE(view.setProperty("pageCurrent", c.set));
        EXPECT_EQ(view.property("pageCurrent").toInt(), c.expected) << c.set;
    }
    // 2, 1, pages, 3: the clamps that land on the page already current say nothing.
    EXPECT_EQ(changes.count(), 4);

    // A sheet that shrinks under the current page pulls it back to its last page, and
    // watchers hear of it.
    fillRows(sheet, 10);
    EXPECT_EQ(view.pageCurrent(), 1);
    QCoreApplication::processEvents();
    ASSERT_EQ(changes.count(), 5);
    EXPECT_EQ(changes.last().at(0).toInt(), 1);
}

TEST_F(PageViewTest, ViewModesAndPagesPerScreen) {
    struct Case {
        int mode;
        int across;
        int down;
        int expectedMode;
        int perScreen;
    };
    const Case cases[] = {
        {PageView::MultiplePages, 3, 2, 5, 6},
        {PageView::WholePage, 3, 2, 0, 1},
        {PageView::MultiplePages, 2, 1, 5, 2},
        {PageView::Percentage, 2, 1, 2, 1},
        {1, 2, 1, 2, 1},  // not a mode: ignored
        {7, 2, 1, 2, 1},
        {PageView::PageWidth, 4, 4, 3, 1},
        {PageView::PageHeight, 4, 4, 4, 1},
        {PageView::MultiplePages, 0, 99, 5, 10},
    };
    for (const Case &c : cases) {
        view.setProperty("viewMode", c.mode);
        view.setProperty("pagesAcross", c.across);
        view.setProperty("pagesDown", c.down);
        EXPECT_EQ(view.property("viewMode").toInt(), c.expectedMode) << c.mode;
        EXPECT_EQ(view.property("pagesPerScreen").toInt(), c.perScreen) << c.mode;
        EXPECT_EQ(view.pagesInView().size(), std::min(c.perScreen, view.pageCount()));
    }

    view.setProperty("zoomPercent", 150);
    EXPECT_EQ(view.zoomPercent(), 150);
    view.setZoomPercent(0);
    EXPECT_EQ(view.zoomPercent(), PageView::kMinZoom);
}

TEST_F(PageViewTest, PagesInViewFitThePaneAndStopAtTheLastPage) {
    view.setViewMode(PageView::WholePage);
    const QRect pane = view.viewport()->rect();  // no scroll bars in the fitted modes
    EXPECT_EQ(pane.size(), view.size() - QSize(2, 2) * view.frameWidth());
    EXPECT_TRUE(pane.contains(view.pageRect(view.pageCurrent())));

    view.setViewMode(PageView::MultiplePages);
    view.setPagesAcross(2);
    view.setPagesDown(2);
    const int pages = view.pageCount();
    view.setPageCurrent(pages - 1);
    EXPECT_EQ(view.pagesInView(), (QList<int>{pages - 1, pages}));
    const QRect a = view.pageRect(pages - 1), b = view.pageRect(pages);
    EXPECT_TRUE(pane.contains(a));
    EXPECT_TRUE(pane.contains(b));
    EXPECT_GT(b.left(), a.right());  // side by side
    EXPECT_EQ(a.top(), b.top());

    view.setViewMode(PageView::PageWidth);
    const QRect wide = view.pageRect(view.pageCurrent());
    EXPECT_GT(wide.height(), pane.height());  // scrolls down instead of fitting

    view.setViewMode(PageView::Percentage);
    view.setZoomPercent(100);
    const int at100 = view.pageRect(view.pageCurrent()).width();
    view.setZoomPercent(50);
    EXPECT_NEAR(view.pageRect(view.pageCurrent()).width(), at100 / 2, 1);
}

TEST_F(PageViewTest, ZoomToggleSwitchesBetweenZoomedInAndZoomedOut) {
    view.setViewMode(PageView::Percentage);
    view.setZoomPercent(150);
    view.zoomToggle();
    EXPECT_EQ(view.viewMode(), PageView::WholePage);
    view.zoomToggle();
    EXPECT_EQ(view.viewMode(), PageView::Percentage);
    EXPECT_EQ(view.zoomPercent(), 150);

    view.setViewMode(PageView::MultiplePages);
    view.zoomToggle();
    EXPECT_EQ(view.viewMode(), PageView::Percentage);
    view.zoomToggle();
    EXPECT_EQ(view.viewMode(), PageView::MultiplePages);

    view.setViewMode(PageView::PageWidth);
    view.zoomToggle();
    EXPECT_EQ(view.viewMode(), PageView::MultiplePages);
    view.zoomToggle();
    EXPECT_EQ(view.viewMode(), PageView::PageWidth);
}

TEST_F(PageViewTest, CurrentPagePrintTypeShowsEveryPageAndRecordsTheOneInView) {
    const int all = view.pageCount();
    sheet.printSettings().type = PrintType::CurrentPage;
    sheet.notifyPrintChanged();
    EXPECT_EQ(Pagination(sheet).pageCount(), 1);
    EXPECT_EQ(view.pageCount(), all);
    view.setPageCurrent(3);
    EXPECT_EQ(sheet.print().currentPage, 3);
    EXPECT_EQ(sheet.print().type, PrintType::CurrentPage);
}

TEST(PageViewLarge, OnlyPagesInViewAreDrawnAndKept) {
    Sheet sheet;
    sheet.setRedraw(false);
    fillRows(sheet, 1'000'000);
    sheet.setRedraw(true);
    PageView view;
    view.setSheet(&sheet);
    view.resize(800, 600);
    view.show();
    ASSERT_GT(view.pageCount(), 10'000);

    EXPECT_FALSE(view.grab().isNull());
    EXPECT_EQ(view.renderCount(), 1);
    view.grab();
    EXPECT_EQ(view.renderCount(), 1);  // from the cache

    view.setPageCurrent(view.pageCount());
    view.grab();
    EXPECT_EQ(view.renderCount(), 2);

    view.setViewMode(PageView::MultiplePages);
    view.setPagesAcross(3);
    view.setPagesDown(2);
    view.setPageCurrent(5000);
    view.grab();
    EXPECT_EQ(view.renderCount(), 8);

    sheet.setText(1, 5, QStringLiteral("changed"));  // drops the pictures
    view.grab();
    EXPECT_EQ(view.renderCount(), 14);
}

// Paged through one screen at a time, the view keeps the pictures of the screen in view and
// of the one before: going back one screen draws nothing, going back further draws again.
TEST(PageViewLarge, PicturesOfTwoScreensAreKept) {
    Sheet sheet;
    fillRows(sheet, 20'000);
    PageView view;
    view.setSheet(&sheet);
    view.resize(800, 600);
    view.setViewMode(PageView::MultiplePages);
    view.setPagesAcross(2);
    view.setPagesDown(1);
    view.show();
    struct Step {
        const char *name;
        int page;      // the first page in view
        int newPages;  // pages drawn for it
    };
    const Step steps[] = {
        {"first screen", 1, 2},      {"next screen", 3, 2},   {"back one screen", 1, 0},
        {"forth again", 3, 0},       {"on to a third", 5, 2}, {"back two screens", 1, 2},
        {"back to the third", 5, 0}, {"far down", 101, 2},    {"back to the third again", 5, 0},
    };
    for (const Step &step : steps) {
        const int before = view.renderCount();
        view.setPageCurrent(step.page);
        view.grab();
        EXPECT_EQ(view.renderCount() - before, step.newPages) << step.name;
    }
}

TEST(PageViewLarge, UnboundViewHasNoPages) {
    PageView view;
    view.resize(400, 300);
    EXPECT_EQ(view.pageCount(), 0);
    EXPECT_EQ(view.pageCurrent(), 1);
    EXPECT_TRUE(view.pagesInView().isEmpty());
    EXPECT_FALSE(view.grab().isNull());
}

}  // namespace

namespace {

TEST(ViewBinding, ViewsOutliveTheSheetTheyShow) {
    PageView pages;
    SheetView grid;
    {
        Sheet sheet;
        fillRows(sheet, 100);
        pages.setSheet(&sheet);
        grid.setSheet(&sheet);
        EXPECT_GT(pages.pageCount(), 1);
        EXPECT_EQ(grid.maxRows(), 100);
    }
    EXPECT_EQ(pages.pageCount(), 0);
    EXPECT_FALSE(pages.grab().isNull());
    // The grid is back on a sheet of its own.
    ASSERT_NE(grid.sheet(), nullptr);
    EXPECT_EQ(grid.maxRows(), 0);
    EXPECT_FALSE(grid.grab().isNull());
}

}  // namespace
