// Exporting the previewed report to an Excel workbook (.xlsx): the page header lines at the
// top, every sheet row from the column labels (row 0) down, then the page footer lines.
//
// Worksheet layout (rows and columns from 1):
//   header line i (from 0)      row i + 1; its left part in column 1, centre in 5, right in 9
//   sheet row r (0 .. rows)     row H + r + 1, sheet column c in worksheet column c
//   footer line i               row H + rows + 2 + i, parts as for the header
// where H is the number of header lines. The lines and their parts are those of
// print::plainTextLines: a header or footer ending in "/n" has a last, empty line, and text
// before a line's first "/fn" is not written; a part that is the page number's code alone
// ("/p") stays empty, as a cell has no page to number.
//
// A report longer than a worksheet continues on further worksheets (Sheet2, ...), each of
// which starts with the label row again. Columns are as wide as they print in the report
// (WorkbookColumns) and rows as high; a column the sheet hides (width 1 or less) is hidden,
// its data kept for a user to show it again. A cell whose text reads as a number by the rule of
// every output (grid::cellNumber: what paper totals, rules test and alignment shows as a
// number) is written as a number, so the workbook sums and tests what the report does: in
// the sheet's own form as it is, spelt otherwise ("1,234", "1.50", "007") with a number
// format that shows it as spelt. A number of more than 15 significant digits, which a
// workbook cell would hold with other digits (an account or identity number), stays text, as
// does every other cell. In the data rows of a
// column with a format (Sheet::colFormat) the format decides instead: under a number or
// percent format every text that format reads as a number is written as that number
// carrying the format's number format ("#,##0.00", "0.0%"), so the workbook sums it; under a
// date format a date from 1900 on is written as the workbook's date number carrying
// "yyyy-mm-dd" (or "yyyy-mm-dd hh:mm:ss"); under the text format every cell is text with the
// format "@". Columns with equal formats share one workbook format.
//
// Each worksheet prints like the report, on the same pages (WorkbookPageSetup): the sheet's
// orientation, its paper where the workbook has that paper (workbookPaperIndex; other papers
// print on the printer's default), its margins and page body, the report's print scale (its
// grid lines are the cells' borders, below), the label row repeated at the top of every printed
// page when the report repeats it, and the report's header and footer as the workbook's own print
// header and footer (the page number and count when the report has no footer); the print
// area starts at the label row.
//
// Every cell looks as it prints (WorkbookStyles): its style's font, colours and fill, the
// label and totals rows bold, grid lines and borders as paper draws them, alignment by paper's
// rule; a merged column's runs of equal values are merged ranges holding the value in their
// first cell, within a worksheet and up to its limit of merged ranges (WorkbookMerges).
//
// A grouped sheet (one whose grouping has levels; see WorkbookGroups) keeps its rows and
// texts, and adds: subtotal cells and the totals row's numbers as SUBTOTAL formulas over
// their data cells, the sheet's number cached in each; outline levels (data rows one below
// the innermost level, header and subtotal rows their group's level, the label and totals
// rows none) with the summary rows below, so the workbook collapses to its subtotals; and a
// page break before each group of a level that starts a page (a report fitted to pages
// across prints fitted, which leaves the workbook program free to pass over them). Totals
// whose data cells do not all lie on their worksheet are plain numbers. Page totals are
// not written: a workbook has no pages of its own.
//
// A sheet with conditional formats (Sheet::conditions) keeps them as the workbook's own rules
// on every worksheet, over the worksheet rows of its data rows (WorkbookConditions): label,
// header, subtotal and totals rows are left out, and the rules stay live when a number is
// edited.
//
// A sheet with charts (Sheet::charts) gets each as a native chart (WorkbookCharts) below the
// data of the last worksheet holding data rows, on a page of their own, two rows apart, its
// series referring to that worksheet's data cells (a chart of the groups to a block on a
// worksheet of its own whose values are formulas over the subtotal cells).
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>

#include "base/Progress.h"

namespace tessel::grid {
class Sheet;
struct Paper;
}  // namespace tessel::grid

namespace tessel::exports {

// Rows of one worksheet, and columns.
constexpr int kWorksheetRows = 1'048'576;
constexpr int kWorksheetCols = 16'384;
// Characters a workbook cell holds; longer texts are cut to this many UTF-16 units.
constexpr int kCellTextMax = 32'767;

// Writes the workbook to `path` without asking anything. The file is built under a
// temporary name in the same folder and renamed over `path` once complete, so on failure
// `path` is untouched and no partial file remains. `rowsPerWorksheet` (2 .. kWorksheetRows)
// is the row capacity of each worksheet. Throws Error(Io) when the file cannot be written
// (with the system's or the writer's reason as the error's detail text) and
// Error(Argument) for a sheet with more columns than a worksheet has. The rows written are
// reported to `progress` (stage "写入工作簿", rows of the worksheets in total) every
// kRowsPerCheck rows, then the compression of the file (stage "压缩工作簿", total unknown)
// while the user-interface thread goes on; when it is cancelled the work stops at its next
// check point (the compression, which cannot be broken off, is waited for), `path` stays as
// it was, and base::Cancelled is thrown. Returns what the workbook could not carry as the
// report shows it, one sentence each for the user, told once the file is written: a print
// header or footer shortened to its length (WorkbookPageSetup), runs of a merged column left
// unmerged past a worksheet's merged ranges (WorkbookMerges); empty when it carries everything.
QStringList writeWorkbook(const QString &path, const grid::Sheet &sheet, const QString &header,
                          const QString &footer, int rowsPerWorksheet = kWorksheetRows,
                          base::Progress &progress = base::noProgress());

// The workbook's paper number for `paper`: Letter 1, Legal 5, A3 8, A4 9, A5 11, B5 13; 0
// (the printer's default paper) for a continuous form or a custom size, which the workbook
// has no number for.
int workbookPaperIndex(const grid::Paper &paper);

// The number a cell text stands for, when the text is exactly the sheet's own form of it
// (see above); nullopt for any other text.
std::optional<double> sheetNumber(std::string_view utf8);

}  // namespace tessel::exports
