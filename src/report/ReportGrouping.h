// Where a report's grouping comes from: the stored 分组 of its definition row, or, when
// tsl_report has no such column, what the designer saved for it this session.
#pragma once

#include "groups/StoredGrouping.h"
#include "report/ReportSession.h"

namespace tessel::report {

// The stored form of the session's current report's grouping: the row's 分组 when tsl_report
// has that column (NULL or no row: the empty text), else what the designer saved for the
// report this session (session.groupings; the empty text when it did not). Throws Error when
// the database refuses the read.
QString storedGroupingText(const ReportSession &session);

// The current report's grouping as its runs read it (storedGroupingText), for a sheet of
// `columnCount` columns: what can be used, the stored object and what was left out.
groups::StoredGrouping readReportGrouping(const ReportSession &session, int columnCount);

}  // namespace tessel::report
