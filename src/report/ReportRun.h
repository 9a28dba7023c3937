// One run of a stored report: the steps that put it on the working sheet, in their one order.
//
// Every path that builds a stored report's sheet comes here: PrintPreSQL1, PrintPreGrid and
// getReport (component/Runs), the report list's sample (designer/ReportList), and, for the
// steps around its own labels and rows, the data-set wizard's refill and the designer's
// setting dialogs (designer/PrintSpread). Windows, messages, the progress window and what
// becomes of the sheet (shown, previewed, printed) stay with the caller: these routines build.
//
// The steps of buildReport, in order (what a source leaves out is said at RunSource):
//    1. the definition's layout: print settings, margins, merges, header row (ApplyDefinition)
//    2. the stored page settings and formats: fit to pages wide, paper (PaperStep), column
//       formats (applyStoredLayout)
//    3. the rows' source opened: the stored query with the run's condition and the
//       parameters' conditions, every value bound (ParamsStep)
//    4. the header row height of the definition, again
//    5. labels and widths over the run's column count
//    6. conditional formats (ConditionsStep), once the columns are counted
//    7. the fill
//    8. the grouping (GroupingStep), then 9. the charts (ChartsStep), once the rows are
//       grouped (arrangeReport)
//    -- the caller shows, previews or prints the sheet --
//   10. the totals row, 11. columns widened for formatted numbers that would not print
//       whole (NumberWidthStep) (addRunTotals)
// A new stored setting's step is added here once, in its place, and every path has it:
// a crosstab after the fill (7), documents after the grouping (8).
#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <optional>

#include "base/Progress.h"
#include "db/Recordset.h"
#include "definitions/DefinitionRecord.h"
#include "grid/ChartSpec.h"
#include "grid/Grouping.h"
#include "report/ReportSession.h"

namespace tessel::report {

// A grid of texts a host filled: `rows` x `cols`, row 0 its header row.
struct HostGrid {
    int cols = 0;
    int rows = 0;
    std::function<QString(int row, int col)> text;
};

// Where a run's data rows come from, and what that changes in the steps.
struct RunSource {
    enum class Kind {
        // The definition's query cut before its own where, joined with `where` and the
        // parameters' conditions (step 3, ParamsStep), every value bound; its
        // work and rows reported to `progress` (queryStage(), then the fill's), finished once
        // the rows are in. The columns are its fields.
        StoredQuery,
        // `rows`, open already (the report list's sample, opened before anything changed):
        // the columns are its fields; no step 4.
        OpenRows,
        // `grid`'s rows 1.. (its header row gives way to the stored labels) on a sheet the
        // caller sized to the grid; the definition's column count (列数, without which the run
        // fails) is labelled before step 1; no step 4.
        Grid,
        // No rows: the sheet keeps those it has, over `columns` columns (getReport).
        None,
    };
    Kind kind = Kind::None;
    QString where;                       // StoredQuery
    base::Progress *progress = nullptr;  // StoredQuery; none: not reported
    db::Recordset *rows = nullptr;       // OpenRows
    HostGrid grid;                       // Grid
    int columns = 0;                     // None
};

// The totals row a run adds once the caller has shown the sheet (PrintPreSQL1's ishj and
// HJcol, as AddTotalsRow takes them).
struct RunTotals {
    bool added = false;
    std::optional<QVariant> columns;  // nullopt: every column
};

// What one run is asked for besides the stored report.
struct RunRequest {
    RunSource source;
    // The stored grouping arranges the rows (getReport: never).
    bool grouped = true;
    // The totals row; with it, a grouping level without totals sums its columns.
    RunTotals totals;
    // The values of the report's parameters (StoredQuery): name → value, a QVariantList of two
    // for a range, a list for multi; a parameter not named here runs with its default.
    QVariantMap params;
    // The day date presets resolve against; invalid: the current date.
    QDate today;
};

// The progress stage a run's query is reported under while the database works on it.
QString queryStage();

// Builds the session's sheet for the stored report `stored` (the definition row of
// session.reportName) by steps 1 to 9 above, from `request.source`'s rows. The sheet is built
// on as it is (the caller started it, or keeps its rows). A stored setting that cannot be used
// is told by its step and the rest applies; a rows' source that fails (a query the database
// refuses, rows that break off, a cancel: base::Cancelled) and a stored column count or header
// height a run cannot do without throw, the sheet as far as it got.
void buildReport(ReportSession &session, const definitions::DefinitionRecord &stored,
                 const RunRequest &request);

// Step 2 alone: fit to pages wide, paper and column formats of the session's current report
// on its sheet, as stored (or kept by the session).
void applyStoredLayout(ReportSession &session);

// Steps 8 and 9 alone, on the rows the session's sheet holds: the stored grouping when
// `grouped` (a level without totals summing `totalsColumns`, else every numeric column), then
// the stored charts.
void arrangeReport(ReportSession &session, bool grouped,
                   const std::optional<QVariant> &totalsColumns);

// Steps 8 and 9 again, on rows the sheet already holds and may have arranged, with what the
// designer's dialogs were just given in place of the stored settings: `grouping`, when given,
// re-arranges the rows (an empty one puts back the plain data rows, a totals row staying
// last), and the charts (`charts` when given, else the stored ones) are put on them; then step
// 11. The sheet then shows what a run with those settings prints.
void rearrangeReport(ReportSession &session, const std::optional<grid::Grouping> &grouping,
                     const std::optional<grid::ChartSpecs> &charts);

// Steps 10 and 11: the totals row `totals` asks for, below the rows; then the columns too
// narrow for their formatted numbers widened (and the user told once).
void addRunTotals(ReportSession &session, const RunTotals &totals);

}  // namespace tessel::report
