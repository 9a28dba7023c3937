#include "report/ReportRun.h"

#include "base/Language.h"
#include "db/StatementProgress.h"
#include "definitions/Definitions.h"
#include "report/ChartsStep.h"
#include "report/ConditionsStep.h"
#include "report/GroupingStep.h"
#include "report/NumberWidthStep.h"
#include "report/PaperStep.h"
#include "report/ParamsStep.h"
#include "report/SheetBuilding.h"

namespace tessel::report {

namespace {

using Kind = RunSource::Kind;

// Writes the host grid's rows 1.. into the sheet's data rows, column j of the grid in sheet
// column j + 1, with the views' repaint held back until the end.
void fillFromGrid(const HostGrid &grid, grid::Sheet &sheet) {
    const bool redraw = sheet.redraw();
    sheet.setRedraw(false);
    for (int i = 1; i <= grid.rows - 1; ++i) {
        for (int j = 0; j <= grid.cols - 1; ++j)
            sheet.setText(j + 1, i, grid.text(i, j));
    }
    sheet.setRedraw(redraw);
}

// The header row height of the definition; a definition without one (a report the data-set
// wizard created and the designer never saved) keeps the sheet's height. A height the sheet
// refuses fails the run.
void applyHeaderHeight(const definitions::DefinitionRecord &def, grid::Sheet &sheet) {
    if (const std::optional<double> height = def.headerHeight.value())
        sheet.setRowHeight(0, *height);
}

}  // namespace

QString queryStage() {
    return tessel::base::tr("执行查询");
}

void applyStoredLayout(ReportSession &session) {
    ApplyFitPagesWide(session);
    ApplyPaper(session);
    ApplyColumnFormats(session);
}

void arrangeReport(ReportSession &session, bool grouped,
                   const std::optional<QVariant> &totalsColumns) {
    if (grouped)
        ApplyGrouping(session, totalsColumns);
    ApplyCharts(session);  // once the rows are grouped: charts may take the groups' subtotals
}

void rearrangeReport(ReportSession &session, const std::optional<grid::Grouping> &grouping,
                     const std::optional<grid::ChartSpecs> &charts) {
    if (grouping)
        ApplyGrouping(session, *grouping, std::nullopt);
    if (charts)
        ApplyCharts(session, *charts);
    else
        ApplyCharts(session);
    WidenForNumbers(session);  // new subtotals may not fit as the run's numbers did
}

void buildReport(ReportSession &session, const definitions::DefinitionRecord &stored,
                 const RunRequest &request) {
    const RunSource &source = request.source;
    grid::Sheet &sheet = session.sheet;
    int columns = source.columns;

    // A host's grid is labelled before the definition, over the stored report's column count.
    if (source.kind == Kind::Grid) {
        columns = definitions::requireColumnCount(stored);
        SetLabelsAndWidths(stored.labels.value(), stored.widths.value(), columns, sheet);
    }

    ApplyDefinition(stored, sheet, session.mergeList);  // 1
    applyStoredLayout(session);                         // 2

    // 3: the query, watched while the database works on it and while its rows are read.
    base::Progress &progress = source.progress ? *source.progress : base::noProgress();
    std::optional<db::StatementProgress> watched;
    db::Recordset query;
    db::Recordset *rows = source.rows;
    if (source.kind == Kind::StoredQuery) {
        const db::Statement statement =
            ComposeRunQuery(session, stored.query.value(), source.where, request.params,
                            request.today.isValid() ? request.today : QDate::currentDate());
        progress.begin(queryStage(), base::ProgressUnit::Rows, -1);
        watched.emplace(session.connection, progress);
        query.open(statement, session.connection, db::CursorType::ForwardOnly,
                   db::LockType::ReadOnly, db::kCommandText);
        rows = &query;
    }
    if (rows)
        columns = rows->fieldCount();

    if (source.kind == Kind::StoredQuery || source.kind == Kind::None)
        applyHeaderHeight(stored, sheet);  // 4
    if (source.kind != Kind::Grid)
        SetLabelsAndWidths(stored.labels.value(), stored.widths.value(), columns, sheet);  // 5
    ApplyConditions(session);  // 6: once the columns are counted

    // 7
    if (rows) {
        FillFromRecordset(*rows, sheet, progress);
        progress.finish();
    } else if (source.kind == Kind::Grid) {
        fillFromGrid(source.grid, sheet);
    }

    // 8, 9
    arrangeReport(session, request.grouped,
                  request.totals.added ? request.totals.columns : std::nullopt);
}

void addRunTotals(ReportSession &session, const RunTotals &totals) {
    if (totals.added)
        AddTotalsRow(session.sheet, totals.columns);
    WidenForNumbers(session);  // 11: once every number of the run is in
}

}  // namespace tessel::report
