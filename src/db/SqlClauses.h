// Where a statement's clauses begin, found by the dialect's own splitter (db/SqlTokens): a
// keyword counts as a whole word in any case, outside string literals, quoted names and
// comments, and at the statement's outermost level (not inside parentheses, where a subquery
// has clauses of its own). "select nowhere from t" holds no where; 'order by' in a literal is
// no order by. Every place that cuts a query at its where asks findWhere.
#pragma once

#include <QString>

namespace tessel::db {

// The position (from 0) of the keyword `where` of `sql`'s outermost level; -1 when it has none.
qsizetype findWhere(const QString &sql);

// The position of the first `group by`, `having`, `order by` or `limit` of `sql`'s outermost
// level at or after position `from`; -1 when there is none. What starts there is the
// statement's trailing clauses, before which a condition goes.
qsizetype findTrailingClauses(const QString &sql, qsizetype from = 0);

// Whether `sql` is a select statement: its first word, after blanks, comments and opening
// parentheses, is `select` or `with`, in any case.
bool isSelectStatement(const QString &sql);

}  // namespace tessel::db
