#include "db/SqlClauses.h"

#include <vector>

#include "db/SqlTokens.h"

namespace tessel::db {

namespace {

// Calls `found(position, tokens, index)` for each significant token of the outermost level at
// or after `from`, until it returns true; gives the position it stopped at, or -1.
template <typename Found>
qsizetype scanOutermost(const QString &sql, qsizetype from, Found found) {
    const std::vector<Token> t = tokenize(sql);
    qsizetype at = 0;
    int depth = 0;
    for (size_t i = 0; i < t.size(); at += t[i].text.size(), ++i) {
        if (isPunct(t[i], u'('))
            ++depth;
        else if (isPunct(t[i], u')'))
            depth = depth > 0 ? depth - 1 : 0;
        else if (depth == 0 && at >= from && found(t, i))
            return at;
    }
    return -1;
}

// Whether the word at `i` is followed, past blanks and comments, by the word `by`.
bool followedByBy(const std::vector<Token> &t, size_t i) {
    const size_t next = nextSig(t, i + 1);
    return next < t.size() && isWord(t[next], QLatin1StringView("by"));
}

}  // namespace

qsizetype findWhere(const QString &sql) {
    return scanOutermost(sql, 0, [](const std::vector<Token> &t, size_t i) {
        return isWord(t[i], QLatin1StringView("where"));
    });
}

qsizetype findTrailingClauses(const QString &sql, qsizetype from) {
    return scanOutermost(sql, from, [](const std::vector<Token> &t, size_t i) {
        if (isWord(t[i], QLatin1StringView("group")) || isWord(t[i], QLatin1StringView("order")))
            return followedByBy(t, i);
        return isWord(t[i], QLatin1StringView("having")) ||
               isWord(t[i], QLatin1StringView("limit"));
    });
}

bool isSelectStatement(const QString &sql) {
    const std::vector<Token> t = tokenize(sql);
    size_t i = nextSig(t, 0);
    while (i < t.size() && isPunct(t[i], u'('))
        i = nextSig(t, i + 1);
    return i < t.size() &&
           (isWord(t[i], QLatin1StringView("select")) || isWord(t[i], QLatin1StringView("with")));
}

}  // namespace tessel::db
