#include <sqlite3.h>

#include <charconv>

#include "base/ValueText.h"
#include "db/RecordsetCursor.h"
#include "db/SqlBinding.h"

namespace tessel::db {

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
    ~SqliteStream() override {
        sqlite3_finalize(stmt);
        // A forward read passes each page once: a scan of a large table leaves the
        // connection's page cache full (about 2 MB) of pages no later statement is more likely
        // to read than any other. They are given back; the file stays in the system's cache.
        sqlite3_db_release_memory(db);
    }

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
    std::string_view utf8(int i, std::string &buffer) const override {
        requireRow();
        switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER: {
                char buf[24];
                auto r = std::to_chars(buf, buf + sizeof buf, sqlite3_column_int64(stmt, i));
                buffer.assign(buf, r.ptr);
                return buffer;
            }
            case SQLITE_FLOAT:
                buffer.clear();
                base::appendDouble(buffer, sqlite3_column_double(stmt, i));
                return buffer;
            case SQLITE_NULL:
                return {};
            default: {
                const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
                return {p, size_t(sqlite3_column_bytes(stmt, i))};
            }
        }
    }
};

}  // namespace

std::unique_ptr<Recordset::Cursor> openSqliteCursor(sqlite3 *db, const Statement &statement,
                                                    const QString &text) {
    return std::make_unique<SqliteStream>(db, statement, text);
}

}  // namespace tessel::db
