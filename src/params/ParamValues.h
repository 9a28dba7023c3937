// The values a run binds for its parameters: what a caller gave (a host, the renderer, the
// dialog) read as each parameter's type, and the defaults of those it did not give.
#pragma once

#include <tessel/Error.h>
#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include "params/Parameter.h"
#include "settings/SettingReader.h"

namespace tessel::params {

// What a run is told when a parameter's value cannot be used or is missing: an
// Error(Argument) whose message names the parameter and what is wrong, for the user as it is.
class ParamError : public Error {
public:
    explicit ParamError(const QString &message) : Error(Error::Category::Argument, message) {}
};

// A parameter's value as the run binds it, typed (QString, qlonglong, double, QDate,
// QDateTime, bool): one value; for a range two, from and to, a null QVariant at an open end;
// for multi (and `in`) one or more. A parameter without a value has no entry: it is left out
// with its condition (empty means all).
using ParamValues = QHash<QString, QVariantList>;

// One value `given` read as `type`, with `today` for date presets. A text: any text without a
// NUL character; integer: a whole number; number: a finite number (NaN is none); date: a date,
// a text yyyy-MM-dd or a date preset; datetime: a date-time, a text yyyy-MM-dd HH:mm[:ss] or a
// date (its midnight) or preset; bool: a boolean, true/false or 1/0. A null or blank given is
// no value: a null QVariant, without why. A value that does not read gives why, naming it.
settings::Checked<QVariant> readValue(ParamType type, const QVariant &given, const QDate &today);

// The value `given` for `parameter` read by its shape: a range takes a list of two (or a text
// "a..b", an end left empty being open), multi a list (or one value); a value a `listValues`
// list does not hold is refused. Empty (no value at all) gives an empty list. Throws
// ParamError naming the parameter and what is wrong.
QVariantList readGiven(const Parameter &parameter, const QVariant &given, const QDate &today);

// The stored default of `parameter` read as readGiven reads a given value; an empty list for
// none. A default that does not read throws as readGiven does (the reader of the stored form
// has left such a default out already).
QVariantList defaultOf(const Parameter &parameter, const QDate &today);

// The values a run binds: each parameter's given value (by name; names no parameter has are
// ignored), or else its default, read by readGiven. Parameters left without a value are left
// out of the result. Throws ParamError naming the first parameter whose value cannot be
// used. A required parameter without a value is the composition's error (it also knows the
// placeholders of the stored query).
ParamValues resolveValues(const Parameters &parameters, const QVariantMap &given,
                          const QDate &today);

}  // namespace tessel::params
