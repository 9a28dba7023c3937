// A run's last step: the columns whose formatted numbers would not print whole widened for
// this run, and the user told which, once per report and columns.
#pragma once

#include "report/ReportSession.h"

namespace tessel::report {

// Widens the columns of the session's sheet that print::widenForNumbers finds too narrow for
// their formatted numbers (subtotals and totals included) and tells the user once per report
// and set of columns (an information message naming them by their labels, and how the
// designer keeps the width). The definition is not changed: 保存 in the designer keeps a width.
void WidenForNumbers(ReportSession &session);

}  // namespace tessel::report
