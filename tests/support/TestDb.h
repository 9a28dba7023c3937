// Temporary databases for tests: a SQLite file reached directly or through ODBC, a fresh
// database on the private PostgreSQL server (scripts/with-postgres) reached through Qt's
// PostgreSQL driver or through ODBC, or a fresh database on a SQL Server the developer names
// in TESSEL_TEST_MSSQL (an ODBC connection string to the server, FreeTDS or the vendor's
// driver, with a login that may create databases).
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "db/Connection.h"

namespace tessel::test {

enum class Backend { SQLite, Odbc, Postgres, PostgresOdbc, SqlServer };

const char *backendName(Backend b);
// Names the backend in test output.
inline void PrintTo(Backend b, std::ostream *os) {
    *os << backendName(b);
}

// Every backend, for INSTANTIATE_TEST_SUITE_P, and the test-name generator that names them.
inline constexpr Backend kAllBackends[] = {Backend::SQLite, Backend::Odbc, Backend::Postgres,
                                           Backend::PostgresOdbc, Backend::SqlServer};
struct BackendTestName {
    template <class Info>
    std::string operator()(const Info &info) const {
        return backendName(info.param);
    }
};

// True for the two ways to the PostgreSQL server.
bool isPostgres(Backend b);
// True for the backends whose database lives on a server (PostgreSQL, SQL Server).
bool isServer(Backend b);

// A fixture whose constructor takes the backend, run on every backend by TEST_P:
//   using PageSetupOn = test::OnEveryBackend<PageSetupDialog>;  … INSTANTIATE_TEST_SUITE_P(
//   Backends, PageSetupOn, ::testing::ValuesIn(test::kAllBackends), test::BackendTestName());
template <class Fixture>
class OnEveryBackend : public Fixture, public ::testing::WithParamInterface<Backend> {
protected:
    OnEveryBackend() : Fixture(::testing::WithParamInterface<Backend>::GetParam()) {}
};

// Why `b` cannot be tested here (the server's address TESSEL_TEST_PG or TESSEL_TEST_MSSQL is
// unset), or empty.
QString unavailable(Backend b);

// Skips the running test when its backend cannot be tested here; call it first in SetUp or
// in the test body.
#define TESSEL_SKIP_UNLESS_AVAILABLE(backend)                                         \
    do {                                                                              \
        if (const QString why = ::tessel::test::unavailable(backend); !why.isEmpty()) \
            GTEST_SKIP() << why.toStdString();                                        \
    } while (0)

// A fresh database, removed with the object: a SQLite file in a temporary directory, or on a
// server a database of its own (PostgreSQL: on TESSEL_TEST_PG; SQL Server: on
// TESSEL_TEST_MSSQL, created with a UTF-8 collation so that plain literals keep Chinese
// text). A server TempDb without its server holds nothing, and each of its calls throws;
// the test skips before (TESSEL_SKIP_UNLESS_AVAILABLE).
class TempDb {
public:
    explicit TempDb(Backend backend = Backend::SQLite);
    ~TempDb();
    TempDb(const TempDb &) = delete;
    TempDb &operator=(const TempDb &) = delete;

    Backend backend() const { return m_backend; }
    // The SQLite file (empty on a server).
    QString path() const { return m_path; }
    // The connection string that reaches the database through `backend`, which must be of
    // the same server kind as the database (SQLite or Odbc for a file; Postgres or
    // PostgresOdbc for a PostgreSQL database); without an argument, the one it was made for.
    QString connectionString(Backend backend) const;
    QString connectionString() const { return connectionString(m_backend); }
    // Opens a connection to the database through `backend` (see connectionString).
    db::Connection connect(Backend backend) const;
    db::Connection connect() const { return connect(m_backend); }
    // Runs SQL (several statements allowed, separated by ";") on the database, outside any
    // connection a test opened. Throws std::runtime_error with the database's text. On SQL
    // Server the suite's SQLite/PostgreSQL forms are put in its terms (`text` columns,
    // `with recursive`, `||`).
    void exec(const QString &sql) const;
    // Makes the database refuse a change with `message`: `when` is a trigger's event, as
    // "before insert on tsl_report" or "before update of 列标注 on tsl_report".
    void refuse(const QString &when, const QString &message) const;
    // The tsl_report table in this database's column types.
    QString tslReportDdl() const;

private:
    Backend m_backend;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    QString m_serverDb;    // the server database (PostgreSQL or SQL Server)
    QString m_serverConn;  // the Qt SQL connection exec() uses on it
};

// The tsl_report table as a SQL Server or SQLite host database holds it (the component
// never creates it).
QString tslReportDdl();

}  // namespace tessel::test
