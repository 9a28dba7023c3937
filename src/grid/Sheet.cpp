#include "grid/Sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>

#include "base/ValueText.h"
#include "grid/SheetChecks.h"

namespace tessel::grid {

using namespace detail;

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
    swap(m_colFormats, other.m_colFormats);
    swap(m_rowMarks, other.m_rowMarks);
    swap(m_rowStyles, other.m_rowStyles);
    swap(m_grouping, other.m_grouping);
    swap(m_conditions, other.m_conditions);
    swap(m_charts, other.m_charts);
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
    n += m_cells.capacity() * sizeof(CellColumn);
    for (const auto &column : m_cells)
        n += column.bytes();
    // The arena's pages reserved for growth and not written yet take no memory.
    n += m_arena.heldBytes();
    n += m_styles.capacity() * sizeof(CellStyle);
    // Hash and tree nodes: the value, the links, and the allocator's own word per block.
    constexpr std::size_t kMallocOverhead = sizeof(void *);
    n += m_cellStyles.bucket_count() * sizeof(void *) +
         m_cellStyles.size() *
             (sizeof(void *) + sizeof(decltype(m_cellStyles)::value_type) + kMallocOverhead);
    constexpr std::size_t kTreeNode = 4 * sizeof(void *) + kMallocOverhead;
    n += m_colStyles.size() * (kTreeNode + sizeof(decltype(m_colStyles)::value_type));
    n += m_rowStyles.size() * (kTreeNode + sizeof(decltype(m_rowStyles)::value_type));
    n += m_rowMarks.size() * (kTreeNode + sizeof(decltype(m_rowMarks)::value_type));
    return n;
}

// ---- row kinds and arrangement

RowMark Sheet::rowMark(int row) const {
    const auto it = m_rowMarks.find(row);
    return it != m_rowMarks.end() ? it->second : RowMark{};
}

void Sheet::setRowMark(int row, const RowMark &mark) {
    if (row < 1 || row > kMaxRowNumber)
        refuse(QStringLiteral("Invalid row %1").arg(row));
    if (mark.kind == RowKind::Data) {
        if (m_rowMarks.erase(row) == 0)
            return;
    } else {
        auto [it, added] = m_rowMarks.try_emplace(row, mark);
        if (!added && it->second == mark)
            return;
        it->second = mark;
    }
    touch();
}

void Sheet::setGrouping(const Grouping &grouping) {
    if (grouping == m_grouping)
        return;
    m_grouping = grouping;
    touch();
}

void Sheet::setConditions(ConditionRules rules) {
    if (rules == m_conditions)
        return;
    m_conditions = std::move(rules);
    touch();
}

void Sheet::setCharts(ChartSpecs charts) {
    if (charts == m_charts)
        return;
    m_charts = std::move(charts);
    touch();
}

namespace {

// Moves the entries of a row-keyed map (rows from 1) to their new rows; rows without a new
// place are dropped.
template <class Map>
void moveRows(Map &map, const std::vector<int> &newRow) {
    Map moved;
    for (auto &[row, value] : map) {
        if (row < 1)
            moved.emplace(row, std::move(value));
        else if (std::size_t(row) < newRow.size() && newRow[std::size_t(row)] > 0)
            moved.emplace(newRow[std::size_t(row)], std::move(value));
    }
    map.swap(moved);
}

}  // namespace

void Sheet::arrangeRows(const std::vector<int> &from) {
    if (from.size() > std::size_t(kMaxRowNumber))
        refuse(QStringLiteral("Invalid row count %1").arg(from.size()));
    // newRow[old] is the row an old row moves to; 0 when it is dropped.
    std::vector<int> newRow(std::size_t(m_maxRows) + 1, 0);
    for (std::size_t i = 0; i < from.size(); ++i) {
        const int old = from[i];
        if (old < 0 || old > m_maxRows)
            refuse(QStringLiteral("Invalid row %1").arg(old));
        if (old == 0)
            continue;
        if (newRow[std::size_t(old)] != 0)
            refuse(QStringLiteral("Row %1 named twice").arg(old));
        newRow[std::size_t(old)] = int(i) + 1;
    }

    for (CellColumn &column : m_cells) {
        if (column.size() <= 1)
            continue;
        CellColumn arranged;
        arranged.resize(from.size() + 1);
        arranged.set(0, column.get(0));
        for (std::size_t i = 0; i < from.size(); ++i) {
            const auto old = std::size_t(from[i]);
            if (old != 0 && old < column.size())
                arranged.set(i + 1, column.get(old));
        }
        // What the new column no longer refers to is garbage in the arena.
        for (std::size_t r = 1; r < column.size(); ++r) {
            if (r >= newRow.size() || newRow[r] == 0)
                m_garbage += column.get(r).length;
        }
        // Trailing empty cells cost nothing as missing entries.
        std::size_t size = arranged.size();
        while (size > 1 && arranged.get(size - 1).length == 0)
            --size;
        arranged.resize(size);
        std::swap(column, arranged);
    }

    std::unordered_map<std::uint64_t, std::uint16_t> styles;
    styles.reserve(m_cellStyles.size());
    for (const auto &[k, idx] : m_cellStyles) {
        const int col = int(k >> 32);
        const int row = int(std::uint32_t(k));
        if (row < 1)
            styles.emplace(k, idx);
        else if (std::size_t(row) < newRow.size() && newRow[std::size_t(row)] > 0)
            styles.emplace(key(col, newRow[std::size_t(row)]), idx);
    }
    m_cellStyles.swap(styles);
    moveRows(m_rowHeights, newRow);
    moveRows(m_rowMerge, newRow);
    moveRows(m_rowMarks, newRow);
    moveRows(m_rowStyles, newRow);

    const bool countChanged = int(from.size()) != m_maxRows;
    m_maxRows = int(from.size());
    maybeCompactArena();
    if (countChanged)
        emit countsChanged();
    touch();
}

}  // namespace tessel::grid
