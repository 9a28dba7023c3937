#include "db/SqlDialect.h"

#include <optional>
#include <vector>

#include "db/SqlTokens.h"

namespace tessel::db {

namespace {

// Translates one statement; works on tokens so literals and identifiers stay intact.
class Translator {
public:
    Translator(std::vector<Token> tokens, Dialect d) : m_t(std::move(tokens)), m_d(d) {}

    QString run() {
        QString out;
        size_t end = m_t.size();
        translateRange(0, end, out);
        return out;
    }

private:
    std::vector<Token> m_t;
    Dialect m_d;

    // Index just past the parenthesis matching the one at `open`.
    size_t matchParen(size_t open) const {
        int depth = 0;
        for (size_t i = open; i < m_t.size(); ++i) {
            if (isPunct(m_t[i], u'('))
                ++depth;
            if (isPunct(m_t[i], u')') && --depth == 0)
                return i + 1;
        }
        return m_t.size();
    }

    // Where the scope of a select starting at `from` ends: the `)` closing an enclosing
    // parenthesis, a `;`, or the end of the statement.
    size_t scopeEnd(size_t from) const {
        int depth = 0;
        for (size_t i = from; i < m_t.size(); ++i) {
            if (isPunct(m_t[i], u'('))
                ++depth;
            if (isPunct(m_t[i], u')')) {
                if (depth == 0)
                    return i;
                --depth;
            }
            if (depth == 0 && isPunct(m_t[i], u';'))
                return i;
        }
        return m_t.size();
    }

    // Splits the arguments of a call whose `(` is at `open` into ranges [begin, end).
    std::vector<std::pair<size_t, size_t>> callArgs(size_t open, size_t close) const {
        std::vector<std::pair<size_t, size_t>> args;
        int depth = 0;
        size_t start = open + 1;
        for (size_t i = open + 1; i + 1 < close; ++i) {
            if (isPunct(m_t[i], u'('))
                ++depth;
            if (isPunct(m_t[i], u')'))
                --depth;
            if (depth == 0 && isPunct(m_t[i], u',')) {
                args.emplace_back(start, i);
                start = i + 1;
            }
        }
        args.emplace_back(start, close - 1);
        return args;
    }

    // True when the last token of [b, e) other than blanks is a "--" comment, which runs to
    // the end of its line: text put after it must start on a new line.
    bool endsInLineComment(size_t b, size_t e) const {
        while (e > b && m_t[e - 1].kind == Tok::Space)
            --e;
        return e > b && m_t[e - 1].kind == Tok::Comment && m_t[e - 1].text.startsWith(u'-');
    }

    QString translated(size_t b, size_t e) {
        QString s;
        translateRange(b, e, s);
        s = s.trimmed();
        if (endsInLineComment(b, e))
            s += u'\n';
        return s;
    }

    // The text of a string-literal argument, when the argument is exactly one literal.
    std::optional<QString> literalArg(size_t b, size_t e) const {
        size_t i = nextSig(m_t, b);
        if (i >= e || (m_t[i].kind != Tok::String && m_t[i].kind != Tok::NString))
            return {};
        if (nextSig(m_t, i + 1) < e)
            return {};
        QString text = m_t[i].text;
        if (m_t[i].kind == Tok::NString)
            text.remove(0, 1);
        return text.mid(1, text.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    }

    static QString sqlLiteral(const QString &s) {
        return u'\'' + QString(s).replace(u'\'', QStringLiteral("''")) + u'\'';
    }

    // An object name as SQL Server accepts it in object_id: "dbo.[订单]" names 订单.
    static QString plainObjectName(QString name) {
        name = name.trimmed();
        const qsizetype dot = name.lastIndexOf(u'.');
        if (dot >= 0)
            name = name.mid(dot + 1);
        if (name.startsWith(u'[') && name.endsWith(u']'))
            name = name.mid(1, name.size() - 2);
        return name;
    }

    QString objectIdExpr(const QString &nameExpr) const {
        if (m_d == Dialect::PostgreSQL) {
            // The name as written ("Dept" made with quotes), else as PostgreSQL folds an
            // unquoted name (dept): SQL Server finds either way. Quoted, no name is a syntax
            // error, and the lookup follows the search path. The argument is written once:
            // repeating it would double the statement at every nested object_id().
            return QStringLiteral(
                       "(select coalesce(to_regclass(quote_ident(n)), "
                       "to_regclass(quote_ident(lower(n))))::oid::bigint "
                       "from (values (cast(%1 as text))) as object_name(n))")
                .arg(nameExpr);
        }
        return QStringLiteral(
                   "(select rowid from sqlite_master where type in ('table','view') "
                   "and name = %1 collate nocase)")
            .arg(nameExpr);
    }

    QString objectPropertyExpr(const QString &idExpr, const QString &property) const {
        const bool table = property.compare(QLatin1String("IsUserTable"), Qt::CaseInsensitive) == 0;
        const bool view = property.compare(QLatin1String("IsView"), Qt::CaseInsensitive) == 0;
        if (!table && !view)
            return QStringLiteral("null");
        if (m_d == Dialect::PostgreSQL) {
            return QStringLiteral(
                       "(select count(*) from pg_class where oid::bigint = (%1) and relkind = "
                       "'%2')")
                .arg(idExpr, table ? QStringLiteral("r") : QStringLiteral("v"));
        }
        if (table) {
            return QStringLiteral(
                       "(select count(*) from sqlite_master where rowid = (%1) and type = 'table' "
                       "and name not like 'sqlite!_%' escape '!')")
                .arg(idExpr);
        }
        return QStringLiteral(
                   "(select count(*) from sqlite_master where rowid = (%1) and type = 'view')")
            .arg(idExpr);
    }

    QString catalogue(const QString &which) const {
        const bool objects = which.compare(QLatin1String("sysobjects"), Qt::CaseInsensitive) == 0;
        if (m_d == Dialect::PostgreSQL) {
            if (objects) {
                return QStringLiteral(
                    "(select c.relname as name, c.oid::bigint as id, case c.relkind when 'r' "
                    "then 'U' when 'v' then 'V' else c.relkind::text end as xtype from pg_class c "
                    "join pg_namespace ns on ns.oid = c.relnamespace where ns.nspname = "
                    "any (current_schemas(false)) and c.relkind in ('r','v')) as sysobjects");
            }
            return QStringLiteral(
                "(select a.attname as name, a.attrelid::bigint as id, a.attnum as colid "
                "from pg_attribute a where a.attnum > 0 and not a.attisdropped "
                "order by a.attrelid, a.attnum) as syscolumns");
        }
        if (objects) {
            return QStringLiteral(
                "(select name, rowid as id, case type when 'table' then 'U' else 'V' end as xtype "
                "from sqlite_master where type in ('table','view') and name not like 'sqlite!_%' "
                "escape '!') as sysobjects");
        }
        return QStringLiteral(
            "(select p.name as name, m.rowid as id, p.cid + 1 as colid from sqlite_master m "
            "join pragma_table_info(m.name) p where m.type in ('table','view') "
            "order by m.rowid, p.cid) as syscolumns");
    }

    void translateRange(size_t b, size_t e, QString &out) {
        // Pending `limit N` clauses keyed by the token index where they are inserted.
        std::vector<std::pair<size_t, QString>> limits;
        for (size_t i = b; i < e; ++i) {
            for (auto it = limits.begin(); it != limits.end();) {
                if (it->first == i) {
                    out += QStringLiteral(" limit ") + it->second;
                    it = limits.erase(it);
                } else {
                    ++it;
                }
            }
            const Token &t = m_t[i];
            if (t.kind == Tok::NString) {
                // Without its N the literal must not touch a literal just before it:
                // 'a'N'b' (the value 'a' named 'b') would read as the one literal 'a''b'.
                if (out.endsWith(u'\''))
                    out += u' ';
                out += t.text.mid(1);
                continue;
            }
            if (t.kind != Tok::Word) {
                out += t.text;
                continue;
            }
            // dbo.sysobjects / dbo.syscolumns
            if (isWord(t, QLatin1String("dbo"))) {
                size_t dot = nextSig(m_t, i + 1);
                size_t name = dot < e ? nextSig(m_t, dot + 1) : e;
                if (dot < e && isPunct(m_t[dot], u'.') && name < e &&
                    (m_t[name].kind == Tok::Word || m_t[name].kind == Tok::QuotedIdent)) {
                    const QString obj = identName(m_t[name]);
                    if (obj.compare(QLatin1String("sysobjects"), Qt::CaseInsensitive) == 0 ||
                        obj.compare(QLatin1String("syscolumns"), Qt::CaseInsensitive) == 0) {
                        out += catalogue(obj);
                        i = name;
                        continue;
                    }
                }
            }
            // object_id(x) and OBJECTPROPERTY(id, 'prop')
            const bool objectId = isWord(t, QLatin1String("object_id"));
            const bool objectProperty = isWord(t, QLatin1String("OBJECTPROPERTY"));
            if (objectId || objectProperty) {
                size_t open = nextSig(m_t, i + 1);
                if (open < e && isPunct(m_t[open], u'(')) {
                    size_t close = matchParen(open);
                    auto args = callArgs(open, close);
                    if (objectId && args.size() >= 1) {
                        auto lit = literalArg(args[0].first, args[0].second);
                        out += objectIdExpr(lit ? sqlLiteral(plainObjectName(*lit))
                                                : translated(args[0].first, args[0].second));
                        i = close - 1;
                        continue;
                    }
                    if (objectProperty && args.size() == 2) {
                        auto prop = literalArg(args[1].first, args[1].second);
                        out += objectPropertyExpr(translated(args[0].first, args[0].second),
                                                  prop.value_or(QString()));
                        i = close - 1;
                        continue;
                    }
                }
            }
            // select [distinct|all] top N
            if (isWord(t, QLatin1String("select"))) {
                out += t.text;
                size_t j = nextSig(m_t, i + 1);
                size_t afterQualifier = i + 1;
                if (j < e && (isWord(m_t[j], QLatin1String("distinct")) ||
                              isWord(m_t[j], QLatin1String("all")))) {
                    afterQualifier = j + 1;
                    j = nextSig(m_t, j + 1);
                }
                if (j < e && isWord(m_t[j], QLatin1String("top"))) {
                    size_t k = nextSig(m_t, j + 1);
                    QString count;
                    size_t last = k;
                    if (k < e && m_t[k].kind == Tok::Number) {
                        count = m_t[k].text;
                    } else if (k < e && isPunct(m_t[k], u'(')) {
                        size_t num = nextSig(m_t, k + 1);
                        size_t close = num < e ? nextSig(m_t, num + 1) : e;
                        if (num < e && m_t[num].kind == Tok::Number && close < e &&
                            isPunct(m_t[close], u')')) {
                            count = m_t[num].text;
                            last = close;
                        }
                    }
                    if (!count.isEmpty()) {
                        // Keep the qualifier (and what precedes `top`), drop `top N`.
                        for (size_t q = i + 1; q < afterQualifier; ++q)
                            out += m_t[q].text;
                        limits.emplace_back(scopeEnd(last + 1), count);
                        // The blank(s) before `top` go too; those after N remain.
                        i = last;
                        continue;
                    }
                }
                continue;
            }
            out += t.text;
        }
        for (auto &l : limits) {
            if (l.first >= e) {
                // Only a comment that ends the text lacks its line break.
                if (e > b && endsInLineComment(e - 1, e))
                    out += u'\n';
                out += QStringLiteral(" limit ") + l.second;
            }
        }
    }
};

}  // namespace

QString translateSql(const QString &sql, Dialect dialect) {
    if (dialect == Dialect::SqlServer)
        return sql;
    return Translator(tokenize(sql), dialect).run();
}

QString identifierFor(const QString &name, Dialect dialect) {
    if (dialect != Dialect::PostgreSQL || name.startsWith(u'"'))
        return name;
    bool upper = false;
    for (QChar c : name) {
        if (!isWordChar(c) || c == u'#' || c == u'@')
            return name;  // not a plain name: left as the user wrote it
        upper = upper || (c >= u'A' && c <= u'Z');
    }
    return upper ? u'"' + name + u'"' : name;
}

QString singleTableOf(const QString &sql) {
    const std::vector<Token> t = tokenize(sql);
    size_t i = nextSig(t, 0);
    if (i >= t.size() || !isWord(t[i], QLatin1String("select")))
        return {};
    int depth = 0;
    for (; i < t.size(); ++i) {
        if (isPunct(t[i], u'('))
            ++depth;
        if (isPunct(t[i], u')'))
            --depth;
        if (depth == 0 && isWord(t[i], QLatin1String("from")))
            break;
    }
    size_t name = nextSig(t, i + 1);
    if (name >= t.size() || (t[name].kind != Tok::Word && t[name].kind != Tok::QuotedIdent)) {
        return {};
    }
    // dbo.TABLE: the name is the part after the last dot.
    while (true) {
        size_t dot = nextSig(t, name + 1);
        size_t part = dot < t.size() ? nextSig(t, dot + 1) : t.size();
        if (dot < t.size() && isPunct(t[dot], u'.') && part < t.size() &&
            (t[part].kind == Tok::Word || t[part].kind == Tok::QuotedIdent)) {
            name = part;
            continue;
        }
        break;
    }
    const QString table = identName(t[name]);
    // What follows may be an alias, then the end or a clause; a join or a comma is not ours.
    for (size_t k = nextSig(t, name + 1); k < t.size(); k = nextSig(t, k + 1)) {
        if (isPunct(t[k], u',') || isWord(t[k], QLatin1String("join")))
            return {};
        if (isWord(t[k], QLatin1String("where")) || isWord(t[k], QLatin1String("order")) ||
            isWord(t[k], QLatin1String("group")) || isPunct(t[k], u';')) {
            break;
        }
    }
    return table;
}

Statement bindQuoted(const QString &templ, const QVariantList &values) {
    Statement st;
    const qsizetype n = templ.size();
    for (qsizetype i = 0; i < n; ++i) {
        const bool quoted = templ[i] == u'\'' && i + 1 < n && templ[i + 1] == u'%';
        const qsizetype pct = quoted ? i + 1 : i;
        if (templ[pct] == u'%' && pct + 1 < n && templ[pct + 1].isDigit()) {
            qsizetype j = pct + 1;
            // A number past the last value binds nothing: it stops growing there, so a long
            // run of digits cannot overflow into the number of a value.
            qsizetype index = 0;
            for (; j < n && templ[j].isDigit(); ++j) {
                if (index <= values.size())
                    index = index * 10 + templ[j].digitValue();
            }
            if (index >= 1 && index <= values.size() && (!quoted || (j < n && templ[j] == u'\''))) {
                st.text += u'?';
                st.params.push_back(values[index - 1]);
                i = quoted ? j : j - 1;
                continue;
            }
        }
        st.text += templ[i];
    }
    return st;
}

}  // namespace tessel::db
