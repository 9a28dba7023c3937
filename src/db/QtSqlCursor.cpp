#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <deque>
#include <utility>

#include "db/RecordsetCursor.h"
#include "db/SqlBinding.h"

namespace tessel::db {

namespace {

// Forward reading through Qt SQL (ODBC, PostgreSQL).
struct QtStream final : Recordset::Cursor {
    Connection conn;
    QSqlQuery q;
    Statement statement;
    QString text;  // statement.text as the connection's dialect reads it
    // Once drained, the rows left are held here and the query no longer holds the
    // connection; `current` is then the current row.
    bool drained = false;
    std::deque<QVariantList> rest;
    QString drainError;  // the database's text for the row after `rest`, if it failed
    QVariantList current;

    QtStream(const Connection &c, const Statement &st, const QString &translated)
        : conn(c), q(c.database()), statement(st), text(translated) {
        q.setForwardOnly(true);
        exec();
        const QSqlRecord r = q.record();
        for (int i = 0; i < r.count(); ++i)
            names << cleanName(r.fieldName(i));
        conn.registerStream(this, [this] { drain(); });
    }
    ~QtStream() override { conn.unregisterStream(this); }

    QVariantList rowOfQuery() const {
        QVariantList row;
        const int n = q.record().count();
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row << q.value(i);
        return row;
    }
    void drain() {
        if (drained)
            return;
        if (!eof)
            current = rowOfQuery();
        while (!eof && q.next())
            rest.push_back(rowOfQuery());
        // A row that could not be read is raised when the reader reaches it, not taken for
        // the end of the rows.
        if (!eof && q.lastError().isValid())
            drainError = q.lastError().text();
        q.finish();
        drained = true;
    }
    void exec() {
        drained = false;
        rest.clear();
        drainError.clear();
        runQtSql(q, conn, statement, text);
        fetch(true);
    }
    void fetch(bool first) {
        if (drained) {
            if (rest.empty() && !drainError.isEmpty()) {
                eof = true;
                throwStatementError(statement.text, std::exchange(drainError, QString()));
            }
            if (rest.empty()) {
                eof = true;
                bof = bof || first;
                return;
            }
            current = std::move(rest.front());
            rest.pop_front();
            return;
        }
        if (q.next()) {
            bof = eof = false;
        } else {
            if (q.lastError().isValid())
                throwStatementError(statement.text, q.lastError().text());
            eof = true;
            if (first)
                bof = true;
        }
    }
    void first() override {
        if (onFirstRow)
            return;
        conn.drainStreams();  // running the query again needs the connection
        exec();
        onFirstRow = true;
    }
    void next() override {
        if (eof)
            fail(QStringLiteral("Cannot move past the end of the recordset"));
        fetch(false);
        onFirstRow = false;
    }
    QVariant value(int i) const override {
        requireRow();
        return drained ? current.at(i) : q.value(i);
    }
};

}  // namespace

std::unique_ptr<Recordset::Cursor> openQtSqlCursor(const Connection &connection,
                                                   const Statement &statement,
                                                   const QString &text) {
    return std::make_unique<QtStream>(connection, statement, text);
}

}  // namespace tessel::db
