// How a sheet view lets the user size columns and the label row from its headers: finding
// the border under the mouse, the cursor over it, dragging it and fitting a column.
#include <QScrollBar>
#include <algorithm>

#include "widgets/HeaderResize.h"
#include "widgets/SheetView.h"

namespace tessel::widgets {

void SheetView::setUserResizable(bool on) {
    m_userResizable = on;
    if (!on) {
        if (isResizing())
            endResize(false);
        viewport()->unsetCursor();
    }
}

int SheetView::columnBorderAt(const QPoint &pos) const {
    if (!m_userResizable || !m_sheet->colHeadersVisible())
        return 0;
    ensureGeometry();
    if (pos.y() < 0 || pos.y() >= m_headerHeight || pos.x() < m_headerWidth ||
        pos.x() >= viewport()->width())
        return 0;
    const int col = headerResize::borderAt(
        m_cols, std::int64_t(pos.x()) - m_headerWidth + horizontalScrollBar()->value());
    // A border scrolled in under the row header column is out of reach.
    if (col < 1 || contentX(col) + m_cols.size(col) <= m_headerWidth)
        return 0;
    return col;
}

bool SheetView::onLabelRowBorder(const QPoint &pos) const {
    if (!m_userResizable || !m_sheet->colHeadersVisible())
        return false;
    ensureGeometry();
    if (pos.x() < 0 || pos.x() >= viewport()->width() ||
        !headerResize::nearBorder(pos.y(), m_headerHeight))
        return false;
    // Below the border only the row header column belongs to it: the cells there are row 1's.
    return pos.x() < m_headerWidth || pos.y() < m_headerHeight;
}

void SheetView::updateResizeCursor(const QPoint &pos) {
    if (!m_userResizable)
        return;
    // The label row's border wins where both are in reach (the lower corners of the column
    // borders), so it can be taken anywhere along the header row.
    if (onLabelRowBorder(pos))
        viewport()->setCursor(Qt::SplitVCursor);
    else if (columnBorderAt(pos) > 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else
        viewport()->unsetCursor();
}

bool SheetView::beginResize(const QPoint &pos) {
    if (onLabelRowBorder(pos)) {
        m_resizeLabelRow = true;
        m_resizeStartPos = pos.y();
        m_resizeStartPx = m_headerHeight;
        m_resizeStartSize = m_sheet->rowHeight(0);
        viewport()->setCursor(Qt::SplitVCursor);
        return true;
    }
    const int col = columnBorderAt(pos);
    if (col < 1)
        return false;
    m_resizeCol = col;
    m_resizeStartPos = pos.x();
    m_resizeStartPx = m_cols.size(col);
    m_resizeStartSize = m_sheet->colWidth(col);
    viewport()->setCursor(Qt::SplitHCursor);
    return true;
}

void SheetView::dragResize(const QPoint &pos) {
    if (m_resizeCol > 0) {
        const int px = std::max(0, m_resizeStartPx + pos.x() - m_resizeStartPos);
        // Back where it began, the width is the one it had, not its pixels read back.
        const double width =
            px == m_resizeStartPx ? m_resizeStartSize : headerResize::widthForPixels(px);
        if (width != m_sheet->colWidth(m_resizeCol)) {
            m_sheet->setColWidth(m_resizeCol, width);
            emit ColumnWidthChanged(m_resizeCol);
        }
    } else if (m_resizeLabelRow) {
        const int px = std::max(0, m_resizeStartPx + pos.y() - m_resizeStartPos);
        const double height =
            px == m_resizeStartPx ? m_resizeStartSize : headerResize::heightForPixels(px);
        if (height != m_sheet->rowHeight(0)) {
            m_sheet->setRowHeight(0, height);
            emit RowHeightChanged(0);
        }
    }
}

void SheetView::endResize(bool restore) {
    const int col = m_resizeCol;
    const bool labelRow = m_resizeLabelRow;
    m_resizeCol = 0;
    m_resizeLabelRow = false;
    if (!restore)
        return;
    if (col > 0 && m_sheet->colWidth(col) != m_resizeStartSize) {
        m_sheet->setColWidth(col, m_resizeStartSize);
        emit ColumnWidthChanged(col);
    } else if (labelRow && m_sheet->rowHeight(0) != m_resizeStartSize) {
        m_sheet->setRowHeight(0, m_resizeStartSize);
        emit RowHeightChanged(0);
    }
}

void SheetView::fitColumn(int col) {
    ensureGeometry();
    // The rows in view are measured besides the first ones, so what the user looks at fits
    // however far down the sheet they are.
    const int yScroll = verticalScrollBar()->value();
    const int firstRow = std::max(1, m_rows.indexAt(yScroll));
    const int lastRow =
        std::min(m_rows.count(), m_rows.indexAt(yScroll + std::max(0, dataArea().height() - 1)));
    const double width = headerResize::fitColumnWidth(*m_sheet, col, firstRow, lastRow);
    if (width != m_sheet->colWidth(col)) {
        m_sheet->setColWidth(col, width);
        emit ColumnWidthChanged(col);
    }
}

}  // namespace tessel::widgets
