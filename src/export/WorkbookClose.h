// Closing a workbook: the compression and writing out of the file, which takes most of a
// large workbook's time, on a thread of its own while the calling thread keeps reporting.
#pragma once

#include <xlsxwriter.h>

#include <QString>

#include "base/Progress.h"

namespace tessel::exports {

// Closes `book` (workbook_close, which frees it whatever it returns) on a thread of its own,
// reporting stage "压缩工作簿" (total unknown) to `progress` every base::kProgressPollMs
// meanwhile. A cancel seen while it runs takes effect once it has returned: base::Cancelled
// is thrown then. A failed close throws Error(Io, failureText, the workbook library's reason
// and the system's).
void closeWorkbook(lxw_workbook *book, const QString &failureText, base::Progress &progress);

}  // namespace tessel::exports
