// A report's charts as the workbook's own, native charts: the same type, title and series,
// the series referring to the exported cells, so a workbook user sees the chart follow an
// edited number.
#pragma once

#include <xlsxwriter.h>

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "export/WorkbookConditions.h"
#include "grid/ChartSpec.h"

namespace tessel::grid {
class Sheet;
}

namespace tessel::exports {

// The name of the worksheet holding the groups' labels and subtotals that charts of source
// groups refer to (their subtotal rows are not contiguous in the data).
QString chartDataSheetName();

// Where a sheet cell was written: the reference to sheet row `row`, column `col` (from 1) in a
// formula ("'Sheet1'!F42", the worksheet's name quoted), or the empty text when it was not.
using SheetCellReference = std::function<std::string(int row, int col)>;

// The worksheet name as a formula names it: always quoted, a quote in it doubled.
std::string quotedWorksheetName(const QString &name);

// Writes the charts of one report into a workbook. Create it after every worksheet of the
// report's rows was added: the chart data worksheet, when a chart needs it, comes after them.
// `cells` tells where the report's cells are; without it sheet row r is worksheet row
// `labelRow` + r of the worksheet a chart is inserted into.
class WorkbookCharts {
public:
    WorkbookCharts(lxw_workbook *workbook, const grid::Sheet &sheet, SheetCellReference cells = {})
        : m_workbook(workbook), m_sheet(sheet), m_cells(std::move(cells)) {}

    // Inserts into `worksheet` (named `worksheetName`) a native chart of `chart` with its top
    // left corner at worksheet row `row` (from 0), column A, `chart`'s size in centimetres
    // (at 96 pixels to the inch), hidden rows still charted (chart_show_hidden_data).
    //  - source rows: each series refers to the value column's cells of `dataRows` (the
    //    worksheet rows holding the report's data rows, in order; several ranges make one
    //    multi-area reference), categories to the category column's, its name to the column's
    //    label in worksheet row `labelRow`; sheet column c is worksheet column c - 1;
    //  - source groups: a block of the outermost groups' labels and subtotals (chartData) is
    //    written on the hidden worksheet chartDataSheetName(), its first row the columns' labels,
    //    in columns A onwards below earlier blocks (a blank row between: rows are written in order,
    //    as a workbook in constant memory needs), and the series refer to it. Its values are
    //    formulas referring to the groups' subtotal cells, with their numbers cached, so the chart
    //    follows an edited subtotal.
    // Column and bar charts take their first kMaxBarCategories categories, pies their first
    // kMaxPieSlices, as the painter draws them. Returns the sentence saying why nothing was
    // inserted (a groups chart of a sheet without a grouping, columns outside the sheet), else
    // the empty text. Throws Error(Io) when the writer refuses the chart.
    QString insert(lxw_worksheet *worksheet, const QString &worksheetName,
                   const grid::ChartSpec &chart, const std::vector<RowRange> &dataRows,
                   lxw_row_t labelRow, lxw_row_t row);

private:
    lxw_workbook *m_workbook;
    const grid::Sheet &m_sheet;
    SheetCellReference m_cells;
    lxw_worksheet *m_dataSheet = nullptr;
    lxw_row_t m_nextDataRow = 0;  // where the next block of group data starts
};

}  // namespace tessel::exports
