// Reading PostgreSQL results through libpq, and what a run meets when the server end of the
// connection goes away. Needs the private server of scripts/with-postgres (TESSEL_TEST_PG).
#include <gtest/gtest.h>

#include <libpq-fe.h>
#include <unistd.h>
#include <algorithm>
#include <string>
#include <vector>

#include <tessel/Error.h>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

#include "base/ValueText.h"
#include "db/Connection.h"
#include "db/Recordset.h"

using namespace tessel;
using db::Connection;
using db::Recordset;

namespace {

QString server() {
    return qEnvironmentVariable("TESSEL_TEST_PG");
}

class Postgres : public ::testing::Test {
protected:
    static QString dbName() { return QStringLiteral("tessel_pgfast_%1").arg(getpid()); }
    static QString url(const QString &db) { return server() + db; }

    static void SetUpTestSuite() {
        if (server().isEmpty())
            return;
        Connection admin;
        admin.open(url(QStringLiteral("postgres")));
        admin.execute(QStringLiteral("drop database if exists %1").arg(dbName()));
        admin.execute(QStringLiteral("create database %1 encoding 'UTF8'").arg(dbName()));
    }
    static void TearDownTestSuite() {
        if (server().isEmpty())
            return;
        Connection admin;
        admin.open(url(QStringLiteral("postgres")));
        admin.execute(QStringLiteral("drop database if exists %1 with (force)").arg(dbName()));
    }
    void SetUp() override {
        if (server().isEmpty())
            GTEST_SKIP() << "TESSEL_TEST_PG is not set (run under scripts/with-postgres)";
        conn.open(url(dbName()));
    }

    static Recordset read(const Connection &c, const QString &sql,
                          const QVariantList &params = {}) {
        Recordset rs;
        rs.open(db::Statement{sql, params}, c, db::CursorType::ForwardOnly, db::LockType::ReadOnly,
                db::kCommandText);
        return rs;
    }
    static int backendOf(const Connection &c) {
        return read(c, QStringLiteral("select pg_backend_pid()")).value(0).toInt();
    }
    // Ends the backend `pid` from a connection of its own and waits until it is gone.
    void terminate(int pid) {
        Connection other;
        other.open(url(dbName()));
        other.execute(QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
        for (int i = 0; i < 200; ++i) {
            if (read(
                    other,
                    QStringLiteral("select count(*) from pg_stat_activity where pid = %1").arg(pid))
                    .value(0)
                    .toInt() == 0)
                return;
            QThread::msleep(10);
        }
    }

    Connection conn;
};

// Values and texts as Qt's own driver gives them, rows and parameters intact.
TEST_F(Postgres, ValuesMatchQtsDriver) {
    const QString sql = QStringLiteral(
        "select 7::int4, -8000000000::int8, 1.25::float8, 2.50::numeric, 1e20::float8, "
        "'Ab 中文'::text, null::int4, true, date '2024-01-05', timestamp '2024-01-05 10:30:00', "
        "'\\x00ff'::bytea, 'x'::varchar(3), 0.1::float8 + 0.2, '-0'::float8, 1e-5::float8, "
        "1e15::float8, 123456.79::float4, null::float8");
    QSqlQuery q(conn.database());
    ASSERT_TRUE(q.exec(sql));
    ASSERT_TRUE(q.next());
    Recordset rs = read(conn, sql);
    ASSERT_EQ(rs.fieldCount(), q.record().count());
    for (int i = 0; i < rs.fieldCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rs.value(i), q.value(i));
        EXPECT_EQ(rs.value(i).typeId(), q.value(i).typeId());
        EXPECT_EQ(QString::fromUtf8(rs.utf8(i)), base::valueToText(q.value(i)));
    }
    Recordset p =
        read(conn, QStringLiteral("select ? || '?', ?::int + 1 from generate_series(1, 3)"),
             {QStringLiteral("中"), 41});
    int rows = 0;
    for (; !p.eof(); p.moveNext(), ++rows) {
        EXPECT_EQ(p.text(0), QStringLiteral("中?"));
        EXPECT_EQ(p.value(1).toInt(), 42);
    }
    EXPECT_EQ(rows, 3);
}

// A row read in one call holds every field's text at once, each as reading it alone gives it,
// values the component spells itself (reals, dates, bytes) side by side; asking for more
// fields than the row has is refused.
TEST_F(Postgres, RowInOneCallMatchesFieldByField) {
    const QString sql = QStringLiteral(
        "select * from (values (1e20::float8, 2.50::numeric, 'Ab 中文'::text, "
        "date '2024-01-05', '\\x00ff'::bytea, 123456.79::float4, '-0'::float8, true), "
        "(null, null, null, null, null, null, 0.1::float8 + 0.2, false)) v");
    Recordset rs = read(conn, sql);
    int rows = 0;
    for (; !rs.eof(); rs.moveNext(), ++rows) {
        std::vector<std::string_view> row(std::size_t(rs.fieldCount()));
        rs.rowUtf8(row);
        for (int i = 0; i < rs.fieldCount(); ++i) {
            SCOPED_TRACE(QStringLiteral("row %1 field %2").arg(rows).arg(i).toStdString());
            EXPECT_EQ(std::string(row[std::size_t(i)]), std::string(rs.utf8(i)));
        }
        std::vector<std::string_view> tooMany(std::size_t(rs.fieldCount()) + 1);
        EXPECT_THROW(rs.rowUtf8(tooMany), Error);
    }
    EXPECT_EQ(rows, 2);
}

// A statement on the connection in the middle of a read: the read keeps every row, and the
// connection is free for Qt as well as for the component.
TEST_F(Postgres, OtherStatementsDuringAStream) {
    Recordset rs = read(conn, QStringLiteral("select g from generate_series(1, 20000) g"));
    rs.moveNext();
    conn.execute(QStringLiteral("create table t (a int)"));
    QSqlQuery q(conn.database());
    EXPECT_TRUE(q.exec(QStringLiteral("insert into t values (1)")));
    db::Transaction tx(conn);  // sees the session idle, not busy
    conn.execute(QStringLiteral("insert into t values (2)"));
    tx.commit();
    int last = 0;
    for (; !rs.eof(); rs.moveNext())
        last = rs.value(0).toInt();
    EXPECT_EQ(last, 20000);
    EXPECT_EQ(read(conn, QStringLiteral("select count(*) from t")).value(0).toInt(), 2);
    {
        // Closed part way, a stream has the server stop instead of reading on to the end.
        Recordset endless = read(conn, QStringLiteral("select generate_series(1, 2000000000)"));
    }
    EXPECT_EQ(read(conn, QStringLiteral("select 5")).value(0).toInt(), 5);
}

// A failure in the middle of the rows is an error, never the end of the data; the owned
// connection then serves the next statement, opened again when it was lost.
TEST_F(Postgres, FailureWhileReading) {
    struct Case {
        const char *name;
        bool terminate;
        Error::Category category;
        const char *serverSays;
    } cases[] = {
        // The server's farewell may be lost with the socket on a loaded machine: then the
        // client's own text on the closed connection is what the database says.
        {"backend terminated", true, Error::Category::Connection,
         "administrator command|server closed the connection"},
        {"statement timeout", false, Error::Category::Statement, "statement timeout"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const int pid = backendOf(conn);
        conn.execute(QStringLiteral("set statement_timeout = %1").arg(c.terminate ? 0 : 300));
        Recordset rs = read(conn, QStringLiteral("select generate_series(1, 200000000) as g"));
        if (c.terminate)
            terminate(pid);
        try {
            for (; !rs.eof(); rs.moveNext()) {
            }
            ADD_FAILURE() << "the read ended without an error";
        } catch (const Error &e) {
            EXPECT_EQ(e.category(), c.category) << e.fullText().toStdString();
            const QStringList says = QString::fromLatin1(c.serverSays).split(u'|');
            EXPECT_TRUE(std::any_of(says.begin(), says.end(), [&](const QString &t) {
                return e.databaseText().contains(t);
            })) << e.fullText().toStdString();
        }
        conn.execute(QStringLiteral("set statement_timeout = 0"));
        EXPECT_EQ(read(conn, QStringLiteral("select 1")).value(0).toInt(), 1);
    }
}

// Between two runs: an owned connection whose backend went away opens again on the next
// statement; the host's connection is not reopened behind its back.
TEST_F(Postgres, LostWhileIdle) {
    terminate(backendOf(conn));
    EXPECT_EQ(read(conn, QStringLiteral("select 2")).value(0).toInt(), 2);

    // The database gone while the connection is lost stands for a server that is down: the
    // statement fails, and the first one after the database is back opens it again.
    const QString gone = dbName() + QStringLiteral("_gone");
    Connection admin;
    admin.open(url(QStringLiteral("postgres")));
    admin.execute(QStringLiteral("create database %1").arg(gone));
    Connection owned;
    owned.open(url(gone));
    terminate(backendOf(owned));
    // Forced: a loaded server may still be ending the terminated backend.
    admin.execute(QStringLiteral("drop database %1 with (force)").arg(gone));
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        try {
            read(owned, QStringLiteral("select 1"));
            ADD_FAILURE() << "read without a database";
        } catch (const Error &e) {
            EXPECT_EQ(e.category(), Error::Category::Connection);
            EXPECT_TRUE(e.databaseText().contains(gone)) << e.fullText().toStdString();
        }
    }
    admin.execute(QStringLiteral("create database %1").arg(gone));
    EXPECT_EQ(read(owned, QStringLiteral("select 4")).value(0).toInt(), 4);
    owned.close();
    admin.execute(QStringLiteral("drop database %1 with (force)").arg(gone));

    const db::ConnectionSpec spec = db::parseConnectionString(url(dbName()));
    {
        QSqlDatabase host =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("host"));
        host.setHostName(spec.host);
        host.setPort(spec.port);
        host.setUserName(spec.user);
        host.setDatabaseName(spec.databaseName);
        ASSERT_TRUE(host.open());
        const Connection wrapped = Connection::wrap(host);
        // The host closing its connection under a stream ends the stream with an error.
        Recordset rs = read(wrapped, QStringLiteral("select generate_series(1, 100000000)"));
        host.close();
        EXPECT_THROW(for (; !rs.eof(); rs.moveNext()){}, Error);
        ASSERT_TRUE(host.open());
        terminate(backendOf(wrapped));
        try {
            read(wrapped, QStringLiteral("select 3"));
            ADD_FAILURE() << "a lost host connection read on";
        } catch (const Error &e) {
            EXPECT_EQ(e.category(), Error::Category::Connection);
            EXPECT_TRUE(e.userMessage().contains(QStringLiteral("与数据库的连接")));
        }
        EXPECT_EQ(PQstatus(wrapped.postgresHandle()), CONNECTION_BAD);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("host"));
}

// A server that does not answer ends the connect within seconds.
TEST_F(Postgres, ConnectTimeoutIsBounded) {
    PQconninfoOption *options = PQconninfo(conn.postgresHandle());
    int timeout = 0;
    for (PQconninfoOption *o = options; o && o->keyword; ++o) {
        if (qstrcmp(o->keyword, "connect_timeout") == 0 && o->val)
            timeout = atoi(o->val);
    }
    PQconninfoFree(options);
    EXPECT_GT(timeout, 0);
    EXPECT_LE(timeout, 10);
}

}  // namespace

namespace {

// Through ODBC (cursor fetches) a row that fails while the stream is read into memory for
// another statement is raised where it falls, not taken for the end of the rows.
TEST_F(Postgres, OdbcStreamDrainedKeepsItsError) {
    const db::ConnectionSpec spec = db::parseConnectionString(url(dbName()));
    Connection odbc;
    odbc.open(QStringLiteral("Driver=/usr/lib/x86_64-linux-gnu/odbc/"
                             "psqlodbcw.so;Server=%1;Port=%2;Database=%3;UID=%4;"
                             "UseDeclareFetch=1;Fetch=100")
                  .arg(spec.host)
                  .arg(spec.port)
                  .arg(spec.databaseName, spec.user));
    Recordset rs =
        read(odbc, QStringLiteral("select 1 / (g - 3000) from generate_series(1, 5000) g"));
    odbc.execute(QStringLiteral("select 1"));
    int rows = 0;
    EXPECT_THROW(for (; !rs.eof(); rs.moveNext())++ rows;, Error);
    EXPECT_LT(rows, 3000);  // the driver fetches 100 rows at a time
}

}  // namespace
