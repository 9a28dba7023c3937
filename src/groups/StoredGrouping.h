// The stored form of a report's grouping (optional column 分组 of tsl_report): a JSON object
//
//   {"levels": [{"column": 1, "totals": {"3": "sum", "4": "avg"}, "label": "{value} 小计",
//                "header": false, "pageBreak": false, "keepTogether": false}],
//    "sort": true,
//    "pageTotals": {"columns": [3, 4], "label": "本页小计", "running": "累计",
//                   "carried": "承前页"}}
//
// NULL or the empty text is no grouping. Hosts and tools write this form: keys this version
// does not know are kept when the value is written back.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "grid/Grouping.h"

namespace tessel::groups {

// A stored value as read: the grouping that can be used, the object as stored (so that a
// write keeps what it does not know; empty when the text is no JSON object) and, for the
// user, one sentence per part left out saying what and why.
struct StoredGrouping {
    grid::Grouping grouping;
    QJsonObject object;
    QStringList ignored;
};

// Reads a stored 分组 text for a report of `columnCount` sheet columns by the stored settings'
// rule (settings/SettingReader.h): a level needs its column; every other key, each total and
// each page-total column is optional, a level beyond kMaxGroupLevels is left out; what is not
// used is named in `ignored` and the rest applies. Never throws.
StoredGrouping readGrouping(const QString &text, int columnCount);

// The text 分组 stores for `grouping`: `kept` (the object as read) with the keys this
// version knows replaced by the grouping's. The empty text for an empty grouping whose
// `kept` holds nothing else.
QString writeGrouping(const grid::Grouping &grouping, const QJsonObject &kept = {});

// What the user is told about a stored 分组 of report `report` that could not all be read:
// one message naming the setting, listing `ignored`.
QString ignoredNotice(const QString &report, const QStringList &ignored);

}  // namespace tessel::groups
