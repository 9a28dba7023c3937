#include "db/SqlBinding.h"

#include <sqlite3.h>

#include <tessel/Error.h>
#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

#include "base/ValueText.h"
#include "db/Connection.h"

namespace tessel::db {

void throwStatementError(const QString &sql, const QString &databaseText) {
    QString shown = sql.simplified();
    if (shown.size() > 200)
        shown = shown.left(200) + QStringLiteral("…");
    throw Error(Error::Category::Statement,
                QStringLiteral("The database refused the statement \"%1\"").arg(shown),
                databaseText);
}

namespace {

void bindOne(sqlite3_stmt *stmt, int index, const QVariant &v) {
    if (v.isNull() || !v.isValid()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            sqlite3_bind_int64(stmt, index, v.toLongLong());
            return;
        case QMetaType::ULongLong:
        case QMetaType::ULong:
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(stmt, index, v.toDouble());
            return;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            sqlite3_bind_blob(stmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            return;
        }
        default: {
            const QByteArray u = base::valueToText(v).toUtf8();
            sqlite3_bind_text(stmt, index, u.constData(), int(u.size()), SQLITE_TRANSIENT);
            return;
        }
    }
}

}  // namespace

sqlite3_stmt *prepareSqlite(sqlite3 *db, const QString &sql, const QVariantList &params) {
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt, &tail) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(stmt);
        throwStatementError(sql, msg);
    }
    if (!stmt)
        throwStatementError(sql, QStringLiteral("the statement is empty"));
    if (tail && QByteArray(tail).trimmed().size() > 0 && QByteArray(tail).trimmed() != ";") {
        sqlite3_finalize(stmt);
        throwStatementError(sql, QStringLiteral("only one statement may be sent at a time"));
    }
    if (sqlite3_bind_parameter_count(stmt) != params.size()) {
        sqlite3_finalize(stmt);
        throwStatementError(sql, QStringLiteral("the statement has %1 parameters, %2 were given")
                                     .arg(sqlite3_bind_parameter_count(stmt))
                                     .arg(params.size()));
    }
    for (int i = 0; i < params.size(); ++i)
        bindOne(stmt, i + 1, params[i]);
    return stmt;
}

int executeSqlite(sqlite3 *db, const QString &sql, const QVariantList &params) {
    sqlite3_stmt *stmt = prepareSqlite(db, sql, params);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throwStatementError(sql, QString::fromUtf8(sqlite3_errmsg(db)));
    return sqlite3_changes(db);
}

QVariant sqliteValue(sqlite3_stmt *stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_INTEGER:
            return QVariant(qlonglong(sqlite3_column_int64(stmt, i)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(stmt, i));
        case SQLITE_TEXT: {
            const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
            return QVariant(QString::fromUtf8(p, sqlite3_column_bytes(stmt, i)));
        }
        case SQLITE_BLOB: {
            const auto *p = static_cast<const char *>(sqlite3_column_blob(stmt, i));
            return QVariant(QByteArray(p, sqlite3_column_bytes(stmt, i)));
        }
        default:
            return QVariant();
    }
}

void runQtSql(QSqlQuery &query, const Connection &connection, const Statement &statement,
              const QString &text, Unbound unbound) {
    if (statement.params.isEmpty() && unbound == Unbound::AsIs) {
        if (!query.exec(text))
            connection.throwFailure(statement.text, query.lastError().text());
        return;
    }
    if (!query.prepare(text))
        connection.throwFailure(statement.text, query.lastError().text());
    for (const QVariant &v : statement.params)
        query.addBindValue(v);
    if (!query.exec())
        connection.throwFailure(statement.text, query.lastError().text());
}

}  // namespace tessel::db
