#include "conditions/StoredConditions.h"

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

namespace tessel::conditions {

using grid::ConditionRule;
using grid::RuleKind;
using grid::RuleWhen;

namespace {

constexpr std::array<std::pair<RuleWhen, const char *>, 20> kWhenNames = {{
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
}};

// The keys this version reads from every rule, and from a rule with a condition besides
// (a scale or a bar colours its own column's cells alone); every other key of a rule is kept
// as stored.
constexpr std::array<const char *, 5> kRuleKeys = {"column", "when", "scale", "bar", "stop"};
constexpr std::array<const char *, 8> kConditionKeys = {"value", "value2", "percent", "text",
                                                        "fill",  "bold",   "italic",  "row"};

// The largest N of a top or bottom rule counted in cells (the workbook program's own bound).
constexpr double kMaxRank = 1000;

std::optional<RuleWhen> whenFromName(const QString &name) {
    for (const auto &[when, text] : kWhenNames) {
        if (name == QLatin1String(text))
            return when;
    }
    return std::nullopt;
}

QString whenName(RuleWhen when) {
    for (const auto &[w, text] : kWhenNames) {
        if (w == when)
            return QString::fromLatin1(text);
    }
    return QString();
}

bool takesTwoValues(RuleWhen when) {
    return when == RuleWhen::Between || when == RuleWhen::NotBetween;
}

bool takesNoValue(RuleWhen when) {
    switch (when) {
        case RuleWhen::Blank:
        case RuleWhen::NotBlank:
        case RuleWhen::AboveAverage:
        case RuleWhen::BelowAverage:
        case RuleWhen::Duplicate:
        case RuleWhen::Unique:
            return true;
        default:
            return false;
    }
}

bool isTextTest(RuleWhen when) {
    return when == RuleWhen::Contains || when == RuleWhen::NotContains ||
           when == RuleWhen::BeginsWith || when == RuleWhen::EndsWith;
}

// A stored value as the user wrote it, for a message.
QString shown(const QJsonValue &value) {
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    if (value.isObject())
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return QStringLiteral("null");
}

// "#RRGGBB" exactly (either case of the hex digits).
std::optional<QColor> readColor(const QJsonValue &value) {
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    if (text.size() != 7 || text[0] != u'#')
        return std::nullopt;
    for (qsizetype i = 1; i < 7; ++i) {
        const char16_t c = text[i].unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')))
            return std::nullopt;
    }
    return QColor::fromString(text);
}

QString colorText(const QColor &color) {
    return color.name(QColor::HexRgb).toUpper();
}

// Reads one rule; on failure returns the sentence that says why (without the rule's number).
class RuleReader {
public:
    RuleReader(const QJsonObject &object, int columnCount)
        : m_object(object), m_columnCount(columnCount) {}

    std::optional<QString> read(ConditionRule &rule) {
        const QJsonValue column = m_object.value(QLatin1String("column"));
        const double c = column.toDouble(-1);
        if (!column.isDouble() || c != std::floor(c) || c < 1 || c > m_columnCount) {
            return tessel::base::tr("列“%1”不在报表的第 1 至 %2 列之内。")
                .arg(shown(column))
                .arg(m_columnCount);
        }
        rule.column = int(c);

        const bool hasWhen = m_object.contains(QLatin1String("when"));
        const bool hasScale = m_object.contains(QLatin1String("scale"));
        const bool hasBar = m_object.contains(QLatin1String("bar"));
        if (int(hasWhen) + int(hasScale) + int(hasBar) != 1)
            return tessel::base::tr("一条规则应有且只有 when、scale、bar 之一。");
        keepOtherKeys(rule, hasWhen);
        if (auto why = readFlags(rule, hasWhen))
            return why;
        if (hasScale)
            return readScale(rule);
        if (hasBar) {
            rule.kind = RuleKind::Bar;
            const QJsonValue bar = m_object.value(QLatin1String("bar"));
            const std::optional<QColor> color = readColor(bar);
            if (!color)
                return badColor(bar);
            rule.bar = *color;
            return std::nullopt;
        }
        return readCondition(rule);
    }

private:
    static QString badColor(const QJsonValue &value) {
        return tessel::base::tr("颜色“%1”不是 #RRGGBB 形式。").arg(shown(value));
    }

    // A scale or a bar gives its colours alone: the keys of a condition's look stay as stored.
    void keepOtherKeys(ConditionRule &rule, bool condition) const {
        const auto among = [](const QString &key, const auto &keys) {
            for (const char *known : keys) {
                if (key == QLatin1String(known))
                    return true;
            }
            return false;
        };
        for (auto it = m_object.begin(); it != m_object.end(); ++it) {
            if (!among(it.key(), kRuleKeys) && !(condition && among(it.key(), kConditionKeys)))
                rule.otherKeys.insert(it.key(), it.value());
        }
    }

    std::optional<QString> readFlags(ConditionRule &rule, bool condition) const {
        const auto set = [](auto *target) { return [target](bool on) { *target = on; }; };
        if (auto why = readFlag("stop", set(&rule.stop)))
            return why;
        if (!condition)
            return std::nullopt;
        if (auto why = readFlag("row", set(&rule.row)))
            return why;
        if (auto why = readFlag("percent", set(&rule.percent)))
            return why;
        if (auto why = readFlag("bold", set(&rule.bold)))
            return why;
        return readFlag("italic", set(&rule.italic));
    }

    template <typename Set>
    std::optional<QString> readFlag(const char *key, Set set) const {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (value.isUndefined())
            return std::nullopt;
        if (!value.isBool()) {
            return tessel::base::tr("“%1”应为 true 或 false，而不是“%2”。")
                .arg(QLatin1String(key), shown(value));
        }
        set(value.toBool());
        return std::nullopt;
    }

    std::optional<QString> readScale(ConditionRule &rule) const {
        rule.kind = RuleKind::Scale;
        const QJsonValue scale = m_object.value(QLatin1String("scale"));
        const QJsonArray colors = scale.toArray();
        if (!scale.isArray() || colors.size() < 2 || colors.size() > 3)
            return tessel::base::tr("色阶（scale）应为 2 或 3 个颜色。");
        for (const QJsonValue &entry : colors) {
            const std::optional<QColor> color = readColor(entry);
            if (!color)
                return badColor(entry);
            rule.scale.push_back(*color);
        }
        return std::nullopt;
    }

    std::optional<QString> readCondition(ConditionRule &rule) const {
        const QJsonValue when = m_object.value(QLatin1String("when"));
        const std::optional<RuleWhen> parsed = whenFromName(when.toString());
        if (!when.isString() || !parsed)
            return tessel::base::tr("条件“%1”无法识别。").arg(shown(when));
        rule.kind = RuleKind::Condition;
        rule.when = *parsed;
        for (const char *key : {"text", "fill"}) {
            const QJsonValue value = m_object.value(QLatin1String(key));
            if (value.isUndefined())
                continue;
            const std::optional<QColor> color = readColor(value);
            if (!color)
                return badColor(value);
            (QLatin1String(key) == QLatin1String("text") ? rule.text : rule.fill) = *color;
        }
        if (takesNoValue(rule.when))
            return std::nullopt;
        if (auto why = readValue("value", rule.value))
            return why;
        if (takesTwoValues(rule.when)) {
            if (auto why = readValue("value2", rule.value2))
                return why;
        }
        if (isTextTest(rule.when) && rule.value.typeId() == QMetaType::Double) {
            // A number searched for is searched as its text.
            rule.value =
                QString::number(rule.value.toDouble(), 'g', QLocale::FloatingPointShortest);
        }
        if (rule.when == RuleWhen::Top || rule.when == RuleWhen::Bottom) {
            const double n = rule.value.toDouble();
            const double most = rule.percent ? 100 : kMaxRank;
            if (rule.value.typeId() != QMetaType::Double || n != std::floor(n) || n < 1 ||
                n > most) {
                return tessel::base::tr("前后项数“%1”应为 1 至 %2 的整数。")
                    .arg(shown(m_object.value(QLatin1String("value"))))
                    .arg(int(most));
            }
        }
        return std::nullopt;
    }

    std::optional<QString> readValue(const char *key, QVariant &target) const {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (value.isDouble() && std::isfinite(value.toDouble())) {
            target = value.toDouble();
            return std::nullopt;
        }
        if (value.isString()) {
            target = value.toString();
            return std::nullopt;
        }
        if (value.isUndefined())
            return tessel::base::tr("缺少“%1”。").arg(QLatin1String(key));
        return tessel::base::tr("“%1”应为数字或文本，而不是“%2”。")
            .arg(QLatin1String(key), shown(value));
    }

    const QJsonObject &m_object;
    int m_columnCount;
};

QJsonValue valueJson(const QVariant &value) {
    if (value.typeId() == QMetaType::Double)
        return value.toDouble();
    return value.toString();
}

}  // namespace

StoredConditions readConditions(const QString &text, int columnCount) {
    StoredConditions out;
    if (text.trimmed().isEmpty())
        return out;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        out.ignored << tessel::base::tr("所存的值不是 JSON 数组，全部规则未用。");
        return out;
    }
    const QJsonArray rules = document.array();
    for (qsizetype i = 0; i < rules.size(); ++i) {
        const QJsonValue entry = rules.at(i);
        std::optional<QString> why;
        ConditionRule rule;
        if (!entry.isObject())
            why = tessel::base::tr("它不是 JSON 对象。");
        else
            why = RuleReader(entry.toObject(), columnCount).read(rule);
        if (why)
            out.ignored << tessel::base::tr("第 %1 条规则：%2").arg(i + 1).arg(*why);
        else
            out.rules.push_back(std::move(rule));
    }
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
                object.insert(QLatin1String("when"), whenName(rule.when));
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
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QString ignoredNotice(const QString &report, const QStringList &ignored) {
    return tessel::base::tr("报表“%1”的条件格式有部分无法使用，其余照常应用。未用的是：\n%2")
        .arg(report, ignored.join(u'\n'));
}

}  // namespace tessel::conditions
