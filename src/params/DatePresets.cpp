#include "params/DatePresets.h"

#include <QRegularExpression>

namespace tessel::params {

namespace {

QDate monthStart(const QDate &d) {
    return QDate(d.year(), d.month(), 1);
}

QDate monthEnd(const QDate &d) {
    return QDate(d.year(), d.month(), d.daysInMonth());
}

QDate quarterStart(const QDate &d) {
    return QDate(d.year(), (d.month() - 1) / 3 * 3 + 1, 1);
}

// The date named `name` alone, without offset.
std::optional<QDate> named(const QString &name, const QDate &today) {
    const QDate weekStart = today.addDays(1 - today.dayOfWeek());  // Monday is day 1
    const QDate lastMonth = monthStart(today).addMonths(-1);
    const int year = today.year();
    const std::pair<const char *, QDate> dates[] = {
        {"today", today},
        {"yesterday", today.addDays(-1)},
        {"weekStart", weekStart},
        {"weekEnd", weekStart.addDays(6)},
        {"monthStart", monthStart(today)},
        {"monthEnd", monthEnd(today)},
        {"lastMonthStart", lastMonth},
        {"lastMonthEnd", monthEnd(lastMonth)},
        {"quarterStart", quarterStart(today)},
        {"quarterEnd", monthEnd(quarterStart(today).addMonths(2))},
        {"yearStart", QDate(year, 1, 1)},
        {"yearEnd", QDate(year, 12, 31)},
        {"lastYearStart", QDate(year, 1, 1).addYears(-1)},
        {"lastYearEnd", QDate(year, 12, 31).addYears(-1)},
    };
    for (const auto &[n, date] : dates) {
        if (name == QLatin1StringView(n))
            return date;
    }
    return std::nullopt;
}

}  // namespace

const QStringList &datePresetNames() {
    static const QStringList names{
        QStringLiteral("today"),          QStringLiteral("yesterday"),
        QStringLiteral("weekStart"),      QStringLiteral("weekEnd"),
        QStringLiteral("monthStart"),     QStringLiteral("monthEnd"),
        QStringLiteral("lastMonthStart"), QStringLiteral("lastMonthEnd"),
        QStringLiteral("quarterStart"),   QStringLiteral("quarterEnd"),
        QStringLiteral("yearStart"),      QStringLiteral("yearEnd"),
        QStringLiteral("lastYearStart"),  QStringLiteral("lastYearEnd"),
    };
    return names;
}

std::optional<QDate> resolveDatePreset(const QString &text, const QDate &today) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*([A-Za-z]+)\\s*(?:([+-])\\s*(\\d{1,6})\\s*([dmy]))?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || !today.isValid())
        return std::nullopt;
    std::optional<QDate> date = named(m.captured(1), today);
    if (!date || m.captured(2).isEmpty())
        return date;
    const int count = m.captured(3).toInt() * (m.captured(2) == u'-' ? -1 : 1);
    const QChar unit = m.captured(4).at(0);
    // QDate's months and years keep the day, or take the shorter month's last day.
    const QDate moved = unit == u'd'   ? date->addDays(count)
                        : unit == u'm' ? date->addMonths(count)
                                       : date->addYears(count);
    if (!moved.isValid())
        return std::nullopt;
    return moved;
}

}  // namespace tessel::params
