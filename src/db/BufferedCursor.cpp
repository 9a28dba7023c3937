#include <sqlite3.h>

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <map>
#include <vector>

#include "base/Language.h"
#include "db/RecordsetCursor.h"
#include "db/SqlBinding.h"

namespace tessel::db {

namespace {

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
        if (sqlite3 *db = conn.sqliteHandle())
            readSqlite(db, st, text);
        else
            readQtSql(st, text);
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

    void readSqlite(sqlite3 *db, const Statement &st, const QString &text) {
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
    }

    void readQtSql(const Statement &st, const QString &text) {
        QSqlQuery q(conn.database());
        q.setForwardOnly(true);
        runQtSql(q, conn, st, text);
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
                        ? tessel::base::tr("该行在读取后已被修改或删除，未写入任何内容")
                        : tessel::base::tr("该行与另外 %1 行相同，无法区分，未写入任何内容")
                              .arg(matches - 1));
    }
};

}  // namespace

std::unique_ptr<Recordset::Cursor> openBufferedCursor(const Connection &connection,
                                                      const Statement &statement,
                                                      const QString &text, bool writable) {
    return std::make_unique<Buffered>(connection, statement, text, writable);
}

}  // namespace tessel::db
