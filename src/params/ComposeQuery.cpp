#include "params/ComposeQuery.h"

#include <tessel/Error.h>
#include <QDate>
#include <vector>

#include "base/Language.h"
#include "db/SqlClauses.h"
#include "db/SqlTokens.h"

namespace tessel::params {

namespace {

// A `:name` placeholder: where it starts in its text, its length with the colon, the name.
struct Placeholder {
    qsizetype at;
    qsizetype length;
    QString name;
};

std::vector<Placeholder> placeholders(const QString &sql) {
    std::vector<Placeholder> out;
    if (!sql.contains(u':'))
        return out;
    const std::vector<db::Token> t = db::tokenize(sql);
    qsizetype at = 0;
    for (size_t i = 0; i < t.size(); at += t[i].text.size(), ++i) {
        if (!db::isPunct(t[i], u':') || i + 1 >= t.size() || t[i + 1].kind != db::Tok::Word)
            continue;
        if (i > 0 && db::isPunct(t[i - 1], u':'))
            continue;  // x::type, a cast
        out.push_back({at, 1 + t[i + 1].text.size(), t[i + 1].text});
    }
    return out;
}

const Parameter *find(const Parameters &parameters, const QString &name) {
    for (const Parameter &p : parameters) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}

// Which value of a parameter a placeholder stands for.
struct Reference {
    const Parameter *parameter = nullptr;
    enum class Part { Whole, From, To } part = Part::Whole;
};

Reference resolve(const Parameters &parameters, const QString &name) {
    if (const Parameter *p = find(parameters, name))
        return {p, Reference::Part::Whole};
    for (const auto &[suffix, part] : {std::pair{QLatin1StringView("_from"), Reference::Part::From},
                                       std::pair{QLatin1StringView("_to"), Reference::Part::To}}) {
        if (name.endsWith(suffix)) {
            const Parameter *p = find(parameters, name.chopped(suffix.size()));
            if (p && p->range)
                return {p, part};
        }
    }
    return {};
}

// Appends `text` to `out` with its placeholders of `parameters` bound from `values`. Gives the
// parameter first named without a value (nothing appended then), or null.
const Parameter *appendBound(const QString &text, const Parameters &parameters,
                             const ParamValues &values, db::Statement &out) {
    QString written;
    QVariantList bound;
    qsizetype from = 0;
    for (const Placeholder &ph : placeholders(text)) {
        const Reference ref = resolve(parameters, ph.name);
        if (!ref.parameter)
            continue;  // not ours: the text's own
        const auto it = values.constFind(ref.parameter->name);
        if (it == values.constEnd())
            return ref.parameter;
        written += QStringView(text).mid(from, ph.at - from);
        from = ph.at + ph.length;
        const QVariantList &v = *it;
        if (ref.part != Reference::Part::Whole || ref.parameter->range) {
            written += u'?';
            bound.push_back(ref.part == Reference::Part::To ? v.value(1) : v.value(0));
        } else {
            for (qsizetype i = 0; i < v.size(); ++i) {
                written += i == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
                bound.push_back(v[i]);
            }
        }
    }
    out.text += written;
    out.text += QStringView(text).mid(from);
    out.params += bound;
    return nullptr;
}

QString opText(ParamOp op) {
    switch (op) {
        case ParamOp::NotEqual:
            return QStringLiteral("<>");
        case ParamOp::Less:
            return QStringLiteral("<");
        case ParamOp::LessOrEqual:
            return QStringLiteral("<=");
        case ParamOp::Greater:
            return QStringLiteral(">");
        case ParamOp::GreaterOrEqual:
            return QStringLiteral(">=");
        default:
            return QStringLiteral("=");
    }
}

// The condition `p`'s column compares with `v` (its value), appended to `out`.
void appendColumnCondition(const Parameter &p, const QVariantList &v, db::Dialect dialect,
                           db::Statement &out) {
    const QString &c = p.column;
    if (p.range) {
        QStringList parts;
        if (!v.value(0).isNull()) {
            parts << c + QStringLiteral(" >= ?");
            out.params << v[0];
        }
        if (!v.value(1).isNull()) {
            if (p.type == ParamType::Date) {
                // The whole last day: a column of date-times holds times after its midnight.
                parts << c + QStringLiteral(" < ?");
                out.params << QVariant(v[1].toDate().addDays(1));
            } else {
                parts << c + QStringLiteral(" <= ?");
                out.params << v[1];
            }
        }
        out.text += parts.join(QLatin1StringView(" and "));
        return;
    }
    if (p.multi || p.op == ParamOp::In) {
        out.text += c + QStringLiteral(" in (");
        for (qsizetype i = 0; i < v.size(); ++i) {
            out.text += i == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
            out.params << v[i];
        }
        out.text += u')';
        return;
    }
    if (p.op == ParamOp::Contains || p.op == ParamOp::StartsWith) {
        const QString pattern = escapeLike(v[0].toString(), dialect) + u'%';
        out.text += c + QStringLiteral(" like ? escape '") + QChar(kLikeEscape) + u'\'';
        out.params << QVariant(p.op == ParamOp::Contains ? u'%' + pattern : pattern);
        return;
    }
    out.text += c + u' ' + opText(p.op) + QStringLiteral(" ?");
    out.params << v[0];
}

[[noreturn]] void throwMissing(const Parameter &p) {
    throw ParamError(tessel::base::tr("参数“%1”必须有值").arg(p.shownLabel()));
}

}  // namespace

QStringList placeholderNames(const QString &sql) {
    QStringList names;
    for (const Placeholder &ph : placeholders(sql)) {
        if (!names.contains(ph.name))
            names << ph.name;
    }
    return names;
}

QString escapeLike(const QString &text, db::Dialect dialect) {
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == kLikeEscape || c == u'%' || c == u'_' ||
            (c == u'[' && dialect == db::Dialect::SqlServer))
            out += QChar(kLikeEscape);
        out += c;
    }
    return out;
}

db::Statement composeQuery(const QString &storedQuery, const QString &hostText,
                           const Parameters &parameters, const ParamValues &values,
                           db::Dialect dialect) {
    // The stored query: its head, and its trailing clauses when it has no where of its own
    // (a where's condition and what follows it were always the host's to give).
    const qsizetype storedWhere = db::findWhere(storedQuery);
    const qsizetype storedTrail = storedWhere >= 0 ? -1 : db::findTrailingClauses(storedQuery);
    const qsizetype headEnd = storedWhere >= 0 ? storedWhere : storedTrail;
    const QString head = headEnd >= 0 ? storedQuery.left(headEnd) : storedQuery;
    const QString storedTail =
        storedTrail >= 0 ? storedQuery.mid(storedTrail).trimmed() : QString();

    db::Statement out;
    // The stored query's placeholders cannot be left out: their parameters need values.
    for (const QString &part : {head, storedTail}) {
        db::Statement probe;
        if (const Parameter *missing = appendBound(part, parameters, values, probe))
            throwMissing(*missing);
    }

    // The parameters' conditions, each complete on its own.
    QStringList conditions;
    QVariantList conditionParams;
    for (const Parameter &p : parameters) {
        const auto it = values.constFind(p.name);
        if (it == values.constEnd()) {
            if (p.required)
                throwMissing(p);
            continue;
        }
        db::Statement condition;
        if (!p.condition.isEmpty()) {
            condition.text += u'(';
            if (appendBound(p.condition, parameters, values, condition))
                continue;  // it names another parameter without a value: left out with it
            condition.text += u')';
        } else if (!p.column.isEmpty()) {
            appendColumnCondition(p, *it, dialect, condition);
        } else {
            continue;  // bound only where the stored query names it
        }
        conditions << condition.text;
        conditionParams += condition.params;
    }

    if (conditions.isEmpty() && storedTail.isEmpty()) {
        appendBound(head, parameters, values, out);
        out.text += u' ' + hostText;
        return out;
    }

    // The host's condition and its trailing clauses.
    const qsizetype hostWhere = db::findWhere(hostText);
    const qsizetype hostTrail =
        db::findTrailingClauses(hostText, std::max<qsizetype>(hostWhere, 0));
    QString hostCondition;
    if (hostWhere >= 0) {
        const qsizetype start = hostWhere + 5;
        hostCondition =
            hostText.mid(start, (hostTrail >= 0 ? hostTrail : hostText.size()) - start).trimmed();
    }
    const QString hostTail = hostTrail >= 0 ? hostText.mid(hostTrail).trimmed()
                                            : (hostWhere >= 0 ? QString() : hostText.trimmed());

    appendBound(head, parameters, values, out);
    while (out.text.endsWith(u' '))
        out.text.chop(1);
    QStringList joined;
    if (!hostCondition.isEmpty()) {
        // A condition ending in a line comment would swallow what follows on its line.
        const QString end =
            hostCondition.contains(QLatin1StringView("--")) ? QStringLiteral("\n") : QString();
        joined << (conditions.isEmpty() ? hostCondition + end : u'(' + hostCondition + end + u')');
    }
    joined += conditions;
    if (!joined.isEmpty())
        out.text += QStringLiteral(" where ") + joined.join(QLatin1StringView(" and "));
    out.params += conditionParams;
    if (!storedTail.isEmpty()) {
        out.text += u' ';
        appendBound(storedTail, parameters, values, out);
    }
    if (!hostTail.isEmpty())
        out.text += u' ' + hostTail;
    return out;
}

std::optional<db::Statement> listStatement(const Parameter &parameter, const Parameters &parameters,
                                           const ParamValues &values) {
    db::Statement out;
    if (appendBound(parameter.listQuery, parameters, values, out))
        return std::nullopt;
    return out;
}

}  // namespace tessel::params
