// Binding parameters and running statements, shared by Connection and the cursors: the
// direct SQLite path and the one prepare-bind-run routine of the Qt SQL path.
#pragma once

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
// it, binds statement.params to its `?` in order and executes it. A failure at any step throws as
// connection.throwFailure(statement.text, the database's text) does. The caller reads the result
// from `query`.
void runQtSql(QSqlQuery &query, const Connection &connection, const Statement &statement,
              const QString &text, Unbound unbound = Unbound::Prepare);

}  // namespace tessel::db
