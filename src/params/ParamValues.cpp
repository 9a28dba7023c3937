#include "params/ParamValues.h"

#include <tessel/Error.h>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonValue>
#include <QLocale>
#include <cmath>

#include "base/Language.h"
#include "params/DatePresets.h"

namespace tessel::params {

namespace {

using settings::Checked;

Checked<QVariant> refused(const QVariant &given, const QString &what) {
    return {std::nullopt, tessel::base::tr("“%1”不是%2").arg(given.toString().left(40), what)};
}

bool isBlank(const QVariant &v) {
    if (!v.isValid() || v.isNull())
        return true;
    return (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty()) ||
           (v.typeId() == QMetaType::QVariantList && v.toList().isEmpty()) ||
           (v.typeId() == QMetaType::QStringList && v.toStringList().isEmpty());
}

QVariantList asList(const QVariant &v) {
    if (v.typeId() == QMetaType::QVariantList || v.typeId() == QMetaType::QStringList)
        return v.toList();
    return {v};
}

std::optional<QDate> readDate(const QVariant &given, const QDate &today) {
    if (given.typeId() == QMetaType::QDate)
        return given.toDate().isValid() ? std::optional(given.toDate()) : std::nullopt;
    if (given.typeId() == QMetaType::QDateTime)
        return std::nullopt;
    const QString text = given.toString().trimmed();
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (date.isValid() && text.size() == 10)
        return date;
    return resolveDatePreset(text, today);
}

std::optional<QDateTime> readDateTime(const QVariant &given, const QDate &today) {
    if (given.typeId() == QMetaType::QDateTime)
        return given.toDateTime().isValid() ? std::optional(given.toDateTime()) : std::nullopt;
    if (const std::optional<QDate> date = readDate(given, today))
        return QDateTime(*date, QTime(0, 0));
    const QString text = given.toString().trimmed();
    for (const char *form : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-ddTHH:mm:ss"}) {
        const QDateTime dt = QDateTime::fromString(text, QLatin1StringView(form));
        if (dt.isValid())
            return dt;
    }
    return std::nullopt;
}

// The text of a number as given: C locale, no group separators.
std::optional<double> readNumber(const QVariant &given) {
    bool ok = false;
    double d = 0;
    if (given.typeId() == QMetaType::QString) {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        d = c.toDouble(given.toString().trimmed(), &ok);
    } else if (given.canConvert<double>() && given.typeId() != QMetaType::Bool) {
        d = given.toDouble(&ok);
    }
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

}  // namespace

Checked<QVariant> readValue(ParamType type, const QVariant &given, const QDate &today) {
    if (isBlank(given))
        return {QVariant(), {}};
    switch (type) {
        case ParamType::Text: {
            const QString text = given.toString();
            if (text.contains(QChar(0)))
                return {std::nullopt, tessel::base::tr("值含有 NUL 字符")};
            return {QVariant(text), {}};
        }
        case ParamType::Integer: {
            const std::optional<double> d = readNumber(given);
            // A double holds every whole number up to 2^53 exactly.
            if (!d || std::nearbyint(*d) != *d || std::fabs(*d) > 9007199254740992.0)
                return refused(given, tessel::base::tr("整数"));
            return {QVariant(qlonglong(*d)), {}};
        }
        case ParamType::Number: {
            const std::optional<double> d = readNumber(given);
            if (!d)
                return refused(given, tessel::base::tr("数"));
            return {QVariant(*d), {}};
        }
        case ParamType::Date: {
            const std::optional<QDate> d = readDate(given, today);
            if (!d)
                return refused(given,
                               tessel::base::tr("日期（yyyy-MM-dd 或 today、monthStart 等）"));
            return {QVariant(*d), {}};
        }
        case ParamType::DateTime: {
            const std::optional<QDateTime> d = readDateTime(given, today);
            if (!d)
                return refused(given, tessel::base::tr("日期时间（yyyy-MM-dd HH:mm:ss）"));
            return {QVariant(*d), {}};
        }
        case ParamType::Bool: {
            if (given.typeId() == QMetaType::Bool)
                return {given, {}};
            const QString t = given.toString().trimmed().toLower();
            if (t == QLatin1StringView("true") || t == QLatin1StringView("1"))
                return {QVariant(true), {}};
            if (t == QLatin1StringView("false") || t == QLatin1StringView("0"))
                return {QVariant(false), {}};
            return refused(given, tessel::base::tr("是非值（true 或 false）"));
        }
    }
    return refused(given, tessel::base::tr("可用的值"));
}

QVariantList readGiven(const Parameter &parameter, const QVariant &given, const QDate &today) {
    const auto fail = [&](const QString &why) {
        throw ParamError(
            tessel::base::tr("参数“%1”的值不能用：%2").arg(parameter.shownLabel(), why));
    };
    const auto read = [&](const QVariant &v) {
        const Checked<QVariant> checked = readValue(parameter.type, v, today);
        if (!checked.value)
            fail(checked.why);
        return *checked.value;
    };
    if (isBlank(given))
        return {};
    QVariantList out;
    if (parameter.range) {
        QVariantList ends = asList(given);
        if (ends.size() == 1 && ends[0].typeId() == QMetaType::QString) {
            const QString text = ends[0].toString();
            const qsizetype dots = text.indexOf(QLatin1StringView(".."));
            if (dots >= 0)
                ends = {text.left(dots), text.mid(dots + 2)};
        }
        if (ends.size() != 2)
            fail(tessel::base::tr("范围要给两个值（从、到）"));
        out = {read(ends[0]), read(ends[1])};
        if (out[0].isNull() && out[1].isNull())
            return {};
    } else if (parameter.multi || parameter.op == ParamOp::In) {
        for (const QVariant &v : asList(given)) {
            const QVariant value = read(v);
            if (!value.isNull())
                out.push_back(value);
        }
    } else {
        if (asList(given).size() != 1)
            fail(tessel::base::tr("只能给一个值"));
        const QVariant value = read(given);
        if (value.isNull())
            return {};
        out = {value};
    }
    if (!parameter.listValues.isEmpty()) {
        QVariantList offered;
        for (const QVariant &v : parameter.listValues) {
            const Checked<QVariant> o = readValue(parameter.type, v, today);
            if (o.value)
                offered.push_back(*o.value);
        }
        for (const QVariant &v : out) {
            if (!v.isNull() && !offered.contains(v))
                fail(tessel::base::tr("“%1”不在可选的值中").arg(v.toString().left(40)));
        }
    }
    return out;
}

QVariantList defaultOf(const Parameter &parameter, const QDate &today) {
    const QJsonValue &stored = parameter.defaultValue;
    if (stored.isUndefined() || stored.isNull())
        return {};
    return readGiven(parameter, stored.toVariant(), today);
}

ParamValues resolveValues(const Parameters &parameters, const QVariantMap &given,
                          const QDate &today) {
    ParamValues values;
    for (const Parameter &p : parameters) {
        const auto it = given.constFind(p.name);
        const QVariantList value =
            it != given.constEnd() ? readGiven(p, *it, today) : defaultOf(p, today);
        if (!value.isEmpty())
            values.insert(p.name, value);
    }
    return values;
}

}  // namespace tessel::params
