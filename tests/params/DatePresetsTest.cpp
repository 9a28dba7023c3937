// Date presets resolved against fixed todays: month ends, leap years, the first of January,
// Mondays and Sundays.
#include <gtest/gtest.h>

#include "params/DatePresets.h"

using tessel::params::resolveDatePreset;

namespace {

TEST(DatePresets, ResolveAgainstTheGivenToday) {
    struct Case {
        const char *today, *preset, *expected;  // expected "" : no preset
    };
    const Case cases[] = {
        {"2024-03-31", "today-1m", "2024-02-29"},  // leap February's last day
        {"2023-03-31", "today-1m", "2023-02-28"},
        {"2024-03-31", "monthStart-1m", "2024-02-01"},
        {"2024-03-05", "today-10d", "2024-02-24"},  // rolls the month back
        {"2024-02-29", "today+1y", "2025-02-28"},
        {"2024-02-29", " monthEnd ", "2024-02-29"},
        {"2024-01-01", "yesterday", "2023-12-31"},
        {"2024-01-01", "lastMonthStart", "2023-12-01"},
        {"2024-01-01", "lastMonthEnd", "2023-12-31"},
        {"2024-01-01", "weekStart", "2024-01-01"},  // a Monday starts its own week
        {"2024-01-01", "weekEnd", "2024-01-07"},
        {"2024-03-10", "weekStart", "2024-03-04"},  // a Sunday ends the week
        {"2024-05-15", "quarterStart", "2024-04-01"},
        {"2024-05-15", "quarterEnd", "2024-06-30"},
        {"2024-12-31", "quarterStart", "2024-10-01"},
        {"2024-05-15", "yearStart", "2024-01-01"},
        {"2024-05-15", "yearEnd", "2024-12-31"},
        {"2024-01-01", "lastYearStart", "2023-01-01"},
        {"2024-01-01", "lastYearEnd", "2023-12-31"},
        {"2024-05-15", "tomorrow", ""},
        {"2024-05-15", "today-1w", ""},
        {"2024-05-15", "Today", ""},
    };
    for (const Case &c : cases) {
        const auto got =
            resolveDatePreset(QString::fromUtf8(c.preset), QDate::fromString(c.today, Qt::ISODate));
        const QString shown = got ? got->toString(Qt::ISODate) : QString();
        EXPECT_EQ(shown, QString::fromUtf8(c.expected)) << c.preset << " on " << c.today;
    }
}

}  // namespace
