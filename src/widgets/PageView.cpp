#include "widgets/PageView.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cmath>

#include "grid/Paper.h"
#include "print/PagePainter.h"

namespace tessel::widgets {

namespace {

constexpr int kGap = 12;                         // pixels around and between pages
constexpr double kPixelsPerPoint = 96.0 / 72.0;  // 100 % zoom: the paper's real size
// Screens of page pictures kept: the one in view and the one shown before it, so that paging
// back and forth draws nothing anew, while a long report paged through holds no more than that
// (a fixed budget of pictures let a million-row preview grow by tens of megabytes).
constexpr qint64 kCachedScreens = 2;
// Pages larger than this (pixels) are drawn straight into the pane each time instead of
// being kept as pictures: at high zoom a page picture would cost more memory than it saves.
constexpr qint64 kMaxCachedPixels = 12 * 1000 * 1000;
const QColor kPaneColor(128, 128, 128);
const QColor kShadowColor(64, 64, 64);
const QColor kHighlightColor(255, 120, 0);
constexpr int kHighlightPen = 2;  // pixels

bool isZoomedIn(int mode) {
    return mode == PageView::Percentage || mode == PageView::PageWidth ||
           mode == PageView::PageHeight;
}

quint64 cacheKey(int page, int pixelWidth) {
    return (quint64(quint32(page)) << 32) | quint32(pixelWidth);
}

}  // namespace

PageView::PageView(QWidget *parent) : QAbstractScrollArea(parent) {
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    applyScrollPolicy();
}

PageView::~PageView() {
    for (auto &c : m_conns)
        disconnect(c);
}

void PageView::setSheet(grid::Sheet *sheet) {
    for (auto &c : m_conns)
        disconnect(c);
    m_sheet = sheet;
    if (sheet) {
        m_conns[0] = connect(sheet, &grid::Sheet::changed, this, &PageView::onSheetChanged);
        m_conns[1] = connect(sheet, &grid::Sheet::countsChanged, this, &PageView::onSheetChanged);
        m_conns[2] =
            connect(sheet, &grid::Sheet::printSettingsChanged, this, &PageView::onSheetChanged);
        m_conns[3] = connect(sheet, &QObject::destroyed, this, &PageView::onSheetChanged);
    }
    m_current = 1;
    onSheetChanged();
    emit pageCurrentChanged(m_current);
}

QPageSize PageView::paper() const {
    if (m_paper.isValid())
        return m_paper;
    return grid::pageSize(m_sheet ? m_sheet->print().paper : grid::Paper{});
}

void PageView::setPaper(const QPageSize &paper) {
    m_paper = paper;
    onSheetChanged();
}

void PageView::onSheetChanged() {
    // Breaking pages is left until pages are asked for: a sheet being filled row by row
    // sends a change per cell.
    m_paginationDirty = true;
    // The outline marked a place on the old pages.
    m_highlightPage = 0;
    m_cache.clear();
    updateScrollBars();
    viewport()->update();
    emit pagesChanged();
}

void PageView::ensurePagination() const {
    if (!m_paginationDirty)
        return;
    m_pagination.reset();
    if (!m_sheet) {
        m_paginationDirty = false;
        return;
    }
    // With "print the current page" the page that prints is chosen here, among all pages.
    const print::PageChoice choice = m_sheet->print().type == grid::PrintType::CurrentPage
                                         ? print::PageChoice::AllPages
                                         : print::PageChoice::ByPrintType;
    m_pagination = std::make_unique<print::Pagination>(*m_sheet, paper(), choice);
    m_paginationDirty = false;  // only once built: a failure is reported again next time
    const int clamped = std::clamp(m_current, 1, std::max(1, m_pagination->pageCount()));
    if (clamped != m_current) {
        m_current = clamped;
        // Called from getters: watchers hear of the new page once control is back.
        auto *self = const_cast<PageView *>(this);
        QMetaObject::invokeMethod(
            self, [self] { emit self->pageCurrentChanged(self->pageCurrent()); },
            Qt::QueuedConnection);
    }
    // The page "print the current page" prints follows the page in view, also when a change
    // of the sheet moved it. Nothing the sheet shows changes, so the sheet is not notified.
    m_sheet->printSettings().currentPage = m_current;
}

const print::Pagination *PageView::pagination() const {
    ensurePagination();
    return m_pagination.get();
}

int PageView::pageCount() const {
    ensurePagination();
    return m_pagination ? m_pagination->pageCount() : 0;
}

int PageView::pageCurrent() const {
    ensurePagination();
    return m_current;
}

void PageView::setPageCurrent(int page) {
    ensurePagination();
    int clamped = std::clamp(page, 1, std::max(1, pageCount()));
    if (m_sheet)
        m_sheet->printSettings().currentPage = clamped;
    if (clamped == m_current)
        return;
    m_current = clamped;
    viewport()->update();
    emit pageCurrentChanged(m_current);
}

int PageView::pagesPerScreen() const {
    return m_viewMode == MultiplePages ? m_pagesAcross * m_pagesDown : 1;
}

void PageView::setViewMode(int mode) {
    if (mode != WholePage && mode != Percentage && mode != PageWidth && mode != PageHeight &&
        mode != MultiplePages)
        return;
    if (mode == m_viewMode)
        return;
    m_viewMode = mode;
    if (isZoomedIn(mode))
        m_lastZoomedIn = mode;
    else
        m_lastZoomedOut = mode;
    applyScrollPolicy();
    updateScrollBars();
    viewport()->update();
    emit viewChanged();
}

void PageView::setZoomPercent(int percent) {
    percent = std::clamp(percent, kMinZoom, kMaxZoom);
    if (percent == m_zoomPercent)
        return;
    m_zoomPercent = percent;
    updateScrollBars();
    viewport()->update();
    emit viewChanged();
}

void PageView::setPagesAcross(int n) {
    n = std::clamp(n, 1, kMaxPagesAcross);
    if (n == m_pagesAcross)
        return;
    m_pagesAcross = n;
    viewport()->update();
    emit viewChanged();
}

void PageView::setPagesDown(int n) {
    n = std::clamp(n, 1, kMaxPagesDown);
    if (n == m_pagesDown)
        return;
    m_pagesDown = n;
    viewport()->update();
    emit viewChanged();
}

void PageView::zoomToggle() {
    setViewMode(isZoomedIn(m_viewMode) ? m_lastZoomedOut : m_lastZoomedIn);
}

// ---- Keys and wheel --------------------------------------------------------------------------

void PageView::goToPage(int page, bool atEnd) {
    // Beyond the first or last page nothing moves, not even the scroll position.
    const int before = pageCurrent();
    setPageCurrent(page);
    if (pageCurrent() == before)
        return;
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(atEnd ? bar->maximum() : bar->minimum());
}

void PageView::keyPressEvent(QKeyEvent *event) {
    const int current = pageCurrent();
    const int step = pagesPerScreen();
    switch (event->key()) {
        case Qt::Key_PageDown:
            goToPage(current + step, false);
            break;
        case Qt::Key_PageUp:
            goToPage(current - step, false);
            break;
        case Qt::Key_Home:
        case Qt::Key_End:
            // End shows the last screen full of pages, so that several pages per screen end
            // on a full screen. Both show the page's top, also when the page stays.
            setPageCurrent(event->key() == Qt::Key_Home ? 1 : pageCount() - step + 1);
            verticalScrollBar()->setValue(verticalScrollBar()->minimum());
            break;
        default:
            // The arrow keys scroll, as in any scroll area.
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    event->accept();
}

void PageView::wheelEvent(QWheelEvent *event) {
    const int dy = event->angleDelta().y();
    if (event->modifiers() & Qt::ControlModifier) {
        m_zoomWheel += dy;
        const int steps = m_zoomWheel / 120;
        m_zoomWheel -= steps * 120;
        if (steps != 0)
            emit zoomStepRequested(steps);
        event->accept();
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    const bool down = dy < 0;
    const bool atEdge = down ? bar->value() >= bar->maximum() : bar->value() <= bar->minimum();
    if (dy == 0 || !atEdge) {
        // Within the page: scroll it. Turns towards the edge start counting afresh there.
        m_pageWheel = 0;
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    m_pageWheel += dy;
    const int notches = m_pageWheel / 120;
    m_pageWheel -= notches * 120;
    if (notches != 0) {
        // Wheel down (negative turns) pages on and enters the next page at its top; wheel up
        // enters the previous page at its bottom, so that reading back continues where it was.
        goToPage(pageCurrent() - notches * pagesPerScreen(), !down);
    }
    event->accept();
}

// ---- Geometry --------------------------------------------------------------------------------

QSizeF PageView::paperPoints() const {
    // From the paper and the orientation alone, so that sizing the pane never breaks pages.
    QSizeF size = paper().size(QPageSize::Point);
    if (m_sheet && m_sheet->print().orientation == grid::Orientation::Landscape)
        size.transpose();
    return size;
}

void PageView::applyScrollPolicy() {
    // Each fitted mode fixes the scroll bars it can need, so fitting never toggles a bar
    // and refits in a loop.
    switch (m_viewMode) {
        case WholePage:
        case MultiplePages:
            setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            break;
        case PageWidth:
            setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            break;
        case PageHeight:
            setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            break;
        default:
            setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            break;
    }
}

double PageView::scale() const {
    const QSizeF paper = paperPoints();
    if (paper.width() <= 0 || paper.height() <= 0)
        return kPixelsPerPoint;
    const QSize pane = viewport()->size();
    const double w = std::max(1, pane.width() - 2 * kGap);
    const double h = std::max(1, pane.height() - 2 * kGap);
    double s = kPixelsPerPoint;
    switch (m_viewMode) {
        case WholePage:
            s = std::min(w / paper.width(), h / paper.height());
            break;
        case PageWidth:
            s = w / paper.width();
            break;
        case PageHeight:
            s = h / paper.height();
            break;
        case MultiplePages: {
            const double cw = std::max(1, pane.width() - (m_pagesAcross + 1) * kGap);
            const double ch = std::max(1, pane.height() - (m_pagesDown + 1) * kGap);
            s = std::min(cw / m_pagesAcross / paper.width(), ch / m_pagesDown / paper.height());
            break;
        }
        default:
            s = m_zoomPercent / 100.0 * kPixelsPerPoint;
            break;
    }
    return std::max(s, 0.01);
}

void PageView::updateScrollBars() {
    const QSizeF paper = paperPoints();
    const double s = scale();
    const int pw = int(std::ceil(paper.width() * s)) + 2 * kGap;
    const int ph = int(std::ceil(paper.height() * s)) + 2 * kGap;
    const QSize pane = viewport()->size();
    const bool scrolls =
        m_viewMode == Percentage || m_viewMode == PageWidth || m_viewMode == PageHeight;
    horizontalScrollBar()->setRange(0, scrolls ? std::max(0, pw - pane.width()) : 0);
    verticalScrollBar()->setRange(0, scrolls ? std::max(0, ph - pane.height()) : 0);
    horizontalScrollBar()->setPageStep(std::max(1, pane.width()));
    verticalScrollBar()->setPageStep(std::max(1, pane.height()));
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

QList<int> PageView::pagesInView() const {
    QList<int> pages;
    const int count = pageCount();
    const int first = pageCurrent();
    for (int i = 0; i < pagesPerScreen() && first + i <= count; ++i)
        pages.append(first + i);
    return pages;
}

QRect PageView::pageRect(int page) const {
    const int index = page - pageCurrent();
    if (index < 0 || index >= pagesPerScreen() || page > pageCount())
        return {};
    const QSizeF paper = paperPoints();
    const double s = scale();
    const int pw = std::max(1, int(std::lround(paper.width() * s)));
    const int ph = std::max(1, int(std::lround(paper.height() * s)));
    const QSize pane = viewport()->size();
    if (m_viewMode == MultiplePages) {
        const int totalW = m_pagesAcross * pw + (m_pagesAcross - 1) * kGap;
        const int totalH = m_pagesDown * ph + (m_pagesDown - 1) * kGap;
        const int left = std::max(kGap, (pane.width() - totalW) / 2);
        const int top = std::max(kGap, (pane.height() - totalH) / 2);
        const int across = index % m_pagesAcross, down = index / m_pagesAcross;
        return {left + across * (pw + kGap), top + down * (ph + kGap), pw, ph};
    }
    // A page narrower (shorter) than the pane is centred; a larger one starts at the gap
    // and scrolls.
    const int x = pw + 2 * kGap <= pane.width() ? (pane.width() - pw) / 2
                                                : kGap - horizontalScrollBar()->value();
    const int y = ph + 2 * kGap <= pane.height() ? (pane.height() - ph) / 2
                                                 : kGap - verticalScrollBar()->value();
    return {x, y, pw, ph};
}

void PageView::setHighlight(int page, const QRectF &rect) {
    m_highlightPage = page;
    m_highlightRect = rect;
    viewport()->update();
    const QRect pr = page > 0 ? pageRect(page) : QRect();
    const print::Pagination *pages = pagination();
    if (pr.isEmpty() || !pages)
        return;
    // Scroll by the least that brings the outlined place into the pane.
    const double s = pr.width() / pages->paperSizePoints().width();
    const QRectF target(pr.left() + rect.left() * s, pr.top() + rect.top() * s, rect.width() * s,
                        rect.height() * s);
    const QSize pane = viewport()->size();
    const auto reveal = [](QScrollBar *bar, double low, double high, int extent) {
        if (high - low > extent - 2 * kGap || low < kGap)
            bar->setValue(bar->value() + int(std::floor(low)) - kGap);
        else if (high > extent - kGap)
            bar->setValue(bar->value() + int(std::ceil(high)) - extent + kGap);
    };
    reveal(verticalScrollBar(), target.top(), target.bottom(), pane.height());
    reveal(horizontalScrollBar(), target.left(), target.right(), pane.width());
}

// ---- Painting ----------------------------------------------------------------------------------

QImage PageView::pageImage(int page, const QSize &pixelSize) {
    const quint64 key = cacheKey(page, pixelSize.width());
    if (QImage *cached = m_cache.object(key); cached && cached->size() == pixelSize)
        return *cached;
    QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QSizeF paper = m_pagination->paperSizePoints();
        p.scale(pixelSize.width() / paper.width(), pixelSize.height() / paper.height());
        print::paintPage(*m_sheet, *m_pagination, page, p);
    }
    ++m_renderCount;
    const int cost = int(std::max<qint64>(1, qint64(image.sizeInBytes()) / 1024));
    m_cache.insert(key, new QImage(image), cost);
    return image;
}

void PageView::paintEvent(QPaintEvent *) {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), kPaneColor);
    if (!m_sheet)
        return;
    try {
        ensurePagination();
        if (!m_pagination)
            return;
        const qreal dpr = viewport()->devicePixelRatioF();
        const QSizeF paper = m_pagination->paperSizePoints();
        const auto pixelsOf = [dpr](const QRect &rect) {
            return QSize(int(std::lround(rect.width() * dpr)),
                         int(std::lround(rect.height() * dpr)));
        };
        const auto cached = [](const QSize &pixels) {
            return qint64(pixels.width()) * pixels.height() <= kMaxCachedPixels;
        };
        const QList<int> pages = pagesInView();
        qint64 screenKiB = 0;  // as pageImage counts a picture's cost
        for (int page : pages) {
            const QRect rect = pageRect(page);
            const QSize pixels = pixelsOf(rect);
            if (rect.intersects(viewport()->rect()) && cached(pixels))
                screenKiB += std::max<qint64>(
                    1, qint64(pixels.width()) * pixels.height() * qint64(sizeof(QRgb)) / 1024);
        }
        m_cache.setMaxCost(int(std::min<qint64>(kCachedScreens * screenKiB, INT_MAX)));
        for (int page : pages) {
            const QRect rect = pageRect(page);
            if (!rect.intersects(viewport()->rect()))
                continue;
            p.fillRect(rect.translated(3, 3), kShadowColor);
            const QSize pixels = pixelsOf(rect);
            if (cached(pixels)) {
                p.drawImage(rect, pageImage(page, pixels));
                continue;
            }
            // A very large page: draw only what shows, each time.
            p.fillRect(rect, Qt::white);
            p.save();
            p.setClipRect(rect.intersected(viewport()->rect()));
            p.translate(rect.topLeft());
            p.scale(rect.width() / paper.width(), rect.height() / paper.height());
            print::paintPage(*m_sheet, *m_pagination, page, p);
            p.restore();
            ++m_renderCount;
        }
        // The outline goes over the page's picture, never into it: pictures are shared with
        // later showings, and printing paints pages afresh.
        if (m_highlightPage > 0 && pages.contains(m_highlightPage)) {
            const QRect rect = pageRect(m_highlightPage);
            const double s = rect.width() / paper.width();
            const QRectF r = m_highlightRect;
            p.setPen(QPen(kHighlightColor, kHighlightPen));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(rect.left() + r.left() * s, rect.top() + r.top() * s, r.width() * s,
                              r.height() * s)
                           .adjusted(-1, -1, 1, 1));
        }
    } catch (const std::exception &) {
        // A sheet that cannot be paged shows an empty pane; the error reaches callers through
        // pageCount() and pagination(), which do not catch.
    }
}

void PageView::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void PageView::scrollContentsBy(int, int) {
    viewport()->update();
}

}  // namespace tessel::widgets
