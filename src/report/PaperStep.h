// A run's paper step: the paper page setup stored for a report, put on its sheet, and the
// user told when the stored text names no paper.
#pragma once

#include "report/ReportSession.h"

namespace tessel::report {

// Puts the paper of the session's current report on its sheet: the row's 纸张 when
// tsl_report has that column (NULL: A4), else the paper page setup last set for the report
// in this session (A4 when none). A stored text that names no paper prints on A4, and the
// user is told so once per report and text (an information message). A read the database
// refuses leaves the sheet's paper as it was.
void ApplyPaper(report::ReportSession &session);

}  // namespace tessel::report
