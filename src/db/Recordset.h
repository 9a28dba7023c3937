// A result set opened on a Connection: read forward, or read and edited in place.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "db/Connection.h"

namespace tessel::db {

// Cursor kinds, numbered as hosts and stored code know them.
enum class CursorType : int {
    Unspecified = -1,
    ForwardOnly = 0,
    Keyset = 1,
    Dynamic = 2,
    Static = 3
};
// Lock kinds; anything but ReadOnly (and Unspecified, which reads only) makes an editable set.
enum class LockType : int {
    Unspecified = -1,
    ReadOnly = 1,
    Pessimistic = 2,
    Optimistic = 3,
    BatchOptimistic = 4
};
// Command options: the statement is always text; -1 (default) and 1 (text) are accepted.
constexpr int kCommandText = 1;
constexpr int kCommandDefault = -1;

// One result set. After open() the first row, if any, is current. Forward read-only sets
// stream their rows; static and keyset cursors (read-only) and editable sets hold them. BOF and EOF
// are both true for an empty result. Read-only sets stream rows (the direct SQLite and libpq
// paths keep texts as UTF-8 until asked); a row that cannot be read (the connection lost, the
// statement cancelled) raises an Error from the move that meets it, never EOF; editable sets hold
// their rows and write back one row at a time with optimistic locking: an update names the row by
// its primary key (or, without one, by every original value) together with the original values of
// the columns it changes, and must touch exactly one row, else Error(Conflict) and nothing is
// written. All values written are bound as parameters.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset &&) noexcept;
    Recordset &operator=(Recordset &&) noexcept;

    // Opens `statement` on `connection`; throws Error(Connection) without an open
    // connection and Error(Statement) with the database's text when the query fails.
    void open(const Statement &statement, const Connection &connection,
              CursorType cursor = CursorType::Unspecified, LockType lock = LockType::Unspecified,
              int options = kCommandDefault);
    void open(const QString &sql, const Connection &connection,
              CursorType cursor = CursorType::Unspecified, LockType lock = LockType::Unspecified,
              int options = kCommandDefault);

    bool isOpen() const;
    bool isEditable() const;
    bool bof() const;
    bool eof() const;
    // "No row": the test the component uses before reading any field.
    bool isEmptyOrPast() const { return bof() || eof(); }

    void moveFirst();
    void moveNext();

    int fieldCount() const;
    QString fieldName(int index) const;         // from 0
    int fieldIndex(const QString &name) const;  // case-insensitive; -1 when absent
    QStringList fieldNames() const;

    // Values of the current row; NULL is a null QVariant. Throw Error(Statement) without a
    // current row or for an unknown field.
    QVariant value(int index) const;
    QVariant value(const QString &name) const;
    // The value as text (valueToText): NULL gives the empty text.
    QString text(int index) const;
    QString text(const QString &name) const;
    // The value's text as UTF-8, valid until the next move: the fast path for fills.
    std::string_view utf8(int index) const;
    // Fields 0..out.size() - 1 of the current row as utf8 gives each, all valid together
    // until the next move: a row in one call. Throws like value() (no current row, fewer
    // fields than asked for).
    void rowUtf8(std::span<std::string_view> out) const;

    // Field write on the current row (or on the row being added). Editable sets only.
    void setValue(const QString &name, const QVariant &value);
    // Starts a new row: all fields NULL until written; update() inserts it.
    void addNew();
    // Writes the pending insert or change; nothing to write is no error.
    void update();
    // Drops pending changes (and a row being added).
    void cancelUpdate();

    void close();

    struct Cursor;

private:
    Cursor &cursor() const;
    std::unique_ptr<Cursor> m_cursor;
};

}  // namespace tessel::db
