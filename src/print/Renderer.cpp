#include "print/Renderer.h"

#include "grid/ColumnFormat.h"
#include "grid/NumberFit.h"
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

// The installed family that carries Chinese glyphs, substituted for Chinese families the
// system does not have.
const QString kChineseFallback = QStringLiteral("WenQuanYi Micro Hei");
const QString kDefaultFamily = QStringLiteral("宋体");

constexpr double kMinFontSize = 0.1;  // points; smaller sizes print at this size
constexpr double kCellPadding = 2.0;  // points between a cell's edge and its text
constexpr double kGridPen = 0.5;      // points
constexpr double kBorderPen = 1.0;    // points
constexpr double kShadowDepth = 3.0;  // points
const QColor kGridColor(192, 192, 192);
const QColor kShadowColor(128, 128, 128);
const QColor kDefaultBorderColor(128, 128, 128);

QColor printColor(const QColor &c, bool colour) {
    if (colour || !c.isValid()) {
        return c;
    }
    const int g = qGray(c.rgb());
    return QColor(g, g, g, c.alpha());
}

// Column letters of the spreadsheet convention: A..Z, AA..
QString columnLetters(int col) {
    QString s;
    while (col > 0) {
        const int rem = (col - 1) % 26;
        s.prepend(QChar(u'A' + rem));
        col = (col - 1) / 26;
    }
    return s;
}

// Characters whose glyphs depend on their neighbours or whose text runs right to left:
// Hebrew, Arabic, Syriac, Thaana, the Indic and South-East Asian scripts, joiners, direction
// marks and the Arabic and Hebrew presentation forms. Texts holding one are laid out by Qt.
bool contextual(char16_t c) {
    return (c >= 0x0590 && c <= 0x10FF) || (c >= 0x1700 && c <= 0x1CFF) ||
           (c >= 0x200C && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || (c >= 0xA800 && c <= 0xABFF) ||
           (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF);
}

// Whether a text holds characters drawn in context (surrogate pairs, marks, controls,
// contextual scripts), which are laid out by Qt rather than placed by cached widths.
bool laidOutByQt(const QString &text) {
    return std::any_of(text.begin(), text.end(), [](QChar ch) {
        return ch.isSurrogate() || ch.isMark() || ch.category() == QChar::Other_Control ||
               contextual(ch.unicode());
    });
}

bool looksNumeric(const QString &text) {
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

// Advance widths of one family and style, measured once per character on an unhinted
// reference font and scaled: unhinted advances grow linearly with the size. Laying a cell's
// text out by these widths avoids a second text layout just to align or clip it.
class FontWidths {
public:
    explicit FontWidths(const QFont &font) : m_metrics(reference(font)), m_advance(0x10000, -1.f) {}

    // Width of `text` at `points`, or -1 when the text holds characters measured only in
    // context (surrogate pairs, combining marks, controls, shaped and right-to-left scripts).
    double width(const QString &text, double points) const {
        double sum = 0;
        for (const QChar ch : text) {
            const double a = advance(ch);
            if (a < 0) {
                return -1;
            }
            sum += a;
        }
        return sum * points / kReferenceSize;
    }
    // How many leading characters of `text` fit into `available` points at `points`.
    int fit(const QString &text, double points, double available) const {
        const double limit = available * kReferenceSize / points;
        double sum = 0;
        int n = 0;
        for (const QChar ch : text) {
            const double a = advance(ch);
            if (a < 0 || sum + a > limit) {
                break;
            }
            sum += a;
            ++n;
        }
        return n;
    }
    double ascent(double points) const { return m_metrics.ascent() * points / kReferenceSize; }
    double descent(double points) const { return m_metrics.descent() * points / kReferenceSize; }

private:
    static constexpr int kReferenceSize = 100;  // pixels
    // Advance of one character at the reference size; -1 for one measured only in context.
    double advance(QChar ch) const {
        float &a = m_advance[ch.unicode()];
        if (a < 0) {
            if (ch.isSurrogate() || ch.isMark() || ch.category() == QChar::Other_Control ||
                contextual(ch.unicode())) {
                return -1;
            }
            a = float(m_metrics.horizontalAdvance(ch));
        }
        return a;
    }
    static QFont reference(QFont font) {
        font.setPixelSize(kReferenceSize);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setUnderline(false);
        font.setStrikeOut(false);
        return font;
    }
    QFontMetricsF m_metrics;
    mutable std::vector<float> m_advance;
};

// Widths per family and style, kept for the life of the thread: a report prints in a
// handful of fonts.
const FontWidths &fontWidths(const QFont &font) {
    thread_local std::map<std::tuple<QStringList, bool, bool>, std::unique_ptr<FontWidths>> cache;
    auto &slot = cache[{font.families(), font.bold(), font.italic()}];
    if (!slot) {
        slot = std::make_unique<FontWidths>(font);
    }
    return *slot;
}

struct PrintFontEntry {
    grid::CellFont key;
    QFont font;
    const FontWidths *widths = nullptr;
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
        entry->font =
            printFont(f.name, f.size, f.bold, f.italic, f.underline, f.strikeout, m_painter);
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

struct PageRow {
    int row;
    double y;
    double h;
};

// The rows a page prints, top to bottom, with their place on the paper; rows of height 0
// are left out, and a row that does not fit ends the list.
std::vector<PageRow> pageRows(const grid::Sheet &sheet, const PageLayout &layout) {
    std::vector<PageRow> rows;
    const double bottom = layout.cells.bottom();
    for (int r = layout.firstRow; r <= layout.lastRow; ++r) {
        const double y = rows.empty() ? layout.cells.top() : rows.back().y + rows.back().h;
        if (y >= bottom - 1e-9) {
            break;
        }
        const double h = sheet.rowHeight(r);
        if (h <= 0) {
            continue;
        }
        rows.push_back({r, y, std::min(h, bottom - y)});
    }
    return rows;
}

// A block of printed cells drawn as one: columns ci..cj and rows ri..rj, inclusive, as
// indices into the page's printed columns and rows.
struct PageBlock {
    std::size_t ci, ri, cj, rj;
};

// The blocks of a page's data cells, in drawing order (row by row, left to right). Which
// cells join is decided by mergeSpan within the page's rows and columns, as the view decides
// it on the whole sheet. Each block is looked up once, from its first printed cell; the
// cells it covers are marked and skipped, so a merged column costs one walk per run on the
// page, however long the run is in the sheet.
std::vector<PageBlock> cellBlocks(const grid::Sheet &sheet, const std::vector<PageColumn> &cols,
                                  const std::vector<PageRow> &rows) {
    std::vector<PageBlock> blocks;
    const std::size_t nRows = rows.size();
    const std::size_t nCols = cols.size();
    if (nRows == 0 || nCols == 0) {
        return blocks;
    }
    const grid::MergeWindow window{cols.front().col, cols.back().col, rows.front().row,
                                   rows.back().row};
    // covered[ci * nRows + ri]: the cell is part of a block drawn from another cell.
    std::vector<char> covered(nRows * nCols, 0);
    std::vector<char> colMerged(nCols);
    for (std::size_t ci = 0; ci < nCols; ++ci) {
        colMerged[ci] = sheet.colMerge(cols[ci].col) == grid::MergeMode::Always;
    }
    for (std::size_t ri = 0; ri < nRows; ++ri) {
        const int row = rows[ri].row;
        const bool rowMerged = sheet.rowMerge(row) == grid::MergeMode::Always;
        for (std::size_t ci = 0; ci < nCols; ++ci) {
            if (covered[ci * nRows + ri]) {
                continue;
            }
            if (!rowMerged && !colMerged[ci]) {
                blocks.push_back({ci, ri, ci, ri});  // no merge reaches this cell
                continue;
            }
            const grid::CellSpan span = grid::mergeSpan(sheet, cols[ci].col, row, window);
            // Hidden rows and columns inside the span take no room on the page.
            PageBlock b{ci, ri, ci, ri};
            while (b.rj + 1 < nRows && rows[b.rj + 1].row <= span.row2) {
                ++b.rj;
            }
            while (b.cj + 1 < nCols && cols[b.cj + 1].col <= span.col2) {
                ++b.cj;
            }
            for (std::size_t cj = b.ci; cj <= b.cj; ++cj) {
                for (std::size_t rj = b.ri; rj <= b.rj; ++rj) {
                    covered[cj * nRows + rj] = 1;
                }
            }
            blocks.push_back(b);
        }
    }
    return blocks;
}

// The blocks of the repeated column header row, left to right (ri and rj unused).
std::vector<PageBlock> headerBlocks(const grid::Sheet &sheet, const std::vector<PageColumn> &cols) {
    std::vector<PageBlock> blocks;
    if (cols.empty()) {
        return blocks;
    }
    const grid::MergeWindow window{cols.front().col, cols.back().col, 0, 0};
    std::size_t ci = 0;
    while (ci < cols.size()) {
        const grid::CellSpan span = grid::mergeSpan(sheet, cols[ci].col, 0, window);
        std::size_t cj = ci;
        while (cj + 1 < cols.size() && cols[cj + 1].col <= span.col2) {
            ++cj;
        }
        blocks.push_back({ci, 0, cj, 0});
        ci = cj + 1;
    }
    return blocks;
}

class PagePainter {
public:
    PagePainter(const grid::Sheet &sheet, const Pagination &pagination, int page, QPainter &painter)
        : m_sheet(sheet),
          m_settings(pagination.settings()),
          m_layout(pagination.layout(page)),
          m_cols(pagination.columns(page)),
          m_rows(pageRows(sheet, m_layout)),
          m_painter(painter),
          m_fonts(painter) {}

    void paint(const Pagination &pagination) {
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
        paintCodeLines(pagination.headerLines(), 0, m_layout.headerLines);
        // The page holds the last footer lines when not all of them fit.
        const std::size_t footerSkipped =
            pagination.footerLines().size() -
            std::min(pagination.footerLines().size(), m_layout.footerLines.size());
        paintCodeLines(pagination.footerLines(), footerSkipped, m_layout.footerLines);
    }

private:
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
    void paintCell(const QRectF &rect, const QString &text, const grid::CellStyle &style,
                   bool header, std::optional<bool> number = std::nullopt) {
        if (style.background.isValid()) {
            m_painter.fillRect(rect, printColor(style.background, m_settings.color));
        }
        if (m_settings.gridLines) {
            m_vGrid.emplace_back(rect.topRight(), rect.bottomRight());
            m_hGrid.emplace_back(rect.bottomLeft(), rect.bottomRight());
        }
        if (style.border) {
            const QColor c = style.borderColor.isValid() ? style.borderColor : kDefaultBorderColor;
            m_painter.setPen(QPen(printColor(c, m_settings.color), kGridPen));
            m_painter.setBrush(Qt::NoBrush);
            m_painter.drawRect(rect);
            m_penColor = QColor();
        }
        QRectF textRect = rect.adjusted(kCellPadding, 0, -kCellPadding, 0);
        if ((style.kind == grid::CellKind::Picture || style.kind == grid::CellKind::Button) &&
            !style.pictureKey.isEmpty()) {
            textRect = paintPicture(rect, textRect, style);
        }
        if (text.isEmpty() || textRect.width() <= 0 || textRect.height() <= 0) {
            return;
        }
        Qt::Alignment align = Qt::AlignLeft;
        const bool numeric = !header && number.value_or(looksNumeric(text));
        switch (style.align) {
            case grid::HAlign::Left:
                break;
            case grid::HAlign::Center:
                align = Qt::AlignHCenter;
                break;
            case grid::HAlign::Right:
                align = Qt::AlignRight;
                break;
            case grid::HAlign::General:
                if (header || style.kind == grid::CellKind::Button) {
                    align = Qt::AlignHCenter;
                } else if (numeric || text.isRightToLeft()) {
                    // A text that starts right to left (Arabic, Hebrew) begins at the right.
                    align = Qt::AlignRight;
                }
                break;
        }
        const PrintFontEntry &font = m_fonts.get(style.font);
        if (&font.font != m_currentFont) {
            m_painter.setFont(font.font);
            m_currentFont = &font.font;
        }
        const QColor fg = printColor(
            style.foreground.isValid() ? style.foreground : QColor(Qt::black), m_settings.color);
        if (fg != m_penColor) {
            m_painter.setPen(fg);
            m_penColor = fg;
        }
        drawCellText(textRect, text, align, font, header, numeric);
    }

    // One line of text, placed by the cached widths. Texts with line breaks or characters
    // measured only in context, and header texts too long for one line, are laid out by Qt,
    // wrapped and clipped.
    void drawCellText(const QRectF &rect, const QString &text, Qt::Alignment align,
                      const PrintFontEntry &font, bool wrap, bool numeric) {
        const double size = std::max(kMinFontSize, font.key.size);
        noteUndrawable(font.font, text);
        const double width = font.widths->width(text, size);
        if (width < 0 || (wrap && width > rect.width()) || text.contains(u'\n')) {
            m_painter.save();
            m_painter.setClipRect(rect);
            // The text's own direction orders its runs, so a right-to-left text reads from
            // the right even where it holds left-to-right words or digits.
            drawLaidOut(m_painter, font.font, rect, text, align, true);
            m_painter.restore();
            return;
        }
        QString shown = text;
        double shownWidth = width;
        if (width > rect.width() + 0.01) {
            // Clipping costs the PDF a graphics state per cell: print the characters that fit
            // instead. A number is not cut (a cut number reads as another number): it is
            // rounded to the decimals that fit, or prints as "#" marks, as on screen.
            if (numeric) {
                shown = grid::fitNumberText(text, rect.width() + 0.01, [&](const QString &t) {
                    const double w = font.widths->width(t, size);
                    return w < 0 ? rect.width() + 1 : w;
                });
            } else {
                shown = text.left(font.widths->fit(text, size, rect.width()));
            }
            shownWidth = font.widths->width(shown, size);
            if (shown.isEmpty()) {
                return;
            }
        }
        double x = rect.left();
        if (align == Qt::AlignRight) {
            x = rect.right() - shownWidth;
        } else if (align == Qt::AlignHCenter) {
            x = rect.center().x() - shownWidth / 2;
        }
        const double baseline =
            rect.center().y() + (font.widths->ascent(size) - font.widths->descent(size)) / 2;
        m_painter.drawText(QPointF(x, baseline), shown);
    }

    // Draws a cell's picture beside its caption; returns the space left for the caption.
    QRectF paintPicture(const QRectF &cell, const QRectF &textRect, const grid::CellStyle &style) {
        const QPixmap pm = m_sheet.picture(style.pictureKey);
        if (pm.isNull()) {
            return textRect;
        }
        const double side = std::min(cell.height(), cell.width());
        QRectF target(0, 0, side, side * pm.height() / std::max(1, pm.width()));
        if (style.pictureAlign == grid::PictureAlign::PictureOnly) {
            target.moveCenter(cell.center());
            m_painter.drawPixmap(target, pm, pm.rect());
            return QRectF();
        }
        if (style.pictureAlign == grid::PictureAlign::PictureLeftCaptionRight) {
            target.moveTopLeft(QPointF(cell.left(), cell.center().y() - target.height() / 2));
            m_painter.drawPixmap(target, pm, pm.rect());
            return textRect.adjusted(target.width(), 0, 0, 0);
        }
        target.moveTopRight(QPointF(cell.right(), cell.center().y() - target.height() / 2));
        m_painter.drawPixmap(target, pm, pm.rect());
        return textRect.adjusted(0, 0, -target.width(), 0);
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
            // A data cell prints as its column's format shows it.
            const grid::CellDisplay shown =
                top.row >= 1 ? grid::cellDisplay(m_sheet.text(first.col, top.row),
                                                 m_sheet.colFormat(first.col), separators)
                             : grid::CellDisplay{m_sheet.text(first.col, top.row), false};
            paintCell(QRectF(first.x, top.y, width, height), shown.text,
                      m_sheet.style(first.col, top.row), false,
                      top.row >= 1 ? std::optional<bool>(shown.number) : std::nullopt);
        }
    }

    void paintColumnHeader() {
        const QRectF &area = m_layout.colHeader;
        for (const PageBlock &b : headerBlocks(m_sheet, m_cols)) {
            const int col = m_cols[b.ci].col;
            const QString text =
                m_sheet.hasText(col, 0) ? m_sheet.text(col, 0) : columnLetters(col);
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
            const QString text =
                m_sheet.hasText(0, r.row) ? m_sheet.text(0, r.row) : QString::number(r.row);
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
                                printFont(f.name.isEmpty() ? kDefaultFamily : f.name,
                                          f.size > 0 ? f.size : kDefaultCodeFontSize, f.bold,
                                          f.italic, f.underline, f.strikeout, m_painter),
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
};

}  // namespace

void setupPrintFonts() {
    static std::once_flag once;
    std::call_once(once, [] {
        quietFontEngineNotes();
        // Families Chinese reports name that this system may not have.
        for (const char *family : {"宋体", "新宋体", "黑体", "楷体", "仿宋", "微软雅黑", "SimSun",
                                   "NSimSun", "SimHei", "KaiTi", "FangSong", "Microsoft YaHei"}) {
            const QString name = QString::fromUtf8(family);
            if (!QFontDatabase::hasFamily(name)) {
                QFont::insertSubstitution(name, kChineseFallback);
            }
        }
    });
}

QFont printFont(const QString &family, double points, bool bold, bool italic, bool underline,
                bool strikeout, const QPainter &painter) {
    QFont font;
    font.setFamilies(printFamilies(family.isEmpty() ? kDefaultFamily : family));
    // Point sizes are resolved with the device's resolution, then the painter's transform
    // applies; dividing by the resolution's share makes `points` the size in painter units.
    const QPaintDevice *device = painter.device();
    const int dpi = device ? device->logicalDpiY() : 72;
    font.setPointSizeF(std::max(kMinFontSize, points) * 72.0 / (dpi > 0 ? dpi : 72));
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeout);
    // Unhinted glyph advances keep text positions exact when the painter scales.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

std::vector<grid::CellSpan> printedBlocks(const grid::Sheet &sheet, const Pagination &pagination,
                                          int page) {
    const PageLayout layout = pagination.layout(page);
    const std::vector<PageColumn> cols = pagination.columns(page);
    const std::vector<PageRow> rows = pageRows(sheet, layout);
    std::vector<grid::CellSpan> out;
    if (pagination.printsColHeader()) {
        for (const PageBlock &b : headerBlocks(sheet, cols)) {
            out.push_back({cols[b.ci].col, 0, cols[b.cj].col, 0});
        }
    }
    for (const PageBlock &b : cellBlocks(sheet, cols, rows)) {
        out.push_back({cols[b.ci].col, rows[b.ri].row, cols[b.cj].col, rows[b.rj].row});
    }
    return out;
}

void paintPage(const grid::Sheet &sheet, const Pagination &pagination, int page,
               QPainter &painter) {
    setupPrintFonts();
    PagePainter pp(sheet, pagination, page, painter);
    painter.save();
    pp.paint(pagination);
    painter.restore();
}

}  // namespace tessel::print
