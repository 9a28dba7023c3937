// The pages of a grouped sheet: breaks that follow its groups, and the page-total rows'
// sums (see Pagination.h).
#include "print/Pagination.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "grid/CellNumber.h"
#include "print/PaginationRows.h"

namespace tessel::print {

using namespace detail;

void Pagination::breakGroupedRows(const grid::Sheet &sheet, double available) {
    const grid::Grouping &grouping = sheet.grouping();
    const Overrides &overrides = sheet.rowHeightOverrides();
    const int levelCount = std::min<int>(int(grouping.levels.size()), grid::kMaxGroupLevels);

    if (grouping.pageTotals) {
        m_pageTotals = grouping.pageTotals;
        m_totalRows.push_back(ExtraRow::PageTotal);
        if (!m_pageTotals->running.isEmpty()) {
            m_totalRows.push_back(ExtraRow::RunningTotal);
        }
        m_carried = !m_pageTotals->carried.isEmpty();
    }
    const double totalsHeight = double(m_totalRows.size()) * kPageTotalRowHeight;
    const double carriedHeight = m_carried ? kPageTotalRowHeight : 0;

    // The groups of each level, in row order (groups of one level do not overlap, so the
    // order they end in is the order they start in), and whether each starts with a header
    // row of its level. Bands move down the sheet, so each level keeps a cursor at the first
    // group not above the band, and the groups a band asks about lie a few steps after it.
    struct LevelGroups {
        std::vector<grid::GroupSpan> spans;
        std::vector<char> headed;
        std::size_t cursor = 0;
    };
    std::array<LevelGroups, grid::kMaxGroupLevels> groups;
    for (const grid::GroupSpan &g : grid::groupSpans(sheet)) {
        if (g.level >= 1 && g.level <= levelCount) {
            groups[std::size_t(g.level - 1)].spans.push_back(g);
        }
    }
    const bool anyHeader =
        std::any_of(grouping.levels.begin(), grouping.levels.begin() + levelCount,
                    [](const grid::GroupLevel &l) { return l.header; });
    for (int l = 0; l < levelCount; ++l) {
        groups[std::size_t(l)].headed.assign(groups[std::size_t(l)].spans.size(), 0);
    }
    if (anyHeader) {
        // One walk over the marks, in row order, beside each level's groups.
        std::array<std::size_t, grid::kMaxGroupLevels> next{};
        for (const auto &[row, mark] : sheet.rowMarks()) {
            if (mark.kind != grid::RowKind::GroupHeader || mark.level < 1 ||
                mark.level > levelCount) {
                continue;
            }
            LevelGroups &lg = groups[std::size_t(mark.level - 1)];
            std::size_t &i = next[std::size_t(mark.level - 1)];
            while (i < lg.spans.size() && lg.spans[i].first < row) {
                ++i;
            }
            if (i < lg.spans.size() && lg.spans[i].first == row) {
                lg.headed[i] = 1;
            }
        }
    }
    const auto level = [&](int l) -> const grid::GroupLevel & {
        return grouping.levels[std::size_t(l)];
    };
    // The index of the group of level l + 1 that holds `row` (at or below the band's first
    // row), or -1.
    const auto holding = [&](int l, int row) -> std::ptrdiff_t {
        const LevelGroups &lg = groups[std::size_t(l)];
        std::size_t i = lg.cursor;
        while (i < lg.spans.size() && lg.spans[i].last < row) {
            ++i;
        }
        return i < lg.spans.size() && lg.spans[i].first <= row ? std::ptrdiff_t(i) : -1;
    };
    // The header rows a band starting at `row` repeats, appended to `out`; returns their
    // height.
    const auto headersAt = [&](int row, std::vector<int> &out) {
        double h = 0;
        for (int l = 0; l < levelCount; ++l) {
            if (!level(l).header) {
                continue;
            }
            const std::ptrdiff_t i = holding(l, row);
            if (i < 0 || !groups[std::size_t(l)].headed[std::size_t(i)]) {
                continue;
            }
            const int first = groups[std::size_t(l)].spans[std::size_t(i)].first;
            if (first < row && first >= m_rowFirst) {
                out.push_back(first);
                h += std::max(0.0, sheet.rowHeight(first));
            }
        }
        return h;
    };

    std::vector<int> headers;
    std::vector<int> freshHeaders;
    auto it = overrides.lower_bound(m_rowFirst);
    int r = m_rowFirst;
    while (r <= m_rowLast) {
        const int start = r;
        for (int l = 0; l < levelCount; ++l) {
            LevelGroups &lg = groups[std::size_t(l)];
            while (lg.cursor < lg.spans.size() && lg.spans[lg.cursor].last < start) {
                ++lg.cursor;
            }
        }
        headers.clear();
        const double top = (start > m_rowFirst ? carriedHeight : 0) + headersAt(start, headers);
        const double room = available - totalsHeight - top;
        // A group that starts a page of its own ends the band before it.
        int limit = m_rowLast;
        for (int l = 0; l < levelCount; ++l) {
            if (!level(l).pageBreak) {
                continue;
            }
            const LevelGroups &lg = groups[std::size_t(l)];
            std::size_t i = lg.cursor;
            while (i < lg.spans.size() && lg.spans[i].first <= start) {
                ++i;
            }
            if (i < lg.spans.size()) {
                limit = std::min(limit, lg.spans[i].first - 1);
            }
        }
        double used = 0;
        r = takeRows(overrides, it, start, limit, room, used);
        // A group cut by the band's end that would fit on a page of its own goes there.
        for (int l = 0; l < levelCount && r <= m_rowLast; ++l) {
            if (!level(l).keepTogether) {
                continue;
            }
            const std::ptrdiff_t i = holding(l, r);
            if (i < 0) {
                continue;
            }
            const grid::GroupSpan *g = &groups[std::size_t(l)].spans[std::size_t(i)];
            if (g->first <= start || g->first >= r) {
                continue;
            }
            freshHeaders.clear();
            const double freshRoom =
                available - totalsHeight - carriedHeight - headersAt(g->first, freshHeaders);
            if (rowsHeight(overrides, g->first, std::min(g->last, m_rowLast)) <=
                freshRoom + kEpsilon) {
                r = g->first;
                used = rowsHeight(overrides, start, r - 1);
                it = overrides.lower_bound(r);
                break;
            }
        }
        m_rowBandStart.push_back(start);
        m_rowBandHeight.push_back(top + used + totalsHeight);
        m_bandHeaders.push_back(int(m_repeatedHeaders.size()));
        m_repeatedHeaders.insert(m_repeatedHeaders.end(), headers.begin(), headers.end());
    }
    m_bandHeaders.push_back(int(m_repeatedHeaders.size()));
}

// One pass over the print area's data rows, column by column (the sheet holds its cells per
// column), over runs of data rows found from the marks and the hidden rows, so no row is
// tested for its kind one by one. Sums are kept per band; a page's running and carried sums
// are prefix sums over the bands.
void Pagination::addPageSums(const grid::Sheet &sheet) {
    for (const int c : m_pageTotals->columns) {
        if (c >= 1 && c <= sheet.maxCols()) {
            m_sumColumns.push_back(c);
        }
    }
    std::sort(m_sumColumns.begin(), m_sumColumns.end());
    m_sumColumns.erase(std::unique(m_sumColumns.begin(), m_sumColumns.end()), m_sumColumns.end());
    const std::size_t n = m_sumColumns.size();
    const std::size_t bands = m_rowBandStart.size();
    m_bandSums.assign(bands * n, 0.0);
    m_runningSums.assign(bands * n, 0.0);
    if (n == 0) {
        return;
    }

    // Rows that are not printed data: marked rows and hidden rows.
    std::vector<int> skip;
    for (auto it = sheet.rowMarks().lower_bound(m_rowFirst);
         it != sheet.rowMarks().end() && it->first <= m_rowLast; ++it) {
        skip.push_back(it->first);
    }
    const Overrides &overrides = sheet.rowHeightOverrides();
    for (auto it = overrides.lower_bound(m_rowFirst);
         it != overrides.end() && it->first <= m_rowLast; ++it) {
        if (it->second <= 0) {
            skip.push_back(it->first);
        }
    }
    std::sort(skip.begin(), skip.end());

    struct Run {
        int first, last;
        std::size_t band;
    };
    std::vector<Run> runs;
    auto s = skip.begin();
    for (std::size_t b = 0; b < bands; ++b) {
        const int bandLast = b + 1 < bands ? m_rowBandStart[b + 1] - 1 : m_rowLast;
        int a = m_rowBandStart[b];
        for (; s != skip.end() && *s <= bandLast; ++s) {
            if (*s > a) {
                runs.push_back({a, *s - 1, b});
            }
            a = std::max(a, *s + 1);
        }
        if (a <= bandLast) {
            runs.push_back({a, bandLast, b});
        }
    }

    for (std::size_t i = 0; i < n; ++i) {
        const int c = m_sumColumns[i];
        for (const Run &run : runs) {
            double sum = 0;
            for (int row = run.first; row <= run.last; ++row) {
                if (const std::optional<double> v = grid::cellNumber(sheet.cellUtf8(c, row))) {
                    sum += *v;
                }
            }
            m_bandSums[run.band * n + i] += sum;
        }
        double running = 0;
        for (std::size_t b = 0; b < bands; ++b) {
            running += m_bandSums[b * n + i];
            m_runningSums[b * n + i] = running;
        }
    }
}

std::optional<double> Pagination::pageTotal(int rowBand, ExtraRow kind, int col) const {
    const auto found = std::lower_bound(m_sumColumns.begin(), m_sumColumns.end(), col);
    if (found == m_sumColumns.end() || *found != col || rowBand < 0 || rowBand >= rowBandCount()) {
        return std::nullopt;
    }
    const std::size_t n = m_sumColumns.size();
    const std::size_t i = std::size_t(found - m_sumColumns.begin());
    const std::size_t b = std::size_t(rowBand);
    switch (kind) {
        case ExtraRow::PageTotal:
            return m_bandSums[b * n + i];
        case ExtraRow::RunningTotal:
            return m_runningSums[b * n + i];
        case ExtraRow::Carried:
            return b > 0 ? m_runningSums[(b - 1) * n + i] : 0.0;
    }
    return std::nullopt;
}

}  // namespace tessel::print
