// Reads of the connected database's catalogue: its user tables and the columns of a table.
// The statements are SQL Server's catalogue statements; the connection's dialect rewrites
// them for the other servers.
#pragma once

#include <QString>
#include <QStringList>

namespace tessel::db {

class Connection;
class Recordset;

// The names of the database's user tables, in the order the catalogue returns them; empty
// when it lists none. Read forward and read-only with the default command option. Throws
// Error(Connection) without an open connection and Error(Statement) with the database's
// text when the catalogue cannot be read.
QStringList userTables(const Connection &connection);

// The column names of `table`, in the order the catalogue returns them; empty for a table
// the database does not hold. The name reaches the statement as data (a quote in it stays
// part of the name). Read and thrown as userTables.
QStringList columnsOf(const Connection &connection, const QString &table);

// The first field, as text, of every row of `rs` from the current one to the last, in
// order; `rs` is left past its last row. Throws what a move of `rs` throws.
QStringList firstFields(Recordset &rs);

}  // namespace tessel::db
