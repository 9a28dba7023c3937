// A run's charts step: the charts stored for a report (or those the designer was just given)
// put on its sheet once its rows are in and grouped, and the user told which cannot be drawn.
#pragma once

#include "grid/ChartSpec.h"
#include "report/ReportSession.h"

namespace tessel::report {

// Gives the session's sheet (its rows filled and grouped) the charts of the current report:
// the row's 图表 when tsl_report has that column (NULL or empty: none), else what the designer
// saved for the report in this session (none when it did not); none with session.chartsOff.
// A chart that cannot be read, or whose points the sheet cannot give (groups without a
// grouping), is left out and the user is told once per report and text (an information
// message naming 图表, what was left out and why); the rest are drawn. A read the database
// refuses leaves the sheet without charts.
void ApplyCharts(report::ReportSession &session);

// The same for `charts` given in place of the stored ones (the designer's, as the user
// accepted them): those whose points the sheet cannot give are left out of the sheet and told
// once per report and charts; session.chartsOff is not asked.
void ApplyCharts(report::ReportSession &session, grid::ChartSpecs charts);

}  // namespace tessel::report
