// The edits the charts dialog makes to a report's charts, as plain functions of the charts
// (grid::ChartSpec) and the report's sheet. Columns are sheet columns from 1.
#pragma once

#include <QString>
#include <QStringList>
#include <array>

#include "grid/ChartSpec.h"
#include "grid/Sheet.h"

namespace tessel::settingdialogs {

// A chart type and its caption (a text marked for translation), in the order the dialog
// lists them.
struct ChartTypeChoice {
    grid::ChartType type;
    const char *caption;
};
const std::array<ChartTypeChoice, 5> &chartTypeChoices();
// The position of `type` in chartTypeChoices().
int chartTypeIndex(grid::ChartType type);

// Whether column `column` of `sheet` holds numbers: at least one of its data cells
// (Sheet::isDataRow) is filled and every filled one reads as a number (grid::cellNumber).
// Reads at most the first `rowsRead` data rows.
bool columnHoldsNumbers(const grid::Sheet &sheet, int column, int rowsRead = 500);

// A new chart started from column `column` (1..sheet.maxCols()): a column chart of the rows,
// its categories the column itself when it holds texts, else the first column holding texts
// (the first column when none does); its values the column when it holds numbers, else the
// first column holding numbers after the category (none when there is no such column).
// Default place and size, no title.
grid::ChartSpec chartForColumn(const grid::Sheet &sheet, int column);

// Sets the chart's type; `stacked` is cleared for the types that cannot stack (line, pie),
// and a pie keeps only the first of its value columns.
void setChartType(grid::ChartSpec &chart, grid::ChartType type);
// Whether the chart's type can stack its series (column, bar, area).
bool canStack(grid::ChartType type);

// Ticks (`on`) or unticks value column `column`, keeping the values in column order. A pie
// takes one value column: ticking one on a pie replaces the one it had.
void setValueColumn(grid::ChartSpec &chart, int column, bool on);

// One line naming the chart in the dialog's list: its type, its value columns' labels and
// its category column's label (row 0 of `sheet`), or its title when it has one.
QString chartSummary(const grid::ChartSpec &chart, const grid::Sheet &sheet);

// What keeps the charts from being stored, one sentence per chart at fault: a chart without
// a value column. Empty when they can be stored.
QStringList chartProblems(const grid::ChartSpecs &charts);

}  // namespace tessel::settingdialogs
