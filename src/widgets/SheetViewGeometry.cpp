// Where a sheet view's rows, columns and cells lie in its viewport, the header sizes and the
// scroll range.
#include <QFontMetrics>
#include <QScrollBar>
#include <algorithm>
#include <cstdint>
#include <limits>

#include "print/PrintFonts.h"
#include "widgets/SheetView.h"

namespace tessel::widgets {

void SheetView::ensureGeometry() const {
    if (m_geometryDirty)
        const_cast<SheetView *>(this)->rebuildGeometry();
}

void SheetView::rebuildGeometry() {
    m_geometryDirty = false;
    const grid::Sheet &s = *m_sheet;
    m_cols.reset(s.maxCols(), widthToPixels(grid::kDefaultColWidth));
    for (int c = 1; c <= s.maxCols(); ++c)
        m_cols.add(c, widthToPixels(s.colWidth(c)));
    m_rows.reset(s.maxRows(), heightToPixels(grid::kDefaultRowHeight));
    const auto &heights = s.rowHeightOverrides();
    for (auto it = heights.lower_bound(1); it != heights.end() && it->first <= s.maxRows(); ++it)
        m_rows.add(it->first, heightToPixels(it->second));

    m_headerHeight = s.colHeadersVisible() ? heightToPixels(s.rowHeight(0)) : 0;
    m_headerWidth = 0;
    if (s.rowHeadersVisible()) {
        int set = widthToPixels(s.colWidth(0));
        // Row numbers must stay readable whatever width the header column was given, unless
        // it was hidden on purpose.
        if (set > 0) {
            QFontMetrics fm(print::cellFont(s.defaultStyle().font));
            set = std::max(set,
                           fm.horizontalAdvance(QString::number(s.maxRows())) + 4 * kCellPadding);
        }
        m_headerWidth = set;
    }
    updateScrollBars();
}

void SheetView::updateScrollBars() {
    QRect area = dataArea();
    std::int64_t w = m_cols.total(), h = m_rows.total();
    auto clampInt = [](std::int64_t v) {
        return int(std::clamp<std::int64_t>(v, 0, std::numeric_limits<int>::max()));
    };
    horizontalScrollBar()->setRange(0, clampInt(w - area.width()));
    horizontalScrollBar()->setPageStep(std::max(1, area.width()));
    horizontalScrollBar()->setSingleStep(widthToPixels(grid::kDefaultColWidth) / 2);
    verticalScrollBar()->setRange(0, clampInt(h - area.height()));
    verticalScrollBar()->setPageStep(std::max(1, area.height()));
    verticalScrollBar()->setSingleStep(heightToPixels(grid::kDefaultRowHeight));
}

int SheetView::headerWidth() const {
    ensureGeometry();
    return m_headerWidth;
}

int SheetView::headerHeight() const {
    ensureGeometry();
    return m_headerHeight;
}

QRect SheetView::dataArea() const {
    QRect r = viewport()->rect();
    r.setLeft(m_headerWidth);
    r.setTop(m_headerHeight);
    return r;
}

int SheetView::contentX(int col) const {
    return int(m_headerWidth + m_cols.offset(col) - horizontalScrollBar()->value());
}

int SheetView::contentY(int row) const {
    return int(m_headerHeight + m_rows.offset(row) - verticalScrollBar()->value());
}

QPoint SheetView::cellAt(const QPoint &pos) const {
    ensureGeometry();
    const QRect vp = viewport()->rect();
    if (!vp.contains(pos))
        return {-1, -1};
    int col = -1, row = -1;
    if (pos.x() < m_headerWidth) {
        col = 0;
    } else {
        col = m_cols.indexAt(pos.x() - m_headerWidth + horizontalScrollBar()->value());
        if (col < 1 || col > m_cols.count())
            return {-1, -1};
    }
    if (pos.y() < m_headerHeight) {
        row = 0;
    } else {
        row = m_rows.indexAt(pos.y() - m_headerHeight + verticalScrollBar()->value());
        if (row < 1 || row > m_rows.count())
            return {-1, -1};
    }
    return {col, row};
}

QRect SheetView::cellRect(int col, int row) const {
    ensureGeometry();
    if (col < 0 || row < 0 || col > m_cols.count() || row > m_rows.count())
        return {};
    int x = col == 0 ? 0 : contentX(col);
    int w = col == 0 ? m_headerWidth : m_cols.size(col);
    int y = row == 0 ? 0 : contentY(row);
    int h = row == 0 ? m_headerHeight : m_rows.size(row);
    return {x, y, w, h};
}

QRect SheetView::spanRect(const Span &span) const {
    QRect a = cellRect(span.col, span.row);
    QRect b = cellRect(span.col2, span.row2);
    return {a.left(), a.top(), b.x() + b.width() - a.x(), b.y() + b.height() - a.y()};
}

void SheetView::scrollTo(int col, int row) {
    ensureGeometry();
    const QRect area = dataArea();
    if (col >= 1 && col <= m_cols.count()) {
        const int value = horizontalScrollBar()->value();
        const auto wanted = m_cols.scrollToShow(col, value, area.width());
        if (wanted != value)
            horizontalScrollBar()->setValue(int(wanted));
    }
    if (row >= 1 && row <= m_rows.count()) {
        const int value = verticalScrollBar()->value();
        const auto wanted = m_rows.scrollToShow(row, value, area.height());
        if (wanted != value)
            verticalScrollBar()->setValue(int(wanted));
    }
}

int SheetView::topRow() const {
    ensureGeometry();
    return std::min(m_rows.indexAt(verticalScrollBar()->value()), m_rows.count());
}

int SheetView::leftCol() const {
    ensureGeometry();
    return std::min(m_cols.indexAt(horizontalScrollBar()->value()), m_cols.count());
}

QSize SheetView::contentSize() const {
    ensureGeometry();
    auto clampInt = [](std::int64_t v) {
        return int(std::min<std::int64_t>(v, std::numeric_limits<int>::max() / 2));
    };
    return {clampInt(m_headerWidth + m_cols.total()), clampInt(m_headerHeight + m_rows.total())};
}

QSize SheetView::sizeHint() const {
    QSize content = contentSize();
    int frame = 2 * frameWidth();
    return {std::min(content.width(), 800) + frame, std::min(content.height(), 600) + frame};
}

QSize SheetView::minimumSizeHint() const {
    int frame = 2 * frameWidth();
    return {std::min(contentSize().width(), 40) + frame,
            std::min(contentSize().height(), 20) + frame};
}

}  // namespace tessel::widgets
