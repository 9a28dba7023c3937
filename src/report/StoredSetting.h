// Where a report's stored setting is read from: its definition row's optional column, or,
// when tsl_report lacks that column, what the session keeps for the report.
#pragma once

#include <QString>
#include <QVariant>
#include <optional>

#include "report/ReportSession.h"

namespace tessel::report {

// The session's current report's value in optional column `name` of tsl_report: the row's
// value (a null QVariant for NULL or no row) when the table has the column; nullopt when it
// has not, and the caller takes what the session keeps. Throws Error when the database
// refuses the read.
std::optional<QVariant> storedSetting(const ReportSession &session, const QString &name);

}  // namespace tessel::report
