// A run's grouping step: the data rows arranged by the grouping stored for a report (or the
// one the designer was just given), and the user told what of it could not be used.
#pragma once

#include <QVariant>
#include <optional>

#include "grid/Grouping.h"
#include "report/ReportSession.h"

namespace tessel::report {

// Groups the data rows of the session's sheet (filled, labelled and formatted) by the
// current report's grouping: the row's 分组 when tsl_report has that column (NULL or empty:
// none), else what the designer saved for the report in this session (none when it did not);
// nothing with session.groupsOff. A level without totals sums the columns `totalsColumns`
// names (the run's totals columns, as AddTotalsRow takes them), else every numeric column.
// What the stored value holds that cannot be used is left out and the user is told once per
// report and text (an information message naming 分组); the rest applies. A read the
// database refuses leaves the sheet ungrouped.
void ApplyGrouping(report::ReportSession &session, const std::optional<QVariant> &totalsColumns);

// The same for `grouping` given in place of the stored one (the designer's, as the user
// accepted it; its columns within the sheet's), on a sheet that may be arranged already: the
// header and subtotal rows of the earlier arrangement give way, a totals row stays last, and
// an empty grouping leaves the plain data rows. session.groupsOff is not asked; nothing is
// told.
void ApplyGrouping(report::ReportSession &session, const grid::Grouping &grouping,
                   const std::optional<QVariant> &totalsColumns);

}  // namespace tessel::report
