// A run's conditional formats step: the rules stored for a report, put on its sheet, and the
// user told what could not be used.
#pragma once

#include "report/ReportSession.h"

namespace tessel::report {

// Gives the session's sheet (its columns counted) the conditional formats of the current
// report: the row's 条件格式 when tsl_report has that column (NULL or empty: none), else what
// the designer saved for the report in this session (none when it did not). The rules that
// cannot be used are left out and the user is told once per report and text (an information
// message naming 条件格式, what was ignored and why); the rest apply. A read the database
// refuses leaves the sheet without rules.
void ApplyConditions(report::ReportSession &session);

}  // namespace tessel::report
