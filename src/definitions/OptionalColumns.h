// Columns of tsl_report that a host's table may or may not have. Settings added after the
// table's first design live in such columns: a table that has the column keeps the setting
// in the report's row, a table without it works as it always did. Each optional column is
// read and written by statements of its own, never by the statements every table answers.
//
// Which columns a table has is looked up once per connection (a connection opened anew, or
// a host's connection on another database, is looked up again) and kept for the thread.
#pragma once

#include <QString>
#include <QVariant>
#include <optional>

#include "platform/db/Connection.h"

namespace tessel::definitions {

// Whether tsl_report on `connection` has the column `name` (compared case-insensitively).
// A table that cannot be read counts as having none, and is looked up again next time.
bool hasOptionalColumn(const platform::Connection &connection, const QString &name);

// Forgets what is known of the columns of tsl_report on `connection`: the next question
// looks them up again (after the host has altered the table).
void forgetOptionalColumns(const platform::Connection &connection);

// The value of optional column `name` in the row of report `report`: nullopt when the table
// has no such column or no row has that name; a null QVariant for NULL. Throws Error when
// the database refuses the read.
std::optional<QVariant> readOptionalColumn(const platform::Connection &connection,
                                           const QString &name, const QString &report);

// Stores `value` in optional column `name` of the row of report `report`. Returns false,
// storing nothing, when the table has no such column; true otherwise (also when no row has
// that name). Throws Error when the database refuses the write.
bool writeOptionalColumn(const platform::Connection &connection, const QString &name,
                         const QString &report, const QVariant &value);

// The pages wide a stored 页宽缩放 value asks for: a whole number 0..kMaxFitPagesWide
// (blanks around allowed, a decimal rounded); nullopt for NULL or anything else.
constexpr int kMaxFitPagesWide = 99;
std::optional<int> decodeFitPagesWide(const QVariant &stored);

}  // namespace tessel::definitions
