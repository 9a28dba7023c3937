// The points a chart draws, taken from a report sheet: the category labels and, per value
// column, a series of numbers.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "grid/ChartSpec.h"
#include "grid/ColumnFormat.h"

namespace tessel::grid {
class Sheet;
}

namespace tessel::charts {

struct ChartSeries {
    QString name;  // the value column's label (row 0)
    // One number per category; NaN where the cell does not read as a number.
    std::vector<double> values;
    grid::ColumnFormat format;  // the value column's format, for the axis numbers
    bool operator==(const ChartSeries &) const = default;
};

struct ChartData {
    grid::ChartType type = grid::ChartType::Column;
    bool stacked = false;
    QString title;
    QStringList categories;  // as the category column shows them (its format applied)
    std::vector<ChartSeries> series;
};

// The data of `chart` from `sheet`, or the sentence saying why the chart cannot be drawn.
struct ChartDataResult {
    std::optional<ChartData> data;
    QString why;
};

// Source rows: one point per data row (Sheet::isDataRow) from row 1 to maxRows(). Source
// groups: one point per group of the outermost level (grid::groupSpans): the label is the
// group's value (its level column in the group's first data row), the value the cell of the
// value column in its subtotal row; a sheet without a grouping gives no data and a why.
// Numbers are read with grid::cellNumber from the cells' texts. Columns outside the sheet give
// no data and a why.
ChartDataResult chartData(const grid::Sheet &sheet, const grid::ChartSpec &chart);

// Why `sheet` cannot give `chart` its points (a column outside the sheet, groups without a
// grouping), the sentence chartData's why holds; empty when it can. Time independent of the
// rows, so pagination can ask it of every chart.
QString chartDataProblem(const grid::Sheet &sheet, const grid::ChartSpec &chart);

}  // namespace tessel::charts
