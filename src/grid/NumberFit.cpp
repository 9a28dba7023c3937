#include "grid/NumberFit.h"

#include <algorithm>
#include <cmath>

namespace tessel::grid {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The parts of a number written in decimal form: sign, integer digits, fraction digits and
// the exponent with its letter ("e+20"), each as it stands in the text.
struct NumberParts {
    QStringView sign;
    QStringView whole;
    QStringView fraction;
    QStringView exponent;
};

bool splitNumber(QStringView s, NumberParts &out) {
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        ++i;
    out.sign = s.first(i);
    const qsizetype wholeStart = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    out.whole = s.sliced(wholeStart, i - wholeStart);
    if (i < s.size() && s[i] == u'.') {
        const qsizetype fractionStart = ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        out.fraction = s.sliced(fractionStart, i - fractionStart);
    }
    if (out.whole.isEmpty() && out.fraction.isEmpty())
        return false;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        const qsizetype expStart = i++;
        if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
            ++i;
        const qsizetype digitsStart = i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        if (i == digitsStart)
            return false;
        out.exponent = s.sliced(expStart);
    }
    return i == s.size();
}

// An exponent ("e+20", "E-07") one power higher, written with the same letter and at least
// as many digits.
QString shiftedExponent(QStringView exponent) {
    const int value = exponent.sliced(1).toInt() + 1;
    const qsizetype digits = exponent.size() - 1 - (exponent[1] == u'-' || exponent[1] == u'+');
    QString out = exponent.first(1).toString();
    out += value < 0 ? u'-' : u'+';
    out += QString::number(std::abs(value)).rightJustified(digits, u'0');
    return out;
}

// The number rounded half up to `decimals` fraction digits, written back in the same form.
// Rounding works on the digits as written, so 2.675 rounds to 2.68 as it reads.
QString roundNumber(const NumberParts &n, qsizetype decimals) {
    QString digits = n.whole.isEmpty() ? QStringLiteral("0") : n.whole.toString();
    digits += n.fraction.first(decimals);
    if (decimals < n.fraction.size() && n.fraction[decimals] >= u'5') {
        qsizetype i = digits.size() - 1;
        while (i >= 0 && digits[i] == u'9')
            digits[i--] = u'0';
        if (i >= 0)
            digits[i] = QChar(digits[i].unicode() + 1);
        else
            digits.prepend(u'1');
    }
    // A carry into a new leading digit lengthens the whole part.
    qsizetype whole = digits.size() - decimals;
    QString exponent = n.exponent.toString();
    if (!exponent.isEmpty() && whole > std::max<qsizetype>(1, n.whole.size())) {
        // A mantissa that rounded up to 10 (9.99e+20 to two places) is 1 with the next
        // power: the carry left only zeros behind the leading 1.
        digits.chop(1);
        --whole;
        exponent = shiftedExponent(n.exponent);
    }
    QString fraction = digits.sliced(whole);
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    QString out;
    const bool zero = digits.count(u'0') == digits.size();
    if (!zero)
        out += n.sign;
    out += QStringView(digits).first(whole);
    if (!fraction.isEmpty())
        out += u'.' + fraction;
    out += exponent;
    return out;
}

QString hashes(double available, const TextWidth &width) {
    const double hash = width(QStringLiteral("#"));
    const double n = hash > 0 && available > 0 ? std::floor(available / hash) : 0;
    return QString(qsizetype(std::min(n, 1000.0)), u'#');
}

}  // namespace

QString fitNumberText(const QString &text, double available, const TextWidth &width) {
    if (width(text) <= available)
        return text;
    NumberParts parts;
    if (!splitNumber(text, parts))
        return hashes(available, width);
    // Fewer decimals never make a number wider, so the first that fits is the most precise.
    for (qsizetype decimals = parts.fraction.size() - 1; decimals >= 0; --decimals) {
        const QString rounded = roundNumber(parts, decimals);
        if (width(rounded) <= available)
            return rounded;
    }
    return hashes(available, width);  // digits of the whole part are never cut
}

}  // namespace tessel::grid
