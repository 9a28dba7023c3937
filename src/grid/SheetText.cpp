#include "grid/Sheet.h"

#include <algorithm>
#include <bit>
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

// ---- cell references

Sheet::CellColumn::Block Sheet::CellColumn::emptyBlock(std::size_t rows) {
    return {std::make_unique<std::uint32_t[]>(rows), std::make_unique<std::uint8_t[]>(rows),
            nullptr};
}

void Sheet::CellColumn::setLongLength(std::size_t row, std::uint32_t length) {
    const std::size_t block = row >> kBlockShift;
    Block &b = m_blocks[block];
    if (!b.longLength)
        b.longLength = std::make_unique<std::uint32_t[]>(blockRows(block));
    b.length[row & kMask] = kLong;
    b.longLength[row & kMask] = length;
}

void Sheet::CellColumn::resize(std::size_t rows) {
    if (rows < m_size) {
        const std::size_t blocks = (rows + kMask) >> kBlockShift;
        if (blocks < m_blocks.size())
            m_blocks.resize(blocks);
        if (m_blocks.empty())
            m_firstRows = 0;
        // What stays of the blocks past the new end is emptied, so that growing again finds
        // empty references there.
        const std::size_t end = std::min(m_size, capacity());
        for (std::size_t r = rows; r < end; ++r)
            set(r, CellRef{});
    } else if (rows > capacity()) {
        if (m_firstRows < kBlockRows) {
            const std::size_t first =
                std::min(kBlockRows, std::bit_ceil(std::max(rows, kFirstRows)));
            Block grown = emptyBlock(first);
            if (!m_blocks.empty()) {
                const Block &old = m_blocks[0];
                std::copy_n(old.offset.get(), m_firstRows, grown.offset.get());
                std::copy_n(old.length.get(), m_firstRows, grown.length.get());
                if (old.longLength) {
                    grown.longLength = std::make_unique<std::uint32_t[]>(first);
                    std::copy_n(old.longLength.get(), m_firstRows, grown.longLength.get());
                }
                m_blocks[0] = std::move(grown);
            } else {
                m_blocks.push_back(std::move(grown));
            }
            m_firstRows = first;
        }
        m_blocks.reserve((rows + kMask) >> kBlockShift);
        while (capacity() < rows)
            m_blocks.push_back(emptyBlock(kBlockRows));
    }
    m_size = rows;
}

std::size_t Sheet::CellColumn::bytes() const {
    std::size_t n = m_blocks.capacity() * sizeof(Block);
    for (std::size_t k = 0; k < m_blocks.size(); ++k) {
        const std::size_t entry = sizeof(std::uint32_t) + sizeof(std::uint8_t) +
                                  (m_blocks[k].longLength ? sizeof(std::uint32_t) : 0);
        n += blockRows(k) * entry;
    }
    return n;
}

// ---- texts

Sheet::CellRef Sheet::cellRef(int col, int row) const {
    if (std::size_t(col) >= m_cells.size())
        return {};
    const CellColumn &column = m_cells[std::size_t(col)];
    return std::size_t(row) < column.size() ? column.get(std::size_t(row)) : CellRef{};
}

void Sheet::store(int col, int row, std::string_view utf8) {
    if (utf8.size() > kArenaLimit)
        refuse(tessel::base::tr("单元格文本过长（%1 字节）").arg(utf8.size()));
    CellColumn *column = std::size_t(col) < m_cells.size() ? &m_cells[std::size_t(col)] : nullptr;
    if (!column || std::size_t(row) >= column->size()) {
        if (utf8.empty())
            return;  // the cell is empty already
        if (m_cells.size() <= std::size_t(col))
            m_cells.resize(std::size_t(col) + 1);
        column = &m_cells[std::size_t(col)];
        // Blocks are added as the rows reach them, so a fill row by row stays linear.
        column->resize(std::size_t(row) + 1);
    }
    CellRef r = column->get(std::size_t(row));
    const auto len = std::uint32_t(utf8.size());
    if (len <= r.length) {
        // The new text fits where the old one was: no arena growth on re-fills with texts of
        // the same length or shorter. memmove: the text may come from this very cell.
        if (len)
            std::memmove(m_arena.data() + r.offset, utf8.data(), len);
        m_garbage += r.length - len;
        r.length = len;
        if (!len)
            r.offset = 0;
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
        // Compaction moves texts, not lengths: r's length is still the one to discard.
        m_garbage += r.length;
        r.offset = std::uint32_t(m_arena.size());
        r.length = len;
        m_arena.append(utf8.data(), utf8.size());
    }
    column->set(std::size_t(row), r);
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
    detail::PodArray<char> fresh;
    fresh.reserve(m_arena.size() - m_garbage);
    for (auto &column : m_cells) {
        for (std::size_t i = 0; i < column.size(); ++i) {
            CellRef r = column.get(i);
            if (!r.length)
                continue;
            const auto offset = std::uint32_t(fresh.size());
            fresh.append(m_arena.data() + r.offset, r.length);
            r.offset = offset;
            column.set(i, r);
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
            // with nothing to reuse or free, and the references between are empty already.
            // Everything else takes the general way.
            if (col < m_cells.size() && std::size_t(row) >= m_cells[col].size() && !utf8.empty() &&
                m_arena.size() + utf8.size() <= kArenaLimit && !inArena(utf8)) {
                CellColumn &column = m_cells[col];
                column.resize(std::size_t(row) + 1);
                column.set(std::size_t(row),
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
    const CellRef r = cellRef(col, row);
    if (!r.length)
        return {};
    return std::string_view(m_arena.data() + r.offset, r.length);
}

QString Sheet::text(int col, int row) const {
    const std::string_view t = textUtf8(col, row);
    return QString::fromUtf8(t.data(), qsizetype(t.size()));
}

bool Sheet::hasText(int col, int row) const {
    checkCell(col, row);
    return cellRef(col, row).length != 0;
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
            m_garbage += column.get(std::size_t(r)).length;
            column.set(std::size_t(r), CellRef{});
        }
        // Trailing empty cells are dropped so the last row with data is found quickly.
        std::size_t size = column.size();
        while (size > 0 && !column.get(size - 1).length)
            --size;
        column.resize(size);
    }
    maybeCompactArena();
    touch();
}

void Sheet::clear() {
    std::vector<CellColumn>().swap(m_cells);
    detail::PodArray<char>().swap(m_arena);
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
            if (column.get(std::size_t(r)).length) {
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
            if (column.get(std::size_t(r)).length)
                return c;
        }
    }
    return 0;
}

}  // namespace tessel::grid
