#include "params/StoredParameters.h"

#include <tessel/Error.h>
#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <functional>
#include <optional>

#include "base/Language.h"
#include "params/ComposeQuery.h"
#include "params/ParamValues.h"
#include "settings/SettingReader.h"

namespace tessel::params {

namespace {

constexpr auto kTypeNames = settings::nameTable<ParamType>({
    {ParamType::Text, "text"},
    {ParamType::Integer, "integer"},
    {ParamType::Number, "number"},
    {ParamType::Date, "date"},
    {ParamType::DateTime, "datetime"},
    {ParamType::Bool, "bool"},
});
constexpr auto kOpNames = settings::nameTable<ParamOp>({
    {ParamOp::Equal, "="},
    {ParamOp::NotEqual, "<>"},
    {ParamOp::Less, "<"},
    {ParamOp::LessOrEqual, "<="},
    {ParamOp::Greater, ">"},
    {ParamOp::GreaterOrEqual, ">="},
    {ParamOp::Contains, "contains"},
    {ParamOp::StartsWith, "startsWith"},
    {ParamOp::In, "in"},
});

// The names a report's header and footer replace by themselves (V日期, V时间, see
// print/codes/HeaderFooterCodes.h): a parameter's variable of such a name would never show.
const QStringList &builtInNames() {
    static const QStringList names{QStringLiteral("日期"), QStringLiteral("时间")};
    return names;
}

bool hasRange(ParamType t) {
    return t == ParamType::Date || t == ParamType::DateTime || t == ParamType::Integer ||
           t == ParamType::Number;
}

bool hasMulti(ParamType t) {
    return t == ParamType::Text || t == ParamType::Integer || t == ParamType::Number;
}

// Any fixed day reads a preset as well as another: only whether it reads matters here.
const QDate kAnyDay(2000, 1, 1);

void readList(settings::Keys &keys, Parameter &p) {
    const std::optional<QJsonObject> list = keys.object(QStringLiteral("list"));
    if (!list)
        return;
    const QJsonValue values = list->value(QLatin1StringView("values"));
    const QJsonValue query = list->value(QLatin1StringView("query"));
    if (values.isArray() && !values.toArray().isEmpty()) {
        p.listValues = values.toArray().toVariantList();
    } else if (query.isString() && !query.toString().trimmed().isEmpty()) {
        p.listQuery = query.toString();
    } else {
        keys.defaulted(QStringLiteral("list"),
                       tessel::base::tr("列表要有 values（非空数组）或 query（查询语句）"));
        return;
    }
    p.otherListKeys = settings::otherKeys(*list, {"values", "query"});
}

std::optional<Parameter> readParameter(settings::Keys &keys, QSet<QString> &names) {
    Parameter p;
    const std::optional<QString> name = keys.required(
        QStringLiteral("name"), [](const QJsonValue &v) { return settings::asText(v); });
    if (!name)
        return std::nullopt;
    if (!isParameterName(*name)) {
        keys.leaveOut(
            tessel::base::tr("%1 不是名称（只能用字母、数字和下划线）").arg(settings::shown(*name)),
            QStringLiteral("name"));
        return std::nullopt;
    }
    if (builtInNames().contains(*name)) {
        keys.leaveOut(tessel::base::tr("“%1”是内置变量的名称").arg(*name), QStringLiteral("name"));
        return std::nullopt;
    }
    if (names.contains(*name)) {
        keys.leaveOut(tessel::base::tr("名称“%1”与前面的参数重复").arg(*name),
                      QStringLiteral("name"));
        return std::nullopt;
    }
    p.name = *name;
    if (keys.has(QStringLiteral("type"))) {
        const std::optional<ParamType> type =
            keys.required(QStringLiteral("type"),
                          [](const QJsonValue &v) { return settings::asName(v, kTypeNames); });
        if (!type)
            return std::nullopt;
        p.type = *type;
    }
    names.insert(p.name);

    p.label = keys.text(QStringLiteral("label"), QString());
    p.column = keys.text(QStringLiteral("column"), QString());
    p.condition = keys.text(QStringLiteral("condition"), QString());
    p.op = keys.name(QStringLiteral("op"), kOpNames, ParamOp::Equal);
    p.range = keys.flag(QStringLiteral("range"), false);
    p.multi = keys.flag(QStringLiteral("multi"), false);
    p.required = keys.flag(QStringLiteral("required"), false);
    p.ask = keys.flag(QStringLiteral("ask"), true);

    if (p.range && !hasRange(p.type)) {
        p.range = false;
        keys.defaulted(QStringLiteral("range"),
                       tessel::base::tr("只有日期、日期时间、整数和数可以是范围"));
    }
    if (p.multi && (!hasMulti(p.type) || p.range)) {
        p.multi = false;
        keys.defaulted(QStringLiteral("multi"),
                       tessel::base::tr("只有文本、整数和数可以多选，范围不能多选"));
    }
    const bool opGiven = keys.has(QStringLiteral("op"));
    if (p.multi && p.op != ParamOp::In) {
        if (opGiven)
            keys.defaulted(QStringLiteral("op"), tessel::base::tr("多选参数用 in 比较"));
        p.op = ParamOp::In;
    } else if (p.range && opGiven) {
        p.op = ParamOp::Equal;
        keys.defaulted(QStringLiteral("op"), tessel::base::tr("范围参数用 >= 和 <= 比较"));
    } else if ((p.op == ParamOp::Contains || p.op == ParamOp::StartsWith) &&
               p.type != ParamType::Text) {
        p.op = ParamOp::Equal;
        keys.defaulted(QStringLiteral("op"), tessel::base::tr("contains 和 startsWith 只用于文本"));
    }
    readList(keys, p);

    p.defaultValue = keys.value(QStringLiteral("default"));
    if (!p.defaultValue.isUndefined()) {
        try {
            defaultOf(p, kAnyDay);
        } catch (const Error &e) {
            p.defaultValue = QJsonValue(QJsonValue::Undefined);
            keys.defaulted(QStringLiteral("default"), e.userMessage());
        }
    }
    p.otherKeys = settings::otherKeys(
        keys.stored(), {"name", "label", "type", "column", "op", "condition", "range", "multi",
                        "default", "required", "list", "ask"});
    return p;
}

// The parameters named by `query`'s placeholders (a range's _from and _to name the range).
QStringList needsOf(const QString &query, const Parameters &parameters) {
    QStringList needs;
    for (const QString &name : placeholderNames(query)) {
        for (const Parameter &p : parameters) {
            if (p.name == name || (p.range && (name == p.name + QStringLiteral("_from") ||
                                               name == p.name + QStringLiteral("_to")))) {
                if (!needs.contains(p.name))
                    needs << p.name;
            }
        }
    }
    return needs;
}

// Leaves out the parameters whose list queries reach back to themselves, naming each.
void dropCircles(Parameters &parameters, settings::Notes &notes) {
    QHash<QString, QStringList> needs;
    for (Parameter &p : parameters) {
        p.listNeeds = needsOf(p.listQuery, parameters);
        needs.insert(p.name, p.listNeeds);
    }
    // The path from `from` back to `target`, or empty.
    std::function<QStringList(const QString &, const QString &, QSet<QString> &)> pathBack =
        [&](const QString &from, const QString &target, QSet<QString> &seen) -> QStringList {
        for (const QString &next : needs.value(from)) {
            if (next == target)
                return {next};
            if (seen.contains(next))
                continue;
            seen.insert(next);
            QStringList rest = pathBack(next, target, seen);
            if (!rest.isEmpty())
                return QStringList{next} + rest;
        }
        return {};
    };
    QSet<QString> circular;
    for (const Parameter &p : parameters) {
        QSet<QString> seen;
        const QStringList path = pathBack(p.name, p.name, seen);
        if (path.isEmpty())
            continue;
        circular.insert(p.name);
        notes.itemDropped(tessel::base::tr("参数“%1”").arg(p.name),
                          tessel::base::tr("列表查询循环引用（%1）")
                              .arg((QStringList{p.name} + path).join(QStringLiteral(" → "))));
    }
    std::erase_if(parameters, [&](const Parameter &p) { return circular.contains(p.name); });
}

}  // namespace

bool isParameterName(const QString &name) {
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (!c.isLetterOrNumber() && c != u'_' && !c.isSurrogate())
            return false;
    }
    return true;
}

StoredParameters readParameters(const QString &text) {
    StoredParameters out;
    settings::Notes notes;
    QSet<QString> names;
    out.parameters = settings::readItems<Parameter>(
        text, 0, notes, [](int n) { return tessel::base::tr("第 %1 个参数").arg(n); },
        [&names](settings::Keys &keys) { return readParameter(keys, names); });
    dropCircles(out.parameters, notes);
    out.ignored = notes.sentences();
    return out;
}

QString writeParameters(const Parameters &parameters) {
    if (parameters.empty())
        return QString();
    QJsonArray array;
    for (const Parameter &p : parameters) {
        QJsonObject o = p.otherKeys;
        o.insert(QLatin1StringView("name"), p.name);
        if (!p.label.isEmpty())
            o.insert(QLatin1StringView("label"), p.label);
        o.insert(QLatin1StringView("type"), kTypeNames.name(p.type));
        if (!p.column.isEmpty())
            o.insert(QLatin1StringView("column"), p.column);
        if (p.op != ParamOp::Equal && !p.multi)
            o.insert(QLatin1StringView("op"), kOpNames.name(p.op));
        if (!p.condition.isEmpty())
            o.insert(QLatin1StringView("condition"), p.condition);
        if (p.range)
            o.insert(QLatin1StringView("range"), true);
        if (p.multi)
            o.insert(QLatin1StringView("multi"), true);
        if (!p.defaultValue.isUndefined() && !p.defaultValue.isNull())
            o.insert(QLatin1StringView("default"), p.defaultValue);
        if (p.required)
            o.insert(QLatin1StringView("required"), true);
        if (!p.listValues.isEmpty() || !p.listQuery.isEmpty()) {
            QJsonObject list = p.otherListKeys;
            if (!p.listValues.isEmpty())
                list.insert(QLatin1StringView("values"), QJsonArray::fromVariantList(p.listValues));
            else
                list.insert(QLatin1StringView("query"), p.listQuery);
            o.insert(QLatin1StringView("list"), list);
        }
        if (!p.ask)
            o.insert(QLatin1StringView("ask"), false);
        array.append(o);
    }
    return settings::jsonText(array);
}

QString ignoredNotice(const QString &report, const QStringList &ignored) {
    return settings::notice(report, tessel::base::tr("查询参数（参数）"), ignored);
}

}  // namespace tessel::params
