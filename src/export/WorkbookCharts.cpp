#include "export/WorkbookCharts.h"

#include <tessel/Error.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "base/Language.h"
#include "charts/ChartData.h"
#include "charts/ChartLayout.h"
#include "grid/Sheet.h"

namespace tessel::exports {

namespace {

// The writer's default chart size in pixels, which the scales multiply.
constexpr double kDefaultChartWidthPx = 480;
constexpr double kDefaultChartHeightPx = 288;
constexpr double kPixelsPerCm = 96 / 2.54;

void check(lxw_error err) {
    if (err != LXW_NO_ERROR) {
        throw Error(Error::Category::Io, tessel::base::tr("工作表写入失败"),
                    QString::fromUtf8(lxw_strerror(err)));
    }
}

template <typename T>
T *checked(T *made) {
    if (!made) {
        throw Error(Error::Category::Io, tessel::base::tr("工作表写入失败"),
                    QString::fromUtf8(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED)));
    }
    return made;
}

uint8_t chartType(const grid::ChartSpec &chart) {
    switch (chart.type) {
        case grid::ChartType::Column:
            return chart.stacked ? LXW_CHART_COLUMN_STACKED : LXW_CHART_COLUMN;
        case grid::ChartType::Bar:
            return chart.stacked ? LXW_CHART_BAR_STACKED : LXW_CHART_BAR;
        case grid::ChartType::Line:
            return LXW_CHART_LINE;
        case grid::ChartType::Area:
            return chart.stacked ? LXW_CHART_AREA_STACKED : LXW_CHART_AREA;
        case grid::ChartType::Pie:
            break;
    }
    return LXW_CHART_PIE;
}

std::string cellRange(lxw_row_t first, lxw_row_t last, lxw_col_t col) {
    char text[LXW_MAX_CELL_RANGE_LENGTH];
    lxw_rowcol_to_range_abs(text, first, col, last, col);
    return text;
}

// "='name'!$B$2:$B$9", or "=('name'!$B$2:$B$5,'name'!$B$7:$B$9)" over several ranges.
std::string reference(const std::string &sheet, const std::vector<RowRange> &rows, lxw_col_t col) {
    std::string areas;
    for (const RowRange &r : rows)
        areas += (areas.empty() ? "" : ",") + sheet + "!" + cellRange(r.first, r.last, col);
    return rows.size() == 1 ? "=" + areas : "=(" + areas + ")";
}

std::string cellReference(const std::string &sheet, lxw_row_t row, lxw_col_t col) {
    char text[LXW_MAX_CELL_NAME_LENGTH];
    lxw_rowcol_to_cell_abs(text, row, col, 1, 1);
    return "=" + sheet + "!" + text;
}

// The first `limit` rows of `rows`.
std::vector<RowRange> firstRows(const std::vector<RowRange> &rows, long long limit) {
    std::vector<RowRange> out;
    for (const RowRange &r : rows) {
        if (limit <= 0)
            break;
        const long long count = std::min<long long>(limit, (long long)r.last - r.first + 1);
        out.push_back({r.first, lxw_row_t(r.first + count - 1)});
        limit -= count;
    }
    return out;
}

}  // namespace

// Always quoted: valid for every worksheet name, spaces and quotes included.
std::string quotedWorksheetName(const QString &name) {
    QString q = name;
    q.replace(u'\'', QStringLiteral("''"));
    return "'" + q.toStdString() + "'";
}

QString chartDataSheetName() {
    return QStringLiteral("图表数据");
}

QString WorkbookCharts::insert(lxw_worksheet *worksheet, const QString &worksheetName,
                               const grid::ChartSpec &chart, const std::vector<RowRange> &dataRows,
                               lxw_row_t labelRow, lxw_row_t row) {
    const auto outside = [&](int col) { return col < 1 || col > m_sheet.maxCols(); };
    bool bad = outside(chart.category) || chart.values.empty();
    for (int col : chart.values)
        bad = bad || outside(col);
    if (bad)
        return tessel::base::tr("图表的列不在报表的第 1 至 %1 列之内。").arg(m_sheet.maxCols());

    // Where the chart's cells are: the sheet, its ranges, the columns and the names' row.
    std::string sheet = quotedWorksheetName(worksheetName);
    std::vector<RowRange> ranges;
    lxw_col_t categoryCol = lxw_col_t(chart.category - 1);
    std::vector<lxw_col_t> valueCols;
    lxw_row_t namesRow = labelRow;
    if (chart.source == grid::ChartSource::Rows) {
        long long count = 0;
        for (const RowRange &r : dataRows)
            count += (long long)r.last - r.first + 1;
        ranges = firstRows(dataRows, charts::shownCategories(
                                         chart.type, int(std::min<long long>(count, INT32_MAX))));
        for (int col : chart.values)
            valueCols.push_back(lxw_col_t(col - 1));
    } else {
        const charts::ChartDataResult result = charts::chartData(m_sheet, chart);
        if (!result.data)
            return result.why;
        const charts::ChartData &data = *result.data;
        // The groups' subtotal rows, in the order chartData takes them.
        std::vector<int> subtotalRows;
        for (const grid::GroupSpan &span : grid::groupSpans(m_sheet)) {
            if (span.level == 1)
                subtotalRows.push_back(span.last);
        }
        const auto cellOf = [&, worksheet = sheet](int sheetRow, int col) {
            if (m_cells)
                return m_cells(sheetRow, col);
            char text[LXW_MAX_CELL_NAME_LENGTH];
            lxw_rowcol_to_cell(text, lxw_row_t(labelRow + lxw_row_t(sheetRow)), lxw_col_t(col - 1));
            return worksheet + "!" + text;
        };
        if (!m_dataSheet) {
            m_dataSheet = checked(
                workbook_add_worksheet(m_workbook, chartDataSheetName().toStdString().c_str()));
            // The block is the chart's workings, not the report: hidden, so that the workbook
            // prints the report's pages alone; a user can show it again.
            worksheet_hide(m_dataSheet);
        }
        // The block: labels in its first row, a group per row below, below earlier blocks. Row
        // by row, left to right: a workbook written in constant memory takes no cell above or
        // left of the last one written.
        const lxw_row_t top = m_nextDataRow;
        const int n = charts::shownCategories(chart.type, int(data.categories.size()));
        check(worksheet_write_string(
            m_dataSheet, top, 0, m_sheet.text(chart.category, 0).toStdString().c_str(), nullptr));
        for (std::size_t s = 0; s < data.series.size(); ++s) {
            valueCols.push_back(lxw_col_t(1 + s));
            check(worksheet_write_string(m_dataSheet, top, valueCols.back(),
                                         data.series[s].name.toStdString().c_str(), nullptr));
        }
        for (int i = 0; i < n; ++i) {
            const lxw_row_t at = lxw_row_t(top + 1 + i);
            check(worksheet_write_string(m_dataSheet, at, 0,
                                         data.categories[i].toStdString().c_str(), nullptr));
            for (std::size_t s = 0; s < data.series.size(); ++s) {
                const double v = data.series[s].values[std::size_t(i)];
                if (std::isnan(v))
                    continue;
                const std::string cell = std::size_t(i) < subtotalRows.size()
                                             ? cellOf(subtotalRows[std::size_t(i)], chart.values[s])
                                             : std::string();
                if (cell.empty()) {
                    check(worksheet_write_number(m_dataSheet, at, valueCols[s], v, nullptr));
                } else {
                    check(worksheet_write_formula_num(m_dataSheet, at, valueCols[s],
                                                      ("=" + cell).c_str(), nullptr, v));
                }
            }
        }
        m_nextDataRow = lxw_row_t(top + n + 2);  // a blank row between
        sheet = quotedWorksheetName(chartDataSheetName());
        categoryCol = 0;
        namesRow = top;
        if (n > 0)
            ranges.push_back({top + 1, lxw_row_t(top + n)});
    }
    if (ranges.empty())
        return tessel::base::tr("报表没有可画的数据行。");

    lxw_chart *native = checked(workbook_add_chart(m_workbook, chartType(chart)));
    const std::string categories = reference(sheet, ranges, categoryCol);
    for (lxw_col_t col : valueCols) {
        lxw_chart_series *series = checked(
            chart_add_series(native, categories.c_str(), reference(sheet, ranges, col).c_str()));
        chart_series_set_name(series, cellReference(sheet, namesRow, col).c_str());
        if (chart.type == grid::ChartType::Pie) {
            chart_series_set_labels(series);
            chart_series_set_labels_options(series, LXW_FALSE, LXW_FALSE, LXW_FALSE);
            chart_series_set_labels_percentage(series);
        }
    }
    if (!chart.title.isEmpty())
        chart_title_set_name(native, chart.title.toStdString().c_str());
    if (valueCols.size() == 1 && chart.type != grid::ChartType::Pie)
        chart_legend_set_position(native, LXW_CHART_LEGEND_NONE);
    const grid::ColumnFormat format = m_sheet.colFormat(chart.values.front());
    if (chart.type != grid::ChartType::Pie &&
        (format.kind == grid::FormatKind::Number || format.kind == grid::FormatKind::Percent)) {
        // A bar chart's values run along its x axis.
        chart_axis_set_num_format(
            chart.type == grid::ChartType::Bar ? native->x_axis : native->y_axis,
            grid::workbookNumberFormat(format).toStdString().c_str());
    }
    chart_show_hidden_data(native);

    lxw_chart_options options{};
    options.x_scale = chart.widthCm * kPixelsPerCm / kDefaultChartWidthPx;
    options.y_scale = chart.heightCm * kPixelsPerCm / kDefaultChartHeightPx;
    check(worksheet_insert_chart_opt(worksheet, row, 0, native, &options));
    return QString();
}

}  // namespace tessel::exports
