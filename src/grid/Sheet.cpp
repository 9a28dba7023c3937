#include "grid/Sheet.h"

#include <tessel/Error.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "base/ValueText.h"

namespace tessel::grid {

namespace {

// Style indices are 16-bit; unused styles are dropped once the table is half full, so one
// style edit (which adds at most one style per distinct style it touches) cannot overflow
// it unless that many styles are really in use.
constexpr std::size_t kStyleLimit = std::numeric_limits<std::uint16_t>::max();
constexpr std::size_t kStyleCompactAt = kStyleLimit / 2;

// Below this much garbage the arena is never compacted: rewriting a few cells of a small
// sheet over and over must not walk every reference each time.
constexpr std::size_t kMinCompactGarbage = 64 * 1024;

constexpr std::size_t kArenaLimit = std::numeric_limits<std::uint32_t>::max();

[[noreturn]] void refuse(const QString &message) {
    throw Error(Error::Category::Argument, message);
}

void checkCol(int col) {
    if (col < 0 || col > kMaxColNumber)
        refuse(
            QStringLiteral("Column %1 is outside the sheet (0 to %2)").arg(col).arg(kMaxColNumber));
}

void checkRow(int row) {
    if (row < 0 || row > kMaxRowNumber)
        refuse(QStringLiteral("Row %1 is outside the sheet (0 to %2)").arg(row).arg(kMaxRowNumber));
}

void checkCell(int col, int row) {
    checkCol(col);
    checkRow(row);
}

void checkBlock(const CellBlock &b) {
    for (int c : {b.col, b.col2}) {
        if (c != -1)
            checkCol(c);
    }
    for (int r : {b.row, b.row2}) {
        if (r != -1)
            checkRow(r);
    }
}

void checkSize(double size, const char *what) {
    if (!std::isfinite(size) || size < 0)
        refuse(QStringLiteral("Invalid %1 %2").arg(QLatin1String(what)).arg(size));
}

// A block resolved against the counts: -1 becomes the whole range, ends come in order.
struct Range {
    int c1, c2, r1, r2;
    bool wholeCols;  // row -1: the columns' own styles
    bool isEmpty() const { return c1 > c2 || r1 > r2; }
};

Range resolve(const CellBlock &b, int maxCols, int maxRows) {
    Range r{};
    r.wholeCols = b.row == -1 || b.row2 == -1;
    if (b.col == -1 || b.col2 == -1) {
        r.c1 = 1;
        r.c2 = maxCols;
    } else {
        r.c1 = std::min(b.col, b.col2);
        r.c2 = std::max(b.col, b.col2);
    }
    if (r.wholeCols) {
        r.r1 = 1;
        r.r2 = maxRows;
    } else {
        r.r1 = std::min(b.row, b.row2);
        r.r2 = std::max(b.row, b.row2);
    }
    return r;
}

}  // namespace

bool CellStyle::operator==(const CellStyle &o) const {
    return kind == o.kind && locked == o.locked && font == o.font && foreground == o.foreground &&
           background == o.background && border == o.border && borderColor == o.borderColor &&
           align == o.align && pictureKey == o.pictureKey && pictureAlign == o.pictureAlign;
}

Sheet::Sheet(QObject *parent) : QObject(parent) {
    m_styles.emplace_back();
}

Sheet::~Sheet() = default;

void Sheet::touch() {
    ++m_revision;
    if (m_redraw)
        emit changed();
    else
        m_dirty = true;
}

void Sheet::setRedraw(bool on) {
    if (on == m_redraw)
        return;
    m_redraw = on;
    if (on && m_dirty) {
        m_dirty = false;
        emit changed();
    }
}

void Sheet::swapContents(Sheet &other) {
    if (&other == this)
        return;
    using std::swap;
    swap(m_maxCols, other.m_maxCols);
    swap(m_maxRows, other.m_maxRows);
    swap(m_cells, other.m_cells);
    swap(m_arena, other.m_arena);
    swap(m_garbage, other.m_garbage);
    swap(m_styles, other.m_styles);
    swap(m_cellStyles, other.m_cellStyles);
    swap(m_colStyles, other.m_colStyles);
    swap(m_colWidths, other.m_colWidths);
    swap(m_rowHeights, other.m_rowHeights);
    swap(m_colMerge, other.m_colMerge);
    swap(m_rowMerge, other.m_rowMerge);
    swap(m_pictures, other.m_pictures);
    swap(m_current, other.m_current);
    swap(m_selection, other.m_selection);
    swap(m_colHeadersVisible, other.m_colHeadersVisible);
    swap(m_rowHeadersVisible, other.m_rowHeadersVisible);
    swap(m_print, other.m_print);
    // Revisions must never repeat a value a cache saw for other contents: both move past
    // either one's.
    m_revision = other.m_revision = std::max(m_revision, other.m_revision);
    for (Sheet *s : {this, &other}) {
        emit s->countsChanged();
        emit s->printSettingsChanged();
        s->touch();
    }
}

// ---- counts

void Sheet::setMaxCols(int n) {
    if (n < 0 || n > kMaxColNumber)
        refuse(QStringLiteral("Invalid column count %1").arg(n));
    if (n == m_maxCols)
        return;
    m_maxCols = n;
    emit countsChanged();
    touch();
}

void Sheet::setMaxRows(int n) {
    if (n < 0 || n > kMaxRowNumber)
        refuse(QStringLiteral("Invalid row count %1").arg(n));
    if (n == m_maxRows)
        return;
    m_maxRows = n;
    emit countsChanged();
    touch();
}

// ---- texts

Sheet::CellRef *Sheet::ref(int col, int row) {
    if (std::size_t(col) >= m_cells.size())
        return nullptr;
    auto &column = m_cells[std::size_t(col)];
    return std::size_t(row) < column.size() ? &column[std::size_t(row)] : nullptr;
}

const Sheet::CellRef *Sheet::ref(int col, int row) const {
    if (std::size_t(col) >= m_cells.size())
        return nullptr;
    const auto &column = m_cells[std::size_t(col)];
    return std::size_t(row) < column.size() ? &column[std::size_t(row)] : nullptr;
}

void Sheet::store(int col, int row, std::string_view utf8) {
    if (utf8.size() > kArenaLimit)
        refuse(QStringLiteral("Cell text too long (%1 bytes)").arg(utf8.size()));
    CellRef *r = ref(col, row);
    if (!r) {
        if (utf8.empty())
            return;  // the cell is empty already
        if (m_cells.size() <= std::size_t(col))
            m_cells.resize(std::size_t(col) + 1);
        auto &column = m_cells[std::size_t(col)];
        // resize grows the capacity geometrically, so a fill row by row stays linear.
        column.resize(std::size_t(row) + 1);
        r = &column[std::size_t(row)];
    }
    const auto len = std::uint32_t(utf8.size());
    if (len <= r->length) {
        // The new text fits where the old one was: no arena growth on re-fills with texts of
        // the same length or shorter. memmove: the text may come from this very cell.
        if (len)
            std::memmove(m_arena.data() + r->offset, utf8.data(), len);
        m_garbage += r->length - len;
        r->length = len;
        if (!len)
            r->offset = 0;
    } else {
        // A text read from another cell points into the arena, which may move as it grows.
        std::string copy;
        const std::less<const char *> before;
        if (!m_arena.empty() && !before(utf8.data(), m_arena.data()) &&
            before(utf8.data(), m_arena.data() + m_arena.size())) {
            copy.assign(utf8);
            utf8 = copy;
        }
        if (m_arena.size() + len > kArenaLimit) {
            compactArena();
            if (m_arena.size() + len > kArenaLimit)
                refuse(QStringLiteral("The sheet's text storage is full"));
        }
        m_garbage += r->length;
        r->offset = std::uint32_t(m_arena.size());
        r->length = len;
        m_arena.append(utf8);
    }
    maybeCompactArena();
}

void Sheet::maybeCompactArena() {
    if (m_garbage < kMinCompactGarbage || m_garbage * 2 <= m_arena.size())
        return;
    // Compaction walks every reference; wait until the garbage outweighs them too, so the
    // cost stays proportional to the bytes written since the last compaction.
    std::size_t refs = 0;
    for (const auto &column : m_cells)
        refs += column.size();
    if (m_garbage < refs)
        return;
    compactArena();
}

void Sheet::compactArena() {
    std::string fresh;
    fresh.reserve(m_arena.size() - m_garbage);
    for (auto &column : m_cells) {
        for (auto &r : column) {
            if (!r.length)
                continue;
            const auto offset = std::uint32_t(fresh.size());
            fresh.append(m_arena, r.offset, r.length);
            r.offset = offset;
        }
    }
    m_arena.swap(fresh);
    m_garbage = 0;
}

void Sheet::setText(int col, int row, const QString &text) {
    checkCell(col, row);
    const QByteArray utf8 = text.toUtf8();
    store(col, row, std::string_view(utf8.constData(), std::size_t(utf8.size())));
    touch();
}

void Sheet::setTextUtf8(int col, int row, std::string_view utf8) {
    checkCell(col, row);
    store(col, row, utf8);
    touch();
}

void Sheet::setValue(int col, int row, const QVariant &value) {
    checkCell(col, row);
    // Numbers and strings, which is what a fill from a query writes, go straight to UTF-8;
    // the texts are the ones valueToText gives.
    if (!value.isValid() || value.isNull()) {
        store(col, row, {});
    } else {
        switch (value.typeId()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::Short:
            case QMetaType::Long: {
                char buf[24];
                const auto res = std::to_chars(buf, buf + sizeof buf, value.toLongLong());
                store(col, row, std::string_view(buf, std::size_t(res.ptr - buf)));
                break;
            }
            case QMetaType::UInt:
            case QMetaType::ULongLong:
            case QMetaType::UShort:
            case QMetaType::ULong: {
                char buf[24];
                const auto res = std::to_chars(buf, buf + sizeof buf, value.toULongLong());
                store(col, row, std::string_view(buf, std::size_t(res.ptr - buf)));
                break;
            }
            case QMetaType::Double: {
                std::string s;
                base::appendDouble(s, value.toDouble());
                store(col, row, s);
                break;
            }
            case QMetaType::QString: {
                const QByteArray utf8 = static_cast<const QString *>(value.constData())->toUtf8();
                store(col, row, std::string_view(utf8.constData(), std::size_t(utf8.size())));
                break;
            }
            default: {
                const QByteArray utf8 = base::valueToText(value).toUtf8();
                store(col, row, std::string_view(utf8.constData(), std::size_t(utf8.size())));
                break;
            }
        }
    }
    touch();
}

std::string_view Sheet::textUtf8(int col, int row) const {
    checkCell(col, row);
    const CellRef *r = ref(col, row);
    if (!r || !r->length)
        return {};
    return std::string_view(m_arena.data() + r->offset, r->length);
}

QString Sheet::text(int col, int row) const {
    const std::string_view t = textUtf8(col, row);
    return QString::fromUtf8(t.data(), qsizetype(t.size()));
}

bool Sheet::hasText(int col, int row) const {
    checkCell(col, row);
    const CellRef *r = ref(col, row);
    return r && r->length;
}

void Sheet::clearText(const CellBlock &block) {
    checkBlock(block);
    const Range range = resolve(block, m_maxCols, m_maxRows);
    if (range.isEmpty())
        return;
    const int lastCol = std::min(range.c2, int(m_cells.size()) - 1);
    for (int c = range.c1; c <= lastCol; ++c) {
        auto &column = m_cells[std::size_t(c)];
        const int lastRow = std::min(range.r2, int(column.size()) - 1);
        for (int r = range.r1; r <= lastRow; ++r) {
            CellRef &cell = column[std::size_t(r)];
            m_garbage += cell.length;
            cell = CellRef{};
        }
        // Trailing empty cells are dropped so the last row with data is found quickly.
        while (!column.empty() && !column.back().length)
            column.pop_back();
    }
    maybeCompactArena();
    touch();
}

void Sheet::clear() {
    std::vector<std::vector<CellRef>>().swap(m_cells);
    std::string().swap(m_arena);
    m_garbage = 0;
    m_styles.resize(1);
    m_cellStyles.clear();
    m_colStyles.clear();
    m_colWidths.clear();
    m_rowHeights.clear();
    m_colMerge.clear();
    m_rowMerge.clear();
    m_colFormats.clear();
    touch();
}

int Sheet::lastDataRow() const {
    int best = 0;
    const int lastCol = std::min(m_maxCols, int(m_cells.size()) - 1);
    for (int c = 1; c <= lastCol; ++c) {
        const auto &column = m_cells[std::size_t(c)];
        // Only rows below the best so far can improve it.
        for (int r = std::min(m_maxRows, int(column.size()) - 1); r > best; --r) {
            if (column[std::size_t(r)].length) {
                best = r;
                break;
            }
        }
    }
    return best;
}

int Sheet::lastDataCol() const {
    for (int c = std::min(m_maxCols, int(m_cells.size()) - 1); c >= 1; --c) {
        const auto &column = m_cells[std::size_t(c)];
        for (int r = std::min(m_maxRows, int(column.size()) - 1); r >= 1; --r) {
            if (column[std::size_t(r)].length)
                return c;
        }
    }
    return 0;
}

// ---- current block and selection

void Sheet::setCurrent(int col, int row) {
    setCurrentBlock(CellBlock{col, row, col, row});
}

void Sheet::setCurrentBlock(const CellBlock &block) {
    checkBlock(block);
    // Not shown anywhere: the current block only aims the style setters.
    m_current = block;
}

void Sheet::setSelection(const CellBlock &block) {
    checkBlock(block);
    if (block == m_selection)
        return;
    m_selection = block;
    touch();
}

// ---- styles

std::uint16_t Sheet::styleIndex(const CellStyle &style) {
    // The table holds few distinct styles and edits remember what they looked up, so a
    // linear search is enough.
    for (std::size_t i = 0; i < m_styles.size(); ++i) {
        if (m_styles[i] == style)
            return std::uint16_t(i);
    }
    if (m_styles.size() >= kStyleLimit)
        refuse(QStringLiteral("Too many distinct cell styles"));
    m_styles.push_back(style);
    return std::uint16_t(m_styles.size() - 1);
}

std::uint16_t Sheet::fallbackStyle(int col, int row) const {
    if (row >= 1 && !m_colStyles.empty()) {
        const auto it = m_colStyles.find(col);
        if (it != m_colStyles.end())
            return it->second;
    }
    return 0;
}

void Sheet::compactStyles() {
    std::vector<std::uint16_t> remap(m_styles.size(), 0);
    std::vector<bool> used(m_styles.size(), false);
    used[0] = true;
    for (const auto &[k, idx] : m_cellStyles)
        used[idx] = true;
    for (const auto &[c, idx] : m_colStyles)
        used[idx] = true;
    std::vector<CellStyle> kept;
    for (std::size_t i = 0; i < m_styles.size(); ++i) {
        if (used[i]) {
            remap[i] = std::uint16_t(kept.size());
            kept.push_back(std::move(m_styles[i]));
        }
    }
    m_styles.swap(kept);
    for (auto &[k, idx] : m_cellStyles)
        idx = remap[idx];
    for (auto &[c, idx] : m_colStyles)
        idx = remap[idx];
}

template <class F>
void Sheet::editBlockStyle(F &&edit) {
    const Range range = resolve(m_current, m_maxCols, m_maxRows);
    if (range.c1 > range.c2 || (!range.wholeCols && range.r1 > range.r2))
        return;
    if (m_styles.size() >= kStyleCompactAt)
        compactStyles();

    // Cells sharing a style share the edited style too: each distinct style is edited and
    // looked up once per call.
    std::unordered_map<std::uint16_t, std::uint16_t> edited;
    auto apply = [&](std::uint16_t from) {
        const auto it = edited.find(from);
        if (it != edited.end())
            return it->second;
        CellStyle style = m_styles[from];  // a copy: styleIndex may grow the table
        edit(style);
        const std::uint16_t to = styleIndex(style);
        edited.emplace(from, to);
        return to;
    };

    if (range.wholeCols) {
        // Whole columns: the column's own style, and the cells of its data rows that have
        // their own. A cell left equal to its column's style drops its entry.
        for (int c = range.c1; c <= range.c2; ++c)
            m_colStyles[c] = apply(fallbackStyle(c, 1));
        for (auto it = m_cellStyles.begin(); it != m_cellStyles.end();) {
            const int c = int(it->first >> 32);
            const int r = int(std::uint32_t(it->first));
            if (r >= 1 && c >= range.c1 && c <= range.c2) {
                it->second = apply(it->second);
                if (it->second == m_colStyles[c]) {
                    it = m_cellStyles.erase(it);
                    continue;
                }
            }
            ++it;
        }
    } else {
        for (int c = range.c1; c <= range.c2; ++c) {
            for (int r = range.r1; r <= range.r2; ++r) {
                const std::uint64_t k = key(c, r);
                const std::uint16_t fallback = fallbackStyle(c, r);
                const auto it = m_cellStyles.find(k);
                const std::uint16_t to = apply(it != m_cellStyles.end() ? it->second : fallback);
                if (to == fallback) {
                    if (it != m_cellStyles.end())
                        m_cellStyles.erase(it);
                } else if (it != m_cellStyles.end()) {
                    it->second = to;
                } else {
                    m_cellStyles.emplace(k, to);
                }
            }
        }
    }
    touch();
}

void Sheet::setCellKind(CellKind kind) {
    editBlockStyle([&](CellStyle &s) { s.kind = kind; });
}

void Sheet::setLocked(bool locked) {
    editBlockStyle([&](CellStyle &s) { s.locked = locked; });
}

void Sheet::setFont(const CellFont &font) {
    editBlockStyle([&](CellStyle &s) { s.font = font; });
}

void Sheet::setForeground(const QColor &color) {
    editBlockStyle([&](CellStyle &s) { s.foreground = color; });
}

void Sheet::setBackground(const QColor &color) {
    editBlockStyle([&](CellStyle &s) { s.background = color; });
}

void Sheet::setBorder(bool on, const QColor &color) {
    editBlockStyle([&](CellStyle &s) {
        s.border = on;
        s.borderColor = color;
    });
}

void Sheet::setAlign(HAlign align) {
    editBlockStyle([&](CellStyle &s) { s.align = align; });
}

void Sheet::setPicture(const QString &key, PictureAlign align) {
    editBlockStyle([&](CellStyle &s) {
        s.pictureKey = key;
        s.pictureAlign = align;
    });
}

const CellStyle &Sheet::style(int col, int row) const {
    checkCell(col, row);
    if (!m_cellStyles.empty()) {
        const auto it = m_cellStyles.find(key(col, row));
        if (it != m_cellStyles.end())
            return m_styles[it->second];
    }
    return m_styles[fallbackStyle(col, row)];
}

void Sheet::setDefaultStyle(const CellStyle &style) {
    if (style == m_styles[0])
        return;
    m_styles[0] = style;
    touch();
}

// ---- pictures

void Sheet::setPictureList(const std::map<QString, QPixmap> &pictures) {
    m_pictures = pictures;
    touch();
}

QPixmap Sheet::picture(const QString &key) const {
    const auto it = m_pictures.find(key);
    return it != m_pictures.end() ? it->second : QPixmap();
}

// ---- geometry

double Sheet::colWidth(int col) const {
    checkCol(col);
    const auto it = m_colWidths.find(col);
    if (it != m_colWidths.end())
        return it->second;
    return col == 0 ? kDefaultRowHeaderWidth : kDefaultColWidth;
}

void Sheet::setColWidth(int col, double width) {
    checkCol(col);
    checkSize(width, "column width");
    m_colWidths[col] = width;
    touch();
}

double Sheet::rowHeight(int row) const {
    checkRow(row);
    const auto it = m_rowHeights.find(row);
    return it != m_rowHeights.end() ? it->second : kDefaultRowHeight;
}

void Sheet::setRowHeight(int row, double height) {
    checkRow(row);
    checkSize(height, "row height");
    // Pagination walks the overrides: a row set back to the default leaves the list.
    if (height == kDefaultRowHeight)
        m_rowHeights.erase(row);
    else
        m_rowHeights[row] = height;
    touch();
}

const ColumnFormat &Sheet::colFormat(int col) const {
    static const ColumnFormat general;
    checkCol(col);
    const auto it = m_colFormats.find(col);
    return it != m_colFormats.end() ? it->second : general;
}

void Sheet::setColFormat(int col, const ColumnFormat &format) {
    checkCol(col);
    const bool counted = format.kind == FormatKind::Number || format.kind == FormatKind::Percent;
    if (format.decimals < 0 || format.decimals > (counted ? kMaxFormatDecimals : 0))
        refuse(QStringLiteral("A column format with %1 decimals").arg(format.decimals));
    if (format == ColumnFormat{})
        m_colFormats.erase(col);
    else
        m_colFormats[col] = format;
    touch();
}

MergeMode Sheet::colMerge(int col) const {
    checkCol(col);
    const auto it = m_colMerge.find(col);
    return it != m_colMerge.end() ? it->second : MergeMode::None;
}

void Sheet::setColMerge(int col, MergeMode mode) {
    checkCol(col);
    if (mode == MergeMode::None)
        m_colMerge.erase(col);
    else
        m_colMerge[col] = mode;
    touch();
}

MergeMode Sheet::rowMerge(int row) const {
    checkRow(row);
    const auto it = m_rowMerge.find(row);
    return it != m_rowMerge.end() ? it->second : MergeMode::None;
}

void Sheet::setRowMerge(int row, MergeMode mode) {
    checkRow(row);
    if (mode == MergeMode::None)
        m_rowMerge.erase(row);
    else
        m_rowMerge[row] = mode;
    touch();
}

void Sheet::setColHeadersVisible(bool on) {
    if (on == m_colHeadersVisible)
        return;
    m_colHeadersVisible = on;
    touch();
}

void Sheet::setRowHeadersVisible(bool on) {
    if (on == m_rowHeadersVisible)
        return;
    m_rowHeadersVisible = on;
    touch();
}

// ---- print settings

void Sheet::setPrint(const PrintSettings &settings) {
    if (settings.marginLeft < 0 || settings.marginRight < 0 || settings.marginTop < 0 ||
        settings.marginBottom < 0)
        refuse(QStringLiteral("Print margins cannot be negative"));
    if (settings.orientation != Orientation::Portrait &&
        settings.orientation != Orientation::Landscape)
        refuse(QStringLiteral("Invalid print orientation %1").arg(int(settings.orientation)));
    if (int(settings.type) < 0 || int(settings.type) > int(PrintType::PageRange))
        refuse(QStringLiteral("Invalid print type %1").arg(int(settings.type)));
    if (settings.pageStart < 0 || settings.pageEnd < 0 || settings.currentPage < 0)
        refuse(QStringLiteral("Page numbers cannot be negative"));
    checkBlock(settings.block);
    if (settings == m_print)
        return;
    m_print = settings;
    notifyPrintChanged();
}

void Sheet::notifyPrintChanged() {
    emit printSettingsChanged();
    touch();
}

// ---- measurement

std::size_t Sheet::storageBytes() const {
    std::size_t n = sizeof(*this);
    n += m_cells.capacity() * sizeof(std::vector<CellRef>);
    for (const auto &column : m_cells)
        n += column.capacity() * sizeof(CellRef);
    n += m_arena.capacity();
    n += m_styles.capacity() * sizeof(CellStyle);
    // Hash and tree nodes: the value, the links, and the allocator's own word per block.
    constexpr std::size_t kMallocOverhead = sizeof(void *);
    n += m_cellStyles.bucket_count() * sizeof(void *) +
         m_cellStyles.size() *
             (sizeof(void *) + sizeof(decltype(m_cellStyles)::value_type) + kMallocOverhead);
    constexpr std::size_t kTreeNode = 4 * sizeof(void *) + kMallocOverhead;
    n += m_colStyles.size() * (kTreeNode + sizeof(decltype(m_colStyles)::value_type));
    return n;
}

}  // namespace tessel::grid
