#include "charts/ChartData.h"

#include <cmath>
#include <limits>

#include "base/Language.h"
#include "grid/CellNumber.h"
#include "grid/Sheet.h"

namespace tessel::charts {

namespace {

double numberOf(const grid::Sheet &sheet, int col, int row) {
    return grid::cellNumber(sheet.cellUtf8(col, row))
        .value_or(std::numeric_limits<double>::quiet_NaN());
}

QString categoryText(const grid::Sheet &sheet, int col, int row,
                     const grid::Separators &separators) {
    return grid::formatted(sheet.text(col, row), sheet.colFormat(col), separators);
}

ChartData emptyData(const grid::Sheet &sheet, const grid::ChartSpec &chart) {
    ChartData data;
    data.type = chart.type;
    data.stacked = chart.stacked;
    data.title = chart.title;
    for (int col : chart.values)
        data.series.push_back({sheet.text(col, 0), {}, sheet.colFormat(col)});
    return data;
}

}  // namespace

QString chartDataProblem(const grid::Sheet &sheet, const grid::ChartSpec &chart) {
    const auto outside = [&](int col) { return col < 1 || col > sheet.maxCols(); };
    bool bad = outside(chart.category) || chart.values.empty();
    for (int col : chart.values)
        bad = bad || outside(col);
    if (bad)
        return tessel::base::tr("图表的列不在报表的第 1 至 %1 列之内。").arg(sheet.maxCols());
    if (chart.source == grid::ChartSource::Groups && sheet.grouping().levels.empty())
        return tessel::base::tr("图表的数据来源是分组，但报表没有分组。");
    return {};
}

ChartDataResult chartData(const grid::Sheet &sheet, const grid::ChartSpec &chart) {
    ChartDataResult out;
    out.why = chartDataProblem(sheet, chart);
    if (!out.why.isEmpty())
        return out;
    const grid::Separators separators = grid::numberSeparators();
    ChartData data = emptyData(sheet, chart);

    if (chart.source == grid::ChartSource::Rows) {
        for (int row = 1; row <= sheet.maxRows(); ++row) {
            if (!sheet.isDataRow(row))
                continue;
            data.categories << categoryText(sheet, chart.category, row, separators);
            for (std::size_t s = 0; s < chart.values.size(); ++s)
                data.series[s].values.push_back(numberOf(sheet, chart.values[s], row));
        }
        out.data = std::move(data);
        return out;
    }

    const grid::Grouping &grouping = sheet.grouping();
    const int levelColumn = grouping.levels.front().column;
    for (const grid::GroupSpan &span : grid::groupSpans(sheet)) {
        if (span.level != 1)
            continue;
        // The group's value stands in its level column on each of its data rows; header rows
        // and inner groups' rows come before the first.
        QString label;
        for (int row = span.first; row < span.last; ++row) {
            if (sheet.isDataRow(row)) {
                label = levelColumn >= 1 && levelColumn <= sheet.maxCols()
                            ? categoryText(sheet, levelColumn, row, separators)
                            : QString();
                break;
            }
        }
        data.categories << label;
        for (std::size_t s = 0; s < chart.values.size(); ++s)
            data.series[s].values.push_back(numberOf(sheet, chart.values[s], span.last));
    }
    out.data = std::move(data);
    return out;
}

}  // namespace tessel::charts
