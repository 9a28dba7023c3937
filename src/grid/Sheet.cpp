#include "grid/Sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

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
