// The SQL dialect translator, the single-table finder and the quoted-placeholder binder.
//
// Input: a statement as UTF-8.
//
// Properties, for SQLite and PostgreSQL:
//  - every string literal and quoted identifier of the statement appears unchanged, and in
//    the same order, among those of the translation; the only ones allowed to go are those
//    the rewrites consume: the arguments of object_id(…) and OBJECTPROPERTY(…) and the
//    catalogue name after "dbo." (sysobjects, syscolumns);
//  - a statement without any SQL Server form (no top, N'…', sysobjects, syscolumns,
//    object_id, OBJECTPROPERTY) comes back unchanged.
// For the binder: each placeholder it binds becomes one "?" with one value.
//
// The literals are found by a scanner written here, independent of the translator's own.
#include <QVariantList>
#include <vector>

#include "FuzzSupport.h"
#include "db/SqlDialect.h"

using tessel::db::bindQuoted;
using tessel::db::Dialect;
using tessel::db::singleTableOf;
using tessel::db::translateSql;

namespace {

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#' || c == u'@' ||
           c.unicode() > 0x7f;
}

// End of a quoted run opened at `start`, where a doubled closing character stands for
// itself; -1 when the run is not closed.
qsizetype closedAt(const QString &s, qsizetype start, QChar close) {
    for (qsizetype j = start + 1; j < s.size(); ++j) {
        if (s[j] != close)
            continue;
        if (j + 1 < s.size() && s[j + 1] == close) {
            ++j;
            continue;
        }
        return j + 1;
    }
    return -1;
}

// The closed string literals and quoted identifiers of `sql`, in order, each with its
// quotes, and whether a rewrite may consume it.
struct Quoted {
    QString text;
    bool consumable = false;
};

std::vector<Quoted> quotedRuns(const QString &sql) {
    std::vector<Quoted> out;
    // For each open parenthesis: whether it is (inside) an object_id / OBJECTPROPERTY call.
    std::vector<bool> parens;
    QString lastWord;       // the last word, while nothing but blanks and comments follow it
    bool afterDbo = false;  // "dbo" "." just seen
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            const qsizetype nl = sql.indexOf(u'\n', i);
            i = nl < 0 ? n : nl;
            continue;
        }
        if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            continue;
        }
        const bool inCall = !parens.empty() && parens.back();
        if (c == u'\'' || c == u'"' || c == u'[' || c == u'`') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            const qsizetype end = closedAt(sql, i, close);
            if (end < 0)
                break;  // an unterminated run swallows the rest
            Quoted q{sql.mid(i, end - i), inCall};
            if (afterDbo && c != u'\'') {
                const QString name = q.text.mid(1, q.text.size() - 2);
                if (name.compare(QLatin1String("sysobjects"), Qt::CaseInsensitive) == 0 ||
                    name.compare(QLatin1String("syscolumns"), Qt::CaseInsensitive) == 0)
                    q.consumable = true;
            }
            out.push_back(q);
            lastWord.clear();
            afterDbo = false;
            i = end;
            continue;
        }
        if (c.isDigit()) {
            // A number: digits and points; a letter after it starts a word of its own.
            while (i < n && (sql[i].isDigit() || sql[i] == u'.'))
                ++i;
            lastWord.clear();
            afterDbo = false;
            continue;
        }
        if (isWordChar(c)) {
            qsizetype j = i;
            while (j < n && isWordChar(sql[j]))
                ++j;
            lastWord = sql.mid(i, j - i);
            afterDbo = false;
            i = j;
            continue;
        }
        if (c == u'(') {
            const bool call =
                lastWord.compare(QLatin1String("object_id"), Qt::CaseInsensitive) == 0 ||
                lastWord.compare(QLatin1String("OBJECTPROPERTY"), Qt::CaseInsensitive) == 0;
            parens.push_back(inCall || call);
        } else if (c == u')' && !parens.empty()) {
            parens.pop_back();
        }
        afterDbo = c == u'.' && lastWord.compare(QLatin1String("dbo"), Qt::CaseInsensitive) == 0;
        lastWord.clear();
        ++i;
    }
    return out;
}

bool hasSqlServerForm(const QString &sql) {
    for (const char *form :
         {"top", "sysobjects", "syscolumns", "object_id", "objectproperty", "n'"}) {
        if (sql.contains(QLatin1String(form), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void checkTranslation(const QString &sql, Dialect dialect) {
    const QString out = translateSql(sql, dialect);
    const QString what = QStringLiteral("input: %1\noutput: %2").arg(sql, out);
    if (!hasSqlServerForm(sql))
        FUZZ_REQUIRE(out == sql, what);

    const std::vector<Quoted> before = quotedRuns(sql);
    const std::vector<Quoted> after = quotedRuns(out);
    // The kept ones must appear in order; extra ones (the catalogue's) may come between.
    size_t k = 0;
    for (const Quoted &q : before) {
        if (q.consumable)
            continue;
        while (k < after.size() && after[k].text != q.text)
            ++k;
        FUZZ_REQUIRE(k < after.size(), QStringLiteral("lost or changed: ") + q.text + u'\n' + what);
        ++k;
    }
}

void checkBinding(const QString &templ) {
    const QVariantList values{QStringLiteral("a'b"), 2, QVariant()};
    const auto st = bindQuoted(templ, values);
    FUZZ_REQUIRE(st.text.count(u'?') == templ.count(u'?') + st.params.size(),
                 QStringLiteral("template: %1\ntext: %2").arg(templ, st.text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString sql = tessel::fuzz::utf8(data, size);
    checkTranslation(sql, Dialect::SQLite);
    checkTranslation(sql, Dialect::PostgreSQL);
    checkBinding(sql);
    // The table a statement reads comes from the statement's own words.
    const QString table = singleTableOf(sql);
    FUZZ_REQUIRE(table.isEmpty() || sql.contains(table), sql + QStringLiteral("\ntable: ") + table);
    return 0;
}
