// How a sheet view paints: the cells in view with their styles, buttons and pictures, the
// selection, the active cell's frame and the headers.
#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <unordered_set>

#include "grid/ColumnFormat.h"
#include "print/CellContentLayout.h"
#include "print/CellLayout.h"
#include "print/CellLook.h"
#include "print/PdfText.h"
#include "print/PrintFonts.h"
#include "widgets/SheetView.h"

namespace tessel::widgets {

namespace {

const QColor kHeaderBackground{236, 236, 236};
const QColor kHeaderLine{160, 160, 160};
const QColor kSelectionTint{51, 153, 255, 60};
constexpr double kBarInset = 2.0;  // pixels between a data bar and its cell's edges

Qt::Alignment qtAlignment(print::TextAlign align) {
    switch (align) {
        case print::TextAlign::Center:
            return Qt::AlignHCenter;
        case print::TextAlign::Right:
            return Qt::AlignRight;
        case print::TextAlign::Left:
            break;
    }
    return Qt::AlignLeft;
}

std::uint64_t spanKey(int col, int row) {
    return (std::uint64_t(std::uint32_t(col)) << 32) | std::uint32_t(row);
}

}  // namespace

void SheetView::paintEvent(QPaintEvent *) {
    ensureGeometry();
    QPainter out(viewport());
    const qreal dpr = viewport()->devicePixelRatioF();
    const QSize pixelSize = viewport()->size() * dpr;
    // While the sheet's redraw is suspended the view keeps showing its last picture, so a
    // caller's many small changes never appear half done.
    if (!m_sheet->redraw() && m_frame.size() == pixelSize) {
        out.drawImage(0, 0, m_frame);
        return;
    }
    if (m_frame.size() != pixelSize)
        m_frame = QImage(pixelSize, QImage::Format_ARGB32_Premultiplied);
    m_frame.setDevicePixelRatio(dpr);
    {
        QPainter p(&m_frame);
        paintFrame(p);
    }
    out.drawImage(0, 0, m_frame);
}

void SheetView::paintFrame(QPainter &p) {
    const QRect vp = viewport()->rect();
    p.fillRect(vp, palette().color(QPalette::Base));
    const QRect area = dataArea();
    const int xScroll = horizontalScrollBar()->value();
    const int yScroll = verticalScrollBar()->value();

    int firstCol = std::max(1, m_cols.indexAt(xScroll));
    int lastCol = std::min(m_cols.count(), m_cols.indexAt(xScroll + std::max(0, area.width() - 1)));
    int firstRow = std::max(1, m_rows.indexAt(yScroll));
    int lastRow =
        std::min(m_rows.count(), m_rows.indexAt(yScroll + std::max(0, area.height() - 1)));

    if (area.width() > 0 && area.height() > 0 && firstCol <= lastCol && firstRow <= lastRow) {
        p.save();
        p.setClipRect(area);
        // A merged block is drawn once, from the first of its cells met in view; the rest
        // of its cells are skipped.
        std::unordered_set<std::uint64_t> drawn;
        // The last run found down each column: the rows below it in view belong to it
        // without walking the run again (a merged column may hold one run of a million rows).
        std::vector<Span> columnRun(std::size_t(lastCol - firstCol + 1), Span{0, 0, 0, 0});
        for (int row = firstRow; row <= lastRow; ++row) {
            if (m_rows.size(row) == 0)
                continue;
            for (int col = firstCol; col <= lastCol; ++col) {
                if (m_cols.size(col) == 0)
                    continue;
                Span &run = columnRun[std::size_t(col - firstCol)];
                if (run.col == col && run.col2 == col && row > run.row && row <= run.row2)
                    continue;  // drawn with the run's first cell in view
                Span span = spanOf(col, row);
                if (span.col == col && span.col2 == col && span.row2 > span.row)
                    run = span;
                if (!span.single() && !drawn.insert(spanKey(span.col, span.row)).second)
                    continue;
                paintCell(p, span, spanRect(span));
            }
        }
        p.restore();
    }
    paintHeaders(p, firstCol, lastCol, firstRow, lastRow);
}

void SheetView::paintCell(QPainter &p, const Span &span, const QRect &rect) {
    // The style as the sheet's conditional formats leave it, as the page painter prints it.
    const print::CellPaint paint = print::cellPaint(*m_sheet, span.col, span.row);
    const grid::CellStyle &st = paint.style;
    // A data cell shows as its column's format shows it.
    const grid::CellDisplay shown =
        grid::cellDisplay(m_sheet->text(span.col, span.row),
                          span.row >= 1 ? m_sheet->colFormat(span.col) : grid::ColumnFormat{},
                          grid::numberSeparators());
    const QString &caption = shown.text;
    p.fillRect(rect, st.background.isValid() ? st.background : palette().color(QPalette::Base));

    if (st.kind == grid::CellKind::Button) {
        QStyleOptionButton opt;
        opt.initFrom(viewport());
        opt.rect = rect.adjusted(0, 0, -1, -1);
        opt.state = QStyle::State_Enabled;
        const bool down = m_pressedButton == QPoint(span.col, span.row) && m_buttonUnderMouse;
        opt.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        if (st.background.isValid())
            opt.palette.setColor(QPalette::Button, st.background);
        style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, viewport());
        QRect inner = rect.adjusted(2, 1, -2, -1);
        if (down)
            inner.translate(1, 1);
        paintContent(p, inner, 0, st, caption, shown.number, shown.formatted);
    } else {
        if (paint.bar) {
            const QRectF bar = print::barRect(QRectF(rect), *paint.bar, kBarInset);
            if (!bar.isEmpty())
                p.fillRect(bar, paint.barColor);
        }
        if (isSelected(span))
            p.fillRect(rect, kSelectionTint);
        paintContent(p, rect, kCellPadding, st, caption, shown.number, shown.formatted);
    }

    if (m_gridLines) {
        p.setPen(m_gridColor);
        p.drawLine(rect.topRight(), rect.bottomRight());
        p.drawLine(rect.bottomLeft(), rect.bottomRight());
    }
    if (st.border) {
        p.setPen(st.borderColor.isValid() ? st.borderColor : QColor(print::kDefaultBorderGrey));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    const bool active = span.col <= m_activeCol && m_activeCol <= span.col2 &&
                        span.row <= m_activeRow && m_activeRow <= span.row2;
    if (active && hasFocus() && st.kind != grid::CellKind::Button) {
        p.setPen(QPen(palette().color(QPalette::Text), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect.adjusted(1, 1, -1, -1));
    }
}

// Text, or a picture with its caption, laid out in `cell` as the page painter lays it out
// (print::cellContentBoxes): the picture scaled to the cell, a text with line breaks over lines.
void SheetView::paintContent(QPainter &p, const QRect &cell, int padding, const grid::CellStyle &st,
                             const QString &caption, bool number, bool formatted) {
    if (cell.width() <= 0 || cell.height() <= 0)
        return;
    const bool withPicture =
        (st.kind == grid::CellKind::Button || st.kind == grid::CellKind::Picture) &&
        !st.pictureKey.isEmpty();
    const QPixmap pm = withPicture ? m_sheet->picture(st.pictureKey) : QPixmap();
    const print::CellContentBoxes boxes = print::cellContentBoxes(
        QRectF(cell), padding, st, pm.isNull() ? QSizeF() : QSizeF(pm.size()));
    p.save();
    p.setClipRect(cell, Qt::IntersectClip);
    if (!boxes.picture.isEmpty())
        p.drawPixmap(boxes.picture, pm, QRectF(pm.rect()));
    const QRectF &box = boxes.text;
    if (!caption.isEmpty() && box.width() > 0 && box.height() > 0) {
        p.setClipRect(box, Qt::IntersectClip);
        const QFont font = print::cellFont(st.font);
        p.setFont(font);
        p.setPen(st.foreground.isValid() ? st.foreground : QColor(Qt::black));
        const Qt::Alignment h = qtAlignment(print::cellTextAlign(st, caption, false, number));
        const QFontMetricsF metrics(font, p.device());
        const double width = metrics.horizontalAdvance(caption);
        if (print::laysOutLines(caption, width, box.width(), false)) {
            print::drawLaidOut(p, font, box, caption, h, true);
        } else {
            // A number too wide for its cell is drawn smaller, rounded or shown as "#" marks,
            // as on paper, rather than cut to digits that read as another number.
            const print::FittedText fitted =
                print::fitCellText(caption, number, formatted, box.width(),
                                   [&](const QString &t) { return metrics.horizontalAdvance(t); });
            if (fitted.scale < 1.0) {
                QFont smaller = font;
                smaller.setPointSizeF(font.pointSizeF() * fitted.scale);
                p.setFont(smaller);
            }
            p.drawText(box, int(h | Qt::AlignVCenter) | Qt::TextSingleLine, fitted.text);
        }
    }
    p.restore();
}

void SheetView::paintHeaders(QPainter &p, int firstCol, int lastCol, int firstRow, int lastRow) {
    const QRect area = dataArea();
    const grid::Sheet &s = *m_sheet;
    auto headerCell = [&](const QRect &rect, const QString &text, const grid::CellStyle &st) {
        p.fillRect(rect, st.background.isValid() ? st.background : kHeaderBackground);
        p.setPen(kHeaderLine);
        p.drawLine(rect.topRight(), rect.bottomRight());
        p.drawLine(rect.bottomLeft(), rect.bottomRight());
        p.setFont(print::cellFont(st.font));
        p.setPen(st.foreground.isValid() ? st.foreground : QColor(Qt::black));
        const Qt::Alignment h = qtAlignment(print::cellTextAlign(st, text, true, false));
        const QRectF box = QRectF(rect).adjusted(kCellPadding, 0, -kCellPadding, 0);
        // A header text too long for one line takes several, as on paper.
        const QFont font = print::cellFont(st.font);
        const double width = QFontMetricsF(font, p.device()).horizontalAdvance(text);
        if (print::laysOutLines(text, width, box.width(), true)) {
            p.save();
            p.setClipRect(box, Qt::IntersectClip);
            print::drawLaidOut(p, font, box, text, h, true);
            p.restore();
        } else {
            p.drawText(box, int(h | Qt::AlignVCenter) | Qt::TextSingleLine, text);
        }
    };

    if (m_headerHeight > 0 && firstCol <= lastCol) {
        p.save();
        p.setClipRect(QRect(area.left(), 0, area.width(), m_headerHeight));
        for (int col = firstCol; col <= lastCol; ++col) {
            if (m_cols.size(col) == 0)
                continue;
            Span span = spanOf(col, 0);
            if (span.col < col && span.col >= firstCol)
                continue;  // drawn with the first cell of its merge
            QRect rect = spanRect(span);
            headerCell(rect, print::columnLabel(s, span.col), s.style(span.col, 0));
            col = std::max(col, span.col2);
        }
        p.restore();
    }
    if (m_headerWidth > 0 && firstRow <= lastRow) {
        p.save();
        p.setClipRect(QRect(0, area.top(), m_headerWidth, area.height()));
        for (int row = firstRow; row <= lastRow; ++row) {
            if (m_rows.size(row) == 0)
                continue;
            headerCell(cellRect(0, row), print::rowLabel(s, row), s.style(0, row));
        }
        p.restore();
    }
    if (m_headerWidth > 0 && m_headerHeight > 0)
        headerCell(QRect(0, 0, m_headerWidth, m_headerHeight), s.text(0, 0), s.style(0, 0));
}

}  // namespace tessel::widgets
