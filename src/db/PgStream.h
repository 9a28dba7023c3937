// Forward reading straight from libpq on a connection through Qt's PostgreSQL driver.
#pragma once

#include <QString>
#include <memory>

#include "db/Connection.h"
#include "db/Recordset.h"

namespace tessel::db {

// Opens `statement` (its text already translated: `text`) as a forward, read-only cursor
// that reads the rows one at a time in libpq's single-row mode, keeping each value as the
// server's UTF-8 text until it is asked for. Values are typed as Qt's PostgreSQL driver
// types them. Returns nullptr when the connection is not a QPSQL one or another statement
// is still running on it (the caller then reads through Qt SQL). The cursor registers with
// the connection: before another statement runs, the rest of its rows are read into memory.
// Throws Error(Statement) when the server refuses the statement, Error(Connection) when the
// connection is lost; a failure while reading is raised by the move that meets it.
std::unique_ptr<Recordset::Cursor> openPostgresStream(const Connection &connection,
                                                      const Statement &statement,
                                                      const QString &text);

// Runs a statement that returns no rows (any statement: data definition and settings too)
// straight through libpq; returns the rows it changed, -1 when the server does not say.
// Throws like openPostgresStream. The connection must be a free QPSQL one (postgresHandle()
// set, no statement running).
int executePostgres(const Connection &connection, const Statement &statement, const QString &text);

// `sql` with each `?` outside literals, quoted names and comments replaced by $1, $2, …
QString numberedPlaceholders(const QString &sql);

}  // namespace tessel::db
