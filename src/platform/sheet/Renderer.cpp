#include "platform/sheet/Renderer.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace tessel::platform {

namespace {

// The installed family that carries Chinese glyphs; every printed font falls back to it.
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
    // context (surrogate pairs, combining marks, controls).
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
            if (ch.isSurrogate() || ch.isMark() || ch.category() == QChar::Other_Control) {
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
    CellFont key;
    QFont font;
    const FontWidths *widths = nullptr;
};

// Fonts are built once per distinct cell font within a page.
class FontCache {
public:
    explicit FontCache(const QPainter &painter) : m_painter(painter) {}
    const PrintFontEntry &get(const CellFont &f) {
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

class PagePainter {
public:
    PagePainter(const Sheet &sheet, const Pagination &pagination, int page, QPainter &painter)
        : m_sheet(sheet),
          m_settings(pagination.settings()),
          m_layout(pagination.layout(page)),
          m_cols(pagination.columns(page)),
          m_painter(painter),
          m_fonts(painter) {
        for (int r = m_layout.firstRow; r <= m_layout.lastRow; ++r) {
            const double bottom = m_layout.cells.bottom();
            double y = m_rows.empty() ? m_layout.cells.top() : m_rows.back().y + m_rows.back().h;
            if (y >= bottom - 1e-9) {
                break;
            }
            const double h = sheet.rowHeight(r);
            if (h <= 0) {
                continue;
            }
            m_rows.push_back({r, y, std::min(h, bottom - y)});
        }
    }

    void paint(const Pagination &pagination) {
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
    void paintCell(const QRectF &rect, const QString &text, const CellStyle &style, bool header) {
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
        if ((style.kind == CellKind::Picture || style.kind == CellKind::Button) &&
            !style.pictureKey.isEmpty()) {
            textRect = paintPicture(rect, textRect, style);
        }
        if (text.isEmpty() || textRect.width() <= 0 || textRect.height() <= 0) {
            return;
        }
        Qt::Alignment align = Qt::AlignLeft;
        const bool numeric = !header && looksNumeric(text);
        switch (style.align) {
            case HAlign::Left:
                break;
            case HAlign::Center:
                align = Qt::AlignHCenter;
                break;
            case HAlign::Right:
                align = Qt::AlignRight;
                break;
            case HAlign::General:
                if (header || style.kind == CellKind::Button) {
                    align = Qt::AlignHCenter;
                } else if (numeric) {
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
        const double width = font.widths->width(text, size);
        if (width < 0 || (wrap && width > rect.width()) || text.contains(u'\n')) {
            m_painter.save();
            m_painter.setClipRect(rect);
            m_painter.drawText(rect, int(align | Qt::AlignVCenter | Qt::TextWordWrap), text);
            m_painter.restore();
            return;
        }
        QString shown = text;
        double shownWidth = width;
        if (width > rect.width() + 0.01) {
            // Clipping costs the PDF a graphics state per cell: print the characters that fit
            // instead. A number is not cut (a cut number reads as another number): it prints
            // as "#" marks, the spreadsheet sign of a column too narrow for its value.
            if (numeric) {
                const double hash = font.widths->width(QStringLiteral("#"), size);
                shown = QString(hash > 0 ? int(rect.width() / hash) : 0, u'#');
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
    QRectF paintPicture(const QRectF &cell, const QRectF &textRect, const CellStyle &style) {
        const QPixmap pm = m_sheet.picture(style.pictureKey);
        if (pm.isNull()) {
            return textRect;
        }
        const double side = std::min(cell.height(), cell.width());
        QRectF target(0, 0, side, side * pm.height() / std::max(1, pm.width()));
        if (style.pictureAlign == PictureAlign::PictureOnly) {
            target.moveCenter(cell.center());
            m_painter.drawPixmap(target, pm, pm.rect());
            return QRectF();
        }
        if (style.pictureAlign == PictureAlign::PictureLeftCaptionRight) {
            target.moveTopLeft(QPointF(cell.left(), cell.center().y() - target.height() / 2));
            m_painter.drawPixmap(target, pm, pm.rect());
            return textRect.adjusted(target.width(), 0, 0, 0);
        }
        target.moveTopRight(QPointF(cell.right(), cell.center().y() - target.height() / 2));
        m_painter.drawPixmap(target, pm, pm.rect());
        return textRect.adjusted(0, 0, -target.width(), 0);
    }

    // Data cells. A merged column joins runs of equal, non-empty neighbouring cells down the
    // page; a merged row joins runs across the page's columns. A group split by a page break
    // shows its text on each page.
    void paintCells() {
        const std::size_t nRows = m_rows.size();
        const std::size_t nCols = m_cols.size();
        if (nRows == 0 || nCols == 0) {
            return;
        }
        // covered[ci * nRows + ri]: the cell is part of a group drawn from another cell.
        std::vector<char> covered(nRows * nCols, 0);
        std::vector<char> colMerged(nCols);
        for (std::size_t ci = 0; ci < nCols; ++ci) {
            colMerged[ci] = m_sheet.colMerge(m_cols[ci].col) == MergeMode::Always;
        }
        for (std::size_t ri = 0; ri < nRows; ++ri) {
            const int row = m_rows[ri].row;
            const bool rowMerged = m_sheet.rowMerge(row) == MergeMode::Always;
            for (std::size_t ci = 0; ci < nCols; ++ci) {
                if (covered[ci * nRows + ri]) {
                    continue;
                }
                const int col = m_cols[ci].col;
                const QString text = m_sheet.text(col, row);
                double height = m_rows[ri].h;
                double width = m_cols[ci].width;
                bool grouped = false;
                if (colMerged[ci] && !text.isEmpty()) {
                    for (std::size_t rj = ri + 1;
                         rj < nRows && m_sheet.text(col, m_rows[rj].row) == text; ++rj) {
                        covered[ci * nRows + rj] = 1;
                        height = m_rows[rj].y + m_rows[rj].h - m_rows[ri].y;
                        grouped = true;
                    }
                }
                if (!grouped && rowMerged && !text.isEmpty()) {
                    for (std::size_t cj = ci + 1; cj < nCols && !covered[cj * nRows + ri] &&
                                                  m_sheet.text(m_cols[cj].col, row) == text;
                         ++cj) {
                        covered[cj * nRows + ri] = 1;
                        width = m_cols[cj].x + m_cols[cj].width - m_cols[ci].x;
                    }
                }
                paintCell(QRectF(m_cols[ci].x, m_rows[ri].y, width, height), text,
                          m_sheet.style(col, row), false);
            }
        }
    }

    void paintColumnHeader() {
        const QRectF &area = m_layout.colHeader;
        const bool rowMerged = m_sheet.rowMerge(0) == MergeMode::Always;
        std::size_t ci = 0;
        while (ci < m_cols.size()) {
            const int col = m_cols[ci].col;
            const QString text =
                m_sheet.hasText(col, 0) ? m_sheet.text(col, 0) : columnLetters(col);
            std::size_t cj = ci + 1;
            double width = m_cols[ci].width;
            if (rowMerged && !text.isEmpty()) {
                while (cj < m_cols.size() && m_sheet.text(m_cols[cj].col, 0) == text) {
                    width = m_cols[cj].x + m_cols[cj].width - m_cols[ci].x;
                    ++cj;
                }
            }
            paintCell(QRectF(m_cols[ci].x, area.top(), width, area.height()), text,
                      m_sheet.style(col, 0), true);
            ci = cj;
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

    // Paints lines first, first + 1, ... of `all`: line first + i in rects[i].
    void paintCodeLines(const std::vector<CodeLine> &all, std::size_t first,
                        const std::vector<QRectF> &rects) {
        const CodeLine *lines = all.data() + first;
        for (std::size_t i = 0; first + i < all.size() && i < rects.size(); ++i) {
            static constexpr Qt::Alignment kAlign[3] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                        Qt::AlignRight};
            for (int pos = 0; pos < 3; ++pos) {
                const CodeCell &cell = lines[i].cells[pos];
                if (cell.text.isEmpty()) {
                    continue;
                }
                const QString text =
                    cell.isPageNumber() ? QString::number(m_layout.number) : cell.text;
                const CodeFont &f = cell.font;
                m_painter.setFont(printFont(f.name.isEmpty() ? kDefaultFamily : f.name,
                                            f.size > 0 ? f.size : kDefaultCodeFontSize, f.bold,
                                            f.italic, f.underline, f.strikeout, m_painter));
                m_painter.setPen(Qt::black);
                m_penColor = Qt::black;
                m_currentFont = nullptr;
                m_painter.drawText(rects[i], int(kAlign[pos] | Qt::AlignVCenter), text);
            }
        }
    }

    const Sheet &m_sheet;
    const PrintSettings &m_settings;
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
    font.setFamilies({family.isEmpty() ? kDefaultFamily : family, kChineseFallback});
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

void paintPage(const Sheet &sheet, const Pagination &pagination, int page, QPainter &painter) {
    setupPrintFonts();
    PagePainter pp(sheet, pagination, page, painter);
    painter.save();
    pp.paint(pagination);
    painter.restore();
}

}  // namespace tessel::platform
