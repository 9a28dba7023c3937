#include "settingdialogs/ChartEditing.h"

#include <algorithm>

#include "base/Language.h"
#include "grid/CellNumber.h"

namespace tessel::settingdialogs {

using grid::ChartSpec;
using grid::ChartType;

const std::array<ChartTypeChoice, 5> &chartTypeChoices() {
    static const std::array<ChartTypeChoice, 5> choices = {{
        {ChartType::Column, QT_TRANSLATE_NOOP("tessel::base", "柱形图")},
        {ChartType::Bar, QT_TRANSLATE_NOOP("tessel::base", "条形图")},
        {ChartType::Line, QT_TRANSLATE_NOOP("tessel::base", "折线图")},
        {ChartType::Area, QT_TRANSLATE_NOOP("tessel::base", "面积图")},
        {ChartType::Pie, QT_TRANSLATE_NOOP("tessel::base", "饼图")},
    }};
    return choices;
}

int chartTypeIndex(ChartType type) {
    const auto &choices = chartTypeChoices();
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].type == type)
            return int(i);
    return 0;
}

bool columnHoldsNumbers(const grid::Sheet &sheet, int column, int rowsRead) {
    bool filled = false;
    int read = 0;
    for (int r = 1; r <= sheet.maxRows() && read < rowsRead; ++r) {
        if (!sheet.isDataRow(r))
            continue;
        ++read;
        const QString text = sheet.text(column, r);
        if (text.trimmed().isEmpty())
            continue;
        if (!grid::cellNumber(text.toStdString()))
            return false;
        filled = true;
    }
    return filled;
}

ChartSpec chartForColumn(const grid::Sheet &sheet, int column) {
    const int columns = sheet.maxCols();
    std::vector<bool> numeric(std::size_t(columns) + 1, false);
    for (int c = 1; c <= columns; ++c)
        numeric[std::size_t(c)] = columnHoldsNumbers(sheet, c);
    ChartSpec chart;
    const bool clickedNumeric = column >= 1 && column <= columns && numeric[std::size_t(column)];
    if (column >= 1 && column <= columns && !clickedNumeric) {
        chart.category = column;
    } else {
        chart.category = 1;
        for (int c = 1; c <= columns; ++c) {
            if (!numeric[std::size_t(c)]) {
                chart.category = c;
                break;
            }
        }
    }
    if (clickedNumeric && column != chart.category) {
        chart.values = {column};
    } else {
        for (int c = chart.category + 1; c <= columns; ++c) {
            if (numeric[std::size_t(c)]) {
                chart.values = {c};
                break;
            }
        }
    }
    return chart;
}

bool canStack(ChartType type) {
    return type == ChartType::Column || type == ChartType::Bar || type == ChartType::Area;
}

void setChartType(ChartSpec &chart, ChartType type) {
    chart.type = type;
    if (!canStack(type))
        chart.stacked = false;
    if (type == ChartType::Pie && chart.values.size() > 1)
        chart.values.resize(1);
}

void setValueColumn(ChartSpec &chart, int column, bool on) {
    auto &values = chart.values;
    const auto at = std::find(values.begin(), values.end(), column);
    if (!on) {
        if (at != values.end())
            values.erase(at);
        return;
    }
    if (at != values.end())
        return;
    if (chart.type == ChartType::Pie)
        values.clear();
    values.insert(std::upper_bound(values.begin(), values.end(), column), column);
}

QString chartSummary(const ChartSpec &chart, const grid::Sheet &sheet) {
    const QString type =
        tessel::base::tr(chartTypeChoices()[std::size_t(chartTypeIndex(chart.type))].caption);
    if (!chart.title.isEmpty())
        return type + tessel::base::tr("：") + chart.title;
    const auto label = [&sheet](int column) {
        const QString text = column >= 1 && column <= sheet.maxCols()
                                 ? sheet.text(column, 0).simplified()
                                 : QString();
        return text.isEmpty() ? tessel::base::tr("第 %1 列").arg(column) : text;
    };
    QStringList values;
    for (int c : chart.values)
        values << label(c);
    if (values.isEmpty())
        return type;
    return tessel::base::tr("%1：%2（按%3）")
        .arg(type, values.join(tessel::base::tr("、")), label(chart.category));
}

QStringList chartProblems(const grid::ChartSpecs &charts) {
    QStringList problems;
    for (std::size_t i = 0; i < charts.size(); ++i)
        if (charts[i].values.empty())
            problems << tessel::base::tr("第 %1 个图表没有选择数值列").arg(i + 1);
    return problems;
}

}  // namespace tessel::settingdialogs
