#include "db/Recordset.h"

#include <sqlite3.h>

#include <tessel/Error.h>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <charconv>
#include <deque>
#include <map>
#include <utility>
#include <vector>

#include "base/ValueText.h"
#include "db/PgStream.h"
#include "db/RecordsetCursor.h"
#include "db/SqlBinding.h"

namespace tessel::db {

namespace {

[[noreturn]] void fail(const QString &message) {
    throw Error(Error::Category::Statement, message);
}

// Qt's ODBC driver returns some names (Chinese ones) with a NUL and stray characters
// after them: the name ends at the first NUL.
QString cleanName(QString name) {
    const qsizetype nul = name.indexOf(QChar(0));
    if (nul >= 0)
        name.truncate(nul);
    return name;
}

}  // namespace

namespace {

// Forward reading straight from SQLite: no per-value conversion until a value is asked.
struct SqliteStream final : Recordset::Cursor {
    sqlite3 *db;
    sqlite3_stmt *stmt;
    QString sql;

    SqliteStream(sqlite3 *d, const Statement &st, const QString &text) : db(d), sql(st.text) {
        stmt = prepareSqlite(db, text, st.params);
        // The columns are read after the first step: a statement prepared on a schema that
        // another connection has changed since is prepared again by that step, and only then
        // names the columns it returns. A first step that fails (an error, an interrupt)
        // leaves no destructor to finalize the statement, and an unfinalized statement keeps
        // its connection from ever closing: finalize it here.
        try {
            step(true);
        } catch (...) {
            sqlite3_finalize(stmt);
            throw;
        }
        const int n = sqlite3_column_count(stmt);
        for (int i = 0; i < n; ++i)
            names << QString::fromUtf8(sqlite3_column_name(stmt, i));
    }
    ~SqliteStream() override { sqlite3_finalize(stmt); }

    void step(bool first) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            bof = false;
            eof = false;
        } else if (rc == SQLITE_DONE) {
            eof = true;
            if (first)
                bof = true;
        } else {
            throwStatementError(sql, QString::fromUtf8(sqlite3_errmsg(db)));
        }
    }
    void first() override {
        if (onFirstRow)
            return;
        sqlite3_reset(stmt);
        step(true);
        onFirstRow = true;
    }
    void next() override {
        if (eof)
            fail(QStringLiteral("Cannot move past the end of the recordset"));
        step(false);
        onFirstRow = false;
    }
    QVariant value(int i) const override {
        requireRow();
        return sqliteValue(stmt, i);
    }
    std::string_view utf8(int i) const override {
        requireRow();
        switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER: {
                char buf[24];
                auto r = std::to_chars(buf, buf + sizeof buf, sqlite3_column_int64(stmt, i));
                scratch.assign(buf, r.ptr);
                return scratch;
            }
            case SQLITE_FLOAT:
                scratch.clear();
                base::appendDouble(scratch, sqlite3_column_double(stmt, i));
                return scratch;
            case SQLITE_NULL:
                return {};
            default: {
                const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
                return {p, size_t(sqlite3_column_bytes(stmt, i))};
            }
        }
    }
};

// Forward reading through Qt SQL (ODBC, PostgreSQL).
struct QtStream final : Recordset::Cursor {
    Connection conn;
    QSqlQuery q;
    QString sql;
    // Once drained, the rows left are held here and the query no longer holds the
    // connection; `current` is then the current row.
    bool drained = false;
    std::deque<QVariantList> rest;
    QString drainError;  // the database's text for the row after `rest`, if it failed
    QVariantList current;

    QtStream(const Connection &c, const Statement &st, const QString &text)
        : conn(c), q(c.database()), sql(st.text) {
        q.setForwardOnly(true);
        if (!q.prepare(text))
            throwStatementError(sql, q.lastError().text());
        for (const QVariant &v : st.params)
            q.addBindValue(v);
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
        if (!q.exec())
            throwStatementError(sql, q.lastError().text());
        fetch(true);
    }
    void fetch(bool first) {
        if (drained) {
            if (rest.empty() && !drainError.isEmpty()) {
                eof = true;
                throwStatementError(sql, std::exchange(drainError, QString()));
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
                throwStatementError(sql, q.lastError().text());
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

// Rows held in memory and written back one at a time.
struct Buffered final : Recordset::Cursor {
    Connection conn;
    QString table;           // the one table written back; empty: not updatable
    QStringList keyColumns;  // primary key, by field name; empty: match every column
    std::vector<QVariantList> rows;
    qsizetype pos = 0;
    std::map<int, QVariant> changes;  // pending field writes of the current row
    bool adding = false;
    QVariantList newRow;

    bool writable = true;  // false: a read-only snapshot

    Buffered(const Connection &c, const Statement &st, const QString &text, bool canWrite)
        : conn(c), writable(canWrite) {
        if (sqlite3 *db = conn.sqliteHandle()) {
            sqlite3_stmt *stmt = prepareSqlite(db, text, st.params);
            // Columns after the first step, as for the forward stream.
            int rc = sqlite3_step(stmt);
            const int n = sqlite3_column_count(stmt);
            for (int i = 0; i < n; ++i)
                names << QString::fromUtf8(sqlite3_column_name(stmt, i));
            for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
                QVariantList row;
                row.reserve(n);
                for (int i = 0; i < n; ++i)
                    row << sqliteValue(stmt, i);
                rows.push_back(std::move(row));
            }
            sqlite3_finalize(stmt);
            if (rc != SQLITE_DONE)
                throwStatementError(st.text, QString::fromUtf8(sqlite3_errmsg(db)));
        } else {
            QSqlQuery q(conn.database());
            q.setForwardOnly(true);
            if (!q.prepare(text))
                throwStatementError(st.text, q.lastError().text());
            for (const QVariant &v : st.params)
                q.addBindValue(v);
            if (!q.exec())
                throwStatementError(st.text, q.lastError().text());
            const QSqlRecord r = q.record();
            for (int i = 0; i < r.count(); ++i)
                names << cleanName(r.fieldName(i));
            while (q.next()) {
                QVariantList row;
                for (int i = 0; i < r.count(); ++i)
                    row << q.value(i);
                rows.push_back(std::move(row));
            }
            if (q.lastError().isValid())
                throwStatementError(st.text, q.lastError().text());
        }
        table = singleTableOf(st.text);
        if (!table.isEmpty()) {
            const QSqlIndex pk = conn.database().primaryIndex(table);
            for (int i = 0; i < pk.count(); ++i) {
                const QString col = cleanName(pk.fieldName(i));
                // Only a key the result carries can name the row.
                if (names.contains(col, Qt::CaseInsensitive)) {
                    keyColumns << col;
                } else {
                    keyColumns.clear();
                    break;
                }
            }
        }
        position(0);
    }

    void position(qsizetype p) {
        pos = p;
        bof = rows.empty() || pos < 0;
        eof = rows.empty() || pos >= qsizetype(rows.size());
    }
    bool editable() const override { return writable; }
    bool pending() const override { return adding || !changes.empty(); }

    void first() override {
        if (pending())
            update();
        position(0);
    }
    void next() override {
        if (pending())
            update();
        if (eof)
            fail(QStringLiteral("Cannot move past the end of the recordset"));
        position(pos + 1);
    }
    QVariant value(int i) const override {
        if (adding)
            return newRow.at(i);
        requireRow();
        auto it = changes.find(i);
        return it != changes.end() ? it->second : rows[size_t(pos)].at(i);
    }
    void setValue(int i, const QVariant &v) override {
        if (!writable)
            fail(QStringLiteral("The recordset is read-only"));
        if (adding) {
            newRow[i] = v;
            changes[i] = v;
            return;
        }
        requireRow();
        changes[i] = v;
    }
    void addNew() override {
        if (!writable)
            fail(QStringLiteral("The recordset is read-only"));
        if (pending())
            update();
        adding = true;
        newRow = QVariantList(names.size());
        changes.clear();
    }
    void cancelUpdate() override {
        adding = false;
        changes.clear();
    }

    QString quoted(const QString &name) const {
        if (QSqlDriver *d = conn.database().driver()) {
            return d->escapeIdentifier(name, QSqlDriver::FieldName);
        }
        return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
    }
    QString quotedTable() const {
        if (QSqlDriver *d = conn.database().driver()) {
            return d->escapeIdentifier(table, QSqlDriver::TableName);
        }
        return quoted(table);
    }

    // Appends "col = ?" (or "col is null") for each of `cols` with the row's original value.
    void matchOriginal(const std::vector<int> &cols, const QVariantList &original, QString &where,
                       QVariantList &params) const {
        for (int c : cols) {
            if (!where.isEmpty())
                where += QStringLiteral(" and ");
            if (original[c].isNull()) {
                where += quoted(names[c]) + QStringLiteral(" is null");
            } else if (original[c].typeId() == QMetaType::QString &&
                       conn.dialect() == Dialect::SqlServer) {
                // SQL Server compares no ntext/text column with "=": compare as nvarchar.
                where += QStringLiteral("cast(%1 as nvarchar(max)) = ?").arg(quoted(names[c]));
                params << original[c];
            } else {
                where += quoted(names[c]) + QStringLiteral(" = ?");
                params << original[c];
            }
        }
    }

    void update() override {
        if (!pending())
            return;
        if (table.isEmpty()) {
            fail(
                QStringLiteral("The recordset cannot be written back: it does not read one table"));
        }
        if (adding) {
            QStringList cols, marks;
            QVariantList params;
            for (const auto &[i, v] : changes) {
                cols << quoted(names[i]);
                marks << QStringLiteral("?");
                params << v;
            }
            QString sql = cols.isEmpty()
                              ? QStringLiteral("insert into %1 default values").arg(quotedTable())
                              : QStringLiteral("insert into %1 (%2) values (%3)")
                                    .arg(quotedTable(), cols.join(u','), marks.join(u','));
            conn.execute(Statement{sql, params});
            rows.push_back(newRow);
            adding = false;
            changes.clear();
            position(qsizetype(rows.size()) - 1);
            return;
        }
        QVariantList &row = rows[size_t(pos)];
        QStringList sets;
        QVariantList params;
        std::vector<int> changed;
        for (const auto &[i, v] : changes) {
            sets << quoted(names[i]) + QStringLiteral(" = ?");
            params << v;
            changed.push_back(i);
        }
        std::vector<int> criteria;
        if (!keyColumns.isEmpty()) {
            for (const QString &k : keyColumns)
                criteria.push_back(int(names.indexOf(k)));
            for (int c : changed) {
                if (std::find(criteria.begin(), criteria.end(), c) == criteria.end()) {
                    criteria.push_back(c);
                }
            }
        } else {
            for (int c = 0; c < names.size(); ++c)
                criteria.push_back(c);
        }
        QString where;
        QVariantList whereParams;
        matchOriginal(criteria, row, where, whereParams);
        if (keyColumns.isEmpty()) {
            // Without a key the criteria may match several equal rows: write only when the
            // row is still there and alone.
            Recordset count;
            count.open(
                Statement{
                    QStringLiteral("select count(*) from %1 where %2").arg(quotedTable(), where),
                    whereParams},
                conn);
            const qlonglong matches = count.value(0).toLongLong();
            if (matches != 1)
                throwConflict(matches);
        }
        const int touched = conn.execute(Statement{
            QStringLiteral("update %1 set %2 where %3").arg(quotedTable(), sets.join(u','), where),
            params + whereParams});
        if (touched != 1 && touched != -1)
            throwConflict(touched);
        for (const auto &[i, v] : changes)
            row[i] = v;
        changes.clear();
    }

    [[noreturn]] void throwConflict(qlonglong matches) const {
        throw Error(Error::Category::Conflict,
                    matches == 0
                        ? QStringLiteral("The row was changed or deleted since it was read; "
                                         "nothing was written")
                        : QStringLiteral("The row cannot be told apart from %1 equal rows; "
                                         "nothing was written")
                              .arg(matches - 1));
    }
};

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
        m_cursor = std::make_unique<Buffered>(connection, statement, text, editable);
    } else if (sqlite3 *db = connection.sqliteHandle()) {
        m_cursor = std::make_unique<SqliteStream>(db, statement, text);
    } else if (auto pg = openPostgresStream(connection, statement, text)) {
        m_cursor = std::move(pg);
    } else {
        m_cursor = std::make_unique<QtStream>(connection, statement, text);
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
