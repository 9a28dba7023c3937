#include "grid/CellNumber.h"

#include <charconv>
#include <cmath>
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

// The value of a plain number (as plainNumber writes it) of at most 15 digits and no exponent,
// computed directly: the digits as a whole number, divided once by a power of ten. Both are
// exact in a double, so the one rounding is the correct one, as from_chars rounds. nullopt
// for any other number.
std::optional<double> shortDecimal(const char *plain, long len) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = len > 0 && plain[0] == '-';
    unsigned long long whole = 0;
    int digits = 0;
    int decimals = -1;  // digits after the point; -1 before a point
    for (long i = negative ? 1 : 0; i < len; ++i) {
        const char c = plain[i];
        if (c == '.') {
            decimals = 0;
            continue;
        }
        if (!isDigit(c) || ++digits > 15)
            return std::nullopt;
        whole = whole * 10 + static_cast<unsigned long long>(c - '0');
        if (decimals >= 0)
            ++decimals;
    }
    const double value = double(whole) / kPowers[decimals > 0 ? decimals : 0];
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
    if (const std::optional<double> quick = shortDecimal(plain, len))
        return quick;
    double value = 0;
    const auto res = std::from_chars(plain, plain + len, value);
    if (res.ec != std::errc() || res.ptr != plain + len || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Rounding to 15 digits first: adding 0.1 and 0.2 shows 0.3, not the binary rounding error
// 0.30000000000000004.
QString sumText(double sum) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", sum);
    double shown = sum;
    std::from_chars(buf, buf + std::strlen(buf), shown);
    return shown != 0.0 ? base::doubleToText(shown) : QString();
}

}  // namespace tessel::grid
