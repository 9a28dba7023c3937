#include "db/Recordset.h"

#include <tessel/Error.h>

#include "base/ValueText.h"
#include "db/PgStream.h"
#include "db/RecordsetCursor.h"

namespace tessel::db {

namespace {

[[noreturn]] void fail(const QString &message) {
    Recordset::Cursor::fail(message);
}

}  // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset &&) noexcept = default;
Recordset &Recordset::operator=(Recordset &&) noexcept = default;

void Recordset::open(const QString &sql, const Connection &connection, CursorType cursor,
                     LockType lock, int options) {
    open(Statement{sql, {}}, connection, cursor, lock, options);
}

void Recordset::open(const Statement &statement, const Connection &connection, CursorType cursor,
                     LockType lock, int options) {
    m_cursor.reset();
    if (options != kCommandDefault && options != kCommandText) {
        throw Error(Error::Category::Argument,
                    QStringLiteral("Only text commands are supported (options %1)").arg(options));
    }
    connection.requireOpen();
    const QString text = translateSql(statement.text, connection.dialect());
    const bool editable = lock != LockType::Unspecified && lock != LockType::ReadOnly;
    // Editable sets and static/keyset cursors hold their rows, so the connection is free for
    // the next statement while they stay open (a server without multiple active result sets
    // refuses a second statement while one streams). Forward read-only sets stream.
    const bool snapshot = cursor == CursorType::Static || cursor == CursorType::Keyset;
    if (!connection.sqliteHandle()) {
        connection.drainStreams();
        connection.ensureLive();
    }
    if (editable || snapshot) {
        m_cursor = openBufferedCursor(connection, statement, text, editable);
    } else if (sqlite3 *db = connection.sqliteHandle()) {
        m_cursor = openSqliteCursor(db, statement, text);
    } else if (auto pg = openPostgresStream(connection, statement, text)) {
        m_cursor = std::move(pg);
    } else {
        m_cursor = openQtSqlCursor(connection, statement, text);
    }
}

Recordset::Cursor &Recordset::cursor() const {
    if (!m_cursor)
        fail(QStringLiteral("The recordset is not open"));
    return *m_cursor;
}

bool Recordset::isOpen() const {
    return bool(m_cursor);
}
bool Recordset::isEditable() const {
    return m_cursor && m_cursor->editable();
}
bool Recordset::bof() const {
    return cursor().bof;
}
bool Recordset::eof() const {
    return cursor().eof;
}
void Recordset::moveFirst() {
    cursor().first();
}
void Recordset::moveNext() {
    cursor().next();
}
int Recordset::fieldCount() const {
    return int(cursor().names.size());
}
QStringList Recordset::fieldNames() const {
    return cursor().names;
}

QString Recordset::fieldName(int index) const {
    const Cursor &c = cursor();
    if (index < 0 || index >= c.names.size()) {
        fail(QStringLiteral("There is no field number %1").arg(index));
    }
    return c.names[index];
}

int Recordset::fieldIndex(const QString &name) const {
    const QStringList &names = cursor().names;
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

namespace {
int requireField(const Recordset &rs, const QString &name) {
    const int i = rs.fieldIndex(name);
    if (i < 0)
        fail(QStringLiteral("There is no field named %1").arg(name));
    return i;
}
}  // namespace

QVariant Recordset::value(int index) const {
    fieldName(index);
    return cursor().value(index);
}
QVariant Recordset::value(const QString &name) const {
    return cursor().value(requireField(*this, name));
}
QString Recordset::text(int index) const {
    return base::valueToText(value(index));
}
QString Recordset::text(const QString &name) const {
    return base::valueToText(value(name));
}
std::string_view Recordset::utf8(int index) const {
    return cursor().utf8(index);
}
void Recordset::rowUtf8(std::span<std::string_view> out) const {
    const Cursor &c = cursor();
    if (qsizetype(out.size()) > c.names.size())
        fail(QStringLiteral("There is no field number %1").arg(c.names.size()));
    c.rowUtf8(out);
}

void Recordset::setValue(const QString &name, const QVariant &value) {
    cursor().setValue(requireField(*this, name), value);
}
void Recordset::addNew() {
    cursor().addNew();
}
void Recordset::update() {
    cursor().update();
}
void Recordset::cancelUpdate() {
    cursor().cancelUpdate();
}
void Recordset::close() {
    m_cursor.reset();
}

}  // namespace tessel::db
