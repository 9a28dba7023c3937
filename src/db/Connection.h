// A database connection: the one every statement of the component goes through.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>

#include "db/ConnectionString.h"  // the forms open() accepts
#include "db/SqlDialect.h"
#include "db/StatementProgress.h"  // watching a connection's statements

struct sqlite3;
struct pg_conn;

namespace tessel::db {

// A shared handle: copies refer to the same database connection, so the host and the
// component use one connection, never a copy of it.
class Connection {
public:
    // An unset connection: isSet() is false until open() or wrap().
    Connection();

    // Opens a connection from a connection string (the forms parseConnectionString reads),
    // replacing whatever this handle held. On failure throws Error(Connection) with the driver's
    // text; the handle then holds a new, unopened connection. A SQLite file that does not exist is
    // an error: no empty database is created.
    void open(const QString &connectionString);

    // A handle on a host's own QSqlDatabase, shared and not copied; the host keeps it.
    static Connection wrap(const QSqlDatabase &db);

    bool isSet() const;
    bool isOpen() const;
    QSqlDatabase database() const;
    Dialect dialect() const;

    // The SQLite library handle when the connection is Qt's SQLite driver, else nullptr.
    sqlite3 *sqliteHandle() const;

    // The libpq connection when the connection is Qt's PostgreSQL driver and open, else
    // nullptr. Qt keeps it; it changes when the connection is opened again.
    pg_conn *postgresHandle() const;

    // Called before a statement. A PostgreSQL connection whose server end is gone (the
    // backend terminated, the server restarted) is opened again, once for each statement
    // until it succeeds, when this handle opened it and no transaction of its own was open; a
    // host's connection is the host's to open again. Throws Error(Connection) saying the
    // connection was lost, with the reason.
    void ensureLive() const;

    // True when the server end of a PostgreSQL connection is known to be gone.
    bool isLost() const;

    // Runs a statement that returns no rows; returns the number of rows it changed (-1 when
    // the driver cannot tell). Throws Error(Statement) with the database's text.
    int execute(const Statement &statement) const;
    int execute(const QString &sql) const;

    // Transactions on this connection. begin() throws when one cannot be started.
    void beginTransaction() const;
    void commit() const;
    void rollback() const;

    // True while a transaction is open on the connection, whoever opened it (a host may
    // hold one on the connection it handed over).
    bool inTransaction() const;

    // Closes the connection; a connection this handle opened is also removed from Qt SQL
    // once the last copy is gone. A host's wrapped connection is closed too, as asked.
    void close() const;

    // Throws Error(Connection) "no database connection" unless set and open.
    void requireOpen() const;

    // Streaming result sets (through Qt SQL or libpq) register here. Many servers (SQL
    // Server without multiple active result sets, PostgreSQL in single-row mode) run one
    // statement at a time per connection: before another statement, a transaction command
    // or close(), every registered stream reads the rest of its rows into memory and frees
    // the connection.
    void registerStream(const void *key, std::function<void()> drain) const;
    void unregisterStream(const void *key) const;
    void drainStreams() const;

    // Throws for a statement that failed: Error(Connection) when the connection was lost
    // meanwhile, else Error(Statement) naming `sql`, each with the database's text.
    [[noreturn]] void throwFailure(const QString &sql, const QString &databaseText) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

// A scoped transaction: begun on construction when none is open yet, rolled back on
// destruction unless committed. When the host already holds a transaction, the work joins
// it under a savepoint: a failure undoes this work alone, and the host decides the rest.
class Transaction {
public:
    explicit Transaction(const Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    // Commits a transaction this object began; throws Error(Statement) when it fails.
    void commit();

private:
    void savepoint(const char *sqlServer, const char *others) const;

    Connection m_connection;
    bool m_owned = false;   // this object began the transaction
    bool m_joined = false;  // the host's transaction, with this object's savepoint
    bool m_done = false;
};

}  // namespace tessel::db
