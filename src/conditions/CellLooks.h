// The look conditional formats give a data cell: the one routine the sheet view, the page
// painter and a dialog's sample ask, so that every output shows the same colours.
//
// How the rules decide (rules in priority order):
//  - a Condition rule tests the cell of its column in the row; when it matches, it gives its
//    look to that cell, or with `row` to every cell of the row;
//  - a Scale rule fills a cell of its column holding a number with the colour at the number's
//    place between the column's smallest and largest number (three colours: the middle one at
//    the 50th percentile, linear between); a column of one number takes the first colour;
//  - a Bar rule gives a cell of its column holding a number a bar of its colour, as long as the
//    number's share of the column's range (0 at the smallest number, 1 at the largest; 1 for
//    every cell of a column of one number); scales and bars colour their own column alone;
//  - where two rules set the same property the earlier wins; after a matching rule with
//    `stop` no later rule applies there (to the row, for a row rule);
//  - only data rows take a look (Sheet::isDataRow): never the label row 0, group header,
//    subtotal or totals rows, whose cells are also left out of every column statistic.
// A cell's number is its data read by grid::cellNumber, whatever its column's format shows;
// a comparison is numeric when the cell and the rule's value (both values of Between) read as
// numbers, else it compares texts ignoring case.
#pragma once

#include <QColor>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "conditions/ColumnStatistics.h"
#include "grid/ConditionRules.h"

namespace tessel::grid {
class Sheet;
struct CellStyle;
}  // namespace tessel::grid

namespace tessel::conditions {

// What the rules give a cell; unset members leave the cell's own style.
struct CellLook {
    QColor text;  // text colour; invalid: unset
    QColor fill;  // background; invalid: unset
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<double> bar;  // the data bar's length as a share of the cell's width, 0..1
    QColor barColor;
    bool isEmpty() const { return !text.isValid() && !fill.isValid() && !bold && !italic && !bar; }
    bool operator==(const CellLook &) const = default;
};

// `style` with what `look` sets put over it: the text colour as the foreground, the fill as the
// background, bold and italic in the font. The bar is not part of a style: a painter draws it
// under the text, from the left edge, `bar` of the cell's width.
grid::CellStyle withLook(const grid::CellStyle &style, const CellLook &look);

// A sheet's rules with their column statistics (top and bottom thresholds, averages,
// duplicates, scale and bar ranges). The statistics are computed once per sheet revision, in
// one pass over the data rows of each column a statistical rule tests; after that, a cell's
// look costs time proportional to the rules that reach its column. Not for use from several
// threads at once (look() may refresh the statistics).
class CellLooks {
public:
    CellLooks();
    explicit CellLooks(grid::ConditionRules rules);
    CellLooks(const CellLooks &) = delete;
    CellLooks &operator=(const CellLooks &) = delete;
    ~CellLooks();

    const grid::ConditionRules &rules() const { return m_rules; }
    void setRules(grid::ConditionRules rules);

    // Makes the statistics current for `sheet`: recomputes them when the rules, the sheet or
    // its revision changed since the last time, else returns at once.
    void refresh(const grid::Sheet &sheet) const;

    // The look of cell (col, row) of `sheet` (columns and rows from 1), refreshing first when
    // needed. Empty for a row that is not a data row and for a sheet without rules.
    CellLook look(const grid::Sheet &sheet, int col, int row) const;

private:
    struct Prepared;
    void prepare();
    // The number of the cell, from the statistics' copy of its column when there is one.
    std::optional<double> number(const grid::Sheet &sheet, int col, int row) const;

    grid::ConditionRules m_rules;
    std::vector<Prepared> m_prepared;  // per rule: its values read once
    // m_byColumn[c]: the rules that reach column c in priority order (its own, the row rules).
    std::vector<std::vector<int>> m_byColumn;
    std::vector<int> m_rowRules;
    std::vector<int> m_rowSlot;  // per rule: its place in m_rowRules, -1 for a cell rule
    mutable std::vector<RuleStatistics> m_stats;  // per rule
    mutable ColumnNumbers m_numbers;              // what the statistics were computed from
    // Whether each row rule matched row m_matchedRow: the other cells of a row painted after
    // the first reuse it. -1: not tested yet.
    mutable int m_matchedRow = 0;
    mutable std::vector<std::int8_t> m_rowMatched;
    mutable const grid::Sheet *m_sheet = nullptr;
    mutable std::uint64_t m_revision = 0;
    mutable bool m_current = false;
};

// The looks of the data cells of `sheet` under its own rules (Sheet::conditions): what the page
// painter, the sheet view and a dialog's sample all ask. Each thread keeps the looks of the two
// sheets with rules it asked about last, so the statistics are computed once per revision of a
// sheet however many pages, views and threads paint it; a sheet without rules is answered by
// empty looks and keeps the others in place. Ask once per page or paint, not per cell: the
// reference stays valid until this thread asks about two other sheets with rules.
const CellLooks &looksOf(const grid::Sheet &sheet);

}  // namespace tessel::conditions
