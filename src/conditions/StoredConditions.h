// The stored form of a report's conditional formats (optional column 条件格式 of tsl_report):
// a JSON array of rules in priority order,
//
//   [{"column": 4, "when": ">", "value": 10000, "text": "#C00000", "bold": true},
//    {"column": 2, "when": "contains", "value": "物流", "fill": "#FFF2CC", "row": true,
//     "stop": true},
//    {"column": 4, "when": "top", "value": 10, "fill": "#E2EFDA"},
//    {"column": 5, "scale": ["#F8696B", "#FFEB84", "#63BE7B"]},
//    {"column": 6, "bar": "#638EC6"}]
//
// `when` is one of > >= < <= = != between notBetween (these two with value2) contains
// notContains beginsWith endsWith blank notBlank top bottom aboveAverage belowAverage
// duplicate unique; colours are "#RRGGBB". NULL or the empty text is no rule. Hosts and tools
// write this form: keys this version does not know are kept, rule by rule, when the value is
// written back.
#pragma once

#include <QString>
#include <QStringList>

#include "grid/ConditionRules.h"

namespace tessel::conditions {

// A stored value as read: the rules that can be used, in their order, and for the user one
// sentence per rule or key left out saying which and why.
struct StoredConditions {
    grid::ConditionRules rules;
    QStringList ignored;
};

// Reads a stored 条件格式 text for a report of `columnCount` sheet columns by the stored
// settings' rule (settings/SettingReader.h). A rule is left out, and named in `ignored`, without
// what it needs: a column that is an integer of 1..columnCount, exactly one of when, scale and
// bar, a known `when` with the number or text values it compares with (top and bottom take a
// whole number of 1..1000 cells, or of 1..100 with percent), a scale of 2 or 3 colours
// "#RRGGBB", a bar's colour. A text or fill colour that is not "#RRGGBB" or a flag that is no
// boolean is named and left at its default (no colour, false, the cell's own bold or italic).
// A text that is no JSON array is ignored whole (one sentence). Never throws.
StoredConditions readConditions(const QString &text, int columnCount);

// The text 条件格式 stores for `rules`: each rule's other keys with the known ones set from the
// rule (flags that are false and absent values left out, colours as "#RRGGBB"). The empty text
// for no rule.
QString writeConditions(const grid::ConditionRules &rules);

// What the user is told about a stored 条件格式 of report `report` that could not all be
// used: one message naming the setting, listing `ignored`.
QString ignoredNotice(const QString &report, const QStringList &ignored);

}  // namespace tessel::conditions
