// Helpers shared by Connection and Recordset for the direct SQLite path.
#pragma once

#include <QString>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

namespace tessel::db {

// Throws Error(Statement) for `sql` with the database's text.
[[noreturn]] void throwStatementError(const QString &sql, const QString &databaseText);

// Prepares `sql` on `db` and binds `params` to its `?` in order. Throws on failure.
sqlite3_stmt *prepareSqlite(sqlite3 *db, const QString &sql, const QVariantList &params);

// Runs a statement that returns no rows on `db`; returns sqlite3_changes().
int executeSqlite(sqlite3 *db, const QString &sql, const QVariantList &params);

// The value of column `i` of the current row of `stmt`, typed by its storage class.
QVariant sqliteValue(sqlite3_stmt *stmt, int i);

}  // namespace tessel::db
