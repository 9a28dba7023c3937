#include "groups/StoredGrouping.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <algorithm>
#include <cmath>
#include <optional>

#include "base/Language.h"

namespace tessel::groups {

using grid::Grouping;
using grid::GroupLevel;
using grid::GroupTotal;
using grid::PageTotals;
using grid::TotalFunction;

namespace {

// The keys of the stored form; every other key is the caller's and is kept as it is.
const QString kLevels = QStringLiteral("levels");
const QString kColumn = QStringLiteral("column");
const QString kTotals = QStringLiteral("totals");
const QString kLabel = QStringLiteral("label");
const QString kHeader = QStringLiteral("header");
const QString kPageBreak = QStringLiteral("pageBreak");
const QString kKeepTogether = QStringLiteral("keepTogether");
const QString kSort = QStringLiteral("sort");
const QString kPageTotals = QStringLiteral("pageTotals");
const QString kColumns = QStringLiteral("columns");
const QString kRunning = QStringLiteral("running");
const QString kCarried = QStringLiteral("carried");

struct FunctionName {
    TotalFunction function;
    const char *name;
};
constexpr FunctionName kFunctions[] = {{TotalFunction::Sum, "sum"},
                                       {TotalFunction::Count, "count"},
                                       {TotalFunction::Average, "avg"},
                                       {TotalFunction::Min, "min"},
                                       {TotalFunction::Max, "max"}};

QString functionName(TotalFunction f) {
    for (const FunctionName &n : kFunctions) {
        if (n.function == f)
            return QString::fromLatin1(n.name);
    }
    return QString::fromLatin1(kFunctions[0].name);
}

std::optional<TotalFunction> functionNamed(const QString &name) {
    for (const FunctionName &n : kFunctions) {
        if (name == QLatin1String(n.name))
            return n.function;
    }
    return std::nullopt;
}

// A stored value as the user reads it in a message: its JSON text, cut short when long.
QString shown(const QJsonValue &v) {
    QString text;
    if (v.isString())
        text = u'"' + v.toString() + u'"';
    else if (v.isArray())
        text = QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
    else if (v.isObject())
        text = QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
    else if (v.isBool())
        text = v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    else if (v.isDouble())
        text = QString::number(v.toDouble(), 'g', 15);
    else
        text = QStringLiteral("null");
    constexpr qsizetype kLongest = 40;
    return text.size() > kLongest ? text.left(kLongest) + u'…' : text;
}

// A whole number stored as a JSON number (3, 3.0), or nullopt.
std::optional<int> wholeNumber(const QJsonValue &v) {
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (!(d >= 0 && d <= 1e9) || std::floor(d) != d)
        return std::nullopt;
    return int(d);
}

// A key as a message names it: after the level it belongs to, if any.
QString named(const QString &where, const QString &key) {
    return where.isEmpty() ? key : where + u' ' + key;
}

// Collects what is left out, one sentence each, and checks columns against the sheet.
class Reader {
public:
    explicit Reader(int columnCount) : m_columns(columnCount) {}

    QStringList ignored;

    void leaveOut(const QString &where, const QString &why) {
        ignored << tessel::base::tr("%1：%2，已略过。").arg(where, why);
    }

    // A sheet column given as `v`, or nullopt after naming why it cannot be used.
    std::optional<int> column(const QString &where, const QJsonValue &v) {
        const std::optional<int> c = wholeNumber(v);
        if (!c) {
            leaveOut(where, tessel::base::tr("%1 不是列号").arg(shown(v)));
            return std::nullopt;
        }
        return inSheet(where, *c);
    }

    std::optional<int> inSheet(const QString &where, int c) {
        if (c < 1 || c > m_columns) {
            leaveOut(
                where,
                m_columns > 0
                    ? tessel::base::tr("列 %1 不在报表的第 1 至 %2 列之内").arg(c).arg(m_columns)
                    : tessel::base::tr("报表没有列 %1").arg(c));
            return std::nullopt;
        }
        return c;
    }

    // A flag, or `fallback` after naming a value that is no flag; a missing key is `fallback`.
    bool flag(const QJsonObject &o, const QString &key, const QString &where, bool fallback) {
        const QJsonValue v = o.value(key);
        if (v.isUndefined() || v.isNull())
            return fallback;
        if (!v.isBool()) {
            leaveOut(named(where, key), tessel::base::tr("%1 不是 true 或 false").arg(shown(v)));
            return fallback;
        }
        return v.toBool();
    }

    // A text, or `fallback` after naming a value that is no text.
    QString text(const QJsonObject &o, const QString &key, const QString &where,
                 const QString &fallback) {
        const QJsonValue v = o.value(key);
        if (v.isUndefined() || v.isNull())
            return fallback;
        if (!v.isString()) {
            leaveOut(named(where, key), tessel::base::tr("%1 不是文本").arg(shown(v)));
            return fallback;
        }
        return v.toString();
    }

    std::optional<GroupLevel> level(const QJsonValue &v, int index) {
        const QString where = tessel::base::tr("第 %1 层").arg(index);
        if (!v.isObject()) {
            leaveOut(where, tessel::base::tr("%1 不是对象").arg(shown(v)));
            return std::nullopt;
        }
        const QJsonObject o = v.toObject();
        if (!o.contains(kColumn)) {
            leaveOut(where, tessel::base::tr("没有 column"));
            return std::nullopt;
        }
        const std::optional<int> c = column(where, o.value(kColumn));
        if (!c)
            return std::nullopt;
        GroupLevel level;
        level.column = *c;
        const QJsonValue totals = o.value(kTotals);
        if (totals.isObject())
            level.totals = levelTotals(totals.toObject(), where + u' ' + kTotals);
        else if (!totals.isUndefined() && !totals.isNull())
            leaveOut(where + u' ' + kTotals, tessel::base::tr("%1 不是对象").arg(shown(totals)));
        level.label = text(o, kLabel, where, grid::defaultSubtotalLabel());
        level.header = flag(o, kHeader, where, false);
        level.pageBreak = flag(o, kPageBreak, where, false);
        level.keepTogether = flag(o, kKeepTogether, where, false);
        return level;
    }

    // The totals of a level in column order; each entry that cannot be used is left out.
    std::vector<GroupTotal> levelTotals(const QJsonObject &o, const QString &where) {
        std::vector<GroupTotal> totals;
        for (auto it = o.begin(); it != o.end(); ++it) {
            bool ok = false;
            const int c = it.key().toInt(&ok);
            if (!ok) {
                leaveOut(where, tessel::base::tr("“%1”不是列号").arg(it.key()));
                continue;
            }
            if (!inSheet(where, c))
                continue;
            const std::optional<TotalFunction> f =
                it.value().isString() ? functionNamed(it.value().toString()) : std::nullopt;
            if (!f) {
                leaveOut(where, tessel::base::tr("列 %1 的函数 %2 未知（可用 sum、count、avg、"
                                                 "min、max）")
                                    .arg(c)
                                    .arg(shown(it.value())));
                continue;
            }
            if (std::any_of(totals.begin(), totals.end(),
                            [&](const GroupTotal &t) { return t.column == c; })) {
                leaveOut(where, tessel::base::tr("列 %1 出现两次").arg(c));
                continue;
            }
            totals.push_back({c, *f});
        }
        std::sort(totals.begin(), totals.end(),
                  [](const GroupTotal &a, const GroupTotal &b) { return a.column < b.column; });
        return totals;
    }

    std::optional<PageTotals> pageTotals(const QJsonValue &v) {
        if (!v.isObject()) {
            leaveOut(kPageTotals, tessel::base::tr("%1 不是对象").arg(shown(v)));
            return std::nullopt;
        }
        const QJsonObject o = v.toObject();
        const QJsonValue columns = o.value(kColumns);
        if (!columns.isArray()) {
            leaveOut(kPageTotals,
                     columns.isUndefined()
                         ? tessel::base::tr("没有 columns")
                         : tessel::base::tr("columns %1 不是数组").arg(shown(columns)));
            return std::nullopt;
        }
        PageTotals totals;
        const QString where = kPageTotals + u' ' + kColumns;
        for (const QJsonValue &entry : columns.toArray()) {
            const std::optional<int> c = column(where, entry);
            if (!c)
                continue;
            if (std::find(totals.columns.begin(), totals.columns.end(), *c) != totals.columns.end())
                leaveOut(where, tessel::base::tr("列 %1 出现两次").arg(*c));
            else
                totals.columns.push_back(*c);
        }
        totals.label = text(o, kLabel, kPageTotals, totals.label);
        totals.running = text(o, kRunning, kPageTotals, QString());
        totals.carried = text(o, kCarried, kPageTotals, QString());
        return totals;
    }

private:
    int m_columns;
};

}  // namespace

StoredGrouping readGrouping(const QString &text, int columnCount) {
    StoredGrouping out;
    if (text.trimmed().isEmpty())
        return out;
    Reader reader(columnCount);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        reader.leaveOut(
            tessel::base::tr("整个值"),
            error.error != QJsonParseError::NoError
                ? tessel::base::tr("不是 JSON（第 %1 个字节处有误）").arg(error.offset + 1)
                : tessel::base::tr("不是 JSON 对象"));
        out.ignored = reader.ignored;
        return out;
    }
    out.object = doc.object();
    const QJsonObject &o = out.object;

    const QJsonValue levels = o.value(kLevels);
    if (levels.isArray()) {
        const QJsonArray list = levels.toArray();
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (int(out.grouping.levels.size()) == grid::kMaxGroupLevels) {
                reader.leaveOut(tessel::base::tr("第 %1 层起").arg(i + 1),
                                tessel::base::tr("最多 %1 层").arg(grid::kMaxGroupLevels));
                break;
            }
            if (std::optional<GroupLevel> level = reader.level(list[i], int(i) + 1))
                out.grouping.levels.push_back(std::move(*level));
        }
    } else if (!levels.isUndefined() && !levels.isNull()) {
        reader.leaveOut(kLevels, tessel::base::tr("%1 不是数组").arg(shown(levels)));
    }
    out.grouping.sort = reader.flag(o, kSort, QString(), true);
    const QJsonValue pageTotals = o.value(kPageTotals);
    if (!pageTotals.isUndefined() && !pageTotals.isNull())
        out.grouping.pageTotals = reader.pageTotals(pageTotals);
    out.ignored = reader.ignored;
    return out;
}

QString writeGrouping(const Grouping &grouping, const QJsonObject &kept) {
    QJsonObject o = kept;
    // The stored level objects by column, each given back once, to the level of its column.
    QJsonArray keptLevels = kept.value(kLevels).toArray();
    QJsonArray levels;
    for (const GroupLevel &level : grouping.levels) {
        QJsonObject l;
        for (qsizetype i = 0; i < keptLevels.size(); ++i) {
            const QJsonObject candidate = keptLevels[i].toObject();
            if (wholeNumber(candidate.value(kColumn)) == level.column) {
                l = candidate;
                keptLevels.removeAt(i);
                break;
            }
        }
        l[kColumn] = level.column;
        if (level.totals) {
            QJsonObject totals;
            for (const GroupTotal &t : *level.totals)
                totals[QString::number(t.column)] = functionName(t.function);
            l[kTotals] = totals;
        } else {
            l.remove(kTotals);
        }
        l[kLabel] = level.label;
        l[kHeader] = level.header;
        l[kPageBreak] = level.pageBreak;
        l[kKeepTogether] = level.keepTogether;
        levels.append(l);
    }
    if (grouping.isEmpty()) {
        // Nothing of a grouping is left: only the caller's own keys, if any, are written.
        for (const QString &key : {kLevels, kSort, kPageTotals})
            o.remove(key);
        return o.isEmpty() ? QString()
                           : QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
    o[kLevels] = levels;
    o[kSort] = grouping.sort;
    if (grouping.pageTotals) {
        QJsonObject p = kept.value(kPageTotals).toObject();
        QJsonArray columns;
        for (int c : grouping.pageTotals->columns)
            columns.append(c);
        p[kColumns] = columns;
        p[kLabel] = grouping.pageTotals->label;
        for (const auto &[key, value] : {std::pair{kRunning, grouping.pageTotals->running},
                                         std::pair{kCarried, grouping.pageTotals->carried}}) {
            if (value.isEmpty())
                p.remove(key);
            else
                p[key] = value;
        }
        o[kPageTotals] = p;
    } else {
        o.remove(kPageTotals);
    }
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QString ignoredNotice(const QString &report, const QStringList &ignored) {
    return tessel::base::tr("报表“%1”的分组设置（分组）有无法使用的部分，报表不带这些部分打印：%2")
        .arg(report, ignored.join(QString()));
}

}  // namespace tessel::groups
