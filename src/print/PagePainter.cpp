#include "print/PagePainter.h"

#include "charts/ChartData.h"
#include "charts/ChartPainter.h"
#include "grid/CellNumber.h"
#include "grid/ColumnFormat.h"
#include "print/CellContentLayout.h"
#include "print/CellLayout.h"
#include "print/CellLook.h"
#include "print/FontWidths.h"
#include "print/PageCells.h"
#include "print/PdfText.h"
#include "print/PrintFonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <tuple>

namespace tessel::print {

namespace {

constexpr double kGridPen = 0.5;      // points
constexpr double kBorderPen = 1.0;    // points
constexpr double kShadowDepth = 3.0;  // points
constexpr double kBarInset = 1.5;     // points between a data bar and its cell's edges
const QColor kGridColor(kGridLineGrey);
const QColor kShadowColor(128, 128, 128);
// The fill of page-total rows on a sheet that has no subtotal row to take one from.
const QColor kExtraRowFill(242, 242, 242);

QColor printColor(const QColor &c, bool colour) {
    if (colour || !c.isValid()) {
        return c;
    }
    const int g = qGray(c.rgb());
    return QColor(g, g, g, c.alpha());
}

struct PrintFontEntry {
    grid::CellFont key;
    QFont font;
    const FontWidths *widths = nullptr;
    int index = 0;  // the order in which the page first used the font
};

// Fonts are built once per distinct cell font within a page.
class FontCache {
public:
    explicit FontCache(const QPainter &painter) : m_painter(painter) {}
    const PrintFontEntry &get(const grid::CellFont &f) {
        for (const auto &entry : m_fonts) {
            if (entry->key == f) {
                return *entry;
            }
        }
        auto entry = std::make_unique<PrintFontEntry>();
        entry->key = f;
        entry->index = int(m_fonts.size());
        entry->font = printFont(f, m_painter);
        entry->widths = &fontWidths(entry->font);
        m_fonts.push_back(std::move(entry));
        return *m_fonts.back();
    }

private:
    const QPainter &m_painter;
    std::vector<std::unique_ptr<PrintFontEntry>> m_fonts;
};

// Joins touching collinear segments, so a grid costs a line per row and column boundary
// rather than two per cell. Horizontal segments have y1 == y2, vertical ones x1 == x2.
std::vector<QLineF> joinSegments(std::vector<QLineF> h, std::vector<QLineF> v) {
    constexpr double eps = 1e-6;
    std::vector<QLineF> out;
    std::sort(h.begin(), h.end(), [](const QLineF &a, const QLineF &b) {
        return a.y1() != b.y1() ? a.y1() < b.y1() : a.x1() < b.x1();
    });
    for (const QLineF &l : h) {
        if (!out.empty() && std::abs(out.back().y1() - l.y1()) < eps &&
            l.x1() <= out.back().x2() + eps) {
            out.back().setP2(QPointF(std::max(out.back().x2(), l.x2()), l.y1()));
        } else {
            out.push_back(l);
        }
    }
    const std::size_t firstVertical = out.size();
    std::sort(v.begin(), v.end(), [](const QLineF &a, const QLineF &b) {
        return a.x1() != b.x1() ? a.x1() < b.x1() : a.y1() < b.y1();
    });
    for (const QLineF &l : v) {
        if (out.size() > firstVertical && std::abs(out.back().x1() - l.x1()) < eps &&
            l.y1() <= out.back().y2() + eps) {
            out.back().setP2(QPointF(l.x1(), std::max(out.back().y2(), l.y2())));
        } else {
            out.push_back(l);
        }
    }
    return out;
}

// The first subtotal row of the sheet, 0 when it has none.
int firstSubtotalRow(const grid::Sheet &sheet) {
    for (const auto &[row, mark] : sheet.rowMarks()) {
        if (mark.kind == grid::RowKind::Subtotal) {
            return row;
        }
    }
    return 0;
}

class PagePainter {
    // A cell's fill, bar or border, and its text, as they wait to be painted (flushCells).
    struct PendingRect {
        QRectF rect;
        QRgb colour;
    };
    struct PendingText {
        QRectF rect;
        QString text;
        TextAlign align;
        const PrintFontEntry *font;
        QRgb colour;
        bool header;
        bool numeric;
        bool formatted;
    };

public:
    PagePainter(const grid::Sheet &sheet, const Pagination &pagination, int page, QPainter &painter)
        : m_sheet(sheet),
          m_pagination(pagination),
          m_settings(pagination.settings()),
          m_layout(pagination.layout(page)),
          m_cols(pagination.columns(page)),
          m_rows(pageRows(sheet, m_layout)),
          m_painter(painter),
          m_fonts(painter) {}

    void paint(const Pagination &pagination) {
        if (m_layout.tablePage)
            paintTable(pagination);
        paintCharts();
        paintCodeLines(pagination.headerLines(), 0, m_layout.headerLines);
        // The page holds the last footer lines when not all of them fit.
        const std::size_t footerSkipped =
            pagination.footerLines().size() -
            std::min(pagination.footerLines().size(), m_layout.footerLines.size());
        paintCodeLines(pagination.footerLines(), footerSkipped, m_layout.footerLines);
    }

private:
    void paintTable(const Pagination &pagination) {
        // The table is drawn in table points; fit to pages wide scales it onto the paper.
        const bool scaled = pagination.scale() != 1;
        if (scaled) {
            m_painter.save();
            m_painter.setTransform(pagination.tableTransform(), true);
        }
        if (m_settings.shadows) {
            paintShadow();
        }
        paintCells();
        if (!m_layout.colHeader.isEmpty()) {
            paintColumnHeader();
        }
        if (!m_layout.rowHeader.isEmpty()) {
            paintRowHeader();
        }
        flushCells();
        if (m_settings.gridLines) {
            m_painter.setPen(QPen(kGridColor, kGridPen));
            const std::vector<QLineF> lines = joinSegments(std::move(m_hGrid), std::move(m_vGrid));
            m_painter.drawLines(lines.data(), int(lines.size()));
        }
        if (m_settings.border) {
            m_painter.setPen(QPen(Qt::black, kBorderPen));
            m_painter.setBrush(Qt::NoBrush);
            m_painter.drawRect(m_layout.table);
        }
        if (scaled) {
            m_painter.restore();
            m_penColor = QColor();
            m_currentFont = nullptr;
        }
    }

    // The charts are drawn from the sheet's rows as they are now; a chart whose points cannot
    // be made was told about when the report was built and stays blank here.
    void paintCharts() {
        if (m_layout.charts.empty())
            return;
        for (const PlacedChart &placed : m_layout.charts) {
            if (placed.chart < 0 || std::size_t(placed.chart) >= m_sheet.charts().size())
                continue;
            const charts::ChartDataResult data =
                charts::chartData(m_sheet, m_sheet.charts()[std::size_t(placed.chart)]);
            if (data.data)
                charts::paintChart(*data.data, placed.rect, m_painter);
        }
        // paintChart leaves the painter as it found it, not the pen and font this painter
        // remembers having set.
        m_penColor = QColor();
        m_currentFont = nullptr;
    }

    void paintShadow() {
        const QRectF &t = m_layout.table;
        if (t.isEmpty()) {
            return;
        }
        m_painter.fillRect(QRectF(t.right(), t.top() + kShadowDepth, kShadowDepth, t.height()),
                           kShadowColor);
        m_painter.fillRect(QRectF(t.left() + kShadowDepth, t.bottom(), t.width(), kShadowDepth),
                           kShadowColor);
    }

    // One cell, or a merged group of equal cells, drawn in `rect` with the style of its
    // first cell. The right and bottom grid lines are drawn here, so no grid line runs
    // through a merged group.
    // `number` says whether a data cell's text reads as a number (its column's format decides);
    // unset, the text itself does.
    // `bar` is a data bar's share of the cell's width, drawn under the text in `barColor`.
    void paintCell(const QRectF &rect, const QString &text, const grid::CellStyle &style,
                   bool header, std::optional<bool> number = std::nullopt,
                   std::optional<double> bar = std::nullopt, const QColor &barColor = QColor(),
                   bool formatted = false) {
        if (style.background.isValid()) {
            m_fills.push_back({rect, printColor(style.background, m_settings.color).rgba()});
        }
        if (bar) {
            // A filled rectangle, which stays vector in a PDF.
            const QRectF barArea = barRect(rect, *bar, kBarInset);
            if (!barArea.isEmpty())
                m_bars.push_back({barArea, printColor(barColor, m_settings.color).rgba()});
        }
        if (m_settings.gridLines) {
            m_vGrid.emplace_back(rect.topRight(), rect.bottomRight());
            m_hGrid.emplace_back(rect.bottomLeft(), rect.bottomRight());
        }
        if (style.border) {
            const QColor c =
                style.borderColor.isValid() ? style.borderColor : QColor(kDefaultBorderGrey);
            m_borders.push_back({rect, printColor(c, m_settings.color).rgba()});
        }
        QRectF textRect = rect.adjusted(kCellPaddingPoints, 0, -kCellPaddingPoints, 0);
        if ((style.kind == grid::CellKind::Picture || style.kind == grid::CellKind::Button) &&
            !style.pictureKey.isEmpty()) {
            const QPixmap pm = m_sheet.picture(style.pictureKey);
            const CellContentBoxes boxes = cellContentBoxes(
                rect, kCellPaddingPoints, style, pm.isNull() ? QSizeF() : QSizeF(pm.size()));
            if (!boxes.picture.isEmpty()) {
                flushShapes();  // the picture goes over the cell's fill
                m_painter.drawPixmap(boxes.picture, pm, pm.rect());
            }
            textRect = boxes.text;
        }
        if (text.isEmpty() || textRect.width() <= 0 || textRect.height() <= 0) {
            return;
        }
        const bool numeric = !header && number.value_or(grid::readsAsNumber(text));
        const TextAlign align = cellTextAlign(style, text, header, numeric);
        const QColor fg = printColor(
            style.foreground.isValid() ? style.foreground : QColor(Qt::black), m_settings.color);
        m_texts.push_back({textRect, text, align, &m_fonts.get(style.font), fg.rgba(), header,
                           numeric, formatted});
    }

    // Cells are painted in layers once they are all known: fills, bars, borders, then texts.
    // Cells never overlap, so the page looks as if painted cell by cell, but each layer is
    // drawn grouped by colour (texts by font and colour): where rules give cells fills, colours
    // or bold, the painter (and a PDF's graphics state) changes once per group rather than at
    // every such cell, which keeps such a page about as fast as a plain one.
    void flushCells() {
        flushShapes();
        std::stable_sort(m_texts.begin(), m_texts.end(),
                         [](const PendingText &a, const PendingText &b) {
                             return a.font->index != b.font->index ? a.font->index < b.font->index
                                                                   : a.colour < b.colour;
                         });
        for (const PendingText &t : m_texts) {
            if (&t.font->font != m_currentFont) {
                m_painter.setFont(t.font->font);
                m_currentFont = &t.font->font;
            }
            const QColor fg = QColor::fromRgba(t.colour);
            if (fg != m_penColor) {
                m_painter.setPen(fg);
                m_penColor = fg;
            }
            drawCellText(t.rect, t.text, t.align, *t.font, t.header, t.numeric, t.formatted);
        }
        m_texts.clear();
    }

    void flushShapes() {
        fillGrouped(m_fills);
        fillGrouped(m_bars);
        if (!m_borders.empty()) {
            m_painter.setBrush(Qt::NoBrush);
            for (const PendingRect &b : m_borders) {
                m_painter.setPen(QPen(QColor::fromRgba(b.colour), kGridPen));
                m_painter.drawRect(b.rect);
            }
            m_borders.clear();
            m_penColor = QColor();
        }
    }

    // One brush per colour for all its rectangles.
    void fillGrouped(std::vector<PendingRect> &rects) {
        if (rects.empty()) {
            return;
        }
        std::stable_sort(
            rects.begin(), rects.end(),
            [](const PendingRect &a, const PendingRect &b) { return a.colour < b.colour; });
        m_painter.setPen(Qt::NoPen);
        std::vector<QRectF> group;
        for (std::size_t i = 0; i < rects.size();) {
            group.clear();
            const QRgb colour = rects[i].colour;
            for (; i < rects.size() && rects[i].colour == colour; ++i) {
                group.push_back(rects[i].rect);
            }
            m_painter.setBrush(QColor::fromRgba(colour));
            m_painter.drawRects(group.data(), int(group.size()));
        }
        m_painter.setBrush(Qt::NoBrush);
        rects.clear();
        m_penColor = QColor();
    }

    // One line of text, placed by the cached widths. Texts with line breaks or characters
    // measured only in context, and header texts too long for one line, are laid out by Qt,
    // wrapped and clipped.
    void drawCellText(const QRectF &rect, const QString &text, TextAlign align,
                      const PrintFontEntry &font, bool wrap, bool numeric, bool formatted) {
        const double size = cellPoints(font.key);
        noteUndrawable(font.font, text);
        const double width = font.widths->width(text, size);
        if (laysOutLines(text, width, rect.width(), wrap)) {
            m_painter.save();
            m_painter.setClipRect(rect);
            // The text's own direction orders its runs, so a right-to-left text reads from
            // the right even where it holds left-to-right words or digits.
            const Qt::Alignment qtAlign = align == TextAlign::Right    ? Qt::AlignRight
                                          : align == TextAlign::Center ? Qt::AlignHCenter
                                                                       : Qt::AlignLeft;
            drawLaidOut(m_painter, font.font, rect, text, qtAlign, true);
            m_painter.restore();
            return;
        }
        QString shown = text;
        double shownWidth = width;
        double scale = 1.0;
        if (width > rect.width() + 0.01) {
            // Clipping costs the PDF a graphics state per cell: print the characters that fit
            // instead. A number is not cut (a cut number reads as another number): a formatted
            // one is drawn smaller, others rounded to the decimals that fit, or "#" marks, as
            // on screen.
            if (numeric) {
                const FittedText fitted =
                    fitCellText(text, true, formatted, rect.width() + 0.01,
                                [&](const QString &t) { return font.widths->width(t, size); });
                shown = fitted.text;
                scale = fitted.scale;
            } else {
                shown = text.left(font.widths->fit(text, size, rect.width()));
            }
            shownWidth = font.widths->width(shown, size) * scale;
            if (shown.isEmpty()) {
                return;
            }
        }
        double x = rect.left();
        if (align == TextAlign::Right) {
            x = rect.right() - shownWidth;
        } else if (align == TextAlign::Center) {
            x = rect.center().x() - shownWidth / 2;
        }
        const double baseline =
            rect.center().y() +
            (font.widths->ascent(size) - font.widths->descent(size)) * scale / 2;
        if (scale < 1.0) {
            // Rare, a number a little too wide: its own font for this one text.
            QFont smaller = font.font;
            smaller.setPointSizeF(font.font.pointSizeF() * scale);
            m_painter.setFont(smaller);
            m_painter.drawText(QPointF(x, baseline), shown);
            m_painter.setFont(font.font);
            return;
        }
        m_painter.drawText(QPointF(x, baseline), shown);
    }

    // Data cells, a merged group as one cell drawn with the text and style of its first
    // printed cell. A group split by a page break shows its text on each page.
    void paintCells() {
        const grid::Separators separators = grid::numberSeparators();
        for (const PageBlock &b : cellBlocks(m_sheet, m_cols, m_rows)) {
            const PageColumn &first = m_cols[b.ci];
            const PageRow &top = m_rows[b.ri];
            const double width = m_cols[b.cj].x + m_cols[b.cj].width - first.x;
            const double height = m_rows[b.rj].y + m_rows[b.rj].h - top.y;
            if (!top.fromSheet()) {
                const grid::CellDisplay shown =
                    extraRowCell(m_sheet, m_pagination, m_layout, m_cols, top.kind, first.col);
                paintCell(QRectF(first.x, top.y, width, height), shown.text,
                          extraRowStyle(first.col), false, shown.number, std::nullopt, QColor(),
                          shown.formatted);
                continue;
            }
            // A data cell prints as its column's format shows it.
            const grid::CellDisplay shown =
                top.row >= 1 ? grid::cellDisplay(m_sheet.text(first.col, top.row),
                                                 m_sheet.colFormat(first.col), separators)
                             : grid::CellDisplay{m_sheet.text(first.col, top.row), false};
            // The style as the sheet's conditional formats leave it, as the sheet view shows it.
            const CellPaint paint = cellPaint(m_sheet, first.col, top.row);
            paintCell(QRectF(first.x, top.y, width, height), shown.text, paint.style, false,
                      top.row >= 1 ? std::optional<bool>(shown.number) : std::nullopt, paint.bar,
                      paint.barColor, shown.formatted);
        }
    }

    // Page-total and carried rows look like the sheet's subtotal rows: the style of the
    // first subtotal row's cell in the column, else the column's in bold on a light fill.
    const grid::CellStyle &extraRowStyle(int col) {
        if (m_subtotalRow < 0) {
            m_subtotalRow = firstSubtotalRow(m_sheet);
        }
        if (m_subtotalRow > 0) {
            return m_sheet.style(col, m_subtotalRow);
        }
        auto found = m_extraStyles.find(col);
        if (found == m_extraStyles.end()) {
            grid::CellStyle style = m_sheet.style(col, m_layout.firstRow);
            style.font.bold = true;
            style.background = kExtraRowFill;
            found = m_extraStyles.emplace(col, style).first;
        }
        return found->second;
    }

    void paintColumnHeader() {
        const QRectF &area = m_layout.colHeader;
        for (const PageBlock &b : headerBlocks(m_sheet, m_cols)) {
            const int col = m_cols[b.ci].col;
            const QString text = columnLabel(m_sheet, col);
            const double width = m_cols[b.cj].x + m_cols[b.cj].width - m_cols[b.ci].x;
            paintCell(QRectF(m_cols[b.ci].x, area.top(), width, area.height()), text,
                      m_sheet.style(col, 0), true);
        }
        if (!m_layout.rowHeader.isEmpty()) {
            // The corner above the row headers.
            paintCell(QRectF(m_layout.rowHeader.left(), area.top(), m_layout.rowHeader.width(),
                             area.height()),
                      m_sheet.text(0, 0), m_sheet.style(0, 0), true);
        }
        paintTopLeftGrid(area);
    }

    void paintRowHeader() {
        const QRectF &area = m_layout.rowHeader;
        for (const PageRow &r : m_rows) {
            const QString text = r.fromSheet() ? rowLabel(m_sheet, r.row) : QString();
            paintCell(QRectF(area.left(), r.y, area.width(), r.h), text, m_sheet.style(0, r.row),
                      true);
        }
        paintTopLeftGrid(area);
    }

    // Cells draw their right and bottom edges; the table's outer top and left edges are
    // drawn once here.
    void paintTopLeftGrid(const QRectF &area) {
        if (!m_settings.gridLines) {
            return;
        }
        const QRectF &t = m_layout.table;
        m_hGrid.emplace_back(QPointF(t.left(), area.top()), QPointF(area.right(), area.top()));
        m_vGrid.emplace_back(QPointF(t.left(), t.top()), QPointF(t.left(), area.bottom()));
    }

    // Each part is laid out as one piece of text made of its runs, every run in its own font
    // on a common baseline; the page number prints as the page's own number. Paints lines
    // first, first + 1, ... of `all`: line first + i in rects[i].
    void paintCodeLines(const std::vector<PrintedLine> &all, std::size_t first,
                        const std::vector<QRectF> &rects) {
        struct Piece {
            QString text;
            QFont font;
            double width;
        };
        std::vector<Piece> pieces;
        const PrintedLine *lines = all.data() + first;
        for (std::size_t i = 0; first + i < all.size() && i < rects.size(); ++i) {
            const QRectF &rect = rects[i];
            for (int pos = 0; pos < 3; ++pos) {
                const std::vector<CodeRun> &runs = lines[i].parts[pos];
                if (runs.empty()) {
                    continue;
                }
                pieces.clear();
                double total = 0, ascent = 0, descent = 0;
                for (const CodeRun &run : runs) {
                    const CodeFont &f = run.font;
                    Piece piece{run.pageNumber ? QString::number(m_layout.number) : run.text,
                                printFont(f.name, f.size > 0 ? f.size : kDefaultCodeFontSize,
                                          f.bold, f.italic, f.underline, f.strikeout, m_painter),
                                0};
                    noteUndrawable(piece.font, piece.text);
                    const QFontMetricsF metrics(piece.font, m_painter.device());
                    piece.width = metrics.horizontalAdvance(piece.text);
                    total += piece.width;
                    ascent = std::max(ascent, metrics.ascent());
                    descent = std::max(descent, metrics.descent());
                    pieces.push_back(std::move(piece));
                }
                double x = rect.left();
                if (pos == int(CodePos::Center)) {
                    x = rect.center().x() - total / 2;
                } else if (pos == int(CodePos::Right)) {
                    x = rect.right() - total;
                }
                const double baseline = rect.center().y() + (ascent - descent) / 2;
                m_painter.setPen(Qt::black);
                for (const Piece &piece : pieces) {
                    m_painter.setFont(piece.font);
                    if (laidOutByQt(piece.text)) {
                        drawLaidOutLine(m_painter, piece.font, QPointF(x, baseline), piece.text);
                    } else {
                        m_painter.drawText(QPointF(x, baseline), piece.text);
                    }
                    x += piece.width;
                }
                m_penColor = Qt::black;
                m_currentFont = nullptr;
            }
        }
    }

    const grid::Sheet &m_sheet;
    const Pagination &m_pagination;
    const grid::PrintSettings &m_settings;
    PageLayout m_layout;
    std::vector<PageColumn> m_cols;
    std::vector<PageRow> m_rows;
    QPainter &m_painter;
    FontCache m_fonts;
    const QFont *m_currentFont = nullptr;  // the font last set on the painter
    QColor m_penColor;                     // the pen colour last set; invalid: unknown
    std::vector<QLineF> m_hGrid;           // grid segments, drawn at once at the end
    std::vector<QLineF> m_vGrid;
    std::vector<PendingRect> m_fills;  // the cells' layers, painted by flushCells
    std::vector<PendingRect> m_bars;
    std::vector<PendingRect> m_borders;
    std::vector<PendingText> m_texts;
    int m_subtotalRow = -1;  // the first subtotal row once looked up; 0: none
    std::map<int, grid::CellStyle> m_extraStyles;
};

}  // namespace

void paintPage(const grid::Sheet &sheet, const Pagination &pagination, int page,
               QPainter &painter) {
    setupPrintFonts();
    PagePainter pp(sheet, pagination, page, painter);
    painter.save();
    pp.paint(pagination);
    painter.restore();
}

}  // namespace tessel::print
