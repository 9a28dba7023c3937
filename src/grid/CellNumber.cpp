#include "grid/CellNumber.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/ValueText.h"

namespace tessel::grid {

namespace {

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Copies the number in `text` without its thousands separators into `out` (room for
// text.size() characters), as from_chars reads it; returns the length, or -1 when `text`
// is not a number.
long plainNumber(std::string_view text, char *out) {
    long len = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            out[len++] = '-';
        ++i;
    }
    // Whole part; thousands separators only between groups of three digits.
    std::size_t group = 0;
    bool grouped = false;
    std::size_t digits = 0;
    for (; i < n; ++i) {
        if (isDigit(text[i])) {
            out[len++] = text[i];
            ++group;
            ++digits;
        } else if (text[i] == ',') {
            if (group == 0 || (grouped ? group != 3 : group > 3))
                return -1;
            grouped = true;
            group = 0;
        } else {
            break;
        }
    }
    if (grouped && group != 3)
        return -1;
    if (i < n && text[i] == '.') {
        out[len++] = '.';
        ++i;
        for (; i < n && isDigit(text[i]); ++i) {
            out[len++] = text[i];
            ++digits;
        }
    }
    if (digits == 0)
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

std::optional<double> cellNumber(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
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
    const long len = plainNumber(text, plain);
    if (len < 0)
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
