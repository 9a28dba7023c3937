// The charts a report draws beside its table: which kind of chart, from which columns, drawn
// from the data rows or from the groups' subtotals, where and how large on paper. Plain data
// that the sheet can carry as it carries its grouping, so that pagination, painting and the
// exports read the same charts.
//
// Columns are sheet columns from 1; sizes are centimetres on paper.
#pragma once

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <vector>

namespace tessel::grid {

enum class ChartType : std::uint8_t {
    Column,  // vertical bars
    Bar,     // horizontal bars
    Line,
    Area,
    Pie,  // one series
};

// Where a chart's points come from.
enum class ChartSource : std::uint8_t {
    Rows,    // one point per data row
    Groups,  // one point per group of the outermost level: its subtotal
};

// Where a chart is printed.
enum class ChartPlace : std::uint8_t {
    End,   // after the last row, on the same page when it fits, else on a page of its own
    Page,  // always on a page of its own after the report
};

constexpr double kDefaultChartWidthCm = 16.0;
constexpr double kDefaultChartHeightCm = 9.0;

struct ChartSpec {
    ChartType type = ChartType::Column;
    bool stacked = false;     // Column, Bar and Area: the series stacked on each other
    QString title;            // empty: no title
    int category = 0;         // the column whose texts label the categories (or pie slices)
    std::vector<int> values;  // the columns of the series, in drawing order
    ChartSource source = ChartSource::Rows;
    ChartPlace place = ChartPlace::End;
    double widthCm = kDefaultChartWidthCm;  // shrunk to the printable width when wider
    double heightCm = kDefaultChartHeightCm;
    // Keys of the stored chart this version does not know, written back as they were.
    QJsonObject otherKeys;
    bool operator==(const ChartSpec &) const = default;
};

using ChartSpecs = std::vector<ChartSpec>;

}  // namespace tessel::grid
