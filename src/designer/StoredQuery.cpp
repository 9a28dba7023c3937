#include "designer/StoredQuery.h"

#include <algorithm>

#include "db/SqlClauses.h"
#include "definitions/Definitions.h"

namespace tessel::designer {

namespace {

using definitions::trimBlanks;

const QLatin1String kAs(" as ");

// Characters that continue a name: a keyword touching one of them is part of the name.
bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c.isSurrogate() || c == u'_' || c == u'@' || c == u'#' ||
           c == u'$';
}

// The position (from 0) of the first `keyword` in `text` as a word of the statement, -1 when
// it has none: in any case, not part of a longer name, not inside a string literal or a quoted
// name. A doubled quote inside a literal closes and reopens it, which keeps it inside.
qsizetype findKeyword(const QString &text, QLatin1String keyword) {
    const qsizetype n = text.size();
    const qsizetype k = keyword.size();
    QChar closing;  // the quote that ends the literal or name being read; null outside
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (!closing.isNull()) {
            if (c == closing)
                closing = QChar();
        } else if (c == u'\'' || c == u'"') {
            closing = c;
        } else if (c == u'[') {
            closing = u']';
        } else if ((i == 0 || !isNameChar(text[i - 1])) && i + k <= n &&
                   QStringView(text).mid(i, k).compare(keyword, Qt::CaseInsensitive) == 0 &&
                   (i + k == n || !isNameChar(text[i + k]))) {
            return i;
        }
    }
    return -1;
}

// Lower case one UTF-16 unit at a time, so that positions found in the result are positions
// in the original text.
QString lowerKeepingPositions(const QString &text) {
    QString out = text;
    for (QChar &c : out) {
        const QChar l = c.toLower();
        if (!l.isSurrogate())
            c = l;
    }
    return out;
}

// How many leading words of the first selected item belong to the head of the select
// rather than to the first field: distinct or all, then top N (or top (N)) with an optional
// percent and with ties. Empty words (from double blanks) between them belong to the head.
qsizetype headWords(const QStringList &words) {
    qsizetype i = 0;
    const qsizetype n = words.size();
    auto skipEmpty = [&] {
        while (i < n && words[i].isEmpty())
            ++i;
    };
    auto is = [&](const char *word) {
        return i < n && words[i].compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    };
    qsizetype head = 0;
    skipEmpty();
    if (is("distinct") || is("all")) {
        ++i;
        head = i;
        skipEmpty();
    }
    if (i < n && words[i].startsWith(QLatin1String("top("), Qt::CaseInsensitive)) {
        while (i < n && !words[i].contains(u')'))
            ++i;
        head = ++i;
    } else if (is("top")) {
        ++i;
        skipEmpty();
        if (i < n && words[i].startsWith(u'(')) {
            while (i < n && !words[i].contains(u')'))
                ++i;
        }
        head = ++i;
    } else {
        return head;
    }
    skipEmpty();
    if (is("percent")) {
        head = ++i;
        skipEmpty();
    }
    if (is("with") && i + 1 < n &&
        words[i + 1].compare(QLatin1String("ties"), Qt::CaseInsensitive) == 0) {
        head = i + 2;
    }
    return std::min(head, n);
}

// The head and the fields of a fields text split at ",": what heads the first field goes
// into the head instead of the list.
void splitFields(const QString &fieldsText, StoredQuery::Selection &selection) {
    const QStringList fieldItems = fieldsText.isEmpty() ? QStringList() : fieldsText.split(u',');
    selection.head = QStringLiteral("select");
    if (fieldItems.isEmpty())
        return;
    const QStringList words = fieldItems.first().split(u' ');
    qsizetype head = headWords(words);
    if (head >= words.size())
        head = words.size() - 1;  // nothing but a head: its last word stands as the field
    for (qsizetype i = 0; i < head; ++i)
        selection.head += u' ' + words[i];
    selection.fields.append(words.mid(head).join(u' '));
    selection.fields.append(fieldItems.mid(1));
}

}  // namespace

// Positions below are counted from 1, as the stored queries were first taken apart: 0 means
// not found.
StoredQuery parseStoredQuery(const QString &s) {
    StoredQuery parts;
    const QString lower = lowerKeepingPositions(s);
    const qsizetype len = s.size();
    // The where is the one every run cuts at.
    const qsizetype w = db::findWhere(s) + 1;
    if (w > 0)
        parts.condition = s.right(len - w - 4);  // after "where", with the blank that follows

    const qsizetype f = findKeyword(s, QLatin1String("from")) + 1;
    if (f == 0)
        return parts;  // no "from": nothing to take apart
    const qsizetype fieldsLength = f - 7;
    const qsizetype tablesLength = w > 0 ? w - 6 - f : len - 4 - f;
    if (fieldsLength < 0 || tablesLength < 0)
        return parts;  // "from" before the fields or "where" before "from": no select
    const QString fields = trimBlanks(s.mid(6, fieldsLength));
    QString tables = lower.mid(f + 4, tablesLength);
    // A quoted name ("Dept" on PostgreSQL) names its table only as written: it keeps its case.
    bool quoted = false;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        if (tables[i] == u'"')
            quoted = !quoted;
        else if (quoted)
            tables[i] = s[f + 4 + i];
    }
    tables = trimBlanks(tables);
    StoredQuery::Selection selection;
    splitFields(fields, selection);
    if (!tables.isEmpty())
        selection.tables = tables.split(u',');
    parts.selection = selection;
    return parts;
}

QString entryTable(const QString &entry) {
    const qsizetype dot = entry.indexOf(u'.');
    return trimBlanks(entry.left(dot >= 0 ? dot : std::max<qsizetype>(0, entry.size() - 1)));
}

bool isFieldOf(const QString &entry, const QString &table) {
    const QString trimmed = trimBlanks(entry);
    const qsizetype dot = trimmed.lastIndexOf(u'.');
    return dot >= 0 && trimmed.left(dot) == table;
}

QString withAlias(const QString &entry, const QString &alias) {
    const QString trimmed = trimBlanks(entry);
    const qsizetype as = trimmed.lastIndexOf(kAs, -1, Qt::CaseInsensitive);
    return (as >= 0 ? trimmed.left(as) : trimmed) + kAs + trimBlanks(alias);
}

QString withCondition(const QString &query, const QString &condition) {
    if (trimBlanks(condition).isEmpty())
        return query;
    const QString t = trimBlanks(query);
    const qsizetype p = db::findWhere(t);
    // The blank ahead of "where" goes with it.
    const QString head = p >= 0 ? t.left(std::max<qsizetype>(0, p - 1)) : t;
    return head + QStringLiteral(" where ") + condition;
}

QString composeSelect(const QStringList &fields, const QStringList &tables,
                      const QString &condition, db::Dialect dialect) {
    // The lists show names as the catalogue gives them; the statement writes each as the
    // server needs it (PostgreSQL: "Dept" quoted, or it would read dept).
    auto names = [dialect](const QString &entry) {
        const qsizetype as = entry.lastIndexOf(kAs, -1, Qt::CaseInsensitive);
        QStringList parts = (as >= 0 ? entry.left(as) : entry).split(u'.');
        for (QString &part : parts)
            part = db::identifierFor(part, dialect);
        return parts.join(u'.') + (as >= 0 ? entry.mid(as) : QString());
    };
    QStringList written;
    for (const QString &field : fields)
        written << names(field);
    QString s = QStringLiteral("select  ") + written.join(u',') + QStringLiteral(" from ");
    written.clear();
    for (const QString &table : tables)
        written << names(table);
    s += written.join(u',');
    if (!condition.isEmpty())
        s += QStringLiteral(" where ") + condition;
    return s;
}

}  // namespace tessel::designer
