// One parameter of a stored report, as its stored form (参数, params/StoredParameters.h)
// describes it: what the run binds at `:name`, how its condition is written, what it offers
// and what it starts with.
#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

namespace tessel::params {

enum class ParamType { Text, Integer, Number, Date, DateTime, Bool };

// How a `column` parameter's condition compares: `column op :name`; Contains and StartsWith
// as `like` with the wildcards in the value escaped; In with one placeholder per value.
enum class ParamOp {
    Equal,
    NotEqual,
    Less,
    LessOrEqual,
    Greater,
    GreaterOrEqual,
    Contains,
    StartsWith,
    In
};

struct Parameter {
    // Letters, digits and underscores of any script; the placeholder is `:name`.
    QString name;
    // What the dialog shows; empty: the name.
    QString label;
    ParamType type = ParamType::Text;
    // The column the run writes the condition on (with `op`), or empty when `condition` is
    // used or the parameter is bound only where the stored query names it.
    QString column;
    ParamOp op = ParamOp::Equal;
    // A fragment of SQL with `:name` (a range: `:name_from`, `:name_to`) that the run joins to
    // the where as written; `op` does not apply. Empty when the condition is `column`'s.
    QString condition;
    // Two values, from and to, both inclusive (date, datetime, integer, number).
    bool range = false;
    // Several values, compared with `in` (text, integer, number).
    bool multi = false;
    // The default as stored: a literal, two for a range, a list for multi; dates may be a
    // preset (params/DatePresets.h). Undefined: none.
    QJsonValue defaultValue;
    // A run does not start without a value.
    bool required = false;
    // The choices: `listValues` (a value outside them is refused), or the rows of `listQuery`
    // (`select value[, shown text] …`, which may name other parameters' placeholders:
    // `listNeeds`). Both empty: no list.
    QVariantList listValues;
    QString listQuery;
    QStringList listNeeds;
    // Shown in the dialog (false: its default or the host's value applies).
    bool ask = true;
    // Keys this version does not know, written back as they were.
    QJsonObject otherKeys;
    // The list's keys this version does not know.
    QJsonObject otherListKeys;

    QString shownLabel() const { return label.isEmpty() ? name : label; }
};

using Parameters = std::vector<Parameter>;

}  // namespace tessel::params
