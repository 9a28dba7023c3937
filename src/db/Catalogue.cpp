#include "db/Catalogue.h"

#include "db/Recordset.h"

namespace tessel::db {

namespace {

// The statements are sent as written, SQL Server's own forms; the connection's dialect
// rewrites them for the servers that have no dbo.sysobjects.
const QString kUserTables =
    QStringLiteral("select name from dbo.sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = 1");

QString columnsStatement(const QString &table) {
    // The name sits inside a Unicode literal; a quote in it is doubled, so it stays data.
    return QStringLiteral("select syscolumns.name from dbo.syscolumns  where id = object_id(N'") +
           QString(table).replace(u'\'', QStringLiteral("''")) + QStringLiteral("')");
}

QStringList firstFieldsOf(const QString &statement, const Connection &connection) {
    Recordset rs;
    rs.open(statement, connection, CursorType::ForwardOnly, LockType::ReadOnly, kCommandDefault);
    QStringList names = firstFields(rs);
    rs.close();
    return names;
}

}  // namespace

QStringList userTables(const Connection &connection) {
    return firstFieldsOf(kUserTables, connection);
}

QStringList columnsOf(const Connection &connection, const QString &table) {
    return firstFieldsOf(columnsStatement(table), connection);
}

QStringList firstFields(Recordset &rs) {
    QStringList out;
    while (!rs.eof()) {
        out << rs.text(0);
        rs.moveNext();
    }
    return out;
}

}  // namespace tessel::db
