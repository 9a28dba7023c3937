// The cursor behind a Recordset: one way of walking a result. Each kind lives in a file of
// its own (SqliteCursor, QtSqlCursor, BufferedCursor, PgStream); Recordset picks one when it
// opens. Callers use Recordset.
#pragma once

#include <tessel/Error.h>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/ValueText.h"
#include "db/Recordset.h"

struct sqlite3;

namespace tessel::db {

// `row` answers for the current row only.
struct Recordset::Cursor {
    virtual ~Cursor() = default;

    QStringList names;
    bool bof = true;
    bool eof = true;
    // Still on the row the set opened on: moving to the first row then needs no new query.
    bool onFirstRow = true;
    mutable std::string scratch;                  // utf8(i)'s text when it is made
    mutable std::vector<std::string> rowScratch;  // rowUtf8's, one per field

    virtual void first() = 0;
    virtual void next() = 0;
    virtual QVariant value(int i) const = 0;
    // Field i of the current row as UTF-8 (valueToText's text; NULL the empty text). The
    // view points at the cursor's row or, for a text made here, into `buffer`.
    virtual std::string_view utf8(int i, std::string &buffer) const {
        buffer = base::valueToText(value(i)).toStdString();
        return buffer;
    }
    std::string_view utf8(int i) const { return utf8(i, scratch); }
    // The first out.size() fields of the current row as utf8 gives each, all valid together
    // until the next move. Fields 0..out.size() - 1 exist (the caller checked).
    virtual void rowUtf8(std::span<std::string_view> out) const {
        requireRow();
        if (rowScratch.size() < out.size())
            rowScratch.resize(out.size());
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = utf8(int(i), rowScratch[i]);
    }
    virtual bool editable() const { return false; }
    virtual void setValue(int, const QVariant &) {
        fail(QStringLiteral("The recordset is read-only"));
    }
    virtual void addNew() { fail(QStringLiteral("The recordset is read-only")); }
    virtual void update() {}
    virtual void cancelUpdate() {}
    virtual bool pending() const { return false; }

    // The same test for every cursor: a field is read only on a current row.
    void requireRow() const {
        if (bof || eof)
            fail(QStringLiteral("There is no current row (BOF or EOF is true)"));
    }

    [[noreturn]] static void fail(const QString &message) {
        throw Error(Error::Category::Statement, message);
    }
};

// A field name as Qt's ODBC driver gives it, cut at its first NUL: the driver returns some
// names (Chinese ones) with a NUL and stray characters after them.
inline QString cleanName(QString name) {
    const qsizetype nul = name.indexOf(QChar(0));
    if (nul >= 0)
        name.truncate(nul);
    return name;
}

// The cursors. Each opens `statement` whose text, translated for the connection's dialect,
// is `text`, with the first row (if any) current; each throws Error(Statement) with the
// database's text when the statement fails (Error(Connection) when the connection was lost).

// Forward, read-only, straight from SQLite on the connection's own handle `db`: values stay
// as SQLite holds them until asked for.
std::unique_ptr<Recordset::Cursor> openSqliteCursor(sqlite3 *db, const Statement &statement,
                                                    const QString &text);

// Forward, read-only, through Qt SQL (ODBC; PostgreSQL when libpq cannot take the statement).
// Registers with the connection: before another statement runs, the rest of its rows are
// read into memory.
std::unique_ptr<Recordset::Cursor> openQtSqlCursor(const Connection &connection,
                                                   const Statement &statement, const QString &text);

// Every row read into memory at once (SQLite directly, other databases through Qt SQL);
// `writable`: field writes, new rows and write back with optimistic locking to the one table
// the statement reads (see Recordset), else a read-only snapshot.
std::unique_ptr<Recordset::Cursor> openBufferedCursor(const Connection &connection,
                                                      const Statement &statement,
                                                      const QString &text, bool writable);

}  // namespace tessel::db
