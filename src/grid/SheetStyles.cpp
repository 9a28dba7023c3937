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

// Style indices are 16-bit; unused styles are dropped once the table is half full, so one
// style edit (which adds at most one style per distinct style it touches) cannot overflow
// it unless that many styles are really in use.
constexpr std::size_t kStyleLimit = std::numeric_limits<std::uint16_t>::max();
constexpr std::size_t kStyleCompactAt = kStyleLimit / 2;

}  // namespace

// ---- styles

std::uint16_t Sheet::styleIndex(const CellStyle &style) {
    // The table holds few distinct styles and edits remember what they looked up, so a
    // linear search is enough.
    for (std::size_t i = 0; i < m_styles.size(); ++i) {
        if (m_styles[i] == style)
            return std::uint16_t(i);
    }
    if (m_styles.size() >= kStyleLimit)
        refuse(tessel::base::tr("不同的单元格样式过多"));
    m_styles.push_back(style);
    return std::uint16_t(m_styles.size() - 1);
}

std::uint16_t Sheet::fallbackStyle(int col, int row) const {
    if (row >= 1 && !m_rowStyles.empty()) {
        const auto it = m_rowStyles.find(row);
        if (it != m_rowStyles.end())
            return it->second;
    }
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
    for (const auto &[r, idx] : m_rowStyles)
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
    for (auto &[r, idx] : m_rowStyles)
        idx = remap[idx];
}

void Sheet::setRowStyle(int row, const std::optional<CellStyle> &style) {
    if (row < 1 || row > kMaxRowNumber)
        refuse(QStringLiteral("Invalid row %1").arg(row));
    if (!style) {
        if (m_rowStyles.erase(row) != 0)
            touch();
        return;
    }
    if (m_styles.size() >= kStyleCompactAt)
        compactStyles();
    m_rowStyles[row] = styleIndex(*style);
    touch();
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

std::vector<int> Sheet::rowsWithOwnStyles() const {
    std::vector<int> rows;
    rows.reserve(m_rowStyles.size() + m_cellStyles.size());
    for (const auto &[row, index] : m_rowStyles)
        rows.push_back(row);
    for (const auto &[k, index] : m_cellStyles) {
        const int row = int(std::uint32_t(k));
        if (row >= 1)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
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

}  // namespace tessel::grid
