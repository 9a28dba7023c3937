#include "charts/StoredCharts.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <optional>

#include "base/Language.h"
#include "settings/SettingReader.h"

namespace tessel::charts {

using grid::ChartPlace;
using grid::ChartSource;
using grid::ChartSpec;
using grid::ChartType;

namespace {

constexpr auto kTypeNames = settings::nameTable<ChartType>({
    {ChartType::Column, "column"},
    {ChartType::Bar, "bar"},
    {ChartType::Line, "line"},
    {ChartType::Area, "area"},
    {ChartType::Pie, "pie"},
});
constexpr auto kSourceNames = settings::nameTable<ChartSource>({
    {ChartSource::Rows, "rows"},
    {ChartSource::Groups, "groups"},
});
constexpr auto kPlaceNames = settings::nameTable<ChartPlace>({
    {ChartPlace::End, "end"},
    {ChartPlace::Page, "page"},
});

// The chart stored in `keys`, or nullopt when it is left out. A chart needs its type, its
// category column and its value columns (one for a pie); the rest is optional.
std::optional<ChartSpec> readChart(settings::Keys &keys) {
    ChartSpec chart;
    const std::optional<ChartType> type =
        keys.required(QStringLiteral("type"),
                      [](const QJsonValue &v) { return settings::asName(v, kTypeNames); });
    if (!type)
        return std::nullopt;
    chart.type = *type;
    const std::optional<int> category = keys.column(QStringLiteral("category"));
    if (!category)
        return std::nullopt;
    chart.category = *category;
    std::optional<std::vector<int>> values = keys.columns(QStringLiteral("values"));
    if (!values)
        return std::nullopt;
    chart.values = std::move(*values);
    if (chart.type == ChartType::Pie && chart.values.size() != 1) {
        keys.leaveOut(tessel::base::tr("饼图只画一个数值列"), QStringLiteral("values"));
        return std::nullopt;
    }

    chart.stacked = keys.flag(QStringLiteral("stacked"), false);
    if (chart.stacked && (chart.type == ChartType::Line || chart.type == ChartType::Pie)) {
        chart.stacked = false;
        keys.defaulted(QStringLiteral("stacked"),
                       tessel::base::tr("只有柱形图、条形图和面积图可以堆积"));
    }
    chart.title = keys.text(QStringLiteral("title"), QString());
    chart.source = keys.name(QStringLiteral("source"), kSourceNames, ChartSource::Rows);
    chart.place = keys.name(QStringLiteral("place"), kPlaceNames, ChartPlace::End);
    chart.widthCm =
        keys.number(QStringLiteral("width"), grid::kDefaultChartWidthCm, 0, kMaxChartSizeCm);
    chart.heightCm =
        keys.number(QStringLiteral("height"), grid::kDefaultChartHeightCm, 0, kMaxChartSizeCm);
    chart.otherKeys = settings::otherKeys(
        keys.stored(),
        {"type", "stacked", "title", "category", "values", "source", "place", "width", "height"});
    return chart;
}

}  // namespace

StoredCharts readCharts(const QString &text, int columnCount) {
    StoredCharts out;
    settings::Notes notes;
    out.charts = settings::readItems<ChartSpec>(
        text, columnCount, notes, [](int n) { return tessel::base::tr("第 %1 个图表").arg(n); },
        readChart);
    out.ignored = notes.sentences();
    return out;
}

QString writeCharts(const grid::ChartSpecs &charts) {
    if (charts.empty())
        return QString();
    QJsonArray array;
    for (const ChartSpec &chart : charts) {
        QJsonObject object = chart.otherKeys;
        object.insert(QLatin1String("type"), kTypeNames.name(chart.type));
        if (chart.stacked)
            object.insert(QLatin1String("stacked"), true);
        if (!chart.title.isEmpty())
            object.insert(QLatin1String("title"), chart.title);
        object.insert(QLatin1String("category"), chart.category);
        QJsonArray values;
        for (int column : chart.values)
            values.append(column);
        object.insert(QLatin1String("values"), values);
        object.insert(QLatin1String("source"), kSourceNames.name(chart.source));
        object.insert(QLatin1String("place"), kPlaceNames.name(chart.place));
        object.insert(QLatin1String("width"), chart.widthCm);
        object.insert(QLatin1String("height"), chart.heightCm);
        array.append(object);
    }
    return settings::jsonText(array);
}

QString ignoredNotice(const QString &report, const QStringList &ignored) {
    return settings::notice(report, tessel::base::tr("图表设置（图表）"), ignored);
}

}  // namespace tessel::charts
