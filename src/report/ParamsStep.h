// A run's parameters step: the statement a stored query's run sends, composed with the
// report's parameters (参数) and the values its caller gave, every value bound.
#pragma once

#include <QDate>
#include <QString>
#include <QVariantMap>

#include "db/SqlDialect.h"
#include "params/Parameter.h"
#include "report/ReportSession.h"

namespace tessel::report {

// The parameters of the session's current report: the row's 参数 when tsl_report has that
// column (NULL or empty: none), else what the designer saved for the report in this session
// (none when it did not). Those that cannot be used are left out and the user is told once
// per report and text (an information message naming 参数, what was left out and why). Throws
// Error when the database refuses the read.
params::Parameters ReadParameters(ReportSession &session);

// The statement the run of the session's current report sends: `storedQuery` (its 查询) cut
// at its where, the host's condition `where` (from its where, or empty), and the report's
// parameters with the values `given` names (name → value; a QVariantList of two for a range,
// a list for multi; names the report does not define ignored), the others at their defaults
// resolved against `today` (params::composeQuery). Throws params::ParamError naming a parameter
// whose value cannot be used or that needs one and has none.
db::Statement ComposeRunQuery(ReportSession &session, const QString &storedQuery,
                              const QString &where, const QVariantMap &given, const QDate &today);

}  // namespace tessel::report
