#include "db/PgStream.h"

#include <libpq-fe.h>

#include <tessel/Error.h>
#include <QDate>
#include <QDateTime>
#include <QSqlDriver>
#include <QTime>
#include <charconv>
#include <deque>
#include <optional>
#include <vector>

#include "base/Language.h"
#include "base/ValueText.h"
#include "db/RecordsetCursor.h"
#include "db/SqlBinding.h"

namespace tessel::db {

namespace {

// Type numbers of the server's built-in types (pg_type.oid), as Qt's driver maps them.
enum : Oid {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kRegproc = 24,
    kOid = 26,
    kXid = 28,
    kCid = 29,
    kFloat4 = 700,
    kFloat8 = 701,
    kAbstime = 702,
    kReltime = 703,
    kDate = 1082,
    kTime = 1083,
    kTimestamp = 1114,
    kTimestampTz = 1184,
    kTimeTz = 1266,
    kNumeric = 1700,
};

QMetaType::Type qtType(Oid oid) {
    switch (oid) {
        case kBool:
            return QMetaType::Bool;
        case kInt8:
            return QMetaType::LongLong;
        case kInt2:
        case kInt4:
        case kOid:
        case kRegproc:
        case kXid:
        case kCid:
            return QMetaType::Int;
        case kNumeric:
        case kFloat4:
        case kFloat8:
            return QMetaType::Double;
        case kAbstime:
        case kReltime:
        case kDate:
            return QMetaType::QDate;
        case kTime:
        case kTimeTz:
            return QMetaType::QTime;
        case kTimestamp:
        case kTimestampTz:
            return QMetaType::QDateTime;
        case kBytea:
            return QMetaType::QByteArray;
        default:
            return QMetaType::QString;
    }
}

// How a field's value becomes its shown UTF-8 text, settled once per statement from the
// field's type so that reading a row asks no type questions.
enum class TextKind : std::uint8_t {
    Server,  // texts and whole numbers: the server's text is the shown one
    Float8,  // a double: the server's text when it is plain and shortest, else re-spelt
    Real,    // other reals (float4, numeric): read as a double and spelt as one
    Other,   // dates, times, truth values, bytes: through the typed value
};

TextKind textKind(Oid oid) {
    switch (qtType(oid)) {
        case QMetaType::QString:
        case QMetaType::Int:
        case QMetaType::LongLong:
            return TextKind::Server;
        case QMetaType::Double:
            return oid == kFloat8 ? TextKind::Float8 : TextKind::Real;
        default:
            return TextKind::Other;
    }
}

// The server's text of a real as a double; nullopt for NaN and infinities spelt the
// server's way, which from_chars does not read.
std::optional<double> parseReal(std::string_view s) {
    double d = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), d);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size())
        return std::nullopt;
    return d;
}

QVariant decode(Oid oid, const char *val, int len) {
    switch (qtType(oid)) {
        case QMetaType::Bool:
            return QVariant(val[0] == 't');
        case QMetaType::LongLong:
            return QVariant(QByteArray::fromRawData(val, len).toLongLong());
        case QMetaType::Int:
            return QVariant(QByteArray::fromRawData(val, len).toInt());
        case QMetaType::Double: {
            if (const auto d = parseReal({val, size_t(len)}))
                return QVariant(*d);
            const QByteArray s = QByteArray::fromRawData(val, len);
            if (s.compare("NaN", Qt::CaseInsensitive) == 0)
                return QVariant(qQNaN());
            if (s.compare("Infinity", Qt::CaseInsensitive) == 0)
                return QVariant(qInf());
            if (s.compare("-Infinity", Qt::CaseInsensitive) == 0)
                return QVariant(-qInf());
            return QVariant();
        }
        case QMetaType::QDate:
            return QVariant(QDate::fromString(QString::fromLatin1(val, len), Qt::ISODate));
        case QMetaType::QTime:
            return QVariant(QTime::fromString(QString::fromLatin1(val, len), Qt::ISODate));
        case QMetaType::QDateTime: {
            // Without a zone the server's time is read as UTC, as Qt's driver reads it.
            const QString s = QString::fromLatin1(val, len);
            const QString time = s.mid(11);
            const bool zoned = time.contains(u'-') || time.contains(u'+') || time.endsWith(u'Z');
            return QVariant(QDateTime::fromString(zoned ? s : s + u'Z', Qt::ISODate));
        }
        case QMetaType::QByteArray: {
            size_t n = 0;
            unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(val), &n);
            QByteArray bytes(reinterpret_cast<const char *>(raw), qsizetype(n));
            PQfreemem(raw);
            return QVariant(bytes);
        }
        default:
            return QVariant(QString::fromUtf8(val, len));
    }
}

QString serverText(const PGresult *r, PGconn *pg) {
    const char *msg = r ? PQresultErrorMessage(r) : "";
    if (!msg || !*msg)
        msg = PQerrorMessage(pg);
    return QString::fromUtf8(msg).trimmed();
}

// A FATAL or PANIC error ends the server's session, whatever libpq has noticed so far.
bool endsSession(const PGresult *r) {
    const char *severity = r ? PQresultErrorField(r, PG_DIAG_SEVERITY_NONLOCALIZED) : nullptr;
    return severity && (qstrcmp(severity, "FATAL") == 0 || qstrcmp(severity, "PANIC") == 0);
}

// Throws for a statement the server failed: a lost connection when the error ended the
// session (or libpq saw it close), else the statement's error; each with the server's text.
[[noreturn]] void raise(const Connection &connection, const QString &sql, const QString &why,
                        bool endedSession) {
    if (endedSession) {
        throw Error(Error::Category::Connection, tessel::base::tr("与数据库的连接已断开"), why);
    }
    connection.throwFailure(sql, why);
}

// Parameter values as the server reads them: each in its type's exact text form
// (parameterText), typed by the server from the column or operator it meets, as a literal
// would be, so a real compared with a float4 column is read at that column's precision;
// NULL stays NULL, bytes go as bytes.
struct Params {
    std::vector<QByteArray> data;
    std::vector<const char *> values;
    std::vector<int> lengths;
    std::vector<int> formats;

    explicit Params(const QVariantList &params) {
        data.reserve(size_t(params.size()));
        for (const QVariant &given : params) {
            const QVariant v = nativeParameter(given);
            const bool null = v.isNull() || !v.isValid();
            data.push_back(null ? QByteArray() : parameterText(v));
            formats.push_back(!null && v.typeId() == QMetaType::QByteArray ? 1 : 0);
            lengths.push_back(int(data.back().size()));
            values.push_back(null ? nullptr : data.back().constData());
        }
    }
};

// One forward pass over a result in single-row mode. While rows are pending the connection
// is busy: the stream is registered with the connection, which has it read the rest into
// memory (the results themselves, still UTF-8) before another statement runs.
struct PgStream final : Recordset::Cursor {
    Connection conn;
    QSqlDriver *driver;  // lives as long as `conn` holds its database
    PGconn *pg;
    Statement statement;
    QByteArray text;
    std::vector<Oid> types;
    std::vector<TextKind> kinds;  // [field]

    PGresult *current = nullptr;  // holds the current row
    int index = 0;                // the current row within `current`
    bool pendingRows = false;     // results of the statement still to be read from libpq
    bool inBlock = false;         // the statement runs inside a transaction block
    std::deque<PGresult *> drainedRows;
    std::optional<Error> failure;  // met while draining: raised when the reader reaches it

    PgStream(const Connection &c, PGconn *p, const Statement &st, const QString &translated)
        : conn(c), driver(c.database().driver()), pg(p), statement(st) {
        text = (st.params.isEmpty() ? translated : numberedPlaceholders(translated)).toUtf8();
        start();
        conn.registerStream(this, [this] { drain(); });
    }
    ~PgStream() override {
        conn.unregisterStream(this);
        abandon();
    }

    void start() {
        const Params params(statement.params);
        const int n = int(params.values.size());
        // Asked before sending: while the statement runs the session shows as busy.
        inBlock = PQtransactionStatus(pg) == PQTRANS_INTRANS;
        if (!PQsendQueryParams(pg, text.constData(), n, nullptr, params.values.data(),
                               params.lengths.data(), params.formats.data(), 0)) {
            conn.throwFailure(statement.text, serverText(nullptr, pg));
        }
        pendingRows = true;
        // Without single-row mode the result comes whole; it is still read correctly.
        PQsetSingleRowMode(pg);
        PGresult *r = PQgetResult(pg);
        if (!r) {
            pendingRows = false;
            conn.throwFailure(statement.text, serverText(nullptr, pg));
        }
        const ExecStatusType status = PQresultStatus(r);
        if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK &&
            status != PGRES_COMMAND_OK) {
            const QString why = serverText(r, pg);
            const bool fatal = endsSession(r);
            PQclear(r);
            finish();
            raise(conn, statement.text, why, fatal);
        }
        const int fields = PQnfields(r);
        for (int i = 0; i < fields; ++i) {
            names << QString::fromUtf8(PQfname(r, i));
            types.push_back(PQftype(r, i));
            kinds.push_back(textKind(types.back()));
        }
        take(r, true);
    }

    // Makes `r` (a result of this statement) current, or ends the pass when it has no rows.
    void take(PGresult *r, bool firstRow) {
        PQclear(current);
        current = nullptr;
        index = 0;
        if (PQntuples(r) > 0) {
            current = r;
            bof = eof = false;
            return;
        }
        PQclear(r);
        finish();
        eof = true;
        if (firstRow)
            bof = true;
    }

    // False once the connection was closed (or opened again) behind the stream's back: its
    // libpq handle is gone. Asked for every row, so the driver is asked directly.
    bool stillOurs() const {
        const QVariant h = driver->handle();
        return h.isValid() && *static_cast<PGconn *const *>(h.constData()) == pg;
    }

    // Reads the results left after the last row, leaving the connection free.
    void finish() {
        while (PGresult *r = PQgetResult(pg))
            PQclear(r);
        pendingRows = false;
    }

    // The next result of this statement from libpq; throws what the server reported.
    PGresult *nextResult() {
        if (!stillOurs()) {
            // Closed (and maybe opened again) behind the stream's back: its libpq handle is
            // gone with the rows it still had to send.
            pendingRows = false;
            throw Error(Error::Category::Connection,
                        tessel::base::tr("读取结果时与数据库的连接被关闭"));
        }
        PGresult *r = PQgetResult(pg);
        if (!r) {
            // A statement someone else ran on the connection read the rest away.
            pendingRows = false;
            throw Error(Error::Category::Statement,
                        tessel::base::tr("结果的其余部分已丢失：读取时连接上执行了另一条语句"));
        }
        const ExecStatusType status = PQresultStatus(r);
        if ((status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK) &&
            PQnfields(r) == names.size()) {
            return r;
        }
        const QString why = serverText(r, pg);
        const bool fatal = endsSession(r);
        PQclear(r);
        finish();
        if (fatal || conn.isLost()) {
            throw Error(Error::Category::Connection,
                        tessel::base::tr("读取结果时与数据库的连接已断开"), why);
        }
        throwStatementError(statement.text, why);
    }

    void drain() {
        if (!pendingRows)
            return;
        try {
            for (;;) {
                PGresult *r = nextResult();
                if (PQntuples(r) == 0) {
                    PQclear(r);
                    finish();
                    break;
                }
                drainedRows.push_back(r);
            }
        } catch (const Error &e) {
            failure = e;
        }
    }

    // Leaves the connection free without reading a large rest: the server is asked to stop
    // sending, and whatever it sent meanwhile is dropped. Inside a transaction block the
    // rest is read instead: a cancelled statement would fail the host's transaction.
    void abandon() {
        PQclear(current);
        current = nullptr;
        for (PGresult *r : drainedRows)
            PQclear(r);
        drainedRows.clear();
        if (!pendingRows)
            return;
        pendingRows = false;
        if (!stillOurs())
            return;  // closed already: nothing to free
        if (PGcancel *cancel = inBlock ? nullptr : PQgetCancel(pg)) {
            char why[256];
            PQcancel(cancel, why, sizeof why);
            PQfreeCancel(cancel);
        }
        finish();
    }

    void advance() {
        if (current && index + 1 < PQntuples(current)) {
            ++index;
            return;
        }
        if (!drainedRows.empty()) {
            PGresult *r = drainedRows.front();
            drainedRows.pop_front();
            take(r, false);
            return;
        }
        PQclear(current);
        current = nullptr;
        if (failure) {
            eof = true;  // no row is current; the error stands for the rest
            const Error e = *failure;
            failure.reset();
            throw e;
        }
        if (!pendingRows) {
            eof = true;
            return;
        }
        take(nextResult(), false);
    }

    void first() override {
        if (onFirstRow)
            return;
        abandon();
        conn.drainStreams();  // running the statement again needs the connection
        failure.reset();
        names.clear();
        types.clear();
        kinds.clear();
        bof = eof = true;  // no row until the statement has run again
        conn.ensureLive();
        pg = conn.postgresHandle();  // opened again meanwhile, maybe
        if (!pg)
            conn.requireOpen();
        start();
        onFirstRow = true;
    }
    void next() override {
        if (eof)
            fail(QStringLiteral("Cannot move past the end of the recordset"));
        onFirstRow = false;
        try {
            advance();
        } catch (...) {
            eof = true;
            throw;
        }
    }
    QVariant value(int i) const override {
        requireRow();
        if (PQgetisnull(current, index, i))
            return QVariant(QMetaType(qtType(types[size_t(i)])), nullptr);
        return decode(types[size_t(i)], PQgetvalue(current, index, i),
                      PQgetlength(current, index, i));
    }
    std::string_view utf8(int i, std::string &buffer) const override {
        requireRow();
        return shown(i, buffer);
    }
    // The server's texts of the whole row first, then the few fields whose shown text
    // differs: the loop over the row stays a loop of libpq calls.
    void rowUtf8(std::span<std::string_view> out) const override {
        requireRow();
        if (rowScratch.size() < out.size())
            rowScratch.resize(out.size());
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = raw(int(i));
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (!isShown(kinds[i], out[i]))
                out[i] = respelt(int(i), out[i], rowScratch[i]);
        }
    }

    // Field i of the current row as its shown text: texts, whole numbers and most doubles
    // are the server's own bytes.
    std::string_view shown(int i, std::string &buffer) const {
        const std::string_view text = raw(i);
        return isShown(kinds[size_t(i)], text) ? text : respelt(i, text, buffer);
    }
    // A NULL is the empty text, as libpq gives it: no separate test is needed.
    std::string_view raw(int i) const {
        return {PQgetvalue(current, index, i), size_t(PQgetlength(current, index, i))};
    }
    static bool isShown(TextKind kind, std::string_view raw) {
        return kind == TextKind::Server || (kind == TextKind::Float8 && plainShortest(raw));
    }
    // The shown text of a value whose server text is not it, made in `buffer`.
    std::string_view respelt(int i, std::string_view raw, std::string &buffer) const {
        if (kinds[size_t(i)] != TextKind::Other) {
            if (const auto d = parseReal(raw)) {
                buffer.clear();
                base::appendDouble(buffer, *d);
                return buffer;
            }
        }
        return PQgetisnull(current, index, i) ? std::string_view() : Cursor::utf8(i, buffer);
    }

    // The server writes a double in plain notation only between 1e-4 and 1e15, in the
    // fewest digits that read back as the same double (or in fewer than 17 digits when the
    // session lowered extra_float_digits; a value read back from them shows them alike):
    // that is the shown text, but for "-0", which shows as 0.
    static bool plainShortest(std::string_view raw) {
        if (raw.empty() || raw == "-0")
            return false;
        for (const char c : raw) {
            if (!((c >= '0' && c <= '9') || c == '.' || c == '-'))
                return false;
        }
        return true;
    }
};

}  // namespace

QString numberedPlaceholders(const QString &sql) {
    QString out;
    out.reserve(sql.size() + 8);
    int number = 0;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql[i];
        const auto copyUntil = [&](QStringView close) {
            const qsizetype end = sql.indexOf(close, i + 1);
            const qsizetype stop = end < 0 ? n : end + close.size();
            out += QStringView(sql).mid(i, stop - i);
            i = stop - 1;
        };
        if (c == u'\'') {
            copyUntil(u"'");  // a doubled quote closes and reopens: the same text
        } else if (c == u'"') {
            copyUntil(u"\"");
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            copyUntil(u"\n");
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            copyUntil(u"*/");
        } else if (c == u'?') {
            out += u'$' + QString::number(++number);
        } else {
            out += c;
        }
    }
    return out;
}

int executePostgres(const Connection &connection, const Statement &statement, const QString &text) {
    PGconn *pg = connection.postgresHandle();
    const QByteArray sql =
        (statement.params.isEmpty() ? text : numberedPlaceholders(text)).toUtf8();
    const Params params(statement.params);
    PGresult *r =
        PQexecParams(pg, sql.constData(), int(params.values.size()), nullptr, params.values.data(),
                     params.lengths.data(), params.formats.data(), 0);
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const QString why = serverText(r, pg);
        const bool fatal = endsSession(r);
        PQclear(r);
        raise(connection, statement.text, why, fatal);
    }
    const char *changed = PQcmdTuples(r);
    const int count = changed && *changed ? atoi(changed) : -1;
    PQclear(r);
    return count;
}

std::unique_ptr<Recordset::Cursor> openPostgresStream(const Connection &connection,
                                                      const Statement &statement,
                                                      const QString &text) {
    PGconn *pg = connection.postgresHandle();
    // A statement of the host's still running through Qt is Qt's to finish.
    if (!pg || PQstatus(pg) != CONNECTION_OK || PQtransactionStatus(pg) == PQTRANS_ACTIVE)
        return nullptr;
    return std::make_unique<PgStream>(connection, pg, statement, text);
}

}  // namespace tessel::db
