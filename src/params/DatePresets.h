// The named dates a date parameter's default (or a value given on a command line) may be,
// resolved against a given today: nothing here reads the clock.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessel::params {

// The names, in the order a menu offers them: today, yesterday, weekStart, weekEnd,
// monthStart, monthEnd, lastMonthStart, lastMonthEnd, quarterStart, quarterEnd, yearStart,
// yearEnd, lastYearStart, lastYearEnd.
const QStringList &datePresetNames();

// The date `text` names with `today` as today: a preset name exactly as spelled above,
// optionally followed by an offset, a sign and a whole number of days, months or years
// ("today-10d", "monthStart-1m", "yearStart+1y"). Weeks start on Monday and end on Sunday.
// Months and years roll as a calendar does: the day of the month is kept, or becomes the last
// day of a shorter month (31 March − 1m is 28 or 29 February). Blanks around the text are
// allowed. nullopt for a text that is no preset, or a date out of the calendar's range.
std::optional<QDate> resolveDatePreset(const QString &text, const QDate &today);

}  // namespace tessel::params
