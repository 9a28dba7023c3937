// The stored form of a report's parameters (optional column 参数 of tsl_report): a JSON array,
// in the order the dialog shows them,
//
//   [{"name": "期间", "label": "订单日期", "type": "date", "range": true,
//     "column": "订单.日期", "default": ["monthStart", "today"], "required": true},
//    {"name": "客户", "type": "text", "column": "订单.客户", "multi": true,
//     "list": {"query": "select 名称 from 客户 where 部门 = :部门 order by 名称"}},
//    {"name": "区域", "type": "text", "condition": "(客户.省份 = :区域 or 客户.城市 = :区域)"}]
//
// Keys: name, label, type (text, integer, number, date, datetime, bool), column with op (=, <>,
// <, <=, >, >=, contains, startsWith, in) or condition, range, multi, default, required, list
// ({"values": [...]} or {"query": "..."}), ask. NULL or the empty text is none. Hosts and tools
// write this form: keys this version does not know are kept, parameter by parameter (and in
// its list), when the value is written back.
#pragma once

#include <QString>
#include <QStringList>

#include "params/Parameter.h"

namespace tessel::params {

// A stored value as read: the parameters that can be used, in their order, and for the user one
// sentence per parameter or key left out saying which and why.
struct StoredParameters {
    Parameters parameters;
    QStringList ignored;
};

// Whether `name` can name a parameter: letters, digits and underscores of any script, at least
// one character.
bool isParameterName(const QString &name);

// Reads a stored 参数 text by the stored settings' rule (settings/SettingReader.h). A parameter
// is left out, and named, without a usable name (missing, not a name, one a built-in
// placeholder has: 日期, 时间, or one an earlier parameter has) or with a type this version does
// not know; so are the parameters whose list queries name each other in a circle. Set back to
// their defaults and named: range on a type that has no range, multi on one that has no multi
// (or with range), an op other than in with multi, an op with range, contains or startsWith on
// a type other than text, a default that does not read as the parameter's value, a list that
// is neither values nor a query, and keys of the wrong type. A text that is no JSON array is
// ignored whole (one sentence). Never throws.
StoredParameters readParameters(const QString &text);

// The text 参数 stores for `parameters`: each one's other keys with the known ones set (keys at
// their defaults left out). The empty text for none.
QString writeParameters(const Parameters &parameters);

// What the user is told about parameters of report `report` that were left out: one line naming
// the setting 参数, listing `ignored`.
QString ignoredNotice(const QString &report, const QStringList &ignored);

}  // namespace tessel::params
