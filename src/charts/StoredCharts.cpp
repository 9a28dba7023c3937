#include "charts/StoredCharts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

#include "base/Language.h"

namespace tessel::charts {

using grid::ChartPlace;
using grid::ChartSource;
using grid::ChartSpec;
using grid::ChartType;

namespace {

constexpr std::array<std::pair<ChartType, const char *>, 5> kTypeNames = {{
    {ChartType::Column, "column"},
    {ChartType::Bar, "bar"},
    {ChartType::Line, "line"},
    {ChartType::Area, "area"},
    {ChartType::Pie, "pie"},
}};
constexpr std::array<std::pair<ChartSource, const char *>, 2> kSourceNames = {{
    {ChartSource::Rows, "rows"},
    {ChartSource::Groups, "groups"},
}};
constexpr std::array<std::pair<ChartPlace, const char *>, 2> kPlaceNames = {{
    {ChartPlace::End, "end"},
    {ChartPlace::Page, "page"},
}};

constexpr std::array<const char *, 9> kKnownKeys = {
    "type", "stacked", "title", "category", "values", "source", "place", "width", "height"};

template <typename Enum, std::size_t N>
std::optional<Enum> fromName(const std::array<std::pair<Enum, const char *>, N> &names,
                             const QJsonValue &value) {
    if (!value.isString())
        return std::nullopt;
    for (const auto &[e, text] : names) {
        if (value.toString() == QLatin1String(text))
            return e;
    }
    return std::nullopt;
}

template <typename Enum, std::size_t N>
QString nameOf(const std::array<std::pair<Enum, const char *>, N> &names, Enum e) {
    for (const auto &[x, text] : names) {
        if (x == e)
            return QString::fromLatin1(text);
    }
    return QString();
}

// A stored value as the user wrote it, for a message.
QString shown(const QJsonValue &value) {
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    if (value.isObject())
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    return value.isUndefined() ? QString() : QStringLiteral("null");
}

bool isColumn(const QJsonValue &value, int columnCount) {
    const double c = value.toDouble(-1);
    return value.isDouble() && c == std::floor(c) && c >= 1 && c <= columnCount;
}

// Reads one chart; on failure returns the sentence that says why (without the chart's number).
std::optional<QString> readChart(const QJsonObject &object, int columnCount, ChartSpec &chart) {
    const QJsonValue type = object.value(QLatin1String("type"));
    const std::optional<ChartType> parsed = fromName(kTypeNames, type);
    if (!parsed)
        return tessel::base::tr("图表类型“%1”无法识别。").arg(shown(type));
    chart.type = *parsed;

    const QJsonValue stacked = object.value(QLatin1String("stacked"));
    if (!stacked.isUndefined()) {
        if (!stacked.isBool())
            return tessel::base::tr("“stacked”应为 true 或 false，而不是“%1”。")
                .arg(shown(stacked));
        chart.stacked = stacked.toBool();
        if (chart.stacked && (chart.type == ChartType::Line || chart.type == ChartType::Pie))
            return tessel::base::tr("只有柱形图、条形图和面积图可以堆积。");
    }

    const QJsonValue title = object.value(QLatin1String("title"));
    if (!title.isUndefined() && !title.isNull()) {
        if (!title.isString())
            return tessel::base::tr("标题“%1”不是文本。").arg(shown(title));
        chart.title = title.toString();
    }

    const QJsonValue category = object.value(QLatin1String("category"));
    if (!isColumn(category, columnCount)) {
        return tessel::base::tr("分类列“%1”不在报表的第 1 至 %2 列之内。")
            .arg(shown(category))
            .arg(columnCount);
    }
    chart.category = category.toInt();

    const QJsonValue values = object.value(QLatin1String("values"));
    if (!values.isArray() || values.toArray().isEmpty())
        return tessel::base::tr("数值列（values）应为列号的数组。");
    for (const QJsonValue &value : values.toArray()) {
        if (!isColumn(value, columnCount)) {
            return tessel::base::tr("数值列“%1”不在报表的第 1 至 %2 列之内。")
                .arg(shown(value))
                .arg(columnCount);
        }
        chart.values.push_back(value.toInt());
    }
    if (chart.type == ChartType::Pie && chart.values.size() != 1)
        return tessel::base::tr("饼图只画一个数值列。");

    const QJsonValue source = object.value(QLatin1String("source"));
    if (!source.isUndefined()) {
        const std::optional<ChartSource> s = fromName(kSourceNames, source);
        if (!s)
            return tessel::base::tr("数据来源“%1”无法识别。").arg(shown(source));
        chart.source = *s;
    }
    const QJsonValue place = object.value(QLatin1String("place"));
    if (!place.isUndefined()) {
        const std::optional<ChartPlace> p = fromName(kPlaceNames, place);
        if (!p)
            return tessel::base::tr("位置“%1”无法识别。").arg(shown(place));
        chart.place = *p;
    }

    for (const char *key : {"width", "height"}) {
        const QJsonValue size = object.value(QLatin1String(key));
        if (size.isUndefined())
            continue;
        const double cm = size.toDouble(-1);
        if (!size.isDouble() || !(cm > 0 && cm <= kMaxChartSizeCm)) {
            return tessel::base::tr("“%1”应为大于 0、不超过 %2 的厘米数，而不是“%3”。")
                .arg(QLatin1String(key))
                .arg(kMaxChartSizeCm)
                .arg(shown(size));
        }
        (QLatin1String(key) == QLatin1String("width") ? chart.widthCm : chart.heightCm) = cm;
    }

    for (auto it = object.begin(); it != object.end(); ++it) {
        bool known = false;
        for (const char *key : kKnownKeys)
            known = known || it.key() == QLatin1String(key);
        if (!known)
            chart.otherKeys.insert(it.key(), it.value());
    }
    return std::nullopt;
}

}  // namespace

StoredCharts readCharts(const QString &text, int columnCount) {
    StoredCharts out;
    if (text.trimmed().isEmpty())
        return out;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        out.ignored << tessel::base::tr("所存的值不是 JSON 数组，图表全部未画。");
        return out;
    }
    const QJsonArray charts = document.array();
    for (qsizetype i = 0; i < charts.size(); ++i) {
        const QJsonValue entry = charts.at(i);
        ChartSpec chart;
        const std::optional<QString> why =
            entry.isObject() ? readChart(entry.toObject(), columnCount, chart)
                             : std::optional(tessel::base::tr("它不是 JSON 对象。"));
        if (why)
            out.ignored << tessel::base::tr("第 %1 个图表：%2").arg(i + 1).arg(*why);
        else
            out.charts.push_back(std::move(chart));
    }
    return out;
}

QString writeCharts(const grid::ChartSpecs &charts) {
    if (charts.empty())
        return QString();
    QJsonArray array;
    for (const ChartSpec &chart : charts) {
        QJsonObject object = chart.otherKeys;
        object.insert(QLatin1String("type"), nameOf(kTypeNames, chart.type));
        if (chart.stacked)
            object.insert(QLatin1String("stacked"), true);
        if (!chart.title.isEmpty())
            object.insert(QLatin1String("title"), chart.title);
        object.insert(QLatin1String("category"), chart.category);
        QJsonArray values;
        for (int column : chart.values)
            values.append(column);
        object.insert(QLatin1String("values"), values);
        object.insert(QLatin1String("source"), nameOf(kSourceNames, chart.source));
        object.insert(QLatin1String("place"), nameOf(kPlaceNames, chart.place));
        object.insert(QLatin1String("width"), chart.widthCm);
        object.insert(QLatin1String("height"), chart.heightCm);
        array.append(object);
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QString ignoredNotice(const QString &report, const QStringList &ignored) {
    // One line: the renderer prints it as one line of its standard error.
    QString list = ignored.join(u' ');
    list.replace(u'\n', u' ');
    return tessel::base::tr("报表“%1”的图表设置有部分未画，报表照常输出。未画的是：%2")
        .arg(report, list);
}

}  // namespace tessel::charts
