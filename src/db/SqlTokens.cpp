#include "db/SqlTokens.h"

namespace tessel::db {

bool isWordChar(QChar c) {
    // Non-ASCII letters (Chinese names) are word characters, like SQL Server treats them.
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#' || c == u'@' ||
           c.unicode() > 0x7f;
}

std::vector<Token> tokenize(const QString &sql) {
    std::vector<Token> out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto take = [&](Tok kind, qsizetype end) {
        out.push_back({kind, sql.mid(i, end - i)});
        i = end;
    };
    // End of a quoted run starting at `start` (the opening quote) closed by `close`, where a
    // doubled closing character stands for itself. An unterminated run goes to the end.
    auto quotedEnd = [&](qsizetype start, QChar close) {
        qsizetype j = start + 1;
        while (j < n) {
            if (sql[j] == close) {
                if (j + 1 < n && sql[j + 1] == close) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return n;
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            qsizetype j = i;
            while (j < n && sql[j].isSpace())
                ++j;
            take(Tok::Space, j);
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            qsizetype j = i;
            while (j < n && sql[j] != u'\n')
                ++j;
            take(Tok::Comment, j);
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            qsizetype j = sql.indexOf(QStringLiteral("*/"), i + 2);
            take(Tok::Comment, j < 0 ? n : j + 2);
        } else if (c == u'\'') {
            take(Tok::String, quotedEnd(i, u'\''));
        } else if ((c == u'N' || c == u'n') && i + 1 < n && sql[i + 1] == u'\'' &&
                   (out.empty() || out.back().kind != Tok::Word)) {
            take(Tok::NString, quotedEnd(i + 1, u'\''));
        } else if (c == u'"') {
            take(Tok::QuotedIdent, quotedEnd(i, u'"'));
        } else if (c == u'[') {
            take(Tok::QuotedIdent, quotedEnd(i, u']'));
        } else if (c == u'`') {
            take(Tok::QuotedIdent, quotedEnd(i, u'`'));
        } else if (c.isDigit()) {
            qsizetype j = i;
            while (j < n && (sql[j].isDigit() || sql[j] == u'.'))
                ++j;
            take(Tok::Number, j);
        } else if (isWordChar(c)) {
            qsizetype j = i;
            while (j < n && isWordChar(sql[j]))
                ++j;
            take(Tok::Word, j);
        } else {
            take(Tok::Punct, i + 1);
        }
    }
    return out;
}

bool isWord(const Token &t, QLatin1StringView w) {
    return t.kind == Tok::Word && t.text.compare(w, Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token &t, char16_t c) {
    return t.kind == Tok::Punct && t.text[0] == c;
}

bool insignificant(const Token &t) {
    return t.kind == Tok::Space || t.kind == Tok::Comment;
}

size_t nextSig(const std::vector<Token> &t, size_t i) {
    while (i < t.size() && insignificant(t[i]))
        ++i;
    return i;
}

QString identName(const Token &t) {
    if (t.kind == Tok::QuotedIdent)
        return t.text.mid(1, t.text.size() - 2);
    return t.text;
}

}  // namespace tessel::db
