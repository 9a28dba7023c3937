// Where the rows of a report land in a workbook, and what a grouped report adds there: the
// subtotal and totals cells as SUBTOTAL formulas over their data cells, an outline to
// collapse the groups to their subtotals, and a page break before the groups whose level
// asks for one. Used by writeWorkbook; no file is touched here.
#pragma once

#include <xlsxwriter.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grid/Grouping.h"

namespace tessel::grid {
class Sheet;
}

namespace tessel::exports {

// A worksheet (from 0) and a row on it (from 0).
struct WorksheetPlace {
    int worksheet = 0;
    lxw_row_t row = 0;
    bool operator==(const WorksheetPlace &) const = default;
};

// The rows a workbook is written in: `linesAbove` header lines, the sheet rows from the label
// row (sheet row 0) down, then the footer lines, one after the other, `capacity` (>= 2) rows
// to a worksheet; every worksheet after the first starts with the label row again, so it
// takes capacity - 1 of these lines.
class WorksheetRows {
public:
    WorksheetRows(int linesAbove, int capacity) : m_linesAbove(linesAbove), m_capacity(capacity) {}

    // The place of line `line` (from 0) of that sequence.
    WorksheetPlace placeOfLine(long long line) const;
    // The place of sheet row `row` (the label row is 0).
    WorksheetPlace placeOfSheetRow(int row) const { return placeOfLine(m_linesAbove + row); }

private:
    long long m_linesAbove;
    long long m_capacity;
};

// The most page breaks a worksheet holds; groups past them continue on the same page.
constexpr std::size_t kMaxPageBreaks = LXW_BREAKS_MAX;

// A subtotal or totals cell written as a formula: its text ("SUBTOTAL(9,C3:C10)") and the
// value a program that does not recalculate shows.
struct TotalFormula {
    std::string text;
    double value = 0;
};

// What the grouping of a sheet (Sheet::grouping, its row marks and groupSpans) makes of its
// rows in the workbook. A sheet without group levels is plain: no outline, no formula, no
// break. Built in one pass over the marks and groups; asking about a row then costs constant
// time when the rows are asked in order.
class WorkbookGroups {
public:
    WorkbookGroups(const grid::Sheet &sheet, const WorksheetRows &rows);

    bool grouped() const { return m_levels > 0; }

    // Moves to sheet row `row` (from 1, in increasing order; row 0, the label row, may come in
    // between and is plain) and returns its outline level: data rows the number of levels + 1,
    // a header or subtotal row its group's level, the totals row and the label row 0.
    int enterRow(int row);
    // Whether the row last entered is a subtotal or the totals row.
    bool rowHasTotals() const { return m_current && m_current->kind != grid::RowKind::GroupHeader; }

    // The formula of the cell in column `col` (from 1) of the row last entered, whose text is
    // `text`, when that row is a subtotal row and the column one of its level's totals, or
    // the totals row and the text a number. The formula takes the group's data cells (those
    // of the whole data block for the totals row) with the level's function: 9 sum, 3 count,
    // 1 average, 4 max, 5 min, 9 for the totals row; nested SUBTOTALs in its range are left
    // out by the workbook program, and header rows showing a value in the column are left
    // out of the range. The cached value is the cell's own number (grid::cellNumber).
    // nullopt, for a cell to write as a plain one: any other cell, an empty or non-numeric
    // text, a group without data rows, a range that does not lie on the cell's worksheet (a
    // group split across worksheets cannot be one range) or one a formula cannot hold.
    std::optional<TotalFormula> formula(int col, std::string_view text) const;

    // The rows (from 0, in increasing order, at most kMaxPageBreaks) of worksheet `worksheet`
    // that start a new printed page: the first row of each group of a level with pageBreak,
    // except a group at the top of its worksheet's rows.
    const std::vector<lxw_row_t> &pageBreaks(int worksheet) const;

private:
    // A marked row: a header, subtotal or totals row.
    struct Marked {
        int row = 0;
        grid::RowKind kind = grid::RowKind::Data;
        int level = 0;  // 1.. levels for a header or subtotal row
        int first = 0;  // a subtotal or totals row: the sheet rows its cells total
        int last = -1;
    };

    const grid::Sheet &m_sheet;
    const WorksheetRows m_rows;
    int m_levels = 0;
    std::vector<Marked> m_marked;  // in row order
    std::size_t m_next = 0;        // the first of m_marked after the row last entered
    const Marked *m_current = nullptr;
    // Per level (from 1; index 0 unused), per sheet column: the SUBTOTAL function number of
    // the column's total, or 0.
    std::vector<std::vector<unsigned char>> m_functions;
    std::vector<int> m_headerRows;  // in row order
    std::map<int, std::vector<lxw_row_t>> m_breaks;
};

}  // namespace tessel::exports
