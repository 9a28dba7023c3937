// How a report's data rows are grouped: the levels that start a new group when a column's
// value changes, the totals of each group's subtotal row, and the totals printed at the foot
// of every page. Plain data that the sheet carries (Sheet::grouping) so that pagination,
// painting and the exports read the grouping the rows were arranged by.
//
// Columns are sheet columns from 1. Levels run outermost first; level numbers (RowMark) are
// 1-based positions in `levels`.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace tessel::grid {

// The most group levels a report has (a workbook outline holds 7: the data rows sit one
// below the innermost group).
constexpr int kMaxGroupLevels = 3;

// What a subtotal cell computes over its group's data cells. Count counts non-empty cells;
// the others take the cells whose text reads as a number (cellNumber) and leave the rest out.
enum class TotalFunction : std::uint8_t { Sum, Count, Average, Min, Max };

struct GroupTotal {
    int column = 0;
    TotalFunction function = TotalFunction::Sum;
    bool operator==(const GroupTotal &) const = default;
};

// The label of a subtotal row unless a level gives its own; {value} is the group's value.
inline QString defaultSubtotalLabel() {
    return QStringLiteral("{value} 小计");
}

struct GroupLevel {
    int column = 0;
    // The subtotal row's totals in column order; nullopt: the report's default (the totals
    // row's columns, else every numeric column), resolved when the rows are arranged.
    std::optional<std::vector<GroupTotal>> totals;
    QString label = defaultSubtotalLabel();
    bool header = false;        // a row above each group showing its value
    bool pageBreak = false;     // each group starts on a new page
    bool keepTogether = false;  // a group that fits on one page is not split
    bool operator==(const GroupLevel &) const = default;
};

// Rows at the foot of every printed page (paper only). An empty running or carried label
// leaves that row out.
struct PageTotals {
    std::vector<int> columns;
    QString label = QStringLiteral("本页小计");
    QString running;  // the sums from the first data row through the page
    QString carried;  // at the top of every page after the first: the previous page's running
    bool operator==(const PageTotals &) const = default;
};

struct Grouping {
    std::vector<GroupLevel> levels;
    bool sort = true;  // rows are stably sorted by the level columns before grouping
    std::optional<PageTotals> pageTotals;
    bool isEmpty() const { return levels.empty() && !pageTotals; }
    bool operator==(const Grouping &) const = default;
};

// What a row of the sheet holds. Rows are data unless marked (Sheet::setRowMark).
enum class RowKind : std::uint8_t {
    Data,
    GroupHeader,  // the value of a group of `level`, above its rows
    Subtotal,     // the totals of a group of `level`, below its rows
    Totals,       // the report's totals row (合计)
};

struct RowMark {
    RowKind kind = RowKind::Data;
    int level = 0;  // 1-based group level of a header or subtotal row; 0 otherwise
    bool operator==(const RowMark &) const = default;
};

class Sheet;

// One group of the arranged rows: rows first..last, inclusive, of group level `level`; first
// is its header row when it has one, else its first data row (or an inner group's header),
// last its subtotal row.
struct GroupSpan {
    int level = 0;
    int first = 0;
    int last = 0;
    bool operator==(const GroupSpan &) const = default;
};

// The groups of `sheet` as its row marks give them, in the order they end (an inner group
// before the outer group ending on the next row). A group is the rows from its header, or
// from the first row after the previous group of its level or an outer one ended, through its
// subtotal row; rows after the last subtotal row form no group. Reads only the marks: time
// proportional to their number.
std::vector<GroupSpan> groupSpans(const Sheet &sheet);

// The column holding a subtotal row's label: the first column 1..maxCols() shown (width
// above 1); 0 when none is. The label replaces a total the level has in that column.
int subtotalLabelColumn(const Sheet &sheet);

}  // namespace tessel::grid
