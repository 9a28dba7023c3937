// The dialect's own splitter: a statement cut into tokens (blanks, comments, string literals,
// quoted names, words, numbers, single punctuation characters), so that keywords and
// placeholders are found outside literals, quoted names and comments. The translation of the
// component's SQL Server forms and the search for a statement's clauses both read it.
#pragma once

#include <QString>
#include <vector>

namespace tessel::db {

enum class Tok { Space, Comment, String, NString, QuotedIdent, Word, Number, Punct };

struct Token {
    Tok kind;
    QString text;
};

// Splits `sql` into tokens whose texts, joined, give `sql` back exactly. A literal, quoted
// name or block comment left open runs to the end; a doubled closing quote stands for itself.
// Letters of any script, digits, `_`, `$`, `#` and `@` make words.
std::vector<Token> tokenize(const QString &sql);

// Whether `c` continues a word: a letter of any script, a digit, `_`, `$`, `#` or `@`.
bool isWordChar(QChar c);
// Whether `t` is the word `w` in any case.
bool isWord(const Token &t, QLatin1StringView w);
// Whether `t` is the punctuation character `c`.
bool isPunct(const Token &t, char16_t c);
// Whether `t` is a blank or a comment.
bool insignificant(const Token &t);
// Index of the next token at or after `i` that is neither blank nor comment; size() when none.
size_t nextSig(const std::vector<Token> &t, size_t i);
// The identifier a token names, without its quotes or brackets.
QString identName(const Token &t);

}  // namespace tessel::db
