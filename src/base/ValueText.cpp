#include "base/ValueText.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <charconv>
#include <cmath>

namespace tessel::base {

void appendDouble(std::string &out, double d) {
    if (std::isnan(d)) {
        out += "NaN";
        return;
    }
    if (std::isinf(d)) {
        out += d < 0 ? "-Infinity" : "Infinity";
        return;
    }
    if (d == 0.0)
        d = 0.0;  // -0 reads as 0 to a user
    char buf[64];
    // Plain notation for the magnitudes reports hold (amounts, quantities), the shortest
    // round-trip form (which may use an exponent) for very large or very small values.
    const double a = std::fabs(d);
    const auto fmt = (a == 0.0 || (a >= 1e-6 && a < 1e16)) ? std::chars_format::fixed
                                                           : std::chars_format::general;
    auto res = std::to_chars(buf, buf + sizeof buf, d, fmt);
    if (res.ec != std::errc())
        res = std::to_chars(buf, buf + sizeof buf, d);
    out.append(buf, res.ptr);
}

void appendValueText(std::string &out, const QVariant &value) {
    if (!value.isValid() || value.isNull())
        return;
    char buf[24];
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::Long:
            out.append(buf, std::to_chars(buf, buf + sizeof buf, value.toLongLong()).ptr);
            return;
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::UShort:
        case QMetaType::ULong:
            out.append(buf, std::to_chars(buf, buf + sizeof buf, value.toULongLong()).ptr);
            return;
        case QMetaType::Double:
            appendDouble(out, value.toDouble());
            return;
        case QMetaType::QString: {
            const QByteArray utf8 = static_cast<const QString *>(value.constData())->toUtf8();
            out.append(utf8.constData(), std::size_t(utf8.size()));
            return;
        }
        default: {
            const QByteArray utf8 = valueToText(value).toUtf8();
            out.append(utf8.constData(), std::size_t(utf8.size()));
            return;
        }
    }
}

QString doubleToText(double d) {
    std::string s;
    appendDouble(s, d);
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

QString valueToText(const QVariant &value) {
    if (value.isNull() || !value.isValid())
        return {};
    switch (value.typeId()) {
        case QMetaType::Double:
            return doubleToText(value.toDouble());
        case QMetaType::Float:
            return doubleToText(double(value.toFloat()));
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::QDate:
            return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        case QMetaType::QDateTime: {
            const QDateTime dt = value.toDateTime();
            if (dt.time() == QTime(0, 0))
                return dt.date().toString(QStringLiteral("yyyy-MM-dd"));
            return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        case QMetaType::QTime:
            return value.toTime().toString(QStringLiteral("HH:mm:ss"));
        case QMetaType::QByteArray:
            return QString::fromUtf8(value.toByteArray());
        default:
            return value.toString();
    }
}

}  // namespace tessel::base
