// Parameters and the running of statements, shared by Connection and the cursors: the one
// rule by which a value is bound on each path (the direct SQLite path, Qt SQL, libpq) and
// the one prepare-bind-run routine of the Qt SQL path.
//
// A parameter is bound as its own type: integers as integers, reals as reals, booleans as
// booleans, bytes as bytes, NULL as NULL; texts exactly as given. Where a path has no type of
// its own for a value (dates and times in SQLite, every value libpq sends as text), the value
// goes in its type's exact text form (parameterText), a date-time with its milliseconds.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include "db/SqlDialect.h"

struct sqlite3;
struct sqlite3_stmt;
class QSqlQuery;

namespace tessel::db {

class Connection;

// Throws Error(Statement) for `sql` with the database's text.
[[noreturn]] void throwStatementError(const QString &sql, const QString &databaseText);

// `value` as the type every driver binds natively: NULL (of any type) and an invalid date or
// time are NULL of that type; the small and unsigned integer kinds become int or qlonglong
// (an unsigned value past qlonglong a double); every other value is returned as it is.
QVariant nativeParameter(const QVariant &value);

// The exact text form of a non-NULL value, as UTF-8: an integer plainly, a real in the
// shortest form that reads back as the same double, a boolean as true/false, a date as
// yyyy-MM-dd, a date-time as yyyy-MM-dd HH:mm:ss and a time as HH:mm:ss (these two followed
// by .zzz when they have milliseconds), a text unchanged, bytes as they are.
QByteArray parameterText(const QVariant &value);

// --- the direct SQLite path

// Prepares `sql` on `db` and binds `params` to its `?` in order. Throws on failure.
sqlite3_stmt *prepareSqlite(sqlite3 *db, const QString &sql, const QVariantList &params);

// Runs a statement that returns no rows on `db`; returns sqlite3_changes().
int executeSqlite(sqlite3 *db, const QString &sql, const QVariantList &params);

// The value of column `i` of the current row of `stmt`, typed by its storage class.
QVariant sqliteValue(sqlite3_stmt *stmt, int i);

// --- the Qt SQL path

// How runQtSql sends a statement that has no parameters.
enum class Unbound {
    Prepare,  // prepared like any other
    AsIs,     // sent unprepared: servers prepare no transaction or savepoint statements
};

// Runs `text` (statement.text translated for the connection's dialect) on `query`: prepares
// it, binds statement.params to its `?` in order, each as nativeParameter gives it, and
// executes it. A failure at any step throws as connection.throwFailure(statement.text, the
// database's text) does. The caller reads the result from `query`.
void runQtSql(QSqlQuery &query, const Connection &connection, const Statement &statement,
              const QString &text, Unbound unbound = Unbound::Prepare);

}  // namespace tessel::db
