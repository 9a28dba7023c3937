// A report's conditional formats as the workbook's own, live rules: a workbook user sees the
// colours of the report, and they follow when a number is edited.
//
// Each rule goes over the worksheet rows of the report's data rows only, so that label,
// subtotal and totals rows keep their own look; data rows in several blocks (groups with
// subtotal rows between them) make one rule over several ranges ("B2:B5 B7:B9"):
//  - a comparison is a cell-value rule (greaterThan, between, ...): against a number when the
//    value reads as one (both values, for between), else against the quoted text;
//  - contains, notContains, beginsWith, endsWith are text rules; blank and notBlank blanks
//    rules; top and bottom (with percent) top-10 rules where the rank is 10, the one the
//    writer (libxlsxwriter 1.1) writes, else formula rules of the same sense over the column's
//    span (see below); aboveAverage and belowAverage average
//    rules; duplicate and unique their rules; scales 2- and 3-colour scales (the middle at
//    the 50th percentile); bars data bars from the smallest to the largest number;
//  - a rule with `row` is a formula rule over the data rows' every column, testing its
//    column's cell of the row with a formula of the same sense ("=$D5>10000");
//  - `stop` sets the rule's stop-if-true; the rules keep their priority order;
//  - a scale or a bar colours its own column alone, `row` or not: a workbook's scale cannot
//    colour other cells.
// When the ranges of one column are more than one rule can name (several hundred blocks),
// the rule is repeated over successive parts of them; then a rule over the whole column
// (top, bottom, averages, scales, bars) takes its statistics from the column's cells from the
// first data row to the last with the workbook's AGGREGATE, which skips the SUBTOTAL cells of
// subtotal and totals rows (duplicate and unique count with COUNTIF over that span instead).
// A look of "bold": false or "italic": false sets nothing in the workbook, whose rules can
// only add a weight or a slant.
#pragma once

#include <xlsxwriter.h>

#include <map>
#include <vector>

#include "export/WorkbookGroups.h"
#include "grid/ConditionRules.h"

namespace tessel::grid {
class Sheet;
}

namespace tessel::exports {

// Worksheet rows first..last (both included), counted from 0 as libxlsxwriter counts them.
struct RowRange {
    lxw_row_t first = 0;
    lxw_row_t last = 0;
    bool operator==(const RowRange &) const = default;
};

// The worksheet rows holding the data rows of `sheet` (from row 1, Sheet::isDataRow), by
// worksheet (from 0), where `rows` places them: consecutive data rows on one worksheet make one
// range, so header, subtotal and totals rows, and the label row each worksheet repeats, fall
// between ranges. One pass over the rows.
std::map<int, std::vector<RowRange>> dataRowRanges(const grid::Sheet &sheet,
                                                   const WorksheetRows &rows);

// Writes `rules` into `worksheet` of `workbook` over `dataRows` (the worksheet rows holding the
// report's data rows, in order, not overlapping), sheet column c in worksheet column c - 1
// from 0; `lastCol` is the report's last sheet column, the width of a whole-row rule. No
// ranges or no rules write nothing. Throws Error(Io) when the writer refuses a rule.
void writeConditionalFormats(lxw_workbook *workbook, lxw_worksheet *worksheet,
                             const grid::ConditionRules &rules,
                             const std::vector<RowRange> &dataRows, int lastCol);

}  // namespace tessel::exports
