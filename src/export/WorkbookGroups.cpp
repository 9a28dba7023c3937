#include "export/WorkbookGroups.h"

#include <algorithm>

#include "grid/CellNumber.h"
#include "grid/Sheet.h"

namespace tessel::exports {

namespace {

// The SUBTOTAL numbers that count hidden rows too: a collapsed outline hides the data rows,
// and the subtotals must not change with it.
unsigned char subtotalCode(grid::TotalFunction function) {
    switch (function) {
        case grid::TotalFunction::Sum:
            return 9;
        case grid::TotalFunction::Count:
            return 3;
        case grid::TotalFunction::Average:
            return 1;
        case grid::TotalFunction::Max:
            return 4;
        case grid::TotalFunction::Min:
            return 5;
    }
    return 9;
}

// A workbook function takes at most 255 arguments (the first is the function number) and a
// formula at most 8,192 characters; the margin leaves room for the closing parenthesis.
constexpr std::size_t kMaxRanges = 254;
constexpr std::size_t kMaxFormulaChars = 8000;

}  // namespace

WorksheetPlace WorksheetRows::placeOfLine(long long line) const {
    if (line < m_capacity)
        return {0, lxw_row_t(line)};
    // Row 0 of every later worksheet is the label row again.
    const long long rest = line - m_capacity;
    return {int(1 + rest / (m_capacity - 1)), lxw_row_t(1 + rest % (m_capacity - 1))};
}

WorkbookGroups::WorkbookGroups(const grid::Sheet &sheet, const WorksheetRows &rows)
    : m_sheet(sheet), m_rows(rows) {
    const grid::Grouping &grouping = sheet.grouping();
    m_levels = std::min(int(grouping.levels.size()), grid::kMaxGroupLevels);
    if (m_levels == 0)
        return;
    const int cols = sheet.maxCols();
    m_functions.assign(std::size_t(m_levels) + 1,
                       std::vector<unsigned char>(std::size_t(cols) + 1, 0));
    for (int l = 1; l <= m_levels; ++l) {
        // The sheet's grouping has its totals resolved when the rows are arranged.
        if (const auto &totals = grouping.levels[std::size_t(l - 1)].totals) {
            for (const grid::GroupTotal &t : *totals) {
                if (t.column >= 1 && t.column <= cols)
                    m_functions[std::size_t(l)][std::size_t(t.column)] = subtotalCode(t.function);
            }
        }
    }

    for (const auto &[row, mark] : sheet.rowMarks()) {
        if (row < 1 || row > sheet.maxRows() || mark.kind == grid::RowKind::Data)
            continue;
        Marked m{row, mark.kind, std::clamp(mark.level, 1, m_levels)};
        if (mark.kind == grid::RowKind::Totals) {
            // The grand total takes the whole data block above it.
            m.level = 0;
            m.first = 1;
            m.last = row - 1;
        } else if (mark.kind == grid::RowKind::GroupHeader) {
            m_headerRows.push_back(row);
        }
        m_marked.push_back(m);
    }

    for (const grid::GroupSpan &span : grid::groupSpans(sheet)) {
        const auto at = std::lower_bound(m_marked.begin(), m_marked.end(), span.last,
                                         [](const Marked &m, int row) { return m.row < row; });
        if (at != m_marked.end() && at->row == span.last && at->kind == grid::RowKind::Subtotal) {
            at->first = span.first;
            at->last = span.last - 1;
        }
        if (span.level < 1 || span.level > m_levels ||
            !grouping.levels[std::size_t(span.level - 1)].pageBreak) {
            continue;
        }
        // A group right under the label row starts a page already.
        const WorksheetPlace place = rows.placeOfSheetRow(span.first);
        if (span.first == 1 || (place.worksheet > 0 && place.row == 1))
            continue;
        m_breaks[place.worksheet].push_back(place.row);
    }
    for (auto &[worksheet, breaks] : m_breaks) {
        std::sort(breaks.begin(), breaks.end());
        breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
        // The workbook holds no more: the later groups of this worksheet print on without.
        if (breaks.size() > kMaxPageBreaks)
            breaks.resize(kMaxPageBreaks);
    }
}

int WorkbookGroups::enterRow(int row) {
    m_current = nullptr;
    if (m_levels == 0 || row < 1)
        return 0;
    while (m_next < m_marked.size() && m_marked[m_next].row < row)
        ++m_next;
    if (m_next < m_marked.size() && m_marked[m_next].row == row) {
        m_current = &m_marked[m_next];
        return m_current->kind == grid::RowKind::Totals ? 0 : m_current->level;
    }
    return m_levels + 1;
}

std::optional<TotalFormula> WorkbookGroups::formula(int col, std::string_view text) const {
    if (!m_current || text.empty() || col < 1 || col > m_sheet.maxCols())
        return std::nullopt;
    unsigned char code = 0;
    if (m_current->kind == grid::RowKind::Subtotal)
        code = m_functions[std::size_t(m_current->level)][std::size_t(col)];
    else if (m_current->kind == grid::RowKind::Totals)
        code = 9;  // the totals row sums
    const int first = m_current->first, last = m_current->last;
    if (code == 0 || first < 1 || first > last)
        return std::nullopt;
    const std::optional<double> value = grid::cellNumber(text);
    if (!value)
        return std::nullopt;
    // Rows on one worksheet are consecutive there; a range cannot reach another worksheet.
    if (m_rows.placeOfSheetRow(first).worksheet != m_rows.placeOfSheetRow(m_current->row).worksheet)
        return std::nullopt;

    std::string formula = "SUBTOTAL(" + std::to_string(int(code));
    std::size_t ranges = 0;
    const auto addRange = [&](int from, int to) {
        if (from > to)
            return;
        char range[48];
        lxw_rowcol_to_range(range, m_rows.placeOfSheetRow(from).row, lxw_col_t(col - 1),
                            m_rows.placeOfSheetRow(to).row, lxw_col_t(col - 1));
        formula += ',';
        formula += range;
        ++ranges;
    };
    // A header row showing its group's value in this column would be counted (or, a number,
    // added): the range goes around it. Subtotal rows inside stay; SUBTOTAL skips them.
    int from = first;
    for (auto h = std::lower_bound(m_headerRows.begin(), m_headerRows.end(), first);
         h != m_headerRows.end() && *h <= last; ++h) {
        if (m_sheet.textUtf8(col, *h).empty())
            continue;
        addRange(from, *h - 1);
        from = *h + 1;
    }
    addRange(from, last);
    if (ranges == 0 || ranges > kMaxRanges || formula.size() > kMaxFormulaChars)
        return std::nullopt;
    formula += ')';
    return TotalFormula{std::move(formula), *value};
}

const std::vector<lxw_row_t> &WorkbookGroups::pageBreaks(int worksheet) const {
    static const std::vector<lxw_row_t> none;
    const auto it = m_breaks.find(worksheet);
    return it == m_breaks.end() ? none : it->second;
}

}  // namespace tessel::exports
