// The zoom presets: their texts and what each does to a page view.
#include <gtest/gtest.h>

#include "support/ReportSheets.h"
#include "widgets/PageView.h"
#include "widgets/Zooms.h"

using namespace tessel;
using widgets::PageView;

namespace {

struct ZoomCase {
    const char *text;
    int mode;
    int percent;  // expected zoomPercent (the starting 33 where the preset leaves it)
    int across;   // expected pages across and down (the starting 4 x 3 where left)
    int down;
};

const ZoomCase kCases[] = {{"200%", PageView::Percentage, 200, 4, 3},
                           {"150%", PageView::Percentage, 150, 4, 3},
                           {"100%", PageView::Percentage, 100, 4, 3},
                           {"75%", PageView::Percentage, 75, 4, 3},
                           {"50%", PageView::Percentage, 50, 4, 3},
                           {"25%", PageView::Percentage, 25, 4, 3},
                           {"10%", PageView::Percentage, 10, 4, 3},
                           {"Page Width", PageView::PageWidth, 33, 4, 3},
                           {"Page Height", PageView::PageHeight, 33, 4, 3},
                           {"Whole Page", PageView::WholePage, 33, 4, 3},
                           {"Two Pages", PageView::MultiplePages, 33, 2, 1},
                           {"Three Pages", PageView::MultiplePages, 33, 3, 1},
                           {"Four Pages", PageView::MultiplePages, 33, 2, 2},
                           {"Six Pages", PageView::MultiplePages, 33, 3, 2}};

TEST(Zooms, EachPresetSetsItsViewAndKeepsThePage) {
    grid::Sheet sheet;
    test::fillPages(sheet, 5);
    ASSERT_EQ(widgets::zoomPresetTexts().size(), 14);
    for (int i = 0; i < 14; ++i) {
        const ZoomCase &c = kCases[i];
        EXPECT_EQ(widgets::zoomPresetText(i), QString::fromLatin1(c.text));
        EXPECT_EQ(widgets::zoomPresetTexts()[i], QString::fromLatin1(c.text));
        PageView view;
        view.setSheet(&sheet);
        view.setViewMode(i == 8 ? PageView::WholePage : PageView::PageHeight);
        view.setZoomPercent(33);
        view.setPagesAcross(4);
        view.setPagesDown(3);
        view.setPageCurrent(3);
        widgets::SetZoom(view, i);
        EXPECT_EQ(view.viewMode(), c.mode) << i;
        EXPECT_EQ(view.zoomPercent(), c.percent) << i;
        EXPECT_EQ(view.pagesAcross(), c.across) << i;
        EXPECT_EQ(view.pagesDown(), c.down) << i;
        EXPECT_EQ(view.pageCurrent(), 3) << i;
    }
}

TEST(Zooms, IndexesOutsideThePresetsChangeNothing) {
    PageView view;
    view.setViewMode(PageView::MultiplePages);
    view.setZoomPercent(60);
    view.setPagesAcross(3);
    view.setPagesDown(2);
    for (int index : {-1, 14, 100}) {
        widgets::SetZoom(view, index);
        EXPECT_EQ(view.viewMode(), PageView::MultiplePages) << index;
        EXPECT_EQ(view.zoomPercent(), 60) << index;
        EXPECT_EQ(view.pagesAcross() * 10 + view.pagesDown(), 32) << index;
        EXPECT_TRUE(widgets::zoomPresetText(index).isEmpty());
    }
}

}  // namespace
