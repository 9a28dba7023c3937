#include "grid/Sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "base/Language.h"
#include "base/ValueText.h"
#include "grid/SheetChecks.h"

namespace tessel::grid {

using namespace detail;

namespace {

// Below this much garbage the arena is never compacted: rewriting a few cells of a small
// sheet over and over must not walk every reference each time.
constexpr std::size_t kMinCompactGarbage = 64 * 1024;

constexpr std::size_t kArenaLimit = std::numeric_limits<std::uint32_t>::max();

}  // namespace

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
        refuse(tessel::base::tr("单元格文本过长（%1 字节）").arg(utf8.size()));
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
        if (inArena(utf8)) {
            copy.assign(utf8);
            utf8 = copy;
        }
        if (m_arena.size() + len > kArenaLimit) {
            compactArena();
            if (m_arena.size() + len > kArenaLimit)
                refuse(tessel::base::tr("表格的文本存储已满"));
        }
        m_garbage += r->length;
        r->offset = std::uint32_t(m_arena.size());
        r->length = len;
        m_arena.append(utf8.data(), utf8.size());
    }
    maybeCompactArena();
}

bool Sheet::inArena(std::string_view utf8) const {
    const std::less<const char *> before;
    return !m_arena.empty() && !before(utf8.data(), m_arena.data()) &&
           before(utf8.data(), m_arena.data() + m_arena.size());
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

void Sheet::reserveText(std::size_t bytes) {
    if (m_arena.capacity() - m_arena.size() >= bytes)
        return;
    if (m_arena.size() + bytes > kArenaLimit)
        refuse(tessel::base::tr("表格的文本存储已满"));
    // Exactly what is asked for, where growing by appends would double it; the texts keep
    // their offsets: no reference changes.
    m_arena.reserve(m_arena.size() + bytes);
}

void Sheet::compactArena() {
    PodArray<char> fresh;
    fresh.reserve(m_arena.size() - m_garbage);
    for (auto &column : m_cells) {
        for (auto &r : column) {
            if (!r.length)
                continue;
            const auto offset = std::uint32_t(fresh.size());
            fresh.append(m_arena.data() + r.offset, r.length);
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

void Sheet::setRowUtf8(int row, int firstCol, std::span<const std::string_view> texts) {
    checkCell(firstCol, row);
    // Cells past the last column are refused after the ones before them are written.
    const std::size_t fit = std::min(texts.size(), std::size_t(kMaxColNumber - firstCol) + 1);
    bool wrote = false;
    try {
        for (std::size_t i = 0; i < fit; ++i) {
            const auto col = std::size_t(firstCol) + i;
            const std::string_view utf8 = texts[i];
            // A new cell below the column's last one: its reference and text are appended,
            // with nothing to reuse or free. Everything else takes the general way.
            if (col < m_cells.size() && std::size_t(row) >= m_cells[col].size() && !utf8.empty() &&
                m_arena.size() + utf8.size() <= kArenaLimit && !inArena(utf8)) {
                auto &column = m_cells[col];
                if (std::size_t(row) > column.size())
                    column.resize(std::size_t(row));
                column.push_back(
                    CellRef{std::uint32_t(m_arena.size()), std::uint32_t(utf8.size())});
                m_arena.append(utf8.data(), utf8.size());
            } else {
                store(int(col), row, utf8);
            }
            wrote = true;
        }
        if (fit < texts.size())
            checkCol(firstCol + int(fit));
    } catch (...) {
        if (wrote)
            touch();
        throw;
    }
    if (wrote)
        touch();
}

void Sheet::setValue(int col, int row, const QVariant &value) {
    checkCell(col, row);
    // One buffer per thread: a fill writes a million values without allocating for each.
    thread_local std::string utf8;
    utf8.clear();
    base::appendValueText(utf8, value);
    store(col, row, utf8);
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
    decltype(m_cells)().swap(m_cells);
    PodArray<char>().swap(m_arena);
    m_garbage = 0;
    m_styles.resize(1);
    m_cellStyles.clear();
    m_colStyles.clear();
    m_colWidths.clear();
    m_rowHeights.clear();
    m_colMerge.clear();
    m_rowMerge.clear();
    m_rowMarks.clear();
    m_rowStyles.clear();
    m_grouping = Grouping{};
    m_conditions.clear();
    m_charts.clear();
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

}  // namespace tessel::grid
