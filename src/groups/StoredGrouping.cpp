#include "groups/StoredGrouping.h"

#include <QJsonArray>
#include <QJsonValue>
#include <algorithm>
#include <optional>

#include "base/Language.h"
#include "settings/SettingReader.h"

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

constexpr auto kFunctions = settings::nameTable<TotalFunction>({{TotalFunction::Sum, "sum"},
                                                                {TotalFunction::Count, "count"},
                                                                {TotalFunction::Average, "avg"},
                                                                {TotalFunction::Min, "min"},
                                                                {TotalFunction::Max, "max"}});

// The totals of a level in column order; each entry that cannot be used is left out.
std::vector<GroupTotal> levelTotals(const QJsonObject &o, const QString &where, int columnCount,
                                    settings::Notes &notes) {
    std::vector<GroupTotal> totals;
    for (auto it = o.begin(); it != o.end(); ++it) {
        bool ok = false;
        const int number = it.key().toInt(&ok);
        const settings::Checked<int> c = ok ? settings::asColumn(number, columnCount)
                                            : settings::asColumn(QJsonValue(it.key()), columnCount);
        if (!c.value) {
            notes.dropped(where, c.why);
            continue;
        }
        const settings::Checked<TotalFunction> f = settings::asName(it.value(), kFunctions);
        if (!f.value) {
            notes.dropped(where + u' ' + it.key(), f.why);
            continue;
        }
        if (std::any_of(totals.begin(), totals.end(),
                        [&](const GroupTotal &t) { return t.column == *c.value; })) {
            notes.dropped(where, tessel::base::tr("列 %1 出现两次").arg(*c.value));
            continue;
        }
        totals.push_back({*c.value, *f.value});
    }
    std::sort(totals.begin(), totals.end(),
              [](const GroupTotal &a, const GroupTotal &b) { return a.column < b.column; });
    return totals;
}

// The level `v`, number `index`, or nullopt when it is left out (named in `notes`).
std::optional<GroupLevel> readLevel(const QJsonValue &v, int index, int columnCount,
                                    settings::Notes &notes) {
    const QString item = tessel::base::tr("第 %1 层").arg(index);
    const settings::Checked<QJsonObject> object = settings::asObject(v);
    if (!object.value) {
        notes.itemDropped(item, object.why);
        return std::nullopt;
    }
    settings::Keys keys(*object.value, item, columnCount, notes);
    const std::optional<int> column = keys.column(kColumn);
    if (!column)
        return std::nullopt;
    GroupLevel level;
    level.column = *column;
    if (const std::optional<QJsonObject> totals = keys.object(kTotals))
        level.totals = levelTotals(*totals, keys.named(kTotals), columnCount, notes);
    level.label = keys.text(kLabel, grid::defaultSubtotalLabel());
    level.header = keys.flag(kHeader, false);
    level.pageBreak = keys.flag(kPageBreak, false);
    level.keepTogether = keys.flag(kKeepTogether, false);
    return level;
}

// The page totals `o`, or nullopt when they are left out (named in `notes`).
std::optional<PageTotals> readPageTotals(const QJsonObject &o, int columnCount,
                                         settings::Notes &notes) {
    settings::Keys keys(o, kPageTotals, columnCount, notes);
    const std::optional<QJsonArray> columns = keys.required(kColumns, settings::asArray);
    if (!columns)
        return std::nullopt;
    PageTotals totals;
    // Each column is an entry of its own: one of no use, or repeated, is left out alone.
    const QString where = keys.named(kColumns);
    for (const QJsonValue &entry : *columns) {
        const settings::Checked<int> c = settings::asColumn(entry, columnCount);
        if (!c.value)
            notes.dropped(where, c.why);
        else if (std::find(totals.columns.begin(), totals.columns.end(), *c.value) !=
                 totals.columns.end())
            notes.dropped(where, tessel::base::tr("列 %1 出现两次").arg(*c.value));
        else
            totals.columns.push_back(*c.value);
    }
    totals.label = keys.text(kLabel, totals.label);
    totals.running = keys.text(kRunning, QString());
    totals.carried = keys.text(kCarried, QString());
    return totals;
}

}  // namespace

StoredGrouping readGrouping(const QString &text, int columnCount) {
    StoredGrouping out;
    settings::Notes notes;
    std::optional<QJsonObject> object = settings::parseObject(text, notes);
    if (object) {
        out.object = std::move(*object);
        settings::Keys keys(out.object, QString(), columnCount, notes);
        if (const std::optional<QJsonArray> levels = keys.array(kLevels)) {
            for (qsizetype i = 0; i < levels->size(); ++i) {
                if (int(out.grouping.levels.size()) == grid::kMaxGroupLevels) {
                    notes.dropped(tessel::base::tr("第 %1 层起").arg(i + 1),
                                  tessel::base::tr("最多 %1 层").arg(grid::kMaxGroupLevels));
                    break;
                }
                if (std::optional<GroupLevel> level =
                        readLevel(levels->at(i), int(i) + 1, columnCount, notes))
                    out.grouping.levels.push_back(std::move(*level));
            }
        }
        out.grouping.sort = keys.flag(kSort, true);
        if (const std::optional<QJsonObject> pageTotals = keys.object(kPageTotals))
            out.grouping.pageTotals = readPageTotals(*pageTotals, columnCount, notes);
    }
    out.ignored = notes.sentences();
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
            if (settings::asColumn(candidate.value(kColumn), level.column).value == level.column) {
                l = candidate;
                keptLevels.removeAt(i);
                break;
            }
        }
        l[kColumn] = level.column;
        if (level.totals) {
            QJsonObject totals;
            for (const GroupTotal &t : *level.totals)
                totals[QString::number(t.column)] = kFunctions.name(t.function);
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
        return o.isEmpty() ? QString() : settings::jsonText(o);
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
    return settings::jsonText(o);
}

QString ignoredNotice(const QString &report, const QStringList &ignored) {
    return settings::notice(report, tessel::base::tr("分组设置（分组）"), ignored);
}

}  // namespace tessel::groups
