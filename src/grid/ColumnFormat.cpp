#include "grid/ColumnFormat.h"

#include "grid/CellNumber.h"

#include <QDate>
#include <QRegularExpression>
#include <atomic>
#include <cmath>
#include <string>

namespace tessel::grid {

namespace {

// Both separators in one word, so painting threads read a consistent pair without a lock.
std::atomic<std::uint32_t> g_separators{(std::uint32_t(u',') << 16) | u'.'};

const QString kDateCode = QStringLiteral("yyyy-MM-dd");
const QString kDateTimeCode = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kTextCode = QStringLiteral("@");

// A decimal number split into its digits: the value is digits with the decimal point
// before digits[point] (point may lie outside the digits: zeros fill in).
struct Decimal {
    bool negative = false;
    std::string digits;
    int point = 0;
};

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

std::optional<Decimal> parseDecimal(const QString &text) {
    const QString s = text.trimmed();
    qsizetype i = 0;
    Decimal d;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        d.negative = s[i++] == u'-';
    int intDigits = 0;
    bool any = false;
    for (; i < s.size() && isDigit(s[i]); ++i, ++intDigits, any = true)
        d.digits.push_back(char(s[i].unicode()));
    if (i < s.size() && s[i] == u'.') {
        for (++i; i < s.size() && isDigit(s[i]); ++i, any = true)
            d.digits.push_back(char(s[i].unicode()));
    }
    if (!any)
        return std::nullopt;
    long exponent = 0;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        bool negativeExp = false;
        if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
            negativeExp = s[i++] == u'-';
        if (i == s.size() || !isDigit(s[i]))
            return std::nullopt;
        for (; i < s.size() && isDigit(s[i]); ++i) {
            exponent = exponent * 10 + (s[i].unicode() - u'0');
            if (exponent > 100'000)
                return std::nullopt;
        }
        if (negativeExp)
            exponent = -exponent;
    }
    if (i != s.size())
        return std::nullopt;
    d.point = intDigits + int(exponent);
    // Leading zeros carry nothing.
    std::size_t lead = 0;
    while (lead < d.digits.size() && d.digits[lead] == '0')
        ++lead;
    d.digits.erase(0, lead);
    d.point -= int(lead);
    if (d.digits.empty())
        d.point = 0;
    return d;
}

// `d` rounded half away from zero to `decimals` places, as "<int>.<frac>" pieces.
QString formatDecimal(Decimal d, int decimals, bool group, bool percent, const Separators &sep) {
    if (percent)
        d.point += 2;
    // A value far below the last decimal rounds to zero; one far above has no fraction to
    // round. Both bounds keep the padding below small.
    if (d.point < -decimals - 1) {
        d.digits.clear();
        d.point = 0;
    }
    if (d.point < 0) {
        d.digits.insert(0, std::size_t(-d.point), '0');
        d.point = 0;
    }
    const std::size_t keep = std::size_t(d.point + decimals);
    if (d.digits.size() > keep) {
        const bool up = d.digits[keep] >= '5';
        d.digits.resize(keep);
        if (up) {
            std::size_t k = keep;
            while (k > 0 && d.digits[k - 1] == '9')
                d.digits[--k] = '0';
            if (k == 0) {
                d.digits.insert(0, 1, '1');
                ++d.point;
            } else {
                ++d.digits[k - 1];
            }
        }
    } else {
        d.digits.append(keep - d.digits.size(), '0');
    }
    std::string whole = d.digits.substr(0, std::size_t(d.point));
    const std::string fraction = d.digits.substr(std::size_t(d.point));
    const std::size_t lead = whole.find_first_not_of('0');
    whole = lead == std::string::npos ? std::string("0") : whole.substr(lead);
    const bool zero = d.digits.find_first_not_of('0') == std::string::npos;

    QString out;
    out.reserve(qsizetype(whole.size() + whole.size() / 3 + fraction.size() + 3));
    if (d.negative && !zero)
        out += u'-';
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (group && i > 0 && (whole.size() - i) % 3 == 0)
            out += sep.group;
        out += QChar(whole[i]);
    }
    if (decimals > 0) {
        out += sep.decimal;
        out += QLatin1String(fraction.data(), qsizetype(fraction.size()));
    }
    if (percent)
        out += u'%';
    return out;
}

QString zeros(int n) {
    return QString(n, u'0');
}

}  // namespace

Separators numberSeparators() {
    const std::uint32_t v = g_separators.load(std::memory_order_relaxed);
    return Separators{QChar(char16_t(v & 0xFFFF)), QChar(char16_t(v >> 16))};
}

void setNumberSeparators(const Separators &separators) {
    g_separators.store(
        (std::uint32_t(separators.group.unicode()) << 16) | separators.decimal.unicode(),
        std::memory_order_relaxed);
}

std::optional<double> formatNumber(const QString &text) {
    if (!parseDecimal(text))
        return std::nullopt;
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<DateValue> formatDate(const QString &text) {
    static const QRegularExpression re(
        QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})(?:[T ](\d{2}):(\d{2})(?::(\d{2})(?:\.\d+)?)?)?)"
                       R"((?:Z|[+-]\d{2}(?::?\d{2})?)?$)"));
    const QRegularExpressionMatch m = re.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    DateValue v;
    v.year = m.captured(1).toInt();
    v.month = m.captured(2).toInt();
    v.day = m.captured(3).toInt();
    v.hour = m.captured(4).toInt();
    v.minute = m.captured(5).toInt();
    v.second = m.captured(6).toInt();
    if (!QDate::isValid(v.year, v.month, v.day) || v.hour > 23 || v.minute > 59 || v.second > 59)
        return std::nullopt;
    return v;
}

std::optional<QString> applyFormat(const QString &text, const ColumnFormat &format,
                                   const Separators &separators) {
    switch (format.kind) {
        case FormatKind::General:
        case FormatKind::Text:
            return std::nullopt;
        case FormatKind::Number:
        case FormatKind::Percent: {
            if (!formatNumber(text))
                return std::nullopt;
            return formatDecimal(*parseDecimal(text), format.decimals,
                                 format.kind == FormatKind::Number,
                                 format.kind == FormatKind::Percent, separators);
        }
        case FormatKind::Date:
        case FormatKind::DateTime: {
            const std::optional<DateValue> v = formatDate(text);
            if (!v)
                return std::nullopt;
            QString out = QStringLiteral("%1-%2-%3")
                              .arg(v->year, 4, 10, QChar(u'0'))
                              .arg(v->month, 2, 10, QChar(u'0'))
                              .arg(v->day, 2, 10, QChar(u'0'));
            if (format.kind == FormatKind::DateTime) {
                out += QStringLiteral(" %1:%2:%3")
                           .arg(v->hour, 2, 10, QChar(u'0'))
                           .arg(v->minute, 2, 10, QChar(u'0'))
                           .arg(v->second, 2, 10, QChar(u'0'));
            }
            return out;
        }
    }
    return std::nullopt;
}

QString formatted(const QString &text, const ColumnFormat &format, const Separators &separators) {
    std::optional<QString> shown = applyFormat(text, format, separators);
    return shown ? *std::move(shown) : text;
}

CellDisplay cellDisplay(const QString &text, const ColumnFormat &format,
                        const Separators &separators) {
    if (std::optional<QString> shown = applyFormat(text, format, separators))
        return {*std::move(shown), true, true};
    if (format.kind == FormatKind::Text)
        return {text, false};
    return {text, readsAsNumber(text)};
}

QString formatCode(const ColumnFormat &format) {
    const QString fraction = format.decimals > 0 ? u'.' + zeros(format.decimals) : QString();
    switch (format.kind) {
        case FormatKind::General:
            return QString();
        case FormatKind::Number:
            return QStringLiteral("#,##0") + fraction;
        case FormatKind::Percent:
            return u'0' + fraction + u'%';
        case FormatKind::Date:
            return kDateCode;
        case FormatKind::DateTime:
            return kDateTimeCode;
        case FormatKind::Text:
            return kTextCode;
    }
    return QString();
}

std::optional<ColumnFormat> parseFormatCode(const QString &code) {
    const QString c = code.trimmed();
    if (c.isEmpty())
        return ColumnFormat{};
    if (c == kDateCode)
        return ColumnFormat{FormatKind::Date, 0};
    if (c == kDateTimeCode)
        return ColumnFormat{FormatKind::DateTime, 0};
    if (c == kTextCode)
        return ColumnFormat{FormatKind::Text, 0};
    for (int d = 0; d <= kMaxFormatDecimals; ++d) {
        for (FormatKind kind : {FormatKind::Number, FormatKind::Percent}) {
            if (c == formatCode(ColumnFormat{kind, d}))
                return ColumnFormat{kind, d};
        }
    }
    return std::nullopt;
}

QString workbookNumberFormat(const ColumnFormat &format) {
    switch (format.kind) {
        case FormatKind::Date:
            return QStringLiteral("yyyy-mm-dd");
        case FormatKind::DateTime:
            return QStringLiteral("yyyy-mm-dd hh:mm:ss");
        default:
            return formatCode(format);
    }
}

}  // namespace tessel::grid
