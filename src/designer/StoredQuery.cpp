#include "designer/StoredQuery.h"

#include <algorithm>

#include "definitions/Definitions.h"

namespace tessel::designer {

namespace {

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
    const qsizetype w = lower.indexOf(QLatin1String("where")) + 1;
    if (w > 0)
        parts.condition = s.right(len - w - 4);  // after "where", with the blank that follows

    const qsizetype f = lower.indexOf(QLatin1String("from")) + 1;
    if (f == 0)
        return parts;  // no "from": nothing to take apart
    const qsizetype fieldsLength = f - 7;
    const qsizetype tablesLength = w > 0 ? w - 6 - f : len - 4 - f;
    if (fieldsLength < 0 || tablesLength < 0)
        return parts;  // "from" before the fields or "where" before "from": no select
    const QString fields = definitions::trimBlanks(s.mid(6, fieldsLength));
    QString tables = lower.mid(f + 4, tablesLength);
    // A quoted name ("Dept" on PostgreSQL) names its table only as written: it keeps its case.
    bool quoted = false;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        if (tables[i] == u'"')
            quoted = !quoted;
        else if (quoted)
            tables[i] = s[f + 4 + i];
    }
    tables = definitions::trimBlanks(tables);
    StoredQuery::Selection selection;
    splitFields(fields, selection);
    if (!tables.isEmpty())
        selection.tables = tables.split(u',');
    parts.selection = selection;
    return parts;
}

}  // namespace tessel::designer
