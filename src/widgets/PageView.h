// The page view: shows a sheet's printed pages as they will print, one page or several at a
// time, at a chosen zoom. It draws each page through the one page paint path (paintPage) and
// keeps the pictures of the pages in view and of the screen shown before, so only pages coming
// into view are drawn and the first page of a very long report shows at once.
//
// Pages are those the sheet's print settings produce (all pages, the print block, or the page
// range), except that with "print the current page" the view shows every page of the print
// area and its current page is the page that prints: the view writes it to the sheet's
// PrintSettings::currentPage.
//
// View modes (viewMode): 0 whole page (one page fitted to the pane), 2 percentage (zoomPercent
// of the paper's real size at 96 pixels per inch), 3 page width (the page's width fitted to
// the pane, scrolling down), 4 page height (the page's height fitted to the pane), 5 several
// pages (pagesAcross x pagesDown pages fitted to the pane, from the current page on, left to
// right then down).
//
// Zoom toggle: the zoomed-in modes are percentage, page width and page height; the zoomed-out
// ones whole page and several pages. zoomToggle() switches from a zoomed-in mode to the
// zoomed-out mode used last (whole page at first) and back to the zoomed-in mode used last
// (percentage at first); the percentage and the pages across and down keep their values.
//
// Keys and wheel: Page Down / Page Up move one screen of pages on or back, Home and End
// (with or without Ctrl) to the first page and to the last screen of pages, each showing the
// top of the page; the arrow keys scroll. The wheel scrolls a page taller than the pane; at
// the page's end (or in a mode that does not scroll) each further notch moves one screen of
// pages on, at its start one back, and the page moved to shows the side it is entered from.
// Ctrl+wheel does not zoom by itself: it asks, through zoomStepRequested, whoever owns the
// view's zoom steps.
#pragma once

#include <QAbstractScrollArea>
#include <QCache>
#include <QImage>
#include <QList>
#include <QPageSize>
#include <QPointer>
#include <QRect>
#include <memory>

#include "grid/Sheet.h"
#include "print/Pagination.h"

namespace tessel::widgets {

class PageView : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(int pageCurrent READ pageCurrent WRITE setPageCurrent NOTIFY pageCurrentChanged)
    Q_PROPERTY(int pageCount READ pageCount)
    Q_PROPERTY(int pagesPerScreen READ pagesPerScreen)
    Q_PROPERTY(int viewMode READ viewMode WRITE setViewMode NOTIFY viewChanged)
    Q_PROPERTY(int zoomPercent READ zoomPercent WRITE setZoomPercent NOTIFY viewChanged)
    Q_PROPERTY(int pagesAcross READ pagesAcross WRITE setPagesAcross NOTIFY viewChanged)
    Q_PROPERTY(int pagesDown READ pagesDown WRITE setPagesDown NOTIFY viewChanged)

public:
    enum ViewMode {
        WholePage = 0,
        Percentage = 2,
        PageWidth = 3,
        PageHeight = 4,
        MultiplePages = 5,
    };

    // Limits of the settable values; values outside are clamped.
    static constexpr int kMinZoom = 10;
    static constexpr int kMaxZoom = 400;
    static constexpr int kMaxPagesAcross = 10;
    static constexpr int kMaxPagesDown = 10;

    explicit PageView(QWidget *parent = nullptr);
    ~PageView() override;

    // The sheet shown (not owned; nullptr shows nothing; a sheet destroyed while shown leaves
    // the view empty). Binding starts at page 1.
    grid::Sheet *sheet() const { return m_sheet; }
    void setSheet(grid::Sheet *sheet);

    // Paper the pages are broken on (portrait size; the sheet's orientation turns it): the
    // sheet's own paper (A4 without a sheet) unless set; an invalid size follows the sheet
    // again.
    QPageSize paper() const;
    void setPaper(const QPageSize &paper);

    // Current page, from 1: the (first) page in view. Set values are clamped to
    // 1..pageCount() (1 when there are no pages).
    int pageCurrent() const;
    void setPageCurrent(int page);
    int pageCount() const;
    // Pages in view at once: pagesAcross * pagesDown in several-pages mode, else 1.
    int pagesPerScreen() const;

    // View mode (values of ViewMode; other values are ignored), zoom in percent, and the
    // grid of the several-pages mode.
    int viewMode() const { return m_viewMode; }
    void setViewMode(int mode);
    int zoomPercent() const { return m_zoomPercent; }
    void setZoomPercent(int percent);
    int pagesAcross() const { return m_pagesAcross; }
    void setPagesAcross(int n);
    int pagesDown() const { return m_pagesDown; }
    void setPagesDown(int n);

    Q_INVOKABLE void zoomToggle();

    // The pagination the view shows, brought up to date with the sheet (nullptr without a
    // sheet).
    const print::Pagination *pagination() const;
    // Pages in view and their rectangles in viewport pixels, in the order drawn.
    QList<int> pagesInView() const;
    QRect pageRect(int page) const;
    // Pixels per point at which pages are shown now.
    double scale() const;
    // How many page pictures the view has drawn since it was created (cache misses).
    int renderCount() const { return m_renderCount; }

    // An outline the view draws around `rect` (points on the paper) of page `page`, over the
    // page as painted: on screen only, the page itself (and so printing) is unchanged. When
    // the page is in view and the view scrolls, it scrolls the outline into view. Page 0
    // draws none; a change of the sheet removes it.
    void setHighlight(int page, const QRectF &rect);
    void clearHighlight() { setHighlight(0, QRectF()); }
    int highlightPage() const { return m_highlightPage; }
    QRectF highlightRect() const { return m_highlightRect; }

signals:
    void pageCurrentChanged(int page);
    void viewChanged();
    // The pages may be others now: the sheet, its contents or print settings, or the paper
    // changed (pages are broken again when next asked for). Sent once per change, so many
    // times while a sheet is being filled.
    void pagesChanged();
    // Ctrl+wheel: the user asks to zoom in (steps > 0) or out (steps < 0) by `steps` notches.
    void zoomStepRequested(int steps);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void onSheetChanged();
    void ensurePagination() const;
    void applyScrollPolicy();
    void updateScrollBars();
    QSizeF paperPoints() const;
    QImage pageImage(int page, const QSize &pixelSize);
    // Makes `page` current (clamped) and scrolls to its top, or to its bottom with `atEnd`;
    // nothing when that leaves the current page as it is.
    void goToPage(int page, bool atEnd);

    QPointer<grid::Sheet> m_sheet;
    QMetaObject::Connection m_conns[4];
    QPageSize m_paper;  // invalid: the sheet's paper
    mutable std::unique_ptr<print::Pagination> m_pagination;
    mutable bool m_paginationDirty = true;

    mutable int m_current = 1;
    int m_viewMode = Percentage;
    int m_zoomPercent = 100;
    int m_pagesAcross = 2;
    int m_pagesDown = 1;
    int m_lastZoomedIn = Percentage;
    int m_lastZoomedOut = WholePage;

    QCache<quint64, QImage> m_cache;  // page pictures by page and pixel width; cost in KiB
    int m_renderCount = 0;
    // Wheel turns not yet acted on (in eighths of a degree; a notch is 120): for paging and for
    // zooming, so that the fine steps of a touchpad add up to notches.
    int m_pageWheel = 0;
    int m_zoomWheel = 0;
    int m_highlightPage = 0;
    QRectF m_highlightRect;
};

}  // namespace tessel::widgets
