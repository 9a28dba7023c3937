#include "db/SqlBinding.h"

#include <sqlite3.h>

#include <tessel/Error.h>
#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>
#include <limits>

#include "base/Language.h"
#include "base/ValueText.h"
#include "db/Connection.h"

namespace tessel::db {

void throwStatementError(const QString &sql, const QString &databaseText) {
    QString shown = sql.simplified();
    if (shown.size() > 200)
        shown = shown.left(200) + QStringLiteral("…");
    throw Error(Error::Category::Statement, tessel::base::tr("数据库拒绝了语句“%1”").arg(shown),
                databaseText);
}

QVariant nativeParameter(const QVariant &value) {
    if (value.isNull() || !value.isValid())
        return value;
    switch (value.typeId()) {
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            return QVariant(value.toInt());
        case QMetaType::Long:
        case QMetaType::UInt:
            return QVariant(value.toLongLong());
        case QMetaType::ULong:
        case QMetaType::ULongLong: {
            const qulonglong u = value.toULongLong();
            if (u > qulonglong(std::numeric_limits<qlonglong>::max()))
                return QVariant(double(u));
            return QVariant(qlonglong(u));
        }
        case QMetaType::QDate:
            return value.toDate().isValid() ? value : QVariant(value.metaType(), nullptr);
        case QMetaType::QTime:
            return value.toTime().isValid() ? value : QVariant(value.metaType(), nullptr);
        case QMetaType::QDateTime:
            return value.toDateTime().isValid() ? value : QVariant(value.metaType(), nullptr);
        default:
            return value;
    }
}

QByteArray parameterText(const QVariant &value) {
    // The shown text (valueToText) drops what a display leaves out: milliseconds, and the
    // time of a date-time at midnight. A parameter keeps all of its value.
    const auto timeText = [](const QTime &t) {
        return t.toString(t.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"));
    };
    switch (value.typeId()) {
        case QMetaType::Bool:
            return value.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
        case QMetaType::QDateTime: {
            const QDateTime dt = value.toDateTime();
            return (dt.date().toString(QStringLiteral("yyyy-MM-dd ")) + timeText(dt.time()))
                .toUtf8();
        }
        case QMetaType::QTime:
            return timeText(value.toTime()).toUtf8();
        case QMetaType::QByteArray:
            return value.toByteArray();
        default:
            return base::valueToText(value).toUtf8();
    }
}

namespace {

void bindOne(sqlite3_stmt *stmt, int index, const QVariant &given) {
    const QVariant v = nativeParameter(given);
    if (v.isNull() || !v.isValid()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::LongLong:
            sqlite3_bind_int64(stmt, index, v.toLongLong());
            return;
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
            // SQLite has no date or time type: its date functions read this text form.
            const QByteArray u = parameterText(v);
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
        query.addBindValue(nativeParameter(v));
    if (!query.exec())
        connection.throwFailure(statement.text, query.lastError().text());
}

}  // namespace tessel::db
