#include "support/TestDb.h"

#include <sqlite3.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>
#include <stdexcept>

namespace tessel::test {

namespace {

// The server's address from scripts/with-postgres, or empty.
QUrl serverUrl() {
    const QString env = qEnvironmentVariable("TESSEL_TEST_PG");
    return env.isEmpty() ? QUrl() : QUrl(env);
}

std::atomic<int> g_serial{0};

// A database name of this executable and process, new for each call.
QString newDatabaseName() {
    QString exe = QCoreApplication::applicationName().toLower();
    exe.replace(QRegularExpression(QStringLiteral("[^a-z0-9_]")), QStringLiteral("_"));
    return QStringLiteral("tessel_%1_%2_%3")
        .arg(exe)
        .arg(qint64(getpid()))
        .arg(g_serial.fetch_add(1) + 1);
}

// Runs one statement on a Qt SQL connection of the test support.
void run(const QString &connName, const QString &sql) {
    QSqlQuery q(QSqlDatabase::database(connName, false));
    if (!q.exec(sql)) {
        throw std::runtime_error("test SQL failed: " + q.lastError().text().toStdString() +
                                 " in: " + sql.left(200).toStdString());
    }
}

// Splits a script at the ";" outside quotes and $$ bodies, leaving out "--" comments.
QStringList statements(const QString &sql) {
    QStringList out;
    QString cur;
    QChar quote;
    bool comment = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (comment) {
            comment = c != u'\n';
            continue;
        }
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'-' && i + 1 < sql.size() && sql[i + 1] == u'-') {
            comment = true;
            continue;
        } else if (c == u'$' && i + 1 < sql.size() && sql[i + 1] == u'$') {
            // A function body in $$ … $$, taken whole.
            const qsizetype end = sql.indexOf(QLatin1String("$$"), i + 2);
            const qsizetype stop = end < 0 ? sql.size() : end + 2;
            cur += sql.mid(i, stop - i);
            i = stop - 1;
            continue;
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';') {
            if (!cur.trimmed().isEmpty())
                out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    if (!cur.trimmed().isEmpty())
        out << cur;
    return out;
}

// The ODBC connection string to the developer's SQL Server, or empty.
QString mssqlServer() {
    return qEnvironmentVariable("TESSEL_TEST_MSSQL");
}

// The SQL Server connection string that reaches `database` (the server's default database
// when empty): the developer's string with its own database key replaced.
QString mssqlConnectionString(const QString &database) {
    QString cs = mssqlServer();
    cs.remove(QRegularExpression(QStringLiteral("(^|;)\\s*(Database|Initial Catalog)\\s*=[^;]*"),
                                 QRegularExpression::CaseInsensitiveOption));
    if (!cs.isEmpty() && !cs.endsWith(u';'))
        cs += u';';
    if (!database.isEmpty())
        cs += QStringLiteral("Database=%1;").arg(database);
    return cs;
}

// A Qt SQL connection to `database` on the server of `backend`, under `connName`.
void openServer(const QString &connName, const QString &database,
                Backend backend = Backend::Postgres) {
    QSqlDatabase db;
    if (backend == Backend::SqlServer) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connName);
        db.setDatabaseName(mssqlConnectionString(database));
    } else {
        const QUrl url = serverUrl();
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connName);
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setUserName(url.userName());
        db.setPassword(url.password());
        db.setDatabaseName(database);
    }
    if (!db.open()) {
        const std::string why = db.lastError().text().toStdString();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connName);
        throw std::runtime_error("cannot reach the test server: " + why);
    }
}

void closeServer(const QString &connName) {
    {
        QSqlDatabase db = QSqlDatabase::database(connName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connName);
}

// Creates or drops a database through the server's maintenance database.
void administer(const QString &sql, Backend backend = Backend::Postgres) {
    const QString admin = QStringLiteral("tessel-test-admin");
    openServer(
        admin,
        backend == Backend::SqlServer ? QStringLiteral("master") : QStringLiteral("postgres"),
        backend);
    try {
        run(admin, sql);
    } catch (...) {
        closeServer(admin);
        throw;
    }
    closeServer(admin);
}

// A statement of the suite in SQL Server's terms. The suite's SQL keeps to what SQLite and
// PostgreSQL share; of that, SQL Server lacks the column type `text` in a UTF-8 database
// (nvarchar(850) instead: the longest an index key may hold, 1,700 bytes, and the suite
// indexes text columns), `with recursive` (a plain `with` whose depth is lifted) and the
// `||` operator on simple operands (concat()).
QString forSqlServer(QString statement) {
    const QString head = statement.trimmed().left(12).toLower();
    if (head.startsWith(QLatin1String("create table")) ||
        head.startsWith(QLatin1String("alter table"))) {
        static const QRegularExpression text(QStringLiteral("\\btext\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
        statement.replace(text, QStringLiteral("nvarchar(850)"));
    }
    static const QRegularExpression recursive(QStringLiteral("\\bwith\\s+recursive\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (statement.contains(recursive)) {
        statement.replace(recursive, QStringLiteral("with"));
        statement += QStringLiteral(" option (maxrecursion 0)");
    }
    static const QRegularExpression concat(
        QStringLiteral("('[^']*'|\\w+)\\s*\\|\\|\\s*('[^']*'|\\w+)"));
    statement.replace(concat, QStringLiteral("concat(\\1, \\2)"));
    return statement;
}

}  // namespace

const char *backendName(Backend b) {
    switch (b) {
        case Backend::SQLite:
            return "SQLite";
        case Backend::Odbc:
            return "Odbc";
        case Backend::Postgres:
            return "Postgres";
        case Backend::PostgresOdbc:
            return "PostgresOdbc";
        case Backend::SqlServer:
            return "SqlServer";
    }
    return "?";
}

bool isPostgres(Backend b) {
    return b == Backend::Postgres || b == Backend::PostgresOdbc;
}

bool isServer(Backend b) {
    return isPostgres(b) || b == Backend::SqlServer;
}

QString unavailable(Backend b) {
    if (isPostgres(b) && serverUrl().isEmpty())
        return QStringLiteral(
            "no PostgreSQL server: TESSEL_TEST_PG is unset (scripts/with-postgres)");
    if (b == Backend::SqlServer && mssqlServer().isEmpty())
        return QStringLiteral(
            "no SQL Server: TESSEL_TEST_MSSQL (an ODBC connection string to one) is unset");
    return {};
}

TempDb::TempDb(Backend backend) : m_backend(backend) {
    if (isServer(backend)) {
        if (!unavailable(backend).isEmpty())
            return;
        m_serverDb = newDatabaseName();
        if (backend == Backend::SqlServer) {
            // UTF-8 (SQL Server 2019 and later): plain '…' literals and varchar columns keep
            // Chinese text as the other backends do.
            administer(QStringLiteral("create database %1 collate Latin1_General_100_CI_AS_SC_UTF8")
                           .arg(m_serverDb),
                       backend);
        } else {
            // A copy of the template's files: the quickest way to an empty database.
            administer(QStringLiteral("create database %1 strategy file_copy").arg(m_serverDb));
        }
        m_serverConn = QStringLiteral("tessel-test-%1").arg(m_serverDb);
        openServer(m_serverConn, m_serverDb, backend);
        return;
    }
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("test.db"));
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(m_path).constData(), &db) != SQLITE_OK) {
        throw std::runtime_error("cannot create test database");
    }
    sqlite3_close(db);
}

TempDb::~TempDb() {
    if (m_serverDb.isEmpty())
        return;
    closeServer(m_serverConn);
    try {
        // Connections a test left open are ended with the database.
        if (m_backend == Backend::SqlServer) {
            administer(QStringLiteral("alter database %1 set single_user with rollback immediate;")
                           .arg(m_serverDb),
                       m_backend);
            administer(QStringLiteral("drop database %1").arg(m_serverDb), m_backend);
        } else {
            administer(QStringLiteral("drop database if exists %1 with (force)").arg(m_serverDb));
        }
    } catch (const std::exception &) {
        // The private server and all its databases go when scripts/with-postgres ends; on a
        // developer's SQL Server the database is named tessel_<test>_<pid>_<n>.
    }
}

QString TempDb::connectionString(Backend backend) const {
    if (isPostgres(backend) != isPostgres(m_backend) ||
        (backend == Backend::SqlServer) != (m_backend == Backend::SqlServer))
        throw std::logic_error("the test database is not reached through this backend");
    if (backend == Backend::SqlServer) {
        if (m_serverDb.isEmpty())
            throw std::runtime_error(unavailable(backend).toStdString());
        return mssqlConnectionString(m_serverDb);
    }
    if (isPostgres(backend)) {
        if (m_serverDb.isEmpty())
            throw std::runtime_error(unavailable(backend).toStdString());
        const QUrl url = serverUrl();
        if (backend == Backend::Postgres) {
            QUrl mine(url);
            mine.setPath(u'/' + m_serverDb);
            return mine.toString();
        }
        QString cs = QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=%3;")
                         .arg(url.host())
                         .arg(url.port(5432))
                         .arg(m_serverDb);
        if (!url.userName().isEmpty())
            cs += QStringLiteral("UID=%1;").arg(url.userName());
        if (!url.password().isEmpty())
            cs += QStringLiteral("PWD=%1;").arg(url.password());
        return cs;
    }
    if (backend == Backend::SQLite)
        return QStringLiteral("sqlite:") + m_path;
    return QStringLiteral("Driver=SQLite3;Database=%1;").arg(m_path);
}

db::Connection TempDb::connect(Backend backend) const {
    db::Connection c;
    c.open(connectionString(backend));
    return c;
}

void TempDb::exec(const QString &sql) const {
    if (isServer(m_backend)) {
        if (m_serverDb.isEmpty())
            throw std::runtime_error(unavailable(m_backend).toStdString());
        for (QString statement : statements(sql)) {
            if (m_backend == Backend::SqlServer)
                statement = forSqlServer(statement);
            run(m_serverConn, statement);
        }
        return;
    }
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(m_path).constData(), &db);
    char *err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    const std::string message = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("test SQL failed: " + message);
}

void TempDb::refuse(const QString &when, const QString &message) const {
    const QString name = QStringLiteral("refuse_%1").arg(g_serial.fetch_add(1) + 1);
    if (m_backend == Backend::SqlServer) {
        // T-SQL has no "before" trigger: an "after" trigger that throws undoes the statement.
        const QRegularExpressionMatch m =
            QRegularExpression(
                QStringLiteral("^\\s*before\\s+(\\w+)(?:\\s+of\\s+(\\S+))?\\s+on\\s+(\\S+)"),
                QRegularExpression::CaseInsensitiveOption)
                .match(when);
        if (!m.hasMatch())
            throw std::logic_error("refuse: unexpected event " + when.toStdString());
        const QString column = m.captured(2);
        exec(
            QStringLiteral("create trigger %1 on %2 after %3 as begin %4throw 50000, N'%5', 1; end")
                .arg(name, m.captured(3), m.captured(1),
                     column.isEmpty() ? QString() : QStringLiteral("if update(%1) ").arg(column),
                     message));
        return;
    }
    if (!isPostgres(m_backend)) {
        exec(QStringLiteral("create trigger %1 %2 begin select raise(abort, '%3'); end;")
                 .arg(name, when, message));
        return;
    }
    exec(QStringLiteral("create function %1() returns trigger language plpgsql as $$ begin "
                        "raise exception '%3'; end $$; create trigger %1 %2 for each row "
                        "execute function %1();")
             .arg(name, when, message));
}

QString TempDb::tslReportDdl() const {
    QString ddl = test::tslReportDdl();
    if (!isPostgres(m_backend))
        return ddl;  // SQLite and SQL Server take the host's own table as it stands
    // The same table in PostgreSQL's own types.
    const std::pair<const char *, const char *> types[] = {
        {"nvarchar", "varchar"}, {"ntext", "text"},  {"float", "real"},
        {"smallint", "integer"}, {"int", "integer"},
    };
    for (const auto &[from, to] : types) {
        ddl.replace(QRegularExpression(QStringLiteral("\\b%1\\b").arg(QLatin1String(from))),
                    QLatin1String(to));
    }
    return ddl;
}

QString tslReportDdl() {
    QFile f(QStringLiteral(TESSEL_TEST_DATA_DIR "/support/tsl_report.sql"));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("tsl_report.sql missing");
    return QString::fromUtf8(f.readAll());
}

}  // namespace tessel::test
