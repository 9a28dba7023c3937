#include "export/WorkbookClose.h"

#include <tessel/Error.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>

#include "base/Language.h"

namespace tessel::exports {

// workbook_close reports nothing and cannot be broken off: waiting for it at check points
// keeps the windows painting.
void closeWorkbook(lxw_workbook *book, const QString &failureText, base::Progress &progress) {
    progress.begin(tessel::base::tr("压缩工作簿"), base::ProgressUnit::Rows, -1);
    struct Closed {
        lxw_error err;
        int error;  // the thread's errno
    };
    std::future<Closed> closing = std::async(std::launch::async, [book] {
        errno = 0;
        const lxw_error err = workbook_close(book);
        return Closed{err, errno};
    });
    bool cancelled = false;
    while (closing.wait_for(std::chrono::milliseconds(base::kProgressPollMs)) !=
           std::future_status::ready) {
        progress.update(0);
        cancelled = cancelled || progress.cancelled();
    }
    const Closed closed = closing.get();
    if (cancelled)
        throw base::Cancelled();
    if (closed.err != LXW_NO_ERROR) {
        QString reason = QString::fromUtf8(lxw_strerror(closed.err));
        if (closed.error != 0)
            reason +=
                QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(closed.error)));
        throw Error(Error::Category::Io, failureText, reason);
    }
}

}  // namespace tessel::exports
