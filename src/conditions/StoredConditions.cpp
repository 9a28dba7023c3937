#include "conditions/StoredConditions.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>
#include <cmath>
#include <optional>
#include <utility>

#include "base/Language.h"
#include "settings/SettingReader.h"

namespace tessel::conditions {

using grid::ConditionRule;
using grid::RuleKind;
using grid::RuleWhen;

namespace {

constexpr auto kWhenNames = settings::nameTable<RuleWhen>({
    {RuleWhen::Greater, ">"},
    {RuleWhen::GreaterEqual, ">="},
    {RuleWhen::Less, "<"},
    {RuleWhen::LessEqual, "<="},
    {RuleWhen::Equal, "="},
    {RuleWhen::NotEqual, "!="},
    {RuleWhen::Between, "between"},
    {RuleWhen::NotBetween, "notBetween"},
    {RuleWhen::Contains, "contains"},
    {RuleWhen::NotContains, "notContains"},
    {RuleWhen::BeginsWith, "beginsWith"},
    {RuleWhen::EndsWith, "endsWith"},
    {RuleWhen::Blank, "blank"},
    {RuleWhen::NotBlank, "notBlank"},
    {RuleWhen::Top, "top"},
    {RuleWhen::Bottom, "bottom"},
    {RuleWhen::AboveAverage, "aboveAverage"},
    {RuleWhen::BelowAverage, "belowAverage"},
    {RuleWhen::Duplicate, "duplicate"},
    {RuleWhen::Unique, "unique"},
});

// The largest N of a top or bottom rule counted in cells (the workbook program's own bound).
constexpr int kMaxRank = 1000;

bool isTextTest(RuleWhen when) {
    return when == RuleWhen::Contains || when == RuleWhen::NotContains ||
           when == RuleWhen::BeginsWith || when == RuleWhen::EndsWith;
}

QString colorText(const QColor &color) {
    return color.name(QColor::HexRgb).toUpper();
}

// A value a condition compares with: a finite number or a text.
settings::Checked<QVariant> asValue(const QJsonValue &value) {
    if (value.isDouble() && std::isfinite(value.toDouble()))
        return {QVariant(value.toDouble()), {}};
    if (value.isString())
        return {QVariant(value.toString()), {}};
    return {std::nullopt, tessel::base::tr("%1 不是数字或文本").arg(settings::shown(value))};
}

// The colours of a scale: 2 or 3 of them.
settings::Checked<std::vector<QColor>> asScale(const QJsonValue &value) {
    const QJsonArray colours = value.toArray();
    if (!value.isArray() || colours.size() < 2 || colours.size() > 3)
        return {std::nullopt,
                tessel::base::tr("%1 不是 2 或 3 个颜色").arg(settings::shown(value))};
    std::vector<QColor> out;
    for (const QJsonValue &entry : colours) {
        const settings::Checked<QString> colour = settings::asColour(entry);
        if (!colour.value)
            return {std::nullopt, colour.why};
        out.push_back(QColor::fromString(*colour.value));
    }
    return {out, {}};
}

// The rule `keys` reads, or nullopt when it is left out. A rule needs its column, exactly one
// of when, scale and bar, and what that one needs (a known when and the values it compares
// with, the scale's colours, the bar's colour); its look, flags and stop are optional.
std::optional<ConditionRule> readRule(settings::Keys &keys) {
    ConditionRule rule;
    const std::optional<int> column = keys.column(QStringLiteral("column"));
    if (!column)
        return std::nullopt;
    rule.column = *column;
    const bool hasWhen = keys.has(QStringLiteral("when"));
    const bool hasScale = keys.has(QStringLiteral("scale"));
    const bool hasBar = keys.has(QStringLiteral("bar"));
    if (int(hasWhen) + int(hasScale) + int(hasBar) != 1) {
        keys.leaveOut(tessel::base::tr("应有且只有 when、scale、bar 之一"));
        return std::nullopt;
    }
    if (hasScale) {
        rule.kind = RuleKind::Scale;
        const auto scale = keys.required(QStringLiteral("scale"), asScale);
        if (!scale)
            return std::nullopt;
        rule.scale = *scale;
    } else if (hasBar) {
        rule.kind = RuleKind::Bar;
        const std::optional<QString> bar = keys.required(QStringLiteral("bar"), settings::asColour);
        if (!bar)
            return std::nullopt;
        rule.bar = QColor::fromString(*bar);
    } else {
        rule.kind = RuleKind::Condition;
        const std::optional<RuleWhen> when =
            keys.required(QStringLiteral("when"),
                          [](const QJsonValue &v) { return settings::asName(v, kWhenNames); });
        if (!when)
            return std::nullopt;
        rule.when = *when;
        rule.percent = keys.flag(QStringLiteral("percent"), false);
        if (grid::whenValueCount(rule.when) > 0) {
            const auto value = keys.required(QStringLiteral("value"), asValue);
            if (!value)
                return std::nullopt;
            rule.value = *value;
        }
        if (grid::whenValueCount(rule.when) == 2) {
            const auto value2 = keys.required(QStringLiteral("value2"), asValue);
            if (!value2)
                return std::nullopt;
            rule.value2 = *value2;
        }
        if (isTextTest(rule.when) && rule.value.typeId() == QMetaType::Double) {
            // A number searched for is searched as its text.
            rule.value =
                QString::number(rule.value.toDouble(), 'g', QLocale::FloatingPointShortest);
        }
        if (rule.when == RuleWhen::Top || rule.when == RuleWhen::Bottom) {
            // N counts cells, or with percent a share of the column's numbers.
            const settings::Checked<int> n = settings::asWhole(keys.value(QStringLiteral("value")),
                                                               1, rule.percent ? 100 : kMaxRank);
            if (!n.value) {
                keys.leaveOut(n.why, QStringLiteral("value"));
                return std::nullopt;
            }
        }
        for (const auto &[key, target] :
             {std::pair{"text", &rule.text}, std::pair{"fill", &rule.fill}}) {
            if (const std::optional<QString> colour = keys.colour(QLatin1String(key)))
                *target = QColor::fromString(*colour);
        }
        rule.row = keys.flag(QStringLiteral("row"), false);
        rule.bold = keys.flag(QStringLiteral("bold"));
        rule.italic = keys.flag(QStringLiteral("italic"));
    }
    rule.stop = keys.flag(QStringLiteral("stop"), false);
    // A scale or a bar gives its colours alone: the keys of a condition's look stay as stored.
    rule.otherKeys =
        rule.kind == RuleKind::Condition
            ? settings::otherKeys(keys.stored(),
                                  {"column", "when", "scale", "bar", "stop", "value", "value2",
                                   "percent", "text", "fill", "bold", "italic", "row"})
            : settings::otherKeys(keys.stored(), {"column", "when", "scale", "bar", "stop"});
    return rule;
}

QJsonValue valueJson(const QVariant &value) {
    if (value.typeId() == QMetaType::Double)
        return value.toDouble();
    return value.toString();
}

}  // namespace

StoredConditions readConditions(const QString &text, int columnCount) {
    StoredConditions out;
    settings::Notes notes;
    out.rules = settings::readItems<ConditionRule>(
        text, columnCount, notes, [](int n) { return tessel::base::tr("第 %1 条规则").arg(n); },
        readRule);
    out.ignored = notes.sentences();
    return out;
}

QString writeConditions(const grid::ConditionRules &rules) {
    if (rules.empty())
        return QString();
    QJsonArray array;
    for (const ConditionRule &rule : rules) {
        QJsonObject object = rule.otherKeys;
        object.insert(QLatin1String("column"), rule.column);
        switch (rule.kind) {
            case RuleKind::Scale: {
                QJsonArray colors;
                for (const QColor &color : rule.scale)
                    colors.append(colorText(color));
                object.insert(QLatin1String("scale"), colors);
                break;
            }
            case RuleKind::Bar:
                object.insert(QLatin1String("bar"), colorText(rule.bar));
                break;
            case RuleKind::Condition:
                object.insert(QLatin1String("when"), kWhenNames.name(rule.when));
                if (rule.value.isValid())
                    object.insert(QLatin1String("value"), valueJson(rule.value));
                if (rule.value2.isValid())
                    object.insert(QLatin1String("value2"), valueJson(rule.value2));
                if (rule.text.isValid())
                    object.insert(QLatin1String("text"), colorText(rule.text));
                if (rule.fill.isValid())
                    object.insert(QLatin1String("fill"), colorText(rule.fill));
                break;
        }
        if (rule.stop)
            object.insert(QLatin1String("stop"), true);
        if (rule.kind == RuleKind::Condition) {
            if (rule.row)
                object.insert(QLatin1String("row"), true);
            if (rule.percent)
                object.insert(QLatin1String("percent"), true);
            if (rule.bold)
                object.insert(QLatin1String("bold"), *rule.bold);
            if (rule.italic)
                object.insert(QLatin1String("italic"), *rule.italic);
        }
        array.append(object);
    }
    return settings::jsonText(array);
}

QString ignoredNotice(const QString &report, const QStringList &ignored) {
    return settings::notice(report, tessel::base::tr("条件格式设置（条件格式）"), ignored);
}

}  // namespace tessel::conditions
