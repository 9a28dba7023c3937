// Comparing a cell's text with a rule's value ignoring case, as the conditional formats do:
// the byte-wise ASCII fast path and when it is exact, and a rule's value read once.
#pragma once

#include <QString>
#include <QVariant>
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "grid/ConditionRules.h"

namespace tessel::conditions {

// Whether `text` is ASCII alone.
inline bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// `c` with an ASCII capital letter lowered.
inline char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// `text` with its ASCII capital letters lowered, other bytes as they are.
std::string lowerAscii(std::string_view text);

// Whether `text` holds a character beyond ASCII whose case folds to an ASCII letter: the
// KELVIN SIGN (k) and the LATIN SMALL LETTER LONG S (s).
bool foldsToAscii(std::string_view text);

// Whether some character of `text` has another case: then only a comparison that folds every
// character's case is exact.
bool hasCasedCharacter(const QString &text);

// Blank as the workbook program's blank test (LEN(TRIM(x)) = 0) sees it: empty or spaces.
inline bool isBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// <0, 0 or >0 as `v` is negative, zero or positive.
inline int sign(int v) {
    return (v > 0) - (v < 0);
}

// A value of a rule read once: its number when it reads as one, its text, and how a cell's
// text compares with it, ignoring case. Cells are compared byte by byte with ASCII letters
// lowered where that is exact, otherwise through QString's case-insensitive comparison.
struct PreparedValue {
    std::optional<double> number;
    QString text;
    std::string lowered;  // `text` as UTF-8, ASCII letters lowered
    bool ascii = true;    // `text` is ASCII
    bool cased = false;   // some character of `text` has another case

    // `value` read once: a double as its number, anything else as text, read as a number
    // when grid::cellNumber reads it as one; an invalid value is empty text.
    explicit PreparedValue(const QVariant &value);
    PreparedValue() = default;

    // Whether comparing bytes with ASCII letters lowered is exact for `cell`. It is when this
    // value is ASCII and no character of the cell folds to an ASCII letter (a character beyond
    // ASCII then differs from every character of the value, and sorts after it in both
    // orders); and, for equality and search but not order, when nothing in this value has a
    // case, so a matching character of the cell must be the same character.
    bool bytesExact(std::string_view cell, bool forOrder) const {
        if (ascii)
            return isAscii(cell) || !foldsToAscii(cell);
        return !forOrder && !cased;
    }

    // <0, 0, >0 as the cell's text sorts before, with or after this value, ignoring case.
    int compare(std::string_view cell) const {
        if (bytesExact(cell, true)) {
            const std::size_t n = std::min(cell.size(), lowered.size());
            for (std::size_t i = 0; i < n; ++i) {
                const auto a = static_cast<unsigned char>(lowerAscii(cell[i]));
                const auto b = static_cast<unsigned char>(lowered[i]);
                if (a != b)
                    return a < b ? -1 : 1;
            }
            return sign(int(cell.size() > n) - int(lowered.size() > n));
        }
        return sign(QString::fromUtf8(cell.data(), qsizetype(cell.size()))
                        .compare(text, Qt::CaseInsensitive));
    }

    bool equals(std::string_view cell) const {
        if (bytesExact(cell, false))
            return cell.size() == lowered.size() &&
                   std::equal(cell.begin(), cell.end(), lowered.begin(),
                              [](char a, char b) { return lowerAscii(a) == b; });
        return QString::fromUtf8(cell.data(), qsizetype(cell.size()))
                   .compare(text, Qt::CaseInsensitive) == 0;
    }

    bool found(std::string_view cell, grid::RuleWhen when) const {
        if (!bytesExact(cell, false)) {
            const QString t = QString::fromUtf8(cell.data(), qsizetype(cell.size()));
            switch (when) {
                case grid::RuleWhen::BeginsWith:
                    return t.startsWith(text, Qt::CaseInsensitive);
                case grid::RuleWhen::EndsWith:
                    return t.endsWith(text, Qt::CaseInsensitive);
                default:
                    return t.contains(text, Qt::CaseInsensitive);
            }
        }
        const auto same = [](char a, char b) { return lowerAscii(a) == b; };
        if (lowered.size() > cell.size())
            return false;
        switch (when) {
            case grid::RuleWhen::BeginsWith:
                return std::equal(lowered.begin(), lowered.end(), cell.begin(),
                                  [&](char b, char a) { return same(a, b); });
            case grid::RuleWhen::EndsWith:
                return std::equal(lowered.begin(), lowered.end(),
                                  cell.end() - std::ptrdiff_t(lowered.size()),
                                  [&](char b, char a) { return same(a, b); });
            default:
                return std::search(cell.begin(), cell.end(), lowered.begin(), lowered.end(),
                                   same) != cell.end();
        }
    }
};

}  // namespace tessel::conditions
