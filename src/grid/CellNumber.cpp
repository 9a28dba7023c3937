#include "grid/CellNumber.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/ValueText.h"
#include "grid/ColumnFormat.h"

namespace tessel::grid {

namespace {

// Significant digits a double keeps one for one, whatever the decimal (DBL_DIG).
constexpr int kExactDigits = 15;

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// A separator's UTF-8 bytes (up to three for a character of the basic plane), kept on the
// stack: totals read every cell of a column.
struct GroupBytes {
    char bytes[4] = {};
    std::size_t size = 0;
    std::string_view view() const { return {bytes, size}; }
};

GroupBytes groupBytes(QChar group) {
    GroupBytes g;
    const char16_t u = group.unicode();
    if (u == 0 || u == u'.' || group.isSurrogate())
        return g;
    if (u < 0x80) {
        g.bytes[g.size++] = char(u);
    } else if (u < 0x800) {
        g.bytes[g.size++] = char(0xC0 | (u >> 6));
        g.bytes[g.size++] = char(0x80 | (u & 0x3F));
    } else {
        g.bytes[g.size++] = char(0xE0 | (u >> 12));
        g.bytes[g.size++] = char(0x80 | ((u >> 6) & 0x3F));
        g.bytes[g.size++] = char(0x80 | (u & 0x3F));
    }
    return g;
}

// Copies the number in `text` without its thousands separators (`group`, none when empty)
// into `out` (room for text.size() characters), as from_chars reads it; returns the length,
// or -1 when `text` is not a number. `significant` receives the count of digits from the
// first non-zero one to the last.
long plainNumber(std::string_view text, std::string_view group, char *out, int &significant) {
    long len = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            out[len++] = '-';
        ++i;
    }
    int first = -1, last = -1, position = 0;
    const auto digit = [&](char ch) {
        out[len++] = ch;
        if (ch != '0') {
            if (first < 0)
                first = position;
            last = position;
        }
        ++position;
    };
    // Whole part; thousands separators only between groups of three digits.
    std::size_t groupDigits = 0;
    bool grouped = false;
    while (i < n) {
        if (isDigit(text[i])) {
            digit(text[i]);
            ++groupDigits;
            ++i;
        } else if (!group.empty() && text.substr(i, group.size()) == group) {
            if (groupDigits == 0 || (grouped ? groupDigits != 3 : groupDigits > 3))
                return -1;
            grouped = true;
            groupDigits = 0;
            i += group.size();
        } else {
            break;
        }
    }
    if (grouped && groupDigits != 3)
        return -1;
    if (i < n && text[i] == '.') {
        out[len++] = '.';
        ++i;
        for (; i < n && isDigit(text[i]); ++i)
            digit(text[i]);
    }
    if (position == 0)
        return -1;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        out[len++] = 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            out[len++] = text[i++];
        std::size_t expDigits = 0;
        for (; i < n && isDigit(text[i]); ++i) {
            out[len++] = text[i];
            ++expDigits;
        }
        if (expDigits == 0)
            return -1;
    }
    significant = first < 0 ? 0 : last - first + 1;
    return i == n ? len : -1;
}

// The usual cell, a plain decimal ("-12.50") of at most 15 digits, read without a copy:
// its digits form an exact integer and ten to the power of its decimals is exact, so the one
// rounding of the division gives the nearest double, as from_chars does. nullopt for any
// other text, which takes the general way.
std::optional<double> shortDecimal(std::string_view text) {
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    const bool negative = text[0] == '-';
    if (negative || text[0] == '+')
        ++i;
    std::uint64_t digits = 0;
    int count = 0;
    int decimals = -1;  // digits after the point; -1 before it
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (isDigit(ch)) {
            if (++count > 15)
                return std::nullopt;
            digits = digits * 10 + std::uint64_t(ch - '0');
            if (decimals >= 0)
                ++decimals;
        } else if (ch == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0)
        return std::nullopt;
    const double value = double(digits) / kPowersOfTen[decimals < 0 ? 0 : decimals];
    return negative ? -value : value;
}

}  // namespace

NumberReading numberReadingInForce() {
    return NumberReading{numberSeparators().group, false};
}

std::optional<double> cellNumber(std::string_view text) {
    return cellNumber(text, numberReadingInForce());
}

std::optional<double> cellNumber(std::string_view text, const NumberReading &reading) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    // At most 15 digits: exact whichever way it is asked.
    if (const std::optional<double> quick = shortDecimal(text))
        return quick;

    // Totals read every cell of a column: the usual short number is copied on the stack,
    // only a long text takes an allocation.
    char small[64];
    std::string large;
    char *plain = small;
    if (text.size() > sizeof small) {
        large.resize(text.size());
        plain = large.data();
    }
    const GroupBytes group = groupBytes(reading.group);
    int significant = 0;
    const long len = plainNumber(text, group.view(), plain, significant);
    if (len < 0 || (reading.exactDigits && significant > kExactDigits))
        return std::nullopt;
    // Almost every cell holds such a number: it takes a fraction of from_chars' time.
    if (const std::optional<double> quick = shortDecimal(std::string_view(plain, std::size_t(len))))
        return quick;
    double value = 0;
    const auto res = std::from_chars(plain, plain + len, value);
    if (res.ec != std::errc() || res.ptr != plain + len || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool readsAsNumber(QStringView text) {
    // What a number can hold is ASCII but for the separator: any other character refuses the
    // text before it is converted, which is most texts of a page that are no numbers.
    const QChar group = numberSeparators().group;
    char small[64];
    std::string large;
    char *utf8 = small;
    std::size_t len = 0;
    bool ascii = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            if (c != group)
                return false;
            ascii = false;
        }
    }
    if (ascii && std::size_t(text.size()) <= sizeof small) {
        for (const QChar c : text)
            small[len++] = char(c.unicode());
    } else {
        large = text.toUtf8().toStdString();
        utf8 = large.data();
        len = large.size();
    }
    return cellNumber(std::string_view(utf8, len), NumberReading{group, false}).has_value();
}

void appendTotal(std::string &out, double total) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", total);
    double shown = total;
    std::from_chars(buf, buf + std::strlen(buf), shown);
    base::appendDouble(out, shown);
}

QString totalText(double total) {
    std::string s;
    appendTotal(s, total);
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

QString sumText(double sum) {
    return sum != 0.0 ? totalText(sum) : QString();
}

}  // namespace tessel::grid
