// The one composition of a stored report's statement: the stored query cut at its where, the
// host's condition and the parameters' conditions joined into one where, placed before the
// trailing group by / having / order by / limit, and every parameter's value bound as a typed
// value, never written into the text. Every run of a stored query composes here.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "db/SqlDialect.h"
#include "params/ParamValues.h"
#include "params/Parameter.h"

namespace tessel::params {

// The names of the `:name` placeholders `sql` holds outside literals, quoted names and
// comments, each once, in their order (a PostgreSQL cast `::type` is none).
QStringList placeholderNames(const QString &sql);

// The character `like` conditions declare as their escape (`like ? escape '!'`).
inline constexpr char16_t kLikeEscape = u'!';

// `text` with the characters `like` reads as wildcards on `dialect` (`%`, `_`, and `[` on SQL
// Server) and the escape character itself preceded by kLikeEscape: it matches only itself.
QString escapeLike(const QString &text, db::Dialect dialect);

// The statement a run of a stored report sends:
//  - the stored query before its where (db::findWhere), or, without a where, before its
//    trailing group by / having / order by / limit, which then follow the where;
//  - `hostText`, the host's condition from its where ("where a = 1 order by b", "" for none):
//    its condition, its trailing clauses after the stored query's;
//  - the conditions of the parameters with a value in `values`, in their order, joined to
//    the host's condition with `and` (the host's in parentheses), a where started when there
//    is none: `column op ?`, `column like ? escape '!'` (contains, startsWith), `column in
//    (?, …)` (multi, in), a range as `column >= ?` and `column <= ?` (a date range's end as
//    `column < ?` bound to the next day, so date-times of the last day count), a `condition`
//    fragment in parentheses with its placeholders bound (`:name`, a range's `:name_from` and
//    `:name_to`, a multi `:name` as `?, ?, …`);
//  - placeholders of parameters in the stored query bound the same way.
// Parameters without a value are left out with their conditions. With no parameter condition
// and nothing after the stored query's where to keep, the text is the stored query cut before
// its where, a blank, and `hostText`, as runs have always sent it.
// Throws ParamError naming a required parameter without value, or one whose placeholder
// the stored query holds (it cannot be left out).
db::Statement composeQuery(const QString &storedQuery, const QString &hostText,
                           const Parameters &parameters, const ParamValues &values,
                           db::Dialect dialect);

// `parameter`'s list query with the placeholders of `parameters` bound from `values`; nullopt
// while a parameter it names has no value (the list waits for it). Empty text without a list
// query.
std::optional<db::Statement> listStatement(const Parameter &parameter, const Parameters &parameters,
                                           const ParamValues &values);

}  // namespace tessel::params
