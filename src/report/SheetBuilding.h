// Routines that turn a report definition and a query result into a report sheet: the
// definition's layout, the rows, labels and widths, the totals row, and the stored settings
// that need no word to the user (fit to pages wide, column formats). The steps that may tell
// the user about a stored setting live in files of their own (PaperStep, ConditionsStep,
// GroupingStep, ChartsStep); report/ReportRun puts all of them in their order.
//
// Sheet layout: row 0 holds the column labels, rows 1..maxRows() the data; column 0 is the
// row header column and report column c shows field c - 1 of the query.
//
// Every routine is forgiving: each step is attempted on its own, and a step that fails (a
// missing column, a NULL, a value the sheet refuses) is skipped silently while the next
// step runs. None of them tells the user anything, and none throws but FillFromRecordset
// (a result that broke off, a cancelled read).
#pragma once

#include <QString>
#include <QVariant>
#include <optional>
#include <string_view>
#include <vector>

#include "base/Progress.h"
#include "db/Recordset.h"
#include "definitions/DefinitionRecord.h"
#include "grid/Sheet.h"
#include "report/ReportSession.h"

namespace tessel::report {

// The colour of the totals row's texts, RGB(0, 123, 28).
inline const QColor kTotalsColor{0, 123, 28};
// The label of the totals row.
inline const QString kTotalsLabel = QStringLiteral("合计");

// Gives `sheet` the print settings, header row height and merged columns of the definition
// `def` (DefinitionRecord says how each field was read) and sets `mergeList` from its merges:
//  - merged columns: each element of `mergeList` (split at ",") becomes the current column
//    and is merged; a bad element is skipped;
//  - row 0's height from headerHeight (points) when it is a finite number;
//  - the print flags;
//  - the print range; for a page range, its first and last page;
//  - the margins, given in inches, set in twips (1440 per inch);
//  - the orientation;
//  - header and/or footer from headerText / footerText as headerFooter says.
// A field without a value leaves its setting as it was; without merges `mergeList` keeps
// its value.
void ApplyDefinition(const definitions::DefinitionRecord &def, grid::Sheet &sheet,
                     QString &mergeList);
// The same for the current record of the definition row `row` (see readDefinition); a row
// without a current record changes only what a row of NULLs changes.
void ApplyDefinition(const db::Recordset &row, grid::Sheet &sheet, QString &mergeList);

// Puts fit to pages wide of the session's current report on its sheet: the row's 页宽缩放
// when tsl_report has that column (NULL or no usable number: off), else the value page
// setup last set for the report in this session (off when none). A read the database
// refuses leaves the sheet's setting as it was, as for every other step of a definition.
void ApplyFitPagesWide(report::ReportSession &session);

// Puts the column formats of the session's current report on its sheet, every other column
// back to general: the row's 列格式 when tsl_report has that column (NULL: none), else the
// formats the designer last saved for the report in this session (none when it did not). A
// read the database refuses leaves the sheet's formats as they were.
void ApplyColumnFormats(report::ReportSession &session);

// Writes every record of `rs`, from its first, into the data rows (record n in row n, field
// f in column f + 1), then sets the column count to the field count and the row count to
// the number of records. Cells are not cleared first: what lay beyond the new counts stays
// outside the sheet; row marks, row styles and the sheet's grouping are (every row written is
// data). Shows the busy cursor; the sheet sends one change when done. Other
// failing steps are skipped, but a record that cannot be read (the result broke off) ends
// the fill: the read's error is thrown and the counts are left unchanged, so the caller fails
// instead of showing part of a result as all of it. The rows read are reported to `progress`
// (stage "读取数据", total unknown) every kRowsPerCheck rows; when it is cancelled the fill
// throws base::Cancelled there, the counts likewise unchanged.
void FillFromRecordset(db::Recordset &rs, grid::Sheet &sheet,
                       base::Progress &progress = base::noProgress());

// Labels columns 1..fieldCount with the field names of `rs` (row 0), gives each column the
// width 3.5 x the number of characters of its name (width units), and sets the column
// count to the field count. Moves `rs` to its first record.
void SetHeadersFromFields(db::Recordset &rs, grid::Sheet &sheet);

// Applies a stored label list (split at "，", see decodeLabels) and width list (split at
// single spaces, see decodeWidths) to columns 1..count, then sets the column count to count.
// An empty label element gives the label " "; a missing element leaves that column's label
// or width as it was; a NULL (nullopt) list is left out entirely.
void SetLabelsAndWidths(const std::optional<QString> &labels, const std::optional<QString> &widths,
                        int count, grid::Sheet &sheet);
// The same for lists given as values: an invalid or NULL value is a NULL list, any other
// value stands for its text.
void SetLabelsAndWidths(const QVariant &labels, const QVariant &widths, int count,
                        grid::Sheet &sheet);

// Labels columns 1..count with the label texts a user typed (a "，"-separated list): element
// i labels column i + 1, and a column whose element is missing or blank takes the name of
// field i in `fieldNames`, as a report without labels does (a column past the fields keeps
// its label). Widths are left as they are; the column count becomes count.
void SetTypedLabels(const QString &labels, const QStringList &fieldNames, int count,
                    grid::Sheet &sheet);

// Puts `sheet` in the state a report starts from before anything of it is applied: no
// columns, rows, texts, widths, merges or formats, no selection, and the print settings of a
// definition that stores none (portrait, half-inch margins, the default flags, no header or
// footer, no fit to pages). Column and row headers are shown.
void StartReportSheet(grid::Sheet &sheet);

// The column numbers a totals column list names (AddTotalsRow's `columns`, a run's totals
// columns): its entries that read as whole numbers, in their order; the others left out. A
// value that is no list (a text among them) names no column.
std::vector<int> totalsColumnList(const QVariant &columns);

// Appends a totals row below the data, marked RowKind::Totals: for each column named in
// `columns` (sheet columns from 1; left out: every column 1..maxCols()) the sum of the numeric
// texts of its data rows (rows not marked, so a grouping's subtotals are not added in again),
// shown as grid::totalText shows it and empty when 0. The row's texts in columns
// 1..maxCols() + 1 are coloured kTotalsColor, and kTotalsLabel goes into the first column
// from 1 to maxCols() - 1 whose width is above 1, replacing its sum. A `columns` that is
// given but is not a list totals no column; the row is still appended and labelled.
void AddTotalsRow(grid::Sheet &sheet, const std::optional<QVariant> &columns);

}  // namespace tessel::report
