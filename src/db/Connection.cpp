#include "db/Connection.h"

#include <dlfcn.h>
#include <libpq-fe.h>
#include <poll.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <tessel/Error.h>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

#include "base/Language.h"
#include "db/PgStream.h"
#include "db/SqlBinding.h"

namespace tessel::db {

namespace {

std::atomic<int> g_connectionSerial{0};

constexpr int kConnectTimeout = 10;  // seconds a PostgreSQL connect may take

// Milliseconds to wait for the close that follows a server's farewell on an idle
// connection. The server sends its message, then tidies up before its socket closes; on a
// loaded machine that takes a moment. Long enough for that, short enough to go unnoticed
// in the rare case the unprompted data was something else.
constexpr int kFarewellCloseWaitMs = 250;

QString newConnectionName() {
    return QStringLiteral("tessel-%1").arg(g_connectionSerial.fetch_add(1) + 1);
}

Dialect odbcDialect(const QSqlDatabase &db) {
    const QVariant h = db.driver()->handle();
    // Qt hands the ODBC connection handle over as a SQLHANDLE (a void pointer).
    if (h.metaType() == QMetaType::fromType<SQLHANDLE>() ||
        qstrcmp(h.typeName(), "SQLHANDLE") == 0) {
        SQLHANDLE hdbc = *static_cast<SQLHANDLE const *>(h.data());
        SQLCHAR name[128] = {0};
        SQLSMALLINT len = 0;
        if (hdbc && SQL_SUCCEEDED(SQLGetInfo(hdbc, SQL_DBMS_NAME, name, sizeof name, &len))) {
            const QString dbms = QString::fromLatin1(reinterpret_cast<const char *>(name));
            if (dbms.contains(QLatin1String("SQLite"), Qt::CaseInsensitive))
                return Dialect::SQLite;
            if (dbms.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive)) {
                return Dialect::PostgreSQL;
            }
        }
    }
    return Dialect::SqlServer;
}

Dialect detectDialect(const QSqlDatabase &db) {
    if (!db.isValid())
        return Dialect::SqlServer;
    switch (db.driver()->dbmsType()) {
        case QSqlDriver::SQLite:
            return Dialect::SQLite;
        case QSqlDriver::PostgreSQL:
            return Dialect::PostgreSQL;
        case QSqlDriver::MSSqlServer:
            return Dialect::SqlServer;
        default:
            break;
    }
    if (db.driverName() == QLatin1String("QODBC") && db.isOpen())
        return odbcDialect(db);
    return Dialect::SqlServer;
}

}  // namespace

struct Connection::State {
    QSqlDatabase db;
    QString ownedName;  // set when this component added the connection to Qt SQL
    Dialect dialect = Dialect::SqlServer;
    bool ownTransaction = false;  // beginTransaction() ran and no commit or rollback yet
    bool reopenFailed = false;    // lost, and opening it again failed: try at the next statement
    QString lostReason;           // what libpq said when the connection was found lost
    std::vector<std::pair<const void *, std::function<void()>>> streams;

    ~State() {
        if (ownedName.isEmpty())
            return;
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(ownedName);
    }
};

Connection::Connection() : m_state(std::make_shared<State>()) {}

void Connection::open(const QString &connectionString) {
    m_state = std::make_shared<State>();
    const ConnectionSpec parsed = parseConnectionString(connectionString);
    if (!QSqlDatabase::isDriverAvailable(parsed.driver)) {
        throw Error(Error::Category::Connection,
                    tessel::base::tr("数据库驱动 %1 没有安装").arg(parsed.driver));
    }
    if (parsed.driver == QLatin1String("QSQLITE") && !QFileInfo(parsed.databaseName).isFile()) {
        throw Error(Error::Category::Connection,
                    tessel::base::tr("数据库文件不存在：%1").arg(parsed.databaseName));
    }
    const QString name = newConnectionName();
    m_state->ownedName = name;
    m_state->db = QSqlDatabase::addDatabase(parsed.driver, name);
    m_state->db.setDatabaseName(parsed.databaseName);
    if (!parsed.host.isEmpty())
        m_state->db.setHostName(parsed.host);
    if (parsed.port > 0)
        m_state->db.setPort(parsed.port);
    if (!parsed.user.isEmpty())
        m_state->db.setUserName(parsed.user);
    if (!parsed.password.isEmpty())
        m_state->db.setPassword(parsed.password);
    // A server that does not answer must not hang the run: libpq waits forever otherwise.
    if (parsed.driver == QLatin1String("QPSQL"))
        m_state->db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kConnectTimeout));
    if (!m_state->db.open()) {
        const QSqlError err = m_state->db.lastError();
        throw Error(Error::Category::Connection, tessel::base::tr("无法打开数据库"), err.text());
    }
    m_state->dialect = detectDialect(m_state->db);
}

Connection Connection::wrap(const QSqlDatabase &db) {
    Connection c;
    c.m_state->db = db;
    c.m_state->dialect = detectDialect(db);
    return c;
}

bool Connection::isSet() const {
    return m_state->db.isValid();
}
bool Connection::isOpen() const {
    return m_state->db.isValid() && m_state->db.isOpen();
}
QSqlDatabase Connection::database() const {
    return m_state->db;
}

Dialect Connection::dialect() const {
    // A host may hand over its connection before opening it: decide when it is used.
    if (m_state->ownedName.isEmpty() && m_state->db.isOpen()) {
        m_state->dialect = detectDialect(m_state->db);
    }
    return m_state->dialect;
}

sqlite3 *Connection::sqliteHandle() const {
    if (!isOpen() || m_state->db.driverName() != QLatin1String("QSQLITE"))
        return nullptr;
    const QVariant h = m_state->db.driver()->handle();
    if (qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(h.data());
}

pg_conn *Connection::postgresHandle() const {
    // Not isOpen(): Qt's driver calls a connection whose server end is gone closed, and
    // the handle is what tells such a connection from one nobody opened.
    if (!m_state->db.isValid() || m_state->db.driverName() != QLatin1String("QPSQL"))
        return nullptr;
    const QVariant h = m_state->db.driver()->handle();
    // Qt 6.4 names the type by its struct ("pg_conn*"), later versions by the typedef.
    if (qstrcmp(h.typeName(), "PGconn*") != 0 && qstrcmp(h.typeName(), "pg_conn*") != 0)
        return nullptr;
    return *static_cast<PGconn *const *>(h.data());
}

bool Connection::isLost() const {
    PGconn *pg = postgresHandle();
    return pg && PQstatus(pg) == CONNECTION_BAD;
}

void Connection::ensureLive() const {
    PGconn *pg = postgresHandle();
    if (pg) {
        // A server end that closed while the connection was idle shows only once its
        // farewell is read: the first read takes the server's message, the second meets the
        // closed socket. Nothing waiting on the socket is the common case and costs one poll;
        // once something came unprompted, the close is waited for briefly, since it may
        // lag behind the message.
        for (int i = 0;
             i < 2 && PQstatus(pg) == CONNECTION_OK && PQtransactionStatus(pg) != PQTRANS_ACTIVE;
             ++i) {
            pollfd ready{PQsocket(pg), POLLIN, 0};
            if (poll(&ready, 1, i == 0 ? 0 : kFarewellCloseWaitMs) <= 0 || !PQconsumeInput(pg))
                break;
        }
        if (PQstatus(pg) == CONNECTION_BAD) {
            m_state->lostReason = QString::fromUtf8(PQerrorMessage(pg)).trimmed();
        } else {
            return;
        }
    } else if (!m_state->reopenFailed) {
        return;
    }
    if (m_state->ownedName.isEmpty()) {
        throw Error(Error::Category::Connection,
                    tessel::base::tr("与数据库的连接已断开，需由主程序重新打开"),
                    m_state->lostReason);
    }
    if (m_state->ownTransaction) {
        // The work of the open transaction is gone with the connection: running the next
        // statement on a new connection would commit half of it.
        throw Error(Error::Category::Connection, tessel::base::tr("与数据库的连接在事务中断开"),
                    m_state->lostReason);
    }
    // Once for each statement: a server that is back serves the next run.
    m_state->db.close();
    m_state->reopenFailed = !m_state->db.open();
    if (m_state->reopenFailed) {
        throw Error(Error::Category::Connection,
                    tessel::base::tr("与数据库的连接已断开，无法重新打开"),
                    m_state->db.lastError().text());
    }
}

void Connection::requireOpen() const {
    if (isLost() || m_state->reopenFailed) {
        ensureLive();  // opens it again or says it was lost
        return;
    }
    if (!isOpen()) {
        throw Error(Error::Category::Connection, tessel::base::tr("没有打开的数据库连接"));
    }
}

int Connection::execute(const QString &sql) const {
    return execute(Statement{sql, {}});
}

int Connection::execute(const Statement &statement) const {
    requireOpen();
    const QString text = translateSql(statement.text, dialect());
    if (sqlite3 *h = sqliteHandle())
        return executeSqlite(h, text, statement.params);
    drainStreams();
    ensureLive();
    // Qt's driver prepares every statement, which the server refuses for data definition.
    if (PGconn *pg = postgresHandle(); pg && PQtransactionStatus(pg) != PQTRANS_ACTIVE)
        return executePostgres(*this, statement, text);
    QSqlQuery q(m_state->db);
    runQtSql(q, *this, statement, text, Unbound::AsIs);
    return q.numRowsAffected();
}

void Connection::registerStream(const void *key, std::function<void()> drain) const {
    m_state->streams.emplace_back(key, std::move(drain));
}

void Connection::unregisterStream(const void *key) const {
    auto &v = m_state->streams;
    v.erase(std::remove_if(v.begin(), v.end(), [key](const auto &p) { return p.first == key; }),
            v.end());
}

void Connection::drainStreams() const {
    // Draining may not add streams; a copy keeps the walk safe all the same.
    const auto streams = m_state->streams;
    for (const auto &[key, drain] : streams)
        drain();
}

void Connection::throwFailure(const QString &sql, const QString &databaseText) const {
    if (isLost()) {
        throw Error(Error::Category::Connection, tessel::base::tr("与数据库的连接已断开"),
                    databaseText);
    }
    throwStatementError(sql, databaseText);
}

void Connection::beginTransaction() const {
    requireOpen();
    // Qt's drivers send BEGIN, COMMIT and ROLLBACK past any open result: free the
    // connection first, or a streaming result is cut short without an error.
    drainStreams();
    ensureLive();
    m_state->ownTransaction = true;
    if (!m_state->db.transaction()) {
        m_state->ownTransaction = false;
        throw Error(Error::Category::Statement, tessel::base::tr("无法开始事务"),
                    m_state->db.lastError().text());
    }
}

void Connection::commit() const {
    drainStreams();
    m_state->ownTransaction = false;
    if (!m_state->db.commit()) {
        throw Error(Error::Category::Statement, tessel::base::tr("无法提交事务"),
                    m_state->db.lastError().text());
    }
}

bool Connection::inTransaction() const {
    requireOpen();
    if (sqlite3 *h = sqliteHandle())
        return sqlite3_get_autocommit(h) == 0;
    drainStreams();  // a streaming result would show the session as busy, not in a transaction
    const QVariant handle = m_state->db.driver()->handle();
    const QString driver = m_state->db.driverName();
    if (driver == QLatin1String("QODBC") &&
        (handle.metaType() == QMetaType::fromType<SQLHANDLE>() ||
         qstrcmp(handle.typeName(), "SQLHANDLE") == 0)) {
        // Qt's ODBC transactions switch autocommit off until commit or rollback.
        SQLHANDLE hdbc = *static_cast<SQLHANDLE const *>(handle.data());
        SQLULEN autocommit = SQL_AUTOCOMMIT_ON;
        if (hdbc &&
            SQL_SUCCEEDED(SQLGetConnectAttr(hdbc, SQL_ATTR_AUTOCOMMIT, &autocommit, 0, nullptr))) {
            return autocommit == SQL_AUTOCOMMIT_OFF;
        }
        return false;
    }
    if (driver == QLatin1String("QPSQL") && handle.isValid()) {
        // libpq is loaded with Qt's PostgreSQL driver; ask it for the session's state
        // (PQTRANS_INTRANS = 2, PQTRANS_INERROR = 3). The plugin loads it privately, out of
        // the global namespace: look it up in the loaded library itself.
        using Status = int (*)(const void *);
        static const auto status = [] {
            void *lib = dlopen("libpq.so.5", RTLD_NOW | RTLD_NOLOAD);
            return reinterpret_cast<Status>(dlsym(lib ? lib : RTLD_DEFAULT, "PQtransactionStatus"));
        }();
        void *conn = *static_cast<void *const *>(handle.data());
        if (status && conn) {
            const int st = status(conn);
            return st == 2 || st == 3;
        }
    }
    return false;
}

Transaction::Transaction(const Connection &connection) : m_connection(connection) {
    if (connection.inTransaction()) {
        savepoint("save transaction tessel_work", "savepoint tessel_work");
        m_joined = true;
    } else {
        connection.beginTransaction();
        m_owned = true;
    }
}

void Transaction::savepoint(const char *sqlServer, const char *others) const {
    m_connection.execute(
        QString::fromLatin1(m_connection.dialect() == Dialect::SqlServer ? sqlServer : others));
}

Transaction::~Transaction() {
    if (m_done)
        return;
    if (m_owned) {
        m_connection.rollback();
    } else if (m_joined) {
        try {
            savepoint("rollback transaction tessel_work", "rollback to savepoint tessel_work");
            if (m_connection.dialect() != Dialect::SqlServer)
                savepoint("", "release savepoint tessel_work");
        } catch (const Error &) {
            // The host's transaction is the host's to end; nothing more can be undone here.
        }
    }
}

void Transaction::commit() {
    if (m_owned) {
        m_connection.commit();
    } else if (m_joined && m_connection.dialect() != Dialect::SqlServer) {
        savepoint("", "release savepoint tessel_work");
    }
    m_done = true;
}

void Connection::rollback() const {
    drainStreams();
    m_state->ownTransaction = false;
    m_state->db.rollback();
}

void Connection::close() const {
    drainStreams();  // a stream keeps its rows; the connection it read from goes
    if (m_state->db.isValid())
        m_state->db.close();
}

}  // namespace tessel::db
